// velm-cli search: the search list of a divination matter.

#include <cstdint>
#include <iostream>
#include <thread>

#include "cli/args.h"
#include "cli/cmd_people.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/datadir.h"
#include "cli/placeargs.h"
#include "cli/gridprint.h"
#include "engine/constdata.h"
#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/ics.h"
#include "output/search.h"
#include "output/walk.h"

namespace velm::cli {
namespace {

constexpr const char *Usage =
    "使い方: velm-cli search DATE TIME --matter NAME [--kind 0..3] [--direction 0..8] "
    "[--element 0..6] [--limit N] [--max-matches M] [--threads T] [--out LIST.csv] [--ics FILE] [--data DIR]";

struct SearchArgs {
    SearchSettings settings;
    std::optional<std::string> matterName;
    std::string outPath;
    std::string icsPath;
    DirectionOptions toPlace;
    bool directionGiven = false;
    PeopleArgs people;
};

CommandLine searchCommandLine(SearchArgs &into)
{
    SearchSettings &s = into.settings;
    // --kind, --direction, --element, --threads: 0..hi (--threads 0 is
    // every core, as the message has always said).
    const auto number = [](const std::string &name, int hi, std::function<void(int)> set) {
        return [name, hi, set = std::move(set)](const std::string &v, std::string &error) {
            const std::optional<int> n = parseInt(v, 0, hi);
            if (!n)
                error = name + " は 0～" + std::to_string(hi) + " で指定して下さい: " + v;
            else
                set(*n);
            return n.has_value();
        };
    };
    const auto count = [](const std::string &name, std::int64_t &into) {
        return [name, &into](const std::string &v, std::string &error) {
            const auto n = parseCount(v, INT64_MIN, INT64_MAX, name + " ", error);
            if (n)
                into = *n;
            return n.has_value();
        };
    };
    const auto path = [](const std::string &name, std::string &into) {
        return [name, &into](const std::string &v, std::string &error) {
            if (v.empty())
                error = name + " の値が空です";
            into = v;
            return !v.empty();
        };
    };
    CommandLine line;
    line.command = "search";
    line.words = "DATE TIME";
    line.summary = "占事の検索一覧表を出力します。";
    line.options = {
        valueOption("--matter", "NAME", "占事の名前 (必須)",
                    [&into](const std::string &v, std::string &) {
                        into.matterName = v;
                        return true;
                    }),
        valueOption("--kind", "0..3", "検索する盤: 0 年盤 … 3 時盤", number("--kind", 3, [&s](int n) { s.kind = n; })),
        {"--direction", "0..8", "方位: 0 全方位, 1 北西 … 8 南東",
         [&into, take = number("--direction", 8, [&s](int n) { s.direction = n; })](const Args &args, std::size_t &i,
                                                                                   std::string &error) {
             into.directionGiven = true;
             const std::string *v = takeValue(args, i, error);
             return v && take(*v, error);
         }},
        valueOption("--element", "0..6", "表示する要素",
                    number("--element", 6, [&s](int n) { s.element = static_cast<SearchElement>(n); })),
        valueOption("--method", "rotating|flying", "作盤方法 (既定 rotating)",
                    [&s](const std::string &v, std::string &error) {
                        const std::optional<LayingMethod> method = parseMethod(v);
                        if (!method)
                            error = "作盤方法は rotating か flying で指定して下さい: " + v;
                        else
                            s.method = *method;
                        return method.has_value();
                    }),
        valueOption("--limit", "N", "調べる盤の数", count("--limit", s.limit)),
        valueOption("--max-matches", "M", "一覧表の行数の上限", count("--max-matches", s.maxMatches)),
        valueOption("--threads", "T", "使うスレッドの数 (既定は全コア)", number("--threads", 256, [&s](int n) { s.threads = n; })),
        {"--all-schools", "", "時盤を置閏・拆補・茅山の三流派のどれで作っても該当する時だけを挙げる",
         [&s](const Args &, std::size_t &, std::string &) {
             s.allSchools = true;
             return true;
         }},
        valueOption("--out", "LIST.csv", "一覧表ファイル (CP932) に書き出す", path("--out", into.outPath)),
        valueOption("--ics", "FILE", "予定表ファイル (iCalendar) に書き出す", path("--ics", into.icsPath)),
    };
    for (std::vector<Option> more :
         {peopleOptions(into.people, true), directionOptions(into.toPlace), calendarOptions(s.koyomi)})
        line.options.insert(line.options.end(), more.begin(), more.end());
    line.options.push_back(dataOption());
    return line;
}

} // namespace

CommandLine searchCommandLine()
{
    static SearchArgs scratch;
    return searchCommandLine(scratch);
}

int runSearch(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);

    std::vector<std::string> positional;
    SearchArgs taken;
    const CommandLine line = searchCommandLine(taken);
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    SearchSettings &settings = taken.settings;
    const std::optional<std::string> &matterName = taken.matterName;
    const std::string &outPath = taken.outPath;
    const std::string &icsPath = taken.icsPath;
    const DirectionOptions &toPlace = taken.toPlace;
    const bool directionGiven = taken.directionGiven;
    splitMomentWord(positional);
    if (positional.size() != 2 || !matterName)
        return usageError(Usage);
    auto start = parseDateTime(positional[0], positional[1], error);
    if (!start)
        return usageError(error);
    const std::optional<std::vector<ChosenPerson>> people = choosePeople(taken.people, *dataDir, settings.koyomi, error);
    if (!people)
        return usageError(error);
    settings.people = exclusionOf(*people, taken.people.alsoYearMonth);
    const std::optional<ClockReading> reading = readEntered(*start, settings.koyomi, error);
    if (!reading)
        return usageError(error);
    settings.koyomi = reading->options;
    settings.start = reading->calendar;
    const std::optional<int> palace = walkDirection(toPlace, *dataDir, error, directionGiven);
    if (!palace)
        return usageError(error);
    if (*palace)
        settings.direction = *palace;

    SenMatterLoad load = loadSenMatter(dataFile(*dataDir, "Senji.Dat"), *matterName);
    for (const std::string &w : load.warnings)
        report(w);
    if (!load.ok)
        return runFailure(load.message);
    const NumbersFile numbers = readNumbersReporting(dataFile(*dataDir, "SuuFile.Dat"));
    if (!numbers.ok())
        return 1;

    const ConstData names = MakeConstData();
    const SearchOutcome outcome = SrcProc(settings, load.matter, numbers.tables, names);
    const std::int64_t matches = outcome.matches;
    const std::int64_t examined = outcome.examined;
    const bool ended = outcome.ended;
    // The rows are made from the compact matches as they are written: a
    // century of rows is never held as text.
    if (!outPath.empty()) {
        std::string failure = writeSearchListFile(outPath, *matterName, settings.direction, outcome, settings.threads,
                                                  SpecialTarget::WriteThrough);
        if (!failure.empty())
            return runFailure(failure);
    }
    if (!icsPath.empty() && matches > 0) {
        const std::string failure =
            writeIcs(icsPath, outcome.rows(), settings.koyomi, settings.method,
                     searchSenL(*matterName, searchDirectionText(settings.direction)), numbers.tables);
        if (!failure.empty())
            return runFailure(failure);
    }
    if (outPath.empty() && icsPath.empty())
        printSearchGrid(std::cout, *matterName, settings.direction, outcome, settings.threads);
    if (ended)
        report(walkEndMessage(walkMoment(settings.start, settings.kind, examined - 1), examined, "検索",
                              settings.koyomi.astronomy));
    if (matches == 0)
        report("条件に合うものは、見つかりませんでした。");
    return 0;
}

} // namespace velm::cli
