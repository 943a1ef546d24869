// velm-cli heatmap: the scores of one direction (or the best) over days of
// charts, one line a day.

#include <iostream>

#include "cli/args.h"
#include "cli/cmd_quick.h"
#include "cli/datadir.h"
#include "cli/placeargs.h"
#include "evaluation/numbers.h"
#include "output/heatmap.h"
#include "output/walk.h"

namespace velm::cli {
namespace {

constexpr const char *Usage = "使い方: velm-cli heatmap DATE --days N [--kind hour|day] [--direction 1..8|best] "
                              "[--csv] [--data DIR]";

} // namespace

int runHeatmap(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);

    std::vector<std::string> positional;
    EngineOptions engine;
    std::optional<int> days;
    int kind = KindHour;
    int direction = HeatBest;
    bool csv = false;
    DirectionOptions toPlace;
    bool directionGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        FlagResult taken = takeEngineOption(args, i, engine, error);
        if (taken == FlagResult::NotMine)
            taken = takeDirectionOption(args, i, toPlace, error);
        if (taken == FlagResult::Bad)
            return usageError(error);
        if (taken == FlagResult::Taken)
            continue;
        const std::string &a = args[i];
        if (a == "--csv") {
            csv = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (a != "--days" && a != "--kind" && a != "--direction")
            return usageError("不明なオプションです: " + a);
        directionGiven = directionGiven || a == "--direction";
        const std::string *value = takeValue(args, i, error);
        if (!value)
            return usageError(error);
        const std::string &v = *value;
        if (a == "--days") {
            if (!(days = parseInt(v, 1, HeatMaxDays)))
                return usageError("--days は 1～" + std::to_string(HeatMaxDays) + " の整数で指定して下さい: " + v);
        } else if (a == "--kind") {
            const std::optional<int> k = parseKind(v);
            if (!k || (*k != KindHour && *k != KindDay))
                return usageError("--kind は hour か day で指定して下さい: " + v);
            kind = *k;
        } else if (v == "best") {
            direction = HeatBest;
        } else {
            const std::optional<int> d = parseInt(v, 1, 8);
            if (!d)
                return usageError("--direction は 1～8 か best で指定して下さい: " + v);
            direction = *d;
        }
    }
    if (positional.size() != 1 || !days)
        return usageError(Usage);
    const std::optional<int> palace = walkDirection(toPlace, *dataDir, error, directionGiven);
    if (!palace)
        return usageError(error);
    if (*palace)
        direction = *palace;
    const std::optional<CivilTime> date = parseDate(positional[0], error);
    if (!date)
        return usageError(error);
    // The days are days of the calendar clock; resolving their first midnight
    // checks the clock and gives the offset the term searches use. The
    // calendar clock has no summer time, so a midnight that the zone's civil
    // clock skipped or repeated is still one day's start: either reading
    // gives its standard offset.
    if (engine.koyomi.clock.fold == Fold::Refuse)
        engine.koyomi.clock.fold = Fold::First;
    if (!resolveEntered(*date, engine.koyomi, error))
        return usageError(error);

    const NumbersFile numbers = readNumbersReporting(dataFile(*dataDir, "SuuFile.Dat"));
    if (!numbers.ok())
        return 1;

    HeatMapper mapper(numbers.tables, engine.koyomi, engine.method);
    const HeatMap map = mapper.build(*date, *days, kind);
    for (const std::string &line : heatMapLines(map, direction, csv))
        std::cout << line << "\n";
    if (map.ended) {
        const CivilTime last = map.cells.empty() ? map.start : map.cells.back().moment;
        report(walkEndMessage(last, static_cast<std::int64_t>(map.cells.size()), "作成", engine.koyomi.astronomy));
    }
    return 0;
}

} // namespace velm::cli
