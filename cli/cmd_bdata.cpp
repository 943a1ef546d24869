#include <climits>
#include <iostream>

#include "cli/args.h"
#include "cli/cmd_quick.h"
#include "cli/datadir.h"
#include "output/chartdata.h"
#include "output/listfile.h"
#include "output/walk.h"

namespace velm::cli {
namespace {

constexpr const char *BdataUsage =
    "使い方: velm-cli bdata DATE TIME --kind 年|月|日|時 [--count N] [--out LIST.csv]";

} // namespace

int runBdata(const Args &argsIn)
{
    Args args = argsIn;
    std::string error;
    if (!takeDataDir(args, error)) // the rows need no data file
        return usageError(error);

    std::vector<std::string> positional;
    EngineOptions engine;
    ChartDataListOptions options;
    std::optional<int> kind;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const FlagResult taken = takeEngineOption(args, i, engine, error);
        if (taken == FlagResult::Bad)
            return usageError(error);
        if (taken == FlagResult::Taken)
            continue;
        const std::string &a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (a != "--kind" && a != "--count" && a != "--out")
            return usageError("不明なオプションです: " + a);
        const std::string *value = takeValue(args, i, error);
        if (!value)
            return usageError(error);
        const std::string &v = *value;
        if (a == "--kind") {
            if (!(kind = parseKind(v, error)))
                return usageError(error);
        } else if (a == "--count") {
            auto count = parseCount(v, INT_MIN, INT_MAX, "作成上限", error);
            if (!count)
                return usageError(error);
            options.count = static_cast<int>(*count);
        } else {
            if (v.empty())
                return usageError("--out の値がありません");
            out = v;
        }
    }
    splitMomentWord(positional);
    if (positional.size() != 2 || !kind)
        return usageError(BdataUsage);
    auto start = parseDateTime(positional[0], positional[1], error);
    if (!start)
        return usageError(error);
    const std::optional<ResolvedMoment> resolved = resolveEntered(*start, engine.koyomi, error);
    if (!resolved)
        return usageError(error);
    start = resolved->calendar;

    options.start = *start;
    options.kind = *kind;
    options.koyomi = engine.koyomi;
    options.method = engine.method;

    if (out.empty()) {
        const ChartDataList list = ListProc(options, {}, [](const std::string &row) {
            std::cout << row << "\n";
            return true;
        });
        if (list.count == 0)
            std::cout << ChartDataStoppedMessage << "\n";
        else if (list.ended)
            report(walkEndMessage(list.last, list.count, "作成", options.koyomi.astronomy));
        return 0;
    }
    if (chartDataListLength(options) == 0) {
        std::cout << ChartDataStoppedMessage << "\n";
        return 0;
    }
    // Rows go to the file as they are made: a long run would not fit in
    // memory. The count in the title is known before the first row.
    const long count = chartDataListLength(options);
    ChartDataList list;
    const std::string message = writeListFileStream(
        out, ChartDataSenL, std::to_string(count), chartDataCaptionRow(), [&](const ListRowSink &add) {
            list = ListProc(options, {}, [&](const std::string &row) { return add(chartDataListRow(row)); });
            return list.count == count ? std::string() : "『" + out + "』を作成できませんでした。";
        },
        SpecialTarget::WriteThrough);
    if (!message.empty())
        return runFailure(message);
    if (list.ended)
        report(walkEndMessage(list.last, list.count, "作成", options.koyomi.astronomy));
    return 0;
}

} // namespace velm::cli
