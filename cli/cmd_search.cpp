// velm-cli search: the search list of a divination matter.

#include <cstdint>
#include <iostream>
#include <thread>

#include "cli/args.h"
#include "cli/commands.h"
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

} // namespace

int runSearch(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);

    std::vector<std::string> positional;
    SearchSettings settings;
    std::optional<std::string> matterName;
    std::string outPath;
    std::string icsPath;
    DirectionOptions toPlace;
    bool directionGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        FlagResult taken = takeKoyomiFlag(args, i, settings.koyomi, error);
        if (taken == FlagResult::NotMine)
            taken = takeDirectionOption(args, i, toPlace, error);
        if (taken == FlagResult::Bad)
            return usageError(error);
        if (taken == FlagResult::Taken)
            continue;
        directionGiven = directionGiven || a == "--direction";
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        const std::string *value = takeValue(args, i, error);
        if (!value)
            return usageError(error);
        const std::string &v = *value;
        if (a == "--matter") {
            matterName = v;
        } else if ((a == "--out" || a == "--ics") && v.empty()) {
            return usageError(a + " の値が空です");
        } else if (a == "--out") {
            outPath = v;
        } else if (a == "--ics") {
            icsPath = v;
        } else if (a == "--method") {
            auto method = parseMethod(v);
            if (!method)
                return usageError("作盤方法は rotating か flying で指定して下さい: " + v);
            settings.method = *method;
        } else if (a == "--kind" || a == "--direction" || a == "--element" || a == "--threads") {
            const int hi = a == "--kind" ? 3 : a == "--direction" ? 8 : a == "--element" ? 6 : 256;
            // --threads 0 is every core, as the message has always said.
            auto n = parseInt(v, 0, hi);
            if (!n)
                return usageError(a + " は 0～" + std::to_string(hi) + " で指定して下さい: " + v);
            if (a == "--kind")
                settings.kind = *n;
            else if (a == "--direction")
                settings.direction = *n;
            else if (a == "--element")
                settings.element = static_cast<SearchElement>(*n);
            else
                settings.threads = *n;
        } else if (a == "--limit" || a == "--max-matches") {
            auto n = parseCount(v, INT64_MIN, INT64_MAX, a + " ", error);
            if (!n)
                return usageError(error);
            (a == "--limit" ? settings.limit : settings.maxMatches) = *n;
        } else {
            return usageError("不明なオプションです: " + a);
        }
    }
    splitMomentWord(positional);
    if (positional.size() != 2 || !matterName)
        return usageError(Usage);
    auto start = parseDateTime(positional[0], positional[1], error);
    if (!start)
        return usageError(error);
    const std::optional<ResolvedMoment> resolved = resolveEntered(*start, settings.koyomi, error);
    if (!resolved)
        return usageError(error);
    settings.start = resolved->calendar;
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
