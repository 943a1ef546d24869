// velm-cli search: the search list of a divination matter.

#include <iostream>
#include <thread>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/datadir.h"
#include "cli/gridprint.h"
#include "engine/constdata.h"
#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/search.h"

namespace velm::cli {
namespace {

constexpr const char *Usage =
    "使い方: velm-cli search DATE TIME --matter NAME [--kind 0..3] [--direction 0..8] "
    "[--element 0..6] [--limit N] [--max-matches M] [--threads T] [--out LIST.csv] [--data DIR]";

std::optional<std::int64_t> parseCount(const std::string &text)
{
    if (text.empty() || text.find_first_not_of("-0123456789") != std::string::npos)
        return std::nullopt;
    try {
        std::size_t used = 0;
        long long v = std::stoll(text, &used);
        if (used != text.size())
            return std::nullopt;
        return v;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

int runSearch(const Args &given)
{
    Args args = given;
    bool dataOk = true;
    const std::string dataDir = takeDataDir(args, dataOk);
    if (!dataOk)
        return usageError("--data の値がありません");

    std::string error;
    std::vector<std::string> positional;
    SearchSettings settings;
    std::optional<std::string> matterName;
    std::string outPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        FlagResult taken = takeKoyomiFlag(args, i, settings.koyomi, error);
        if (taken == FlagResult::Bad)
            return usageError(error);
        if (taken == FlagResult::Taken)
            continue;
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 >= args.size())
            return usageError(a + " の値がありません");
        const std::string &v = args[++i];
        if (a == "--matter") {
            matterName = v;
        } else if (a == "--out") {
            outPath = v;
        } else if (a == "--method") {
            if (v != "rotating" && v != "flying" && v != "0" && v != "1")
                return usageError("作盤方法は rotating か flying で指定して下さい: " + v);
            settings.method = (v == "flying" || v == "1") ? LayingMethod::Flying : LayingMethod::Rotating;
        } else if (a == "--kind" || a == "--direction" || a == "--element" || a == "--threads") {
            const int hi = a == "--kind" ? 3 : a == "--direction" ? 8 : a == "--element" ? 6 : 256;
            auto n = parseInt(v, a == "--threads" ? 1 : 0, hi);
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
            auto n = parseCount(v);
            if (!n)
                return usageError(a + " は整数で指定して下さい: " + v);
            (a == "--limit" ? settings.limit : settings.maxMatches) = *n;
        } else {
            return usageError("不明なオプションです: " + a);
        }
    }
    if (positional.size() != 2 || !matterName)
        return usageError(Usage);
    auto start = parseDate(positional[0], error);
    if (!start || !parseTime(positional[1], *start, error))
        return usageError(error);
    settings.start = *start;

    SenMatterLoad load = loadSenMatter(dataFile(dataDir, "Senji.Dat"), *matterName);
    for (const std::string &w : load.warnings)
        std::cerr << "velm-cli: " << w << "\n";
    if (!load.ok) {
        std::cerr << "velm-cli: " << load.message << "\n";
        return 1;
    }
    NumbersFile numbers = readNumbersFile(dataFile(dataDir, "SuuFile.Dat"));
    if (!numbers.ok()) {
        std::cerr << "velm-cli: " << numbers.error << "\n";
        return 1;
    }
    for (const std::string &w : numbers.warnings)
        std::cerr << "velm-cli: " << w << "\n";

    const ConstData names = MakeConstData();
    SearchOutcome outcome = SrcProc(settings, load.matter, numbers.tables, names);
    const std::int64_t matches = outcome.matches;
    const ListModel model = searchListModel(*matterName, settings.direction, std::move(outcome));
    if (!outPath.empty()) {
        std::string failure = writeListFile(outPath, model);
        if (!failure.empty()) {
            std::cerr << "velm-cli: " << failure << "\n";
            return 1;
        }
    } else {
        printGrid(std::cout, model);
    }
    if (matches == 0)
        std::cerr << "velm-cli: 条件に合うものは、見つかりませんでした。\n";
    return 0;
}

} // namespace velm::cli
