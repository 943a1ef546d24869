#pragma once

// The chart-data list dialog TBDataF ("作盤ﾃﾞｰﾀ一覧表の作成指定"): the chart
// kind and how many moments, then one row per moment from the main window's
// entry (pillars, term, ju, xun-head stem, flag, duty door, nine-star), with
// a stop button, shown in the list window as "作盤データ一覧表". Made once at
// start and shown modally by the main window's chart-data command.

#include <QDialog>

#include "shell/settings/appsettings.h"
#include "shell/common/runpanel.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velm {

class TListF;
class ChartOpener;

class TBDataF : public QDialog {
    Q_OBJECT
public:
    TBDataF(ChartOpener &main, AppSettings &settings, TListF &list, QWidget *parent = nullptr);

    // FormShow: idle look, progress cleared.
    void FormShow();
    // Starts a list on a worker thread; it goes to the list window when it ends.
    void OKBtnClick();
    // Stops the running list; the rows made so far are shown.
    void StopBtnClick() { m_run.stop(); }
    bool running() const { return m_run.running(); }


signals:
    // Once per wave of moments made while a list runs (tests act here).
    void progressed(qint64 made);

protected:
    void showEvent(QShowEvent *event) override;
    // Closing while a list runs stops it and drops its rows; every close
    // stores the limit.
    void done(int result) override;

private:
    void showRunning(bool running);
    void showCount(qint64 made);

    ChartOpener &m_main;
    AppSettings &m_settings;
    TListF &m_list;
    QButtonGroup *m_rg1 = nullptr;
    QLineEdit *m_srcE = nullptr;
    QWidget *m_srcPnl = nullptr;
    QLabel *m_cntL = nullptr;
    QPushButton *m_stopBtn = nullptr;
    QWidget *m_btnPnl = nullptr;
    WindowRun m_run{this};
};

} // namespace velm
