// The system settings window as the main window reaches it, and every
// window made at start or on demand showing its texts whole.

#include <gtest/gtest.h>

#include <QDir>
#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QScreen>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>

#include "shell/app/app.h"
#include "shell/settings/appsettings.h"
#include "shell/main/mainwindow.h"
#include "shell/common/messages.h"
#include "shell/app/startwindows.h"
#include "shell/tools/systemsettings.h"
#include "shell/tools/backupdialog.h"
#include "shell/charts/chartwindow.h"
#include "shell/runs/chartdatalistdialog.h"
#include "shell/lists/calendarwindow.h"
#include "shell/runs/chartdatafilesdialog.h"
#include "shell/runs/quicksearchdialog.h"
#include "shell/charts/fixedviews.h"
#include "shell/editors/specialcharacters.h"
#include "shell/lists/listwindow.h"
#include "shell/tools/noticeswindow.h"
#include "shell/print/printpreview.h"
#include "shell/editors/matterseditor.h"
#include "shell/editors/explanationseditor.h"
#include "shell/runs/searchdialog.h"
#include "shell/editors/numberseditor.h"
#include "shell/tools/titlewindows.h"
#include "shell/tools/toolsmenu.h"
#include "shell/common/helpwindow.h"
#include "shell/common/screenfit.h"
#include "shell/lists/heatmapwindow.h"
#include "clipping.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

// The main window and the windows made at start, over a scratch program folder.
struct Started {
    ScratchProgram program;
    QTemporaryDir config;
    RecordedMessages messages;
    AppSettings settings{program.path(), config.path()};
    TMainF main{settings};
    std::unique_ptr<StartWindows> windows = makeStartWindows(main, settings);
};

} // namespace

TEST(StartWindows, SystemSettingsCloseTheChartsAndFeedTheMainWindow)
{
    Started started;
    TMainF &main = started.main;
    auto &windows = started.windows;
    main.showAtStart();
    main.setMoment(CivilTime{2024, 3, 1, 12, 0, 0});
    main.BanBtnClick();
    ASSERT_FALSE(main.findChild<QMdiArea *>()->subWindowList().isEmpty());

    main.SysBtnClick();
    QTest::qWait(10);
    EXPECT_TRUE(windows->sys->isVisible());
    EXPECT_TRUE(main.findChild<QMdiArea *>()->subWindowList().isEmpty());
    windows->sys->close();
    EXPECT_FALSE(windows->sys->isVisible());
}

TEST(StartWindows, EditorAndSearchCommandsAreInTheMainWindow)
{
    Started started;
    TMainF &main = started.main;
    for (const char *name : {"SetuItem", "I1", "SenItem", "New1", "Open1", "ListBtn"}) {
        QAction *a = main.findChild<QAction *>(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_TRUE(a->isEnabled()) << name;
    }
    EXPECT_EQ(main.findChild<QAction *>("I1")->text(), "数値の設定(&I)");
    EXPECT_EQ(main.findChild<QAction *>("SenItem")->text(), "占事ﾏｽﾀｰの設定(&M)");
    EXPECT_EQ(main.findChild<QAction *>("SetuItem")->text(), "説明文の編集(&E)");
    EXPECT_EQ(main.findChild<QAction *>("New1")->text(), "検索一覧表作成(&N)");
}

namespace {

QStringList namesOf(const QList<QAction *> &actions)
{
    QStringList names;
    for (QAction *a : actions)
        if (!a->isSeparator())
            names << a->objectName();
    return names;
}

} // namespace

TEST(StartWindows, CommandsStandInTheOrderOfTheirMenusAndBars)
{
    Started started;
    TMainF &main = started.main;
    EXPECT_EQ(namesOf(main.menu(TMainF::FileMenu)->actions()),
              QStringList({"CaleItem", "New1", "Open1", "BData1", "BRItem", "InfItem", "PrnItem", "PdfItem", "Pdf4Item",
                           "Exit1"}));
    EXPECT_EQ(namesOf(main.toolBar(TMainF::FindBar)->actions()),
              QStringList({"CaleItem", "HeatItem", "ListBtn", "New1", "BData1", "ESrcBtn"}));
    // The heat map, then the places: the direction map, the place book, the
    // people and the destination; last the journal.
    QStringList view = namesOf(main.menu(TMainF::ViewMenu)->actions());
    view.removeAll(QString());
    EXPECT_EQ(view.mid(view.indexOf("HeatItem")),
              QStringList({"HeatItem", "MapItem", "PlaceItem", "PeopleItem", "DestClearItem", "JournalItem"}));
    const QStringList system = namesOf(main.toolBar(TMainF::SystemBar)->actions());
    EXPECT_EQ(system.mid(system.indexOf("SetuItem")),
              QStringList({"SetuItem", "SenItem", "I1", "SysBtn", "BRItem"}));
    EXPECT_EQ(namesOf(main.toolBar(TMainF::WindowBar)->actions()).value(0), "CGIBtn");
    // Printing the charts stands beside their text export; with no chart it waits.
    const QStringList window = namesOf(main.toolBar(TMainF::WindowBar)->actions());
    EXPECT_EQ(window.indexOf("PrnItem"), window.indexOf("BExpBtn") + 1);
    EXPECT_FALSE(main.action(QStringLiteral("PrnItem"))->isEnabled());
    EXPECT_EQ(namesOf(main.toolBar(TMainF::NetBar)->actions()), QStringList({"URLBtn", "InfItem"}));
    const QList<QAction *> tools = main.menu(TMainF::ToolMenu)->actions();
    ASSERT_GE(tools.size(), 2);
    EXPECT_EQ(tools[0]->text(), "ﾂｰﾙの設定(&S)");
    EXPECT_TRUE(tools[1]->isSeparator());
    EXPECT_EQ(main.action(QStringLiteral("CaleItem"))->toolTip(), "数値カレンダーを表します。");
}

TEST(StartWindows, TheCalendarOpensAtStartWhenAsked)
{
    ScratchProgram program;
    QTemporaryDir config;
    RecordedMessages messages;
    for (bool cb6 : {false, true}) {
        AppSettings settings(program.path(), config.path());
        settings.setCalendarAtStart(cb6);
        TMainF main(settings);
        auto windows = makeStartWindows(main, settings);
        showStartWindowsAfterMain(*windows, main, settings);
        EXPECT_EQ(windows->calendar->isVisible(), cb6);
        // Making a search list closes the calendar first.
        if (cb6) {
            QTimer::singleShot(0, [] {
                if (QWidget *dialog = QApplication::activeModalWidget())
                    dialog->close();
            });
            main.action(QStringLiteral("New1"))->trigger();
            EXPECT_FALSE(windows->calendar->isVisible());
        }
    }
}

// The guard against clipped texts: every window and grid with its usual
// contents, at the default fonts and at the largest the settings allow.
TEST(StartWindows, EveryWindowShowsItsTextsWhole)
{
    for (const bool largest : {false, true}) {
        SCOPED_TRACE(largest ? "largest fonts" : "default fonts");
        ScratchProgram program;
        QTemporaryDir config;
        RecordedMessages messages;
        AppSettings settings{program.path(), config.path()};
        if (largest) {
            settings.setBaseFont({settings.baseFont().name, MaxFontSize});
            settings.setChartFont({settings.chartFont().name, MaxFontSize});
            settings.setExplanationFont({settings.explanationFont().name, MaxFontSize});
        }
        TMainF main{settings};
        std::unique_ptr<StartWindows> windows = makeStartWindows(main, settings);
        main.showAtStart();
        main.setMoment(CivilTime{2024, 3, 1, 12, 0, 0});
        main.BanBtnClick();
        ASSERT_FALSE(main.charts()->chartWindows().isEmpty());
        emit main.charts()->chartWindows().first()->palaceClicked(6); // as a click on 坤 does
        EXPECT_EQ(clippedReport(&main), "");

        // Every page of the windows with pages.
        const auto everyPage = [](QWidget *w) {
            w->show();
            QApplication::processEvents();
            const QList<QTabWidget *> tabs = w->findChildren<QTabWidget *>();
            if (tabs.isEmpty()) {
                EXPECT_EQ(clippedReport(w), "") << w->objectName().toStdString();
            }
            for (QTabWidget *t : tabs)
                for (int p = 0; p < t->count(); ++p) {
                    t->setCurrentIndex(p);
                    EXPECT_EQ(clippedReport(w), "") << w->objectName().toStdString() << " page " << p;
                }
            w->hide();
        };
        windows->sys->showSettings();
        everyPage(windows->sys.get());
        for (QWidget *w : std::initializer_list<QWidget *>{windows->suu.get(), windows->sen.get(), windows->setu.get(),
                                                           windows->teii.get(), windows->teii2.get(),
                                                           windows->about.get()})
            everyPage(w);
        windows->calendar->showCalendar();
        QApplication::processEvents();
        EXPECT_EQ(clippedReport(windows->calendar.get()), "");
        windows->calendar->hide();

        const ConstData names = MakeConstData();
        TListF list(settings);
        TSrcSF search(settings, names, [](QWidget *) { return std::optional<CivilTime>(CivilTime{2024, 3, 1, 12, 0, 0}); },
                      [&] { return engineOptions(settings); });
        search.setListWindow(&list);
        TBDataF chartData(main, settings, list);
        TESrcF quick(main, settings);
        TDMakeF files(settings, names, [&] { return engineOptions(settings); });
        TBackF backup(settings);
        TGaijiF gaiji(settings);
        TNoticeF notices(settings);
        TPrevF preview(settings);
        QMenu toolMenu;
        TTools tools(settings, &toolMenu);
        for (QWidget *w : std::initializer_list<QWidget *>{&search, &chartData, &quick, &files, &backup, &gaiji,
                                                           &notices, &preview, &tools})
            everyPage(w);
        // The run dialogs take the size of their contents: no bare frame below the buttons.
        for (QDialog *d : std::initializer_list<QDialog *>{&search, &chartData, &quick, &files})
            EXPECT_EQ(d->minimumSize(), d->maximumSize()) << d->objectName().toStdString();
        chartData.findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
        ASSERT_TRUE(runEnds(chartData));
        ASSERT_TRUE(list.isVisible());
        EXPECT_EQ(clippedReport(&list), "");
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
    }
}

// On the screen the test runs on (ctest runs it at 1024×768 and 1366×768 as
// well): with a fresh configuration every tool bar stands whole in the main
// window, and every window opens within the screen's free area.
TEST(StartWindows, EveryToolBarAndWindowIsWithinReach)
{
    EXPECT_EQ(fittedFrame(QRect(900, 700, 300, 200), QRect(0, 0, 1024, 740)), QRect(724, 540, 300, 200));
    EXPECT_EQ(fittedFrame(QRect(-50, 10, 2000, 900), QRect(0, 0, 1024, 740), QSize(400, 300)), QRect(0, 0, 1024, 740));
    // The windows are made for screens from 1024×768 up.
    if (QGuiApplication::primaryScreen()->availableGeometry().width() < 1024)
        GTEST_SKIP() << "screen smaller than 1024x768";
    Started started;
    TMainF &main = started.main;
    main.showAtStart();
    QApplication::processEvents();
    const QRect screen = main.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(main.frameGeometry())) << main.frameGeometry().width() << "x" << main.frameGeometry().height();
    ASSERT_TRUE(main.toolBar(TMainF::FindBar)->isVisible());
    for (QToolBar *bar : main.findChildren<QToolBar *>()) {
        if (!bar->isVisible())
            continue;
        SCOPED_TRACE(bar->objectName().toStdString());
        EXPECT_TRUE(main.rect().contains(bar->geometry()));
        // Not squeezed behind its extension button.
        if (bar->orientation() == Qt::Horizontal)
            EXPECT_GE(bar->width(), bar->sizeHint().width());
        else
            EXPECT_GE(bar->height(), bar->sizeHint().height());
    }

    auto &windows = started.windows;
    showHelp(HelpContents);
    windows->sys->showSettings();
    windows->calendar->showCalendar();
    windows->heat->showHeatMap();
    // The direction map and the place book, from the 表示 menu.
    for (const char *item : {"MapItem", "PlaceItem"})
        main.findChild<QAction *>(QLatin1String(item))->trigger();
    QApplication::processEvents();
    QTest::qWait(20);
    QList<QWidget *> shown{currentHelpWindow(), windows->sys.get(), windows->calendar.get(), windows->heat.get()};
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && (w->objectName() == QLatin1String("MapF") || w->objectName() == QLatin1String("PlaceF")))
            shown << w;
    EXPECT_EQ(shown.size(), 6);
    for (QWidget *w : shown) {
        ASSERT_TRUE(w);
        EXPECT_TRUE(screen.contains(w->frameGeometry()))
            << w->objectName().toStdString() << " at " << w->frameGeometry().x() << "," << w->frameGeometry().y() << " "
            << w->frameGeometry().width() << "x" << w->frameGeometry().height();
        w->hide();
    }
    // A window placed partly below the screen (a stored place from a larger one) comes back into it.
    currentHelpWindow()->move(screen.right() - 100, screen.bottom() - 100);
    showHelp(HelpContents);
    QApplication::processEvents();
    QTest::qWait(20);
    EXPECT_TRUE(screen.contains(currentHelpWindow()->frameGeometry()));
    currentHelpWindow()->hide();
}
