#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/datadir.h"
#include "cli/options.h"
#include "engine/astro.h"
#include "engine/clock.h"
#include "engine/datetime.h"
#include "engine/precise.h"
#include "engine/symbols.h"

namespace velm::cli {

void addKoyomiJson(JsonObject &json, const Koyomi &k)
{
    json.array("BanKan", k.BanKan)
        .array("BanShi", k.BanShi)
        .array("BanKyuSei", k.BanKyuSei)
        .array("BanTon", k.BanTon)
        .array("BanKyoku", k.BanKyoku)
        .array("BanSekki", k.BanSekki)
        .integer("Gen", k.Gen)
        .integer("FutoNissu", k.FutoNissu)
        .integer("Kisetsu", k.Kisetsu)
        .raw("SunLongitude", jsonNumber(k.SunLongitude, 6))
        .text("summary", k.summary);
}

namespace {

struct School {
    JuMethod method;
    const char *key;  // in JSON
    const char *name; // in the text
};
constexpr std::array<School, 3> Schools{{{JuMethod::Zhirun, "zhirun", "置閏"},
                                         {JuMethod::Chaibu, "chaibu", "拆補"},
                                         {JuMethod::Maoshan, "maoshan", "茅山"}}};

// The hour chart's term, yuan, dun and ju as each school finds them: one
// line each, or a JSON list.
std::string schoolsText(const CivilTime &moment, KoyomiOptions options, bool json)
{
    std::string out = json ? "[" : "";
    for (const School &school : Schools) {
        options.juMethod = school.method;
        const Koyomi k = DateToKyu(moment, options);
        const std::string_view term = TermName[static_cast<std::size_t>(k.BanSekki[3]) % 24];
        const std::string_view yuan = YuanName[static_cast<std::size_t>(k.Gen) % 3];
        const std::string_view dun = DunName[static_cast<std::size_t>(k.BanTon[3]) % 2];
        const int ju = k.BanKyoku[3] + 1;
        if (json) {
            JsonObject o;
            o.text("method", school.key).text("term", term).text("yuan", yuan).text("dun", dun).integer("ju", ju);
            out += (school.method == JuMethod::Zhirun ? "" : ",") + o.str();
        } else {
            out += std::string(school.name) + " " + std::string(term) + std::string(yuan) + " " + std::string(dun)
                + "遁" + std::to_string(ju) + "局\n";
        }
    }
    return json ? out + "]" : out;
}

} // namespace

CommandLine koyomiCommandLine(KoyomiArgs &into)
{
    CommandLine line;
    line.command = "koyomi";
    line.words = "DATE TIME";
    line.summary = "その日時の暦 (四柱・節気・局・遁など) を一行 (または JSON) で出力します。";
    line.options = {{"--json", "", "JSON の一つのオブジェクトで出力する", [&into](const Args &, std::size_t &, std::string &) {
                         into.json = true;
                         return true;
                     }},
                    {"--schools", "", "時盤の節気・元・遁・局を置閏・拆補・茅山の三流派で並べる",
                     [&into](const Args &, std::size_t &, std::string &) {
                         into.schools = true;
                         return true;
                     }}};
    for (std::vector<Option> more : {calendarOptions(into.options), boundaryOptions(into.near, false)})
        line.options.insert(line.options.end(), more.begin(), more.end());
    line.options.push_back(dataOption());
    return line;
}

CommandLine koyomiCommandLine()
{
    static KoyomiArgs scratch;
    return koyomiCommandLine(scratch);
}

int runKoyomi(const Args &given)
{
    // --data is accepted everywhere; the calendar reads no data file.
    Args args = given;
    std::string error;
    if (!takeDataDir(args, error))
        return usageError(error);
    KoyomiArgs taken;
    const CommandLine line = koyomiCommandLine(taken);
    std::vector<std::string> positional;
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    KoyomiOptions &options = taken.options;
    const BoundaryOptions &near = taken.near;
    const bool json = taken.json;
    splitMomentWord(positional);
    if (positional.size() != 2)
        return usageError("使い方: velm-cli koyomi DATE TIME [オプション] (velm-cli koyomi --help で一覧)");
    auto moment = parseDateTime(positional[0], positional[1], error);
    if (!moment)
        return usageError(error);
    const std::optional<ClockReading> resolved = readEntered(*moment, options, error);
    if (!resolved)
        return usageError(error);
    options = resolved->options;

    Koyomi k = DateToKyu(resolved->calendar, options, true);
    if (json) {
        JsonObject obj;
        addKoyomiJson(obj, k);
        if (hasCalendarOption(args)) {
            obj.text("astronomy", options.astronomy == Astronomy::Precise ? "precise" : "short")
                .integer("utcOffsetSeconds", resolved->offsetSeconds)
                .text("instantUtc", isoText(civilFromInstant(resolved->instant)) + "Z")
                .text("calendarMoment", isoText(resolved->calendar));
        }
        if (near.show)
            obj.raw("boundaries", boundariesJson(boundariesOf(resolved->calendar, options)));
        if (taken.schools)
            obj.raw("schools", schoolsText(resolved->calendar, options, true));
        std::cout << obj.str() << "\n";
    } else {
        std::cout << k.summary << "\n";
        if (taken.schools)
            std::cout << schoolsText(resolved->calendar, options, false);
        if (near.show)
            for (const std::string &line :
                 nearBoundaryLines(boundariesOf(resolved->calendar, options), near.warnMinutes, options.astronomy))
                std::cout << line << "\n";
    }
    return 0;
}

namespace {

// One line of the terms listing.
struct ClockNote {
    int offsetSeconds;
    Instant instant;
};

void printTerm(int year, long double termLongitude, const CivilTime &c, const ClockNote *note = nullptr)
{
    int index = static_cast<int>(((static_cast<int>(termLongitude) - 270) / 15 + 24) % 24);
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    JsonObject obj;
    obj.integer("year", year).integer("index", index).text("name", TermName[static_cast<std::size_t>(index)]).text("time", time);
    if (note != nullptr)
        obj.integer("utcOffsetSeconds", note->offsetSeconds)
            .text("instantUtc", isoText(civilFromInstant(note->instant)) + "Z");
    std::cout << obj.str() << "\n";
}

// The year's terms on the calendar clock of the options. The short series
// finds each term (cheaply, day by day); the precise source refines it; each
// instant is then shown on the calendar clock in force at it.
void printTermsOnClock(int year, const KoyomiOptions &options)
{
    const long first = dayNumberFromCivil(year, 1, 1);
    const long last = dayNumberFromCivil(year + 1, 1, 1);
    const Instant yearStart = instantFromCivil(CivilTime{year, 1, 1, 0, 0, 0});
    const double tz0 = calendarOffsetAt(yearStart, options.clock) / 3600.0;
    long double previousTarget = -1;
    for (long day = first - 2; day <= last + 2; ++day) {
        TermSearch s = before_nibun(0, tz0, static_cast<DayValue>(day));
        if (s.TermLongitude == previousTarget)
            continue;
        previousTarget = s.TermLongitude;
        DayValue local = s.instant;
        if (options.astronomy == Astronomy::Precise)
            local = preciseCrossing(s.TermLongitude, local, tz0);
        const long double ut = local - static_cast<long double>(tz0) / 24;
        const auto instant = static_cast<Instant>(std::floor((ut - dayNumberFromCivil(1970, 1, 1)) * 86400));
        const int offset = calendarOffsetAt(instant, options.clock);
        const CivilTime c = civilFromInstant(instant + offset);
        if (c.year != year)
            continue;
        const ClockNote note{offset, instant};
        printTerm(year, s.TermLongitude, c, &note);
    }
}

} // namespace

namespace {

CommandLine termsCommandLine(KoyomiOptions &into)
{
    CommandLine line;
    line.command = "terms";
    line.words = "YEAR";
    line.summary = "一年の二十四節気の時刻を JSON 行で出力します。";
    line.options = calendarOptions(into, false);
    line.options.push_back(dataOption());
    return line;
}

} // namespace

CommandLine termsCommandLine()
{
    static KoyomiOptions scratch;
    return termsCommandLine(scratch);
}

int runTerms(const Args &given)
{
    Args args = given;
    std::string error;
    if (!takeDataDir(args, error))
        return usageError(error);
    KoyomiOptions options;
    const CommandLine line = termsCommandLine(options);
    std::vector<std::string> positional;
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    std::optional<int> year;
    for (const std::string &word : positional) {
        if (year)
            return usageError("不明な引数です: " + word);
        year = parseInt(word, 1, 9998);
        if (!year)
            return usageError("年は 1～9998 で指定して下さい: " + word);
    }
    if (!year)
        return usageError("使い方: velm-cli terms YEAR [--tz H]");
    if (hasCalendarOption(args)) {
        if (options.astronomy == Astronomy::Precise && !preciseCoversYear(*year))
            return usageError("精密な節気の計算は " + std::to_string(PreciseFirstYear) + "～"
                              + std::to_string(PreciseLastYear) + " 年の範囲です: " + std::to_string(*year));
        printTermsOnClock(*year, options);
        return 0;
    }
    const double tz = options.clock.fixedTz;

    // Walk the year day by day from its first midnight to the next year's;
    // each new latest term seen is one instant of the year.
    const long first = dayNumberFromCivil(*year, 1, 1);
    const long last = dayNumberFromCivil(*year + 1, 1, 1);
    long double previousTarget = -1;
    for (long day = first; day <= last; ++day) {
        TermSearch s = before_nibun(0, tz, static_cast<DayValue>(day));
        if (s.TermLongitude == previousTarget)
            continue;
        previousTarget = s.TermLongitude;
        if (s.instant < first || s.instant >= last)
            continue;
        printTerm(*year, s.TermLongitude, JD2YMDTParts(s.instant));
    }
    return 0;
}

} // namespace velm::cli
