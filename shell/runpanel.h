#pragma once

// The parts the run dialogs (the search and the chart-data list) share: the
// panel shown while a run goes on, with its counts, a busy bar and the stop
// button; the row of run, cancel and help buttons; and the state that lets a
// close wait for the run in hand to stop.

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

// Whether a run goes on, and what was asked of it meanwhile. The run lets the
// window breathe between waves of work and asks stopRequested each time.
struct RunState {
    bool running = false;
    bool stopRequested = false;
    bool closeAfterStop = false; // the window was closed during the run

    // A new run: nothing asked of it yet.
    void start()
    {
        stopRequested = false;
        closeAfterStop = false;
    }
    // A close during a run stops the run and closes once it has stopped; true
    // when the close has to wait so.
    bool holdClose()
    {
        if (!running)
            return false;
        stopRequested = true;
        closeAfterStop = true;
        return true;
    }
};

} // namespace velm
