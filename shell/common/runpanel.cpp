#include "shell/common/runpanel.h"

#include <algorithm>

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include "shell/common/helpwindow.h"

namespace velm {

RunPanel makeRunPanel(QWidget *parent, const QString &stopCaption, const QList<const char *> &countNames)
{
    RunPanel run;
    run.panel = new QWidget(parent);
    run.panel->setObjectName(QStringLiteral("SrcPnl"));
    auto *layout = new QGridLayout(run.panel);
    for (const char *name : countNames) {
        auto *label = new QLabel(run.panel);
        label->setObjectName(QLatin1String(name));
        layout->addWidget(label, 0, static_cast<int>(run.counts.size()));
        run.counts << label;
    }
    const int columns = std::max<int>(1, static_cast<int>(run.counts.size()));
    // A busy bar in place of the platform's find-file animation.
    run.busy = new QProgressBar(run.panel);
    run.busy->setObjectName(QStringLiteral("Animate1"));
    run.busy->setRange(0, 0);
    run.busy->setTextVisible(false);
    run.busy->setMaximumHeight(12);
    layout->addWidget(run.busy, 1, 0, 1, columns);
    run.stopBtn = new QPushButton(stopCaption, run.panel);
    run.stopBtn->setObjectName(QStringLiteral("StopBtn"));
    run.stopBtn->setAutoDefault(false);
    layout->addWidget(run.stopBtn, 0, columns, 2, 1);
    return run;
}

DialogButtons makeDialogButtons(QDialog *dialog, const QString &okCaption, int helpTopic)
{
    DialogButtons buttons;
    buttons.panel = new QWidget(dialog);
    buttons.panel->setObjectName(QStringLiteral("BtnPnl"));
    buttons.okBtn = new QPushButton(okCaption, buttons.panel);
    buttons.okBtn->setObjectName(QStringLiteral("OKBtn"));
    buttons.okBtn->setDefault(true);
    auto *cancelBtn = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), buttons.panel);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    cancelBtn->setAutoDefault(false);
    auto *helpBtn = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), buttons.panel);
    helpBtn->setObjectName(QStringLiteral("HelpBtn"));
    helpBtn->setAutoDefault(false);
    QObject::connect(cancelBtn, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(helpBtn, &QPushButton::clicked, dialog, [helpTopic] { showHelp(helpTopic); });
    auto *layout = new QHBoxLayout(buttons.panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    layout->addWidget(buttons.okBtn);
    layout->addWidget(cancelBtn);
    layout->addWidget(helpBtn);
    return buttons;
}

void RunTicket::report(std::function<void()> onWindow) const
{
    // The ticket is shared with the run, so it outlives a window that let it go.
    QMetaObject::invokeMethod(
        m_window,
        [self = shared_from_this(), onWindow = std::move(onWindow)] {
            if (!self->m_dropped.load())
                onWindow();
        },
        Qt::QueuedConnection);
}

void WindowRun::start(std::function<void(const RunTicket &)> work, std::function<void()> finished)
{
    if (running())
        return;
    auto ticket = std::make_shared<RunTicket>();
    ticket->m_window = m_window;
    m_ticket = ticket;
    m_watcher = new QFutureWatcher<void>(m_window);
    QFutureWatcher<void> *watcher = m_watcher;
    QObject::connect(watcher, &QFutureWatcher<void>::finished, m_window,
                     [this, watcher, ticket, finished = std::move(finished)] {
                         watcher->deleteLater();
                         if (ticket->m_dropped.load())
                             return;
                         m_watcher = nullptr;
                         m_ticket.reset();
                         if (finished)
                             finished();
                     });
    watcher->setFuture(QtConcurrent::run([ticket, work = std::move(work)] { work(*ticket); }));
}

void WindowRun::stop()
{
    if (m_ticket)
        m_ticket->m_stop.store(true);
}

void WindowRun::abandon()
{
    if (!m_watcher)
        return;
    m_ticket->m_dropped.store(true);
    m_ticket->m_stop.store(true);
    // The run hears the stop within one wave; nothing it does waits on this thread.
    m_watcher->waitForFinished();
    m_watcher = nullptr;
    m_ticket.reset();
}

} // namespace velm
