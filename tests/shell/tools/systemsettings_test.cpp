// The system settings window: defaults, storing and reloading every value,
// the checks made before it closes, the colour and font dialogs, and the
// engine options built from the values.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "shell/common/messages.h"
#include "shell/tools/systemsettings.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

template <typename T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Brings the page that holds a control to the front, as the user would.
void reveal(QWidget *w, QWidget *control)
{
    if (auto *sys = qobject_cast<TSysF *>(w))
        for (int i = 0; i < sys->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->count(); ++i)
            if (sys->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->widget(i)->isAncestorOf(control))
                sys->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(i);
}

void type(QWidget *w, const char *name, const QString &text)
{
    auto *e = child<QLineEdit>(w, name);
    reveal(w, e);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

void click(QWidget *w, const char *name)
{
    auto *b = child<QAbstractButton>(w, name);
    reveal(w, b);
    // Check boxes and radio buttons answer on their mark and caption, not
    // on the empty rest of a stretched row: press the mark.
    const bool marked = qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, marked ? QPoint(8, b->height() / 2) : QPoint());
}

} // namespace

TEST(SysSettings, FreshStoreShowsTheDefaults)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    EXPECT_EQ(loadSystemSettings(settings), SystemSettings{});

    TSysF w(settings);
    w.show();
    EXPECT_EQ(w.windowTitle(), "ｼｽﾃﾑ設定");
    EXPECT_EQ(w.current(), SystemSettings{});
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->tabText(0), "システム");
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->tabText(1), " 表 示  ");
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->tabText(2), " 作 盤 ");

    // What the user sees, where the value alone would not tell.
    EXPECT_EQ(child<QComboBox>(&w, "CB8")->currentText(), "表示する");
    EXPECT_EQ(child<QCheckBox>(&w, "CG1_11")->text(), "子：23:00");
    EXPECT_EQ(child<QLineEdit>(&w, "ED3")->text(), "-5");
    // $FFFF8E in blue-green-red order is red 8E, green FF, blue FF.
    EXPECT_EQ(child<ColourPanel>(&w, "CP0")->colour(), QColor(0x8E, 0xFF, 0xFF));
    EXPECT_EQ(child<QLabel>(&w, "SysFont")->text(), "IPAPGothic");
    EXPECT_EQ(child<QLineEdit>(&w, "TZE")->text(), "9.0");
    EXPECT_TRUE(child<QRadioButton>(&w, "RG10_0")->isChecked());
    EXPECT_EQ(child<QRadioButton>(&w, "RG00_0")->text(), "\u3000１年１局");
    EXPECT_TRUE(child<QRadioButton>(&w, "RG03_1")->isChecked());
}

TEST(SysSettings, EveryValueSurvivesClosingAndANewStart)
{
    QTemporaryDir dir;
    RecordedMessages messages;
    SystemSettings expected;
    {
        AppSettings settings(dir.path(), dir.path());
        TSysF w(settings);
        w.colorDialog = [](QWidget *, const QColor &) { return std::optional<QColor>(QColor(1, 2, 3)); };
        w.fontDialog = [](QWidget *, const QFont &) {
            QFont f(QStringLiteral("IPAMincho"));
            f.setPointSize(14);
            return std::optional<QFont>(f);
        };
        QSignalSpy changed(&w, &TSysF::settingsChanged);
        QSignalSpy shown(&w, &TSysF::aboutToShow);
        QSignalSpy kcb1(&w, &TSysF::kcb1Changed);
        w.showSettings();
        EXPECT_EQ(shown.count(), 1);

        for (const char *name : {"CB1", "CB2", "CB4", "CB5", "CB6", "CB7", "CB3", "KCB1", "TCB", "CG1_0", "CG1_5"})
            click(&w, name);
        child<QComboBox>(&w, "CB8")->setCurrentIndex(2);
        type(&w, "CFrom", "3");
        type(&w, "CCnt", "40");
        type(&w, "ED0", "20");
        type(&w, "ED1", "7");
        type(&w, "ED2", "-1");
        type(&w, "ED3", "-9");
        click(&w, "CP3");
        click(&w, "SetuFntBtn");
        type(&w, "NowE", "-15.5");
        type(&w, "TZE", "8.0");
        click(&w, "RG10_1");
        click(&w, "RG00_0");
        click(&w, "RG03_0");
        click(&w, "CloseBtn");

        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(changed.count(), 1);
        // KCB1 and TCB both hand the main window the state of KCB1.
        ASSERT_EQ(kcb1.count(), 2);
        EXPECT_FALSE(kcb1[1][0].toBool());
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();

        expected.searchListOnTop = expected.tileAfterCharts = expected.colourChartsByScore = expected.calendarOnTop = expected.doubleClickOpensChart = false;
        expected.showDutyDoorAndStar = expected.calendarAtStart = true;
        expected.hourStarFollowsDun = expected.summaryInTitle = false;
        expected.designatedHours = 4095 & ~1 & ~(1 << 5);
        expected.calendarHourRows = 2;
        expected.calendarHoursBefore = "3";
        expected.calendarRows = "40";
        expected.scoreThresholds = {20, 7, -1, -9};
        expected.scoreColours[3] = 0x030201;
        expected.explanationFont = {QStringLiteral("IPAMincho"), 14};
        expected.clockCorrection = "-15.5";
        expected.fixedTimeZone = "8.0";
        expected.layingMethod = 1;
        expected.juPeriods = {0, 1, 1, 0};
        EXPECT_EQ(w.current(), expected);
    }
    // The values under the keys the rest of the program (and older exports) use.
    AppSettings again(dir.path(), dir.path());
    const SettingsStore &store = again.store();
    EXPECT_EQ(store.integer("Sys", "ED0", 0), 20);
    EXPECT_EQ(store.integer("Sys", "ED3", 0), -9);
    EXPECT_EQ(store.integer("Sys", "Color3", 0), 0x030201);
    EXPECT_EQ(store.integer("Sys", "RG10", 0), 1);
    EXPECT_EQ(store.integer("Sys", "RG00", 1), 0);
    EXPECT_EQ(store.integer("Sys", "RG01", 0), 1);
    EXPECT_EQ(store.integer("Sys", "RG0", 0), 1);
    EXPECT_EQ(store.integer("Sys", "CB8", 0), 2);
    EXPECT_EQ(store.text("Sys", "TZE"), "8.0");
    EXPECT_EQ(store.text("Sys", "NowE"), "-15.5");
    EXPECT_EQ(store.text("Sys", "CFrom"), "3");
    EXPECT_EQ(store.text("Sys", "SetuFntName"), "IPAMincho");
    EXPECT_EQ(store.integer("Sys", "SetuFntSize", 0), 14);
    EXPECT_FALSE(store.boolean("Sys", "KCB1", true));
    EXPECT_TRUE(store.boolean("Sys", "CB6", false));
    EXPECT_FALSE(store.contains("Sys", "CCnt"));

    // A new run: everything back except the row count, which starts at 100.
    TSysF w(again);
    expected.calendarRows = "100";
    EXPECT_EQ(w.current(), expected);
    EXPECT_TRUE(child<QRadioButton>(&w, "RG10_1")->isChecked());
    EXPECT_EQ(child<QLabel>(&w, "SetuFont")->text(), "IPAMincho");
}

TEST(SysSettings, StoredOddValuesLoadAsDesigned)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    settings.store().setInteger("Sys", "RG10", 2); // an old third method: shown as 活盤式
    settings.store().setInteger("Sys", "RG0", 0);  // no RG00..RG03: all follow RG0
    settings.store().setText("Sys", "TZE", "abc"); // shown unchanged
    TSysF w(settings);
    EXPECT_TRUE(child<QRadioButton>(&w, "RG10_0")->isChecked());
    for (const char *name : {"RG00_0", "RG01_0", "RG02_0", "RG03_0"})
        EXPECT_TRUE(child<QRadioButton>(&w, name)->isChecked()) << name;
    EXPECT_EQ(child<QLineEdit>(&w, "TZE")->text(), "abc");
    // Until it is corrected, the astronomy keeps to the program's own zone.
    EXPECT_DOUBLE_EQ(koyomiOptions(w.current()).clock.fixedTz, 9.0);
}

TEST(SysSettings, ThresholdsMustDescend)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    RecordedMessages messages;
    TSysF w(settings);
    w.showSettings();

    type(&w, "ED0", "5");
    type(&w, "ED1", "10");
    click(&w, "CloseBtn");
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(messages.texts, QStringList{"数値1は、数値2より大きくなければなりません。"});
    EXPECT_EQ(w.focusWidget(), child<QLineEdit>(&w, "ED1"));
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), 1);
    EXPECT_FALSE(settings.store().contains("Sys", "ED0")); // nothing stored yet

    type(&w, "ED0", "10");
    type(&w, "ED2", "-6");
    messages.clear();
    EXPECT_FALSE(w.close());
    EXPECT_EQ(messages.texts, QStringList{"数値3は、数値4より大きくなければなりません。"});
    EXPECT_EQ(w.focusWidget(), child<QLineEdit>(&w, "ED3"));

    // Not a whole number: said so, and that very field gets the focus.
    type(&w, "ED2", "1.5");
    messages.clear();
    EXPECT_FALSE(w.close());
    EXPECT_EQ(messages.texts, QStringList{"数値3は、整数で指定して下さい。"});
    EXPECT_EQ(w.focusWidget(), child<QLineEdit>(&w, "ED2"));

    // Equal thresholds are fine.
    type(&w, "ED1", "10");
    type(&w, "ED2", "0");
    messages.clear();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(AppSettings(dir.path(), dir.path()).scoreThreshold(1), 10);
}

TEST(SysSettings, TextFieldsMustBeUsableNumbers)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    RecordedMessages messages;
    TSysF w(settings);
    w.showSettings();

    struct Case {
        const char *field;
        QString text;
        QString message;
        int page;
    };
    const QString tz = "天体計算のタイムゾーンは、-12.0～14.0の数値で指定して下さい。";
    const QString now = "現在日時とシステム日時の差違は、-9999999～9999999の数値(分)で指定して下さい。";
    const QString from = "数値カレンダーの開始は、0～9999の整数で指定して下さい。";
    const QString count = "数値カレンダーの行数は、1～9999の整数で指定して下さい。";
    const QString warn = "境界の警告は、0～1440の整数(分)で指定して下さい。";
    const std::vector<Case> cases{
        {"BoundaryWarn", "-1", warn, 3}, {"BoundaryWarn", "1441", warn, 3},
        {"BoundaryWarn", "x", warn, 3},
        {"TZE", "abc", tz, 2},        {"TZE", "", tz, 2},          {"TZE", "15", tz, 2},
        {"TZE", "9,0", tz, 2},        {"NowE", "ten", now, 2},     {"NowE", "1e9", now, 2},
        {"NowE", "99999999", now, 2}, {"CFrom", "-1", from, 0},    {"CFrom", "2.5", from, 0},
        {"CCnt", "0", count, 0},      {"CCnt", "10000", count, 0}, {"CCnt", "x", count, 0},
    };
    for (const Case &c : cases) {
        const SystemSettings good = w.current();
        type(&w, c.field, c.text);
        w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1); // away from the field's page
        messages.clear();
        EXPECT_FALSE(w.close()) << c.field << " " << c.text.toStdString();
        EXPECT_EQ(messages.texts, QStringList{c.message}) << c.field << " " << c.text.toStdString();
        EXPECT_EQ(w.focusWidget(), child<QLineEdit>(&w, c.field));
        EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), c.page);
        w.setCurrent(good);
    }
    EXPECT_FALSE(settings.store().contains("Sys", "TZE"));

    // Decimal zones and offsets within range are kept as typed.
    type(&w, "TZE", "-3.5");
    type(&w, "NowE", "90");
    messages.clear();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(settings.fixedTimeZone(), "-3.5");
}

TEST(SysSettings, HiddenWindowClosesQuietly)
{
    // The main window closes the settings window at exit even when it was
    // never shown; an unusable stored value must not stop the exit.
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    settings.store().setText("Sys", "TZE", "abc");
    RecordedMessages messages;
    TSysF w(settings);
    QSignalSpy changed(&w, &TSysF::settingsChanged);
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(changed.count(), 0);
}

TEST(SysSettings, ColourAndFontDialogsGoThroughTheSeams)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TSysF w(settings);
    QList<QColor> offered;
    std::optional<QColor> colour = QColor(0, 0, 128); // navy
    w.colorDialog = [&](QWidget *, const QColor &initial) {
        offered << initial;
        return colour;
    };
    std::optional<QFont> font = QFont(QStringLiteral("IPAGothic"), 12);
    w.fontDialog = [&](QWidget *, const QFont &) { return font; };
    w.showSettings();

    auto *cp1 = child<ColourPanel>(&w, "CP1");
    click(&w, "CP1");
    EXPECT_EQ(offered, QList<QColor>{QColor(0xBB, 0xFF, 0xCC)}); // $CCFFBB
    EXPECT_EQ(cp1->colour(), QColor(0, 0, 128));
    EXPECT_EQ(cp1->textColour(), QColor(Qt::white));
    colour = std::nullopt; // cancelled: unchanged
    click(&w, "CP1");
    EXPECT_EQ(cp1->colour(), QColor(0, 0, 128));
    // デフォルトの色: the five colours only, not the thresholds.
    type(&w, "ED0", "30");
    click(&w, "ClrBtn");
    EXPECT_EQ(cp1->colour(), QColor(0xBB, 0xFF, 0xCC));
    EXPECT_EQ(cp1->textColour(), QColor(Qt::black));
    EXPECT_EQ(child<QLineEdit>(&w, "ED0")->text(), "30");

    // Each font button edits its own sample; the window takes the basic
    // font's family, the samples keep their own fonts.
    click(&w, "SysFntBtn");
    EXPECT_EQ(w.current().baseFont, (FontSetting{"IPAGothic", 12}));
    EXPECT_EQ(w.current().chartFont, SystemSettings{}.chartFont);
    EXPECT_EQ(child<QLabel>(&w, "SysFont")->text(), "IPAGothic");
    EXPECT_EQ(w.font().family(), "IPAGothic");
    EXPECT_EQ(child<QLabel>(&w, "SetuFont")->font().family(), "IPAPMincho");
    font = std::nullopt;
    click(&w, "SetuFntBtn");
    EXPECT_EQ(w.current().explanationFont, SystemSettings{}.explanationFont);

    // Sizes beyond what the windows are laid out for come back to the nearest end, said so.
    RecordedMessages messages;
    font = QFont(QStringLiteral("IPAGothic"), 48);
    click(&w, "BanFntBtn");
    EXPECT_EQ(w.current().chartFont, (FontSetting{"IPAGothic", MaxFontSize}));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("ﾎﾟｲﾝﾄ")));
    settings.store().setInteger("Sys", "SetuFntSize", 2);
    EXPECT_EQ(settings.explanationFont().size, MinFontSize);
}

TEST(SysSettings, EngineOptionsFollowTheSettings)
{
    const SystemSettings defaults;
    const KoyomiOptions engine;
    const KoyomiOptions o = koyomiOptions(defaults);
    EXPECT_DOUBLE_EQ(o.clock.fixedTz, engine.clock.fixedTz);
    EXPECT_EQ(o.periods, engine.periods);
    EXPECT_EQ(o.kcb1, engine.kcb1);
    EXPECT_TRUE(o.settingsExist);
    EXPECT_EQ(layingMethod(defaults), LayingMethod::Rotating);

    SystemSettings v;
    v.fixedTimeZone = " -3.5 ";
    v.juPeriods = {0, 1, 0, 1};
    v.hourStarFollowsDun = false;
    v.layingMethod = 1;
    const KoyomiOptions c = koyomiOptions(v);
    EXPECT_DOUBLE_EQ(c.clock.fixedTz, -3.5);
    EXPECT_EQ(c.periods, (std::array<int, 4>{0, 1, 0, 1}));
    EXPECT_FALSE(c.kcb1);
    EXPECT_EQ(layingMethod(v), LayingMethod::Flying);

    for (const char *bad : {"", "abc", "14.5", "-12.5", "9..0"}) {
        v.fixedTimeZone = bad;
        EXPECT_FALSE(timeZone(v).has_value()) << bad;
        EXPECT_DOUBLE_EQ(koyomiOptions(v).clock.fixedTz, 9.0) << bad;
    }
    v.fixedTimeZone = "14";
    EXPECT_DOUBLE_EQ(koyomiOptions(v).clock.fixedTz, 14.0);
}

TEST(SysSettings, FontSetFGivesFamiliesAndTheMemoFont)
{
    QWidget window;
    auto *memo = new QPlainTextEdit(&window);
    auto *title = new QLabel(QStringLiteral("title"), &window);
    QFont big(QStringLiteral("Sans"));
    big.setPointSize(20);
    big.setBold(true);
    title->setFont(big);
    auto *plain = new QPushButton(QStringLiteral("ok"), &window);

    FontSetF(&window, {QStringLiteral("IPAPGothic"), 9}, {QStringLiteral("IPAPMincho"), 11});
    EXPECT_EQ(window.font().family(), "IPAPGothic");
    EXPECT_EQ(memo->font().family(), "IPAPMincho");
    EXPECT_EQ(memo->font().pointSize(), 11);
    EXPECT_EQ(title->font().family(), "IPAPGothic");
    EXPECT_EQ(title->font().pointSize(), 20); // size and style as designed
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(plain->font().family(), "IPAPGothic"); // follows the window
}

TEST(SysSettings, CalendarPageStoresTheClockAndTermSource)
{
    QTemporaryDir dir;
    RecordedMessages messages;
    {
        AppSettings settings(dir.path(), dir.path());
        TSysF w(settings);
        // Untouched, the page writes none of its keys: the file stays as it was.
        w.showSettings();
        click(&w, "CloseBtn");
        for (const char *key : {"TermSource", "UseTimeZone", "TimeZoneName", "LocalSolarTime", "Longitude",
                                "ExactMinutes", "BoundaryWarn"})
            EXPECT_FALSE(settings.store().contains("Sys", key)) << key;
        EXPECT_EQ(engineOptions(settings).warnMinutes, 30);
        EXPECT_FALSE(engineOptions(settings).koyomi.exactMinutes);
        EXPECT_EQ(calendarCaption(engineOptions(settings).koyomi), "");

        w.showSettings();
        // With a fixed offset the zone list is closed, and the offset stands on this page too.
        EXPECT_FALSE(child<QListWidget>(&w, "ZoneList")->isEnabled());
        EXPECT_EQ(child<QLineEdit>(&w, "FixedOffset")->text(), child<QLineEdit>(&w, "TZE")->text());
        type(&w, "FixedOffset", "8.0");
        EXPECT_EQ(child<QLineEdit>(&w, "TZE")->text(), "8.0");
        type(&w, "FixedOffset", "9.0");
        click(&w, "TermSource_1");
        click(&w, "ClockKind_1");
        EXPECT_TRUE(child<QListWidget>(&w, "ZoneList")->isEnabled());
        EXPECT_FALSE(child<QLineEdit>(&w, "FixedOffset")->isEnabled());
        // Every zone name shows whole.
        auto *list = child<QListWidget>(&w, "ZoneList");
        int widest = 0;
        for (int i = 0; i < list->count(); ++i)
            widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->item(i)->text()));
        EXPECT_GE(list->viewport()->width(), widest);
        click(&w, "LocalSolarTime_2");
        click(&w, "ExactMinutes");
        type(&w, "BoundaryWarn", "0");
        type(&w, "Longitude", "200");
        click(&w, "CloseBtn");
        ASSERT_EQ(messages.texts.size(), 1); // a longitude off the globe is refused
        EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("経度")));
        // A place fills in its longitude and selects its zone; the list filters.
        auto *places = child<QComboBox>(&w, "Places");
        places->setCurrentIndex(15);
        emit places->activated(15); // ニューヨーク
        EXPECT_EQ(child<QLineEdit>(&w, "Longitude")->text(), "-74.01");
        type(&w, "ZoneFilter", "shang");
        auto *zones = child<QListWidget>(&w, "ZoneList");
        const QList<QListWidgetItem *> shown = zones->findItems(QStringLiteral("Asia/Shanghai"), Qt::MatchExactly);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_FALSE(shown[0]->isHidden());
        EXPECT_TRUE(zones->findItems(QStringLiteral("Asia/Tokyo"), Qt::MatchExactly)[0]->isHidden());
        zones->setCurrentItem(shown[0]);
        // The school of the ju is open only with sixty double-hours per ju.
        auto *juMethod = child<QComboBox>(&w, "JuMethod");
        auto *schoolMarks = child<QCheckBox>(&w, "SchoolMarks");
        click(&w, "RG03_0");
        EXPECT_FALSE(juMethod->isEnabled());
        EXPECT_FALSE(schoolMarks->isEnabled());
        click(&w, "RG03_1");
        EXPECT_TRUE(juMethod->isEnabled());
        juMethod->setCurrentIndex(1); // 拆補
        schoolMarks->setChecked(true);
        click(&w, "CloseBtn");
        EXPECT_EQ(messages.texts.size(), 1);
    }
    AppSettings again(dir.path(), dir.path());
    EXPECT_EQ(again.termSource(), Astronomy::Precise);
    EXPECT_TRUE(again.useTimeZone());
    EXPECT_EQ(again.timeZoneName(), "Asia/Shanghai");
    EXPECT_EQ(again.localSolarTime(), SolarTime::True);
    const EngineOptions o = engineOptions(again);
    EXPECT_EQ(o.koyomi.astronomy, Astronomy::Precise);
    EXPECT_EQ(o.koyomi.clock.zone, "Asia/Shanghai");
    EXPECT_DOUBLE_EQ(o.koyomi.clock.longitude, -74.01);
    EXPECT_EQ(calendarCaption(o.koyomi), QStringLiteral("精密・Asia/Shanghai・真太陽時 74.01°W・節入り分単位・拆補"));
    EXPECT_EQ(o.koyomi.juMethod, JuMethod::Chaibu);
    EXPECT_TRUE(again.schoolMarks());
    EXPECT_TRUE(o.koyomi.exactMinutes);
    EXPECT_EQ(o.warnMinutes, 0);
    TSysF w(again);
    EXPECT_EQ(w.current().TimeZoneName, "Asia/Shanghai");
    EXPECT_TRUE(child<QRadioButton>(&w, "LocalSolarTime_2")->isChecked());
}
