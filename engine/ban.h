#pragma once

// The chart record: one laid chart of one kind, as both laying methods fill it.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

#include "engine/koyomi.h"

namespace velm {

// Rows of the chart, each indexed by palace index 0..8 (0 = centre).
enum BanRow : int {
    TenKan = 0,    // heaven-plate stem
    ChiKan = 1,    // earth-plate stem (the palace hiding the xun head holds 0, shown as 甲)
    TenChiKan = 2, // 10 x heaven stem + earth stem
    Mon = 3,       // door number 0..8
    Sei = 4,       // star value 0..8, 9 = no star
    Shin = 5,      // deity number 0..8
    KyuSeiBan = 6, // flying nine-star 0..8
    Kaku0 = 7,     // Kaku[0..4]: up to five pattern numbers, lowest first; 0 none
    BanRowCount = 12
};

using BanRows = std::array<std::array<std::uint8_t, 9>, BanRowCount>;

// Laying method ("作盤方法 "): item 0 活盤式 (the default), item 1 飛宮式.
enum class LayingMethod : int { Rotating = 0, Flying = 1 };

struct ChartRecord {
    int BanShu = 3; // chart kind the record was laid for
    BanRows Ban{};
    int JunKan = 0;                  // xun-head stem 4..9
    std::array<std::uint8_t, 5> BanFlag{}; // [1] 旬首中宮 [2] 時干中宮 [3] 直使中宮 [4] 五不遇時
    int BanFlagNo = 0;               // highest set flag, 0 if none
    int ChokuFuKyu = 0;              // ring position of the duty palace (0: xun head in the centre)
    int ChokuFuMoto = 0;             // ring position the doors turned from
    int ChokuShiKyu = 0;             // palace index where the duty door landed
    int JiKanKyu = 0;                // ring position of deity 1 (直符)

    std::uint8_t kaku(int slot, int palace) const { return Ban[static_cast<std::size_t>(Kaku0 + slot)][static_cast<std::size_t>(palace)]; }
};

// Pattern numbers 0..59 found in one palace.
using PatternMarks = std::bitset<60>;

// Pattern detection lives in the evaluation layer; the engine lays charts
// through this seam so that it never depends on that layer.
struct PatternDetector {
    // Patterns of outer palace `palace` (1..8) of a chart whose stems, doors,
    // stars, deities and centre flags are placed.
    PatternMarks (*KakuSan)(const ChartRecord &chart, const Koyomi &koyomi, int palace) = nullptr;
    // True when the hour is the 五不遇時 of the day.
    bool (*GoFugu)(int dayStem, int hourStem, int hourBranch) = nullptr;
};

// The flying nine-star of a palace (index 0..8) when `centre` (0..8) stands
// in the centre: every chart flies its nine-stars forward in palace order.
constexpr int flyingNineStar(int centre, int palace)
{
    return (centre + palace) % 9;
}

// Lays the chart of kind `BanShu` (0..3) from the calendar facts. A null
// detector (or null members) leaves patterns and 五不遇時 out.
ChartRecord BanCreate(const Koyomi &koyomi, int BanShu, LayingMethod method,
                      const PatternDetector *detector);

// BanCreate in its two halves, for walks that lay many charts of few shapes.
// The plates (stems, doors, stars, deities, nine-stars and the centre flags)
// read nothing of the calendar facts but these values of the chart's own kind;
// equal inputs give equal plates.
struct PlateInputs {
    int stem = 0;     // the kind's pillar stem
    int branch = 0;   // the kind's pillar branch
    int dun = 0;      // 0 yang, 1 yin
    int ju = 0;       // ju - 1
    int nineStar = 0; // centre nine-star
    int term = 0;     // the term a flying-palace day or hour chart lodges by, else 0
    friend bool operator==(const PlateInputs &, const PlateInputs &) = default;
};
PlateInputs plateInputs(const Koyomi &koyomi, int BanShu, LayingMethod method);
ChartRecord layPlates(const PlateInputs &inputs, int BanShu, LayingMethod method);
// The patterns of the eight outer palaces and the 五不遇時 flag of a chart
// whose plates are laid (its pattern rows still empty); these also read the
// other pillars.
void markChart(ChartRecord &chart, const Koyomi &koyomi, const PatternDetector *detector);

// The rotating-plate method alone (BanCreate with LayingMethod::Rotating).
ChartRecord BanCreate2(const Koyomi &koyomi, int BanShu, const PatternDetector *detector);

} // namespace velm
