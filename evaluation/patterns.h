#pragma once

// Pattern detection: the named patterns (格局) of one outer palace of a laid
// chart, and the 五不遇時 test of an hour. Pure functions of the chart record
// and the calendar facts; the chart construction calls them through the
// engine's PatternDetector seam and stores what they find.

#include <string>

#include "engine/ban.h"
#include "engine/koyomi.h"

namespace velm {

// Patterns of palace index `palace` (1..8; 0 is evaluated too but never asked
// for). Reads rows TenKan, ChiKan, Mon, Sei, Shin, the chart's BanShu,
// ChokuFuMoto, BanFlag[1] and BanFlag[3], and the pillar stems of `koyomi`.
// Only numbers 1..18 and 21..45 are ever marked. A palace index outside 0..8
// gives no marks.
PatternMarks KakuSan(const ChartRecord &chart, const Koyomi &koyomi, int palace);

// The marked numbers in ascending order, each followed by a comma
// ("3,12,43,"); empty when nothing is marked.
std::string kakuSanText(const PatternMarks &marks);

// True when the hour (stem 0..9, branch 0..11) is the 五不遇時 of a day with
// stem `dayStem`; a day stem outside 0..9 gives false.
bool GoFugu(int dayStem, int hourStem, int hourBranch);

// The detector the chart construction uses: KakuSan and GoFugu above.
const PatternDetector &standardPatternDetector();

} // namespace velm
