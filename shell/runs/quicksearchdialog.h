#pragma once

// The quick search TESrcF ("簡易検索作盤"): the first moment from the main
// window's entry whose chart of one kind has a chosen pillar stem and branch,
// dun and ju, then the charts of that moment, made by the main window. Made
// once at start and shown modally; the choices stay as the user left them.

#include <QDialog>

#include "output/quicksearch.h"
#include "shell/settings/appsettings.h"
#include "shell/common/runpanel.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velm {

class ChartOpener;

class TESrcF : public QDialog {
    Q_OBJECT
public:
    TESrcF(ChartOpener &main, AppSettings &settings, QWidget *parent = nullptr);

    // Starts the search on a worker thread; when it finds a moment, its charts
    // are made and the window closes.
    void Button1Click();
    bool running() const { return m_run.running(); }


signals:
    // Once per wave of examined moments while a search runs (tests act here).
    void progressed(qint64 examined);

protected:
    void showEvent(QShowEvent *event) override;
    // Closing while a search runs stops it and drops what it found; every
    // close stores the limit.
    void done(int result) override;

private:
    void showRunning(bool running);
    void searchEnded(const QuickSearchResult &result, int kind, Astronomy astronomy);
    void showCount(qint64 examined);

    ChartOpener &m_main;
    AppSettings &m_settings;
    QButtonGroup *m_cb[5] = {};
    QLineEdit *m_cntE = nullptr;
    QLabel *m_cntL = nullptr;
    QPushButton *m_button1 = nullptr;
    WindowRun m_run{this};
};

} // namespace velm
