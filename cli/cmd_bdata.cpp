#include <climits>
#include <iostream>

#include "cli/args.h"
#include "cli/cmd_quick.h"
#include "cli/datadir.h"
#include "output/chartdata.h"
#include "output/listfile.h"

namespace velm::cli {
namespace {

constexpr const char *BdataUsage =
    "使い方: velm-cli bdata DATE TIME --kind 年|月|日|時 [--count N] [--out LIST.csv]";

} // namespace

int runBdata(const Args &argsIn)
{
    Args args = argsIn;
    bool dataOk = true;
    (void)takeDataDir(args, dataOk); // the rows need no data file
    if (!dataOk)
        return usageError("--data の値がありません");

    std::string error;
    std::vector<std::string> positional;
    EngineOptions engine;
    ChartDataListOptions options;
    std::optional<int> kind;
    std::string out;
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
        if (a != "--kind" && a != "--count" && a != "--out")
            return usageError("不明なオプションです: " + a);
        if (i + 1 >= args.size())
            return usageError(a + " の値がありません");
        const std::string &v = args[++i];
        if (a == "--kind") {
            if (!(kind = parseKind(v)))
                return usageError("盤は 年 月 日 時 のいずれかで指定して下さい: " + v);
        } else if (a == "--count") {
            auto count = parseInt(v, INT_MIN, INT_MAX);
            if (!count)
                return usageError("作成上限は整数で指定して下さい: " + v);
            options.count = *count;
        } else {
            if (v.empty())
                return usageError("--out の値がありません");
            out = v;
        }
    }
    if (positional.size() != 2 || !kind)
        return usageError(BdataUsage);
    auto start = parseDate(positional[0], error);
    if (!start || !parseTime(positional[1], *start, error))
        return usageError(error);

    options.start = *start;
    options.kind = *kind;
    options.koyomi = engine.koyomi;
    options.method = engine.method;

    const ChartDataList list = ListProc(options);
    if (list.count == 0) {
        std::cout << ChartDataStoppedMessage << "\n";
        return 0;
    }
    if (out.empty()) {
        for (const std::string &row : list.rows)
            std::cout << row << "\n";
        return 0;
    }
    if (std::string message = writeListFile(out, chartDataListModel(list)); !message.empty()) {
        std::cerr << "velm-cli: " << message << "\n";
        return 1;
    }
    return 0;
}

} // namespace velm::cli
