#pragma once

// Walks over moments: the k-th moment after a start, one step per chart kind
// (365.25 days, 30.59 days, 1 day, 2 hours). Computed as start + k x step in
// whole seconds: adding a floating step again and again drifts, and after a
// few thousand two-hour steps a moment would decode a millisecond early and
// fall into the previous hour.

#include <cstdint>

#include "engine/astro.h"

namespace velm {

// Step of each chart kind in seconds: 365.25 d, 30.59 d, 1 d, 1/12 d.
inline constexpr std::int64_t WalkStepSeconds[4] = {31'557'600, 2'642'976, 86'400, 7'200};

// Seconds since 0001-01-01 00:00 of a civil moment (seconds field included).
std::int64_t secondsFromCivil(const CivilTime &t);
CivilTime civilFromSeconds(std::int64_t seconds);

// The k-th moment of a walk of the given chart kind (k = 0 is the start).
CivilTime walkMoment(const CivilTime &start, int kind, std::int64_t k);

} // namespace velm
