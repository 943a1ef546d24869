// The list window: layout by list kind, the marked direction cell, saving and
// opening list files, opening a row's chart, and deleting rows.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "engine/symbols.h"
#include "output/calendar.h"
#include "output/chartdata.h"
#include "output/search.h"
#include "engine/constdata.h"
#include "evaluation/matters.h"
#include "evaluation/numbers.h"
#include "shell/lists/listwindow.h"
#include "shell/common/messages.h"
#include "clipping.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

ListRow row(const char *kind, const char *date, const char *hour, const char *dir)
{
    ListRow r;
    r[0] = kind;
    r[1] = date;
    r[2] = hour;
    r[3] = "火";
    r[4] = "旬首中宮";
    for (int c = 5; c <= 13; ++c)
        r[static_cast<std::size_t>(c)] = std::to_string(c) + ".50";
    r[14] = dir;
    return r;
}

ListModel searchList()
{
    ListModel m = ListModel::fresh();
    m.SenL = " 占事「求財」 方位「全方位」 ";
    m.CntL = "3/57";
    m.rows.push_back(row("日盤", "2024/03/05", "14", "2"));
    m.rows.push_back(row("時盤", "2024/03/06", "08", "9"));
    m.rows.push_back(row("日盤", "2024/03/07", "00", "5"));
    return m;
}

QModelIndex cell(TListF &w, int listRow, int column)
{
    return w.findChild<QTableView *>(QStringLiteral("SG1"))->model()->index(listRow - 1, column);
}

QPoint centre(TListF &w, int listRow, int column)
{
    return w.findChild<QTableView *>(QStringLiteral("SG1"))->visualRect(cell(w, listRow, column)).center();
}

// A double click as the user makes it: the first click selects the row.
void doubleClick(TListF &w, int listRow, int column)
{
    const QPoint at = centre(w, listRow, column);
    QTest::mouseClick(w.findChild<QTableView *>(QStringLiteral("SG1"))->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w.findChild<QTableView *>(QStringLiteral("SG1"))->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

TEST(ListF, SearchListLayoutCaptionsAndMarkedDirection)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF w(settings);
    w.showList(searchList(), false);

    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("検索一覧表"));
    EXPECT_EQ(w.listKind(), ListKind::Search);
    EXPECT_EQ(w.SenL()->text(), QStringLiteral(" 占事「求財」 方位「全方位」 "));
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("3/57"));
    QAbstractItemModel *model = w.findChild<QTableView *>(QStringLiteral("SG1"))->model();
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("盤"));
    EXPECT_EQ(model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("中宮"));
    EXPECT_EQ(model->headerData(13, Qt::Horizontal).toString(), QStringLiteral("北西"));
    EXPECT_TRUE(w.findChild<QTableView *>(QStringLiteral("SG1"))->isColumnHidden(14));
    // Only the height may change: the width is held.
    EXPECT_EQ(w.minimumWidth(), w.maximumWidth());

    // Direction 2 (west) is marked in its ring column, 9 in the centre column.
    const int west = 5 + KyuToRing[2];
    for (int c = 1; c < 14; ++c) {
        const QColor bg = cell(w, 1, c).data(Qt::BackgroundRole).value<QColor>();
        EXPECT_EQ(bg == QColor(Qt::yellow), c == west) << c;
    }
    EXPECT_EQ(cell(w, 2, 5).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));

    // Shown again later (the list button): the same list, now on top when asked.
    w.close();
    EXPECT_FALSE(w.isVisible());
    w.showWindow(true);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.hasRows());
    EXPECT_EQ(w.findChild<QTableView *>(QStringLiteral("SG1"))->model()->rowCount(), 3);
}

TEST(ListF, FirstShownInTheChartAreaNotOverTheToolbars)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    QMainWindow main;
    auto *charts = new QWidget;
    main.setCentralWidget(charts);
    main.menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    main.addToolBar(QStringLiteral("検索Bar"))->addAction(QStringLiteral("検索"));
    main.setGeometry(100, 100, 900, 600);
    main.show();
    TListF w(settings, &main);
    w.showList(searchList(), true);
    EXPECT_EQ(w.pos(), charts->mapToGlobal(QPoint(8, 8)));
    // Once it has a place, that place is kept.
    w.move(300, 40);
    w.hide();
    w.showWindow(false);
    EXPECT_EQ(w.pos(), QPoint(300, 40));
    // Without a parent it finds the main window all the same.
    QTemporaryDir other;
    AppSettings fresh(other.path(), other.path());
    TListF alone(fresh);
    alone.showList(searchList(), false);
    EXPECT_EQ(alone.pos(), charts->mapToGlobal(QPoint(8, 8)));
}

TEST(ListF, SaveAndOpenRoundTrip)
{
    RecordedMessages messages;
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF w(settings);
    w.showList(searchList(), false);
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    w.saveFileName = [&](QWidget *) { return path; };
    w.openFileName = [&](QWidget *) { return path; };

    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("ExpBtn")), Qt::LeftButton);
    ASSERT_TRUE(QFileInfo::exists(path));
    const ListModel saved = w.list();

    // Another list replaces it, then the file brings it back whole.
    ListModel other = ListModel::fresh();
    other.SenL = " 作盤データ  ";
    other.CntL = "1";
    w.showList(other, false);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("作盤データ一覧表"));
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("OpenBtn")), Qt::LeftButton);

    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w.list().SenL, saved.SenL);
    EXPECT_EQ(w.list().CntL, saved.CntL);
    EXPECT_EQ(w.list().rows, saved.rows);
    EXPECT_EQ(w.SenL()->text(), QStringLiteral(" 占事「求財」 方位「全方位」 "));
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("3/57"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("検索一覧表"));
    EXPECT_EQ(cell(w, 3, 5 + KyuToRing[5]).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));

    // Cancelling the save writes nothing; a missing file leaves the list as it is.
    QFile::remove(path);
    w.saveFileName = [](QWidget *) { return QString(); };
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("ExpBtn")), Qt::LeftButton);
    EXPECT_FALSE(QFileInfo::exists(path));
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("OpenBtn")), Qt::LeftButton);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("見つかりません"))) << messages.texts[0].toStdString();
    EXPECT_EQ(w.list().rows, saved.rows);
}

TEST(ListF, SavingACellWithACommaIsRefused)
{
    RecordedMessages messages;
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF w(settings);
    ListModel list = searchList();
    list.rows[1][4] = "a,b";
    w.showList(list, false);
    const QString path = dir.filePath(QStringLiteral("bad.csv"));
    w.saveFileName = [&](QWidget *) { return path; };
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("ExpBtn")), Qt::LeftButton);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(ListF, DoubleClickOpensTheRowsChart)
{
    RecordedMessages messages;
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF w(settings);
    w.showList(searchList(), false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    std::vector<std::pair<int, CivilTime>> opened;
    QObject::connect(&w, &TListF::openChart, [&](int kind, const CivilTime &t) { opened.emplace_back(kind, t); });

    doubleClick(w, 1, 2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, KindDay);
    EXPECT_EQ(opened[0].second, (CivilTime{2024, 3, 5, 14, 0, 0}));

    // A kind the main window has not checked: asked first; "No" makes nothing.
    w.kindChecked = [](int kind) { return kind != KindHour; };
    messages.answer = ui::Answer::No;
    doubleClick(w, 2, 1);
    EXPECT_EQ(opened.size(), 1u);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], QStringLiteral("システム設定で、『時盤』はチェックされていませんが、チェックしますか？"));
    messages.answer = ui::Answer::Yes;
    doubleClick(w, 2, 1);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].first, KindHour);
    EXPECT_EQ(opened[1].second, (CivilTime{2024, 3, 6, 8, 0, 0}));

    // With the double click switched off in the settings nothing happens.
    settings.setDoubleClickOpensChart(false);
    doubleClick(w, 1, 2);
    EXPECT_EQ(opened.size(), 2u);

    // A row whose date cannot be read says so and opens nothing.
    settings.setDoubleClickOpensChart(true);
    ListModel bad = searchList();
    bad.rows[1][1] = "2024/13/40";
    w.showList(bad, false);
    doubleClick(w, 1, 2);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("2024/13/40")));
}

TEST(ListF, PopupMenuDeletesAndOpensTheRowUnderThePointer)
{
    RecordedMessages messages;
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF w(settings);
    w.showList(searchList(), false);
    int opened = 0;
    QObject::connect(&w, &TListF::openChart, [&](int, const CivilTime &) { ++opened; });

    auto popupAt = [&](QPoint pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, w.findChild<QTableView *>(QStringLiteral("SG1"))->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(w.findChild<QTableView *>(QStringLiteral("SG1"))->viewport(), &event);
    };
    auto item = [&](const char *name) { return w.findChild<QMenu *>(QStringLiteral("PopupMenu1"))->findChild<QAction *>(QLatin1String(name)); };

    popupAt(centre(w, 2, 3));
    ASSERT_TRUE(w.findChild<QMenu *>(QStringLiteral("PopupMenu1"))->isVisible());
    item("DelItem")->trigger();
    w.findChild<QMenu *>(QStringLiteral("PopupMenu1"))->hide();
    ASSERT_EQ(w.list().dataRowCount(), 2);
    EXPECT_EQ(w.list().rows[1][1], "2024/03/05");
    EXPECT_EQ(w.list().rows[2][1], "2024/03/07");
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("3/57")); // the count stays as the search left it

    popupAt(centre(w, 2, 3));
    item("BanItem")->trigger();
    w.findChild<QMenu *>(QStringLiteral("PopupMenu1"))->hide();
    EXPECT_EQ(opened, 1);

    // Below the last row there is no row to act on: no menu.
    popupAt(QPoint(5, w.findChild<QTableView *>(QStringLiteral("SG1"))->viewport()->height() - 2));
    EXPECT_FALSE(w.findChild<QMenu *>(QStringLiteral("PopupMenu1"))->isVisible());
    EXPECT_EQ(w.list().dataRowCount(), 2);
}

// The chart-data list shows its pillars, terms and doors whole ("休-乾", never
// "休…"); a file of another kind, such as the calendar's export, is refused by
// name and the list stays as it was.
TEST(ListF, ChartDataShowsWholeTextsAndOtherFilesAreRefused)
{
    RecordedMessages messages;
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF w(settings);
    for (int kind : {0, 3}) {
        ChartDataListOptions o;
        o.start = {2024, 3, 1, 10, 45, 0};
        o.kind = kind;
        o.count = 24;
        w.showList(chartDataListModel(ListProc(o)), false);
        EXPECT_NE(w.list().rows[1][12].find('-'), std::string::npos) << w.list().rows[1][12]; // "休-乾"
        EXPECT_EQ(clippedReport(&w), "") << kind;
    }
    w.showList(searchList(), false);
    EXPECT_EQ(clippedReport(&w), "");

    ListModel calendar;
    calendar.SenL = "2024/03/10 13:00 ～ 2024/03/11 07:00";
    calendar.CntL = "10:件";
    calendar.rows = {calendarCaptions(), row("時盤", "2024/03/10", "13", "")};
    const QString path = dir.filePath(QStringLiteral("calendar.csv"));
    ASSERT_EQ(writeListFile(path.toStdString(), calendar), "");
    w.openFileName = [&](QWidget *) { return path; };
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("OpenBtn")), Qt::LeftButton);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("calendar.csv"))) << messages.texts[0].toStdString();
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("一覧表ファイルではありません")));
    EXPECT_EQ(w.list().SenL, searchList().SenL);
    EXPECT_EQ(w.list().dataRowCount(), 3);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("検索一覧表"));

    // Opened from the main window while hidden: a refused file leaves no
    // window behind; a list file shows it.
    TListF hidden(settings);
    hidden.openFileName = [&](QWidget *) { return path; };
    hidden.openFile(false);
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_FALSE(hidden.isVisible());
    const QString good = dir.filePath(QStringLiteral("search.csv"));
    ASSERT_EQ(writeListFile(good.toStdString(), searchList()), "");
    hidden.openFileName = [&](QWidget *) { return good; };
    hidden.openFile(false);
    EXPECT_TRUE(hidden.isVisible());
    EXPECT_EQ(hidden.list().dataRowCount(), 3);
}

TEST(ListF, RowsNearATermAreMarkedForTheEyeOnly)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF w(settings);
    ListModel list = searchList();
    list.rows.push_back(row("時盤", "2024/02/04", "17", "1"));
    w.showList(list, false);
    for (int r = 1; r <= 4; ++r) {
        const QModelIndex date = cell(w, r, 1);
        EXPECT_EQ(date.data(Qt::BackgroundRole).value<QColor>() == BoundaryMarkColour, r == 4) << r;
        EXPECT_EQ(date.data(Qt::ToolTipRole).toString().startsWith(QStringLiteral("立春まで19分")), r == 4) << r;
    }
    // Display only: the list the window saves is the list it was given.
    EXPECT_EQ(w.findChild<QTableView *>(QStringLiteral("SG1"))->model()->rowCount(), 4);
    EXPECT_EQ(cell(w, 4, 1).data().toString(), QStringLiteral("2024/02/04"));

    settings.setBoundaryWarn(0);
    w.showList(list, false);
    EXPECT_NE(cell(w, 4, 1).data(Qt::BackgroundRole).value<QColor>(), BoundaryMarkColour);
}

// A century's list opens with its first rows and fills in blocks while the
// window answers; a wide cell met only late still widens its column, and a
// row deleted meanwhile stays deleted.
TEST(ListF, ALongListFillsInBlocks)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF w(settings);
    ListModel long_ = searchList();
    long_.rows.resize(1);
    constexpr int Rows = 60000;
    for (int r = 0; r < Rows; ++r)
        long_.rows.push_back(row("時盤", "2024/03/05", "14", "2"));
    long_.rows.back()[6] = "WWWWWWWWWWWWWWWWWWWWWWWWWW";
    w.showList(std::move(long_), false);
    QAbstractItemModel *model = w.findChild<QTableView *>(QStringLiteral("SG1"))->model();
    EXPECT_TRUE(w.filling());
    EXPECT_LT(model->rowCount(), Rows);
    EXPECT_EQ(w.list().dataRowCount(), Rows);
    const int narrow = w.findChild<QTableView *>(QStringLiteral("SG1"))->columnWidth(6);

    w.DelItemClick(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.filling(); }, 20000));
    EXPECT_EQ(model->rowCount(), Rows - 1);
    EXPECT_GT(w.findChild<QTableView *>(QStringLiteral("SG1"))->columnWidth(6), narrow);
    EXPECT_GE(w.findChild<QTableView *>(QStringLiteral("SG1"))->columnWidth(6), w.findChild<QTableView *>(QStringLiteral("SG1"))->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWW")));

    // Saved and opened again: a file this large is read on another thread.
    const QString path = dir.filePath(QStringLiteral("long.csv"));
    ASSERT_EQ(writeListFile(path.toStdString(), w.list()), "");
    w.showList(searchList(), false);
    w.openFileName = [&](QWidget *) { return path; };
    w.OpenBtnClick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.list().dataRowCount() == Rows - 1; }, 20000));
    EXPECT_EQ(w.list().rows.back()[6], "WWWWWWWWWWWWWWWWWWWWWWWWWW");
}

// A search's list is handed over with its rows still to be made: the window
// makes them a block at a time as it shows them, and the list it ends with,
// its columns and the file it saves (even while filling) are those of the
// list made whole beforehand.
TEST(ListF, ASearchListMakesItsRowsAsItShowsThem)
{
    const std::string data = VELM_DATA_DIR;
    const NumbersFile numbers = readNumbersFile(data + "/SuuFile.Dat");
    const MatterListLoad matters = readMatterList(data + "/Senji.Idx");
    ASSERT_TRUE(numbers.ok() && !matters.list.names.empty());
    const SenMatterLoad matter = loadSenMatter(data + "/Senji.Dat", matters.list.names.front());
    ASSERT_TRUE(matter.ok);
    SearchSettings search;
    search.start = CivilTime{2026, 1, 1, 0, 0, 0};
    search.kind = KindHour;
    search.limit = search.maxMatches = 20000;
    const auto outcome =
        std::make_shared<SearchOutcome>(SrcProc(search, matter.matter, numbers.tables, MakeConstData()));
    ASSERT_GT(outcome->rowCount(), 5000u);
    const ListModel whole = searchListModel("m", 0, *outcome);

    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TListF full(settings);
    full.showList(whole, false);
    full.fillAll();
    TListF lazy(settings);
    ListRowSource rows;
    rows.count = outcome->rowCount();
    rows.wide = outcome->hasWideCells();
    rows.make = [outcome](std::size_t from, std::size_t to, std::vector<ListRow> &into) {
        outcome->appendRows(from, to, into);
    };
    lazy.showList(searchListHead("m", 0, *outcome), false, std::move(rows));
    EXPECT_TRUE(lazy.hasRows());
    EXPECT_TRUE(lazy.filling());
    EXPECT_LT(lazy.list().dataRowCount(), whole.dataRowCount());

    const QString path = dir.filePath(QStringLiteral("search.csv"));
    lazy.saveFileName = [&](QWidget *) { return path; };
    lazy.ExpBtnClick();
    EXPECT_FALSE(lazy.filling());
    EXPECT_EQ(lazy.list().rows, whole.rows);
    EXPECT_EQ(readListFile(path.toStdString()).model.rows, whole.rows);
    EXPECT_EQ(lazy.findChild<QTableView *>(QStringLiteral("SG1"))->model()->rowCount(), whole.dataRowCount());
    for (int c = 0; c < ListColumnCount; ++c)
        EXPECT_EQ(lazy.findChild<QTableView *>(QStringLiteral("SG1"))->columnWidth(c), full.findChild<QTableView *>(QStringLiteral("SG1"))->columnWidth(c)) << c;
}
