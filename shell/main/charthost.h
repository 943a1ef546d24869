#pragma once

// The chart host of the main window: the area of the chart windows. It lays
// the charts of a request from its values, one window per chart, and keeps
// the windows: a title names one window only (a second request for it brings
// it to the front), windows tile by sets of charts, the window menu lists
// them, and a chart near a boundary opens its twin on the other side.

#include <functional>
#include <optional>

#include <QList>
#include <QObject>
#include <QString>

#include "engine/constdata.h"
#include "evaluation/numbers.h"
#include "output/journal.h"
#include "output/laidchart.h"
#include "shell/common/boundarynote.h"
#include "shell/main/chartrequest.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QWidget;

namespace velm {

class AppSettings;
class TBanF;

class ChartHost : public QObject {
    Q_OBJECT
public:
    // The area ("MdiArea") is made as a child of `window`, over which the
    // host's messages show. `constData` outlives the host.
    ChartHost(AppSettings &settings, const ConstData &constData, QWidget *window);

    QMdiArea *mdiArea() const { return m_mdi; }
    // The options of the charts the host lays by itself (the other side of
    // a boundary, the schools compared); the settings' own without it.
    std::function<EngineOptions()> options;

    // The numbers file, its faults said once; nullopt after an error box.
    std::optional<NumberTables> loadNumbers();
    // While a request is being laid.
    bool making() const { return m_making; }
    // Every chart of the request, each laid from its values: the kinds from
    // hour to year, the designated hours after the hour chart. Titles already
    // open come to the front and join the new set. Tiles afterwards when the
    // settings say so.
    void layCharts(const ChartRequest &request, const NumberTables &numbers);

    // Most recently active first.
    QList<TBanF *> chartWindows() const;
    // The window of a full title (with its calendar caption), null when none.
    TBanF *chartWindow(const QString &title) const;
    // The active chart window, else the most recent one.
    TBanF *activeChartWindow() const;
    // The order of tiling and printing: by sets of charts, the newest set
    // first, each set 年 月 日 then its hour charts in time order.
    QList<TBanF *> tiledCharts() const;
    // The chart of the newest set's entered moment (its hour chart when one
    // was made), null without charts.
    TBanF *enteredChart() const;
    // The title of a chart of `kind` at `at` (on the calendar clock), with
    // `side` ("立春後") or, counting terms to the minute, the side of a term
    // of that hour; without the calendar caption.
    QString chartWindowTitle(int kind, const CivilTime &at, const EngineOptions &options, const QString &side = {}) const;
    // The full title: the short one, then the calendar caption when there is one.
    static QString fullTitle(const QString &title, const QString &calendar);

    // Closes every chart window, last child first.
    void closeAll();
    // "並べて表示", "重ねて表示", "ｱｲｺﾝの整列".
    void tile();
    void cascade();
    void arrangeIcons();
    // The generated part of the window menu: the charts by sets.
    void listWindows(QMenu *menu);
    // The charts of a journal entry laid again with its own options, not the
    // current ones (the title says so), scored with today's numbers or, when
    // `recordedScores`, showing the scores it recorded.
    void openRecorded(const JournalEntry &entry, bool recordedScores);

signals:
    // A press anywhere on a chart window; a palace picked in one.
    void chartClicked(TBanF *window);
    void palaceClicked(TBanF *window, int palace);
    // "印刷ﾌﾟﾚﾋﾞｭｰ" chosen in a chart window.
    void printRequested(TBanF *window);
    // A chart window made, closed or activated.
    void chartsChanged();
    // "記録に残す…" chosen in a chart window.
    void journalRequested(TBanF *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    EngineOptions currentOptions() const;
    // designated: a designated hour chart, laid at the start of its double-hour.
    void makeChart(int kind, const QString &title, const ChartMoment &moment, const NumberTables &numbers,
                   bool designated = false);
    // A chart window of the laid chart; `title` is its title bar and
    // `calendar` the caption it shows inside, together its full title.
    // `entered` is its moment as entered, `at` the same on the calendar
    // clock with its note. It joins set `set` of charts, whose entered
    // moment is `setMoment`.
    TBanF *addChartWindow(const LaidChart &laid, const QString &title, const QString &calendar,
                          const CivilTime &entered, const BoundaryNote &note, const CivilTime &at, bool crossable,
                          int set, const QString &setMoment);
    // Tiles, then scrolls so that `visible` (if any) is in view.
    void tileCharts(TBanF *visible);
    // After a change of the chart area's size, when charts tile by themselves.
    void retileSoon();
    bool bringToFront(const QString &title);
    // A window of the request's moment already open joins its set.
    void joinNewestSet(TBanF *window);
    // "境界の反対側" of a chart window: the chart across its nearest boundary.
    void otherSide(TBanF *window);
    // "流派比較": the hour chart's ju and scores by each school, side by side.
    void compareSchools(TBanF *window);
    void showWindow(QMdiSubWindow *sub);
    QMdiSubWindow *subWindowOf(const TBanF *window) const;

    AppSettings &m_settings;
    const ConstData &m_constData;
    QWidget *m_window;
    QMdiArea *m_mdi = nullptr;
    bool m_making = false;
    int m_setCount = 0;  // chart sets made so far
    int m_madeCount = 0; // chart windows made so far
    QString m_setMoment; // the entered moment of the set being made
    bool m_retilePending = false;
    QString m_numbersWarned;
    QList<QAction *> m_windowListEntries;
    QList<QMenu *> m_windowListMenus;
};

} // namespace velm
