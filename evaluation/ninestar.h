#pragma once

// The nine-star (九星) directions of a chart for a person: the palaces a
// practitioner avoids (五黄殺, 暗剣殺, 本命殺, 本命的殺 and the 破 of the
// chart's branch) and the good ones (吉方位) of the person's 本命星. They read
// only the chart's flying nine-stars (KyuSeiBan) and its pillar's branch, so
// they cost next to nothing beside laying the chart.
//
// Palaces are palace indexes (0 the centre, 1 北西 … 8 南東); a set of
// palaces is a mask with bit p for palace p. The centre is never bad or good.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ban.h"
#include "engine/koyomi.h"

namespace velm {

// Why a palace is bad, as bit numbers of PalaceVerdict::reasons.
enum BadReason : int {
    BadGoou = 0,      // 五黄殺: the palace of 五黄
    BadAnken = 1,     // 暗剣殺: the palace opposite 五黄
    BadHonmei = 2,    // 本命殺: the palace of the person's 本命星
    BadHonmeiTeki = 3, // 本命的殺: the palace opposite it
    BadHa = 4,        // 破 of the chart's branch (歳破, 月破, 日破, 時破)
    BadReasonCount = 5
};

// The names of the reasons; 破 by the chart kind (0..3).
inline constexpr std::array<std::string_view, 4> BadReasonName{"五黄殺", "暗剣殺", "本命殺", "本命的殺"};
inline constexpr std::array<std::string_view, 4> HaName{"歳破", "月破", "日破", "時破"};
// The one-character signs a chart window marks a palace with.
inline constexpr std::array<std::string_view, BadReasonCount> BadSign{"五", "暗", "本", "的", "破"};

// 五黄 as a nine-star value (0 = 一白).
inline constexpr int Goou = 4;

// The palace across the centre (北 ↔ 南, 北東 ↔ 南西, …); the centre stays.
constexpr int oppositePalace(int palace)
{
    return palace <= 0 || palace > 8 ? 0 : 9 - palace;
}
static_assert(oppositePalace(5) == 4 && oppositePalace(3) == 6 && oppositePalace(7) == 2 && oppositePalace(1) == 8);

// The palace of a branch (0 子 … 11 亥): 子 北, 丑 寅 北東, 卯 東, 辰 巳 南東,
// 午 南, 未 申 南西, 酉 西, 戌 亥 北西.
inline constexpr std::array<int, 12> BranchPalace{5, 3, 3, 7, 8, 8, 4, 6, 6, 2, 1, 1};

// Element of a nine-star: 0 水, 1 木, 2 火, 3 土, 4 金 (each generates the next).
inline constexpr std::array<int, 9> NineStarElement{0, 3, 1, 1, 3, 4, 4, 3, 2};

// The name of reason `reason` on a chart of `kind`.
std::string_view badReasonName(int reason, int kind);

struct PalaceVerdict {
    std::array<std::uint8_t, 9> reasons{}; // by palace index: bit r for BadReason r
    std::uint16_t bad = 0;                 // bit p: palace p is bad
    std::uint16_t good = 0;                // bit p: palace p is a good direction (吉方位)
};

// The verdict of a chart whose palaces hold `nineStars` (palace index ->
// nine-star 0..8) and whose pillar has `branch`, for a person of 本命星
// `honmei` (0..8). A reason whose star stands in the centre applies nowhere.
PalaceVerdict judgePalaces(const std::array<std::uint8_t, 9> &nineStars, int branch, int honmei);
// The same for a laid chart (its kind's branch read from the facts).
PalaceVerdict judgePalaces(const ChartRecord &chart, const Koyomi &koyomi, int honmei);

// A person's two stars from the calendar facts of the birth moment: the
// centre nine-stars of its year chart (so the year turns at 立春) and month chart.
struct BirthStars {
    int honmei = 0;   // 本命星
    int getsumei = 0; // 月命星
};
BirthStars birthStars(const Koyomi &birth);

// Directions that walks leave out: those bad for any of the chosen people on
// the chart walked and, with alsoYearMonth, on the moment's year and month
// charts as well (a move is judged on them).
struct PeopleExclusion {
    std::uint16_t honmeiSet = 0; // bit s: some chosen person has 本命星 s
    bool alsoYearMonth = false;
    // badOn for every centre nine-star and branch, made once by of().
    std::array<std::uint16_t, 9 * 12> table{};

    static PeopleExclusion of(const std::vector<int> &honmei, bool alsoYearMonth);
    bool active() const { return honmeiSet != 0; }

    // Palaces bad for anyone on a chart of centre nine-star `centre`
    // (the stars fly forward from it, as every chart lays them) and `branch`.
    std::uint16_t badOn(int centre, int branch) const;
    // Palaces bad for anyone on a laid chart of the walk.
    std::uint16_t badOn(const ChartRecord &chart, int branch) const;
    // What the year and month charts of the moment add (0 without alsoYearMonth).
    std::uint16_t yearMonth(const Koyomi &koyomi) const;
    // Everything left out at the moment for a chart of `kind`.
    std::uint16_t excluded(const ChartRecord &chart, const Koyomi &koyomi, int kind) const;
};

} // namespace velm
