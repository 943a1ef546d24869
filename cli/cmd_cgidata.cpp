#include <iostream>

#include "cli/args.h"
#include "cli/cmd_quick.h"
#include "cli/datadir.h"
#include "output/chartdata.h"

namespace velm::cli {
namespace {

constexpr const char *CgidataUsage =
    "使い方: velm-cli cgidata --from-year Y1 --to-year Y2 --out DIR [--text] [--year-folders] "
    "[--no-year-month] [--no-day-hour]";

} // namespace

int runCgidata(const Args &argsIn)
{
    Args args = argsIn;
    std::string error;
    if (!takeDataDir(args, error)) // the files need no data file
        return usageError(error);

    EngineOptions engine;
    ChartFileOptions options;
    std::optional<int> from;
    std::optional<int> to;
    bool haveOut = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const FlagResult taken = takeEngineOption(args, i, engine, error);
        if (taken == FlagResult::Bad)
            return usageError(error);
        if (taken == FlagResult::Taken)
            continue;
        const std::string &a = args[i];
        if (a == "--text") {
            options.output = ChartFileOutput::Text;
        } else if (a == "--year-folders") {
            options.layout = ChartFileLayout::YearFolders;
        } else if (a == "--no-year-month") {
            options.yearMonth = false;
        } else if (a == "--no-day-hour") {
            options.dayHour = false;
        } else if (a == "--from-year" || a == "--to-year" || a == "--out") {
            const std::string *value = takeValue(args, i, error);
            if (!value)
                return usageError(error);
            const std::string &v = *value;
            if (a == "--out") {
                if (v.empty())
                    return usageError("--out の値が空です");
                options.folder = v;
                haveOut = true;
                continue;
            }
            auto year = parseInt(v, ChartFileFirstYear, ChartFileLastYear);
            if (!year)
                return usageError("年は " + std::to_string(ChartFileFirstYear) + "～"
                                  + std::to_string(ChartFileLastYear) + " で指定して下さい: " + v);
            (a == "--from-year" ? from : to) = year;
        } else if (a.rfind("--", 0) == 0) {
            return usageError("不明なオプションです: " + a);
        } else {
            return usageError("不明な引数です: " + a);
        }
    }
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
    KoyomiOptions last = options.koyomi;
    if (!resolveEntered(CivilTime{options.toYear, 12, 31, 0, 0, 0}, last, error)
        || !resolveEntered(CivilTime{options.fromYear, 1, 1, 0, 0, 0}, options.koyomi, error))
        return usageError(error);

    const ChartFileResult result = writeChartDataFiles(options);
    for (const std::string &path : result.written)
        std::cout << path << "\n";
    if (!result.ok())
        return runFailure(result.message);
    std::cout << ChartFileDoneStatus << "\n";
    return 0;
}

} // namespace velm::cli
