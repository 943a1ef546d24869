// The nine-star directions of a person, against examples worked by hand
// from the Lo Shu flight (一白 in the centre puts 二黒 北西, 三碧 西, 四緑 北東,
// 五黄 南, 六白 北, 七赤 南西, 八白 東, 九紫 南東: the year 2026, whose almanacs
// give 五黄殺 南, 暗剣殺 北 and, a 午 year, 歳破 北).

#include "evaluation/ninestar.h"

#include <gtest/gtest.h>

#include "engine/symbols.h"

namespace velm {
namespace {

std::array<std::uint8_t, 9> flown(int centre)
{
    std::array<std::uint8_t, 9> stars{};
    for (int p = 0; p < 9; ++p)
        stars[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(flyingNineStar(centre, p));
    return stars;
}

std::uint8_t reasons(std::initializer_list<int> list)
{
    std::uint8_t b = 0;
    for (int r : list)
        b = static_cast<std::uint8_t>(b | 1u << r);
    return b;
}

std::uint16_t palaces(std::initializer_list<int> list)
{
    std::uint16_t b = 0;
    for (int p : list)
        b = static_cast<std::uint16_t>(b | 1u << p);
    return b;
}

constexpr int NW = 1, W = 2, NE = 3, S = 4, N = 5, SE = 8, E = 7;

TEST(NineStar, WorkedExamples)
{
    struct Case {
        const char *what;
        int centre, branch, honmei;
        std::vector<std::pair<int, std::uint8_t>> bad; // palace, reasons
        std::uint16_t good;
    } cases[] = {
        {"2026 for 六白: its star in 北 with 暗剣殺 and 歳破", 0, 6, 5,
         {{S, reasons({BadGoou, BadHonmeiTeki})}, {N, reasons({BadAnken, BadHonmei, BadHa})}},
         palaces({NW, 6, E})},
        {"五黄 in the centre (a 卯 year) for 一白: no 五黄殺 or 暗剣殺", 4, 3, 0,
         {{N, reasons({BadHonmei})}, {S, reasons({BadHonmeiTeki})}, {W, reasons({BadHa})}},
         palaces({NW, E, SE})},
        {"九紫 in the centre for 九紫: no 本命殺 or 本命的殺", 8, 0, 8,
         {{N, reasons({BadGoou})}, {S, reasons({BadAnken, BadHa})}},
         palaces({NE, W, SE})},
    };
    for (const Case &c : cases) {
        const PalaceVerdict v = judgePalaces(flown(c.centre), c.branch, c.honmei);
        std::uint16_t bad = 0;
        for (const auto &[palace, why] : c.bad) {
            EXPECT_EQ(v.reasons[static_cast<std::size_t>(palace)], why) << c.what << " " << DirectionName[palace];
            bad = static_cast<std::uint16_t>(bad | 1u << palace);
        }
        EXPECT_EQ(v.bad, bad) << c.what;
        EXPECT_EQ(v.good, c.good) << c.what;
    }
    EXPECT_EQ(badReasonName(BadHa, KindMonth), "月破");
    EXPECT_EQ(badReasonName(BadHonmeiTeki, KindHour), "本命的殺");
}

// What the walks leave out is what each person's verdict says, together.
TEST(NineStar, ExclusionIsTheUnionOfThePeoplesBadPalaces)
{
    const PeopleExclusion none = PeopleExclusion::of({}, true);
    EXPECT_FALSE(none.active());
    EXPECT_EQ(none.badOn(0, 6), 0);
    const PeopleExclusion family = PeopleExclusion::of({5, 0, 2, 5}, false);
    for (int centre = 0; centre < 9; ++centre)
        for (int branch = 0; branch < 12; ++branch) {
            std::uint16_t expected = 0;
            for (int honmei : {5, 0, 2})
                expected |= judgePalaces(flown(centre), branch, honmei).bad;
            EXPECT_EQ(family.badOn(centre, branch), expected) << centre << " " << branch;
            EXPECT_EQ(family.badOn(centre, branch) & 1, 0);
        }
    Koyomi k;
    k.BanKyuSei = {0, 4, 1, 2};
    k.BanShi = {6, 3, 0, 0};
    EXPECT_EQ(family.yearMonth(k), 0); // not asked for
    const PeopleExclusion moving = PeopleExclusion::of({5}, true);
    EXPECT_EQ(moving.yearMonth(k), moving.badOn(0, 6) | moving.badOn(4, 3));
}

} // namespace
} // namespace velm
