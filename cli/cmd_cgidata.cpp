#include <iostream>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/cmd_quick.h"
#include "cli/datadir.h"
#include "output/chartdata.h"

namespace velm::cli {
namespace {

constexpr const char *CgidataUsage =
    "使い方: velm-cli cgidata --from-year Y1 --to-year Y2 --out DIR [--text] [--year-folders] "
    "[--no-year-month] [--no-day-hour]";

struct CgidataArgs {
    EngineOptions engine;
    ChartFileOptions options;
    std::optional<int> from;
    std::optional<int> to;
    bool haveOut = false;
};

CommandLine cgidataCommandLine(CgidataArgs &into)
{
    const auto year = [](std::optional<int> &year) {
        return [&year](const std::string &v, std::string &error) {
            year = parseInt(v, ChartFileFirstYear, ChartFileLastYear);
            if (!year)
                error = "年は " + std::to_string(ChartFileFirstYear) + "～" + std::to_string(ChartFileLastYear)
                    + " で指定して下さい: " + v;
            return year.has_value();
        };
    };
    ChartFileOptions &o = into.options;
    CommandLine line;
    line.command = "cgidata";
    line.summary = "Web 用の作盤データファイルを作ります。";
    line.options = {
        valueOption("--from-year", "Y1", "最初の年 (必須)", year(into.from)),
        valueOption("--to-year", "Y2", "最後の年 (必須)", year(into.to)),
        valueOption("--out", "DIR", "書き出すフォルダ (必須)",
                    [&into](const std::string &v, std::string &error) {
                        if (v.empty())
                            error = "--out の値が空です";
                        into.options.folder = v;
                        into.haveOut = !v.empty();
                        return !v.empty();
                    }),
        switchOption("--text", "コードでなく文字列で書く", [&o] { o.output = ChartFileOutput::Text; }),
        switchOption("--year-folders", "年ごとのフォルダに分ける", [&o] { o.layout = ChartFileLayout::YearFolders; }),
        switchOption("--no-year-month", "年月データを作らない", [&o] { o.yearMonth = false; }),
        switchOption("--no-day-hour", "日時データを作らない", [&o] { o.dayHour = false; }),
        methodOption(into.engine.method),
    };
    for (Option &option : calendarOptions(into.engine.koyomi))
        line.options.push_back(std::move(option));
    line.options.push_back(dataOption());
    return line;
}

} // namespace

CommandLine cgidataCommandLine()
{
    static CgidataArgs scratch;
    return cgidataCommandLine(scratch);
}

int runCgidata(const Args &argsIn)
{
    Args args = argsIn;
    std::string error;
    if (!takeDataDir(args, error)) // the files need no data file
        return usageError(error);

    CgidataArgs taken;
    const CommandLine line = cgidataCommandLine(taken);
    std::vector<std::string> positional;
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    if (!positional.empty())
        return usageError("不明な引数です: " + positional.front());
    EngineOptions &engine = taken.engine;
    ChartFileOptions &options = taken.options;
    const std::optional<int> from = taken.from;
    const std::optional<int> to = taken.to;
    const bool haveOut = taken.haveOut;
    if (!from || !to || !haveOut)
        return usageError(CgidataUsage);
    options.fromYear = *from;
    options.toYear = *to;
    options.koyomi = engine.koyomi;
    options.method = engine.method;
    if (std::string message = chartFileOptionsError(options); !message.empty())
        return usageError(message);
    // Both ends must lie in the precise range; the files run on the calendar
    // clock in force at the first year's start.
    const std::optional<ClockReading> first = readEntered(CivilTime{options.fromYear, 1, 1, 0, 0, 0}, options.koyomi, error);
    if (!readEntered(CivilTime{options.toYear, 12, 31, 0, 0, 0}, options.koyomi, error) || !first)
        return usageError(error);
    options.koyomi = first->options;

    const ChartFileResult result = writeChartDataFiles(options);
    for (const std::string &path : result.written)
        std::cout << path << "\n";
    if (!result.ok())
        return runFailure(result.message);
    std::cout << ChartFileDoneStatus << "\n";
    return 0;
}

} // namespace velm::cli
