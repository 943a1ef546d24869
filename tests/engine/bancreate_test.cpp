// Laying a chart by the flying-palace and the rotating-plate methods.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>

#include "engine/ban.h"
#include "engine/datetime.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"

using namespace velm;

namespace {

constexpr LayingMethod Flying = LayingMethod::Flying;
constexpr LayingMethod Rotating = LayingMethod::Rotating;

// Palace number 1..9 to palace index, and ring position to palace number.
constexpr int idx(int palaceNumber)
{
    return (palaceNumber + 4) % 9;
}
constexpr int palaceOfRing(int ring)
{
    return (RingToKyu[static_cast<std::size_t>(ring)] + 5 - 1) % 9 + 1;
}
static_assert(idx(5) == 0 && idx(1) == 5 && palaceOfRing(2) == 8 && palaceOfRing(6) == 2);

int cell(const ChartRecord &c, BanRow row, int palaceNumber)
{
    return c.Ban[row][static_cast<std::size_t>(idx(palaceNumber))];
}

int stemOf(std::string_view name)
{
    return static_cast<int>(std::find(StemName.begin(), StemName.end(), name) - StemName.begin());
}
int doorOf(std::string_view name)
{
    return static_cast<int>(std::find(DoorName.begin(), DoorName.end(), name) - DoorName.begin());
}
int deityOf(std::string_view name)
{
    return static_cast<int>(std::find(DeityChar.begin(), DeityChar.end(), name) - DeityChar.begin());
}
int starOf(std::string_view name)
{
    return static_cast<int>(std::find(StarCharSource.begin(), StarCharSource.end(), name) - StarCharSource.begin());
}

// A moment's facts filled by hand for one chart kind: pillar, dun, ju and term.
Koyomi facts(int kind, int stem, int branch, int dun, int ju, int term = 4, int kyuSei = 0)
{
    Koyomi k;
    const auto K = static_cast<std::size_t>(kind);
    k.BanKan[K] = stem;
    k.BanShi[K] = branch;
    k.BanTon[K] = dun;
    k.BanKyoku[K] = ju - 1;
    k.BanKyuSei[K] = kyuSei;
    if (kind >= KindDay)
        k.BanSekki[K] = term;
    return k;
}

Koyomi example()
{
    return DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{});
}

// Detector stubs. Function pointers carry no state, so the few that must be
// observed write to these file-level values, reset by each test that reads them.
int goFuguCalls = 0;
std::array<int, 3> goFuguArgs{};

bool fuguAlways(int dayStem, int hourStem, int hourBranch)
{
    ++goFuguCalls;
    goFuguArgs = {dayStem, hourStem, hourBranch};
    return true;
}
bool fuguNever(int, int, int)
{
    ++goFuguCalls;
    return false;
}
// The 甲 day's pair only: enough for the worked example.
bool fuguKinoeDay(int dayStem, int hourStem, int hourBranch)
{
    return dayStem == 0 && hourStem == 6 && hourBranch == 6;
}

PatternMarks marksMany(const ChartRecord &, const Koyomi &, int palace)
{
    PatternMarks m;
    for (int n = palace; n < PatternCount; n += 10)
        m.set(static_cast<std::size_t>(n));
    return m;
}
PatternMarks marksNone(const ChartRecord &, const Koyomi &, int)
{
    return {};
}
// Reports what the detector sees of the palace, to show it runs on a placed
// chart: its deity, door, and whether the flag of a lodged xun head is set.
PatternMarks marksPlaced(const ChartRecord &c, const Koyomi &, int palace)
{
    PatternMarks m;
    m.set(c.Ban[Shin][static_cast<std::size_t>(palace)]);
    m.set(10u + c.Ban[Mon][static_cast<std::size_t>(palace)]);
    if (c.BanFlag[1] != 0)
        m.set(59);
    return m;
}

struct ExampleRow {
    int palace;
    const char *heaven, *earth, *door, *flyingStar, *rotatingStar, *deity, *nineStar;
};

// 2024-03-01 12:00, tz 9.0: hour pillar 庚午, yang ju 1. Expected values are
// the published worked example for both methods ("none" = blank).
constexpr std::array<ExampleRow, 9> ExampleTable{{
    {1, "丁", "甲", "傷", "任", "柱", "地", "三碧"},
    {2, "辛", "己", "開", "英", "輔", "合", "四緑"},
    {3, "甲", "庚", "景", "蓬", "蓬", "符", "五黄"},
    {4, "丙", "辛", "死", "内", "任", "蛇", "六白"},
    {5, "壬", "壬", "　", "冲", "　", "　", "七赤"},
    {6, "己", "癸", "生", "輔", "内", "雀", "八白"},
    {7, "乙", "丁", "休", "禽", "英", "陳", "九紫"},
    {8, "癸", "丙", "杜", "心", "心", "天", "一白"},
    {9, "庚", "乙", "驚", "柱", "冲", "陰", "二黒"},
}};

void expectExampleTable(const ChartRecord &c, bool rotating)
{
    for (const ExampleRow &r : ExampleTable) {
        SCOPED_TRACE("palace " + std::to_string(r.palace));
        EXPECT_EQ(cell(c, TenKan, r.palace), stemOf(r.heaven));
        EXPECT_EQ(cell(c, ChiKan, r.palace), stemOf(r.earth));
        EXPECT_EQ(cell(c, TenChiKan, r.palace), 10 * stemOf(r.heaven) + stemOf(r.earth));
        EXPECT_EQ(cell(c, Mon, r.palace), doorOf(r.door));
        EXPECT_EQ(cell(c, Sei, r.palace), starOf(rotating ? r.rotatingStar : r.flyingStar));
        EXPECT_EQ(cell(c, Shin, r.palace), deityOf(r.deity));
        EXPECT_EQ(NineStarName[cell(c, KyuSeiBan, r.palace)], r.nineStar);
    }
}

} // namespace

TEST(BanCreateExample, MomentIsYangJuOneAtKinoeDayKanoeUmaHour)
{
    const Koyomi k = example();
    EXPECT_EQ(k.BanKan[KindHour], 6);
    EXPECT_EQ(k.BanShi[KindHour], 6);
    EXPECT_EQ(k.BanKan[KindDay], 0);
    EXPECT_EQ(k.BanTon[KindHour], 0);
    EXPECT_EQ(k.BanKyoku[KindHour], 0);
}

TEST(BanCreateExample, FlyingPalaceTable)
{
    const PatternDetector fugu{nullptr, fuguKinoeDay};
    const ChartRecord c = BanCreate(example(), KindHour, Flying, &fugu);
    EXPECT_EQ(c.BanShu, KindHour);
    expectExampleTable(c, false);
    EXPECT_EQ(c.JunKan, 4);
    EXPECT_EQ(c.ChokuFuKyu, 1);
    EXPECT_EQ(c.ChokuFuMoto, 1);
    EXPECT_EQ(c.JiKanKyu, 3);
    EXPECT_EQ(c.ChokuShiKyu, idx(7));
    // No centre flag; the hour is the 甲 day's 五不遇時.
    EXPECT_EQ(c.BanFlag, (std::array<std::uint8_t, 5>{0, 0, 0, 0, 1}));
    EXPECT_EQ(c.BanFlagNo, 4);
}

TEST(BanCreateExample, RotatingPlateTableDiffersOnlyInStars)
{
    const PatternDetector fugu{nullptr, fuguKinoeDay};
    const ChartRecord r = BanCreate(example(), KindHour, Rotating, &fugu);
    expectExampleTable(r, true);
    EXPECT_EQ(r.BanFlagNo, 4);

    const ChartRecord f = BanCreate(example(), KindHour, Flying, &fugu);
    for (BanRow row : {TenKan, ChiKan, TenChiKan, Mon, Shin, KyuSeiBan})
        EXPECT_EQ(r.Ban[row], f.Ban[row]) << "row " << row;
    EXPECT_EQ(r.JunKan, f.JunKan);
    EXPECT_EQ(r.ChokuFuKyu, f.ChokuFuKyu);
    EXPECT_EQ(r.ChokuFuMoto, f.ChokuFuMoto);
    EXPECT_EQ(r.ChokuShiKyu, f.ChokuShiKyu);
    EXPECT_EQ(r.JiKanKyu, f.JiKanKyu);
    EXPECT_EQ(r.BanFlag, f.BanFlag);

    // BanCreate2 is the rotating-plate method itself.
    EXPECT_EQ(BanCreate2(example(), KindHour, &fugu).Ban, r.Ban);
}

TEST(BanCreateExample, NoDetectorLeavesPatternsAndFlagsClear)
{
    for (LayingMethod m : {Flying, Rotating}) {
        const ChartRecord c = BanCreate(example(), KindHour, m, nullptr);
        EXPECT_EQ(c.BanFlag, (std::array<std::uint8_t, 5>{}));
        EXPECT_EQ(c.BanFlagNo, 0);
        for (int slot = 0; slot < 5; ++slot)
            for (int p = 0; p < 9; ++p)
                EXPECT_EQ(c.kaku(slot, p), 0);
    }
}

TEST(BanCreateEarthPlate, YangJuOneAndYinJuNine)
{
    // 戊 己 庚 辛 壬 癸 丁 丙 乙 from the ju's palace, forward for yang and
    // backward for yin. The xun head's palace shows 甲 (0) instead.
    struct Case {
        int dun, ju, stem, branch;
        std::array<const char *, 9> byPalace; // palaces 1..9
    };
    const std::array<Case, 2> cases{{
        // 甲子 hour: the xun head 戊 stands in palace 1.
        {0, 1, 0, 0, {"甲", "己", "庚", "辛", "壬", "癸", "丁", "丙", "乙"}},
        // 甲戌 hour: the xun head 己 stands in palace 8.
        {1, 9, 0, 10, {"乙", "丙", "丁", "癸", "壬", "辛", "庚", "甲", "戊"}},
    }};
    for (const Case &cs : cases)
        for (LayingMethod m : {Flying, Rotating}) {
            const ChartRecord c = BanCreate(facts(KindHour, cs.stem, cs.branch, cs.dun, cs.ju), KindHour, m, nullptr);
            for (int n = 1; n <= 9; ++n)
                EXPECT_EQ(cell(c, ChiKan, n), stemOf(cs.byPalace[static_cast<std::size_t>(n - 1)]))
                    << "dun " << cs.dun << " palace " << n;
        }
}

TEST(BanCreateKinoeNe, HeavenEqualsEarthAndEverythingAtHome)
{
    for (LayingMethod m : {Flying, Rotating}) {
        const ChartRecord c = BanCreate(facts(KindHour, 0, 0, 0, 1), KindHour, m, nullptr);
        EXPECT_EQ(c.JunKan, 4);
        EXPECT_EQ(c.ChokuFuKyu, 1);
        EXPECT_EQ(cell(c, ChiKan, 1), 0);
        EXPECT_EQ(c.Ban[TenKan], c.Ban[ChiKan]);
        EXPECT_EQ(c.ChokuShiKyu, idx(1));
        EXPECT_EQ(c.JiKanKyu, 1);
        EXPECT_EQ(c.BanFlagNo, 0);
        for (int p = 1; p <= 8; ++p) {
            const auto i = static_cast<std::size_t>(RingToKyu[static_cast<std::size_t>(p)]);
            EXPECT_EQ(c.Ban[Mon][i], p);
            EXPECT_EQ(c.Ban[Sei][i], i);
        }
        EXPECT_EQ(c.Ban[Sei][0], m == Flying ? 0 : 9);
    }
}

// Yang ju 1 keeps 壬 in the centre; 乙巳 belongs to the xun whose head is 壬.
TEST(BanCreateLodging, DayHourXunHeadInCentreFlyingStartsFromTermPalace)
{
    for (int kind : {KindDay, KindHour})
        for (int term = 0; term < 24; ++term) {
            SCOPED_TRACE("kind " + std::to_string(kind) + " term " + std::to_string(term));
            const int lg = term / 3 + 1;
            const ChartRecord c = BanCreate(facts(kind, 1, 5, 0, 1, term), kind, Flying, nullptr);
            EXPECT_EQ(c.JunKan, 8);
            EXPECT_EQ(c.BanFlag[1], 1);
            EXPECT_EQ(c.BanFlagNo, 1);
            EXPECT_EQ(c.ChokuFuKyu, 0); // reported as the centre
            EXPECT_EQ(c.ChokuFuMoto, lg);
            // The lodging palace's earth stem moves to 乙's ring (palace 9).
            EXPECT_EQ(cell(c, TenKan, 9), cell(c, ChiKan, palaceOfRing(lg)));
            // The duty door counts 乙's one step from the centre: palace 6.
            EXPECT_EQ(c.ChokuShiKyu, idx(6));
            EXPECT_EQ(cell(c, Mon, 6), lg);
            // 直符 on 乙's palace; 天禽 flies there from the centre.
            EXPECT_EQ(c.JiKanKyu, 5);
            EXPECT_EQ(cell(c, Shin, 9), 1);
            EXPECT_EQ(cell(c, Sei, 9), 0);
        }
    // Between 立春 and 啓蟄 the lodging palace is palace 8 (丙 in yang ju 1).
    const ChartRecord c = BanCreate(facts(KindHour, 1, 5, 0, 1, 4), KindHour, Flying, nullptr);
    EXPECT_EQ(cell(c, TenKan, 9), stemOf("丙"));
}

TEST(BanCreateLodging, DayHourXunHeadInCentreRotatingStartsFromPalaceTwo)
{
    for (int kind : {KindDay, KindHour})
        for (int term : {0, 4, 10, 13, 19, 23}) {
            SCOPED_TRACE("kind " + std::to_string(kind) + " term " + std::to_string(term));
            const ChartRecord c = BanCreate(facts(kind, 1, 5, 0, 1, term), kind, Rotating, nullptr);
            EXPECT_EQ(c.BanFlag[1], 1);
            EXPECT_EQ(c.ChokuFuKyu, 6);
            EXPECT_EQ(c.ChokuFuMoto, 6);
            EXPECT_EQ(cell(c, TenKan, 9), stemOf("己")); // palace 2's earth stem
            EXPECT_EQ(c.ChokuShiKyu, idx(6));
            EXPECT_EQ(cell(c, Mon, 6), doorOf("死")); // the door at home in palace 2
            EXPECT_EQ(cell(c, Sei, 9), 6);             // 天芮, palace 2's star
            EXPECT_EQ(cell(c, Shin, 9), 1);
            EXPECT_EQ(cell(c, Sei, 5), 9);
        }
}

// 甲辰 hour in yang ju 1: the xun head (壬) and the chart's own stem stand in
// the centre, and the duty door falls there too.
TEST(BanCreateLodging, AllCentreFlagsLodgeDoorsAndDeities)
{
    const ChartRecord f = BanCreate(facts(KindHour, 0, 4, 0, 1, 19), KindHour, Flying, nullptr);
    EXPECT_EQ(f.BanFlag, (std::array<std::uint8_t, 5>{0, 1, 1, 1, 0}));
    EXPECT_EQ(f.BanFlagNo, 3);
    EXPECT_EQ(f.ChokuShiKyu, idx(7)); // 寒露: palace 7
    EXPECT_EQ(f.JiKanKyu, 7);
    EXPECT_EQ(cell(f, Shin, 7), 1);
    EXPECT_EQ(f.Ban[TenKan], f.Ban[ChiKan]);

    const ChartRecord r = BanCreate(facts(KindHour, 0, 4, 0, 1, 19), KindHour, Rotating, nullptr);
    EXPECT_EQ(r.BanFlagNo, 3);
    EXPECT_EQ(r.ChokuShiKyu, idx(2));
    EXPECT_EQ(r.JiKanKyu, 6);
    EXPECT_EQ(cell(r, Shin, 2), 1);
    EXPECT_EQ(r.Ban[TenKan], r.Ban[ChiKan]);
    for (int p = 1; p <= 8; ++p)
        EXPECT_EQ(r.Ban[Mon][static_cast<std::size_t>(RingToKyu[static_cast<std::size_t>(p)])], p);
}

TEST(BanCreateYearMonth, FlaggedFlyingChartStaysUnturned)
{
    for (int kind : {KindYear, KindMonth}) {
        // 乙巳 in yang ju 1: xun head in the centre, own stem elsewhere.
        const ChartRecord c = BanCreate(facts(kind, 1, 5, 0, 1), kind, Flying, nullptr);
        EXPECT_EQ(c.BanFlag[1], 1);
        EXPECT_EQ(c.BanFlag[2], 0);
        EXPECT_EQ(c.Ban[TenKan], c.Ban[ChiKan]);
        for (int p = 0; p <= 8; ++p)
            EXPECT_EQ(c.Ban[Mon][static_cast<std::size_t>(RingToKyu[static_cast<std::size_t>(p)])], p);

        // 壬申: own stem 壬 in the centre, xun head 戊 in palace 1. The plate
        // stays unturned, but with 時干中宮 the doors still turn.
        const ChartRecord s = BanCreate(facts(kind, 8, 8, 0, 1), kind, Flying, nullptr);
        EXPECT_EQ(s.BanFlag, (std::array<std::uint8_t, 5>{0, 0, 1, 0, 0}));
        EXPECT_EQ(s.Ban[TenKan], s.Ban[ChiKan]);
        EXPECT_EQ(s.ChokuShiKyu, idx(9));
        EXPECT_EQ(cell(s, Mon, 9), doorOf("休"));
    }
}

TEST(BanCreateYearMonth, FlaggedRotatingChartTurnsTowardsPalaceTwo)
{
    for (int kind : {KindYear, KindMonth}) {
        // 壬申 in yang ju 1: the duty palace 1 hides 甲; it is carried to palace 2.
        const ChartRecord c = BanCreate(facts(kind, 8, 8, 0, 1), kind, Rotating, nullptr);
        EXPECT_EQ(c.BanFlagNo, 2);
        EXPECT_EQ(cell(c, TenKan, 2), 0);
        EXPECT_EQ(cell(c, TenKan, 5), stemOf("壬"));
        EXPECT_NE(c.Ban[TenKan], c.Ban[ChiKan]);
        // The duty star (天蓬, palace 1) follows to palace 2.
        EXPECT_EQ(cell(c, Sei, 2), 5);
    }
}

TEST(BanCreateYearMonth, DeityStartInCentre)
{
    // 甲辰 pillar: the xun head 壬 stands in the centre in yang ju 1 and yin ju 9.
    struct Case {
        int dun, ju, flyingPalace;
    };
    for (const Case cs : {Case{0, 1, 8}, Case{1, 9, 7}})
        for (int kind : {KindYear, KindMonth}) {
            const Koyomi k = facts(kind, 0, 4, cs.dun, cs.ju);
            const ChartRecord f = BanCreate(k, kind, Flying, nullptr);
            EXPECT_EQ(f.BanFlag[1], 1);
            EXPECT_EQ(cell(f, Shin, cs.flyingPalace), 1) << "dun " << cs.dun;
            // 騰蛇 follows clockwise for yang (palace 8 → 3), counter-clockwise
            // for yin (palace 7 → 2).
            EXPECT_EQ(cell(f, Shin, cs.dun == 0 ? 3 : 2), 2);
            const ChartRecord r = BanCreate(k, kind, Rotating, nullptr);
            EXPECT_EQ(cell(r, Shin, 2), 1) << "dun " << cs.dun;
            EXPECT_EQ(r.JiKanKyu, 6);
        }
}

TEST(BanCreatePatterns, FiveLowestNumbersPerOuterPalace)
{
    const PatternDetector many{marksMany, nullptr};
    for (LayingMethod m : {Flying, Rotating}) {
        const ChartRecord c = BanCreate(example(), KindHour, m, &many);
        for (int p = 1; p <= 8; ++p)
            for (int slot = 0; slot < 5; ++slot)
                EXPECT_EQ(c.kaku(slot, p), p + 10 * slot) << "palace index " << p;
        for (int slot = 0; slot < 5; ++slot)
            EXPECT_EQ(c.kaku(slot, 0), 0);
    }
    const PatternDetector none{marksNone, nullptr};
    const ChartRecord c = BanCreate(example(), KindHour, Flying, &none);
    for (int slot = 0; slot < 5; ++slot)
        for (int p = 0; p < 9; ++p)
            EXPECT_EQ(c.kaku(slot, p), 0);
}

TEST(BanCreatePatterns, DetectorSeesPlacedDeitiesDoorsAndFlags)
{
    const PatternDetector placed{marksPlaced, nullptr};
    for (LayingMethod m : {Flying, Rotating}) {
        const ChartRecord c = BanCreate(facts(KindHour, 1, 5, 0, 1), KindHour, m, &placed);
        for (int p = 1; p <= 8; ++p) {
            EXPECT_EQ(c.kaku(0, p), c.Ban[Shin][static_cast<std::size_t>(p)]);
            EXPECT_EQ(c.kaku(1, p), 10 + c.Ban[Mon][static_cast<std::size_t>(p)]);
            EXPECT_EQ(c.kaku(2, p), 59);
        }
    }
}

TEST(BanCreateGoFugu, HourChartOnly)
{
    goFuguCalls = 0;
    const PatternDetector always{nullptr, fuguAlways};
    const Koyomi k = example();
    for (LayingMethod m : {Flying, Rotating}) {
        const ChartRecord c = BanCreate(k, KindHour, m, &always);
        EXPECT_EQ(c.BanFlag[4], 1);
        EXPECT_EQ(c.BanFlagNo, 4);
        EXPECT_EQ(goFuguArgs, (std::array<int, 3>{k.BanKan[2], k.BanKan[3], k.BanShi[3]}));
        // Centre flags of the hour chart stay alongside it.
        const ChartRecord all = BanCreate(facts(KindHour, 0, 4, 0, 1), KindHour, m, &always);
        EXPECT_EQ(all.BanFlag, (std::array<std::uint8_t, 5>{0, 1, 1, 1, 1}));
        EXPECT_EQ(all.BanFlagNo, 4);
    }
    EXPECT_EQ(goFuguCalls, 4);
    for (int kind : {KindYear, KindMonth, KindDay})
        EXPECT_EQ(BanCreate(k, kind, Flying, &always).BanFlag[4], 0);
    EXPECT_EQ(goFuguCalls, 4);

    const PatternDetector never{nullptr, fuguNever};
    const ChartRecord c = BanCreate(facts(KindHour, 8, 8, 0, 1), KindHour, Flying, &never);
    EXPECT_EQ(c.BanFlag[4], 0);
    EXPECT_EQ(c.BanFlagNo, 2);
}

namespace {

// Checks that hold for every chart either method lays.
void expectWellFormed(const ChartRecord &c, bool rotating)
{
    auto isPermutation = [&](BanRow row, int from, int first, int last) {
        std::array<int, 10> seen{};
        for (int i = from; i < 9; ++i) {
            const int v = c.Ban[row][static_cast<std::size_t>(i)];
            if (v < first || v > last)
                return false;
            ++seen[static_cast<std::size_t>(v)];
        }
        for (int v = first; v <= last; ++v)
            if (seen[static_cast<std::size_t>(v)] != 1)
                return false;
        return true;
    };
    EXPECT_GE(c.JunKan, 4);
    EXPECT_LE(c.JunKan, 9);
    EXPECT_EQ(c.BanFlag[0], 0);
    int highest = 0;
    for (int f = 1; f < 5; ++f) {
        EXPECT_LE(c.BanFlag[static_cast<std::size_t>(f)], 1);
        if (c.BanFlag[static_cast<std::size_t>(f)] != 0)
            highest = f;
    }
    EXPECT_EQ(c.BanFlagNo, highest);
    for (int v : {c.ChokuFuKyu, c.ChokuFuMoto, c.ChokuShiKyu}) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 8);
    }
    ASSERT_GE(c.JiKanKyu, 1);
    ASSERT_LE(c.JiKanKyu, 8);

    // Earth plate: the nine stems other than the xun head, 甲 in its place.
    std::array<int, 10> stems{};
    for (int i = 0; i < 9; ++i)
        ++stems[c.Ban[ChiKan][static_cast<std::size_t>(i)]];
    for (int s = 0; s < 10; ++s)
        EXPECT_EQ(stems[static_cast<std::size_t>(s)], s == c.JunKan ? 0 : 1) << "stem " << s;

    // Heaven plate: the centre keeps its earth stem, the outer ring is the
    // earth ring turned by one step.
    EXPECT_EQ(c.Ban[TenKan][0], c.Ban[ChiKan][0]);
    auto earthAtRing = [&](int p) { return c.Ban[ChiKan][static_cast<std::size_t>(RingToKyu[static_cast<std::size_t>(p)])]; };
    auto heavenAtRing = [&](int p) { return c.Ban[TenKan][static_cast<std::size_t>(RingToKyu[static_cast<std::size_t>(p)])]; };
    bool rotation = false;
    for (int step = 0; step < 8 && !rotation; ++step) {
        rotation = true;
        for (int p = 1; p <= 8; ++p)
            rotation = rotation && heavenAtRing((p - 1 + step) % 8 + 1) == earthAtRing(p);
    }
    EXPECT_TRUE(rotation);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(c.Ban[TenChiKan][static_cast<std::size_t>(i)],
                  10 * c.Ban[TenKan][static_cast<std::size_t>(i)] + c.Ban[ChiKan][static_cast<std::size_t>(i)]);

    EXPECT_EQ(c.Ban[Mon][0], 0);
    EXPECT_TRUE(isPermutation(Mon, 1, 1, 8));
    EXPECT_EQ(c.Ban[Shin][0], 0);
    EXPECT_TRUE(isPermutation(Shin, 1, 1, 8));
    EXPECT_EQ(c.Ban[Shin][static_cast<std::size_t>(RingToKyu[static_cast<std::size_t>(c.JiKanKyu)])], 1);
    if (rotating) {
        EXPECT_EQ(c.Ban[Sei][0], 9);
        EXPECT_TRUE(isPermutation(Sei, 1, 1, 8));
    } else {
        EXPECT_TRUE(isPermutation(Sei, 0, 0, 8));
    }
    EXPECT_TRUE(isPermutation(KyuSeiBan, 0, 0, 8));
    for (int slot = 0; slot < 5; ++slot)
        for (int p = 0; p < 9; ++p)
            EXPECT_EQ(c.kaku(slot, p), 0);
}

} // namespace

namespace {

// Lays every kind in `kinds` by both methods at each moment and checks the
// results; counts, per kind, the charts with a centre flag.
std::array<int, 4> sweep(DayValue start, DayValue step, int steps, std::initializer_list<int> kinds)
{
    std::array<int, 4> flagged{};
    for (int n = 0; n < steps; ++n) {
        const DayValue v = start + n * step;
        const Koyomi k = DateToKyu(JD2YMDTParts(v), KoyomiOptions{});
        for (int kind : kinds) {
            const ChartRecord f = BanCreate(k, kind, Flying, nullptr);
            const ChartRecord r = BanCreate(k, kind, Rotating, nullptr);
            {
                SCOPED_TRACE(JD2YMDT(v) + " kind " + std::to_string(kind));
                expectWellFormed(f, false);
                expectWellFormed(r, true);
                if (f.BanFlagNo == 0) {
                    // Without a centre flag the two methods differ in the stars only.
                    for (BanRow row : {TenKan, ChiKan, Mon, Shin, KyuSeiBan})
                        EXPECT_EQ(f.Ban[row], r.Ban[row]) << "row " << row;
                    EXPECT_EQ(r.BanFlagNo, 0);
                    EXPECT_EQ(f.ChokuFuKyu, r.ChokuFuKyu);
                    EXPECT_EQ(f.ChokuShiKyu, r.ChokuShiKyu);
                    EXPECT_EQ(f.JiKanKyu, r.JiKanKyu);
                    // The duty door lands where the duty palace's door points.
                    EXPECT_EQ(f.Ban[Mon][static_cast<std::size_t>(f.ChokuShiKyu)], f.ChokuFuMoto);
                } else {
                    ++flagged[static_cast<std::size_t>(kind)];
                }
            }
            if (::testing::Test::HasFailure())
                return flagged;
        }
    }
    return flagged;
}

} // namespace

TEST(BanCreateSweep, EveryTwoHoursOverSixYears)
{
    // Both dun, every term and every hour pillar and ju of the day and hour charts.
    const std::array<int, 4> flagged =
        sweep(YMDT2JD(2020, 11, 20, 0, 0, 0), 1.0L / 12, 6 * 365 * 12, {KindYear, KindMonth, KindDay, KindHour});
    // The centre cases were really met.
    EXPECT_GT(flagged[KindMonth], 0);
    EXPECT_GT(flagged[KindDay], 0);
    EXPECT_GT(flagged[KindHour], 0);
}

TEST(BanCreateSweep, YearAndMonthChartsOverTwoCenturies)
{
    const std::array<int, 4> flagged = sweep(YMDT2JD(1900, 1, 5, 12, 0, 0), 10, 73 * 200, {KindYear, KindMonth});
    EXPECT_GT(flagged[KindYear], 0);
    EXPECT_GT(flagged[KindMonth], 0);
}
