#pragma once

// Every stored setting of the program, typed, with its key and default in one
// place, over the one settings store of the run; plus the two layout files
// beside the program ("VELMWIN.ini": toolbar layout and window placements,
// "MainF.ini": main window placement and the memo font).
//
// There must be one AppSettings per run: the store writes its whole file on
// sync, so two instances over the same file would undo each other's changes.
//
// A settings file that could not be read leaves every value at its default
// and is kept untouched until the user changes a value (not merely saves the
// same value again at close).

#include <array>
#include <optional>

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>

#include "engine/ban.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "engine/reading.h"
#include "shell/settings/settingsstore.h"

namespace velm {

// The sizes, in points, the three fonts of the settings may take: every
// window is laid out to show its texts whole up to the largest.
inline constexpr int MinFontSize = 6;
inline constexpr int MaxFontSize = 20;

// A font as the settings keep it: family and point size.
struct FontSetting {
    QString name;
    int size = 9;
    friend bool operator==(const FontSetting &, const FontSetting &) = default;
};

// The normal bounds and state of the main window ("MainF.ini" section "MainF").
struct MainPlacement {
    bool stored = false;    // the file held a placement at all
    bool maximized = false; // "WinState" 1: closed minimised or maximised
    QRect bounds;           // Left, Top, Width, Height; invalid when not written
};

// The memo font of the hidden label FL ("MainF.ini" section "FL").
struct FontRecord {
    QString name;
    int size = 9;
    int style = 0;           // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    quint32 color = 0;       // blue-green-red, red in the low byte
    QFont font() const;
    static FontRecord fromFont(const QFont &font, quint32 color);
};

// Item texts of the chart-making options, as the settings window lists them.
inline constexpr std::array<const char *, 2> RG10Items{"活盤式", "飛宮式"};
inline constexpr std::array<std::array<const char *, 2>, 4> RG0Items{{
    {"\u3000１年１局", "６０年１局"},
    {"１０月１局", "６０月１局"},
    {"\u3000１日１局", "６０日１局"},
    {"１０刻１局", "６０刻１局"},
}};

// Colours are kept as blue-green-red integers (red in the low byte).
QColor colorFromBgr(quint32 bgr);
quint32 bgrFromColor(const QColor &color);

inline constexpr std::array<quint32, 5> DefaultColors{0xFFFF8E, 0xCCFFBB, 0x9DFFFF, 0xFFA6FF, 0x8888FF};
inline constexpr std::array<int, 4> DefaultThresholds{10, 5, 0, -5};

class AppSettings : public QObject {
    Q_OBJECT
public:
    // programFolder: where "VELMWIN.ini" and "MainF.ini" live.
    // configDir empty: $VELM_CONFIG_DIR, else the user's config folder.
    explicit AppSettings(const QString &programFolder, const QString &configDir = {},
                         QObject *parent = nullptr);

    SettingsStore &store() { return m_store; }
    const SettingsStore &store() const { return m_store; }
    // For the user when the settings file could not be read; empty otherwise.
    QString loadError() const { return m_store.loadError(); }
    // Writes changed values; an empty text or a message naming the file.
    QString sync() { return m_store.sync(); }
    // After a window has stored its options: write them and tell the readers.
    QString commit();

    // Each option is named for what it means; the comment gives the key the
    // settings file has always stored it under.

    // --- main window, section "Sys" ---------------------------------------
    int explanationPaneWidth() const; // "ImiPnl"
    void setExplanationPaneWidth(int width);
    int palacePanelHeight() const; // "KyuPnl"
    void setPalacePanelHeight(int height);
    bool statusBarShown() const; // "StsBar"
    void setStatusBarShown(bool shown);
    bool chartKindChecked(int kind) const; // "BanGrp0".."BanGrp3": year, month, day, hour
    void setChartKindChecked(int kind, bool checked);
    int designatedChartFlags() const; // "CGS": bit 0 = also make the designated hour charts
    void setDesignatedChartFlags(int bits);
    QString searchLimit() const; // "Src": moments a search walks at most, as typed
    void setSearchLimit(const QString &text);
    QString searchMatchLimit() const; // "Cnt": matches a search lists at most, as typed
    void setSearchMatchLimit(const QString &text);
    bool hourStarFollowsDun() const; // "KCB1": the hour nine-star follows the hour dun
    void setHourStarFollowsDun(bool on);

    // --- system settings, section "Sys" -------------------------------------
    bool searchListOnTop() const { return option(1); } // "CB1"
    void setSearchListOnTop(bool on) { setOption(1, on); }
    bool tileAfterCharts() const { return option(2); } // "CB2"
    void setTileAfterCharts(bool on) { setOption(2, on); }
    bool colourChartsByScore() const { return option(3); } // "CB3"
    void setColourChartsByScore(bool on) { setOption(3, on); }
    bool showDutyDoorAndStar() const { return option(4); } // "CB4"
    void setShowDutyDoorAndStar(bool on) { setOption(4, on); }
    bool calendarOnTop() const { return option(5); } // "CB5"
    void setCalendarOnTop(bool on) { setOption(5, on); }
    bool calendarAtStart() const { return option(6); } // "CB6"
    void setCalendarAtStart(bool on) { setOption(6, on); }
    bool doubleClickOpensChart() const { return option(7); } // "CB7": in the calendar and the lists
    void setDoubleClickOpensChart(bool on) { setOption(7, on); }
    int calendarHourRows() const; // "CB8": hour rows of the calendar: 0 shown, 1 hidden, 2 today only
    void setCalendarHourRows(int item);
    bool summaryInTitle() const; // "TCB": laying method and periods beside the title
    void setSummaryInTitle(bool on);
    int designatedHours() const; // "CG1": bit i = designated hour item i (丑 1:00 .. 子 23:00)
    void setDesignatedHours(int bits);
    int layingMethod() const; // "RG10": 0 活盤式, 1 飛宮式; a stored 2 (or anything else) reads 0
    void setLayingMethod(int item);
    int defaultJuPeriod() const; // "RG0", hidden: the default of the four below
    void setDefaultJuPeriod(int item);
    int juPeriod(int kind) const; // "RG00".."RG03": ju period item of kind 0..3
    void setJuPeriod(int kind, int item);
    quint32 scoreColour(int k) const; // "Color0".."Color4", blue-green-red
    void setScoreColour(int k, quint32 bgr);
    int scoreThreshold(int k) const; // "ED0".."ED3"
    void setScoreThreshold(int k, int value);
    QString calendarHoursBefore() const; // "CFrom": double-hours before the entered one, as typed
    void setCalendarHoursBefore(const QString &text);
    QString fixedTimeZone() const; // "TZE": hours east of Greenwich, as typed
    void setFixedTimeZone(const QString &text);
    QString clockCorrection() const; // "NowE": minutes added to the system clock, as typed
    void setClockCorrection(const QString &text);

    // --- the calendar page "暦", section "Sys" --------------------------------
    // Written only once they leave their defaults, so the settings file and its
    // export stay as they were for everyone who never uses them.
    Astronomy termSource() const; // "TermSource": 0 簡略式, 1 精密
    void setTermSource(Astronomy source);
    bool useTimeZone() const; // "UseTimeZone": the named zone instead of the fixed offset
    void setUseTimeZone(bool on);
    QString timeZoneName() const; // "TimeZoneName": IANA name
    void setTimeZoneName(const QString &name);
    SolarTime localSolarTime() const; // "LocalSolarTime": 0 使わない, 1 平均太陽時, 2 真太陽時
    void setLocalSolarTime(SolarTime kind);
    QString longitude() const; // "Longitude": degrees east, as typed
    void setLongitude(const QString &text);
    bool exactMinutes() const; // "ExactMinutes": 節入り判定に分まで使う
    void setExactMinutes(bool on);
    JuMethod juMethod() const; // "JuMethod": 局の求め方, 0 置閏 1 拆補 2 茅山
    void setJuMethod(JuMethod method);
    bool schoolMarks() const; // "SchoolMarks": 流派で時盤が異なる時を示す
    void setSchoolMarks(bool on);
    int boundaryWarn() const; // "BoundaryWarn": 境界の警告, minutes (0 none); 0..MaxBoundaryWarn
    void setBoundaryWarn(int minutes);
    FontSetting baseFont() const; // "SysFont": the windows' text
    void setBaseFont(const FontSetting &font);
    FontSetting chartFont() const; // "BanFont": the charts
    void setChartFont(const FontSetting &font);
    FontSetting explanationFont() const; // "SetuFont": the explanation texts
    void setExplanationFont(const FontSetting &font);

    // --- the direction heat map, section "Sys" --------------------------------
    // Written only once they leave their defaults, like the calendar page.
    int heatSpan() const; // "HeatSpan": 0 1週間, 1 2週間, 2 1か月 (default), 3 2か月, 4 3か月
    void setHeatSpan(int item);
    int heatKind() const; // "HeatKind": chart kind 3 時盤 (default) or 2 日盤
    void setHeatKind(int kind);
    int heatDirection() const; // "HeatDirection": 0 最良 (default), 1..8 a palace index
    void setHeatDirection(int palace);
    QString heatMatter() const; // "HeatMatter": the divination matter outlined; empty for none
    void setHeatMatter(const QString &name);
    // "HeatHue": the best direction drawn in a hue per direction, its score
    // as lightness (1, the default), or in the charts' score colours (0).
    bool heatHueByDirection() const;
    void setHeatHueByDirection(bool on);
    // "SaveFolder": the folder the save dialogs open in; empty before any save.
    QString saveFolder() const;
    void setSaveFolder(const QString &folder);

    // --- special characters: "Gaiji1".."Gaiji3" -----------------------------
    QString specialCharacter(int n) const; // n = 1..3
    void setSpecialCharacter(int n, const QString &code);

    // --- fixed-position windows: sub-keys "Teii" and "Teii2" ----------------
    QByteArray fixedViewPlacement(int window) const; // window 1 (定位盤) or 2 (節気盤)
    void setFixedViewPlacement(int window, const QByteArray &placement);

    // --- the support address ("Software\Quorvel", value "80") -------------
    // The stored address when it is a web address, else the built-in one.
    QString supportAddress() const;
    static QString builtInSupportAddress();

    // --- layout files in the program folder -------------------------------
    QString programFolder() const { return m_programFolder; }
    QString layoutFilePath() const;   // VELMWIN.ini
    QString mainFilePath() const;     // MainF.ini
    // First start: no "VELMWIN.ini" yet.
    bool layoutFileExists() const;
    QByteArray toolbarState() const;
    void setToolbarState(const QByteArray &state);
    // Placement of a window kept in "VELMWIN.ini" (list window, calendar, ...).
    QByteArray windowPlacement(const QString &window) const;
    void setWindowPlacement(const QString &window, const QByteArray &geometry);
    MainPlacement mainPlacement() const;
    void setMainPlacement(const MainPlacement &placement);
    FontRecord memoFont() const; // the hidden label "FL"
    void setMemoFont(const FontRecord &font);

signals:
    // Options were stored by a window; readers should look again.
    void changed();

private:
    // The switches "CB1".."CB7" of the system settings.
    bool option(int n) const;
    void setOption(int n, bool on);
    FontSetting fontOf(const char *prefix, const FontSetting &fallback) const;
    void putFont(const char *prefix, const FontSetting &font, const FontSetting &now);
    void putInt(const QString &key, int value, int current);
    void putBool(const QString &key, bool value, bool current);
    void putText(const QString &key, const QString &value, const QString &current);
    // Leaves a key unwritten while it holds its default and was never stored.
    void putIfUsed(const QString &key, const QVariant &value, const QVariant &fallback);

    QString m_programFolder;
    SettingsStore m_store;
};

// The engine's options from the settings: time zone, ju periods, KCB1 and
// the laying method.
// The widest warning of a boundary, in minutes: a day.
inline constexpr int MaxBoundaryWarn = 1440;

struct EngineOptions {
    KoyomiOptions koyomi;
    int warnMinutes = 30; // 境界の警告: how near a boundary is worth a warning; 0 none
    LayingMethod method = LayingMethod::Rotating;
    bool tzOk = true;  // "TZE" read as a number (or a usable named zone)
    QString tzText;    // as stored, for the message when it is not
};

// kcb1: the main window's copy of the option, when it has one.
EngineOptions engineOptions(const AppSettings &settings, std::optional<bool> kcb1 = std::nullopt);

// The calendar in use when it is not the default, for example
// "精密・真太陽時 139.77°E"; empty for the default calendar.
QString calendarCaption(const KoyomiOptions &koyomi);

// The entered civil time read on the options' clock (readClock): a time that
// a summer-time change skipped or repeated is read with `fold`. The reading's
// options (the calendar clock's offset read) are those to lay with. When it
// cannot be read, `error` holds the windows' message; a skipped or repeated
// time without a fold names both readings.
ClockReading readEntered(const CivilTime &entered, const EngineOptions &options, Fold fold, QString &error);

// "　　【活盤式】　【６０年１局　６０月１局　６０日１局　６０刻１局　】"
QString settingsSummary(const AppSettings &settings);

// A decimal text such as "9.0" or "-30"; nullopt for anything else.
std::optional<double> parseDecimal(const QString &text);

} // namespace velm
