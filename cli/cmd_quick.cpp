#include "cli/cmd_quick.h"

#include <climits>
#include <cstdio>
#include <iostream>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/datadir.h"
#include "engine/symbols.h"
#include "output/quicksearch.h"
#include "output/walk.h"

namespace velm::cli {
namespace {

constexpr const char *QuickUsage =
    "使い方: velm-cli quick DATE TIME --kind 年|月|日|時 [--stem 甲..癸] [--branch 子..亥] "
    "--dun 陽|陰 [--ju 1..9] [--limit N]";

// A name of the table, or its index as the program numbers it (0 = first).
template <typename Table>
std::optional<int> parseNamed(std::string_view text, const Table &names)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (text == names[i])
            return static_cast<int>(i);
    return parseInt(text, 0, static_cast<int>(names.size()) - 1);
}

bool isAny(std::string_view text)
{
    return text == "不問" || text == "any";
}

struct QuickArgs {
    EngineOptions engine;
    QuickSearchOptions options;
    std::optional<int> kind;
    std::optional<int> dun;
};

CommandLine quickCommandLine(QuickArgs &into)
{
    QuickSearchCondition &c = into.options.condition;
    CommandLine line;
    line.command = "quick";
    line.words = "DATE TIME";
    line.summary = "簡易検索: 条件に合う最初の盤を探します。";
    line.options = {
        valueOption("--kind", "K", "盤: 年 月 日 時 (必須)",
                    [&into](const std::string &v, std::string &error) {
                        return (into.kind = parseKind(v, error)).has_value();
                    }),
        valueOption("--stem", "S", "天干: 甲 … 癸",
                    [&c](const std::string &v, std::string &error) {
                        if (isAny(v))
                            c.stem.reset();
                        else if (!(c.stem = parseNamed(v, StemName)))
                            error = "天干は 甲～癸 (または 0～9) で指定して下さい: " + v;
                        return error.empty();
                    }),
        valueOption("--branch", "B", "地支: 子 … 亥",
                    [&c](const std::string &v, std::string &error) {
                        if (isAny(v))
                            c.branch.reset();
                        else if (!(c.branch = parseNamed(v, BranchName)))
                            error = "地支は 子～亥 (または 0～11) で指定して下さい: " + v;
                        return error.empty();
                    }),
        valueOption("--dun", "D", "陰陽: 陽 か 陰 (必須)",
                    [&into](const std::string &v, std::string &error) {
                        into.dun = v == "yang" ? std::optional<int>(0)
                            : v == "yin"       ? std::optional<int>(1)
                                               : parseNamed(v, DunName);
                        if (!into.dun)
                            error = "陰陽は 陽 か 陰 (または 0 か 1) で指定して下さい: " + v;
                        return into.dun.has_value();
                    }),
        valueOption("--ju", "J", "局: 1～9",
                    [&c](const std::string &v, std::string &error) {
                        if (isAny(v))
                            c.ju.reset();
                        else if (!(c.ju = parseInt(v, 1, 9)))
                            error = "局は 1～9 で指定して下さい: " + v;
                        return error.empty();
                    }),
        valueOption("--limit", "N", "調べる盤の数",
                    [&into](const std::string &v, std::string &error) {
                        const auto limit = parseCount(v, INT_MIN, INT_MAX, "検索上限", error);
                        if (limit)
                            into.options.limit = static_cast<int>(*limit);
                        return limit.has_value();
                    }),
        methodOption(into.engine.method),
    };
    for (Option &o : calendarOptions(into.engine.koyomi))
        line.options.push_back(std::move(o));
    line.options.push_back(dataOption());
    return line;
}

} // namespace

CommandLine quickCommandLine()
{
    static QuickArgs scratch;
    return quickCommandLine(scratch);
}

int runQuick(const Args &argsIn)
{
    Args args = argsIn;
    std::string error;
    if (!takeDataDir(args, error)) // the quick search reads no data file
        return usageError(error);

    std::vector<std::string> positional;
    QuickArgs taken;
    const CommandLine line = quickCommandLine(taken);
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    EngineOptions &engine = taken.engine;
    QuickSearchOptions &options = taken.options;
    const std::optional<int> kind = taken.kind;
    const std::optional<int> dun = taken.dun;
    splitMomentWord(positional);
    if (positional.size() != 2 || !kind || !dun)
        return usageError(QuickUsage);
    auto start = parseDateTime(positional[0], positional[1], error);
    if (!start)
        return usageError(error);
    const std::optional<ClockReading> reading = readEntered(*start, engine.koyomi, error);
    if (!reading)
        return usageError(error);
    engine.koyomi = reading->options;
    start = reading->calendar;

    if (!quickConditionPossible(options.condition))
        return usageError("天干「" + std::string(StemName[static_cast<std::size_t>(*options.condition.stem)])
                          + "」と地支「" + std::string(BranchName[static_cast<std::size_t>(*options.condition.branch)])
                          + "」の組み合わせは、六十干支にありません。");

    options.start = *start;
    options.condition.kind = *kind;
    options.condition.dun = *dun;
    options.koyomi = engine.koyomi;
    options.method = engine.method;

    const QuickSearchResult result = quickSearch(options);
    if (!result.ok()) {
        std::cout << QuickSearchNotFoundMessage << "\n";
        if (result.ended)
            report(walkEndMessage(result.last, result.examined, "検索", options.koyomi.astronomy));
        return 0;
    }
    const CivilTime &t = result.found;
    const auto k = static_cast<std::size_t>(*kind);
    char head[64];
    std::snprintf(head, sizeof head, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    char count[32];
    std::snprintf(count, sizeof count, "%5ld", result.examined);
    std::cout << head << " " << KindChar[k] << "盤 [" << StemName[static_cast<std::size_t>(result.koyomi.BanKan[k])]
              << BranchName[static_cast<std::size_t>(result.koyomi.BanShi[k])] << "] "
              << DunName[static_cast<std::size_t>(result.koyomi.BanTon[k])]
              << NumeralFull[static_cast<std::size_t>(result.koyomi.BanKyoku[k])] << "局 検索件数：" << count
              << "件\n";
    return 0;
}

} // namespace velm::cli
