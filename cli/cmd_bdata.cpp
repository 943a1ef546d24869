#include <climits>
#include <iostream>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/cmd_quick.h"
#include "cli/datadir.h"
#include "output/chartdata.h"
#include "output/listfile.h"
#include "output/walk.h"

namespace velm::cli {
namespace {

constexpr const char *BdataUsage =
    "使い方: velm-cli bdata DATE TIME --kind 年|月|日|時 [--count N] [--out LIST.csv]";

struct BdataArgs {
    EngineOptions engine;
    ChartDataListOptions options;
    std::optional<int> kind;
    std::string out;
};

CommandLine bdataCommandLine(BdataArgs &into)
{
    CommandLine line;
    line.command = "bdata";
    line.words = "DATE TIME";
    line.summary = "作盤データ一覧表を出力します。";
    line.options = {
        valueOption("--kind", "K", "盤: 年 月 日 時 (必須)",
                    [&into](const std::string &v, std::string &error) {
                        return (into.kind = parseKind(v, error)).has_value();
                    }),
        valueOption("--count", "N", "作成上限",
                    [&into](const std::string &v, std::string &error) {
                        const auto count = parseCount(v, INT_MIN, INT_MAX, "作成上限", error);
                        if (count)
                            into.options.count = static_cast<int>(*count);
                        return count.has_value();
                    }),
        valueOption("--out", "LIST.csv", "一覧表ファイル (CP932) に作りながら書き出す",
                    [&into](const std::string &v, std::string &error) {
                        if (v.empty())
                            error = "--out の値がありません";
                        into.out = v;
                        return !v.empty();
                    }),
        methodOption(into.engine.method),
    };
    for (Option &o : calendarOptions(into.engine.koyomi))
        line.options.push_back(std::move(o));
    line.options.push_back(dataOption());
    return line;
}

} // namespace

CommandLine bdataCommandLine()
{
    static BdataArgs scratch;
    return bdataCommandLine(scratch);
}

int runBdata(const Args &argsIn)
{
    Args args = argsIn;
    std::string error;
    if (!takeDataDir(args, error)) // the rows need no data file
        return usageError(error);

    std::vector<std::string> positional;
    BdataArgs taken;
    const CommandLine line = bdataCommandLine(taken);
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    EngineOptions &engine = taken.engine;
    ChartDataListOptions &options = taken.options;
    const std::optional<int> kind = taken.kind;
    const std::string out = taken.out;
    splitMomentWord(positional);
    if (positional.size() != 2 || !kind)
        return usageError(BdataUsage);
    auto start = parseDateTime(positional[0], positional[1], error);
    if (!start)
        return usageError(error);
    const std::optional<ClockReading> reading = readEntered(*start, engine.koyomi, error);
    if (!reading)
        return usageError(error);
    engine.koyomi = reading->options;
    start = reading->calendar;

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
