// The typed settings: the defaults of every stored value, a restart, the
// fall-backs of odd stored values, the damaged file left alone, the layout
// files, and the engine options and summary derived from the settings.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "shell/settings/appsettings.h"

using namespace velm;

namespace {

struct Folders {
    QTemporaryDir program;
    QTemporaryDir config;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(AppSettings, DefaultsOfTheSettingsTable)
{
    Folders d;
    AppSettings s(d.program.path(), d.config.path());
    EXPECT_EQ(s.loadError(), "");
    EXPECT_EQ(s.explanationPaneWidth(), 355);
    EXPECT_EQ(s.palacePanelHeight(), 125);
    EXPECT_TRUE(s.statusBarShown());
    for (int n = 0; n < 4; ++n)
        EXPECT_TRUE(s.chartKindChecked(n)) << n;
    EXPECT_EQ(s.designatedChartFlags(), 1);
    EXPECT_EQ(s.searchLimit(), "500");
    EXPECT_EQ(s.searchMatchLimit(), "100");
    EXPECT_TRUE(s.hourStarFollowsDun());
    // The seven switches as designed: on on on off on off on; the hour rows item 0.
    EXPECT_TRUE(s.searchListOnTop());
    EXPECT_TRUE(s.tileAfterCharts());
    EXPECT_TRUE(s.colourChartsByScore());
    EXPECT_FALSE(s.showDutyDoorAndStar());
    EXPECT_TRUE(s.calendarOnTop());
    EXPECT_FALSE(s.calendarAtStart());
    EXPECT_TRUE(s.doubleClickOpensChart());
    EXPECT_EQ(s.calendarHourRows(), 0);
    EXPECT_TRUE(s.summaryInTitle());
    EXPECT_EQ(s.designatedHours(), 4095);
    EXPECT_EQ(s.layingMethod(), 0);
    EXPECT_EQ(s.defaultJuPeriod(), 1);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s.juPeriod(k), 1);
    const quint32 colours[5] = {0xFFFF8E, 0xCCFFBB, 0x9DFFFF, 0xFFA6FF, 0x8888FF};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(s.scoreColour(k), colours[k]);
    const int thresholds[4] = {10, 5, 0, -5};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s.scoreThreshold(k), thresholds[k]);
    EXPECT_EQ(s.calendarHoursBefore(), "0");
    EXPECT_EQ(s.fixedTimeZone(), "9.0");
    EXPECT_EQ(s.clockCorrection(), "0.0");
    EXPECT_EQ(s.baseFont(), (FontSetting{"IPAPGothic", 9}));
    EXPECT_EQ(s.chartFont(), (FontSetting{"IPAGothic", 10}));
    EXPECT_EQ(s.explanationFont(), (FontSetting{"IPAPMincho", 9}));
    EXPECT_EQ(s.specialCharacter(1), "93E0");
    EXPECT_EQ(s.specialCharacter(2), "B4B2");
    EXPECT_EQ(s.specialCharacter(3), "93AB");
    EXPECT_TRUE(s.fixedViewPlacement(1).isEmpty());
    // Default colour 0 is $FFFF8E in blue-green-red order: red 8E, green FF, blue FF.
    EXPECT_EQ(colorFromBgr(s.scoreColour(0)), QColor(0x8E, 0xFF, 0xFF));
    EXPECT_EQ(bgrFromColor(QColor(0x8E, 0xFF, 0xFF)), 0xFFFF8Eu);
}

TEST(AppSettings, ValuesSurviveARestartUnderTheirKeys)
{
    Folders d;
    {
        AppSettings s(d.program.path(), d.config.path());
        s.setExplanationPaneWidth(300);
        s.setPalacePanelHeight(90);
        s.setStatusBarShown(false);
        s.setChartKindChecked(0, false);
        s.setDesignatedChartFlags(0);
        s.setHourStarFollowsDun(false);
        s.setTileAfterCharts(false);
        s.setCalendarHourRows(2);
        s.setDesignatedHours(0x801);
        s.setLayingMethod(1);
        s.setJuPeriod(3, 0);
        s.setScoreColour(4, 0x123456);
        s.setScoreThreshold(3, -7);
        s.setFixedTimeZone("8.5");
        s.setExplanationFont({"IPAGothic", 12});
        s.setSpecialCharacter(2, "889F");
        s.setFixedViewPlacement(2, QByteArray("\x2c\0\0\0", 4));
        EXPECT_EQ(s.commit(), "");
    }
    AppSettings s(d.program.path(), d.config.path());
    EXPECT_EQ(s.explanationPaneWidth(), 300);
    EXPECT_EQ(s.palacePanelHeight(), 90);
    EXPECT_FALSE(s.statusBarShown());
    EXPECT_FALSE(s.chartKindChecked(0));
    EXPECT_TRUE(s.chartKindChecked(1));
    EXPECT_EQ(s.designatedChartFlags(), 0);
    EXPECT_FALSE(s.hourStarFollowsDun());
    EXPECT_FALSE(s.tileAfterCharts());
    EXPECT_EQ(s.calendarHourRows(), 2);
    EXPECT_EQ(s.designatedHours(), 0x801);
    EXPECT_EQ(s.layingMethod(), 1);
    EXPECT_EQ(s.juPeriod(3), 0);
    EXPECT_EQ(s.juPeriod(2), 1);
    EXPECT_EQ(s.scoreColour(4), 0x123456u);
    EXPECT_EQ(s.scoreThreshold(3), -7);
    EXPECT_EQ(s.fixedTimeZone(), "8.5");
    EXPECT_EQ(s.explanationFont(), (FontSetting{"IPAGothic", 12}));
    EXPECT_EQ(s.specialCharacter(2), "889F");
    EXPECT_EQ(s.fixedViewPlacement(2), QByteArray("\x2c\0\0\0", 4));

    // The keys are those of the settings table, in section "Sys".
    QSettings raw(d.config.path() + "/VELM.ini", QSettings::IniFormat);
    EXPECT_EQ(raw.value("Sys/ImiPnl").toInt(), 300);
    EXPECT_EQ(raw.value("Sys/BanGrp0").toString(), "false");
    EXPECT_EQ(raw.value("Sys/RG03").toInt(), 0);
    EXPECT_EQ(raw.value("Sys/Color4").toInt(), 0x123456);
    EXPECT_EQ(raw.value("Sys/SetuFntName").toString(), "IPAGothic");
    EXPECT_TRUE(raw.contains("Teii2/Teii2FWinPlace1"));
}

TEST(AppSettings, OddStoredValuesFallBack)
{
    Folders d;
    {
        QSettings raw(d.config.path() + "/VELM.ini", QSettings::IniFormat);
        raw.setValue("Sys/RG10", 2);   // an old third method: the first item
        raw.setValue("Sys/RG0", 0);    // no RG00..RG03 stored: all four follow RG0
        raw.setValue("Sys/ImiPnl", "wide");
        raw.setValue("Sys/StsBar", "maybe");
        raw.setValue("Sys/CB8", 7);
    }
    AppSettings s(d.program.path(), d.config.path());
    EXPECT_EQ(s.layingMethod(), 0);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s.juPeriod(k), 0) << k;
    EXPECT_EQ(s.explanationPaneWidth(), 355);
    EXPECT_TRUE(s.statusBarShown());
    EXPECT_EQ(s.calendarHourRows(), 0);
}

TEST(AppSettings, DamagedFileIsKeptUntilTheUserChangesSomething)
{
    Folders d;
    const QString path = d.config.path() + "/VELM.ini";
    const QByteArray damaged("[Sys\nImiPnl=200\n");
    writeFile(path, damaged);
    {
        AppSettings s(d.program.path(), d.config.path());
        ASSERT_NE(s.loadError(), "");
        EXPECT_TRUE(s.loadError().contains(path));
        EXPECT_EQ(s.explanationPaneWidth(), 355);
        // Closing the main window stores what is in effect: nothing new.
        s.setExplanationPaneWidth(355);
        for (int n = 0; n < 4; ++n)
            s.setChartKindChecked(n, true);
        s.setDesignatedChartFlags(1);
        EXPECT_EQ(s.sync(), "");
        EXPECT_EQ(readFile(path), damaged);
        EXPECT_FALSE(QFile::exists(path + ".bad"));
        // A real change replaces it; the damaged file is kept aside.
        s.setChartKindChecked(0, false);
        EXPECT_EQ(s.sync(), "");
        EXPECT_EQ(readFile(path + ".bad"), damaged);
    }
    AppSettings again(d.program.path(), d.config.path());
    EXPECT_EQ(again.loadError(), "");
    EXPECT_FALSE(again.chartKindChecked(0));
}

TEST(AppSettings, LayoutFilesBesideTheProgram)
{
    Folders d;
    {
        AppSettings s(d.program.path(), d.config.path());
        EXPECT_FALSE(s.layoutFileExists());
        EXPECT_FALSE(s.mainPlacement().stored);
        EXPECT_EQ(s.memoFont().name, "IPAPMincho");
        s.setToolbarState(QByteArray("state\x01", 6));
        s.setWindowPlacement("ListF", QByteArray("geo"));
        s.setMainPlacement({true, false, QRect(10, 20, 800, 600)});
        s.setMemoFont({"IPAGothic", 11, 1 | 2, 0x0000FF});
    }
    AppSettings s(d.program.path(), d.config.path());
    EXPECT_TRUE(s.layoutFileExists());
    EXPECT_TRUE(QFile::exists(d.program.path() + "/VELMWIN.ini"));
    EXPECT_EQ(s.toolbarState(), QByteArray("state\x01", 6));
    EXPECT_EQ(s.windowPlacement("ListF"), QByteArray("geo"));
    MainPlacement p = s.mainPlacement();
    EXPECT_TRUE(p.stored);
    EXPECT_FALSE(p.maximized);
    EXPECT_EQ(p.bounds, QRect(10, 20, 800, 600));
    const FontRecord fl = s.memoFont();
    EXPECT_EQ(fl.name, "IPAGothic");
    EXPECT_EQ(fl.size, 11);
    EXPECT_TRUE(fl.font().bold());
    EXPECT_TRUE(fl.font().italic());
    EXPECT_EQ(fl.color, 0x0000FFu);

    // Closed maximised: WinState 1 and the normal bounds stay as they were.
    s.setMainPlacement({true, true, QRect(0, 0, 1920, 1080)});
    p = s.mainPlacement();
    EXPECT_TRUE(p.maximized);
    EXPECT_EQ(p.bounds, QRect(10, 20, 800, 600));
    QSettings raw(d.program.path() + "/MainF.ini", QSettings::IniFormat);
    EXPECT_EQ(raw.value("MainF/WinState").toInt(), 1);
    EXPECT_EQ(raw.value("FL/Size").toInt(), 11);
}

TEST(AppSettings, FifosInPlaceOfTheLayoutFilesNeverBlock)
{
    Folders d;
    for (const char *name : {"/VELMWIN.ini", "/MainF.ini"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(d.program.path() + name).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(d.config.path() + "/Quorvel.ini").constData(), 0600), 0);
    AppSettings s(d.program.path(), d.config.path());
    s.setToolbarState(QByteArray("state"));
    s.setMainPlacement({true, false, QRect(10, 20, 800, 600)});
    EXPECT_EQ(s.toolbarState(), QByteArray());
    EXPECT_FALSE(s.mainPlacement().stored);
    EXPECT_EQ(s.memoFont().name, "IPAPMincho");
    EXPECT_EQ(s.supportAddress(), AppSettings::builtInSupportAddress());
}

TEST(AppSettings, SupportAddress)
{
    Folders d;
    AppSettings s(d.program.path(), d.config.path());
    EXPECT_EQ(s.supportAddress(), AppSettings::builtInSupportAddress());
    QSettings maker(d.config.path() + "/Quorvel.ini", QSettings::IniFormat);
    maker.setValue("80", "ftp://files.example/");
    maker.sync();
    EXPECT_EQ(s.supportAddress(), AppSettings::builtInSupportAddress());
    maker.setValue("80", "http://support.example/velm");
    maker.sync();
    EXPECT_EQ(s.supportAddress(), "http://support.example/velm");
    maker.setValue("80", "https://support.example/velm");
    maker.sync();
    EXPECT_EQ(s.supportAddress(), "https://support.example/velm");
}

TEST(AppSettings, EngineOptionsAndSummary)
{
    Folders d;
    AppSettings s(d.program.path(), d.config.path());
    EngineOptions o = engineOptions(s);
    EXPECT_TRUE(o.tzOk);
    EXPECT_DOUBLE_EQ(o.koyomi.clock.fixedTz, 9.0);
    EXPECT_EQ(o.koyomi.periods, (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_TRUE(o.koyomi.kcb1);
    EXPECT_TRUE(o.koyomi.settingsExist);
    EXPECT_EQ(o.method, LayingMethod::Rotating);
    EXPECT_EQ(settingsSummary(s),
              QStringLiteral("　　【活盤式】　【６０年１局　６０月１局　６０日１局　６０刻１局　】"));

    s.setLayingMethod(1);
    s.setJuPeriod(0, 0);
    s.setJuPeriod(3, 0);
    s.setFixedTimeZone(" -3.5 ");
    o = engineOptions(s, false);
    EXPECT_EQ(o.method, LayingMethod::Flying);
    EXPECT_EQ(o.koyomi.periods, (std::array<int, 4>{0, 1, 1, 0}));
    EXPECT_DOUBLE_EQ(o.koyomi.clock.fixedTz, -3.5);
    EXPECT_FALSE(o.koyomi.kcb1); // the main window's copy wins
    EXPECT_EQ(settingsSummary(s),
              QStringLiteral("　　【飛宮式】　【\u3000１年１局　６０月１局　６０日１局　１０刻１局　】"));

    for (const char *bad : {"abc", "", "9,0", "1e3", "30", "-13"}) {
        s.setFixedTimeZone(bad);
        o = engineOptions(s);
        EXPECT_FALSE(o.tzOk) << bad;
        EXPECT_EQ(o.tzText, bad);
    }
}
