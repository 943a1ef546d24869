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

    // --- main window, section "Sys" ---------------------------------------
    int ImiPnl() const;
    void setImiPnl(int width);
    int KyuPnl() const;
    void setKyuPnl(int height);
    bool StsBar() const;
    void setStsBar(bool shown);
    bool BanGrp(int kind) const; // kind 0..3
    void setBanGrp(int kind, bool checked);
    int CGS() const;
    void setCGS(int bits);
    QString Src() const;
    void setSrc(const QString &text);
    QString Cnt() const;
    void setCnt(const QString &text);
    bool KCB1() const;
    void setKCB1(bool on);

    // --- system settings, section "Sys" -------------------------------------
    bool CB(int n) const; // n = 1..7; CB8 is an item index
    void setCB(int n, bool on);
    int CB8() const;
    void setCB8(int item);
    bool TCB() const;
    void setTCB(bool on);
    int CG1() const; // bit i = designated hour item i (丑 1:00 .. 子 23:00)
    void setCG1(int bits);
    int RG10() const; // 0 活盤式, 1 飛宮式; a stored 2 (or anything else) reads 0
    void setRG10(int item);
    int RG0() const; // the hidden group: default of the four below
    void setRG0(int item);
    int RG0k(int kind) const; // "RG00".."RG03": ju period item of kind 0..3
    void setRG0k(int kind, int item);
    quint32 Color(int k) const; // "Color0".."Color4", blue-green-red
    void setColor(int k, quint32 bgr);
    int ED(int k) const; // "ED0".."ED3", thresholds
    void setED(int k, int value);
    QString CFrom() const;
    void setCFrom(const QString &text);
    QString TZE() const;
    void setTZE(const QString &text);
    QString NowE() const;
    void setNowE(const QString &text);

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
    FontSetting SysFont() const;
    void setSysFont(const FontSetting &font);
    FontSetting BanFont() const;
    void setBanFont(const FontSetting &font);
    FontSetting SetuFont() const;
    void setSetuFont(const FontSetting &font);

    // --- special characters: "Gaiji1".."Gaiji3" -----------------------------
    QString Gaiji(int n) const; // n = 1..3
    void setGaiji(int n, const QString &code);

    // --- fixed-position windows: sub-keys "Teii" and "Teii2" ----------------
    QByteArray TeiiPlacement(int window) const; // window 1 (定位盤) or 2 (節気盤)
    void setTeiiPlacement(int window, const QByteArray &placement);

    // --- the support address ("Software\Quorvel", value "80") -------------
    // SetURL: the stored address when it is a web address, else the built-in one.
    QString SetURL() const;
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
    FontRecord FL() const;
    void setFL(const FontRecord &font);

signals:
    // Options were stored by a window; readers should look again.
    void changed();

private:
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
struct EngineOptions {
    KoyomiOptions koyomi;
    LayingMethod method = LayingMethod::Rotating;
    bool tzOk = true;  // "TZE" read as a number (or a usable named zone)
    QString tzText;    // as stored, for the message when it is not
};

// kcb1: the main window's copy of the option, when it has one.
EngineOptions engineOptions(const AppSettings &settings, std::optional<bool> kcb1 = std::nullopt);

// The calendar in use when it is not the default, for example
// "精密・真太陽時 139.77°E"; empty for the default calendar.
QString calendarCaption(const KoyomiOptions &koyomi);

// The entered civil time on the options' calendar clock, with koyomi.tz set to
// that clock's offset. A time that a summer-time change skipped or repeated
// is read with `fold`; without one it is refused and `error` names both
// readings.
std::optional<CivilTime> calendarMoment(const CivilTime &entered, EngineOptions &options, Fold fold,
                                        QString &error);
// The civil time to enter for a moment on the calendar clock (the way back,
// for charts opened from a list).
CivilTime enteredFromCalendar(const CivilTime &calendar, const EngineOptions &options);

// "　　【活盤式】　【６０年１局　６０月１局　６０日１局　６０刻１局　】"
QString settingsSummary(const AppSettings &settings);

// A decimal text such as "9.0" or "-30"; nullopt for anything else.
std::optional<double> parseDecimal(const QString &text);

} // namespace velm
