#pragma once

// Xun-head (符頭) days and the stems the 甲 of a xun hides under.

#include <optional>
#include <string>

#include "engine/astro.h"
#include "engine/koyomi.h"

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

// The hour chart's term period, yuan, dun and ju (0-based) as the 拆補 and
// 茅山 schools read them. `term` is the term in force (0 冬至 .. 23 大雪),
// `termEntry` its entry instant, `hourDay` the hour chart's day (the next day
// from 23:00) and `at` the moment the terms are compared at, all local day
// values on one clock. Zhirun has no reading here: its values come from the
// xun-head day (FutoDay).
struct SchoolReading {
    int term = 0;
    int yuan = 0;     // 0 上元, 1 中元, 2 下元
    int dun = 0;      // 0 yang, 1 yin
    int ju = 0;       // 0..8
    long headDay = 0; // 拆補: the 符頭 day; 茅山: the day of the term's entry
};
SchoolReading schoolReading(JuMethod method, int term, DayValue termEntry, DayValue hourDay, DayValue at);

// The ju (0..8) of a term's yuan with sixty double-hours per ju: the term's
// upper-yuan ju, then +6, +3 in a yang half-year and +3, +6 in a yin one.
int termYuanJu(int term, int yuan);

} // namespace velm
