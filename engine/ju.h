#pragma once

// Xun-head (符頭) days and the stems the 甲 of a xun hides under.

#include <optional>
#include <string>

#include "engine/astro.h"

namespace velm {

// Day number of the xun-head day (sexagenary index a multiple of 15) nearest
// to the given day: seven days back wins over eight days forward. Empty when
// stem and branch differ in parity, which no real day produces.
std::optional<long> TyoShin(long dayNumber, int stem, int branch);

// The message shown for such an impossible pair: stem name then branch name.
std::string tyoShinMessage(int stem, int branch);

// Xun-head stem 4..9 (戊 己 庚 辛 壬 癸) under which the 甲 of the pillar's xun hides.
int KSToJun(int stem, int branch);

struct FutoDayResult {
    long day = 0;                  // day number of the governing xun-head day
    DayValue solstice = 0;         // the solstice instant found last
    long double SunLongitude = 0;  // from the last before_nibun call
    long double TermLongitude = 0; // 270 in a yang half-year, 90 in a yin one
    std::string error;             // set only if TyoShin failed
};

// One round of the search: the solstice before_nibun mode 5 finds from r and
// the xun-head day nearest to its local date.
FutoDayResult solsticeXunHead(DayValue r, double tz, Astronomy astronomy = Astronomy::Short);

// The xun-head day that governs the moment r (a local day value).
FutoDayResult FutoDay(DayValue r, double tz, Astronomy astronomy = Astronomy::Short);

} // namespace velm
