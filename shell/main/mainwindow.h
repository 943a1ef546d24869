#pragma once

// The main window TMainF: the parent of every chart window, the date and time
// entry from which charts are made, the commands of the menus and toolbars,
// and the explanation pane that describes the palace last picked.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "output/laidchart.h"
#include "shell/common/boundarynote.h"
#include "shell/settings/appsettings.h"
#include "shell/main/dateentry.h"
#include "shell/common/chartopener.h"
#include "shell/common/pcolor.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

namespace velm {

class ImiPnl;
class TBanF;

class TMainF : public QMainWindow, public ChartOpener {
    Q_OBJECT
public:
    // The toolbars, in the order of their entries under "ﾂｰﾙﾊﾞｰ(&T)" (NetBar has none).
    enum Bar { FindBar, EntBar, SystemBar, WindowBar, KoyomiBar, NetBar };
    // The top-level menus.
    enum Menu { FileMenu, EditMenu, SettingsMenu, ViewMenu, WindowMenu, ToolMenu, HelpMenu };

    // Windows made elsewhere, reached through these. An empty hook leaves its
    // menu entry and button disabled.
    struct Hooks {
        std::function<void()> showSystemSettings; // SysBtnClick, after the chart windows are closed
        std::function<void()> showGaiji;          // Gaiji1Click: special characters, modal
        std::function<void()> showTeii;           // TeiiBtnClick: both fixed-position windows
        std::function<void()> showAbout;          // About1Click: modal
        std::function<void()> closeStartWindows;  // FormClose: the windows made at start store their values
        // The print preview of chart windows, opened from `opener`.
        std::function<void(const QList<TBanF *> &charts, QWidget *opener)> printCharts;
    };

    explicit TMainF(AppSettings &settings, QWidget *parent = nullptr);
    ~TMainF() override;

    void setHooks(Hooks hooks);
    const Hooks &hooks() const { return m_hooks; }

    // Seams for dialogs a test must not wait on. saveFileName: the file to
    // write, empty when cancelled. openUrl: the platform's browser.
    std::function<QString(QWidget *parent, const QString &caption)> saveFileName;
    std::function<bool(const QUrl &url)> openUrl;
    // The PDF of "全ての遁甲盤をPDFに書き出す": the file, empty when cancelled.
    std::function<QString(QWidget *parent)> savePdfName;
    // Every open chart window, in the order of tiling, into one PDF: one per
    // page, or four to a sheet.
    void exportChartsPdf(bool fourPerSheet);

    // First showing: at the first start (no "VELMWIN.ini") sized for four
    // tiled charts and the explanation pane (within the screen) and centred,
    // else at the stored placement; then the moment is set to now.
    void showAtStart();

    // --- the entry ------------------------------------------------------------
    // The fields are "DateE", "TimeE" and "Panel1" by object name.
    bool BanGrp(int kind) const override;
    void setBanGrp(int kind, bool checked);
    bool CGS() const;
    void setCGS(bool checked);
    // The date value, a date that may carry a fraction of a day (seconds).
    std::int64_t dateValue() const { return m_dateSeconds; }
    void setDateValue(std::int64_t seconds);
    // DateE and TimeE (as "hh:nn") from a moment; runs DispDateData through the time change.
    void setMoment(const CivilTime &moment) override;
    // The moment of DateE and TimeE on the calendar clock (the entered time
    // itself unless the settings name a zone or local solar time); nullopt
    // while the time is half typed or the clock cannot read it.
    std::optional<CivilTime> enteredMoment() const override;
    std::optional<CivilTime> askEnteredMoment(QWidget *parent) override;
    QDate enteredDate() const override;
    // The calendar facts of the last DispDateData.
    const Koyomi &koyomi() const { return m_koyomi; }

    // Opening a chart from another window: check the kind, set the moment, make the charts.
    void openChart(int kind, const CivilTime &moment) override;

    // --- the chart windows ----------------------------------------------------
    QMdiArea *mdiArea() const { return m_mdi; }
    // Most recently active first.
    QList<TBanF *> chartWindows() const;
    TBanF *chartWindow(const QString &title) const;
    // The chart window the explanation pane describes (the active one).
    TBanF *activeChartWindow() const;
    // The order of tiling and printing: by sets of charts, the newest set
    // first, each set 年 月 日 then its hour charts in time order.
    QList<TBanF *> tiledCharts() const;
    // The chart of the newest set's entered moment (its hour chart when one
    // was made), null without charts.
    TBanF *enteredChart() const;

    // --- shared state ---------------------------------------------------------
    AppSettings &settings() { return m_settings; }
    const ConstData &constData() const override { return m_constData; }
    // Time zone (the calendar clock's offset at the entered moment), ju
    // periods, KCB1 (this window's copy), laying method, terms and clock.
    EngineOptions engineOptions() const override;
    bool KCB1() const { return m_KCB1; }
    ImiPnl *pane() const { return m_pane; }
    QToolBar *toolBar(Bar bar) const;
    QMenu *menu(Menu menu) const;
    QAction *action(const QString &name) const;
    // The settings summary in the caption and in SysBtn's hint.
    QString summary() const;

public slots:
    void DispDateData();
    void BanBtnClick();
    void NowBtnClick() override;
    void TimeBtnUpClick();
    void TimeBtnDownClick();
    void PBanBtnClick();
    void NBanBtnClick();
    void Clr1Click();
    void Tile1Click();
    void Cascade1Click();
    void ArrangeAll1Click();
    void BExpBtnClick();
    void ExpBtnClick();
    void HelpBtnClick();
    void URLBtnClick();
    void SysBtnClick();
    // The system settings changed KCB1 (or TCB): the main window's copy.
    void setKCB1(bool on);
    // Options were stored: caption, hints, fonts, colours and the status bar follow.
    void refreshFromSettings();
    // A palace of the active chart window picked (HouiBoxChange and clicks).
    void PnlRead(int pos);

public:
    QMenu *createPopupMenu() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // mainwindow.cpp: frame, commands, settings
    void buildActions();
    void buildMenus();
    void buildToolBars();
    void buildCentre();
    QAction *makeAction(const QString &name, const QString &caption, const QString &hint);
    void DataRead();
    void DataSave();
    void FormActivate();
    void UpdateMenuItems();
    void updateHookActions();
    void SystemBarOrientation(Qt::Orientation orientation);
    void applyFonts();
    void applyColourRule();
    void writeLayout();
    void placeForFourCharts();
    // Tool bars that would be squeezed in their row (a small screen) start
    // a row of their own, so every button stays on screen.
    void fitToolBarRows();
    bool writeTextLines(const QStringList &lines);

    // mainwindow_charts.cpp: the entry and chart making
    void buildEntry();
    void dateEdited();
    // Whether the date field holds a whole, existing date; otherwise says so.
    bool dateReadable();
    // DateE and TimeE together, DispDateData once.
    void setEntry(std::int64_t dateSeconds, const QString &time);
    void stepTime(int direction);
    void PNBtn(int direction);
    // A moment of a chart request: as entered, on the calendar clock, and the
    // options with the calendar clock's offset at it.
    struct ChartMoment {
        CivilTime entered;
        CivilTime at;
        EngineOptions options;
    };
    // What one press of the chart button lays, read from the fields once:
    // the moment, the kinds ticked and the designated hours of its day.
    struct ChartRequest {
        ChartMoment moment;
        std::array<bool, 4> kinds{};
        std::vector<ChartMoment> designated;
    };
    // The entered moment read on the clock; nullopt with the message when
    // the clock cannot read it.
    std::optional<ChartMoment> chartMoment(const CivilTime &entered, QString &error) const;
    std::optional<ChartRequest> chartRequest(const CivilTime &entered, QString &error) const;
    // The charts of the entered moment, each laid from the request's values.
    void layCharts(const CivilTime &entered);
    // designated: a designated hour chart, laid at the start of its double-hour.
    void makeChart(int kind, const QString &title, const ChartMoment &moment, const NumberTables &numbers,
                   bool designated = false);
    // A chart window of the laid chart; `entered` is its moment as entered,
    // `at` the same on the calendar clock with its note. It joins set `set`
    // of charts, whose entered moment is `setMoment`. `title` ends with the
    // `calendar` caption when there is one; the window shows it inside.
    TBanF *addChartWindow(const LaidChart &laid, const QString &title, const QString &calendar,
                          const CivilTime &entered, const BoundaryNote &note, const CivilTime &at,
                          bool crossable, int set, const QString &setMoment);
    // Tiles, then scrolls so that `visible` (if any) is in view.
    void tileCharts(TBanF *visible);
    // After a change of the chart area's size, when charts tile by themselves.
    void retileSoon();
    // "境界の反対側" of a chart window: the chart across its nearest boundary.
    void otherSide(TBanF *window);
    // "流派比較": the hour chart's ju and scores by each school, side by side.
    void compareSchools(TBanF *window);
    // The title of a chart of the entered kind and moment, with the calendar
    // in use; `side` ("立春後") marks a chart on one side of a term.
    QString chartWindowTitle(int kind, const CivilTime &at, const EngineOptions &options,
                             const QString &side = {}) const;
    bool bringToFront(const QString &title);
    // A window of the chart command's moment already open joins its set.
    void joinNewestSet(TBanF *window);
    void chartClicked(TBanF *window);
    void palaceClicked(TBanF *window, int pos);
    void MnuBarInitMenu();
    void CldMenuClick(QMdiSubWindow *sub);
    std::optional<NumberTables> loadNumbers();
    QMdiSubWindow *subWindowOf(const TBanF *window) const;

    AppSettings &m_settings;
    Hooks m_hooks;
    ConstData m_constData;
    bool m_KCB1 = true;
    Koyomi m_koyomi;
    // How to read an entered time that a summer-time change skipped or
    // repeated, as the user chose for that time.
    std::optional<std::pair<CivilTime, Fold>> m_fold;
    // The summary of the last moment that read.
    QString m_lastGoodSummary;
    Fold foldFor(const CivilTime &entered) const;
    // Asks for m_fold when the entered time needs it; false when cancelled.
    bool chooseFold(const CivilTime &entered, QWidget *parent);
    QLabel *m_calendarL = nullptr; // the calendar in use, on the status line
    QLabel *m_boundaryL = nullptr; // the entered moment near a boundary, on the status line
    std::int64_t m_dateSeconds = 0;
    bool m_settingDate = false;
    bool m_making = false;
    int m_setCount = 0;  // chart sets made so far
    int m_madeCount = 0; // chart windows made so far
    QString m_setMoment; // the entered moment of the set being made
    bool m_retilePending = false;
    QString m_numbersWarned;

    QPointer<TBanF> m_paneChart; // the chart the pane describes
    QMdiArea *m_mdi = nullptr;
    QSplitter *m_split = nullptr;
    ImiPnl *m_pane = nullptr;
    QToolBar *m_bars[6] = {};
    QAction *m_barEntries[5] = {};
    QMenu *m_menus[7] = {};
    QMenu *m_barMenu = nullptr;
    QList<QAction *> m_windowListEntries;
    QList<QMenu *> m_windowListMenus;
    QAction *m_stsBar = nullptr;

    DateEntry *m_dateE = nullptr;
    QLineEdit *m_timeE = nullptr;
    QLabel *m_panel1 = nullptr;
    QGroupBox *m_banGrpBox = nullptr;
    QCheckBox *m_banGrp[4] = {};
    QGroupBox *m_cgsBox = nullptr;
    QCheckBox *m_cgs = nullptr;
};

} // namespace velm
