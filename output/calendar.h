#pragma once

// The numbers calendar (数値カレンダー): one row per chart over consecutive
// double-hours, with the total score of every direction, and the hint of a
// score cell. The window only shows, hides, folds and prints what is built
// here; its export is a list file (output/listfile.h) of the same rows.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/astro.h"
#include "engine/ban.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"
#include "evaluation/ninestar.h"
#include "evaluation/numbers.h"
#include "output/listfile.h"

namespace velm {

// Bit i of the double-hour selection (CG1) is item i: 0 丑 1:00, 1 寅 3:00,
// …, 11 子 23:00.
inline constexpr std::uint16_t CalendarAllHours = 0x0FFF;

// Message of an empty double-hour selection (line breaks LF CR, as the main
// window shows it before checking all twelve).
inline constexpr std::string_view CalendarNoHoursMessage =
    "[指定作成する時盤]が、指定されていません。\n\r\n\r全ての時盤を作成するよう変更しました。";

// Item of the selection for the double-hour holding `hour` (0..23): 23:00
// and 0:xx are 子 (11), 1:00 and 2:xx are 丑 (0), and so on. On the odd
// hours the list normally falls on this equals hour div 2; after a start at
// 0:xx the list runs on even hours, which belong to the double-hour that
// began an hour earlier.
constexpr int calendarHourItem(int hour)
{
    return ((hour + 1) / 2 + 11) % 12;
}
static_assert(calendarHourItem(1) == 0 && calendarHourItem(23) == 11 && calendarHourItem(0) == 11
              && calendarHourItem(2) == 0 && calendarHourItem(13) == 6);

struct CalendarOptions {
    CivilTime entry;                       // the main window's date and time; minutes are dropped
    int rows = 100;                        // CCnt: rows to make, counting year, month and day rows
    int from = 0;                          // CFrom: double-hours before the entry to start
    std::uint16_t hours = CalendarAllHours; // CG1
    KoyomiOptions koyomi;
    LayingMethod method = LayingMethod::Rotating;
    // Directions bad for the people going are left blank in each row (as
    // the row's own chart, and with alsoYearMonth the moment's year and
    // month charts, have them).
    PeopleExclusion people;
};

// CCnt and CFrom as the settings window holds them (texts). Both are whole
// numbers: CCnt 0..99999, CFrom -99999..99999.
struct CalendarCounts {
    int rows = 100;
    int from = 0;
    std::string error; // for the user; empty when both read
    bool ok() const { return error.empty(); }
};
CalendarCounts parseCalendarCounts(std::string_view CCnt, std::string_view CFrom);

// The first double-hour listed: the entry's date at its hour made odd (hour 0
// stays 0), minus `from` double-hours.
CivilTime calendarStart(const CivilTime &entry, int from);

struct CalendarRow {
    int kind = KindHour; // 0..3, also in cells[14]
    CivilTime moment;    // whole hour
    ListRow cells;       // kind + 盤, date, hour, weekday, flag, nine totals in ring order, kind
};

struct CalendarList {
    enum class Status {
        Complete,   // all the rows asked for
        NoHours,    // no double-hour selected: no rows
        OutOfRange, // the walk left the years 1..9999; the rows made so far
        Cancelled   // the progress callback asked to stop; the rows made so far
    };
    Status status = Status::Complete;
    CivilTime start;
    std::vector<CalendarRow> rows;
    std::string SenL;   // span: start " ～ " moment of the last row ("yyyy/mm/dd hh:00")
    std::string CntL;   // row count + ":件"
    std::string reason; // for the user when not Complete

    bool ok() const { return status == Status::Complete; }
};

// Called after each row with the number of rows made; returning false stops.
using CalendarProgress = std::function<bool(int rowsMade)>;

// A row as the walk makes it, a hundred bytes: its texts are made from it
// when they are shown or written (calendarRowCells), so a long calendar is
// not held as fifteen texts a row.
struct CalendarRowFacts {
    CivilTime moment;
    int kind = KindHour;
    int flag = 0;                  // BanFlagNo
    std::array<double, 9> totals{}; // the total score of each direction, in ring order
    std::uint16_t excluded = 0;     // bit p: palace index p is bad for a person going (cell left blank)
};
ListRow calendarRowCells(const CalendarRowFacts &row);

// The walk of buildCalendar, each row handed to `take` as it is made, in
// order; the list returned has every field but its rows.
using CalendarRowSink = std::function<void(const CalendarRowFacts &row)>;
CalendarList walkCalendar(const CalendarOptions &options, const NumberTables &tables, const CalendarRowSink &take,
                          const CalendarProgress &progress = {});

// The rows of the calendar. Each double-hour gives an hour row; before it,
// the first moment gives year, month and day rows, and a later moment whose
// year, month or day pillar stem changed gives rows of that kind and every
// finer kind. Moments are exact whole hours from the start.
CalendarList buildCalendar(const CalendarOptions &options, const NumberTables &tables,
                           const CalendarProgress &progress = {});

// The 15 captions of the grid.
ListRow calendarCaptions();

// The export: SenL, CntL, the caption row and every row, in list-file form.
ListModel calendarListModel(const CalendarList &list);

// Rows hidden by CB8 (0 show all, 1 hide every hour row, 2 hide hour rows
// not on the date of the first row), one flag per row.
std::vector<bool> calendarHiddenRows(const std::vector<ListRow> &rows, int cb8);

// Hour rows directly below day row `row`, up to the next row of another kind:
// [first, last). Empty when `row` is not a day row.
struct RowRange {
    int first = 0;
    int last = 0;
    bool empty() const { return first >= last; }
};
RowRange dayFoldRange(const std::vector<ListRow> &rows, int row);

// Folding a day: when the first hour row below it is hidden, all are shown,
// otherwise all are hidden. Returns the new flags (unchanged for other rows).
std::vector<bool> toggleDayFold(const std::vector<ListRow> &rows, std::vector<bool> hidden, int row);

// Hint of score cell `column` (5..13) of a row: the chart of the row's kind
// (column 14) at its date and hour, palace RingToKyu[column - 5], in five to
// seven lines joined by `lineBreak`. Empty when the grid's own hint applies
// (columns 0..4) or the row cannot be read.
std::optional<std::string> calendarHint(const ListRow &row, int column, const KoyomiOptions &koyomi,
                                        LayingMethod method, const ConstData &names,
                                        const std::string &lineBreak = "\n\r");

} // namespace velm
