#include "shell/common/helpwindow.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "engine/textfile.h"
#include "shell/common/programfiles.h"
#include "shell/common/icons.h"
#include "shell/common/messages.h"

namespace velm {
namespace {

QPointer<HelpWindow> &theWindow()
{
    static QPointer<HelpWindow> w;
    return w;
}

const QRegularExpression &topicElement()
{
    static const QRegularExpression re(QStringLiteral("(<(?:section|div|h[1-6]|p)\\b[^>]*\\bid=\"(\\d+)\"[^>]*>)"));
    return re;
}

// The rich-text viewer scrolls to named anchors only; give every topic
// section one, so both <section id> and <a name> work as topic targets.
QString withTopicAnchors(QString html)
{
    html.replace(topicElement(), QStringLiteral("\\1<a name=\"\\2\"></a>"));
    return html;
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    // Help is asked for from the calendar, the lists and the heat map, which
    // may be kept on top: it opens above them, never hidden behind.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("%1 ヘルプ").arg(QLatin1String(ApplicationTitle)));
    setWindowIcon(velmIcon(IconId::Help));
    resize(760, 620);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto *contents = new QPushButton(QStringLiteral("目次(&C)"), this);
    auto *back = new QPushButton(QStringLiteral("戻る(&B)"), this);
    auto *forward = new QPushButton(QStringLiteral("進む(&F)"), this);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(HelpContents); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *bar = new QHBoxLayout;
    bar->addWidget(contents);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addStretch();
    bar->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(bar);
    layout->addWidget(m_browser);
}

QString HelpWindow::helpFile()
{
    return programFile(HelpFileName);
}

bool HelpWindow::load()
{
    const QString path = helpFile();
    if (path == m_loadedPath && !m_browser->document()->isEmpty())
        return true;
    // The common reader: a regular file of sane size, never a FIFO that blocks.
    std::string bytes;
    const std::string error = velm::readRegularFile(QFile::encodeName(path).toStdString(), bytes);
    if (!error.empty()) {
        ui::showError(this, QString::fromStdString(error));
        return false;
    }
    const QString html = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    m_topics.clear();
    for (auto it = topicElement().globalMatch(html); it.hasNext();)
        m_topics.insert(it.next().captured(2).toInt());
    static const QRegularExpression named(QStringLiteral("<a\\s+name=\"(\\d+)\""));
    for (auto it = named.globalMatch(html); it.hasNext();)
        m_topics.insert(it.next().captured(1).toInt());
    m_browser->setHtml(withTopicAnchors(html));
    m_loadedPath = path;
    return true;
}

bool HelpWindow::showTopic(int topic)
{
    if (!load())
        return false;
    // Unknown topics open at the contents rather than wherever the view was.
    m_topic = m_topics.contains(topic) ? topic : HelpContents;
    m_browser->scrollToAnchor(QString::number(m_topic));
    return true;
}

void showHelp(int topic)
{
    QPointer<HelpWindow> &w = theWindow();
    if (!w) {
        w = new HelpWindow;
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, w.data(), &QObject::deleteLater);
    }
    w->show();
    if (!w->showTopic(topic)) {
        w->hide();
        return;
    }
    if (w->isMinimized())
        w->showNormal();
    w->raise();
    w->activateWindow();
}

HelpWindow *currentHelpWindow()
{
    return theWindow().data();
}

namespace {

const char *const TopicProperty = "velmHelpTopic";

// F1 pressed in any window, modal dialogs included, before the widget with
// the focus can take it for something else.
class HelpKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1
            && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
            if (auto *w = qobject_cast<QWidget *>(watched)) {
                showHelp(helpTopicOf(w));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void setHelpTopic(QWidget *window, int topic)
{
    window->setProperty(TopicProperty, topic);
}

int helpTopicOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget())
        if (const QVariant topic = w->property(TopicProperty); topic.isValid())
            return topic.toInt();
    return HelpContents;
}

void installHelpKey()
{
    static QPointer<HelpKey> installed;
    if (installed || !qApp)
        return;
    installed = new HelpKey(qApp);
    qApp->installEventFilter(installed);
}

} // namespace velm
