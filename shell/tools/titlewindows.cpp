#include "shell/tools/titlewindows.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/common/messages.h"

namespace velm {

QPixmap programPicture(int size)
{
    QPixmap pix(size, size);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal cell = size / 3.0;
    // Nine palaces in the colours of their nine-star numbers, centre gold.
    const QColor colours[9] = {QColor("#2e6f9e"), QColor("#c2c2c2"), QColor("#3f8f3f"),
                               QColor("#7fbf6f"), QColor("#d9b400"), QColor("#f0f0f0"),
                               QColor("#d04040"), QColor("#f5f5f5"), QColor("#7b3fa0")};
    // Lo Shu square: 4 9 2 / 3 5 7 / 8 1 6.
    const int loShu[9] = {4, 9, 2, 3, 5, 7, 8, 1, 6};
    for (int i = 0; i < 9; ++i) {
        const QRectF r((i % 3) * cell + 1, (i / 3) * cell + 1, cell - 2, cell - 2);
        p.setBrush(colours[loShu[i] - 1]);
        p.setPen(QPen(QColor("#202020"), 1));
        p.drawRoundedRect(r, cell * 0.12, cell * 0.12);
    }
    p.setPen(QPen(QColor("#8b0000"), qMax(1.0, size / 40.0)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(size / 2.0, size / 2.0), cell * 0.32, cell * 0.32);
    return pix;
}

TURLLink::TURLLink(QWidget *parent)
    : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    open = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    restyle(false);
}

void TURLLink::setURL(const QString &url)
{
    m_url = url;
    setText(url);
    setToolTip(url);
}

void TURLLink::Execute()
{
    if (m_url.isEmpty() || !open)
        return;
    // Without a browser the click would otherwise do nothing at all.
    if (!open(QUrl(m_url)))
        ui::showWarning(this, QStringLiteral("『%1』を、開けませんでした。").arg(m_url));
}

void TURLLink::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Execute();
    QLabel::mousePressEvent(event);
}

void TURLLink::enterEvent(QEnterEvent *event)
{
    restyle(true);
    QLabel::enterEvent(event);
}

void TURLLink::leaveEvent(QEvent *event)
{
    restyle(false);
    QLabel::leaveEvent(event);
}

void TURLLink::restyle(bool hover)
{
    QFont f = font();
    f.setUnderline(hover);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::red);
    setPalette(pal);
}

TTitlef1::TTitlef1(const QString &applicationTitle, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen)
{
    setFixedSize(401, 239);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    auto *picture = new QLabel(this);
    picture->setPixmap(programPicture(120));
    auto *name = new QLabel(QStringLiteral("VELM"), this);
    QFont big = name->font();
    big.setPixelSize(48);
    big.setBold(true);
    name->setFont(big);
    m_label2 = new QLabel(applicationTitle, this);
    auto *maker = new QLabel(QStringLiteral("奇門遁甲 作盤・検索システム\nQuorvel"), this);
    auto *text = new QVBoxLayout;
    text->addStretch(1);
    text->addWidget(name);
    text->addWidget(m_label2);
    text->addSpacing(12);
    text->addWidget(maker);
    text->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(picture);
    layout->addSpacing(16);
    layout->addLayout(text, 1);
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TTitlef1::~TTitlef1()
{
    QApplication::restoreOverrideCursor();
}

QString TTitlef1::versionText() const
{
    return m_label2->text();
}

TAboutBox::TAboutBox(const QString &applicationTitle, const QString &supportUrl, QWidget *parent)
    : QDialog(parent)
    , m_caption(applicationTitle)
{
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    auto *picture = new QLabel(this);
    picture->setPixmap(programPicture(72));
    auto *maker = new QLabel(QStringLiteral("Quorvel"), this);
    m_version = new QLabel(QStringLiteral("バージョン ") + programVersion(), this);
    m_version->setObjectName(QStringLiteral("VersionL"));
    m_link = new TURLLink(this);
    m_link->setObjectName(QStringLiteral("URLLink"));
    m_link->setURL(supportUrl);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *right = new QVBoxLayout;
    right->addWidget(maker);
    right->addWidget(m_version);
    right->addWidget(m_link);
    right->addStretch(1);
    auto *middle = new QHBoxLayout;
    middle->addWidget(picture);
    middle->addSpacing(12);
    middle->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 44, 12, 12); // room for the gradient caption box
    layout->addLayout(middle);
    layout->addWidget(ok, 0, Qt::AlignRight);
    setMinimumWidth(320);
}

QString TAboutBox::versionText() const
{
    return m_version->text();
}

QString programVersion()
{
    return QStringLiteral(VELM_VERSION);
}

void TAboutBox::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    const QRect box(8, 8, width() - 16, 28);
    QLinearGradient g(box.topLeft(), box.topRight());
    g.setColorAt(0, QColor(0, 0, 128));
    g.setColorAt(1, QColor(0, 128, 128));
    p.fillRect(box, g);
    p.setPen(Qt::white);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(box.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, m_caption);
}

TMsgF::TMsgF(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setFixedSize(374, 195);
    m_label1 = new QLabel(this);
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 20, 8, 8);
    layout->addWidget(m_label1);
    m_closer.setSingleShot(true);
    connect(&m_closer, &QTimer::timeout, this, &QWidget::close);
}

QString TMsgF::text() const
{
    return m_label1->text();
}

void TMsgF::notify(const QString &text, int kind, int milliseconds)
{
    m_label1->setText(text);
    m_bar = kind == 1 ? QColor(Qt::blue) : QColor(Qt::red);
    if (QScreen *screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() + 1, area.bottom() - height() + 1);
    }
    show();
    // Returns at once: the notice closes itself while the program goes on.
    m_closer.start(milliseconds);
}

void TMsgF::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    QLinearGradient g(0, 0, 0, 14);
    g.setColorAt(0, m_bar);
    g.setColorAt(1, Qt::white);
    p.fillRect(QRect(2, 2, width() - 4, 14), g);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace velm
