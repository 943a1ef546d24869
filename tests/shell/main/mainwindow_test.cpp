// The main window driven as a user would: the date and time entry and its
// panel, the chart command and its windows, the designated hours, the
// stepping buttons, the explanation pane after a palace is picked, the
// window menu, the exports, and what survives a restart.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include "engine/codec.h"
#include "evaluation/explanations.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/charttext.h"
#include "output/listfile.h"
#include "shell/app/app.h"
#include "shell/charts/chartwindow.h"
#include "shell/common/helpwindow.h"
#include "shell/main/dateentry.h"
#include "shell/main/mainwindow.h"
#include "shell/main/mainwindow_entry.h"
#include "shell/main/explanationpane.h"
#include "shell/common/messages.h"
#include "shell/common/pcolor.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

// The summary of 2024-03-01 12:00 at time zone 9.0, as the calendar composes it.
const QString Summary20240301 = QStringLiteral(
    "甲辰：丙寅：甲子：庚午  黄経:341.02゜春月 月初：2/4 17:18  雨水：2/19 13:4  冬至12/17[己酉] 啓蟄上元 ");

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<AppSettings>(program.path(), config.path());
    }

    void TearDown() override
    {
        main.reset();
    }

    TMainF &open()
    {
        main = std::make_unique<TMainF>(*settings);
        main->showAtStart();
        return *main;
    }

    // Closes the window as the user does and starts again on the same folders.
    TMainF &restart()
    {
        main->close();
        main.reset();
        settings = std::make_unique<AppSettings>(program.path(), config.path());
        return open();
    }

    void click(const char *name)
    {
        QAction *a = main->action(QLatin1String(name));
        ASSERT_TRUE(a) << name;
        QWidget *button = nullptr;
        for (QToolBar *bar : main->findChildren<QToolBar *>())
            if (QWidget *w = bar->widgetForAction(a))
                button = w;
        ASSERT_TRUE(button) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void typeTime(const QString &digits)
    {
        QLineEdit *t = main->findChild<QLineEdit *>(QStringLiteral("TimeE"));
        t->setFocus();
        t->selectAll();
        QTest::keyClick(t, Qt::Key_Backspace);
        t->home(false);
        QTest::keyClicks(t, digits);
    }

    // The entry set the way a user does: the date picked, the time typed.
    void enter(int y, int m, int d, const QString &hhmm)
    {
        main->findChild<DateEntry *>(QStringLiteral("DateE"))->setDate(QDate(y, m, d));
        typeTime(QString(hhmm).remove(':'));
    }

    void onlyKinds(std::initializer_list<int> kinds, bool designated = false)
    {
        for (int n = 0; n < 4; ++n)
            main->findChild<QCheckBox *>(QStringLiteral("BanGrp%1").arg(n))->setChecked(false);
        for (int n : kinds)
            main->findChild<QCheckBox *>(QStringLiteral("BanGrp%1").arg(n))->setChecked(true);
        main->findChild<QCheckBox *>("CGS")->setChecked(designated);
    }

    QStringList titles() const
    {
        QStringList t;
        for (TBanF *w : main->charts()->chartWindows())
            t << w->title();
        t.sort();
        return t;
    }

    // The background of a score-grid cell as drawn.
    static QColor cellColour(QTableWidget *grid, int row, int column)
    {
        const QImage image = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        return image.pixelColor(cell.left() + 1, cell.bottom() - 1);
    }

    // A click on palace `pos` of a chart window's grid.
    static void clickPalace(TBanF *w, int pos)
    {
        QTableWidget *grid = w->findChild<QTableWidget *>(QStringLiteral("SG1"));
        const QRect cell = grid->visualRect(grid->model()->index(PalaceRow[static_cast<std::size_t>(pos)],
                                                                 PalaceColumn[static_cast<std::size_t>(pos)]));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    ScratchProgram program{DataFiles::Program};
    QTemporaryDir config;
    RecordedMessages messages;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<TMainF> main;
};

} // namespace

TEST_F(MainWindowTest, FirstStartIsCentredOnTheScreenThenTheClosedStateReturns)
{
    TMainF &m = open();
    // Sized for four tiled charts and the pane, never past the screen, centred.
    EXPECT_FALSE(m.isMaximized());
    const QRect available = m.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(m.frameGeometry())) << m.frameGeometry().width() << "x" << m.frameGeometry().height();
    EXPECT_LE((m.frameGeometry().center() - available.center()).manhattanLength(), 2);
    EXPECT_EQ(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text().isEmpty(), false);
    m.showNormal();
    m.setGeometry(60, 70, 900, 640);
    TMainF &again = restart();
    EXPECT_FALSE(again.isMaximized());
    EXPECT_EQ(again.size(), QSize(900, 640));
    EXPECT_TRUE(QFile::exists(program.filePath("VELMWIN.ini")));
    EXPECT_TRUE(QFile::exists(program.filePath("MainF.ini")));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

TEST_F(MainWindowTest, DatePanelShowsTheFactsOfTheEnteredMoment)
{
    TMainF &m = open();
    enter(2024, 3, 1, "12:00");
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), "12:00");
    EXPECT_EQ(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), Summary20240301);
    // Minutes never change the facts; a half-typed time keeps the old panel.
    typeTime("1259");
    EXPECT_EQ(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), Summary20240301);
    typeTime("2");
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->displayText(), "2_:__");
    EXPECT_EQ(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), Summary20240301);
    // A new date alone shows its own facts at once.
    typeTime("1200");
    m.findChild<DateEntry *>(QStringLiteral("DateE"))->setDate(QDate(2024, 2, 5));
    EXPECT_TRUE(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text().startsWith(QStringLiteral("甲辰：丙寅：")));
    m.findChild<DateEntry *>(QStringLiteral("DateE"))->setDate(QDate(2024, 1, 20));
    EXPECT_TRUE(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text().startsWith(QStringLiteral("癸卯：乙丑：")));
    // The down-arrow key opens the month calendar.
    m.findChild<DateEntry *>(QStringLiteral("DateE"))->setFocus();
    QTest::keyClick(m.findChild<DateEntry *>(QStringLiteral("DateE"))->lineEdit(), Qt::Key_Down);
    EXPECT_TRUE(m.findChild<DateEntry *>(QStringLiteral("DateE"))->calendarWidget()->isVisible());
    m.findChild<DateEntry *>(QStringLiteral("DateE"))->calendarWidget()->window()->hide();
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(MainWindowTest, ChartCommandOpensOneTitledWindowPerKindAndOnlyOnce)
{
    TMainF &m = open();
    onlyKinds({0, 1, 2, 3});
    EXPECT_FALSE(m.action("ClrBtn")->isEnabled());
    enter(2024, 3, 1, "12:00");
    click("BanBtn");
    const QStringList expected{"年盤:2024/03/01", "日盤:2024/03/01", "時盤:24/03/01 12時", "月盤:2024/03/01"};
    EXPECT_EQ(titles(), expected);
    EXPECT_TRUE(m.action("ClrBtn")->isEnabled());
    EXPECT_TRUE(m.action("BExpBtn")->isEnabled());
    // Each window keeps the moment it was made for and the chart of that moment.
    TBanF *hour = m.charts()->chartWindow("時盤:24/03/01 12時");
    ASSERT_TRUE(hour);
    EXPECT_EQ(hour->momentText(), "2024/03/01 12:00");
    EXPECT_EQ(hour->koyomi().BanKan[3], 6); // 庚午 hour
    EXPECT_EQ(hour->koyomi().BanShi[3], 6);

    // Again for the same moment: no second window; the existing one comes forward.
    m.charts()->mdiArea()->setActiveSubWindow(m.charts()->mdiArea()->subWindowList().first());
    click("BanBtn");
    EXPECT_EQ(titles(), expected);
    EXPECT_EQ(m.charts()->mdiArea()->currentSubWindow()->windowTitle(), "年盤:2024/03/01");

    // Another hour of the same day: only a new hour chart.
    typeTime("1400");
    click("BanBtn");
    EXPECT_EQ(titles().size(), 5);
    EXPECT_TRUE(m.charts()->chartWindow("時盤:24/03/01 14時"));

    // No kind checked: nothing opens.
    onlyKinds({});
    typeTime("1800");
    click("BanBtn");
    EXPECT_EQ(titles().size(), 5);

    // Closing them all disables the commands that need a chart.
    click("ClrBtn");
    flushDeletes();
    EXPECT_TRUE(m.charts()->chartWindows().isEmpty());
    EXPECT_FALSE(m.action("ClrBtn")->isEnabled());
    EXPECT_FALSE(m.action("TileBtn")->isEnabled());
    EXPECT_FALSE(m.action("CasBtn")->isEnabled());
    EXPECT_FALSE(m.action("BExpBtn")->isEnabled());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

TEST_F(MainWindowTest, DesignatedHoursMakeUpToThirteenHourCharts)
{
    TMainF &m = open();
    onlyKinds({2, 3}, true);
    enter(2024, 3, 1, "12:00");
    // The charts are laid from the moment read once: the entry is never
    // written to make them.
    QSignalSpy timeEdits(m.findChild<QLineEdit *>(QStringLiteral("TimeE")), &QLineEdit::textChanged);
    click("BanBtn");
    EXPECT_EQ(timeEdits.count(), 0);
    QStringList t = titles();
    EXPECT_EQ(t.size(), 14); // the day chart, 12時 and the twelve odd hours
    for (int h = 1; h <= 23; h += 2)
        EXPECT_TRUE(t.contains(QStringLiteral("時盤:24/03/01 %1時").arg(h, 2, 10, QLatin1Char('0')))) << h;
    // Each designated hour is the chart of its own hour.
    TBanF *one = m.charts()->chartWindow("時盤:24/03/01 01時");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->momentText(), "2024/03/01 01:00");
    EXPECT_EQ(one->koyomi().BanShi[3], 1); // 丑
    // The entry is the moment entered again, and the day chart belongs to it.
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), "12:00");
    EXPECT_EQ(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), Summary20240301);
    EXPECT_EQ(m.charts()->chartWindow("日盤:2024/03/01")->momentText(), "2024/03/01 12:00");

    // An entered hour that is also designated is not made twice.
    click("ClrBtn");
    flushDeletes();
    onlyKinds({3}, true);
    typeTime("1300");
    click("BanBtn");
    EXPECT_EQ(titles().size(), 12);

    // Only 丑 and 子 designated: three hour charts.
    click("ClrBtn");
    flushDeletes();
    settings->setDesignatedHours((1 << 0) | (1 << 11));
    typeTime("1200");
    click("BanBtn");
    EXPECT_EQ(titles(), (QStringList{"時盤:24/03/01 01時", "時盤:24/03/01 12時", "時盤:24/03/01 23時"}));
    // Tiled and printed in ascending hours, not in the order they were made.
    QStringList tiled;
    for (TBanF *w : m.charts()->tiledCharts())
        tiled << w->title();
    EXPECT_EQ(tiled, (QStringList{"時盤:24/03/01 01時", "時盤:24/03/01 12時", "時盤:24/03/01 23時"}));
    QList<TBanF *> printed;
    TMainF::Hooks hooks = m.hooks();
    hooks.printCharts = [&printed](const QList<TBanF *> &charts, QWidget *) { printed = charts; };
    m.setHooks(hooks);
    m.charts()->chartWindow("時盤:24/03/01 23時")->findChild<QAction *>(QStringLiteral("CP3"))->trigger();
    ASSERT_EQ(printed.size(), 1);
    EXPECT_EQ(printed.front()->title(), "時盤:24/03/01 23時");

    // Without ◎ only the entered hour.
    click("ClrBtn");
    flushDeletes();
    onlyKinds({3}, false);
    click("BanBtn");
    EXPECT_EQ(titles(), QStringList{"時盤:24/03/01 12時"});
}

TEST_F(MainWindowTest, PickingAPalaceDescribesThatWindowsChart)
{
    TMainF &m = open();
    onlyKinds({3});
    enter(2024, 3, 1, "12:00");
    click("BanBtn");
    typeTime("1600");
    click("BanBtn");
    TBanF *older = m.charts()->chartWindow("時盤:24/03/01 12時");
    ASSERT_TRUE(older);
    EXPECT_FALSE(m.pane()->findChild<QToolButton *>(QStringLiteral("ExpBtn"))->isEnabled());
    EXPECT_EQ(m.pane()->findChild<QLabel *>(QStringLiteral("BanL"))->text(), "");
    // Before any palace is picked the captions have no numbers beside them: aqua.
    EXPECT_EQ(cellColour(m.pane()->findChild<QTableWidget *>(QStringLiteral("SG1")), 0, 0), QColor(0, 255, 255));
    EXPECT_EQ(cellColour(m.pane()->findChild<QTableWidget *>(QStringLiteral("SG1")), 0, 1), QColor(Qt::white));

    // The user clicks palace 離 (index 4) of the older window.
    clickPalace(older, 4);

    // The entry returns to that window's moment...
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), "12:00");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 1));
    EXPECT_EQ(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), Summary20240301);
    // ...and the pane describes its chart, not the newest one.
    const NumbersFile numbers = readNumbersFile(program.filePath("SuuFile.Dat").toStdString());
    ASSERT_TRUE(numbers.ok());
    const Koyomi k = DateToKyu({2024, 3, 1, 12, 0, 0}, engineOptions(*settings).koyomi, false);
    const ChartRecord chart = BanCreate(k, 3, LayingMethod::Rotating, &standardPatternDetector());
    const SuuScores scores = SuuSan(chart, k, numbers.tables, LayingMethod::Rotating);
    const SetuTexts texts = SetuTexts::load(program.filePath("SetuFile.Dat").toStdString());
    const ConstData names = MakeConstData();
    const std::string note = chartLabels(chart, k, names).TyuL;
    const PanelView expected = PnlRead(chart.Ban, scores, 4, texts, names, note, "\n");

    ImiPnl *pane = m.pane();
    EXPECT_EQ(pane->findChild<QLabel *>(QStringLiteral("BanL"))->text(), " 時盤:24/03/01 12時");
    EXPECT_EQ(pane->findChild<QLabel *>(QStringLiteral("TyuL"))->text(), QString::fromStdString(note) + " ");
    EXPECT_EQ(pane->HouiBox()->currentIndex(), 4);
    EXPECT_EQ(pane->HouiBox()->currentText(), " 南");
    EXPECT_EQ(pane->findChild<QLabel *>(QStringLiteral("HouiPnl"))->text(), "離");
    EXPECT_EQ(pane->findChild<QLabel *>(QStringLiteral("SuuPnl"))->text(), QString::fromStdString(scoreText(scores.BanSuu[8][4])));
    EXPECT_EQ(pane->Memo1()->toPlainText(), QString::fromStdString(expected.memo.Memo1));
    const QString memo = pane->Memo1()->toPlainText();
    EXPECT_TRUE(memo.startsWith(QStringLiteral("[天盤]<")));
    EXPECT_TRUE(memo.contains(QStringLiteral("\n[地盤]<")));
    EXPECT_TRUE(memo.contains(QStringLiteral("\n[八門]<")));
    // The score grids: captions, this palace's look-ups, the eight totals.
    EXPECT_EQ(pane->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(0, 0)->text(), "天盤");
    EXPECT_EQ(pane->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(3, 2)->text(), "格局");
    EXPECT_EQ(pane->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(0, 1)->text(), QString::number(scores.SuuBase[0][4]));
    EXPECT_EQ(pane->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(3, 3)->text(), QString::number(scores.SuuBase[7][4]));
    EXPECT_EQ(pane->findChild<QTableWidget *>(QStringLiteral("SG2"))->item(0, 0)->text(), "北西");
    EXPECT_EQ(pane->findChild<QTableWidget *>(QStringLiteral("SG2"))->item(0, 1)->text(), QString::fromStdString(scoreText(scores.BanSuu[8][1])));
    EXPECT_EQ(pane->findChild<QTableWidget *>(QStringLiteral("SG2"))->item(3, 3)->text(), QString::fromStdString(scoreText(scores.BanSuu[8][8])));
    EXPECT_TRUE(pane->findChild<QToolButton *>(QStringLiteral("ExpBtn"))->isEnabled());
    // Captions take the colour of the number beside them; numbers sit on white.
    const PColorSettings rule;
    EXPECT_EQ(cellColour(pane->findChild<QTableWidget *>(QStringLiteral("SG1")), 0, 0), PColor(pane->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(0, 1)->text(), rule));
    EXPECT_EQ(cellColour(pane->findChild<QTableWidget *>(QStringLiteral("SG2")), 3, 2), PColor(pane->findChild<QTableWidget *>(QStringLiteral("SG2"))->item(3, 3)->text(), rule));
    EXPECT_EQ(cellColour(pane->findChild<QTableWidget *>(QStringLiteral("SG2")), 3, 3), QColor(Qt::white));
    EXPECT_EQ(pane->findChild<QLabel *>(QStringLiteral("SuuPnl"))->palette().color(QPalette::Window), PColor(pane->findChild<QLabel *>(QStringLiteral("SuuPnl"))->text(), rule));

    // Another direction in the box: the same chart, the other palace.
    QTest::keyClick(pane->HouiBox(), Qt::Key_Home);
    EXPECT_EQ(pane->findChild<QLabel *>(QStringLiteral("HouiPnl"))->text(), "中");
    EXPECT_EQ(pane->findChild<QLabel *>(QStringLiteral("BanL"))->text(), " 時盤:24/03/01 12時");
    const PanelView centre = PnlRead(chart.Ban, scores, 0, texts, names, note, "\n");
    EXPECT_EQ(pane->Memo1()->toPlainText(), QString::fromStdString(centre.memo.Memo1));
    EXPECT_FALSE(pane->Memo1()->toPlainText().contains(QStringLiteral("[八門]")));
    // The totals of the eight directions do not depend on the palace.
    EXPECT_EQ(pane->findChild<QTableWidget *>(QStringLiteral("SG2"))->item(0, 1)->text(), QString::fromStdString(scoreText(scores.BanSuu[8][1])));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

TEST_F(MainWindowTest, TheSpinButtonWrapsAroundMidnight)
{
    TMainF &m = open();
    enter(2024, 2, 28, "22:00");
    QTest::mouseClick(m.findChild<QToolButton *>("TimeBtnUp"), Qt::LeftButton);
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), "00:00");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 2, 29));
    QTest::mouseClick(m.findChild<QToolButton *>("TimeBtnDown"), Qt::LeftButton);
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), "22:00");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 2, 28));
    typeTime("2330");
    QTest::mouseClick(m.findChild<QToolButton *>("TimeBtnUp"), Qt::LeftButton);
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), "01:30");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 2, 29));
    // The panel follows each step.
    EXPECT_TRUE(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text().startsWith(QStringLiteral("甲辰：丙寅：")));
    // A half-typed time cannot be stepped: a message, nothing moves.
    typeTime("1");
    QTest::mouseClick(m.findChild<QToolButton *>("TimeBtnUp"), Qt::LeftButton);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 2, 29));
}

TEST_F(MainWindowTest, PreviousAndNextStepByTheHighestCheckedKind)
{
    TMainF &m = open();
    settings->setTileAfterCharts(false);
    // Only 月: 30.29 days a step, the fraction of a day carried in the value.
    onlyKinds({1});
    enter(2024, 3, 1, "12:00");
    // The date as a chart window writes it back: the day and its 12:00.
    m.entry()->setDateValue(entrySeconds(QDate(2024, 3, 1), 12 * 3600));
    const std::int64_t start = m.entry()->dateValue();
    click("NBanBtn");
    EXPECT_EQ(m.entry()->dateValue(), start + 2'617'056);
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 31)); // 12:00 + 6:57:36, same day
    click("NBanBtn");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 5, 1)); // the fractions passed midnight
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), "12:00");
    for (int i = 0; i < 10; ++i)
        click("PBanBtn");
    // Exactly eight steps back from the start, to the second.
    EXPECT_EQ(m.entry()->dateValue(), start - 8 * 2'617'056);
    EXPECT_TRUE(titles().contains("月盤:2024/03/31"));
    EXPECT_TRUE(titles().contains("月盤:2024/05/01"));

    // 年 and 日 checked: 日 is the highest, one day.
    click("ClrBtn");
    onlyKinds({0, 2});
    enter(2024, 3, 1, "12:00");
    click("PBanBtn");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 2, 29));
    // Nothing checked: two hours, and no chart.
    click("ClrBtn");
    flushDeletes();
    onlyKinds({});
    typeTime("2300");
    click("NBanBtn");
    EXPECT_EQ(m.findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), "01:00");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 1));
    EXPECT_TRUE(m.charts()->chartWindows().isEmpty());
}

TEST(MainWindowEntry, StepsInWholeSeconds)
{
    const std::int64_t day = entrySeconds(QDate(2024, 2, 28));
    EXPECT_EQ(stepTwoHours({day, {22, 0}}, +1), (EntryValue{day + OneDay, {0, 0}}));
    EXPECT_EQ(stepTwoHours({day, {0, 0}}, -1), (EntryValue{day - OneDay, {22, 0}}));
    EXPECT_EQ(stepTwoHours({day, {1, 59}}, -1), (EntryValue{day - OneDay, {23, 59}}));
    // A year is 365.25 days: four steps are 1461 days exactly.
    EntryValue v{day, {12, 0}};
    for (int i = 0; i < 4; ++i)
        v = *stepEntry(v, 0, +1);
    EXPECT_EQ(entryDate(v.dateSeconds), QDate(2028, 2, 28));
    EXPECT_EQ(entrySecondsOfDay(v.dateSeconds), 0);
    // The ends of the entry's range refuse the step.
    EXPECT_FALSE(stepEntry({entrySeconds(QDate(9999, 12, 31)), {23, 0}}, 3, +1));
    EXPECT_FALSE(stepEntry({entrySeconds(QDate(1601, 1, 10)), {0, 0}}, 1, -1));
    const bool none[4] = {false, false, false, false};
    const bool yearDay[4] = {true, false, true, false};
    EXPECT_EQ(steppingKind(none), 3);
    EXPECT_EQ(steppingKind(yearDay), 2);
    EXPECT_EQ(designatedHours(4095).size(), 12u);
    EXPECT_EQ(designatedHours(0b100000000001), (std::vector<int>{1, 23}));
    EXPECT_FALSE(parseTimeText("24:00"));
    EXPECT_FALSE(parseTimeText("12:6_"));
    EXPECT_EQ(parseTimeText("07:05"), (HourMinute{7, 5}));
}

TEST(MainWindowEntry, TileFillsRowsLeftToRight)
{
    const std::vector<QSize> s(5, QSize(200, 260));
    EXPECT_EQ(tilePositions(s, 650),
              (std::vector<QPoint>{{0, 0}, {200, 0}, {400, 0}, {0, 260}, {200, 260}}));
    // Narrower than one window: one per row, never an empty first row.
    EXPECT_EQ(tilePositions({QSize(200, 260), QSize(200, 260)}, 150),
              (std::vector<QPoint>{{0, 0}, {0, 260}}));
    // The first window of a set starts a row of its own.
    EXPECT_EQ(tilePositions(s, 650, {true, false, true, false, false}),
              (std::vector<QPoint>{{0, 0}, {200, 0}, {0, 260}, {200, 260}, {400, 260}}));
    // Newest set first; in a set 年 月 日, then hours in time order, a chart
    // across a boundary after the one it came from.
    EXPECT_EQ(tileOrder({{1, 3, "2024/03/01 23:00", 1},
                         {2, 3, "2024/03/02 12:00", 5},
                         {1, 0, "2024/03/01 12:00", 2},
                         {2, 2, "2024/03/02 12:00", 6},
                         {1, 3, "2024/03/01 01:00", 3},
                         {2, 3, "2024/03/02 12:00", 7},
                         {2, 0, "2024/03/02 12:00", 8}}),
              (std::vector<int>{6, 3, 1, 5, 2, 4, 0}));
}

TEST_F(MainWindowTest, ChartSetsTileNewestFirstAndTheWindowMenuGroupsThem)
{
    TMainF &m = open();
    settings->setTileAfterCharts(true);
    m.resize(1000, 700);
    QMenu *menu = m.menu(TMainF::WindowMenu);
    emit menu->aboutToShow();
    const int fixed = static_cast<int>(menu->actions().size());
    // An older set of four, then a newer one of 年 月 日 and thirteen hours.
    onlyKinds({0, 1, 2, 3});
    enter(2024, 3, 1, "12:00");
    click("BanBtn");
    onlyKinds({0, 1, 2, 3}, true);
    enter(2024, 5, 6, "12:00");
    click("BanBtn");
    const QList<TBanF *> tiled = m.charts()->tiledCharts();
    ASSERT_EQ(tiled.size(), 4 + 16);
    QStringList order;
    for (TBanF *w : tiled)
        order << w->title();
    EXPECT_EQ(order.mid(0, 5), (QStringList{"年盤:2024/05/06", "月盤:2024/05/06", "日盤:2024/05/06",
                                            "時盤:24/05/06 01時", "時盤:24/05/06 03時"}));
    EXPECT_EQ(order.mid(16), (QStringList{"年盤:2024/03/01", "月盤:2024/03/01", "日盤:2024/03/01", "時盤:24/03/01 12時"}));
    // The entered moment's chart is in view without scrolling.
    TBanF *entered = m.charts()->enteredChart();
    ASSERT_TRUE(entered);
    EXPECT_EQ(entered->title(), "時盤:24/05/06 12時");
    const QRect view = m.charts()->mdiArea()->viewport()->rect();
    const auto inView = [&](TBanF *w) {
        QMdiSubWindow *sub = nullptr;
        for (QMdiSubWindow *s : m.charts()->mdiArea()->subWindowList())
            if (s->widget() == w)
                sub = s;
        return sub && view.contains(sub->geometry());
    };
    EXPECT_TRUE(inView(entered));

    // The menu: the newest set under its moment, the older one a sub-menu.
    emit menu->aboutToShow();
    const QList<QAction *> entries = menu->actions().mid(fixed);
    ASSERT_EQ(entries.size(), 1 + 1 + 16 + 1);
    EXPECT_TRUE(entries[0]->isSeparator());
    EXPECT_EQ(entries[1]->text(), "2024/05/06 12:00 の盤（16面）");
    EXPECT_EQ(entries[2]->text(), "年盤:2024/05/06");
    ASSERT_TRUE(entries.last()->menu());
    EXPECT_EQ(entries.last()->text(), "2024/03/01 12:00 の盤（4面）");
    // Choosing an older chart brings it forward, in view, without changing the order.
    QAction *older = entries.last()->menu()->actions().at(3);
    EXPECT_EQ(older->text(), "時盤:24/03/01 12時");
    older->trigger();
    EXPECT_EQ(m.charts()->activeChartWindow()->title(), "時盤:24/03/01 12時");
    EXPECT_TRUE(inView(m.charts()->activeChartWindow()));
    EXPECT_EQ(m.charts()->tiledCharts(), tiled);

    // Sixty charts in forty-two sets: the newest fifteen listed, the rest in one more sub-menu.
    settings->setTileAfterCharts(false);
    onlyKinds({2});
    for (int i = 0; i < 40; ++i) {
        const QDate d = QDate(2024, 1, 1).addDays(i);
        m.openChart(2, {d.year(), d.month(), d.day(), 12, 0, 0});
    }
    ASSERT_EQ(m.charts()->chartWindows().size(), 60);
    emit menu->aboutToShow();
    const QList<QAction *> many = menu->actions().mid(fixed);
    ASSERT_EQ(many.size(), 1 + 1 + 1 + 14 + 1);
    ASSERT_TRUE(many.last()->menu());
    EXPECT_EQ(many.last()->menu()->actions().size(), 42 - 15);
    // Rebuilt each time, never growing.
    emit menu->aboutToShow();
    EXPECT_EQ(menu->actions().size(), fixed + many.size());

    // A larger window tiles to its new size.
    settings->setTileAfterCharts(true);
    m.resize(1400, 900);
    QTest::qWait(50);
    EXPECT_TRUE(inView(m.charts()->activeChartWindow()));
}

TEST_F(MainWindowTest, ExportsWriteShiftJisText)
{
    TMainF &m = open();
    onlyKinds({2, 3});
    enter(2024, 3, 1, "12:00");
    click("BanBtn");
    const QString file = program.filePath("charts.txt");
    QString asked;
    m.saveFileName = [&](QWidget *, const QString &) { return asked = file; };
    click("BExpBtn");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    const CodecResult text = decodeCp932(bytes.toStdString());
    ASSERT_TRUE(text.ok);
    QStringList lines = QString::fromStdString(text.text).split("\r\n");
    EXPECT_EQ(lines.last(), ""); // every line ends in CR LF
    // Most recently made first: the day chart (made after the hour chart).
    EXPECT_EQ(lines[0], QStringLiteral("日盤:2024/03/01 [甲子]"));
    EXPECT_EQ(lines[2], QStringLiteral("┌────┬────┬────┐"));
    EXPECT_EQ(lines[2 + 1 + 5], QStringLiteral("├────┼────┼────┤"));
    EXPECT_EQ(lines[2 + 1 + 5 + 1 + 5], QStringLiteral("├────┼────┼────┤"));
    EXPECT_EQ(lines[20], QStringLiteral("└────┴────┴────┘"));
    EXPECT_EQ(lines[21], QStringLiteral("時盤:24/03/01 12時 [庚午]"));
    EXPECT_EQ(lines.size(), 2 * 21 + 1);

    // The explanation pane: BanL TyuL, direction and score, then the memo.
    TBanF *hour = m.charts()->chartWindow("時盤:24/03/01 12時");
    clickPalace(hour, 5);
    const QString paneFile = program.filePath("pane.txt");
    m.saveFileName = [&](QWidget *, const QString &) { return paneFile; };
    QTest::mouseClick(m.pane()->findChild<QToolButton *>(QStringLiteral("ExpBtn")), Qt::LeftButton);
    QFile g(paneFile);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    lines = QString::fromStdString(decodeCp932(g.readAll().toStdString()).text).split("\r\n");
    EXPECT_EQ(lines[0], " 時盤:24/03/01 12時 " + m.pane()->findChild<QLabel *>(QStringLiteral("TyuL"))->text());
    EXPECT_EQ(lines[1], QStringLiteral("方位： 北     数値：") + m.pane()->findChild<QLabel *>(QStringLiteral("SuuPnl"))->text());
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("[天盤]<")));

    // Cancelling the dialog writes nothing.
    QFile::remove(paneFile);
    m.saveFileName = [](QWidget *, const QString &) { return QString(); };
    QTest::mouseClick(m.pane()->findChild<QToolButton *>(QStringLiteral("ExpBtn")), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(paneFile));
    // A folder that cannot be written: a message, no file.
    m.saveFileName = [&](QWidget *, const QString &) { return program.filePath("no/such/dir/x.txt"); };
    click("BExpBtn");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("x.txt"));
}

TEST_F(MainWindowTest, AllChartsGoToOnePdfOneOrFourToAPage)
{
    TMainF &m = open();
    EXPECT_FALSE(m.action("PdfItem")->isEnabled());
    onlyKinds({0, 1, 2, 3});
    enter(2024, 3, 1, "12:00");
    click("BanBtn");
    ASSERT_EQ(m.charts()->chartWindows().size(), 4);
    EXPECT_TRUE(m.action("PdfItem")->isEnabled());
    const QString file = program.filePath("charts");
    m.savePdfName = [&](QWidget *) { return file; };
    for (const bool four : {false, true}) {
        m.action(four ? "Pdf4Item" : "PdfItem")->trigger();
        QFile f(file + ".pdf");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        EXPECT_TRUE(bytes.contains(four ? "/Count 1" : "/Count 4")) << four;
    }
    // Only the short confirmations of the two saves.
    ASSERT_EQ(messages.seen.size(), 2) << messages.texts.join('\n').toStdString();
    for (const ui::Message &m : messages.seen)
        EXPECT_EQ(m.kind, ui::MessageKind::Notice);
}

TEST_F(MainWindowTest, SettingsOfTheWindowSurviveARestart)
{
    TMainF &m = open();
    onlyKinds({1, 3}, false);
    m.findChild<QAction *>("StsBar")->trigger();
    EXPECT_FALSE(m.statusBar()->isVisible());
    TMainF &again = restart();
    EXPECT_FALSE(again.BanGrp(0));
    EXPECT_TRUE(again.BanGrp(1));
    EXPECT_FALSE(again.BanGrp(2));
    EXPECT_TRUE(again.BanGrp(3));
    EXPECT_FALSE(again.entry()->CGS());
    EXPECT_FALSE(again.statusBar()->isVisible());
    EXPECT_FALSE(again.findChild<QAction *>("StsBar")->isChecked());
    QSettings raw(config.filePath("VELM.ini"), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Sys/CGS").toInt(), 0);
    EXPECT_EQ(raw.value("Sys/BanGrp2").toString(), "false");
}

TEST_F(MainWindowTest, CaptionHintsAndTheWindowsOfOtherParts)
{
    TMainF &m = open();
    const QString summary = QStringLiteral("　　【活盤式】　【６０年１局　６０月１局　６０日１局　６０刻１局　】");
    EXPECT_EQ(m.windowTitle(), "VELM" + summary);
    EXPECT_EQ(m.action("SysBtn")->toolTip(), QStringLiteral("システムの設定をします\n") + summary);
    settings->setSummaryInTitle(false);
    settings->setLayingMethod(1);
    settings->commit();
    EXPECT_EQ(m.windowTitle(), "VELM");
    EXPECT_TRUE(m.action("SysBtn")->toolTip().contains(QStringLiteral("【飛宮式】")));

    // Entries of windows not connected yet are disabled, not dead.
    EXPECT_FALSE(m.action("SysBtn")->isEnabled());
    EXPECT_FALSE(m.action("TeiiBtn")->isEnabled());
    EXPECT_FALSE(m.action("About1")->isEnabled());
    int shown = 0;
    TMainF::Hooks hooks;
    hooks.showSystemSettings = [&] { ++shown; };
    m.setHooks(hooks);
    EXPECT_TRUE(m.action("SysItem")->isEnabled());
    // Opening the system settings closes every chart window first.
    onlyKinds({3});
    click("BanBtn");
    ASSERT_EQ(m.charts()->chartWindows().size(), 1);
    click("SysBtn");
    flushDeletes();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(m.charts()->chartWindows().isEmpty());

    // Menus without entries yet stay out of sight; the rest read as designed.
    EXPECT_FALSE(m.menu(TMainF::EditMenu)->menuAction()->isVisible());
    EXPECT_TRUE(m.menu(TMainF::WindowMenu)->menuAction()->isVisible());
    EXPECT_EQ(m.menu(TMainF::WindowMenu)->title(), QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    EXPECT_EQ(m.toolBar(TMainF::EntBar)->windowTitle(), QStringLiteral("作盤Bar"));
    EXPECT_EQ(m.toolBar(TMainF::KoyomiBar)->windowTitle(), QStringLiteral("暦Bar"));
}

TEST_F(MainWindowTest, HelpOpensAtTheContents)
{
    open();
    click("HelpBtn");
    HelpWindow *help = currentHelpWindow();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentTopic(), HelpContents);
    EXPECT_TRUE(help->findChild<QTextBrowser *>(QStringLiteral("HelpBrowser"))->toPlainText().contains(QStringLiteral("目次")));
    showHelp(40001);
    EXPECT_EQ(help->currentTopic(), 40001);
    showHelp(99999); // no such topic: the contents
    EXPECT_EQ(help->currentTopic(), HelpContents);
    // Every window has its own section.
    for (int topic : {30000, 40020, 40010, 20002, 10001, 40001, 40030, 3001, 40040, HelpChartData, HelpFixedViews,
                      HelpListWindow, HelpCalendar, HelpQuickSearch, HelpPreview, HelpNotices}) {
        showHelp(topic);
        EXPECT_EQ(help->currentTopic(), topic);
    }
    // F1 opens the section of the window it is pressed in.
    installHelpKey();
    QWidget calendar;
    setHelpTopic(&calendar, HelpCalendar);
    auto *field = new QLineEdit(&calendar);
    calendar.show();
    QTest::keyClick(field, Qt::Key_F1);
    EXPECT_EQ(help->currentTopic(), HelpCalendar);
    QTest::keyClick(main->findChild<QLineEdit *>(QStringLiteral("TimeE")), Qt::Key_F1);
    EXPECT_EQ(help->currentTopic(), HelpContents);
    help->close();
}

// A date is typed whole over a selection, an impossible one is refused and
// never turned into a neighbour, and Enter in either field makes the charts.
TEST_F(MainWindowTest, DatesAreTypedWholeOrRefused)
{
    TMainF &m = open();
    onlyKinds({0});
    enter(2026, 12, 8, "12:00");
    QLineEdit *date = m.findChild<DateEntry *>(QStringLiteral("DateE"))->lineEdit();
    const auto typeDate = [&](const QString &text) {
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, text);
    };
    typeDate("2024/03/01");
    EXPECT_EQ(date->text(), "2024/03/01");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 1));
    EXPECT_EQ(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), Summary20240301);
    typeDate("20230230"); // the slashes are the field's own
    EXPECT_EQ(date->text(), "2023/02/30");
    EXPECT_EQ(m.findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 1));
    for (const char *button : {"BanBtn", "NBanBtn"}) {
        messages.clear();
        click(button);
        EXPECT_TRUE(m.charts()->chartWindows().isEmpty()) << button;
        ASSERT_EQ(messages.texts.size(), 1) << button;
        EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("『2023/02/30』"))) << messages.texts[0].toStdString();
        EXPECT_EQ(date->text(), "2023/02/30");
    }
    messages.clear();
    typeDate("2024/03/01");
    QTest::keyClick(date, Qt::Key_Return);
    EXPECT_EQ(titles(), QStringList{"年盤:2024/03/01"});
    onlyKinds({3});
    QTest::keyClick(m.findChild<QLineEdit *>(QStringLiteral("TimeE")), Qt::Key_Enter);
    EXPECT_EQ(titles(), (QStringList{"年盤:2024/03/01", "時盤:24/03/01 12時"}));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
}

TEST_F(MainWindowTest, ChartsAreRefusedWithAClearMessage)
{
    TMainF &m = open();
    onlyKinds({3});
    enter(2024, 3, 1, "12:00");
    typeTime("9");
    click("BanBtn");
    EXPECT_TRUE(m.charts()->chartWindows().isEmpty());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("時刻")));
    // A numbers file gone since the start: its message, no chart.
    typeTime("1200");
    QFile::remove(program.filePath("SuuFile.Dat"));
    click("BanBtn");
    EXPECT_TRUE(m.charts()->chartWindows().isEmpty());
    ASSERT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(messages.texts[1].contains("SuuFile.Dat"));
    // A time zone that is not a number: the panel says so and no chart is made.
    QFile::copy(QStringLiteral(VELM_DATA_DIR "/SuuFile.Dat"), program.filePath("SuuFile.Dat"));
    settings->setFixedTimeZone("nine");
    typeTime("1300");
    EXPECT_TRUE(m.findChild<QLabel *>(QStringLiteral("Panel1"))->text().contains(QStringLiteral("『nine』")));
    click("BanBtn");
    EXPECT_TRUE(m.charts()->chartWindows().isEmpty());
    EXPECT_EQ(messages.texts.size(), 3);
}

// The 2024-03-01 year chart scores 西 -33, 南西 -53 and 南東 -10: the totals grid
// must show each sign, at any size of the font, and the pane forgets the chart
// once every chart is closed.
TEST_F(MainWindowTest, TotalsShowTheirSignsAndLeaveWithTheCharts)
{
    TMainF &m = open();
    onlyKinds({0});
    enter(2024, 3, 1, "12:00");
    click("BanBtn");
    TBanF *year = m.charts()->chartWindow("年盤:2024/03/01");
    ASSERT_TRUE(year);
    clickPalace(year, 4);
    QTableWidget *sg2 = m.pane()->findChild<QTableWidget *>(QStringLiteral("SG2"));
    EXPECT_EQ(sg2->item(1, 0)->text(), QStringLiteral(" 西"));
    EXPECT_EQ(sg2->item(1, 1)->text(), "-33.00");
    EXPECT_EQ(sg2->item(1, 3)->text(), "-53.00");
    EXPECT_EQ(sg2->item(3, 3)->text(), "-10.00");
    for (int points : {8, 9, 12, 16, 24}) {
        QFont f = m.pane()->font();
        f.setPointSize(points);
        m.pane()->setFont(f);
        const QFontMetrics metrics(sg2->font());
        for (int c = 0; c < 4; ++c) {
            const int needed = metrics.horizontalAdvance(c % 2 ? QStringLiteral("-100.00") : sg2->item(0, c)->text());
            EXPECT_GT(sg2->columnWidth(c) - 5, needed) << points << " pt, column " << c;
        }
        EXPECT_GE(sg2->width(), sg2->horizontalHeader()->length());
        EXPECT_GE(sg2->rowHeight(0), metrics.height());
    }

    click("ClrBtn");
    flushDeletes();
    EXPECT_TRUE(m.charts()->chartWindows().isEmpty());
    EXPECT_EQ(m.pane()->findChild<QLabel *>(QStringLiteral("BanL"))->text(), "");
    EXPECT_EQ(m.pane()->findChild<QLabel *>(QStringLiteral("SuuPnl"))->text(), "");
    EXPECT_EQ(m.pane()->Memo1()->toPlainText(), "");
    EXPECT_EQ(sg2->item(1, 1)->text(), "");
    EXPECT_EQ(sg2->item(1, 0)->text(), QStringLiteral(" 西"));
    EXPECT_FALSE(m.pane()->findChild<QToolButton *>(QStringLiteral("ExpBtn"))->isEnabled());
}

TEST_F(MainWindowTest, ZonesAndPreciseTermsReachTheChartsTitleAndStatusLine)
{
    settings->setTermSource(Astronomy::Precise);
    settings->setUseTimeZone(true);
    settings->setTimeZoneName(QStringLiteral("Asia/Shanghai"));
    TMainF &m = open();
    onlyKinds({3});
    // Noon in Shanghai's 1988 summer time is 11:00 standard time.
    enter(1988, 7, 1, "12:00");
    click("BanBtn");
    EXPECT_EQ(titles(), QStringList{QStringLiteral("時盤:88/07/01 11時  精密・Asia/Shanghai")});
    EXPECT_EQ(m.findChild<QLabel *>("CalendarL")->text(), QStringLiteral("精密・Asia/Shanghai"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();

    // A repeated hour (the end of summer time) is read as the user chooses.
    messages.yesTo = [](const QString &) { return false; };
    enter(1988, 9, 11, "01:30");
    click("BanBtn");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("二度ある"))) << messages.texts[0].toStdString();
    EXPECT_TRUE(m.charts()->chartWindow(QStringLiteral("時盤:88/09/11 01時  精密・Asia/Shanghai")));
}

TEST_F(MainWindowTest, BoundariesAreNamedAndTheOtherSideIsOneClickAway)
{
    TMainF &m = open();
    onlyKinds({1, 3});
    auto *status = m.findChild<QLabel *>("BoundaryL");
    ASSERT_TRUE(status);

    // 17:40 lies after the short 立春 of 17:18, which the whole hour does not count.
    enter(2024, 2, 4, "17:40");
    click("BanBtn");
    EXPECT_EQ(status->text(), QStringLiteral("立春から21分（簡略式の誤差を含む）"));
    EXPECT_TRUE(status->toolTip().startsWith(QStringLiteral("立春：2024/02/04 17:18:56\n"))) << status->toolTip().toStdString();
    TBanF *hour = m.charts()->chartWindow("時盤:24/02/04 17時");
    TBanF *month = m.charts()->chartWindow("月盤:2024/02/04");
    ASSERT_TRUE(hour && month);
    EXPECT_TRUE(hour->findChild<QLabel *>(QStringLiteral("BoundaryL"))->isVisible());
    EXPECT_EQ(hour->findChild<QLabel *>(QStringLiteral("BoundaryL"))->text(), QStringLiteral("立春から21分\n（簡略式の誤差を含む）"));
    ASSERT_TRUE(month->findChild<QPushButton *>(QStringLiteral("OtherSideBtn"))->isEnabled());

    // The other side: month pillar and ju change, the hour pillar does not.
    QTest::mouseClick(month->findChild<QPushButton *>(QStringLiteral("OtherSideBtn")), Qt::LeftButton);
    QTest::mouseClick(hour->findChild<QPushButton *>(QStringLiteral("OtherSideBtn")), Qt::LeftButton);
    TBanF *monthAfter = m.charts()->chartWindow(QStringLiteral("月盤:2024/02/04［立春後］"));
    TBanF *hourAfter = m.charts()->chartWindow(QStringLiteral("時盤:24/02/04 17時［立春後］"));
    ASSERT_TRUE(monthAfter && hourAfter) << titles().join(' ').toStdString();
    EXPECT_EQ(month->koyomi().BanShi[1], 1);     // 丑
    EXPECT_EQ(monthAfter->koyomi().BanShi[1], 2); // 寅
    EXPECT_NE(monthAfter->chart().Ban, month->chart().Ban);
    EXPECT_EQ(hourAfter->koyomi().BanKan[3], hour->koyomi().BanKan[3]);
    EXPECT_EQ(hourAfter->koyomi().BanShi[3], hour->koyomi().BanShi[3]);
    EXPECT_FALSE(hourAfter->findChild<QPushButton *>(QStringLiteral("OtherSideBtn"))->isEnabled()); // its other side is the chart it came from
    // Its badge describes the side it shows.
    EXPECT_EQ(hourAfter->findChild<QLabel *>(QStringLiteral("BoundaryL"))->text(),
              QStringLiteral("立春後として表示\n（実際は立春の21分後、簡略式の誤差を含む）"));
    EXPECT_EQ(titles().size(), 4);

    // Far from every boundary: nothing to say, nothing to cross.
    enter(2024, 2, 4, "12:00");
    click("BanBtn");
    EXPECT_EQ(status->text(), QString());
    TBanF *noon = m.charts()->chartWindow("時盤:24/02/04 12時");
    ASSERT_TRUE(noon);
    EXPECT_FALSE(noon->findChild<QLabel *>(QStringLiteral("BoundaryL"))->isVisible());
    EXPECT_FALSE(noon->findChild<QPushButton *>(QStringLiteral("OtherSideBtn"))->isEnabled());

    // A double-hour change: the neighbouring double-hour.
    enter(2024, 3, 1, "23:10");
    click("BanBtn");
    EXPECT_EQ(status->text(), QStringLiteral("子刻入りから10分"));
    QTest::mouseClick(m.charts()->chartWindow("時盤:24/03/01 23時")->findChild<QPushButton *>(QStringLiteral("OtherSideBtn")), Qt::LeftButton);
    TBanF *before = m.charts()->chartWindow(QStringLiteral("時盤:24/03/01 22時［子刻入り前］"));
    ASSERT_TRUE(before) << titles().join(' ').toStdString();
    EXPECT_EQ(before->momentText(), "2024/03/01 22:59");
    EXPECT_EQ(before->koyomi().BanShi[3], 11); // 亥

    // No warning with 0; counting to the minute names the side in the title.
    settings->setBoundaryWarn(0);
    settings->setExactMinutes(true);
    enter(2024, 2, 4, "17:40");
    EXPECT_EQ(status->text(), QString());
    click("BanBtn");
    TBanF *exact = m.charts()->chartWindow(QStringLiteral("時盤:24/02/04 17時［立春後］  節入り分単位"));
    ASSERT_TRUE(exact) << titles().join(' ').toStdString();
    EXPECT_EQ(exact->koyomi().BanShi[1], 2);
    EXPECT_FALSE(exact->findChild<QLabel *>(QStringLiteral("BoundaryL"))->isVisible());
    // The title bar holds the title to its end; the calendar is said inside.
    QMdiSubWindow *exactSub = qobject_cast<QMdiSubWindow *>(exact->parentWidget());
    ASSERT_TRUE(exactSub);
    EXPECT_EQ(exactSub->windowTitle(), QStringLiteral("時盤:24/02/04 17時［立春後］"));
    QFont bold = QApplication::font("QMdiSubWindowTitleBar");
    bold.setBold(true);
    EXPECT_GT(exactSub->width(), QFontMetrics(bold).horizontalAdvance(exactSub->windowTitle()));
    EXPECT_EQ(exact->findChild<QLabel *>(QStringLiteral("ChartCalendarL"))->text(), QStringLiteral("節入り分単位"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

TEST_F(MainWindowTest, SchoolsAreComparedSideBySideForAnHourChart)
{
    TMainF &m = open();
    onlyKinds({2, 3});
    // 17:00 on 2024-02-04 lies before 立春 (17:18): the schools part ways.
    enter(2024, 2, 4, "17:00");
    click("BanBtn");
    TBanF *day = m.charts()->chartWindow(QStringLiteral("日盤:2024/02/04"));
    ASSERT_TRUE(day);
    EXPECT_FALSE(day->findChild<QMenu *>(QStringLiteral("PopupMenu1"))->findChild<QAction *>(QStringLiteral("SchoolsItem"))->isEnabled());
    const auto compare = [&](const QString &title) {
        TBanF *hour = m.charts()->chartWindow(title);
        EXPECT_TRUE(hour) << title.toStdString();
        if (!hour)
            return static_cast<QTableWidget *>(nullptr);
        hour->findChild<QMenu *>(QStringLiteral("PopupMenu1"))->findChild<QAction *>(QStringLiteral("SchoolsItem"))->trigger();
        auto *dialog = m.findChild<QDialog *>(QStringLiteral("SchoolsF"));
        return dialog ? dialog->findChild<QTableWidget *>(QStringLiteral("SchoolsGrid")) : nullptr;
    };
    QTableWidget *grid = compare(QStringLiteral("時盤:24/02/04 17時"));
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("立春上元"));
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("陽遁8局"));
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("大寒上元"));
    EXPECT_EQ(grid->item(1, 1)->text(), QStringLiteral("陽遁3局"));
    EXPECT_EQ(grid->item(1, 2)->text(), QStringLiteral("陽遁6局"));
    // The first school's scores are the chart window's own.
    EXPECT_EQ(grid->item(2, 0)->text().toStdString(), formatScore(m.charts()->chartWindow(QStringLiteral("時盤:24/02/04 17時"))->scores().BanSuu[8][0]));
    EXPECT_TRUE(grid->parentWidget()->findChild<QLabel *>(QStringLiteral("SchoolsNote"))->text().contains(QStringLiteral("変わ")));
    grid->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // An hour after the entry all three read 立春上元.
    enter(2024, 2, 4, "19:00");
    click("BanBtn");
    grid = compare(QStringLiteral("時盤:24/02/04 19時"));
    ASSERT_TRUE(grid);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(grid->item(1, c)->text(), QStringLiteral("陽遁8局")) << c;
    EXPECT_TRUE(grid->parentWidget()->findChild<QLabel *>(QStringLiteral("SchoolsNote"))->text().contains(QStringLiteral("同じ盤")));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}
