#include "cli/args.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "engine/datetime.h"
#include "engine/precise.h"
#include "engine/symbols.h"

namespace velm::cli {

std::optional<std::int64_t> parseInt64(std::string_view text, std::int64_t lo, std::int64_t hi)
{
    // Plain decimal digits: from_chars already refuses "+", blanks and a
    // full-width minus, but takes "-0", and a minus where only whole numbers
    // from zero up are wanted is a slip, not a number.
    if (text.empty())
        return std::nullopt;
    if (text[0] == '-' && (lo >= 0 || text.find_first_not_of('0', 1) == std::string_view::npos))
        return std::nullopt;
    std::int64_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < lo || value > hi)
        return std::nullopt;
    return value;
}

std::optional<int> parseInt(std::string_view text, int lo, int hi)
{
    auto value = parseInt64(text, lo, hi);
    if (!value)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<std::int64_t> parseCount(std::string_view text, std::int64_t lo, std::int64_t hi,
                                       const std::string &label, std::string &error)
{
    auto value = parseInt64(text, lo, hi);
    if (!value)
        error = label + "は整数で指定して下さい: " + std::string(text);
    return value;
}

std::optional<LayingMethod> parseMethod(std::string_view text)
{
    if (text == "rotating" || text == "0")
        return LayingMethod::Rotating;
    if (text == "flying" || text == "1")
        return LayingMethod::Flying;
    return std::nullopt;
}

std::optional<int> parseKind(std::string_view text)
{
    static constexpr std::array<std::string_view, 4> English{"year", "month", "day", "hour"};
    for (int k = 0; k < 4; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (text == KindChar[i] || text == std::string(KindChar[i]) + "盤" || text == English[i])
            return k;
    }
    return parseInt(text, 0, 3);
}

std::optional<int> parseKind(std::string_view text, std::string &error)
{
    auto kind = parseKind(text);
    if (!kind)
        error = "盤は 年 月 日 時 のいずれかで指定して下さい: " + std::string(text);
    return kind;
}

std::optional<CivilTime> parseDate(std::string_view text, std::string &error)
{
    char sep = text.find('-') != std::string_view::npos ? '-' : '/';
    std::size_t a = text.find(sep);
    std::size_t b = a == std::string_view::npos ? a : text.find(sep, a + 1);
    if (a == std::string_view::npos || b == std::string_view::npos) {
        error = "日付は YYYY-MM-DD の形で指定して下さい: " + std::string(text);
        return std::nullopt;
    }
    auto y = parseInt(text.substr(0, a), 1, 9999);
    auto m = parseInt(text.substr(a + 1, b - a - 1), 1, 12);
    auto d = parseInt(text.substr(b + 1), 1, 31);
    if (!y || !m || !d || *d > daysInMonth(*y, *m)) {
        error = "存在しない日付です: " + std::string(text);
        return std::nullopt;
    }
    CivilTime t;
    t.year = *y;
    t.month = *m;
    t.day = *d;
    return t;
}

bool parseTime(std::string_view text, CivilTime &into, std::string &error)
{
    std::size_t colon = text.find(':');
    auto h = parseInt(text.substr(0, colon), 0, 23);
    std::optional<int> m = 0;
    if (colon != std::string_view::npos)
        m = parseInt(text.substr(colon + 1), 0, 59);
    if (!h || !m) {
        error = "時刻は HH または HH:MM (00:00～23:59) で指定して下さい: " + std::string(text);
        return false;
    }
    into.hour = *h;
    into.minute = *m;
    return true;
}

std::optional<CivilTime> parseDateTime(std::string_view date, std::string_view time, std::string &error)
{
    auto moment = parseDate(date, error);
    if (!moment || !parseTime(time, *moment, error))
        return std::nullopt;
    return moment;
}

void splitMomentWord(std::vector<std::string> &positional)
{
    if (positional.empty())
        return;
    const std::string word = positional.front();
    const std::size_t t = word.find('T');
    if (t == std::string::npos || t == 0 || t + 1 == word.size()
        || word.find_first_of("-/") > t)
        return;
    positional.front() = word.substr(0, t);
    positional.insert(positional.begin() + 1, word.substr(t + 1));
}

std::optional<CivilTime> parseMoment(std::string_view text, std::string &error)
{
    std::size_t t = text.find('T');
    if (t == std::string_view::npos) {
        error = "日時は YYYY-MM-DDTHH:MM の形で指定して下さい: " + std::string(text);
        return std::nullopt;
    }
    return parseDateTime(text.substr(0, t), text.substr(t + 1), error);
}

namespace {

// Decimal digits with one optional point and one leading sign, within lo..hi:
// strtod alone would also take blanks, hexadecimal and exponents.
std::optional<double> parsePlainDecimal(const std::string &s, double lo, double hi)
{
    const std::size_t body = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
    const bool plain = s.find_first_not_of("0123456789.", body) == std::string::npos
        && s.find_first_of("0123456789", body) != std::string::npos
        && s.find('.') == s.rfind('.');
    char *end = nullptr;
    const double value = plain ? std::strtod(s.c_str(), &end) : 0;
    if (!plain || end != s.c_str() + s.size() || !std::isfinite(value) || value < lo || value > hi)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> parseTimeZone(std::string_view text, std::string &error)
{
    std::string s(text);
    const std::optional<double> tz = parsePlainDecimal(s, -14, 14);
    if (!tz) {
        error = "タイムゾーンは -14～14 の数値で指定して下さい: " + s;
        return std::nullopt;
    }
    return *tz;
}

bool parsePeriods(std::string_view text, KoyomiOptions &into, std::string &error)
{
    if (text.size() != 4 || text.find_first_not_of("01") != std::string_view::npos) {
        error = "局の期間は 0 か 1 を４桁で指定して下さい: " + std::string(text);
        return false;
    }
    for (std::size_t i = 0; i < 4; ++i)
        into.periods[i] = text[i] - '0';
    return true;
}

bool parseFlag(std::string_view text, bool &into, std::string &error)
{
    if (text != "0" && text != "1") {
        error = "0 か 1 で指定して下さい: " + std::string(text);
        return false;
    }
    into = text == "1";
    return true;
}

const std::string *takeValue(const std::vector<std::string> &args, std::size_t &i, std::string &error)
{
    if (i + 1 >= args.size()) {
        error = args[i] + " の値がありません";
        return nullptr;
    }
    return &args[++i];
}

namespace {

constexpr std::array<std::string_view, 5> CalendarFlags{"--astronomy", "--zone", "--longitude",
                                                        "--solar-time", "--fold"};

bool present(const std::vector<std::string> &args, std::string_view flag)
{
    for (const std::string &a : args)
        if (a == flag)
            return true;
    return false;
}

FlagResult takeCalendarFlag(const std::vector<std::string> &args, const std::string &flag,
                            const std::string &value, KoyomiOptions &options, std::string &error)
{
    if (flag == "--astronomy") {
        if (value != "short" && value != "precise") {
            error = "節気の計算は short (簡略式) か precise (精密) で指定して下さい: " + value;
            return FlagResult::Bad;
        }
        options.astronomy = value == "precise" ? Astronomy::Precise : Astronomy::Short;
        return FlagResult::Taken;
    }
    if (flag == "--zone") {
        if (present(args, "--tz")) {
            error = "--zone と --tz は同時に指定できません";
            return FlagResult::Bad;
        }
        if (!zoneKnown(value)) {
            error = "タイムゾーンが見つかりません: " + value;
            return FlagResult::Bad;
        }
        options.clock.zone = value;
        return FlagResult::Taken;
    }
    if (flag == "--longitude") {
        const std::optional<double> degrees = parsePlainDecimal(value, -180, 180);
        if (!degrees) {
            error = "経度は -180～180 の数値 (東経が正) で指定して下さい: " + value;
            return FlagResult::Bad;
        }
        options.clock.longitude = *degrees;
        if (!present(args, "--solar-time")) {
            error = "--longitude には --solar-time mean|true を添えて下さい";
            return FlagResult::Bad;
        }
        return FlagResult::Taken;
    }
    if (flag == "--solar-time") {
        if (value != "mean" && value != "true") {
            error = "地方時は mean (平均太陽時) か true (真太陽時) で指定して下さい: " + value;
            return FlagResult::Bad;
        }
        if (!present(args, "--longitude")) {
            error = "--solar-time には --longitude で経度を指定して下さい";
            return FlagResult::Bad;
        }
        options.clock.solarTime = value == "mean" ? SolarTime::Mean : SolarTime::True;
        if (options.clock.solarTime == SolarTime::True)
            options.clock.equationTable = newEquationOfTimeTable();
        return FlagResult::Taken;
    }
    if (value != "first" && value != "second") {
        error = "--fold は first か second で指定して下さい: " + value;
        return FlagResult::Bad;
    }
    options.clock.fold = value == "first" ? Fold::First : Fold::Second;
    return FlagResult::Taken;
}

std::string utcText(Instant instant)
{
    return isoText(civilFromInstant(instant)) + "Z";
}

} // namespace

bool hasCalendarOption(const std::vector<std::string> &args)
{
    for (std::string_view flag : CalendarFlags)
        if (present(args, flag))
            return true;
    return false;
}

std::string clockMessage(const ClockReading &r)
{
    const std::string given = isoText(r.entered).substr(0, 16);
    switch (r.outcome) {
    case ClockReading::Outcome::Ok:
        return {};
    case ClockReading::Outcome::UnknownZone:
        return "タイムゾーンが見つかりません: " + r.zone();
    case ClockReading::Outcome::NeedsFold:
        return given + " は " + r.zone()
            + (r.change == ClockReading::Change::Skipped ? " では夏時間の切り替えで存在しない時刻です。--fold first ("
                                                          : " では夏時間の切り替えで二度ある時刻です。--fold first (")
            + utcText(r.first) + ") か --fold second (" + utcText(r.second) + ") を指定して下さい";
    case ClockReading::Outcome::OutOfRange:
        return given + " は暦の時計で " + isoText(r.calendar) + "、世界時で " + isoText(r.utc)
            + "Z となり、1～9999年の範囲を外れます";
    case ClockReading::Outcome::BeyondPrecise:
        return "精密な節気の計算は " + std::to_string(PreciseFirstYear) + "～" + std::to_string(PreciseLastYear)
            + " 年の範囲です: " + std::to_string(r.calendar.year);
    }
    return {};
}

std::optional<ClockReading> readEntered(const CivilTime &entered, const KoyomiOptions &options,
                                        std::string &error)
{
    ClockReading reading = readClock(entered, options);
    if (!reading.ok()) {
        error = clockMessage(reading);
        return std::nullopt;
    }
    return reading;
}

namespace {

// The other schools read a yuan, which only the ju of sixty double-hours has.
bool juMethodFits(const KoyomiOptions &options, std::string &error)
{
    if (options.juMethod == JuMethod::Zhirun || options.periods[3] == 1)
        return true;
    error = "--ju-method chaibu と maoshan は、時盤の局の期間が６０刻１局 (--periods の４桁目が 1) のときだけ使えます";
    return false;
}

} // namespace

FlagResult takeKoyomiFlag(const std::vector<std::string> &args, std::size_t &i,
                          KoyomiOptions &options, std::string &error)
{
    const std::string &flag = args[i];
    if (flag == "--exact-minutes") {
        options.exactMinutes = true;
        return FlagResult::Taken;
    }
    const bool calendar = std::find(CalendarFlags.begin(), CalendarFlags.end(), flag) != CalendarFlags.end();
    if (flag != "--tz" && flag != "--periods" && flag != "--kcb1" && flag != "--ju-method" && !calendar)
        return FlagResult::NotMine;
    const std::string *value = takeValue(args, i, error);
    if (!value)
        return FlagResult::Bad;
    if (calendar)
        return takeCalendarFlag(args, flag, *value, options, error);
    if (flag == "--tz") {
        if (present(args, "--zone")) {
            error = "--zone と --tz は同時に指定できません";
            return FlagResult::Bad;
        }
        auto tz = parseTimeZone(*value, error);
        if (!tz)
            return FlagResult::Bad;
        options.clock.fixedTz = *tz;
        return FlagResult::Taken;
    }
    if (flag == "--ju-method") {
        if (*value == "zhirun")
            options.juMethod = JuMethod::Zhirun;
        else if (*value == "chaibu")
            options.juMethod = JuMethod::Chaibu;
        else if (*value == "maoshan")
            options.juMethod = JuMethod::Maoshan;
        else {
            error = "局の求め方は zhirun (置閏), chaibu (拆補), maoshan (茅山) のいずれかで指定して下さい: " + *value;
            return FlagResult::Bad;
        }
        return juMethodFits(options, error) ? FlagResult::Taken : FlagResult::Bad;
    }
    if (flag == "--periods")
        return parsePeriods(*value, options, error) && juMethodFits(options, error) ? FlagResult::Taken
                                                                                    : FlagResult::Bad;
    return parseFlag(*value, options.kcb1, error) ? FlagResult::Taken : FlagResult::Bad;
}

FlagResult takeBoundaryOption(const std::vector<std::string> &args, std::size_t &i,
                              BoundaryOptions &into, std::string &error)
{
    const std::string &flag = args[i];
    if (flag == "--boundaries") {
        into.show = true;
        return FlagResult::Taken;
    }
    if (flag == "--other-side") {
        into.otherSide = true;
        return FlagResult::Taken;
    }
    if (flag != "--warn-minutes")
        return FlagResult::NotMine;
    const std::string *value = takeValue(args, i, error);
    if (!value)
        return FlagResult::Bad;
    const std::optional<int> minutes = parseInt(*value, 0, 1440);
    if (!minutes) {
        error = "--warn-minutes は 0～1440 の整数 (分) で指定して下さい: " + *value;
        return FlagResult::Bad;
    }
    into.warnMinutes = *minutes;
    return FlagResult::Taken;
}

} // namespace velm::cli
