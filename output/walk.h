#pragma once

// Walks over moments: the k-th moment after a start, one step per chart kind
// (365.25 days, 30.59 days, 1 day, 2 hours). Computed as start + k x step in
// whole seconds: adding a floating step again and again drifts, and after a
// few thousand two-hour steps a moment would decode a millisecond early and
// fall into the previous hour.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/astro.h"

namespace velm {

// Step of each chart kind in seconds: 365.25 d, 30.59 d, 1 d, 1/12 d.
inline constexpr std::int64_t WalkStepSeconds[4] = {31'557'600, 2'642'976, 86'400, 7'200};

// Seconds since 0001-01-01 00:00 of a civil moment (seconds field included).
std::int64_t secondsFromCivil(const CivilTime &t);
CivilTime civilFromSeconds(std::int64_t seconds);

// The k-th moment of a walk of the given chart kind (k = 0 is the start).
// k must not exceed walkLength(start, kind).
CivilTime walkMoment(const CivilTime &start, int kind, std::int64_t k);

// The moments of one walk, for walks that ask for them in order: the same
// moments as walkMoment, with the calendar date worked out once a day
// rather than once a moment.
class WalkMoments {
public:
    WalkMoments(const CivilTime &start, int kind);
    CivilTime at(std::int64_t k);

private:
    std::int64_t m_base;
    std::int64_t m_step;
    std::int64_t m_days;
    CivilTime m_date;
};

// The last second a walk may reach: the calendar ends on 9999-12-31, and the
// precise terms at the end of their last year (2200), beyond which no chart
// of theirs can be made.
CivilTime walkLastMoment(Astronomy astronomy = Astronomy::Short);
// Whether a moment lies within the years 1.. and on or before that second.
bool inWalkRange(const CivilTime &t, Astronomy astronomy = Astronomy::Short);

// How many moments of the walk, the start included, fall on or before the
// last second (0 when the start is past it). Every walk stops there,
// whatever its limit.
std::int64_t walkLength(const CivilTime &start, int kind, Astronomy astronomy = Astronomy::Short);

// A limit of moments held to the walk's length, so that a huge limit
// neither overflows nor walks past the end.
std::int64_t walkLimit(const CivilTime &start, int kind, std::int64_t limit,
                       Astronomy astronomy = Astronomy::Short);

// Why a walk stops at the last second: "日付が9999年12月31日を超えるため、" or
// "精密な節気の計算は2200年までのため、".
std::string walkEndReason(Astronomy astronomy = Astronomy::Short);

// What a walk that reached the end of the calendar tells the user: the count
// of moments examined and the last of them, ending in "<doing>を終えました。".
std::string walkEndMessage(const CivilTime &last, std::int64_t examined, std::string_view doing,
                           Astronomy astronomy = Astronomy::Short);

} // namespace velm
