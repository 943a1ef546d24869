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
    EXPECT_EQ(s.ImiPnl(), 355);
    EXPECT_EQ(s.KyuPnl(), 125);
    EXPECT_TRUE(s.StsBar());
    for (int n = 0; n < 4; ++n)
        EXPECT_TRUE(s.BanGrp(n)) << n;
    EXPECT_EQ(s.CGS(), 1);
    EXPECT_EQ(s.Src(), "500");
    EXPECT_EQ(s.Cnt(), "100");
    EXPECT_TRUE(s.KCB1());
    // CB1..CB7 as designed: on on on off on off on; CB8 item 0.
    const bool cb[8] = {false, true, true, true, false, true, false, true};
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(s.CB(n), cb[n]) << "CB" << n;
    EXPECT_EQ(s.CB8(), 0);
    EXPECT_TRUE(s.TCB());
    EXPECT_EQ(s.CG1(), 4095);
    EXPECT_EQ(s.RG10(), 0);
    EXPECT_EQ(s.RG0(), 1);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s.RG0k(k), 1);
    const quint32 colours[5] = {0xFFFF8E, 0xCCFFBB, 0x9DFFFF, 0xFFA6FF, 0x8888FF};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(s.Color(k), colours[k]);
    const int thresholds[4] = {10, 5, 0, -5};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s.ED(k), thresholds[k]);
    EXPECT_EQ(s.CFrom(), "0");
    EXPECT_EQ(s.TZE(), "9.0");
    EXPECT_EQ(s.NowE(), "0.0");
    EXPECT_EQ(s.SysFont(), (FontSetting{"IPAPGothic", 9}));
    EXPECT_EQ(s.BanFont(), (FontSetting{"IPAGothic", 10}));
    EXPECT_EQ(s.SetuFont(), (FontSetting{"IPAPMincho", 9}));
    EXPECT_EQ(s.Gaiji(1), "93E0");
    EXPECT_EQ(s.Gaiji(2), "B4B2");
    EXPECT_EQ(s.Gaiji(3), "93AB");
    EXPECT_TRUE(s.TeiiPlacement(1).isEmpty());
    // Default colour 0 is $FFFF8E in blue-green-red order: red 8E, green FF, blue FF.
    EXPECT_EQ(colorFromBgr(s.Color(0)), QColor(0x8E, 0xFF, 0xFF));
    EXPECT_EQ(bgrFromColor(QColor(0x8E, 0xFF, 0xFF)), 0xFFFF8Eu);
}

TEST(AppSettings, ValuesSurviveARestartUnderTheirKeys)
{
    Folders d;
    {
        AppSettings s(d.program.path(), d.config.path());
        s.setImiPnl(300);
        s.setKyuPnl(90);
        s.setStsBar(false);
        s.setBanGrp(0, false);
        s.setCGS(0);
        s.setKCB1(false);
        s.setCB(2, false);
        s.setCB8(2);
        s.setCG1(0x801);
        s.setRG10(1);
        s.setRG0k(3, 0);
        s.setColor(4, 0x123456);
        s.setED(3, -7);
        s.setTZE("8.5");
        s.setSetuFont({"IPAGothic", 12});
        s.setGaiji(2, "889F");
        s.setTeiiPlacement(2, QByteArray("\x2c\0\0\0", 4));
        EXPECT_EQ(s.commit(), "");
    }
    AppSettings s(d.program.path(), d.config.path());
    EXPECT_EQ(s.ImiPnl(), 300);
    EXPECT_EQ(s.KyuPnl(), 90);
    EXPECT_FALSE(s.StsBar());
    EXPECT_FALSE(s.BanGrp(0));
    EXPECT_TRUE(s.BanGrp(1));
    EXPECT_EQ(s.CGS(), 0);
    EXPECT_FALSE(s.KCB1());
    EXPECT_FALSE(s.CB(2));
    EXPECT_EQ(s.CB8(), 2);
    EXPECT_EQ(s.CG1(), 0x801);
    EXPECT_EQ(s.RG10(), 1);
    EXPECT_EQ(s.RG0k(3), 0);
    EXPECT_EQ(s.RG0k(2), 1);
    EXPECT_EQ(s.Color(4), 0x123456u);
    EXPECT_EQ(s.ED(3), -7);
    EXPECT_EQ(s.TZE(), "8.5");
    EXPECT_EQ(s.SetuFont(), (FontSetting{"IPAGothic", 12}));
    EXPECT_EQ(s.Gaiji(2), "889F");
    EXPECT_EQ(s.TeiiPlacement(2), QByteArray("\x2c\0\0\0", 4));

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
    EXPECT_EQ(s.RG10(), 0);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s.RG0k(k), 0) << k;
    EXPECT_EQ(s.ImiPnl(), 355);
    EXPECT_TRUE(s.StsBar());
    EXPECT_EQ(s.CB8(), 0);
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
        EXPECT_EQ(s.ImiPnl(), 355);
        // Closing the main window stores what is in effect: nothing new.
        s.setImiPnl(355);
        for (int n = 0; n < 4; ++n)
            s.setBanGrp(n, true);
        s.setCGS(1);
        EXPECT_EQ(s.sync(), "");
        EXPECT_EQ(readFile(path), damaged);
        EXPECT_FALSE(QFile::exists(path + ".bad"));
        // A real change replaces it; the damaged file is kept aside.
        s.setBanGrp(0, false);
        EXPECT_EQ(s.sync(), "");
        EXPECT_EQ(readFile(path + ".bad"), damaged);
    }
    AppSettings again(d.program.path(), d.config.path());
    EXPECT_EQ(again.loadError(), "");
    EXPECT_FALSE(again.BanGrp(0));
}

TEST(AppSettings, LayoutFilesBesideTheProgram)
{
    Folders d;
    {
        AppSettings s(d.program.path(), d.config.path());
        EXPECT_FALSE(s.layoutFileExists());
        EXPECT_FALSE(s.mainPlacement().stored);
        EXPECT_EQ(s.FL().name, "IPAPMincho");
        s.setToolbarState(QByteArray("state\x01", 6));
        s.setWindowPlacement("ListF", QByteArray("geo"));
        s.setMainPlacement({true, false, QRect(10, 20, 800, 600)});
        s.setFL({"IPAGothic", 11, 1 | 2, 0x0000FF});
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
    const FontRecord fl = s.FL();
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
    EXPECT_EQ(s.FL().name, "IPAPMincho");
    EXPECT_EQ(s.SetURL(), AppSettings::builtInSupportAddress());
}

TEST(AppSettings, SupportAddress)
{
    Folders d;
    AppSettings s(d.program.path(), d.config.path());
    EXPECT_EQ(s.SetURL(), AppSettings::builtInSupportAddress());
    QSettings maker(d.config.path() + "/Quorvel.ini", QSettings::IniFormat);
    maker.setValue("80", "ftp://files.example/");
    maker.sync();
    EXPECT_EQ(s.SetURL(), AppSettings::builtInSupportAddress());
    maker.setValue("80", "http://support.example/velm");
    maker.sync();
    EXPECT_EQ(s.SetURL(), "http://support.example/velm");
    maker.setValue("80", "https://support.example/velm");
    maker.sync();
    EXPECT_EQ(s.SetURL(), "https://support.example/velm");
}

TEST(AppSettings, EngineOptionsAndSummary)
{
    Folders d;
    AppSettings s(d.program.path(), d.config.path());
    EngineOptions o = engineOptions(s);
    EXPECT_TRUE(o.tzOk);
    EXPECT_DOUBLE_EQ(o.koyomi.tz, 9.0);
    EXPECT_EQ(o.koyomi.periods, (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_TRUE(o.koyomi.kcb1);
    EXPECT_TRUE(o.koyomi.settingsExist);
    EXPECT_EQ(o.method, LayingMethod::Rotating);
    EXPECT_EQ(settingsSummary(s),
              QStringLiteral("　　【活盤式】　【６０年１局　６０月１局　６０日１局　６０刻１局　】"));

    s.setRG10(1);
    s.setRG0k(0, 0);
    s.setRG0k(3, 0);
    s.setTZE(" -3.5 ");
    o = engineOptions(s, false);
    EXPECT_EQ(o.method, LayingMethod::Flying);
    EXPECT_EQ(o.koyomi.periods, (std::array<int, 4>{0, 1, 1, 0}));
    EXPECT_DOUBLE_EQ(o.koyomi.tz, -3.5);
    EXPECT_FALSE(o.koyomi.kcb1); // the main window's copy wins
    EXPECT_EQ(settingsSummary(s),
              QStringLiteral("　　【飛宮式】　【\u3000１年１局　６０月１局　６０日１局　１０刻１局　】"));

    for (const char *bad : {"abc", "", "9,0", "1e3", "30", "-13"}) {
        s.setTZE(bad);
        o = engineOptions(s);
        EXPECT_FALSE(o.tzOk) << bad;
        EXPECT_EQ(o.tzText, bad);
    }
}
