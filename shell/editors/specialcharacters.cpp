#include "shell/editors/specialcharacters.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/constdata.h"
#include "shell/common/programfiles.h"
#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"

namespace velm {
namespace {

constexpr int HelpTopic = 40030;

// The ideograph each row stands for, in row order.
constexpr std::array<const char *, 3> RowCharacters{"芮", "熒", "騰"};

QString defaultCode(std::size_t row)
{
    return QString::fromLatin1(GaijiDefault[row].data(), static_cast<qsizetype>(GaijiDefault[row].size()));
}

} // namespace

QPixmap TGaijiF::glyphPicture(const QString &character, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(0, 0, size - 1, size - 1);
    QFont f(QStringLiteral("IPAGothic"));
    f.setPixelSize(size * 3 / 4);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, character);
    return pm;
}

TGaijiF::TGaijiF(AppSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setHelpTopic(this, HelpTopic);
    setObjectName(QStringLiteral("GaijiF"));
    setWindowTitle(QStringLiteral("特殊文字の設定"));
    setModal(true);

    auto *grid = new QGridLayout;
    for (int r = 0; r < 3; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const QString n = QString::number(r + 1);
        auto *image = new QLabel;
        image->setObjectName(QStringLiteral("Image") + n);
        image->setPixmap(glyphPicture(QString::fromUtf8(RowCharacters[i]), 32));
        image->setToolTip(QString::fromUtf8(RowCharacters[i]));

        auto *edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("Edit") + n);
        edit->setFixedWidth(60);
        // Codes are hexadecimal digits: no conversion window in between.
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
        edit->setInputMethodHints(Qt::ImhPreferUppercase | Qt::ImhNoPredictiveText | Qt::ImhLatinOnly);
        m_edit[i] = edit;

        auto *panel = new QLabel;
        panel->setObjectName(QStringLiteral("Panel") + n);
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAutoFillBackground(true);
        QPalette pal = panel->palette();
        pal.setColor(QPalette::Window, Qt::yellow);
        pal.setColor(QPalette::WindowText, Qt::black);
        panel->setPalette(pal);
        QFont pf = panel->font();
        pf.setPointSize(std::max(pf.pointSize(), 9) + 5);
        panel->setFont(pf);
        panel->setFixedSize(48, 32);
        m_panel[i] = panel;

        grid->addWidget(image, r, 0);
        grid->addWidget(new QLabel(QStringLiteral("をS-JISｺｰﾄﾞ")), r, 1);
        grid->addWidget(edit, r, 2);
        grid->addWidget(new QLabel(QStringLiteral("の")), r, 3);
        grid->addWidget(panel, r, 4);
        grid->addWidget(new QLabel(QStringLiteral("で使用する")), r, 5);
    }
    grid->setColumnStretch(6, 1);

    auto *button1 = new QPushButton(QStringLiteral("文字を確認"));
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setAutoDefault(false);
    connect(button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    auto *button2 = new QPushButton(QStringLiteral("ﾃﾞﾌｫﾙﾄ"));
    button2->setObjectName(QStringLiteral("Button2"));
    button2->setAutoDefault(false);
    connect(button2, &QPushButton::clicked, this, &TGaijiF::Button2Click);
    auto *middle = new QHBoxLayout;
    middle->addStretch(1);
    middle->addWidget(button1);
    middle->addWidget(button2);

    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"));
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *help = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("HelpBtn"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [] { showHelp(HelpTopic); });
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    bottom->addWidget(help);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(middle);
    layout->addLayout(bottom);
}

// Read once, when the window first appears: reading again on every
// activation would throw away codes being typed whenever a message box
// handed the focus back.
void TGaijiF::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        FormActivate();
    }
}

void TGaijiF::FormActivate()
{
    for (std::size_t i = 0; i < 3; ++i) {
        m_savEdit[i] = m_settings.specialCharacter(static_cast<int>(i) + 1);
        m_edit[i]->setText(m_savEdit[i]);
    }
    Button1Click();
}

bool TGaijiF::Button1Click()
{
    bool all = true;
    for (std::size_t i = 0; i < 3; ++i) {
        const EditChangeResult r = EditChange(m_edit[i]->text().toStdString());
        if (!r.message.empty())
            ui::showError(this, QString::fromStdString(r.message));
        m_panel[i]->setText(QString::fromStdString(r.character));
        all = all && !r.character.empty();
    }
    return all;
}

void TGaijiF::Button2Click()
{
    for (std::size_t i = 0; i < 3; ++i)
        m_edit[i]->setText(defaultCode(i));
    Button1Click();
}

bool TGaijiF::store()
{
    bool changed = false;
    for (std::size_t i = 0; i < 3; ++i) {
        m_settings.setSpecialCharacter(static_cast<int>(i) + 1, m_edit[i]->text());
        changed = changed || m_edit[i]->text() != m_savEdit[i];
    }
    const QString error = m_settings.sync();
    if (!error.isEmpty()) {
        ui::showError(this, error);
        return false;
    }
    if (changed) {
        ui::showInfo(this, QStringLiteral("『") + QString::fromUtf8(ApplicationTitle)
                               + QStringLiteral("』を一旦終了後、\n再度、本ソフトを起動すると、変更された特殊文字が有効となります。"));
        for (std::size_t i = 0; i < 3; ++i)
            m_savEdit[i] = m_edit[i]->text();
        emit constDataChanged();
    }
    return true;
}

void TGaijiF::done(int result)
{
    if (result == Accepted) {
        // A code changed after the last preview is checked again, so nothing
        // unchecked is ever stored.
        if (!Button1Click() || !store())
            return;
    } else {
        for (std::size_t i = 0; i < 3; ++i)
            m_edit[i]->setText(m_savEdit[i]);
    }
    QDialog::done(result);
}

void TGaijiF::closeEvent(QCloseEvent *event)
{
    if (!isVisible()) {
        event->accept();
        return;
    }
    done(Accepted);
    if (isVisible())
        event->ignore();
    else
        event->accept();
}

} // namespace velm
