// Chart texts as the chart window draws and copies them.

#include <gtest/gtest.h>

#include "engine/codec.h"
#include "engine/koyomi.h"
#include "evaluation/patterns.h"
#include "output/charttext.h"

using namespace velm;

namespace {

struct Example {
    Koyomi koyomi;
    ChartRecord chart;
};

// The hour chart of 2024-03-01 12:00 (庚午, yang ju 1).
Example example(LayingMethod method)
{
    Example e;
    e.koyomi = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{}, false);
    e.chart = BanCreate(e.koyomi, KindHour, method, &standardPatternDetector());
    return e;
}

int palaceOfNumber(int number)
{
    return (number + 4) % 9;
}

} // namespace

TEST(ChartText, PalaceSlicesAreEightBytesEach)
{
    Example e = example(LayingMethod::Flying);
    ConstData names = MakeConstData();
    for (int p = 0; p < 9; ++p) {
        PalaceText text = palaceText(e.chart.Ban, p, names);
        for (const std::string &slice : text)
            EXPECT_EQ(cp932Width(slice), 8) << p << ": [" << slice << "]";
    }
    // Palace 1 (坎): heaven 丁, star 任, nine-star 三碧; earth 甲, door 傷, deity 地.
    PalaceText kan = palaceText(e.chart.Ban, palaceOfNumber(1), names);
    EXPECT_EQ(kan[0], "丁 任 三");
    EXPECT_EQ(kan[1], "甲 傷 地");
    // Palace 5 (centre): no door, no deity.
    PalaceText centre = palaceText(e.chart.Ban, 0, names);
    EXPECT_EQ(centre[1], "壬 　 　");
}

TEST(ChartText, PatternSlotsAndHints)
{
    ConstData names = MakeConstData();
    BanRows ban{};
    ban[Sei][1] = 9;
    PalaceText none = palaceText(ban, 1, names);
    EXPECT_EQ(none[2], "　　　　");
    EXPECT_EQ(none[4], "　　　　");
    EXPECT_EQ(palaceHint(none), "ｸﾘｯｸすると日付ﾃﾞｰﾀが変更されます");

    ban[Kaku0][1] = 21; // one pattern shows on the fifth line
    PalaceText one = palaceText(ban, 1, names);
    EXPECT_EQ(one[4], " 伏宮格 ");
    EXPECT_EQ(one[2], "　　　　");
    EXPECT_EQ(one[3], "　　　　");

    for (int slot = 0; slot < 5; ++slot)
        ban[static_cast<std::size_t>(Kaku0 + slot)][1] = static_cast<std::uint8_t>(1 + slot);
    PalaceText five = palaceText(ban, 1, names);
    EXPECT_EQ(five[2], "　天遁　"); // slot 2
    EXPECT_EQ(five[3], "飛鳥跌穴"); // slot 1
    EXPECT_EQ(five[4], "靑龍返首"); // slot 0
    EXPECT_EQ(palaceHint(five), "　地遁　\n\r　人遁　");

    ban[Kaku0 + 3][1] = 0;
    EXPECT_EQ(palaceHint(palaceText(ban, 1, names)), "　人遁　");
    // The special-character patterns are cut to eight bytes.
    ban[Kaku0][1] = 27;
    EXPECT_EQ(palaceText(ban, 1, names)[4], "ｴｲ入太白");
}

TEST(ChartText, LabelsAndTitle)
{
    Example e = example(LayingMethod::Flying);
    ConstData names = MakeConstData();
    ChartLabels labels = chartLabels(e.chart, e.koyomi, names);
    EXPECT_EQ(labels.KyokuL, "陽１局");
    EXPECT_EQ(labels.JunL, "旬首[戊]");
    EXPECT_EQ(labels.Label7, " [庚午]");
    EXPECT_EQ(labels.TyuL, "五不遇時");
    EXPECT_EQ(chartTitle(KindHour, CivilTime{2026, 12, 6, 13, 0, 0}), "時盤:26/12/06 13時");
    EXPECT_EQ(chartTitle(KindDay, CivilTime{2026, 12, 6, 13, 0, 0}), "日盤:2026/12/06");
}

TEST(ChartText, CopyFormats)
{
    Example e = example(LayingMethod::Rotating);
    ConstData names = MakeConstData();
    std::array<PalaceText, 9> palaces;
    for (int p = 0; p < 9; ++p)
        palaces[static_cast<std::size_t>(p)] = palaceText(e.chart.Ban, p, names);
    auto lines = chartCopyLines("時盤:24/03/01 12時", chartLabels(e.chart, e.koyomi, names), palaces);
    ASSERT_EQ(lines.size(), 2u + 1 + 15 + 2 + 1);
    EXPECT_EQ(lines[0], "時盤:24/03/01 12時 [庚午]");
    EXPECT_EQ(lines[1], "陽１局 旬首[戊] 五不遇時");
    EXPECT_EQ(lines[2], "┌────┬────┬────┐");
    EXPECT_EQ(lines[8], "├────┼────┼────┤");
    EXPECT_EQ(lines.back(), "└────┴────┴────┘");
    // Top row is 巽 離 坤; the first line of each cell is heaven, star, nine-star.
    EXPECT_EQ(lines[3], "│" + palaces[8][0] + "│" + palaces[4][0] + "│" + palaces[6][0] + "│");
    // 活盤式: the centre shows no star.
    EXPECT_EQ(palaces[0][0], "壬 　 七");

    auto one = palaceCopyLines("時盤:24/03/01 12時", 2, palaces[2]);
    ASSERT_EQ(one.size(), 9u);
    EXPECT_EQ(one[1], "兌宮(西)");
    EXPECT_EQ(one[2], "┌────┐");
    EXPECT_EQ(one[8], "└────┘");
}

TEST(ChartText, GridPositions)
{
    for (int p = 0; p < 9; ++p)
        EXPECT_EQ(palaceAt(PalaceColumn[static_cast<std::size_t>(p)], PalaceRow[static_cast<std::size_t>(p)]), p);
    EXPECT_EQ(palaceAt(3, 0), -1);
}
