#include "evaluation/patterns.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/ban.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"

namespace velm {
namespace {

// Stems 甲 乙 丙 丁 戊 己 庚 辛 壬 癸
constexpr int Kinoe = 0, Kinoto = 1, Hinoe = 2, Hinoto = 3, Tsuchinoe = 4;
constexpr int Tsuchinoto = 5, Kanoe = 6, Kanoto = 7, Mizunoe = 8, Mizunoto = 9;
// Doors 休 生 傷 杜 景 開
constexpr int Rest = 1, Life = 2, Harm = 3, Block = 4, View = 5, Open = 8;
// Deities 直符 太陰 九地 九天
constexpr int Chief = 1, Moon = 3, NineEarth = 7, NineHeaven = 8;
// Palace indexes 乾 兌 艮 離 坎 坤 震 巽
constexpr int Ken = 1, Da = 2, Gon = 3, Ri = 4, Kan = 5, Kon = 6, Shin_ = 7, Son = 8;
constexpr int NoStar = 9;

// One palace situation, built by hand. The defaults mark nothing in any
// palace: 甲 over 己, door 傷 (also at 乾), deity 直符, no star, an hour chart
// whose pillars are all 戊.
struct Situation {
    int palace = Kan;
    int H = Kinoe;
    int E = Tsuchinoto;
    int M = Harm;
    int S = NoStar;
    int D = Chief;
    int doorAtKen = Harm; // door of palace 乾 when the palace under test is another
    int kind = KindHour;
    std::array<int, 4> stems{Tsuchinoe, Tsuchinoe, Tsuchinoe, Tsuchinoe};
    int chokuFuMoto = 0;
    bool xunHeadCentre = false; // BanFlag[1]
    bool dutyDoorCentre = false; // BanFlag[3]
};

struct Built {
    ChartRecord chart;
    Koyomi koyomi;
};

Built build(const Situation &s)
{
    Built b;
    auto put = [&](BanRow row, int palace, int v) {
        b.chart.Ban[row][static_cast<std::size_t>(palace)] = static_cast<std::uint8_t>(v);
    };
    put(Mon, Ken, s.doorAtKen);
    put(TenKan, s.palace, s.H);
    put(ChiKan, s.palace, s.E);
    put(TenChiKan, s.palace, 10 * s.H + s.E);
    put(Mon, s.palace, s.M);
    put(Sei, s.palace, s.S);
    put(Shin, s.palace, s.D);
    b.chart.BanShu = s.kind;
    b.chart.ChokuFuMoto = s.chokuFuMoto;
    b.chart.BanFlag[1] = s.xunHeadCentre ? 1 : 0;
    b.chart.BanFlag[3] = s.dutyDoorCentre ? 1 : 0;
    b.koyomi.BanKan = s.stems;
    return b;
}

PatternMarks marksOf(const Situation &s)
{
    const Built b = build(s);
    return KakuSan(b.chart, b.koyomi, s.palace);
}

struct RuleCase {
    const char *what;
    Situation situation;
    int number;
    bool marked;
};

void PrintTo(const RuleCase &c, std::ostream *os)
{
    *os << c.what;
}

class PatternRule : public testing::TestWithParam<RuleCase> {};

TEST_P(PatternRule, MarksOrNot)
{
    const RuleCase &c = GetParam();
    EXPECT_EQ(marksOf(c.situation).test(static_cast<std::size_t>(c.number)), c.marked)
        << c.what << ": " << kakuSanText(marksOf(c.situation));
}

const std::array<int, 4> Pillars{Kinoto, Hinoe, Hinoto, Kanoto}; // year 乙, month 丙, day 丁, hour 辛

const RuleCase RuleCases[] = {
    {"1 甲 over 丙", {.H = Kinoe, .E = Hinoe}, 1, true},
    {"1 not for 丙 over 甲", {.H = Hinoe, .E = Kinoe}, 1, false},
    {"2 丙 over 甲", {.H = Hinoe, .E = Kinoe}, 2, true},
    {"3 丙 over 丁 with 生", {.H = Hinoe, .E = Hinoto, .M = Life}, 3, true},
    {"3 not with 休", {.H = Hinoe, .E = Hinoto, .M = Rest}, 3, false},
    {"4 乙 over 己 with 開", {.H = Kinoto, .E = Tsuchinoto, .M = Open}, 4, true},
    {"4 not with 生", {.H = Kinoto, .E = Tsuchinoto, .M = Life}, 4, false},
    {"5 丁 休 太陰", {.H = Hinoto, .M = Rest, .D = Moon}, 5, true},
    {"5 not with 九地", {.H = Hinoto, .M = Rest, .D = NineEarth}, 5, false},
    {"6 乙 over 辛 with 生", {.H = Kinoto, .E = Kanoto, .M = Life}, 6, true},
    {"6 乙 over 辛 with 休", {.H = Kinoto, .E = Kanoto, .M = Rest}, 6, true},
    {"6 乙 with 開 at 坤", {.palace = Kon, .H = Kinoto, .E = Tsuchinoe, .M = Open}, 6, true},
    {"6 not 乙 over 辛 with 傷", {.H = Kinoto, .E = Kanoto, .M = Harm}, 6, false},
    {"6 not 乙 with 開 at 離", {.palace = Ri, .H = Kinoto, .E = Tsuchinoe, .M = Open}, 6, false},
    {"7 乙 at 巽 with 開", {.palace = Son, .H = Kinoto, .M = Open}, 7, true},
    {"7 not with 杜", {.palace = Son, .H = Kinoto, .M = Block}, 7, false},
    {"7 not at 離", {.palace = Ri, .H = Kinoto, .M = Rest}, 7, false},
    {"8 乙 休 at 坎", {.palace = Kan, .H = Kinoto, .M = Rest}, 8, true},
    {"8 not at 艮", {.palace = Gon, .H = Kinoto, .M = Rest}, 8, false},
    {"9 乙 over 辛 休 at 艮", {.palace = Gon, .H = Kinoto, .E = Kanoto, .M = Rest}, 9, true},
    {"9 not with 生", {.palace = Gon, .H = Kinoto, .E = Kanoto, .M = Life}, 9, false},
    {"9 not over 己", {.palace = Gon, .H = Kinoto, .E = Tsuchinoto, .M = Rest}, 9, false},
    {"10 丙 生 九天", {.H = Hinoe, .M = Life, .D = NineHeaven}, 10, true},
    {"10 not with 九地", {.H = Hinoe, .M = Life, .D = NineEarth}, 10, false},
    {"11 乙 九地 杜", {.H = Kinoto, .M = Block, .D = NineEarth}, 11, true},
    {"11 乙 九地 開", {.H = Kinoto, .M = Open, .D = NineEarth}, 11, true},
    {"11 not with 休", {.H = Kinoto, .M = Rest, .D = NineEarth}, 11, false},
    {"11 not for 丁", {.H = Hinoto, .M = Block, .D = NineEarth}, 11, false},
    {"12 乙 at 乾", {.palace = Ken, .H = Kinoto}, 12, true},
    {"12 乙 at 離", {.palace = Ri, .H = Kinoto}, 12, true},
    {"12 not at 坤", {.palace = Kon, .H = Kinoto}, 12, false},
    {"13 丙 at 坤", {.palace = Kon, .H = Hinoe}, 13, true},
    {"13 丙 at 坎", {.palace = Kan, .H = Hinoe}, 13, true},
    {"13 not at 離", {.palace = Ri, .H = Hinoe}, 13, false},
    {"14 丁 at 巽", {.palace = Son, .H = Hinoto}, 14, true},
    {"14 丁 at 艮", {.palace = Gon, .H = Hinoto}, 14, true},
    {"14 not at 兌", {.palace = Da, .H = Hinoto}, 14, false},
    {"15 乙 at 震", {.palace = Shin_, .H = Kinoto}, 15, true},
    {"15 not at 巽", {.palace = Son, .H = Kinoto}, 15, false},
    {"16 丙 at 離", {.palace = Ri, .H = Hinoe}, 16, true},
    {"16 not at 坎", {.palace = Kan, .H = Hinoe}, 16, false},
    {"17 丁 at 兌", {.palace = Da, .H = Hinoto}, 17, true},
    {"17 not at 巽", {.palace = Son, .H = Hinoto}, 17, false},
    {"18 丁 with the duty door", {.H = Hinoto, .M = View, .chokuFuMoto = View}, 18, true},
    {"18 not with another door", {.H = Hinoto, .M = Rest, .chokuFuMoto = View}, 18, false},
    {"18 not while the xun head is in the centre",
     {.H = Hinoto, .M = View, .chokuFuMoto = View, .xunHeadCentre = true}, 18, false},
    {"18 not while the duty door is in the centre",
     {.H = Hinoto, .M = View, .chokuFuMoto = View, .dutyDoorCentre = true}, 18, false},
    {"18 not for 丙", {.H = Hinoe, .M = View, .chokuFuMoto = View}, 18, false},
    {"21 庚 over 甲", {.H = Kanoe, .E = Kinoe}, 21, true},
    {"21 not for 甲 over 庚", {.H = Kinoe, .E = Kanoe}, 21, false},
    {"22 甲 over 庚", {.H = Kinoe, .E = Kanoe}, 22, true},
    {"23 庚 over 庚", {.H = Kanoe, .E = Kanoe}, 23, true},
    {"24 庚 over 癸", {.H = Kanoe, .E = Mizunoto}, 24, true},
    {"25 庚 over 壬", {.H = Kanoe, .E = Mizunoe}, 25, true},
    {"26 庚 over 己", {.H = Kanoe, .E = Tsuchinoto}, 26, true},
    {"26 not 辛 over 己", {.H = Kanoto, .E = Tsuchinoto}, 26, false},
    {"27 丙 over 庚", {.H = Hinoe, .E = Kanoe}, 27, true},
    {"28 庚 over 丙", {.H = Kanoe, .E = Hinoe}, 28, true},
    {"29 庚 over the year stem in a year chart",
     {.H = Kanoe, .E = Kinoto, .kind = KindYear, .stems = Pillars}, 29, true},
    {"29 not over the month stem in a year chart",
     {.H = Kanoe, .E = Hinoe, .kind = KindYear, .stems = Pillars}, 29, false},
    {"30 庚 over the month stem in a month chart",
     {.H = Kanoe, .E = Hinoe, .kind = KindMonth, .stems = Pillars}, 30, true},
    {"30 not in a year chart",
     {.H = Kanoe, .E = Hinoe, .kind = KindYear, .stems = Pillars}, 30, false},
    {"31 庚 over the day stem in a day chart",
     {.H = Kanoe, .E = Hinoto, .kind = KindDay, .stems = Pillars}, 31, true},
    {"33 庚 over the day stem in an hour chart",
     {.H = Kanoe, .E = Hinoto, .kind = KindHour, .stems = Pillars}, 33, true},
    {"31 not in a month chart",
     {.H = Kanoe, .E = Hinoto, .kind = KindMonth, .stems = Pillars}, 31, false},
    {"33 not in a year chart",
     {.H = Kanoe, .E = Hinoto, .kind = KindYear, .stems = Pillars}, 33, false},
    {"32 庚 over the hour stem in an hour chart",
     {.H = Kanoe, .E = Kanoto, .kind = KindHour, .stems = Pillars}, 32, true},
    {"32 not in a day chart",
     {.H = Kanoe, .E = Kanoto, .kind = KindDay, .stems = Pillars}, 32, false},
    {"34 the day stem over 庚 in a day chart",
     {.H = Hinoto, .E = Kanoe, .kind = KindDay, .stems = Pillars}, 34, true},
    {"34 not in a month chart",
     {.H = Hinoto, .E = Kanoe, .kind = KindMonth, .stems = Pillars}, 34, false},
    {"35 乙 over 辛", {.H = Kinoto, .E = Kanoto}, 35, true},
    {"36 辛 over 乙", {.H = Kanoto, .E = Kinoto}, 36, true},
    {"36 not for 乙 over 辛", {.H = Kinoto, .E = Kanoto}, 36, false},
    {"37 癸 over 丁", {.H = Mizunoto, .E = Hinoto}, 37, true},
    {"38 丁 over 癸", {.H = Hinoto, .E = Mizunoto}, 38, true},
    {"39 癸 over the chart's own stem",
     {.H = Mizunoto, .E = Hinoe, .kind = KindMonth, .stems = Pillars}, 39, true},
    {"39 not over another pillar's stem",
     {.H = Mizunoto, .E = Kanoto, .kind = KindMonth, .stems = Pillars}, 39, false},
    {"40 壬 over the chart's own stem",
     {.H = Mizunoe, .E = Kinoto, .kind = KindYear, .stems = Pillars}, 40, true},
    {"40 not over another pillar's stem",
     {.H = Mizunoe, .E = Hinoto, .kind = KindYear, .stems = Pillars}, 40, false},
    {"40 nothing read for a chart kind out of range", {.H = Mizunoe, .E = Tsuchinoe, .kind = 4}, 40, false},
    {"41 乙 at 坤", {.palace = Kon, .H = Kinoto}, 41, true},
    {"41 丙 at 乾", {.palace = Ken, .H = Hinoe}, 41, true},
    {"41 丁 at 艮", {.palace = Gon, .H = Hinoto}, 41, true},
    {"41 not 乙 at 乾", {.palace = Ken, .H = Kinoto}, 41, false},
    {"42 戊 at 震", {.palace = Shin_, .H = Tsuchinoe}, 42, true},
    {"42 己 at 坤", {.palace = Kon, .H = Tsuchinoto, .E = Tsuchinoe}, 42, true},
    {"42 庚 at 艮", {.palace = Gon, .H = Kanoe}, 42, true},
    {"42 辛 at 離", {.palace = Ri, .H = Kanoto}, 42, true},
    {"42 壬 at 巽", {.palace = Son, .H = Mizunoe}, 42, true},
    {"42 癸 at 巽", {.palace = Son, .H = Mizunoto}, 42, true},
    {"42 not 戊 at 坤", {.palace = Kon, .H = Tsuchinoe}, 42, false},
    {"43 heaven equals earth", {.H = Kanoto, .E = Kanoto}, 43, true},
    {"43 開 at 乾 seen from 坎", {.palace = Kan, .doorAtKen = Open}, 43, true},
    {"43 開 at 乾 itself", {.palace = Ken, .M = Open}, 43, true},
    {"43 star at home", {.palace = Kon, .S = Kon}, 43, true},
    {"43 not for 開 elsewhere", {.palace = Shin_, .M = Open}, 43, false},
    {"43 not for the opposite star", {.palace = Kon, .S = 9 - Kon}, 43, false},
    {"44 杜 at 乾 seen from 震", {.palace = Shin_, .doorAtKen = Block}, 44, true},
    {"44 star opposite home", {.palace = Gon, .S = 9 - Gon}, 44, true},
    {"44 not for the star at home", {.palace = Gon, .S = Gon}, 44, false},
    {"44 not for 杜 elsewhere", {.palace = Kan, .M = Block}, 44, false},
    {"45 休 at 離", {.palace = Ri, .M = Rest}, 45, true},
    {"45 生 at 坎", {.palace = Kan, .M = Life}, 45, true},
    {"45 景 at 兌", {.palace = Da, .M = View}, 45, true},
    {"45 開 at 震", {.palace = Shin_, .M = Open}, 45, true},
    {"45 not 休 at 坎", {.palace = Kan, .M = Rest}, 45, false},
};

INSTANTIATE_TEST_SUITE_P(EveryRule, PatternRule, testing::ValuesIn(RuleCases));

TEST(KakuSan, DefaultSituationMarksNothing)
{
    for (int p = 1; p <= 8; ++p)
        EXPECT_EQ(kakuSanText(marksOf({.palace = p})), "") << "palace " << p;
}

TEST(KakuSan, SeveralRulesMarkOneNumberOnce)
{
    // 乙 over 辛 with 開 at 坤 holds both alternatives of 6; with 九地 also 11,
    // and 35 and 41 hold on their own.
    EXPECT_EQ(kakuSanText(marksOf({.palace = Kon, .H = Kinoto, .E = Kanoto, .M = Open, .D = NineEarth})),
              "6,11,35,41,");
    // 伏吟 three ways at once.
    EXPECT_EQ(kakuSanText(marksOf({.palace = Kan, .H = Mizunoe, .E = Mizunoe, .S = Kan, .doorAtKen = Open})), "43,");
    // 庚 over the day stem in an hour chart: 日格 and 伏干 always together, next
    // to 歳格, 月格 and 時格 when all pillars share the stem.
    EXPECT_EQ(kakuSanText(marksOf({.H = Kanoe, .E = Kinoto, .stems = {Kinoto, Kinoto, Kinoto, Kinoto}})),
              "29,30,31,32,33,");
}

TEST(KakuSan, DoorOfKenDecidesForAllPalaces)
{
    for (int p = 1; p <= 8; ++p) {
        const PatternMarks open = marksOf({.palace = p, .H = Hinoe, .E = Kanoe, .M = p == Ken ? Open : Rest, .doorAtKen = Open});
        EXPECT_TRUE(open.test(43)) << "palace " << p;
        EXPECT_FALSE(open.test(44)) << "palace " << p;
        const PatternMarks away = marksOf({.palace = p, .M = p == Ken ? Block : Rest, .doorAtKen = Block});
        EXPECT_TRUE(away.test(44)) << "palace " << p;
    }
}

TEST(KakuSan, OnlyKnownNumbersAreEverMarked)
{
    PatternMarks allowed;
    for (int n = 1; n <= 18; ++n)
        allowed.set(static_cast<std::size_t>(n));
    for (int n = 21; n <= 45; ++n)
        allowed.set(static_cast<std::size_t>(n));
    PatternMarks seen;
    for (int kind = KindYear; kind <= KindHour; ++kind)
        for (int p = 1; p <= 8; ++p)
            for (int h = 0; h <= 9; ++h)
                for (int e = 0; e <= 9; ++e)
                    for (int m = 0; m <= 8; ++m)
                        for (int d = 0; d <= 8; d += 1)
                            for (int s : {NoStar, p, 9 - p}) {
                                const PatternMarks marks = marksOf({.palace = p, .H = h, .E = e, .M = m, .S = s, .D = d,
                                                                    .kind = kind, .stems = {Kinoto, Hinoe, Hinoto, Kanoto},
                                                                    .chokuFuMoto = 5});
                                ASSERT_TRUE((marks & ~allowed).none()) << kakuSanText(marks);
                                seen |= marks;
                            }
    // Every rule can fire on some real palace.
    EXPECT_EQ(seen, allowed);
}

TEST(KakuSan, PalaceOutsideTheBoardMarksNothing)
{
    Built b = build({.palace = Kan, .H = Mizunoe, .E = Mizunoe});
    EXPECT_TRUE(KakuSan(b.chart, b.koyomi, 9).none());
    EXPECT_TRUE(KakuSan(b.chart, b.koyomi, -1).none());
    // The centre is never asked for, but is still evaluated.
    b.chart.Ban[TenKan][0] = Mizunoe;
    b.chart.Ban[ChiKan][0] = Mizunoe;
    EXPECT_TRUE(KakuSan(b.chart, b.koyomi, 0).test(43));
}

TEST(KakuSanText, AscendingWithTrailingCommas)
{
    EXPECT_EQ(kakuSanText(PatternMarks{}), "");
    PatternMarks marks;
    marks.set(43).set(3).set(12);
    EXPECT_EQ(kakuSanText(marks), "3,12,43,");
    EXPECT_EQ(kakuSanText(PatternMarks{}.set(0).set(59)), "0,59,");
}

TEST(GoFugu, OneHourPerDayStem)
{
    struct Hour {
        int stem;
        int branch;
    };
    // 甲 庚午, 乙 辛巳, 丙 壬辰, 丁 癸卯, 戊 甲寅, 己 乙丑, 庚 丙子, 辛 丁酉, 壬 戊申, 癸 己未
    const Hour unlucky[10] = {{6, 6}, {7, 5}, {8, 4}, {9, 3}, {0, 2}, {1, 1}, {2, 0}, {3, 9}, {4, 8}, {5, 7}};
    for (int day = 0; day <= 9; ++day)
        for (int other = 0; other <= 9; ++other)
            EXPECT_EQ(GoFugu(day, unlucky[other].stem, unlucky[other].branch), day == other)
                << StemName[static_cast<std::size_t>(day)] << " day, hour of " << other;
    EXPECT_FALSE(GoFugu(0, 6, 8)); // 甲 day at 庚申: right stem, wrong branch
    EXPECT_FALSE(GoFugu(0, 4, 6)); // 甲 day at 戊午: right branch, wrong stem
}

TEST(GoFugu, DayStemOutOfRange)
{
    EXPECT_FALSE(GoFugu(-1, 6, 6));
    EXPECT_FALSE(GoFugu(10, 6, 6));
    EXPECT_FALSE(GoFugu(10, 7, 5));
}

TEST(StandardPatternDetector, ServesBothOperations)
{
    const PatternDetector &detector = standardPatternDetector();
    EXPECT_EQ(detector.KakuSan, &KakuSan);
    EXPECT_EQ(detector.GoFugu, &GoFugu);
    EXPECT_EQ(&detector, &standardPatternDetector());
}

// The flying-palace hour chart of 2024-03-01 12:00: 甲 day, 庚午 hour.
TEST(StandardPatternDetector, LaidHourChart)
{
    const Koyomi k = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{}, false);
    ASSERT_EQ(k.BanKan[KindDay], Kinoe);
    const ChartRecord chart = BanCreate(k, KindHour, LayingMethod::Flying, &standardPatternDetector());
    EXPECT_EQ(chart.BanFlag[4], 1);
    EXPECT_EQ(chart.BanFlagNo, 4);

    // Palace 3 (震) holds 甲 over 庚 on a 甲 day; palace 6 (乾) holds 天輔,
    // whose home 巽 is opposite. No other outer palace shows a pattern.
    auto slots = [&](int p) {
        std::vector<int> found;
        for (int slot = 0; slot < 5; ++slot)
            if (chart.kaku(slot, p) != 0)
                found.push_back(chart.kaku(slot, p));
        return found;
    };
    for (int p = 1; p <= 8; ++p) {
        const std::vector<int> expected = p == Shin_ ? std::vector<int>{22, 34}
                                          : p == Ken ? std::vector<int>{44}
                                                     : std::vector<int>{};
        EXPECT_EQ(slots(p), expected) << "palace index " << p;
    }
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_EQ(chart.kaku(slot, 0), 0);

    // The day chart of the same moment never tests the hour.
    EXPECT_EQ(BanCreate(k, KindDay, LayingMethod::Flying, &standardPatternDetector()).BanFlag[4], 0);
}

} // namespace
} // namespace velm
