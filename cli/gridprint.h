#pragma once

#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "output/listfile.h"

namespace velm {
struct CalendarList;
struct CalendarRowFacts;
struct SearchOutcome;
}

namespace velm::cli {

// Columns 0..13 of a grid: column 14 is hidden.
using GridWidths = std::array<int, ListColumnCount - 1>;

// A list as its window shows it: title and count, then columns 0..13 side by
// side (column 14 is hidden), captions centred, values right-aligned, widths
// in CP932 bytes (the width in a fixed-pitch terminal font).
void printGrid(std::ostream &out, const ListModel &model);

// One line of that grid, with its LF, appended to `line`.
void appendGridLine(std::string &line, const ListRow &row, const GridWidths &widths, bool caption);

// A search's list exactly as printGrid prints searchListModel's list, its
// rows made while they are written (on `threads` threads, 0 every core), so
// that a century of rows needs no memory of its own.
void printSearchGrid(std::ostream &out, std::string_view matter, int direction, const SearchOutcome &outcome,
                     int threads);

// A calendar exactly as printGrid prints calendarListModel's list (or, with
// `csv`, as its list-file lines), its rows' texts made while they are
// written. A `palace` (1..8) keeps only that direction's scores.
void printCalendar(std::ostream &out, const CalendarList &list, const std::vector<CalendarRowFacts> &rows, int palace,
                   bool csv);

} // namespace velm::cli
