// The numbers calendar driven as a user would: the rows built from the main
// window's moment, the row count and the hour-row display setting, folding a
// day with a click, the day buttons, the hint over a score cell, the popup
// menu, the export, and the main window's guard for an empty hour selection.

#include <gtest/gtest.h>

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include "engine/ban.h"
#include "engine/codec.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"
#include "evaluation/patterns.h"
#include "shell/app/app.h"
#include "shell/lists/calendarwindow.h"
#include "shell/main/dateentry.h"
#include "shell/main/mainwindow.h"
#include "shell/common/messages.h"
#include "shell/common/pcolor.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

class CaleFTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<AppSettings>(program.path(), config.path());
        main = std::make_unique<TMainF>(*settings);
        main->setMoment(CivilTime{2024, 3, 10, 14, 20, 0});
        cale = std::make_unique<TCaleF>(*main, *settings);
        cale->rowCountText = [this] { return rows; };
    }

    void TearDown() override
    {
        cale.reset();
        main.reset();
    }

    // The cell text of model row r, column c.
    QString cell(int r, int c) const { return cale->model()->index(r, c).data().toString(); }
    QString kindAndHour(int r) const { return cell(r, 0) + QLatin1Char(' ') + cell(r, 1) + QLatin1Char(' ') + cell(r, 2); }
    int visibleRows() const
    {
        int n = 0;
        for (int r = 0; r < cale->model()->rowCount(); ++r)
            n += cale->findChild<QTableView *>(QStringLiteral("CSG"))->isRowHidden(r) ? 0 : 1;
        return n;
    }
    QPoint cellCentre(int r, int c) const
    {
        cale->findChild<QTableView *>(QStringLiteral("CSG"))->scrollTo(cale->model()->index(r, c));
        return cale->findChild<QTableView *>(QStringLiteral("CSG"))->visualRect(cale->model()->index(r, c)).center();
    }
    void clickButton(const char *name)
    {
        auto *b = cale->findChild<QPushButton *>(QLatin1String(name));
        ASSERT_TRUE(b) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    ScratchProgram program{DataFiles::Program};
    QTemporaryDir config;
    RecordedMessages messages;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<TMainF> main;
    std::unique_ptr<TCaleF> cale;
    QString rows = QStringLiteral("12");
};

TEST_F(CaleFTest, ListsFromTheDoubleHourOfTheMainWindow)
{
    cale->show();
    EXPECT_EQ(cale->windowTitle(), QStringLiteral("数値カレンダー"));
    ASSERT_EQ(cale->model()->rowCount(), 12) << messages.texts.join('|').toStdString();
    EXPECT_TRUE(messages.texts.isEmpty());

    // 14:20 belongs to the double-hour that began at 13:00.
    const QStringList expected{"年盤 2024/03/10 13", "月盤 2024/03/10 13", "日盤 2024/03/10 13",
                               "時盤 2024/03/10 13", "時盤 2024/03/10 15", "時盤 2024/03/10 17"};
    for (int r = 0; r < expected.size(); ++r)
        EXPECT_EQ(kindAndHour(r), expected[r]) << r;
    EXPECT_EQ(cell(0, 3), QStringLiteral("日")); // a Sunday
    EXPECT_EQ(cell(3, 14), QStringLiteral("3"));
    EXPECT_TRUE(cale->findChild<QTableView *>(QStringLiteral("CSG"))->isColumnHidden(14));
    EXPECT_EQ(cale->model()->headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral(" 北"));
    EXPECT_TRUE(cale->SenL()->text().startsWith(QStringLiteral("2024/03/10 13:00 ～ ")));
    EXPECT_EQ(cale->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("12:件"));

    // A later change of the day pillar gives a day row, then its hour row at the same moment.
    int day = -1;
    for (int r = 4; r < 12 && day < 0; ++r)
        if (cell(r, 0) == QStringLiteral("日盤"))
            day = r;
    ASSERT_GT(day, 0);
    ASSERT_LT(day + 1, 12);
    EXPECT_EQ(cell(day + 1, 0), QStringLiteral("時盤"));
    EXPECT_EQ(cell(day + 1, 1) + cell(day + 1, 2), cell(day, 1) + cell(day, 2));

    // Scores in the colour of their value, with readable text; period rows silver.
    const QModelIndex score = cale->model()->index(3, 6);
    const QColor background = PColor(score.data().toString(), pcolorSettings(*settings));
    EXPECT_EQ(score.data(Qt::BackgroundRole).value<QColor>(), background);
    EXPECT_EQ(score.data(Qt::ForegroundRole).value<QColor>(), FColor(background));
    EXPECT_TRUE(score.data().toString().contains(QLatin1Char('.')));
    EXPECT_EQ(cale->model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(cale->model()->index(2, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::blue));
    EXPECT_EQ(cale->model()->index(4, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
}

TEST_F(CaleFTest, RowCountAndHourRowSettings)
{
    rows = QStringLiteral("10");
    cale->show();
    EXPECT_EQ(cale->model()->rowCount(), 10);
    EXPECT_EQ(visibleRows(), 10);

    settings->setCalendarHourRows(1); // 表示しない
    cale->FormShow();
    for (int r = 0; r < cale->model()->rowCount(); ++r)
        EXPECT_EQ(cale->findChild<QTableView *>(QStringLiteral("CSG"))->isRowHidden(r), cell(r, 0) == QStringLiteral("時盤")) << r;

    settings->setCalendarHourRows(2); // 当日のみ表示
    rows = QStringLiteral("14");
    cale->FormShow();
    int shownOtherDays = 0;
    int hiddenFirstDay = 0;
    for (int r = 0; r < cale->model()->rowCount(); ++r) {
        if (cell(r, 0) != QStringLiteral("時盤"))
            continue;
        const bool firstDay = cell(r, 1) == QStringLiteral("2024/03/10");
        shownOtherDays += !firstDay && !cale->findChild<QTableView *>(QStringLiteral("CSG"))->isRowHidden(r);
        hiddenFirstDay += firstDay && cale->findChild<QTableView *>(QStringLiteral("CSG"))->isRowHidden(r);
    }
    EXPECT_EQ(shownOtherDays, 0);
    EXPECT_EQ(hiddenFirstDay, 0);
    EXPECT_LT(visibleRows(), 14);
}

TEST_F(CaleFTest, BadRowCountOrNumbersFileBuildsNothing)
{
    rows = QStringLiteral("abc");
    cale->show();
    EXPECT_EQ(cale->model()->rowCount(), 0);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("abc")));

    messages.clear();
    rows = QStringLiteral("5");
    ASSERT_TRUE(QFile::remove(programFile(QStringLiteral("SuuFile.Dat"))));
    cale->FormShow();
    EXPECT_EQ(cale->model()->rowCount(), 0);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("SuuFile.Dat"), Qt::CaseInsensitive)) << messages.texts[0].toStdString();
}

// A time that the end of summer time repeats is asked about, naming both
// instants: a cancel builds nothing, a choice builds from that reading (the
// calendar on standard time); a skipped time is reported the same way.
TEST_F(CaleFTest, SummerTimeFoldIsAskedAbout)
{
    settings->setUseTimeZone(true);
    settings->setTimeZoneName(QStringLiteral("Asia/Shanghai"));
    main->setMoment(CivilTime{1988, 9, 11, 1, 30, 0});
    messages.clear();
    cale->FormShow(); // the recorder's Ok answers no choice: a cancel
    ASSERT_EQ(messages.texts.size(), 1) << messages.all().toStdString();
    // Each reading as the local wall clock shows it, with its offset.
    for (const char *part : {"二度ある", "+09:00 で読むと 1988-09-11 01:30 (+09:00)", "+08:00 で読むと 1988-09-11 01:30 (+08:00)"})
        EXPECT_TRUE(messages.texts[0].contains(QString::fromUtf8(part))) << part;
    EXPECT_EQ(messages.seen[0].first, QStringLiteral("切り替え前の時差"));
    EXPECT_EQ(cale->model()->rowCount(), 0);

    messages.clear();
    messages.yesTo = [](const QString &) { return true; };
    cale->FormShow();
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(cale->SenL()->text().startsWith(QStringLiteral("1988/09/11 00:00"))) << cale->SenL()->text().toStdString();
    // The choice holds for that entry: asked once.
    messages.clear();
    cale->FormShow();
    EXPECT_TRUE(messages.texts.isEmpty());

    main->setMoment(CivilTime{1988, 4, 17, 2, 30, 0});
    messages.yesTo = [](const QString &) { return false; };
    cale->FormShow();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("存在しない"))) << messages.texts[0].toStdString();
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("+08:00 で読むと 1988-04-17 03:30 (+09:00)")))
        << messages.texts[0].toStdString();
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("+09:00 で読むと 1988-04-17 01:30 (+08:00)")))
        << messages.texts[0].toStdString();
    EXPECT_TRUE(cale->SenL()->text().startsWith(QStringLiteral("1988/04/17 01:00"))) << cale->SenL()->text().toStdString();
}

TEST_F(CaleFTest, OnlyTheRatHourGivesOneHourRowPerDay)
{
    settings->setDesignatedHours(1 << 11); // 子：23:00
    rows = QStringLiteral("9");
    cale->show();
    ASSERT_EQ(cale->model()->rowCount(), 9);
    for (int r = 0; r < 9; ++r) {
        if (cell(r, 0) != QStringLiteral("時盤"))
            continue;
        EXPECT_EQ(cell(r, 2), QStringLiteral("23")) << r;
        EXPECT_EQ(cell(r - 1, 0), QStringLiteral("日盤")) << r;
    }
}

TEST_F(CaleFTest, PressingADayRowFoldsItsHourRows)
{
    cale->show();
    ASSERT_EQ(cale->model()->rowCount(), 12);
    QWidget *viewport = cale->findChild<QTableView *>(QStringLiteral("CSG"))->viewport();
    const QPoint day = cellCentre(2, 0);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, day);
    for (int r = 3; r < 12 && cell(r, 0) == QStringLiteral("時盤"); ++r)
        EXPECT_TRUE(cale->findChild<QTableView *>(QStringLiteral("CSG"))->isRowHidden(r)) << r;
    EXPECT_FALSE(cale->findChild<QTableView *>(QStringLiteral("CSG"))->isRowHidden(2));
    EXPECT_LT(visibleRows(), 12);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, day);
    EXPECT_EQ(visibleRows(), 12);

    // The score columns and the other rows do not fold.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellCentre(2, 6));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellCentre(4, 0));
    EXPECT_EQ(visibleRows(), 12);
}

TEST_F(CaleFTest, DayButtonsMoveTheMainWindowAndTheList)
{
    cale->show();
    clickButton("NxtBtn");
    EXPECT_EQ(main->findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 11));
    EXPECT_EQ(main->findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), QStringLiteral("12:00"));
    EXPECT_EQ(kindAndHour(0), QStringLiteral("年盤 2024/03/11 11"));
    EXPECT_TRUE(cale->SenL()->text().startsWith(QStringLiteral("2024/03/11 11:00")));

    clickButton("PreBtn");
    clickButton("PreBtn");
    EXPECT_EQ(main->findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 9));
    EXPECT_EQ(kindAndHour(3), QStringLiteral("時盤 2024/03/09 11"));

    clickButton("NowBtn");
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_LE(std::abs(main->findChild<DateEntry *>(QStringLiteral("DateE"))->date().daysTo(now.date())), 1);
    EXPECT_EQ(cell(0, 1), main->findChild<DateEntry *>(QStringLiteral("DateE"))->date().toString(QStringLiteral("yyyy/MM/dd")));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

TEST_F(CaleFTest, HintOverAScoreCellDescribesItsPalace)
{
    cale->show();
    ASSERT_EQ(kindAndHour(3), QStringLiteral("時盤 2024/03/10 13"));
    const CivilTime middle{2024, 3, 10, 13, 30, 0};
    const EngineOptions options = main->engineOptions();
    const ChartRecord chart =
        BanCreate(DateToKyu(middle, options.koyomi), KindHour, options.method, &standardPatternDetector());
    const std::size_t north = 5; // 坎
    const ConstData &names = main->constData();
    const QString first = QString::fromStdString(std::string(StemName[chart.Ban[TenKan][north]]) + " "
                                                 + names.StarChar[chart.Ban[Sei][north]] + " "
                                                 + std::string(NumeralKanji[chart.Ban[KyuSeiBan][north]]));
    const QString second = QString::fromStdString(std::string(StemName[chart.Ban[ChiKan][north]]) + " "
                                                  + std::string(DoorName[chart.Ban[Mon][north]]) + " "
                                                  + std::string(DeityChar[chart.Ban[Shin][north]]));

    QWidget *viewport = cale->findChild<QTableView *>(QStringLiteral("CSG"))->viewport();
    QHelpEvent over(QEvent::ToolTip, cellCentre(3, 6), viewport->mapToGlobal(cellCentre(3, 6)));
    QApplication::sendEvent(viewport, &over);
    const QStringList lines = QToolTip::text().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 5) << QToolTip::text().toStdString();
    EXPECT_EQ(lines[0], first);
    EXPECT_EQ(lines[1], second);

    // The leading columns show the grid's own hint.
    EXPECT_EQ(cale->cellHint(3, 1), QStringLiteral("右ｸﾘｯｸでﾒﾆｭｰがでます"));
    QHelpEvent lead(QEvent::ToolTip, cellCentre(3, 1), viewport->mapToGlobal(cellCentre(3, 1)));
    QApplication::sendEvent(viewport, &lead);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("右ｸﾘｯｸでﾒﾆｭｰがでます"));
}

TEST_F(CaleFTest, PopupMenuDeletesARowAndOpensCharts)
{
    cale->show();
    QWidget *viewport = cale->findChild<QTableView *>(QStringLiteral("CSG"))->viewport();
    const QString sixth = kindAndHour(6);
    QTest::mousePress(viewport, Qt::RightButton, {}, cellCentre(5, 7));
    QTest::mouseRelease(viewport, Qt::RightButton, {}, cellCentre(5, 7));
    EXPECT_EQ(cale->menuRow(), 5);
    cale->findChild<QMenu *>(QStringLiteral("PopupMenu1"))->findChild<QAction *>(QStringLiteral("DelItem"))->trigger();
    EXPECT_EQ(cale->model()->rowCount(), 11);
    EXPECT_EQ(kindAndHour(5), sixth);
    EXPECT_EQ(cale->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("12:件"));

    // The hour row of 15:00 with its kind unchecked: asked, then made.
    main->entry()->setBanGrp(KindHour, false);
    messages.answer = ui::Answer::Yes;
    QTest::mousePress(viewport, Qt::RightButton, {}, cellCentre(4, 1));
    cale->findChild<QMenu *>(QStringLiteral("PopupMenu1"))->findChild<QAction *>(QStringLiteral("BanItem"))->trigger();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("『時盤』"))) << messages.texts[0].toStdString();
    EXPECT_TRUE(main->BanGrp(KindHour));
    EXPECT_EQ(main->findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), QStringLiteral("15:00"));
    EXPECT_TRUE(main->charts()->chartWindow(QStringLiteral("時盤:24/03/10 15時")));
}

TEST_F(CaleFTest, DoubleClickOpensChartsOnlyWhenSetTo)
{
    cale->show();
    QWidget *viewport = cale->findChild<QTableView *>(QStringLiteral("CSG"))->viewport();
    settings->setDoubleClickOpensChart(false);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cellCentre(4, 8));
    EXPECT_TRUE(main->charts()->chartWindows().isEmpty());

    // On a day row the double click opens the day's charts and leaves its hours unfolded.
    settings->setDoubleClickOpensChart(true);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellCentre(2, 0));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cellCentre(2, 0));
    EXPECT_EQ(visibleRows(), 12);
    EXPECT_TRUE(main->BanGrp(KindDay));
    EXPECT_FALSE(main->charts()->chartWindows().isEmpty());
    EXPECT_EQ(main->findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), QStringLiteral("13:00"));
}

TEST_F(CaleFTest, ExportWritesTheWholeList)
{
    settings->setCalendarHourRows(1); // hidden rows are written too
    rows = QStringLiteral("6");
    cale->show();
    const QString path = program.filePath(QStringLiteral("cale.csv"));
    cale->saveFileName = [&](QWidget *) { return path; };
    clickButton("ExpBtn");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const CodecResult text = decodeCp932(file.readAll().toStdString());
    ASSERT_TRUE(text.ok);
    const QStringList lines = QString::fromStdString(text.text).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 1 + 1 + 6 + 1); // title, captions, rows, the empty text after the last line end
    EXPECT_EQ(lines[0], cale->SenL()->text() + QLatin1Char(',') + QStringLiteral("6:件"));
    EXPECT_EQ(lines[1], QStringLiteral("盤,日  付,時,曜,,中宮, 北,北東, 東,南東, 南,南西, 西,北西,,"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("年盤,2024/03/10,13,日,")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(",0,")));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("時盤,2024/03/10,13,日,")));
    EXPECT_EQ(lines[5].count(QLatin1Char(',')), 15);
}

TEST_F(CaleFTest, CalendarFileTakesTheSelectedRowsOrAll)
{
    rows = QStringLiteral("6");
    cale->show();
    const QString path = program.filePath(QStringLiteral("cale.ics"));
    cale->saveIcsName = [&](QWidget *) { return path; };
    auto events = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count("BEGIN:VEVENT") : -1;
    };
    cale->findChild<QTableView *>(QStringLiteral("CSG"))->selectRow(4); // one row is only where the user clicked: all rows
    clickButton("IcsBtn");
    // Only the short confirmation that names the file.
    ASSERT_EQ(messages.seen.size(), 1) << messages.texts.join('|').toStdString();
    EXPECT_EQ(messages.seen[0].kind, ui::MessageKind::Notice);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("cale.ics")));
    EXPECT_EQ(events(), 6);
    cale->findChild<QTableView *>(QStringLiteral("CSG"))->selectionModel()->select(cale->model()->index(5, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    clickButton("IcsBtn");
    EXPECT_EQ(events(), 2);
}

TEST_F(CaleFTest, CaleBtnClickChecksAllHoursWhenNoneIs)
{
    settings->setDesignatedHours(0);
    rows = QStringLiteral("4");
    CaleBtnClick(main.get(), *settings, *cale);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], QStringLiteral("[指定作成する時盤]が、指定されていません。\n\n全ての時盤を作成するよう変更しました。"));
    EXPECT_EQ(settings->designatedHours(), 4095);
    EXPECT_TRUE(cale->isVisible());
    EXPECT_EQ(cale->model()->rowCount(), 4);
    EXPECT_TRUE(cale->windowFlags().testFlag(Qt::WindowStaysOnTopHint)); // CB5 is on by default

    // Emptied while open: a navigation says so and keeps the list.
    messages.clear();
    settings->setDesignatedHours(0);
    clickButton("NxtBtn");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(cale->model()->rowCount(), 4);
}

TEST_F(CaleFTest, FixedRowsStayWhileTheGridScrolls)
{
    rows = QStringLiteral("100");
    cale->resize(cale->width(), 300);
    cale->show();
    QTableView *fixed = cale->findChild<QTableView *>(QStringLiteral("CSGFixed"));
    QCoreApplication::processEvents(); // the grid lays out its scroll range
    EXPECT_FALSE(fixed->isVisible());
    cale->findChild<QTableView *>(QStringLiteral("CSG"))->verticalScrollBar()->setValue(40);
    ASSERT_EQ(cale->findChild<QTableView *>(QStringLiteral("CSG"))->verticalScrollBar()->value(), 40);
    ASSERT_TRUE(fixed->isVisible());
    EXPECT_EQ(fixed->indexAt(QPoint(5, 2)).row(), 0);
    EXPECT_EQ(fixed->height(), cale->findChild<QTableView *>(QStringLiteral("CSG"))->rowHeight(0) + cale->findChild<QTableView *>(QStringLiteral("CSG"))->rowHeight(1));

    if (!qEnvironmentVariableIsEmpty("VELM_SHOT")) {
        cale->resize(cale->width(), 700);
        cale->findChild<QTableView *>(QStringLiteral("CSG"))->verticalScrollBar()->setValue(0);
        QTest::qWait(50);
        cale->grab().save(QStringLiteral("/tmp/cale.png"));
        cale->findChild<QTableView *>(QStringLiteral("CSG"))->verticalScrollBar()->setValue(30);
        QTest::qWait(50);
        cale->grab().save(QStringLiteral("/tmp/cale_scrolled.png"));
    }
}

} // namespace

TEST_F(CaleFTest, RowsNearATermAreMarkedForTheEyeOnly)
{
    // The short 立春 of 2024 falls at 17:18: the 17:00 rows lie 19 minutes before it.
    main->setMoment(CivilTime{2024, 2, 4, 16, 0, 0});
    cale->show();
    ASSERT_EQ(cale->model()->rowCount(), 12);
    int marked = 0;
    for (int r = 0; r < 12; ++r) {
        const bool mark = cale->model()->index(r, 1).data(Qt::BackgroundRole).value<QColor>() == BoundaryMarkColour;
        EXPECT_EQ(mark, cell(r, 2) == QStringLiteral("17")) << r;
        if (!mark)
            continue;
        ++marked;
        EXPECT_TRUE(cale->cellHint(r, 1).startsWith(QStringLiteral("立春まで19分（簡略式の誤差を含む）\n立春：2024/02/04 17:18:56")))
            << cale->cellHint(r, 1).toStdString();
        EXPECT_EQ(cell(r, 1), QStringLiteral("2024/02/04")); // the cells stay as they are
    }
    EXPECT_EQ(marked, 1);

    settings->setBoundaryWarn(0);
    cale->hide();
    cale->show();
    for (int r = 0; r < 12; ++r)
        EXPECT_NE(cale->model()->index(r, 1).data(Qt::BackgroundRole).value<QColor>(), BoundaryMarkColour) << r;
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
}

TEST_F(CaleFTest, HourRowsWhereTheSchoolsPartAreMarkedWhenAskedFor)
{
    // 2024-12-22: our school still counts 大雪 (yin), the others 冬至 (yang).
    main->setMoment(CivilTime{2024, 12, 22, 10, 0, 0});
    const auto schoolMarked = [&](int r) {
        return cale->model()->index(r, 2).data(Qt::BackgroundRole).value<QColor>() == SchoolMarkColour;
    };
    cale->show();
    const int rows = cale->model()->rowCount();
    ASSERT_GT(rows, 3);
    for (int r = 0; r < rows; ++r)
        EXPECT_FALSE(schoolMarked(r)) << r; // off by default

    settings->setSchoolMarks(true);
    cale->hide();
    cale->show();
    int marked = 0;
    for (int r = 0; r < cale->model()->rowCount(); ++r) {
        if (cell(r, 0) != QStringLiteral("時盤")) {
            EXPECT_FALSE(schoolMarked(r)) << r; // year, month and day rows never
            continue;
        }
        if (!schoolMarked(r))
            continue;
        ++marked;
        if (cell(r, 1) == QStringLiteral("2024/12/22") && cell(r, 2) == QStringLiteral("13")) {
            EXPECT_EQ(cale->cellHint(r, 2), QStringLiteral("流派で時盤が異なります：置閏 陰遁1局／拆補 陽遁4局／茅山 陽遁1局"));
        }
        EXPECT_EQ(cell(r, 2).size(), 2); // the cells stay as they are
    }
    EXPECT_GT(marked, 0);
    // Ten double-hours a ju has one reading only.
    settings->setJuPeriod(3, 0);
    cale->hide();
    cale->show();
    for (int r = 0; r < cale->model()->rowCount(); ++r)
        EXPECT_FALSE(schoolMarked(r)) << r;
}
