#include "evaluation/suusan.h"

#include <string>

#include <gtest/gtest.h>

#include "engine/symbols.h"

namespace velm {
namespace {

// A rotating-plate hour chart laid by hand (no centre star, 五黄 in the centre,
// no patterns). Palace index 0..8 = 中 乾 兌 艮 離 坎 坤 震 巽.
ChartRecord handChart(int kind = KindHour)
{
    ChartRecord chart;
    chart.BanShu = kind;
    BanRows &b = chart.Ban;
    b[TenKan] = {4, 1, 2, 3, 5, 6, 7, 8, 9};
    b[ChiKan] = {4, 9, 8, 7, 6, 5, 3, 2, 1};
    for (std::size_t p = 0; p < 9; ++p)
        b[TenChiKan][p] = static_cast<std::uint8_t>(10 * b[TenKan][p] + b[ChiKan][p]);
    b[Mon] = {0, 8, 7, 2, 5, 1, 6, 3, 4};  // every door at home
    b[Sei] = {9, 1, 2, 3, 4, 5, 6, 7, 8};  // every star at home, none in the centre
    b[Shin] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    b[KyuSeiBan] = {4, 5, 6, 7, 8, 0, 1, 2, 3};
    return chart;
}

// Every value cell holds a number that tells where it came from, so a wrong
// column or row shows in the expected sums. Weights 100, additions 0.
NumberTables codedTables()
{
    NumberTables t;
    for (int e = 1; e <= ElementCount; ++e)
        t.setCell(NumberTable::PerSG, 1, e, "100");
    for (NumberTable table : {NumberTable::KanSG, NumberTable::KanLSG, NumberTable::HmSG, NumberTable::KsSG,
                              NumberTable::HsSG, NumberTable::KyuSG, NumberTable::KakuSG})
        for (int c = 1; c <= shapeOf(table).columns; ++c)
            for (int r = 1; r <= shapeOf(table).rows; ++r)
                t.setCell(table, c, r, std::to_string(1000 * static_cast<int>(table) + 100 * c + r));
    for (NumberTable table : {NumberTable::HmPSG, NumberTable::KsPSG})
        for (int c = 1; c <= shapeOf(table).columns; ++c)
            for (int r = 1; r <= shapeOf(table).rows; ++r)
                t.setCell(table, c, r, "0");
    t.setAnE("0");
    return t;
}

int coded(NumberTable table, int column, int row)
{
    return 1000 * static_cast<int>(table) + 100 * column + row;
}

Koyomi calendar(int latestTerm = 0, int hourPeriod = 0, int season = 3)
{
    Koyomi k;
    k.BanSekki[2] = latestTerm;
    k.BanSekki[3] = hourPeriod;
    k.Kisetsu = season;
    return k;
}

TEST(SuuSan, LooksUpEachElementAtItsCell)
{
    ChartRecord chart = handChart(KindYear);
    chart.Ban[Kaku0][3] = 21;
    chart.Ban[Kaku0 + 1][3] = 35;
    chart.Ban[Kaku0 + 2][3] = 43; // three patterns in 艮
    chart.Ban[Sei][0] = 0;        // 天禽 in the centre
    const NumberTables t = codedTables();
    // The centre's star scores only under the flying-palace method.
    EXPECT_EQ(SuuSan(chart, calendar(), t, LayingMethod::Rotating).SuuBase[4][0], 0);
    SuuScores s = SuuSan(chart, calendar(), t, LayingMethod::Flying);
    EXPECT_TRUE(s.ok());
    for (int p = 0; p < 9; ++p) {
        const auto at = [&](BanRow r) { return chart.Ban[static_cast<std::size_t>(r)][static_cast<std::size_t>(p)]; };
        const int c = p + 1;
        const bool outer = p > 0; // the centre never scores a door, deity or pattern
        EXPECT_EQ(s.SuuBase[0][p], coded(NumberTable::KanSG, c, at(TenKan) + 1)) << p;
        EXPECT_EQ(s.SuuBase[1][p], coded(NumberTable::KanSG, c, at(ChiKan) + 1)) << p;
        EXPECT_EQ(s.SuuBase[2][p], coded(NumberTable::KanLSG, c, at(TenChiKan) + 1)) << p;
        EXPECT_EQ(s.SuuBase[3][p], outer ? coded(NumberTable::HmSG, c, at(Mon)) : 0) << p;
        EXPECT_EQ(s.SuuBase[4][p], coded(NumberTable::KsSG, c, at(Sei) + 1)) << p;
        EXPECT_EQ(s.SuuBase[5][p], outer ? coded(NumberTable::HsSG, c, at(Shin)) : 0) << p;
        EXPECT_EQ(s.SuuBase[6][p], coded(NumberTable::KyuSG, c, at(KyuSeiBan) + 1)) << p;
        const int patterns = coded(NumberTable::KakuSG, 4, 21) + coded(NumberTable::KakuSG, 4, 35)
                             + coded(NumberTable::KakuSG, 4, 43);
        EXPECT_EQ(s.SuuBase[7][p], p == 3 ? patterns : 0) << p;

        // All weights 100 and nothing added: the total is the sum of the plain values.
        double sum = 0;
        for (int e = 0; e < ElementCount; ++e) {
            EXPECT_EQ(s.BanSuu[e][p], s.SuuBase[e][p]);
            sum += s.SuuBase[e][p];
        }
        EXPECT_EQ(s.BanSuu[8][p], sum) << p;
    }
}

TEST(SuuSan, AbsentCellsScoreNothingWhereTheyAre)
{
    ChartRecord chart = handChart(KindYear);
    chart.Ban[TenKan][1] = 0;     // 甲 in 乾
    chart.Ban[Sei][1] = 9;        // no star: star value 9 has no row
    chart.Ban[Kaku0][2] = 12;     // 兌: one known pattern and one without a number
    chart.Ban[Kaku0 + 1][2] = 40;
    chart.Ban[Kaku0][4] = 60;     // 離: a pattern number with no row at all
    chart.Ban[Kaku0][5] = 12;     // 坎: known pattern only
    NumberTables t = codedTables();
    t.setCell(NumberTable::KanSG, 2, 1, "");
    t.setCell(NumberTable::KakuSG, 3, 40, "x");

    SuuScores s = SuuSan(chart, calendar(), t, LayingMethod::Rotating);
    EXPECT_TRUE(s.ok()); // look-up gaps are not faults
    EXPECT_EQ(s.SuuBase[0][1], 0);
    EXPECT_EQ(s.SuuBase[1][1], coded(NumberTable::KanSG, 2, 10)); // 癸 below still scores
    EXPECT_EQ(s.SuuBase[3][1], coded(NumberTable::HmSG, 2, 8));
    EXPECT_EQ(s.SuuBase[4][1], 0);
    EXPECT_EQ(s.SuuBase[7][2], 0); // all the palace's patterns or none
    EXPECT_EQ(s.SuuBase[7][4], 0);
    EXPECT_EQ(s.SuuBase[7][5], coded(NumberTable::KakuSG, 6, 12));
}

TEST(SuuSan, ExtremeCellsOfAHandEditedFileAddUpWithoutOverflow)
{
    // Every cell the largest (then the smallest) int a file can hold, five
    // patterns in one palace: the sums are exact, never wrapped.
    for (const long long extreme : {2147483647LL, -2147483648LL}) {
        NumberTables t;
        for (int table = 0; table < NumberTableCount; ++table) {
            const auto nt = static_cast<NumberTable>(table);
            for (int c = 1; c <= shapeOf(nt).columns; ++c)
                for (int r = 1; r <= shapeOf(nt).rows; ++r)
                    t.setCell(nt, c, r, std::to_string(extreme));
        }
        t.setAnE(std::to_string(extreme));
        ChartRecord chart = handChart();
        for (int slot = 0; slot < 5; ++slot)
            chart.Ban[static_cast<std::size_t>(Kaku0 + slot)][2] = static_cast<std::uint8_t>(1 + slot);
        const SuuScores s = SuuSan(chart, calendar(), t, LayingMethod::Rotating);
        EXPECT_EQ(s.SuuBase[7][2], 5 * extreme);
        EXPECT_EQ(s.BanSuu[7][2], static_cast<double>(5 * extreme) * static_cast<double>(extreme) / 100);
        EXPECT_GT(s.BanSuu[8][2], 0) << extreme; // every value times a weight of its own sign
    }
}

TEST(SuuSan, WeightsScaleRemoveAndInvertElements)
{
    ChartRecord chart = handChart(KindYear);
    NumberTables t = codedTables();
    t.setCell(NumberTable::PerSG, 1, 1, "0");    // 天盤 removed
    t.setCell(NumberTable::PerSG, 1, 4, "-100"); // 八門 inverted
    t.setCell(NumberTable::PerSG, 1, 7, "50");   // 紫白 halved, unrounded
    t.setCell(NumberTable::KyuSG, 2, 6, "3");    // 乾 holds 六白 (value 5)

    SuuScores s = SuuSan(chart, calendar(), t, LayingMethod::Rotating);
    EXPECT_TRUE(s.ok());
    for (int p = 0; p < 9; ++p) {
        EXPECT_EQ(s.BanSuu[0][p], 0.0);
        EXPECT_EQ(s.BanSuu[3][p], -s.SuuBase[3][p]);
        EXPECT_EQ(s.BanSuu[6][p], s.SuuBase[6][p] * 50 / 100.0);
    }
    EXPECT_EQ(s.BanSuu[6][1], 1.5);
}

TEST(SuuSan, AnKenFallsOppositeAnOuterGoOu)
{
    NumberTables t = codedTables();
    t.setAnE("-7");
    t.setCell(NumberTable::PerSG, 1, 7, "50"); // added before weighting

    // 五黄 in the centre: no palace gets it.
    ChartRecord centred = handChart(KindYear);
    SuuScores none = SuuSan(centred, calendar(), t, LayingMethod::Rotating);
    for (int p = 0; p < 9; ++p)
        EXPECT_EQ(none.BanSuu[6][p], none.SuuBase[6][p] * 0.5) << p;

    // 五黄 in 艮 (index 3): 暗剣 in 坤 (index 6).
    ChartRecord chart = handChart(KindYear);
    chart.Ban[KyuSeiBan] = {3, 5, 6, 4, 8, 0, 1, 2, 7};
    SuuScores s = SuuSan(chart, calendar(), t, LayingMethod::Rotating);
    EXPECT_TRUE(s.ok());
    for (int p = 0; p < 9; ++p) {
        const double added = p == 6 ? -7 : 0;
        EXPECT_EQ(s.BanSuu[6][p], (s.SuuBase[6][p] + added) * 0.5) << p;
    }
}

TEST(SuuSan, SeasonalDoorAdditionGoesToTheRulingDoor)
{
    // Period k = term / 3 is ruled by door k + 1; the door's HmPSG column 1
    // value is added where that door stands. Door d stands in palace index d,
    // so neither door k nor palace index k can pass for it.
    NumberTables t = codedTables();
    for (int door = 1; door <= 8; ++door)
        t.setCell(NumberTable::HmPSG, 1, door, std::to_string(10 * door));
    ChartRecord chart = handChart(KindDay);
    chart.Ban[Mon] = {0, 1, 2, 3, 4, 5, 6, 7, 8}; // door d in palace index d

    struct Row {
        int term;
        int door;
    };
    // 冬至 小寒 大寒 -> 休; 立春 -> 生; 春分 -> 傷; 立冬 大雪 -> 開.
    for (const Row &row : {Row{0, 1}, Row{2, 1}, Row{3, 2}, Row{6, 3}, Row{21, 8}, Row{23, 8}}) {
        for (int kind : {KindDay, KindHour}) {
            chart.BanShu = kind;
            const Koyomi k = kind == KindDay ? calendar(row.term, 99) : calendar(99, row.term);
            SuuScores s = SuuSan(chart, k, t, LayingMethod::Rotating);
            EXPECT_TRUE(s.ok());
            for (int p = 1; p <= 8; ++p) {
                const int added = p == row.door ? 10 * row.door : 0;
                EXPECT_EQ(s.BanSuu[3][p], s.SuuBase[3][p] + added) << row.term << ' ' << kind << ' ' << p;
            }
        }
    }
    // Year and month charts get no door addition.
    for (int kind : {KindYear, KindMonth}) {
        chart.BanShu = kind;
        SuuScores s = SuuSan(chart, calendar(0, 0), t, LayingMethod::Rotating);
        for (int p = 1; p <= 8; ++p)
            EXPECT_EQ(s.BanSuu[3][p], s.SuuBase[3][p]);
    }
}

TEST(SuuSan, SeasonalStarAdditionOnlyWithACentreStar)
{
    NumberTables t = codedTables();
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 9; ++r)
            t.setCell(NumberTable::KsPSG, c, r, std::to_string(10 * c + r));
    t.setCell(NumberTable::KsPSG, 1, 5, ""); // 英 in summer: absent

    // Rotating-plate chart: no centre star, no addition anywhere.
    ChartRecord rotating = handChart(KindHour);
    SuuScores none = SuuSan(rotating, calendar(0, 0, 1), t, LayingMethod::Rotating);
    for (int p = 0; p < 9; ++p)
        EXPECT_EQ(none.BanSuu[4][p], none.SuuBase[4][p]);

    // Flying-palace chart: 天禽 in the centre, every star at home.
    ChartRecord flying = handChart(KindHour);
    flying.Ban[Sei] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    const int summer = 1;
    SuuScores s = SuuSan(flying, calendar(0, 0, summer), t, LayingMethod::Flying);
    EXPECT_TRUE(s.ok());
    // Summer (fire): 禽 任 芮 earth 3, 心 柱 metal 5, 英 fire 1 (absent here), 蓬 water 4, 冲 輔 wood 2.
    const int column[9] = {3, 5, 5, 3, 1, 4, 3, 2, 2};
    for (int p = 0; p < 9; ++p) {
        const int added = p == 4 ? 0 : 10 * column[p] + p + 1; // the absent cell costs 英 only
        EXPECT_EQ(s.BanSuu[4][p], s.SuuBase[4][p] + added) << p;
    }
}

TEST(SuuSan, NonIntegerWeightAdditionAndAnKenAreReportedNotThrown)
{
    NumberTables t = codedTables();
    t.setCell(NumberTable::PerSG, 1, 3, "abc"); // 天地盤
    t.setCell(NumberTable::HmPSG, 1, 2, "");    // 生, ruling 立春..啓蟄
    t.setAnE("1.5");
    t.setCell(NumberTable::PerSG, 1, 1, "50");

    ChartRecord chart = handChart(KindDay);
    chart.Ban[KyuSeiBan] = {3, 5, 6, 4, 8, 0, 1, 2, 7}; // 五黄 in 艮
    SuuScores s = SuuSan(chart, calendar(4), t, LayingMethod::Rotating);

    ASSERT_EQ(s.faults().size(), 3u);
    EXPECT_EQ(s.faults()[0].kind, SuuSanFault::Kind::AnKen);
    EXPECT_EQ(s.faults()[1].kind, SuuSanFault::Kind::DoorSeason);
    EXPECT_EQ(s.faults()[1].row, 2);
    EXPECT_EQ(s.faults()[2].kind, SuuSanFault::Kind::Percent);
    EXPECT_EQ(s.faults()[2].row, 3);
    EXPECT_EQ(suuSanMessage(s.faults()[0], t), "「暗剣による数値」の[1.5]は整数ではありません。加算しませんでした。");
    EXPECT_EQ(suuSanMessage(s.faults()[1], t), "「八門の相旺による加算」の「生門＼相」[]は整数ではありません。加算しませんでした。");
    EXPECT_EQ(suuSanMessage(s.faults()[2], t),
              "「各要素の加算比率(%)」の「天地盤」[abc]は整数ではありません。この要素は100%で計算しました。");

    // Scored with what there is: the faulty weight leaves its element as it
    // is, the other weights apply, nothing is added, and totals are complete.
    for (int p = 0; p < 9; ++p) {
        EXPECT_EQ(s.BanSuu[0][p], s.SuuBase[0][p] * 0.5);
        EXPECT_EQ(s.BanSuu[2][p], s.SuuBase[2][p]);
        EXPECT_EQ(s.BanSuu[3][p], s.SuuBase[3][p]);
        EXPECT_EQ(s.BanSuu[6][p], s.SuuBase[6][p]);
        double sum = 0;
        for (int e = 0; e < ElementCount; ++e)
            sum += s.BanSuu[e][p];
        EXPECT_EQ(s.BanSuu[8][p], sum);
    }

    // The same tables on a year chart with 五黄 in the centre need neither the
    // door addition nor 暗剣: only the weight is reported.
    SuuScores year = SuuSan(handChart(KindYear), calendar(4), t, LayingMethod::Rotating);
    ASSERT_EQ(year.faults().size(), 1u);
    EXPECT_EQ(year.faults()[0].kind, SuuSanFault::Kind::Percent);

    // What a missing numbers file leaves (no values, 暗剣 "0"): all zero, every
    // weight and the hour chart's door addition reported.
    SuuScores empty = SuuSan(handChart(KindHour), calendar(), NumberTables(), LayingMethod::Rotating);
    EXPECT_EQ(empty.faults().size(), static_cast<std::size_t>(ElementCount + 1));
    for (const auto &row : empty.BanSuu)
        for (double v : row)
            EXPECT_EQ(v, 0.0);
}

} // namespace
} // namespace velm
