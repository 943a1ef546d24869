#include "evaluation/patterns.h"

#include <array>
#include <cstdint>
#include <tuple>

#include "engine/symbols.h"

namespace velm {
namespace {

// Stems 0..9 by their Japanese readings.
namespace stem {
constexpr int Kinoe = 0;      // 甲
constexpr int Kinoto = 1;     // 乙
constexpr int Hinoe = 2;      // 丙
constexpr int Hinoto = 3;     // 丁
constexpr int Tsuchinoe = 4;  // 戊
constexpr int Tsuchinoto = 5; // 己
constexpr int Kanoe = 6;      // 庚
constexpr int Kanoto = 7;     // 辛
constexpr int Mizunoe = 8;    // 壬
constexpr int Mizunoto = 9;   // 癸
} // namespace stem

// Door numbers (= home ring position of the door).
namespace door {
constexpr int Rest = 1;  // 休
constexpr int Life = 2;  // 生
constexpr int Block = 4; // 杜
constexpr int View = 5;  // 景
constexpr int Open = 8;  // 開
} // namespace door

namespace deity {
constexpr int Moon = 3;        // 太陰
constexpr int NineEarth = 7;   // 九地
constexpr int NineHeaven = 8;  // 九天
} // namespace deity

// Palace indexes of the outer palaces by trigram.
namespace palace {
constexpr int Ken = 1;  // 乾
constexpr int Da = 2;   // 兌
constexpr int Gon = 3;  // 艮
constexpr int Ri = 4;   // 離
constexpr int Kan = 5;  // 坎
constexpr int Kon = 6;  // 坤
constexpr int Shin = 7; // 震
constexpr int Son = 8;  // 巽
} // namespace palace

// What the rules look at in the examined palace.
struct Cell {
    int i; // palace index
    int H; // heaven-plate stem
    int E; // earth-plate stem
    int M; // door
    int S; // star value (its home palace index)
    int D; // deity
    const ChartRecord &chart;
    const Koyomi &koyomi;

    int pillarStem(int kind) const { return koyomi.BanKan[static_cast<std::size_t>(kind)]; }
    int doorAt(int p) const { return chart.Ban[Mon][static_cast<std::size_t>(p)]; }
};

bool auspiciousDoor(const Cell &c)
{
    return c.M == door::Rest || c.M == door::Life || c.M == door::Open;
}

// The stem of the chart's own pillar; -1 (matching no stem) for a chart kind
// outside 0..3, so a damaged record cannot read past the pillars.
int ownStem(const Cell &c)
{
    const int kind = c.chart.BanShu;
    return kind >= KindYear && kind <= KindHour ? c.pillarStem(kind) : -1;
}

bool heavenIs(const Cell &c, int h, int at) { return c.H == h && c.i == at; }

// 庚 over the stem of a pillar: the 歳/月/日/時格 and 伏干.
bool kanoeOverDayStem(const Cell &c)
{
    return c.H == stem::Kanoe && c.E == c.pillarStem(KindDay) && c.chart.BanShu >= KindDay;
}

// Each rule keeps its own test type, so the evaluation below calls every test
// directly and the compiler inlines them: charts are laid millions of times
// in a search.
template <typename Test>
struct Rule {
    int number;
    Test holds;
};
template <typename Test>
Rule(int, Test) -> Rule<Test>;

using namespace stem;
using palace::Ken, palace::Da, palace::Gon, palace::Ri, palace::Kan, palace::Kon, palace::Son;

// Every rule is evaluated on its own; several may mark the same number.
constexpr std::tuple Rules{
    Rule{1, [](const Cell &c) { return c.H == Kinoe && c.E == Hinoe; }},
    Rule{2, [](const Cell &c) { return c.H == Hinoe && c.E == Kinoe; }},
    Rule{3, [](const Cell &c) { return c.H == Hinoe && c.E == Hinoto && c.M == door::Life; }},
    Rule{4, [](const Cell &c) { return c.H == Kinoto && c.E == Tsuchinoto && c.M == door::Open; }},
    Rule{5, [](const Cell &c) { return c.H == Hinoto && c.M == door::Rest && c.D == deity::Moon; }},
    Rule{6, [](const Cell &c) {
             return (c.H == Kinoto && c.E == Kanoto && auspiciousDoor(c))
                 || (c.H == Kinoto && c.M == door::Open && c.i == Kon);
         }},
    Rule{7, [](const Cell &c) { return heavenIs(c, Kinoto, Son) && auspiciousDoor(c); }},
    Rule{8, [](const Cell &c) { return heavenIs(c, Kinoto, Kan) && c.M == door::Rest; }},
    Rule{9, [](const Cell &c) { return heavenIs(c, Kinoto, Gon) && c.E == Kanoto && c.M == door::Rest; }},
    Rule{10, [](const Cell &c) { return c.H == Hinoe && c.M == door::Life && c.D == deity::NineHeaven; }},
    Rule{11, [](const Cell &c) {
             return c.H == Kinoto && c.D == deity::NineEarth && (c.M == door::Block || c.M == door::Open);
         }},
    Rule{12, [](const Cell &c) { return heavenIs(c, Kinoto, Ken) || heavenIs(c, Kinoto, Ri); }},
    Rule{13, [](const Cell &c) { return heavenIs(c, Hinoe, Kon) || heavenIs(c, Hinoe, Kan); }},
    Rule{14, [](const Cell &c) { return heavenIs(c, Hinoto, Son) || heavenIs(c, Hinoto, Gon); }},
    Rule{15, [](const Cell &c) { return heavenIs(c, Kinoto, palace::Shin); }},
    Rule{16, [](const Cell &c) { return heavenIs(c, Hinoe, Ri); }},
    Rule{17, [](const Cell &c) { return heavenIs(c, Hinoto, Da); }},
    // A door's number is its home ring position, so the door numbered
    // ChokuFuMoto is the duty door. Not while the xun head or the duty door
    // sits in the centre.
    Rule{18, [](const Cell &c) {
             return c.H == Hinoto && c.M == c.chart.ChokuFuMoto && c.chart.BanFlag[1] == 0
                 && c.chart.BanFlag[3] == 0;
         }},
    Rule{21, [](const Cell &c) { return c.H == Kanoe && c.E == Kinoe; }},
    Rule{22, [](const Cell &c) { return c.H == Kinoe && c.E == Kanoe; }},
    Rule{23, [](const Cell &c) { return c.H == Kanoe && c.E == Kanoe; }},
    Rule{24, [](const Cell &c) { return c.H == Kanoe && c.E == Mizunoto; }},
    Rule{25, [](const Cell &c) { return c.H == Kanoe && c.E == Mizunoe; }},
    Rule{26, [](const Cell &c) { return c.H == Kanoe && c.E == Tsuchinoto; }},
    Rule{27, [](const Cell &c) { return c.H == Hinoe && c.E == Kanoe; }},
    Rule{28, [](const Cell &c) { return c.H == Kanoe && c.E == Hinoe; }},
    Rule{29, [](const Cell &c) { return c.H == Kanoe && c.E == c.pillarStem(KindYear); }},
    Rule{30, [](const Cell &c) {
             return c.H == Kanoe && c.E == c.pillarStem(KindMonth) && c.chart.BanShu >= KindMonth;
         }},
    Rule{31, kanoeOverDayStem},
    Rule{32, [](const Cell &c) {
             return c.H == Kanoe && c.E == c.pillarStem(KindHour) && c.chart.BanShu == KindHour;
         }},
    Rule{33, kanoeOverDayStem},
    Rule{34, [](const Cell &c) {
             return c.H == c.pillarStem(KindDay) && c.E == Kanoe && c.chart.BanShu >= KindDay;
         }},
    Rule{35, [](const Cell &c) { return c.H == Kinoto && c.E == Kanoto; }},
    Rule{36, [](const Cell &c) { return c.H == Kanoto && c.E == Kinoto; }},
    Rule{37, [](const Cell &c) { return c.H == Mizunoto && c.E == Hinoto; }},
    Rule{38, [](const Cell &c) { return c.H == Hinoto && c.E == Mizunoto; }},
    Rule{39, [](const Cell &c) { return c.H == Mizunoto && c.E == ownStem(c); }},
    Rule{40, [](const Cell &c) { return c.H == Mizunoe && c.E == ownStem(c); }},
    Rule{41, [](const Cell &c) {
             return heavenIs(c, Kinoto, Kon) || heavenIs(c, Hinoe, Ken) || heavenIs(c, Hinoto, Gon);
         }},
    Rule{42, [](const Cell &c) {
             return heavenIs(c, Tsuchinoe, palace::Shin) || heavenIs(c, Tsuchinoto, Kon)
                 || heavenIs(c, Kanoe, Gon) || heavenIs(c, Kanoto, Ri) || heavenIs(c, Mizunoe, Son)
                 || heavenIs(c, Mizunoto, Son);
         }},
    // 開 at 乾 means every door stands at home, 杜 at 乾 that every door faces
    // away; either then holds for all eight palaces at once.
    Rule{43, [](const Cell &c) { return c.H == c.E || c.doorAt(Ken) == door::Open || c.S == c.i; }},
    Rule{44, [](const Cell &c) { return c.doorAt(Ken) == door::Block || c.S == 9 - c.i; }},
    Rule{45, [](const Cell &c) {
             return (c.M == door::Rest && c.i == Ri) || (c.M == door::Life && c.i == Kan)
                 || (c.M == door::View && c.i == Da) || (c.M == door::Open && c.i == palace::Shin);
         }},
};

// The one 五不遇時 hour of each day stem: the hour whose stem overcomes the
// day stem from the same polarity.
struct StemBranch {
    int stem;
    int branch;
};
constexpr std::array<StemBranch, 10> UnluckyHour{{
    {Kanoe, 6},      // 甲 day: 庚午
    {Kanoto, 5},     // 乙 day: 辛巳
    {Mizunoe, 4},    // 丙 day: 壬辰
    {Mizunoto, 3},   // 丁 day: 癸卯
    {Kinoe, 2},      // 戊 day: 甲寅
    {Kinoto, 1},     // 己 day: 乙丑
    {Hinoe, 0},      // 庚 day: 丙子
    {Hinoto, 9},     // 辛 day: 丁酉
    {Tsuchinoe, 8},  // 壬 day: 戊申
    {Tsuchinoto, 7}, // 癸 day: 己未
}};

// Every listed hour is a real pillar: stem and branch of equal parity.
constexpr bool unluckyHoursArePillars()
{
    for (const auto &h : UnluckyHour)
        if (h.stem % 2 != h.branch % 2)
            return false;
    return true;
}
static_assert(unluckyHoursArePillars());

} // namespace

PatternMarks KakuSan(const ChartRecord &chart, const Koyomi &koyomi, int palace)
{
    PatternMarks marks;
    if (palace < 0 || palace > 8)
        return marks;
    const auto at = [&](BanRow row) { return static_cast<int>(chart.Ban[row][static_cast<std::size_t>(palace)]); };
    const Cell cell{palace, at(TenKan), at(ChiKan), at(Mon), at(Sei), at(Shin), chart, koyomi};
    std::uint64_t bits = 0;
    std::apply([&](const auto &...rule) {
        ((bits |= rule.holds(cell) ? std::uint64_t{1} << rule.number : 0), ...);
    }, Rules);
    return PatternMarks(bits);
}

std::string kakuSanText(const PatternMarks &marks)
{
    std::string text;
    for (std::size_t n = 0; n < marks.size(); ++n)
        if (marks.test(n))
            text += std::to_string(n) + ',';
    return text;
}

bool GoFugu(int dayStem, int hourStem, int hourBranch)
{
    if (dayStem < 0 || dayStem > 9)
        return false;
    const StemBranch &hour = UnluckyHour[static_cast<std::size_t>(dayStem)];
    return hour.stem == hourStem && hour.branch == hourBranch;
}

PillarProbe pillarProbe(const ChartRecord &plates)
{
    PillarProbe probe;
    for (std::uint8_t p = 0; p < 9; ++p) {
        const std::uint8_t H = plates.Ban[TenKan][p];
        const std::uint8_t E = plates.Ban[ChiKan][p];
        if (H == Kanoe)
            probe.underKanoe[probe.under++] = {p, E};
        if (E == Kanoe)
            probe.overKanoe[probe.over++] = {p, H};
    }
    return probe;
}

std::uint64_t pillarSignature(const PillarProbe &probe, const Koyomi &koyomi)
{
    // The rules read a pillar stem only as the earth stem under 庚 (歳/月/日/時格,
    // 伏干) or as the heaven stem over 庚 (飛干); the chart's own stem, which
    // rules 39 and 40 read, is one of the plate inputs.
    std::uint64_t signature = 0;
    for (std::uint8_t i = 0; i < probe.under; ++i) {
        const PillarProbe::Palace &at = probe.underKanoe[i];
        for (std::size_t kind = 0; kind < 4; ++kind)
            if (at.stem == koyomi.BanKan[kind])
                signature |= std::uint64_t{1} << (kind * 9 + at.palace);
    }
    for (std::uint8_t i = 0; i < probe.over; ++i) {
        const PillarProbe::Palace &at = probe.overKanoe[i];
        if (at.stem == koyomi.BanKan[KindDay])
            signature |= std::uint64_t{1} << (36 + at.palace);
    }
    if (GoFugu(koyomi.BanKan[KindDay], koyomi.BanKan[KindHour], koyomi.BanShi[KindHour]))
        signature |= std::uint64_t{1} << 45;
    return signature;
}

std::uint64_t pillarSignature(const ChartRecord &plates, const Koyomi &koyomi)
{
    return pillarSignature(pillarProbe(plates), koyomi);
}

const PatternDetector &standardPatternDetector()
{
    static const PatternDetector detector{&KakuSan, &GoFugu};
    return detector;
}

} // namespace velm
