#pragma once

// The parts the run dialogs (the search and the chart-data list) share: the
// panel shown while a run goes on, with its counts, a busy bar and the stop
// button; the row of run, cancel and help buttons; and the worker thread a
// run goes on while its window stays responsive.

#include <atomic>
#include <functional>
#include <memory>

#include <QFutureWatcher>
#include <QList>
#include <QString>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace velm {

struct RunPanel {
    QWidget *panel = nullptr;         // "SrcPnl", shown only while running
    QList<QLabel *> counts;           // one a name given, side by side
    QProgressBar *busy = nullptr;     // "Animate1", under the counts
    QPushButton *stopBtn = nullptr;   // "StopBtn", right of both
};
// The stop button is not wired: the caller connects it to its stop.
RunPanel makeRunPanel(QWidget *parent, const QString &stopCaption, const QList<const char *> &countNames);

struct DialogButtons {
    QWidget *panel = nullptr;     // "BtnPnl", disabled while running
    QPushButton *okBtn = nullptr; // "OKBtn", the default button; the caller connects it
};
// Run, "ｷｬﾝｾﾙ" (rejects the dialog) and "ﾍﾙﾌﾟ(&H)" (opens the help topic), to the right.
DialogButtons makeDialogButtons(QDialog *dialog, const QString &okCaption, int helpTopic);

// What a run on a worker thread sees of its window: whether it was asked to
// stop, and a way to hand the window something to show. The run never touches
// a widget itself.
class RunTicket : public std::enable_shared_from_this<RunTicket> {
public:
    // Read by the run between its waves of work.
    bool stopRequested() const { return m_stop.load(std::memory_order_relaxed); }
    // Runs `onWindow` later on the window's thread, unless the window has let
    // the run go meanwhile (it was closed): a late wave shows nothing.
    void report(std::function<void()> onWindow) const;

private:
    friend class WindowRun;
    QObject *m_window = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_dropped{false};
};

// One run at a time on a worker thread, owned by a window. The window stays
// responsive while the run goes on; its stop button asks the run to stop, and
// a close lets the run go: it stops, is waited for, and its result is dropped.
class WindowRun {
public:
    explicit WindowRun(QObject *window) : m_window(window) {}
    ~WindowRun() { abandon(); }
    WindowRun(const WindowRun &) = delete;
    WindowRun &operator=(const WindowRun &) = delete;

    bool running() const { return m_watcher != nullptr; }
    // Runs `work` on a worker thread, then `finished` on the window's thread
    // (running() is false by then). Nothing happens while a run goes on.
    void start(std::function<void(const RunTicket &)> work, std::function<void()> finished);
    // Asks the run in hand to stop after its wave of work; it still finishes.
    void stop();
    // Stops the run in hand, waits for it, and drops what it would still have
    // shown or finished. Nothing happens when no run goes on.
    void abandon();

private:
    QObject *m_window;
    QFutureWatcher<void> *m_watcher = nullptr;
    std::shared_ptr<RunTicket> m_ticket;
};

} // namespace velm
