#include "cli/cmd_calendar.h"

#include <algorithm>
#include <iostream>

#include "cli/args.h"
#include "cli/cmd_people.h"
#include "cli/commands.h"
#include "cli/options.h"
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

struct CalendarArgs {
    CalendarOptions options;
    bool csv = false;
    std::string icsPath;
    DirectionOptions toPlace;
    PeopleArgs people;
};

CommandLine calendarCommandLine(CalendarArgs &into)
{
    CalendarOptions &o = into.options;
    CommandLine line;
    line.command = "calendar";
    line.words = "DATE TIME";
    line.summary = "数値カレンダーを出力します。";
    line.options = {
        valueOption("--rows", "N", "作成行数 (0～99999)",
                    [&o](const std::string &v, std::string &error) {
                        const std::optional<int> n = parseInt(v, 0, 99'999);
                        if (!n)
                            error = "--rows は 0～99999 の整数で指定して下さい: " + v;
                        else
                            o.rows = *n;
                        return n.has_value();
                    }),
        valueOption("--from", "N|PLACE", "入力の時刻から前後何刻目から始めるか (-99999～99999)、または --to の出発地",
                    [&into](const std::string &v, std::string &error) {
                        const std::optional<int> n = parseInt(v, -99'999, 99'999);
                        if (!n && !v.empty() && v.find_first_not_of("-0123456789") != std::string::npos) {
                            into.toPlace.from = v; // a place, not a count of double-hours
                            into.toPlace.given = true;
                            return true;
                        }
                        if (!n)
                            error = "--from は -99999～99999 の整数で指定して下さい: " + v;
                        else
                            into.options.from = *n;
                        return n.has_value();
                    }),
        valueOption("--hours", "MASK", "指定作成する時盤 (ビット0 丑 … ビット11 子, 0～4095)",
                    [&o](const std::string &v, std::string &error) {
                        const std::optional<int> n = parseInt(v, 0, CalendarAllHours);
                        if (!n)
                            error = "--hours は 0～4095 の整数(ビット0が丑、ビット11が子)で指定して下さい: " + v;
                        else
                            o.hours = static_cast<std::uint16_t>(*n);
                        return n.has_value();
                    }),
        switchOption("--csv", "コンマ区切りで出力する", [&into] { into.csv = true; }),
        valueOption("--ics", "FILE", "予定表ファイル (iCalendar) に書き出す",
                    [&into](const std::string &v, std::string &error) {
                        if (v.empty())
                            error = "--ics の値が空です";
                        into.icsPath = v;
                        return !v.empty();
                    }),
    };
    for (std::vector<Option> more :
         {peopleOptions(into.people, true), directionOptions(into.toPlace, false), calendarOptions(o.koyomi)})
        line.options.insert(line.options.end(), more.begin(), more.end());
    line.options.push_back(dataOption());
    return line;
}

} // namespace

CommandLine calendarCommandLine()
{
    static CalendarArgs scratch;
    return calendarCommandLine(scratch);
}

int runCalendar(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);

    std::vector<std::string> positional;
    CalendarArgs taken;
    const CommandLine line = calendarCommandLine(taken);
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    CalendarOptions &options = taken.options;
    const bool csv = taken.csv;
    const std::string &icsPath = taken.icsPath;
    const DirectionOptions &toPlace = taken.toPlace;
    splitMomentWord(positional);
    if (positional.size() != 2)
        return usageError(Usage);
    auto entry = parseDateTime(positional[0], positional[1], error);
    if (!entry)
        return usageError(error);
    const std::optional<std::vector<ChosenPerson>> people = choosePeople(taken.people, *dataDir, options.koyomi, error);
    if (!people)
        return usageError(error);
    options.people = exclusionOf(*people, taken.people.alsoYearMonth);
    if (options.people.active() && !taken.icsPath.empty())
        return usageError("--ics と --person は同時に指定できません");
    const std::optional<ClockReading> reading = readEntered(*entry, options.koyomi, error);
    if (!reading)
        return usageError(error);
    options.koyomi = reading->options;
    options.entry = reading->calendar;
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
