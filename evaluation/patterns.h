#pragma once

// Pattern detection: the named patterns (格局) of one outer palace of a laid
// chart, and the 五不遇時 test of an hour. Pure functions of the chart record
// and the calendar facts; the chart construction calls them through the
// engine's PatternDetector seam and stores what they find.

#include <array>
#include <cstdint>
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

// All that KakuSan and GoFugu read of the pillars beyond the chart's own
// plates: for each pillar, the palaces where the heaven plate's 庚 stands over
// its stem; the palaces where the day stem stands over the earth plate's 庚;
// and whether the hour is the 五不遇時 of the day. Charts laid from equal
// plate inputs whose signatures agree get equal marks, so a long walk marks
// each such chart once. Change it with the rules.
std::uint64_t pillarSignature(const ChartRecord &plates, const Koyomi &koyomi);

// The same in two steps, for a walk that meets the same plates often: what
// the signature reads of the plates (the palaces with 庚 above or below), once
// per plates, then the signature of each moment.
struct PillarProbe {
    struct Palace {
        std::uint8_t palace = 0;
        std::uint8_t stem = 0; // the stem across from 庚
    };
    std::array<Palace, 9> underKanoe{}; // heaven 庚: the earth stem below
    std::array<Palace, 9> overKanoe{};  // earth 庚: the heaven stem above
    std::uint8_t under = 0;
    std::uint8_t over = 0;
};
PillarProbe pillarProbe(const ChartRecord &plates);
std::uint64_t pillarSignature(const PillarProbe &probe, const Koyomi &koyomi);

// The detector the chart construction uses: KakuSan and GoFugu above.
const PatternDetector &standardPatternDetector();

} // namespace velm
