#pragma once

// The search dialog TSrcSF ("検索一覧表の作成指定"): a divination matter, the
// chart kind, the direction, the element the list shows and the two limits;
// then the walk over moments from the main window's entry, with a stop
// button, and the matches handed to the list window. Made once at start and
// shown modally by the main window's search command.

#include <functional>
#include <optional>

#include <QDialog>

#include "engine/astro.h"
#include "engine/constdata.h"
#include "shell/settings/appsettings.h"
#include "shell/common/runpanel.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace velm {

class TListF;
class ChartOpener;

class TSrcSF : public QDialog {
    Q_OBJECT
public:
    // startMoment: the main window's date and "hh:nn" time; nullopt while the
    // time is half typed. engineOptions: time zone, ju periods, laying method.
    TSrcSF(AppSettings &settings, const ConstData &names,
           std::function<std::optional<CivilTime>(QWidget *)> startMoment,
           std::function<EngineOptions()> engineOptions, QWidget *parent = nullptr);

    // Where the matches go; without one a finished search only closes.
    void setListWindow(TListF *list) { m_list = list; }

    // FormShow: the matter list afresh, first matter and "全方位", idle look.
    void FormShow();
    // The next showing starts at this direction (palace index 1..8) instead
    // of "全方位": the direction map's "この方位で検索".
    void presetDirection(int palace) { m_presetDirection = palace; }
    // Starts a search on a worker thread; the matches go to the list window
    // when it ends.
    void OKBtnClick();
    // Asks the running search to stop after the moments in hand.
    void StopBtnClick() { m_run.stop(); }
    bool running() const { return m_run.running(); }

    QComboBox *HouiBox() const { return m_houiBox; }
    // "同行者の凶方位を除く" and "年盤・月盤の凶方位も" (GoingPeople).
    QCheckBox *PeopleBox() const { return m_peopleBox; }
    QCheckBox *YearMonthBox() const { return m_yearMonthBox; }

signals:
    // Once per wave of examined moments while a search runs (tests stop here).
    void progressed(qint64 matches, qint64 examined);

protected:
    void showEvent(QShowEvent *event) override;
    // Closing while a search runs stops it and drops its matches; every close
    // stores the limits.
    void done(int result) override;

private:
    void showRunning(bool running);
    void showCounts(qint64 matches, qint64 examined);

    AppSettings &m_settings;
    const ConstData &m_names;
    std::function<std::optional<CivilTime>(QWidget *)> m_startMoment;
    std::function<EngineOptions()> m_engineOptions;
    TListF *m_list = nullptr;
    int m_presetDirection = 0;

    QComboBox *m_senBox = nullptr;
    QComboBox *m_houiBox = nullptr;
    QButtonGroup *m_rg1 = nullptr;
    QButtonGroup *m_rg2 = nullptr;
    QLineEdit *m_srcE = nullptr;
    QLineEdit *m_cntE = nullptr;
    QCheckBox *m_allSchools = nullptr;
    QCheckBox *m_peopleBox = nullptr;
    QCheckBox *m_yearMonthBox = nullptr;
    QWidget *m_srcPnl = nullptr;
    QLabel *m_findL = nullptr;
    QLabel *m_cntL = nullptr;
    QPushButton *m_stopBtn = nullptr;
    QWidget *m_btnPnl = nullptr;
    WindowRun m_run{this};
};

// The search dialog and the list window of the main window, joined to it: the
// list's rows open charts there, the dialog reads its entry and options.
struct SearchWindows {
    TSrcSF *search = nullptr;
    TListF *list = nullptr;
};
SearchWindows makeSearchWindows(ChartOpener &main, AppSettings &settings, QWidget *parent);

} // namespace velm
