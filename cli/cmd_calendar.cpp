#include "cli/cmd_calendar.h"

#include <algorithm>
#include <iostream>

#include "cli/args.h"
#include "cli/datadir.h"
#include "cli/gridprint.h"
#include "engine/codec.h"
#include "evaluation/numbers.h"
#include "output/calendar.h"

namespace velm::cli {
namespace {

constexpr const char *Usage =
    "使い方: velm-cli calendar DATE TIME [--rows N] [--from N] [--hours MASK] [--csv] [--data DIR]";

} // namespace

int runCalendar(const Args &given)
{
    Args args = given;
    bool dataOk = true;
    const std::string dataDir = takeDataDir(args, dataOk);
    if (!dataOk)
        return usageError("--data の値がありません");

    std::string error;
    std::vector<std::string> positional;
    CalendarOptions options;
    bool csv = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        const std::string *v = nullptr;
        if (a == "--rows" || a == "--from" || a == "--hours") {
            if (i + 1 >= args.size())
                return usageError(a + " の値がありません");
            v = &args[++i];
        }
        if (a == "--csv") {
            csv = true;
        } else if (a == "--rows") {
            auto n = parseInt(*v, 0, 99'999);
            if (!n)
                return usageError("--rows は 0～99999 の整数で指定して下さい: " + *v);
            options.rows = *n;
        } else if (a == "--from") {
            auto n = parseInt(*v, -99'999, 99'999);
            if (!n)
                return usageError("--from は -99999～99999 の整数で指定して下さい: " + *v);
            options.from = *n;
        } else if (a == "--hours") {
            auto n = parseInt(*v, 0, CalendarAllHours);
            if (!n)
                return usageError("--hours は 0～4095 の整数(ビット0が丑、ビット11が子)で指定して下さい: " + *v);
            options.hours = static_cast<std::uint16_t>(*n);
        } else if (a.rfind("--", 0) == 0) {
            return usageError("不明なオプションです: " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2)
        return usageError(Usage);
    auto entry = parseDate(positional[0], error);
    if (!entry || !parseTime(positional[1], *entry, error))
        return usageError(error);
    options.entry = *entry;

    NumbersFile numbers = readNumbersFile(dataFile(dataDir, "SuuFile.Dat"));
    if (!numbers.ok()) {
        std::cerr << "velm-cli: " << numbers.error << "\n";
        return 1;
    }
    for (const std::string &w : numbers.warnings)
        std::cerr << "velm-cli: " << w << "\n";

    const CalendarList list = buildCalendar(options, numbers.tables);
    if (list.status == CalendarList::Status::NoHours) {
        std::cerr << "velm-cli: " << list.reason << "\n";
        return 1;
    }
    const ListModel model = calendarListModel(list);
    if (csv) {
        for (const std::string &line : listFileLines(model))
            std::cout << line << "\n";
    } else {
        printGrid(std::cout, model);
    }
    if (!list.ok()) {
        std::cerr << "velm-cli: " << list.reason << "\n";
        return 1;
    }
    return 0;
}

} // namespace velm::cli
