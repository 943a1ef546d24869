#pragma once

// The main window TMainF: the entry (the moment from which charts are made),
// the chart host (the chart windows) and the explanation pane that describes
// the palace last picked, composed under the menus and toolbars that carry
// the commands.

#include <functional>
#include <optional>

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include "engine/constdata.h"
#include "shell/common/chartopener.h"
#include "shell/common/pcolor.h"
#include "shell/main/charthost.h"
#include "shell/main/entrypanel.h"
#include "shell/settings/appsettings.h"

class QAction;
class QMenu;
class QSplitter;
class QToolBar;

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

    // --- the parts -----------------------------------------------------------
    // The date and time entry with its summary, and the chart windows.
    EntryPanel *entry() const { return m_entry; }
    ChartHost *charts() const { return m_charts; }

    // --- what windows that open charts need (through the entry) ---------------
    bool BanGrp(int kind) const override;
    void setMoment(const CivilTime &moment) override;
    std::optional<CivilTime> enteredMoment() const override;
    std::optional<CivilTime> askEnteredMoment(QWidget *parent) override;
    QDate enteredDate() const override;
    // Opening a chart from another window: check the kind, show the moment
    // in the entry, make the charts of it.
    void openChart(int kind, const CivilTime &moment) override;

    // --- shared state ---------------------------------------------------------
    AppSettings &settings() { return m_settings; }
    const ConstData &constData() const override { return m_constData; }
    // Time zone (the calendar clock's offset at the entered moment), ju
    // periods, KCB1 (this window's copy), laying method, terms and clock.
    EngineOptions engineOptions() const override;
    bool KCB1() const;
    ImiPnl *pane() const { return m_pane; }
    QToolBar *toolBar(Bar bar) const;
    QMenu *menu(Menu menu) const;
    QAction *action(const QString &name) const;
    // The settings summary in the caption and in SysBtn's hint.
    QString summary() const;

public slots:
    void BanBtnClick();
    void NowBtnClick() override;
    void PBanBtnClick();
    void NBanBtnClick();
    void Clr1Click();
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
    void applyFonts();
    void applyColourRule();
    void writeLayout();
    void placeForFourCharts();
    // Tool bars that would be squeezed in their row (a small screen) start
    // a row of their own, so every button stays on screen.
    void fitToolBarRows();
    bool writeTextLines(const QStringList &lines);

    // mainwindow_charts.cpp: from the entry to the chart host
    void PNBtn(int direction);
    // The charts of a moment as entered: the fold asked when needed, then laid.
    void makeCharts(const CivilTime &entered);
    // One request read from the entry, every chart laid from its values.
    void layCharts(const CivilTime &entered);
    void chartClicked(TBanF *window);
    void palaceClicked(TBanF *window, int pos);

    AppSettings &m_settings;
    Hooks m_hooks;
    ConstData m_constData;

    QPointer<TBanF> m_paneChart; // the chart the pane describes
    EntryPanel *m_entry = nullptr;
    ChartHost *m_charts = nullptr;
    QSplitter *m_split = nullptr;
    ImiPnl *m_pane = nullptr;
    QToolBar *m_bars[6] = {};
    QAction *m_barEntries[5] = {};
    QMenu *m_menus[7] = {};
    QMenu *m_barMenu = nullptr;
    QAction *m_stsBar = nullptr;
};

} // namespace velm
