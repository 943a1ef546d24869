#include "cli/cmd_quick.h"

#include <climits>
#include <cstdio>
#include <iostream>

#include "cli/args.h"
#include "cli/datadir.h"
#include "engine/symbols.h"
#include "output/quicksearch.h"

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

} // namespace

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

OptionParse takeEngineOption(const Args &args, std::size_t &i, EngineOptions &into, std::string &error)
{
    switch (takeKoyomiFlag(args, i, into.koyomi, error)) {
    case FlagResult::Taken:
        return OptionParse::Taken;
    case FlagResult::Bad:
        return OptionParse::Bad;
    case FlagResult::NotMine:
        break;
    }
    const std::string &a = args[i];
    if (a != "--method")
        return OptionParse::NotMine;
    if (i + 1 >= args.size()) {
        error = a + " の値がありません";
        return OptionParse::Bad;
    }
    const std::string &v = args[++i];
    auto method = parseInt(v, 0, 1);
    if (!method) {
        error = "作盤方法は 0 (活盤式) か 1 (飛宮式) で指定して下さい: " + v;
        return OptionParse::Bad;
    }
    into.method = static_cast<LayingMethod>(*method);
    return OptionParse::Taken;
}

int runQuick(const Args &argsIn)
{
    Args args = argsIn;
    bool dataOk = true;
    (void)takeDataDir(args, dataOk); // the quick search reads no data file
    if (!dataOk)
        return usageError("--data の値がありません");

    std::string error;
    std::vector<std::string> positional;
    EngineOptions engine;
    QuickSearchOptions options;
    std::optional<int> kind;
    std::optional<int> dun;
    for (std::size_t i = 0; i < args.size(); ++i) {
        switch (takeEngineOption(args, i, engine, error)) {
        case OptionParse::Taken:
            continue;
        case OptionParse::Bad:
            return usageError(error);
        case OptionParse::NotMine:
            break;
        }
        const std::string &a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (a != "--kind" && a != "--stem" && a != "--branch" && a != "--dun" && a != "--ju" && a != "--limit")
            return usageError("不明なオプションです: " + a);
        if (i + 1 >= args.size())
            return usageError(a + " の値がありません");
        const std::string &v = args[++i];
        QuickSearchCondition &c = options.condition;
        if (a == "--kind") {
            if (!(kind = parseKind(v)))
                return usageError("盤は 年 月 日 時 のいずれかで指定して下さい: " + v);
        } else if (a == "--stem") {
            if (isAny(v))
                c.stem.reset();
            else if (!(c.stem = parseNamed(v, StemName)))
                return usageError("天干は 甲～癸 (または 0～9) で指定して下さい: " + v);
        } else if (a == "--branch") {
            if (isAny(v))
                c.branch.reset();
            else if (!(c.branch = parseNamed(v, BranchName)))
                return usageError("地支は 子～亥 (または 0～11) で指定して下さい: " + v);
        } else if (a == "--dun") {
            dun = v == "yang" ? std::optional<int>(0) : v == "yin" ? std::optional<int>(1) : parseNamed(v, DunName);
            if (!dun)
                return usageError("陰陽は 陽 か 陰 (または 0 か 1) で指定して下さい: " + v);
        } else if (a == "--ju") {
            if (isAny(v))
                c.ju.reset();
            else if (!(c.ju = parseInt(v, 1, 9)))
                return usageError("局は 1～9 で指定して下さい: " + v);
        } else {
            auto limit = parseInt(v, INT_MIN, INT_MAX);
            if (!limit)
                return usageError("検索上限は整数で指定して下さい: " + v);
            options.limit = *limit;
        }
    }
    if (positional.size() != 2 || !kind || !dun)
        return usageError(QuickUsage);
    auto start = parseDate(positional[0], error);
    if (!start || !parseTime(positional[1], *start, error))
        return usageError(error);

    options.start = *start;
    options.condition.kind = *kind;
    options.condition.dun = *dun;
    options.koyomi = engine.koyomi;
    options.method = engine.method;

    const QuickSearchResult result = quickSearch(options);
    if (!result.ok()) {
        std::cout << QuickSearchNotFoundMessage << "\n";
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
