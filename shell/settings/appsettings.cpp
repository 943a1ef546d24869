#include "shell/settings/appsettings.h"

#include <algorithm>
#include <cmath>


#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

#include "engine/precise.h"
#include "engine/textfile.h"

namespace velm {
namespace {

const QString Sys = QStringLiteral("Sys");

// Font defaults: the metric equivalents of the fonts the charts were designed with.
const FontSetting DefaultSysFont{QStringLiteral("IPAPGothic"), 9};
const FontSetting DefaultBanFont{QStringLiteral("IPAGothic"), 10};
const FontSetting DefaultSetuFont{QStringLiteral("IPAPMincho"), 9};

// CB1 .. CB7 as the settings window is designed: on, on, on, off, on, off, on.
constexpr std::array<bool, 8> DefaultCB{false, true, true, true, false, true, false, true};

bool validKind(int k)
{
    return k >= 0 && k <= 3;
}

QString indexed(const char *name, int n)
{
    return QLatin1String(name) + QString::number(n);
}

} // namespace

// --- small conversions -------------------------------------------------------

QColor colorFromBgr(quint32 bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

quint32 bgrFromColor(const QColor &color)
{
    return static_cast<quint32>(color.red()) | (static_cast<quint32>(color.green()) << 8)
         | (static_cast<quint32>(color.blue()) << 16);
}

std::optional<double> parseDecimal(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QFont FontRecord::font() const
{
    QFont f(name.isEmpty() ? DefaultSetuFont.name : name);
    f.setPointSize(size > 0 ? size : DefaultSetuFont.size);
    f.setBold(style & 1);
    f.setItalic(style & 2);
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    return f;
}

FontRecord FontRecord::fromFont(const QFont &font, quint32 color)
{
    FontRecord r;
    r.name = font.family();
    r.size = font.pointSize() > 0 ? font.pointSize() : DefaultSetuFont.size;
    r.style = (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0)
            | (font.strikeOut() ? 8 : 0);
    r.color = color;
    return r;
}

// --- the store ------------------------------------------------------------------

AppSettings::AppSettings(const QString &programFolder, const QString &configDir, QObject *parent)
    : QObject(parent)
    , m_programFolder(programFolder)
    , m_store(configDir)
{
}

QString AppSettings::commit()
{
    const QString error = m_store.sync();
    emit changed();
    return error;
}

// While the file on disk could not be read, a value that merely repeats what
// is in effect is not written: saving at close must not replace the user's
// damaged file with defaults.
void AppSettings::putInt(const QString &key, int value, int current)
{
    if (!m_store.loadError().isEmpty() && value == current)
        return;
    m_store.setInteger(Sys, key, value);
}

void AppSettings::putBool(const QString &key, bool value, bool current)
{
    if (!m_store.loadError().isEmpty() && value == current)
        return;
    m_store.setBoolean(Sys, key, value);
}

void AppSettings::putText(const QString &key, const QString &value, const QString &current)
{
    if (!m_store.loadError().isEmpty() && value == current)
        return;
    m_store.setText(Sys, key, value);
}

int AppSettings::explanationPaneWidth() const { return m_store.integer(Sys, "ImiPnl", 355); }
void AppSettings::setExplanationPaneWidth(int width) { putInt("ImiPnl", width, explanationPaneWidth()); }
int AppSettings::palacePanelHeight() const { return m_store.integer(Sys, "KyuPnl", 125); }
void AppSettings::setPalacePanelHeight(int height) { putInt("KyuPnl", height, palacePanelHeight()); }
bool AppSettings::statusBarShown() const { return m_store.boolean(Sys, "StsBar", true); }
void AppSettings::setStatusBarShown(bool shown) { putBool("StsBar", shown, statusBarShown()); }

bool AppSettings::chartKindChecked(int kind) const
{
    return validKind(kind) ? m_store.boolean(Sys, indexed("BanGrp", kind), true) : false;
}

void AppSettings::setChartKindChecked(int kind, bool checked)
{
    if (validKind(kind))
        putBool(indexed("BanGrp", kind), checked, chartKindChecked(kind));
}

int AppSettings::designatedChartFlags() const { return m_store.integer(Sys, "CGS", 1); }
void AppSettings::setDesignatedChartFlags(int bits) { putInt("CGS", bits, designatedChartFlags()); }
QString AppSettings::searchLimit() const { return m_store.text(Sys, "Src", "500"); }
void AppSettings::setSearchLimit(const QString &text) { putText("Src", text, searchLimit()); }
QString AppSettings::searchMatchLimit() const { return m_store.text(Sys, "Cnt", "100"); }
void AppSettings::setSearchMatchLimit(const QString &text) { putText("Cnt", text, searchMatchLimit()); }
bool AppSettings::hourStarFollowsDun() const { return m_store.boolean(Sys, "KCB1", true); }
void AppSettings::setHourStarFollowsDun(bool on) { putBool("KCB1", on, hourStarFollowsDun()); }

bool AppSettings::option(int n) const
{
    if (n < 1 || n > 7)
        return false;
    return m_store.boolean(Sys, indexed("CB", n), DefaultCB[static_cast<std::size_t>(n)]);
}

void AppSettings::setOption(int n, bool on)
{
    if (n >= 1 && n <= 7)
        putBool(indexed("CB", n), on, option(n));
}

int AppSettings::calendarHourRows() const
{
    const int item = m_store.integer(Sys, "CB8", 0);
    return item >= 0 && item <= 2 ? item : 0;
}

void AppSettings::setCalendarHourRows(int item) { putInt("CB8", item, calendarHourRows()); }
bool AppSettings::summaryInTitle() const { return m_store.boolean(Sys, "TCB", true); }
void AppSettings::setSummaryInTitle(bool on) { putBool("TCB", on, summaryInTitle()); }
int AppSettings::designatedHours() const { return m_store.integer(Sys, "CG1", 4095) & 4095; }
void AppSettings::setDesignatedHours(int bits) { putInt("CG1", bits & 4095, designatedHours()); }

int AppSettings::layingMethod() const
{
    return m_store.integer(Sys, "RG10", 0) == 1 ? 1 : 0;
}

void AppSettings::setLayingMethod(int item) { putInt("RG10", item == 1 ? 1 : 0, layingMethod()); }

int AppSettings::defaultJuPeriod() const
{
    return m_store.integer(Sys, "RG0", 1) == 0 ? 0 : 1;
}

void AppSettings::setDefaultJuPeriod(int item) { putInt("RG0", item == 0 ? 0 : 1, defaultJuPeriod()); }

int AppSettings::juPeriod(int kind) const
{
    if (!validKind(kind))
        return 1;
    const int item = m_store.integer(Sys, indexed("RG0", kind), defaultJuPeriod());
    return item == 0 || item == 1 ? item : defaultJuPeriod();
}

void AppSettings::setJuPeriod(int kind, int item)
{
    if (validKind(kind))
        putInt(indexed("RG0", kind), item == 0 ? 0 : 1, juPeriod(kind));
}

quint32 AppSettings::scoreColour(int k) const
{
    if (k < 0 || k > 4)
        return 0xFFFFFF;
    const quint32 def = DefaultColors[static_cast<std::size_t>(k)];
    return static_cast<quint32>(m_store.integer(Sys, indexed("Color", k), static_cast<int>(def)))
         & 0xFFFFFF;
}

void AppSettings::setScoreColour(int k, quint32 bgr)
{
    if (k >= 0 && k <= 4)
        putInt(indexed("Color", k), static_cast<int>(bgr & 0xFFFFFF), static_cast<int>(scoreColour(k)));
}

int AppSettings::scoreThreshold(int k) const
{
    if (k < 0 || k > 3)
        return 0;
    return m_store.integer(Sys, indexed("ED", k), DefaultThresholds[static_cast<std::size_t>(k)]);
}

void AppSettings::setScoreThreshold(int k, int value)
{
    if (k >= 0 && k <= 3)
        putInt(indexed("ED", k), value, scoreThreshold(k));
}

QString AppSettings::calendarHoursBefore() const { return m_store.text(Sys, "CFrom", "0"); }
void AppSettings::setCalendarHoursBefore(const QString &text) { putText("CFrom", text, calendarHoursBefore()); }
QString AppSettings::fixedTimeZone() const { return m_store.text(Sys, "TZE", "9.0"); }
void AppSettings::setFixedTimeZone(const QString &text) { putText("TZE", text, fixedTimeZone()); }
QString AppSettings::clockCorrection() const { return m_store.text(Sys, "NowE", "0.0"); }
void AppSettings::setClockCorrection(const QString &text) { putText("NowE", text, clockCorrection()); }

void AppSettings::putIfUsed(const QString &key, const QVariant &value, const QVariant &fallback)
{
    if (value == fallback && !m_store.contains(Sys, key))
        return;
    if (value.typeId() == QMetaType::QString)
        putText(key, value.toString(), m_store.text(Sys, key, fallback.toString()));
    else
        putInt(key, value.toInt(), m_store.integer(Sys, key, fallback.toInt()));
}

Astronomy AppSettings::termSource() const
{
    return m_store.integer(Sys, "TermSource", 0) == 1 ? Astronomy::Precise : Astronomy::Short;
}
void AppSettings::setTermSource(Astronomy source)
{
    putIfUsed("TermSource", source == Astronomy::Precise ? 1 : 0, 0);
}
bool AppSettings::useTimeZone() const { return m_store.integer(Sys, "UseTimeZone", 0) == 1; }
void AppSettings::setUseTimeZone(bool on) { putIfUsed("UseTimeZone", on ? 1 : 0, 0); }
QString AppSettings::timeZoneName() const { return m_store.text(Sys, "TimeZoneName", "Asia/Tokyo"); }
void AppSettings::setTimeZoneName(const QString &name)
{
    putIfUsed("TimeZoneName", name, QStringLiteral("Asia/Tokyo"));
}
int AppSettings::heatSpan() const
{
    const int item = m_store.integer(Sys, "HeatSpan", 2);
    return item >= 0 && item <= 4 ? item : 2;
}
void AppSettings::setHeatSpan(int item) { putIfUsed("HeatSpan", item, 2); }
int AppSettings::heatKind() const { return m_store.integer(Sys, "HeatKind", 3) == 2 ? 2 : 3; }
void AppSettings::setHeatKind(int kind) { putIfUsed("HeatKind", kind == 2 ? 2 : 3, 3); }
int AppSettings::heatDirection() const
{
    const int palace = m_store.integer(Sys, "HeatDirection", 0);
    return palace >= 0 && palace <= 8 ? palace : 0;
}
void AppSettings::setHeatDirection(int palace) { putIfUsed("HeatDirection", palace, 0); }
QString AppSettings::heatMatter() const { return m_store.text(Sys, "HeatMatter", QString()); }
void AppSettings::setHeatMatter(const QString &name) { putIfUsed("HeatMatter", name, QString()); }
bool AppSettings::heatHueByDirection() const { return m_store.integer(Sys, "HeatHue", 1) != 0; }
void AppSettings::setHeatHueByDirection(bool on) { putIfUsed("HeatHue", on ? 1 : 0, 1); }
QString AppSettings::saveFolder() const { return m_store.text(Sys, "SaveFolder", QString()); }
void AppSettings::setSaveFolder(const QString &folder) { putIfUsed("SaveFolder", folder, QString()); }

SolarTime AppSettings::localSolarTime() const
{
    switch (m_store.integer(Sys, "LocalSolarTime", 0)) {
    case 1:
        return SolarTime::Mean;
    case 2:
        return SolarTime::True;
    default:
        return SolarTime::None;
    }
}
void AppSettings::setLocalSolarTime(SolarTime kind)
{
    putIfUsed("LocalSolarTime", kind == SolarTime::Mean ? 1 : kind == SolarTime::True ? 2 : 0, 0);
}
QString AppSettings::longitude() const { return m_store.text(Sys, "Longitude", "139.77"); }
void AppSettings::setLongitude(const QString &text) { putIfUsed("Longitude", text, QStringLiteral("139.77")); }
bool AppSettings::exactMinutes() const { return m_store.integer(Sys, "ExactMinutes", 0) == 1; }
void AppSettings::setExactMinutes(bool on) { putIfUsed("ExactMinutes", on ? 1 : 0, 0); }
JuMethod AppSettings::juMethod() const
{
    switch (m_store.integer(Sys, "JuMethod", 0)) {
    case 1:
        return JuMethod::Chaibu;
    case 2:
        return JuMethod::Maoshan;
    default:
        return JuMethod::Zhirun;
    }
}
void AppSettings::setJuMethod(JuMethod method) { putIfUsed("JuMethod", static_cast<int>(method), 0); }
bool AppSettings::schoolMarks() const { return m_store.integer(Sys, "SchoolMarks", 0) == 1; }
void AppSettings::setSchoolMarks(bool on) { putIfUsed("SchoolMarks", on ? 1 : 0, 0); }
int AppSettings::boundaryWarn() const
{
    // A hand-edited value out of range means no warning rather than a wrong one.
    const int minutes = m_store.integer(Sys, "BoundaryWarn", 30);
    return minutes >= 0 && minutes <= MaxBoundaryWarn ? minutes : 0;
}
void AppSettings::setBoundaryWarn(int minutes) { putIfUsed("BoundaryWarn", minutes, 30); }

// The three fonts are kept alike: "<prefix>FntName" and "<prefix>FntSize".
FontSetting AppSettings::fontOf(const char *prefix, const FontSetting &fallback) const
{
    const QString p = QLatin1String(prefix);
    // A size outside the range (a hand-edited file) is brought to its nearest end.
    return {m_store.text(Sys, p + QStringLiteral("FntName"), fallback.name),
            std::clamp(m_store.integer(Sys, p + QStringLiteral("FntSize"), fallback.size), MinFontSize, MaxFontSize)};
}

void AppSettings::putFont(const char *prefix, const FontSetting &font, const FontSetting &now)
{
    const QString p = QLatin1String(prefix);
    putInt(p + QStringLiteral("FntSize"), font.size, now.size);
    putText(p + QStringLiteral("FntName"), font.name, now.name);
}

FontSetting AppSettings::baseFont() const { return fontOf("Sys", DefaultSysFont); }
void AppSettings::setBaseFont(const FontSetting &font) { putFont("Sys", font, baseFont()); }
FontSetting AppSettings::chartFont() const { return fontOf("Ban", DefaultBanFont); }
void AppSettings::setChartFont(const FontSetting &font) { putFont("Ban", font, chartFont()); }
FontSetting AppSettings::explanationFont() const { return fontOf("Setu", DefaultSetuFont); }
void AppSettings::setExplanationFont(const FontSetting &font) { putFont("Setu", font, explanationFont()); }

QString AppSettings::specialCharacter(int n) const
{
    if (n < 1 || n > 3)
        return {};
    return m_store.text(Sys, indexed("Gaiji", n),
                        QString::fromLatin1(GaijiDefault[static_cast<std::size_t>(n - 1)].data(),
                                            static_cast<qsizetype>(GaijiDefault[static_cast<std::size_t>(n - 1)].size())));
}

void AppSettings::setSpecialCharacter(int n, const QString &code)
{
    if (n >= 1 && n <= 3)
        putText(indexed("Gaiji", n), code, specialCharacter(n));
}

QByteArray AppSettings::fixedViewPlacement(int window) const
{
    if (window == 1)
        return m_store.binary("Teii", "TeiiFWinPlace1");
    if (window == 2)
        return m_store.binary("Teii2", "Teii2FWinPlace1");
    return {};
}

void AppSettings::setFixedViewPlacement(int window, const QByteArray &placement)
{
    if (window == 1)
        m_store.setBinary("Teii", "TeiiFWinPlace1", placement);
    else if (window == 2)
        m_store.setBinary("Teii2", "Teii2FWinPlace1", placement);
}

// --- the support address ----------------------------------------------------------

namespace {

// The layout files (and the maker's key) are read by QSettings, which would
// block on a FIFO and read a device without end: only a regular file of sane
// size (or none yet) is used.
bool layoutFileUsable(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() || (info.isFile() && info.size() <= velm::MaxTextFileBytes);
}

} // namespace

QString AppSettings::builtInSupportAddress()
{
    return QStringLiteral("http://www.quorvel.example/velm/");
}

QString AppSettings::supportAddress() const
{
    // The maker's key one level above the program's: Quorvel.ini beside VELM.ini.
    if (!layoutFileUsable(m_store.configDir() + QStringLiteral("/Quorvel.ini")))
        return builtInSupportAddress();
    QSettings maker(m_store.configDir() + QStringLiteral("/Quorvel.ini"), QSettings::IniFormat);
    const QString stored = maker.value(QStringLiteral("80")).toString().trimmed();
    // Secure addresses count as web addresses too.
    if (stored.startsWith(QLatin1String("http://")) || stored.startsWith(QLatin1String("https://")))
        return stored;
    return builtInSupportAddress();
}

// --- layout files --------------------------------------------------------------------

QString AppSettings::layoutFilePath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("VELMWIN.ini"));
}

QString AppSettings::mainFilePath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("MainF.ini"));
}

bool AppSettings::layoutFileExists() const
{
    return QFileInfo::exists(layoutFilePath());
}

QByteArray AppSettings::toolbarState() const
{
    if (!layoutFileUsable(layoutFilePath()))
        return {};
    QSettings file(layoutFilePath(), QSettings::IniFormat);
    return file.value(QStringLiteral("ToolBars/State")).toByteArray();
}

// The layout files hold nothing the user typed; when the program folder is
// read-only they are simply not kept.
void AppSettings::setToolbarState(const QByteArray &state)
{
    if (!layoutFileUsable(layoutFilePath()))
        return;
    QSettings file(layoutFilePath(), QSettings::IniFormat);
    file.setValue(QStringLiteral("ToolBars/State"), state);
    file.setValue(QStringLiteral("ToolBars/Rev"), 3);
}

QByteArray AppSettings::windowPlacement(const QString &window) const
{
    if (!layoutFileUsable(layoutFilePath()))
        return {};
    QSettings file(layoutFilePath(), QSettings::IniFormat);
    return file.value(window + QStringLiteral("/Geometry")).toByteArray();
}

void AppSettings::setWindowPlacement(const QString &window, const QByteArray &geometry)
{
    if (!layoutFileUsable(layoutFilePath()))
        return;
    QSettings file(layoutFilePath(), QSettings::IniFormat);
    file.setValue(window + QStringLiteral("/Geometry"), geometry);
}

MainPlacement AppSettings::mainPlacement() const
{
    MainPlacement p;
    if (!QFileInfo::exists(mainFilePath()))
        return p;
    if (!layoutFileUsable(mainFilePath()))
        return p;
    QSettings file(mainFilePath(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("MainF"));
    if (!file.contains(QStringLiteral("WinState")) && !file.contains(QStringLiteral("Left")))
        return p;
    p.stored = true;
    p.maximized = file.value(QStringLiteral("WinState"), 0).toInt() == 1;
    bool okL = false, okT = false, okW = false, okH = false;
    const int left = file.value(QStringLiteral("Left")).toInt(&okL);
    const int top = file.value(QStringLiteral("Top")).toInt(&okT);
    const int width = file.value(QStringLiteral("Width")).toInt(&okW);
    const int height = file.value(QStringLiteral("Height")).toInt(&okH);
    if (okL && okT && okW && okH && width > 0 && height > 0)
        p.bounds = QRect(left, top, width, height);
    return p;
}

void AppSettings::setMainPlacement(const MainPlacement &placement)
{
    if (!layoutFileUsable(mainFilePath()))
        return;
    QSettings file(mainFilePath(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("MainF"));
    file.setValue(QStringLiteral("WinState"), placement.maximized ? 1 : 0);
    // A maximised window's bounds say nothing of its normal place: keep the old ones.
    if (!placement.maximized && placement.bounds.isValid()) {
        file.setValue(QStringLiteral("Left"), placement.bounds.left());
        file.setValue(QStringLiteral("Top"), placement.bounds.top());
        file.setValue(QStringLiteral("Height"), placement.bounds.height());
        file.setValue(QStringLiteral("Width"), placement.bounds.width());
    }
}

FontRecord AppSettings::memoFont() const
{
    FontRecord r;
    r.name = DefaultSetuFont.name;
    r.size = DefaultSetuFont.size;
    if (!QFileInfo::exists(mainFilePath()))
        return r;
    if (!layoutFileUsable(mainFilePath()))
        return r;
    QSettings file(mainFilePath(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("FL"));
    r.name = file.value(QStringLiteral("Name"), r.name).toString();
    bool ok = false;
    const int size = file.value(QStringLiteral("Size")).toInt(&ok);
    if (ok && size > 0 && size < 200)
        r.size = size;
    r.style = file.value(QStringLiteral("Style"), 0).toInt() & 15;
    r.color = static_cast<quint32>(file.value(QStringLiteral("Color"), 0).toLongLong()) & 0xFFFFFF;
    return r;
}

void AppSettings::setMemoFont(const FontRecord &font)
{
    if (!layoutFileUsable(mainFilePath()))
        return;
    QSettings file(mainFilePath(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("FL"));
    file.setValue(QStringLiteral("Size"), font.size);
    file.setValue(QStringLiteral("Style"), font.style);
    file.setValue(QStringLiteral("Name"), font.name);
    file.setValue(QStringLiteral("Color"), static_cast<qint64>(font.color));
}

// --- derived values ----------------------------------------------------------------------

EngineOptions engineOptions(const AppSettings &settings, std::optional<bool> kcb1)
{
    EngineOptions o;
    o.tzText = settings.fixedTimeZone();
    const std::optional<double> tz = parseDecimal(o.tzText);
    // Real time zones run from -12 to +14 hours; anything else is a typing slip.
    o.tzOk = tz.has_value() && *tz >= -12.0 && *tz <= 14.0;
    o.koyomi.clock.fixedTz = o.tzOk ? *tz : 9.0;
    for (int k = 0; k < 4; ++k)
        o.koyomi.periods[static_cast<std::size_t>(k)] = settings.juPeriod(k);
    o.koyomi.kcb1 = kcb1.value_or(settings.hourStarFollowsDun());
    o.koyomi.settingsExist = true;
    o.method = settings.layingMethod() == 1 ? LayingMethod::Flying : LayingMethod::Rotating;
    o.koyomi.astronomy = settings.termSource();
    if (settings.useTimeZone()) {
        o.koyomi.clock.zone = settings.timeZoneName().toStdString();
        // A zone the system no longer knows stops the calendar, as a bad offset does.
        o.tzOk = zoneKnown(o.koyomi.clock.zone);
        o.tzText = settings.timeZoneName();
    }
    const std::optional<double> longitude = parseDecimal(settings.longitude());
    if (settings.localSolarTime() != SolarTime::None && longitude && std::fabs(*longitude) <= 180) {
        o.koyomi.clock.solarTime = settings.localSolarTime();
        o.koyomi.clock.longitude = *longitude;
        if (o.koyomi.clock.solarTime == SolarTime::True)
            o.koyomi.clock.equationTable = newEquationOfTimeTable();
    }
    o.koyomi.exactMinutes = settings.exactMinutes();
    o.koyomi.juMethod = settings.juMethod();
    o.warnMinutes = settings.boundaryWarn();
    return o;
}

QString calendarCaption(const KoyomiOptions &koyomi)
{
    QStringList parts;
    if (koyomi.astronomy == Astronomy::Precise)
        parts << QStringLiteral("精密");
    if (!koyomi.clock.zone.empty())
        parts << QString::fromStdString(koyomi.clock.zone);
    if (koyomi.clock.solarTime != SolarTime::None) {
        const double lon = koyomi.clock.longitude;
        parts << (koyomi.clock.solarTime == SolarTime::Mean ? QStringLiteral("平均太陽時 ") : QStringLiteral("真太陽時 "))
                + QString::number(std::fabs(lon), 'f', 2) + (lon < 0 ? QStringLiteral("°W") : QStringLiteral("°E"));
    }
    if (koyomi.exactMinutes)
        parts << QStringLiteral("節入り分単位");
    // Said only where it applies: the hour chart's ju of sixty double-hours.
    if (koyomi.juMethod != JuMethod::Zhirun && koyomi.periods[3] == 1)
        parts << (koyomi.juMethod == JuMethod::Chaibu ? QStringLiteral("拆補") : QStringLiteral("茅山"));
    return parts.join(QStringLiteral("・"));
}

ClockReading readEntered(const CivilTime &entered, const EngineOptions &options, Fold fold, QString &error)
{
    KoyomiOptions koyomi = options.koyomi;
    koyomi.clock.fold = fold;
    ClockReading r = readClock(entered, koyomi);
    r.options.clock.fold = options.koyomi.clock.fold;
    const QString zone = QString::fromStdString(r.zone());
    // An instant as the zone's wall clock shows it, with the offset it then has.
    const auto wallClock = [&r](Instant i) {
        const long long offset = zoneOffsetAt(i, r.zone()).value_or(0);
        const long long a = offset < 0 ? -offset : offset;
        const QString local = QString::fromStdString(isoText(civilFromInstant(i + offset))).left(16).replace(QLatin1Char('T'), QLatin1Char(' '));
        return QStringLiteral("%1 (%2%3:%4)")
            .arg(local)
            .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
            .arg(a / 3600, 2, 10, QLatin1Char('0'))
            .arg(a / 60 % 60, 2, 10, QLatin1Char('0'));
    };
    const auto minutes = [](const CivilTime &t) {
        return QString::fromStdString(isoText(t).substr(0, 16)).replace(QLatin1Char('T'), QLatin1Char(' '));
    };
    switch (r.outcome) {
    case ClockReading::Outcome::Ok:
        break;
    case ClockReading::Outcome::UnknownZone:
        error = QStringLiteral("タイムゾーン『%1』が見つかりません。").arg(zone);
        break;
    case ClockReading::Outcome::NeedsFold: {
        // Each reading with the offset it takes, as "+09:00".
        const Instant reading = instantFromCivil(entered);
        const auto offset = [reading](Instant i) {
            const long long s = reading - i;
            const long long a = s < 0 ? -s : s;
            return QStringLiteral("%1%2:%3")
                .arg(s < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                .arg(a / 3600, 2, 10, QLatin1Char('0'))
                .arg(a / 60 % 60, 2, 10, QLatin1Char('0'));
        };
        error = QStringLiteral("%1 は、%2 の夏時間の切り替えで%3時刻です。\n"
                               "切り替え前の時差 %4 で読むと %5、切り替え後の時差 %6 で読むと %7 です。")
                    .arg(minutes(entered), zone,
                         r.change == ClockReading::Change::Skipped ? QStringLiteral("存在しない")
                                                                   : QStringLiteral("二度ある"),
                         offset(r.first), wallClock(r.first), offset(r.second), wallClock(r.second));
        break;
    }
    case ClockReading::Outcome::OutOfRange:
        error = QStringLiteral("%1 は、暦の時計で %2、世界時で %3 となり、1～9999年の範囲を外れます。")
                    .arg(minutes(entered), minutes(r.calendar), minutes(r.utc));
        break;
    case ClockReading::Outcome::BeyondPrecise:
        error = QStringLiteral("精密な節気の計算は、%1～%2年の範囲です。").arg(PreciseFirstYear).arg(PreciseLastYear);
        break;
    }
    return r;
}

QString settingsSummary(const AppSettings &settings)
{
    QString s = QStringLiteral("　　【") + QString::fromUtf8(RG10Items[static_cast<std::size_t>(settings.layingMethod())])
              + QStringLiteral("】") + QStringLiteral("　【");
    for (int k = 0; k < 4; ++k)
        s += QString::fromUtf8(RG0Items[static_cast<std::size_t>(k)][static_cast<std::size_t>(settings.juPeriod(k))])
           + QStringLiteral("　");
    s += QStringLiteral("】");
    return s;
}

} // namespace velm
