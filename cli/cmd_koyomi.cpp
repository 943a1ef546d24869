#include <iostream>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/datadir.h"
#include "engine/astro.h"
#include "engine/datetime.h"
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

int runKoyomi(const Args &given)
{
    // --data is accepted everywhere; the calendar reads no data file.
    Args args = given;
    std::string error;
    if (!takeDataDir(args, error))
        return usageError(error);
    std::vector<std::string> positional;
    KoyomiOptions options;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--json") {
            json = true;
            continue;
        }
        FlagResult taken = takeKoyomiFlag(args, i, options, error);
        if (taken == FlagResult::Bad)
            return usageError(error);
        if (taken == FlagResult::Taken)
            continue;
        if (a.rfind("--", 0) == 0) {
            return usageError("不明なオプションです: " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2)
        return usageError("使い方: velm-cli koyomi DATE TIME [--tz H] [--periods ABCD] [--kcb1 0|1] [--json]");
    auto moment = parseDateTime(positional[0], positional[1], error);
    if (!moment)
        return usageError(error);

    Koyomi k = DateToKyu(*moment, options, true);
    if (json) {
        JsonObject obj;
        addKoyomiJson(obj, k);
        std::cout << obj.str() << "\n";
    } else {
        std::cout << k.summary << "\n";
    }
    return 0;
}

int runTerms(const Args &given)
{
    Args args = given;
    std::string error;
    if (!takeDataDir(args, error))
        return usageError(error);
    double tz = 9.0;
    std::optional<int> year;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--tz") {
            const std::string *value = takeValue(args, i, error);
            auto v = value ? parseTimeZone(*value, error) : std::nullopt;
            if (!v)
                return usageError(error);
            tz = *v;
        } else if (!year) {
            year = parseInt(args[i], 1, 9998);
            if (!year)
                return usageError("年は 1～9998 で指定して下さい: " + args[i]);
        } else {
            return usageError("不明な引数です: " + args[i]);
        }
    }
    if (!year)
        return usageError("使い方: velm-cli terms YEAR [--tz H]");

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
        CivilTime c = JD2YMDTParts(s.instant);
        int index = static_cast<int>(((static_cast<int>(s.TermLongitude) - 270) / 15 + 24) % 24);
        char time[32];
        std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day,
                      c.hour, c.minute, c.second);
        JsonObject obj;
        obj.integer("year", *year).integer("index", index).text("name", TermName[static_cast<std::size_t>(index)]).text("time", time);
        std::cout << obj.str() << "\n";
    }
    return 0;
}

} // namespace velm::cli
