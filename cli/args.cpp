#include "cli/args.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "engine/datetime.h"

namespace velm::cli {

std::optional<int> parseInt(std::string_view text, int lo, int hi)
{
    if (text.empty())
        return std::nullopt;
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < lo || value > hi)
        return std::nullopt;
    return value;
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

std::optional<CivilTime> parseMoment(std::string_view text, std::string &error)
{
    std::size_t t = text.find('T');
    if (t == std::string_view::npos) {
        error = "日時は YYYY-MM-DDTHH:MM の形で指定して下さい: " + std::string(text);
        return std::nullopt;
    }
    auto date = parseDate(text.substr(0, t), error);
    if (!date || !parseTime(text.substr(t + 1), *date, error))
        return std::nullopt;
    return date;
}

std::optional<double> parseTimeZone(std::string_view text, std::string &error)
{
    std::string s(text);
    char *end = nullptr;
    double tz = std::strtod(s.c_str(), &end);
    if (s.empty() || end != s.c_str() + s.size() || !std::isfinite(tz) || tz < -14 || tz > 14) {
        error = "タイムゾーンは -14～14 の数値で指定して下さい: " + s;
        return std::nullopt;
    }
    return tz;
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

} // namespace velm::cli

namespace velm::cli {

FlagResult takeKoyomiFlag(const std::vector<std::string> &args, std::size_t &i,
                          KoyomiOptions &options, std::string &error)
{
    const std::string &flag = args[i];
    if (flag != "--tz" && flag != "--periods" && flag != "--kcb1")
        return FlagResult::NotMine;
    if (i + 1 >= args.size()) {
        error = flag + " の値がありません";
        return FlagResult::Bad;
    }
    const std::string &value = args[++i];
    if (flag == "--tz") {
        auto tz = parseTimeZone(value, error);
        if (!tz)
            return FlagResult::Bad;
        options.tz = *tz;
        return FlagResult::Taken;
    }
    if (flag == "--periods")
        return parsePeriods(value, options, error) ? FlagResult::Taken : FlagResult::Bad;
    return parseFlag(value, options.kcb1, error) ? FlagResult::Taken : FlagResult::Bad;
}

} // namespace velm::cli
