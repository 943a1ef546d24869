#pragma once

// Precise crossings of the longitudes the calendar turns on. Computing one
// takes half a millisecond of the IAU models and a century's walk meets three
// thousand of them, so those from 1798 to 2211 are worked out once when the
// program is built, by a small program made from the same sources
// (engine/tablegen), and read from that table. Every search for one of them
// then returns the same value to the last bit, so a walk's cached terms and a
// moment's own search always agree.

#include <algorithm>
#include <array>
#include <optional>

#include "engine/astro.h"

namespace velm {

// Longitudes, ascending, where some calendar fact can change: every 15° (the
// terms; the month-opening terms round at odd multiples of 15°), the 土用
// starts, and the two thresholds of the solstice search.
inline constexpr std::array<long double, 30> TermThresholds = [] {
    std::array<long double, 30> t{};
    std::size_t n = 0;
    for (int i = 0; i < 24; ++i)
        t[n++] = 15.0L * i;
    for (long double d : {27.0L, 117.0L, 207.0L, 297.0L, 80.87500001L, 260.8750001L})
        t[n++] = d;
    std::sort(t.begin(), t.end());
    return t;
}();

// Index of `angle` in TermThresholds, or -1.
int thresholdIndex(long double angle);

struct PreciseCrossing {
    DayValue instant = 0; // local day value
    bool tabled = false;  // read from the table
};

// preciseCrossing (astro.h) and where it came from: the table where it
// reaches, else the computation.
PreciseCrossing findPreciseCrossing(long double target, DayValue estimate, double tz);
// The same crossing computed afresh, to under 0.01 s.
DayValue computePreciseCrossing(long double target, DayValue estimate, double tz);

// The tabled crossing of TermThresholds[index] nearest `estimate` (both UTC
// day values: local day values at offset 0), when the table holds one within
// 120 days of it; nothing for an index out of range.
std::optional<DayValue> tabledCrossing(int index, DayValue estimate);

} // namespace velm
