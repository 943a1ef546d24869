#include "evaluation/sencheck.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "engine/datetime.h"

namespace velm {
namespace {

const ConstData &names()
{
    static const ConstData data = MakeConstData();
    return data;
}

// A matter from conditions written as the editor takes them, group by group.
Matter matterOf(const std::vector<std::vector<ConditionInput>> &groups, int firstGroup = 0)
{
    Matter m;
    m.name = "テスト";
    for (std::size_t g = 0; g < groups.size(); ++g)
        for (const ConditionInput &c : groups[g])
            EXPECT_TRUE(addCondition(m, firstGroup + static_cast<int>(g), c, names()).ok);
    return m;
}

ConditionInput total(const char *atLeast) { return {ElemSuuchi, 1, 0, atLeast}; }
ConditionInput door(int d, int op = 0) { return {ElemMon, op, d, "0"}; }
ConditionInput pattern(int k, int op = 0) { return {ElemKaku, op, k, "0"}; }

SenResult check(const Matter &m, int direction, const BanRows &ban, const SuuScores &s)
{
    const SenMatter compiled = compileMatter(m);
    EXPECT_TRUE(compiled.usable());
    return SenCheck(compiled, direction, ban, s);
}

// Totals of 10 in palaces 2 and 5 only; the door 休 (1) in palace 2.
struct Fixture {
    BanRows ban{};
    SuuScores scores{};
    Fixture()
    {
        scores.BanSuu[8][2] = 10;
        scores.BanSuu[8][5] = 10;
        ban[Mon][2] = 1;
    }
};

TEST(SenCheck, FirstConditionFixesTheDirectionOfItsGroup)
{
    Fixture f;
    const Matter m = matterOf({{total("10"), door(1)}});
    // The total holds in 2 and 5; the highest, 5, is fixed, and 休 is in 2.
    EXPECT_FALSE(check(m, AllDirections, f.ban, f.scores).matched);
    f.ban[Mon][2] = 0;
    f.ban[Mon][5] = 1;
    EXPECT_EQ(check(m, AllDirections, f.ban, f.scores).direction, 5);

    // A chosen direction tests that palace only and always reports 9.
    const SenResult chosen = check(m, 5, f.ban, f.scores);
    EXPECT_TRUE(chosen.matched);
    EXPECT_EQ(chosen.direction, NoDirection);
    EXPECT_FALSE(check(m, 2, f.ban, f.scores).matched);

    // Putting the door first fixes its palace, whatever the totals elsewhere.
    f.ban[Mon][5] = 0;
    f.ban[Mon][2] = 1;
    EXPECT_EQ(check(matterOf({{door(1), total("10")}}), AllDirections, f.ban, f.scores).direction, 2);
}

TEST(SenCheck, LastMatchingGroupReportsItsDirection)
{
    Fixture f;
    f.ban[Mon][6] = 8; // 開 in 坤
    Matter m = matterOf({{door(1)}, {door(8)}});
    EXPECT_EQ(check(m, AllDirections, f.ban, f.scores).direction, 6);
    f.ban[Mon][6] = 0;
    EXPECT_EQ(check(m, AllDirections, f.ban, f.scores).direction, 2);

    // Groups need not be adjacent; an unused group in between changes nothing.
    f.ban[Mon][6] = 8;
    m = matterOf({{door(8)}}, 9);
    addCondition(m, 0, door(1), names());
    EXPECT_EQ(check(m, AllDirections, f.ban, f.scores).direction, 6);
}

TEST(SenCheck, OnlyGroupsWithAFirstConditionAreUsed)
{
    Fixture f;
    Matter m = matterOf({{door(3), door(1)}});
    deleteCondition(m, 0, 0);
    EXPECT_TRUE(check(m, AllDirections, f.ban, f.scores).matched);

    // Move the condition to row 2 by hand: row 1 empty, the group is dead.
    Matter dead;
    for (int c = 0; c < 3; ++c) {
        dead.text(0, c, 1) = m.text(0, c, 0);
        dead.code(0, c, 1) = m.code(0, c, 0);
    }
    EXPECT_FALSE(check(dead, AllDirections, f.ban, f.scores).matched);
    EXPECT_EQ(compileMatter(dead).groupCount, 0);

    // An empty row inside a used group holds.
    Matter gap = matterOf({{door(1), total("10")}});
    for (int c = 0; c < 3; ++c) {
        gap.text(0, c, 3) = gap.text(0, c, 1);
        gap.code(0, c, 3) = gap.code(0, c, 1);
        gap.text(0, c, 1).clear();
    }
    EXPECT_TRUE(check(gap, AllDirections, f.ban, f.scores).matched);
}

TEST(SenCheck, HosCheckComparesTheTargetAsEachRowCountsIt)
{
    struct Case {
        int kind;
        int chartValue; // in palace 4
        int target;     // the editor's target code that means it
    };
    // Doors and deities count from 1 in chart and list alike; the others
    // count from 0 in the chart and from 1 in the list.
    const Case cases[] = {
        {ElemTenBan, 2, 3},     // 丙
        {ElemChiBan, 0, 1},     // 甲 (the hidden xun head)
        {ElemTenChiKan, 45, 46}, // 戊己
        {ElemMon, 8, 8},        // 開門
        {ElemSei, 1, 2},        // 天心
        {ElemShin, 4, 4},       // 六合
        {ElemShiHaku, 5, 6},    // 六白
    };
    for (const Case &c : cases) {
        BanRows ban{};
        for (auto &row : ban)
            row.fill(99);
        ban[static_cast<std::size_t>(c.kind - 1)][4] = static_cast<std::uint8_t>(c.chartValue);
        EXPECT_TRUE(HosCheck(NoDirection, 4, c.kind, c.target, 0, ban).pass) << c.kind;
        EXPECT_FALSE(HosCheck(NoDirection, 4, c.kind, c.target + 1, 0, ban).pass) << c.kind;
        EXPECT_FALSE(HosCheck(NoDirection, 4, c.kind, c.target, 1, ban).pass) << c.kind;
        SuuScores none{};
        const Matter m = matterOf({{ConditionInput{c.kind, 0, c.target, "0"}}});
        EXPECT_EQ(check(m, AllDirections, ban, none).direction, 4) << c.kind;
    }
}

TEST(SenCheck, PatternsAndTheCentre)
{
    BanRows ban{};
    SuuScores none{};
    ban[Kaku0][3] = 43;     // 伏吟 in 艮
    ban[Kaku0 + 1][3] = 21; // 伏宮格 in 艮
    ban[Kaku0][0] = 44;     // the centre is never examined
    ban[Mon][0] = 5;
    EXPECT_EQ(check(matterOf({{pattern(21)}}), AllDirections, ban, none).direction, 3);
    EXPECT_FALSE(check(matterOf({{pattern(44)}}), AllDirections, ban, none).matched);
    EXPECT_FALSE(check(matterOf({{door(5)}}), AllDirections, ban, none).matched);
    // "<>" needs some other pattern: 艮 has one, the palaces without any never pass.
    EXPECT_EQ(check(matterOf({{pattern(43, 1)}}), AllDirections, ban, none).direction, 3);
    EXPECT_FALSE(check(matterOf({{pattern(43, 1)}}), 4, ban, none).matched);
    EXPECT_FALSE(KakCheck(NoDirection, 8, 43, 1, ban).pass);
}

TEST(SenCheck, ExcludedPalacesAreNeverExamined)
{
    // 生門 in 艮 (3) and 坤 (6); a second row asks for 伏吟, found in 艮 only.
    BanRows ban{};
    SuuScores none{};
    ban[Mon][3] = 2;
    ban[Mon][6] = 2;
    ban[Kaku0][3] = 43;
    const Matter both = matterOf({{door(2), pattern(43)}});
    // Unexcluded, the highest palace with the door (坤) fixes the direction and fails.
    EXPECT_FALSE(check(both, AllDirections, ban, none).matched);
    // With 坤 left out, 艮 fixes it and holds; with 艮 out too nothing does.
    const SenMatter compiled = compileMatter(both);
    EXPECT_EQ(SenCheck(compiled, AllDirections, ban, none, 1u << 6).direction, 3);
    EXPECT_FALSE(SenCheck(compiled, AllDirections, ban, none, 1u << 6 | 1u << 3).matched);
    // A chosen direction that is excluded never passes.
    EXPECT_TRUE(SenCheck(compiled, 3, ban, none).matched);
    EXPECT_FALSE(SenCheck(compiled, 3, ban, none, 1u << 3).matched);
}

TEST(SenCheck, NumberConditionsReadPlainNumbersOrTheTotal)
{
    BanRows ban{};
    SuuScores s{};
    s.SuuBase[3][7] = 10; // 八門 before weighting
    s.BanSuu[3][7] = 0;   // weighted away
    s.BanSuu[8][1] = 12.5;
    EXPECT_EQ(check(matterOf({{ConditionInput{ElemMon, 0, 0, "10"}}}), AllDirections, ban, s).direction, 7);
    EXPECT_FALSE(check(matterOf({{ConditionInput{ElemMon, 0, 0, "11"}}}), AllDirections, ban, s).matched);
    EXPECT_EQ(check(matterOf({{total("12.5")}}), AllDirections, ban, s).direction, 1);
    EXPECT_FALSE(check(matterOf({{total("12.6")}}), AllDirections, ban, s).matched);
    // Negative thresholds pass everywhere, so the highest palace is fixed.
    EXPECT_EQ(check(matterOf({{total("-1")}}), AllDirections, ban, s).direction, 8);
}

TEST(SenCheck, UnreadableCodesMakeTheMatterFailLoudly)
{
    Fixture f;
    Matter m = matterOf({{door(1)}, {total("10")}});
    m.text(1, CellTarget, 0) = "十";   // hand-edited threshold
    m.code(0, CellOperator, 0) = "";  // and a lost code
    const SenMatter compiled = compileMatter(m);
    ASSERT_EQ(compiled.faults.size(), 2u);
    EXPECT_NE(compiled.faults[0].find("占事「テスト」の条件1の1行目"), std::string::npos) << compiled.faults[0];
    EXPECT_NE(compiled.faults[1].find("「十」"), std::string::npos) << compiled.faults[1];
    EXPECT_FALSE(SenCheck(compiled, AllDirections, f.ban, f.scores).matched);

    // A full-width threshold is a number; faults in an unused group do not count.
    m = matterOf({{total("１０")}});
    m.code(5, CellElement, 1) = "x";
    const SenMatter lenient = compileMatter(m);
    EXPECT_TRUE(lenient.usable());
    EXPECT_EQ(SenCheck(lenient, AllDirections, f.ban, f.scores).direction, 5);

    // Codes no condition can have (a hand-edited file) refuse the matter,
    // the most negative int included, which must not overflow on the way.
    struct Bad {
        int cell;
        const char *code;
    };
    for (const Bad &bad : {Bad{CellElement, "12"}, Bad{CellElement, "-1"}, Bad{CellTarget, "9"},
                           Bad{CellTarget, "-2147483648"}}) {
        m = matterOf({{total("10")}, {door(1)}});
        m.code(1, bad.cell, 0) = bad.code;
        const SenMatter refused = compileMatter(m);
        ASSERT_EQ(refused.faults.size(), 1u) << bad.code;
        EXPECT_NE(refused.faults[0].find("条件2の1行目"), std::string::npos) << refused.faults[0];
        EXPECT_NE(refused.faults[0].find(std::string("「") + bad.code + "」は、ありえない番号です"), std::string::npos)
            << refused.faults[0];
        EXPECT_FALSE(SenCheck(refused, AllDirections, f.ban, f.scores).matched);
    }
    EXPECT_FALSE(HosCheck(NoDirection, AllDirections, ElemTenBan, -2147483647 - 1, 0, f.ban).pass);
}

// ---- Against real charts --------------------------------------------------

// The evaluation exactly as the search describes it, loop for loop over the
// text and code tables, converting as it goes; a failed conversion fails the
// moment. SenCheck takes shortcuts (groups from the last, palaces from the
// top, stopping early) that must not change any answer.
SenResult literalSenCheck(const Matter &m, int houi, const BanRows &cur, const SuuScores &s)
{
    const auto num = [](const std::string &t) {
        std::optional<int> v = parseCell(t);
        if (!v)
            throw std::runtime_error(t);
        return *v;
    };
    try {
        std::array<int, 10> saved{};
        int reported = 9;
        bool any = false;
        for (int i = 0; i < 10; ++i) {
            int found = 9;
            if (m.text(i, 0, 0).empty())
                continue;
            bool all = true;
            for (int r = 0; r < 5; ++r) {
                if (m.text(i, 0, r).empty())
                    continue;
                const int kind = num(m.code(i, 0, r));
                const int op = num(m.code(i, 1, r));
                const int v = num(m.code(i, 2, r));
                double x = 0;
                if (v == 0 || kind == 0) {
                    const std::optional<double> t = parseThreshold(m.text(i, 2, r));
                    if (!t)
                        throw std::runtime_error("x");
                    x = *t;
                }
                const auto passes = [&](int p) {
                    if (kind == 0)
                        return s.BanSuu[8][p] >= x;
                    if (v == 0)
                        return kind <= 8 && s.SuuBase[kind - 1][p] >= x;
                    if (kind == 8) {
                        for (int k = 0; k < 5; ++k) {
                            const int slot = cur[7 + k][p];
                            if (slot != 0 && (op == 0 ? slot == v : slot != v))
                                return true;
                        }
                        return false;
                    }
                    if (kind < 1 || kind > 7)
                        return false;
                    const int want = (kind == 4 || kind == 6) ? v : v - 1;
                    return op == 0 ? cur[kind - 1][p] == want : cur[kind - 1][p] != want;
                };
                const int d = found < 9 ? found : houi;
                bool ok = false;
                if (d == 0) {
                    for (int p = 1; p <= 8; ++p)
                        if (passes(p)) {
                            found = p;
                            ok = true;
                        }
                } else {
                    ok = passes(d);
                }
                if (ok)
                    saved[i] = found;
                else
                    all = false;
            }
            if (all) {
                any = true;
                reported = saved[i];
            }
        }
        return {any, static_cast<std::uint8_t>(any ? reported : 9)};
    } catch (const std::runtime_error &) {
        return {};
    }
}

TEST(SenCheckDefaults, EveryDefaultMatterFindsMomentsInAYearOfHourCharts)
{
    const MattersFile file = readMattersFile(std::string(VELM_DATA_DIR) + "/Senji.Dat");
    ASSERT_TRUE(file.ok()) << file.error;
    const NumbersFile numbers = readNumbersFile(std::string(VELM_DATA_DIR) + "/SuuFile.Dat");
    ASSERT_TRUE(numbers.ok()) << numbers.error;

    std::vector<Matter> matters;
    std::vector<SenMatter> compiled;
    for (const MatterRecord &rec : file.records) {
        matters.push_back(rec.matter());
        compiled.push_back(compileMatter(matters.back()));
        ASSERT_TRUE(compiled.back().usable()) << rec.name;
    }
    std::vector<int> hits(matters.size(), 0);
    const long firstDay = dayNumberFromCivil(2024, 1, 1);
    for (int k = 0; k < 4392; ++k) { // 366 days of two-hour steps
        CivilTime moment = civilFromDayNumber(firstDay + k / 12);
        moment.hour = 2 * (k % 12);
        const Koyomi koyomi = DateToKyu(moment, KoyomiOptions{});
        const ChartRecord chart = BanCreate(koyomi, KindHour, LayingMethod::Rotating, &standardPatternDetector());
        const SuuScores scores = SuuSan(chart, koyomi, numbers.tables, LayingMethod::Rotating);
        for (std::size_t i = 0; i < matters.size(); ++i) {
            const SenResult all = SenCheck(compiled[i], AllDirections, chart.Ban, scores);
            hits[i] += all.matched;
            // Shortcuts agree with the literal reading, all directions and one.
            const int one = k % 8 + 1;
            const SenResult lit = literalSenCheck(matters[i], AllDirections, chart.Ban, scores);
            const SenResult litOne = literalSenCheck(matters[i], one, chart.Ban, scores);
            const SenResult fast = SenCheck(compiled[i], one, chart.Ban, scores);
            ASSERT_EQ(all.matched, lit.matched) << matters[i].name << " " << k;
            ASSERT_EQ(all.direction, lit.direction) << matters[i].name << " " << k;
            ASSERT_EQ(fast.matched, litOne.matched) << matters[i].name << " " << k;
            ASSERT_EQ(fast.direction, litOne.direction) << matters[i].name << " " << k;
        }
    }
    for (std::size_t i = 0; i < matters.size(); ++i) {
        EXPECT_GT(hits[i], 0) << matters[i].name;
        // A useful matter picks moments, it does not take every one.
        EXPECT_LT(hits[i], 4392 * 9 / 10) << matters[i].name;
    }
}

} // namespace
} // namespace velm
