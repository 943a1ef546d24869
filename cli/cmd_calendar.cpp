#include "cli/cmd_calendar.h"

#include <algorithm>
#include <iostream>

#include "cli/args.h"
#include "cli/datadir.h"
#include "cli/placeargs.h"
#include "engine/symbols.h"
#include "cli/gridprint.h"
#include "engine/codec.h"
#include "evaluation/numbers.h"
#include "output/calendar.h"
#include "output/ics.h"

namespace velm::cli {
namespace {

constexpr const char *Usage =
    "使い方: velm-cli calendar DATE TIME [--rows N] [--from N] [--hours MASK] [--csv] [--ics FILE]\n"
    "                          [--to PLACE [--from PLACE] [--allow-edge] …] [--data DIR]";

} // namespace

int runCalendar(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);

    std::vector<std::string> positional;
    CalendarOptions options;
    bool csv = false;
    std::string icsPath;
    DirectionOptions toPlace;
    for (std::size_t i = 0; i < args.size(); ++i) {
        FlagResult taken = takeKoyomiFlag(args, i, options.koyomi, error);
        if (taken == FlagResult::NotMine)
            taken = takeDirectionOption(args, i, toPlace, error, false);
        if (taken == FlagResult::Bad)
            return usageError(error);
        if (taken == FlagResult::Taken)
            continue;
        const std::string &a = args[i];
        const std::string *v = nullptr;
        if ((a == "--rows" || a == "--from" || a == "--hours" || a == "--ics") && !(v = takeValue(args, i, error)))
            return usageError(error);
        if (a == "--csv") {
            csv = true;
        } else if (a == "--ics") {
            if (v->empty())
                return usageError("--ics の値が空です");
            icsPath = *v;
        } else if (a == "--rows") {
            auto n = parseInt(*v, 0, 99'999);
            if (!n)
                return usageError("--rows は 0～99999 の整数で指定して下さい: " + *v);
            options.rows = *n;
        } else if (a == "--from") {
            auto n = parseInt(*v, -99'999, 99'999);
            if (!n && !v->empty() && v->find_first_not_of("-0123456789") != std::string::npos) {
                toPlace.from = *v; // a place, not a count of double-hours
                toPlace.given = true;
                continue;
            }
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
    splitMomentWord(positional);
    if (positional.size() != 2)
        return usageError(Usage);
    auto entry = parseDateTime(positional[0], positional[1], error);
    if (!entry)
        return usageError(error);
    const std::optional<ResolvedMoment> resolved = resolveEntered(*entry, options.koyomi, error);
    if (!resolved)
        return usageError(error);
    options.entry = resolved->calendar;
    const std::optional<int> palace = walkDirection(toPlace, *dataDir, error);
    if (!palace)
        return usageError(error);

    const NumbersFile numbers = readNumbersReporting(dataFile(*dataDir, "SuuFile.Dat"));
    if (!numbers.ok())
        return 1;

    // The rows are kept as the walk makes them, a hundred bytes each, and
    // their texts made while they are printed.
    std::vector<CalendarRowFacts> rows;
    const CalendarList list = walkCalendar(options, numbers.tables,
                                           [&rows](const CalendarRowFacts &row) { rows.push_back(row); });
    if (list.status == CalendarList::Status::NoHours)
        return runFailure(list.reason);
    if (!icsPath.empty()) {
        std::vector<ListRow> cells;
        cells.reserve(rows.size());
        for (const CalendarRowFacts &row : rows)
            cells.push_back(calendarRowCells(row));
        const std::string failure = writeIcs(icsPath, cells, options.koyomi, options.method,
                                             "数値カレンダー " + list.SenL, numbers.tables);
        if (!failure.empty())
            return runFailure(failure);
    } else {
        printCalendar(std::cout, list, rows, *palace, csv);
    }
    // One rule with the other walks: the rows made are output, and a walk
    // that met the end of the calendar says so and has succeeded.
    if (!list.ok())
        report(list.reason);
    return 0;
}

} // namespace velm::cli
