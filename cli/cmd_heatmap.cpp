// velm-cli heatmap: the scores of one direction (or the best) over days of
// charts, one line a day.

#include <iostream>

#include "cli/args.h"
#include "cli/cmd_people.h"
#include "cli/commands.h"
#include "cli/options.h"
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

struct HeatmapArgs {
    EngineOptions engine;
    std::optional<int> days;
    int kind = KindHour;
    int direction = HeatBest;
    bool csv = false;
    DirectionOptions toPlace;
    bool directionGiven = false;
    PeopleArgs people;
};

CommandLine heatmapCommandLine(HeatmapArgs &into)
{
    CommandLine line;
    line.command = "heatmap";
    line.words = "DATE";
    line.summary = "日ごとの方位の数値 (方位ヒートマップ) を出力します。";
    line.options = {
        valueOption("--days", "N", "日数 (必須)",
                    [&into](const std::string &v, std::string &error) {
                        if (!(into.days = parseInt(v, 1, HeatMaxDays)))
                            error = "--days は 1～" + std::to_string(HeatMaxDays) + " の整数で指定して下さい: " + v;
                        return into.days.has_value();
                    }),
        valueOption("--kind", "hour|day", "時盤か日盤か (既定 hour)",
                    [&into](const std::string &v, std::string &error) {
                        const std::optional<int> k = parseKind(v);
                        if (!k || (*k != KindHour && *k != KindDay)) {
                            error = "--kind は hour か day で指定して下さい: " + v;
                            return false;
                        }
                        into.kind = *k;
                        return true;
                    }),
        valueOption("--direction", "1..8|best", "方位: 1 北西 … 8 南東, best 最良 (既定)",
                    [&into](const std::string &v, std::string &error) {
                        into.directionGiven = true;
                        if (v == "best") {
                            into.direction = HeatBest;
                            return true;
                        }
                        const std::optional<int> d = parseInt(v, 1, 8);
                        if (!d) {
                            error = "--direction は 1～8 か best で指定して下さい: " + v;
                            return false;
                        }
                        into.direction = *d;
                        return true;
                    }),
        switchOption("--csv", "コンマ区切りで出力する", [&into] { into.csv = true; }),
        methodOption(into.engine.method),
    };
    for (std::vector<Option> more :
         {peopleOptions(into.people, true), directionOptions(into.toPlace), calendarOptions(into.engine.koyomi)})
        line.options.insert(line.options.end(), more.begin(), more.end());
    line.options.push_back(dataOption());
    return line;
}

} // namespace

CommandLine heatmapCommandLine()
{
    static HeatmapArgs scratch;
    return heatmapCommandLine(scratch);
}

int runHeatmap(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);

    std::vector<std::string> positional;
    HeatmapArgs taken;
    const CommandLine line = heatmapCommandLine(taken);
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    EngineOptions &engine = taken.engine;
    const std::optional<int> days = taken.days;
    const int kind = taken.kind;
    int direction = taken.direction;
    const bool csv = taken.csv;
    const DirectionOptions &toPlace = taken.toPlace;
    const bool directionGiven = taken.directionGiven;
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
    const std::optional<std::vector<ChosenPerson>> people = choosePeople(taken.people, *dataDir, engine.koyomi, error);
    if (!people)
        return usageError(error);
    // The days are days of the calendar clock; resolving their first midnight
    // checks the clock and gives the offset the term searches use. The
    // calendar clock has no summer time, so a midnight that the zone's civil
    // clock skipped or repeated is still one day's start: either reading
    // gives its standard offset.
    if (engine.koyomi.clock.fold == Fold::Refuse)
        engine.koyomi.clock.fold = Fold::First;
    const std::optional<ClockReading> reading = readEntered(*date, engine.koyomi, error);
    if (!reading)
        return usageError(error);
    engine.koyomi = reading->options;

    const NumbersFile numbers = readNumbersReporting(dataFile(*dataDir, "SuuFile.Dat"));
    if (!numbers.ok())
        return 1;

    HeatMapper mapper(numbers.tables, engine.koyomi, engine.method);
    // A cell bad for any person given shows "-": only the safe ones keep their score.
    mapper.setPeople(exclusionOf(*people, taken.people.alsoYearMonth));
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
