#pragma once

// Number scoring (数): one score per palace (direction) of a chart from the
// number tables. Every element shown in a palace looks up a number, the 暗剣
// and seasonal additions are applied, each element is weighted by its
// percentage, and the eight weighted values are summed.
//
// SuuSan runs once per examined moment in searches over years, so it
// allocates nothing: the tables are parsed when set and faults are kept in a
// fixed list.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/ban.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"

namespace velm {

// Element rows of the score arrays, in the order of PerSG and of the
// divination-matter conditions (where 数値, the total, comes in front).
inline constexpr std::array<std::string_view, ElementCount> ElementName{
    "天盤", "地盤", "天地盤", "八門", "九星", "八神", "紫白", "格局"};

// A table cell that scoring needed as an integer and found absent. Scoring
// goes on without it (see SuuSan).
struct SuuSanFault {
    enum class Kind : std::uint8_t {
        Percent,    // PerSG row `row` (element + 1): the element was left unweighted (100 %)
        DoorSeason, // HmPSG column 1, row `row` (door): no seasonal door addition
        AnKen       // the 暗剣 number: no 暗剣 addition (row 0)
    };
    Kind kind = Kind::Percent;
    int row = 0;
};

struct SuuScores {
    // Element row 0..7 by palace index 0..8: the plain look-ups. 64 bits: a
    // palace's 格局 adds up to five cells, and a hand-edited file may hold any
    // int in each, so the sum must not overflow.
    std::array<std::array<std::int64_t, 9>, ElementCount> SuuBase{};
    // Rows 0..7 after additions and weighting; row 8 the total, the score of a direction.
    std::array<std::array<double, 9>, ElementCount + 1> BanSuu{};

    // At most one fault per weight, one for the door addition, one for 暗剣.
    std::array<SuuSanFault, ElementCount + 2> faultList{};
    int faultCount = 0;

    std::span<const SuuSanFault> faults() const
    {
        return {faultList.data(), static_cast<std::size_t>(faultCount)};
    }
    bool ok() const { return faultCount == 0; }
};

// Scores the chart under evaluation `CurBan` of kind `BanShu` (0..3).
// Reads koyomi.BanSekki[BanShu] (day and hour charts) and koyomi.Kisetsu.
// `method` is the laying-method setting: the centre's star scores only under
// 飛宮式.
//
// An absent look-up cell counts as 0. Where the weight, the seasonal door
// addition or the 暗剣 number is absent, the fault is listed and scoring
// goes on: the element keeps weight 100 %, the addition is left out.
SuuScores SuuSan(const BanRows &CurBan, int BanShu, const Koyomi &koyomi,
                 const NumberTables &tables, LayingMethod method);

inline SuuScores SuuSan(const ChartRecord &chart, const Koyomi &koyomi,
                        const NumberTables &tables, LayingMethod method)
{
    return SuuSan(chart.Ban, chart.BanShu, koyomi, tables, method);
}

// The message for the user, with the offending cell text.
std::string suuSanMessage(const SuuSanFault &fault, const NumberTables &tables);

// Column 1..5 of KsPSG (相 旺 死 休 囚) for star value 0..8 in season
// Kisetsu 0..4 (春月 夏月 秋月 冬月 土用); 0 outside those ranges.
int starSeasonColumn(int star, int season);

} // namespace velm
