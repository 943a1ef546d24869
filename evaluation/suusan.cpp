#include "evaluation/suusan.h"

#include <cassert>

#include "engine/symbols.h"

namespace velm {

namespace {

// Five elements in generating order: wood, fire, earth, metal, water.
enum Phase : int { Wood = 0, Fire, Earth, Metal, Water };

// Star value 0..8: 禽 心 柱 任 英 蓬 芮 冲 輔.
constexpr std::array<int, 9> StarPhase{Earth, Metal, Metal, Earth, Fire, Water, Earth, Wood, Wood};
// Kisetsu 0..4: 春月 夏月 秋月 冬月 土用.
constexpr std::array<int, 5> SeasonPhase{Wood, Fire, Metal, Water, Earth};

// KsPSG column by star (rows) and season (columns), as the practitioners'
// table has it.
constexpr std::array<std::array<int, 5>, 9> StarSeasonColumn{{
    {5, 3, 2, 4, 1}, // 禽
    {4, 5, 1, 2, 3}, // 心
    {4, 5, 1, 2, 3}, // 柱
    {5, 3, 2, 4, 1}, // 任
    {3, 1, 4, 5, 2}, // 英
    {2, 4, 3, 1, 5}, // 蓬
    {5, 3, 2, 4, 1}, // 芮
    {1, 2, 5, 3, 4}, // 冲
    {1, 2, 5, 3, 4}, // 輔
}};

// The same table from the five-element reading: column 1 when the star is in
// its own season, 2 when it generates the season, 3 when the season
// generates it, 4 when it overcomes the season, 5 when the season overcomes it.
constexpr bool starSeasonTableFollowsPhases()
{
    // By (season - star) mod 5 in generating order: 0 same, 1 star generates
    // season, 2 star overcomes season, 3 season overcomes star, 4 season generates star.
    constexpr std::array<int, 5> byDistance{1, 2, 4, 5, 3};
    for (int n = 0; n < 9; ++n)
        for (int s = 0; s < 5; ++s)
            if (StarSeasonColumn[n][s] != byDistance[(SeasonPhase[s] - StarPhase[n] + 5) % 5])
                return false;
    return true;
}
static_assert(starSeasonTableFollowsPhases());

void addFault(SuuScores &scores, SuuSanFault::Kind kind, int row)
{
    // Each fault is added at most once per call, so the list cannot overflow.
    assert(scores.faultCount < static_cast<int>(scores.faultList.size()));
    scores.faultList[static_cast<std::size_t>(scores.faultCount++)] = {kind, row};
}

} // namespace

int starSeasonColumn(int star, int season)
{
    if (star < 0 || star > 8 || season < 0 || season > 4)
        return 0;
    return StarSeasonColumn[static_cast<std::size_t>(star)][static_cast<std::size_t>(season)];
}

SuuScores SuuSan(const BanRows &CurBan, int BanShu, const Koyomi &koyomi,
                 const NumberTables &tables, LayingMethod method)
{
    assert(BanShu >= 0 && BanShu <= 3);
    SuuScores s; // step 1: both arrays cleared
    const auto row = [&CurBan](BanRow r, int p) -> int {
        return CurBan[static_cast<std::size_t>(r)][static_cast<std::size_t>(p)];
    };

    // Step 2: plain look-ups. A cell that is absent (empty, not an integer, or a
    // row that does not exist, such as star value 9) scores 0.
    for (int p = 0; p < 9; ++p) {
        const int column = p + 1;
        const auto look = [&tables, column](NumberTable t, int r) {
            return tables.value(t, column, r).value_or(0);
        };
        auto &base = s.SuuBase;
        base[0][p] = look(NumberTable::KanSG, row(TenKan, p) + 1);
        base[1][p] = look(NumberTable::KanSG, row(ChiKan, p) + 1);
        base[2][p] = look(NumberTable::KanLSG, row(TenChiKan, p) + 1);
        if (p >= 1)
            base[3][p] = look(NumberTable::HmSG, row(Mon, p));
        // Only the flying-palace method puts a star (天禽) in the centre.
        if (p >= 1 || method == LayingMethod::Flying)
            base[4][p] = look(NumberTable::KsSG, row(Sei, p) + 1);
        if (p >= 1)
            base[5][p] = look(NumberTable::HsSG, row(Shin, p));
        base[6][p] = look(NumberTable::KyuSG, row(KyuSeiBan, p) + 1);

        // Patterns score all together or not at all: one unknown pattern number
        // leaves the palace's 格局 at 0.
        std::int64_t patterns = 0;
        bool allFound = true;
        for (int slot = 0; slot < 5; ++slot) {
            const int number = CurBan[static_cast<std::size_t>(Kaku0 + slot)][static_cast<std::size_t>(p)];
            if (number == 0)
                continue;
            const std::optional<int> v = tables.value(NumberTable::KakuSG, column, number);
            if (!v) {
                allFound = false;
                break;
            }
            patterns += *v;
        }
        if (allFound)
            base[7][p] = patterns;
    }

    // Step 3.
    for (int e = 0; e < ElementCount; ++e)
        for (int p = 0; p < 9; ++p)
            s.BanSuu[e][p] = static_cast<double>(s.SuuBase[e][p]); // exact: |value| < 2^53

    // Step 4: 暗剣 falls on the palace opposite 五黄; none when 五黄 is in the centre.
    int goOu = 0; // [0, 9]; 9 = no 五黄 at all
    while (goOu < 9 && row(KyuSeiBan, goOu) != 4)
        ++goOu;
    if (goOu >= 1 && goOu <= 8) {
        if (const std::optional<int> anKen = tables.anKen())
            s.BanSuu[6][9 - goOu] += *anKen;
        else
            addFault(s, SuuSanFault::Kind::AnKen, 0);
    }

    // Step 5: seasonal door addition, day and hour charts. The season period
    // k = term / 3 ([0, 7], three terms each from 冬至) is ruled by door k + 1
    // (休 from 冬至, 生 from 立春, … 開 from 立冬): that door gains the addition
    // where it stands.
    if (BanShu >= 2) {
        const int k = koyomi.BanSekki[static_cast<std::size_t>(BanShu)] / 3;
        if (k >= 0 && k <= 7) {
            const int door = k + 1;
            const std::optional<int> add = tables.value(NumberTable::HmPSG, 1, door);
            if (!add) {
                addFault(s, SuuSanFault::Kind::DoorSeason, door);
            } else {
                for (int p = 1; p <= 8; ++p) {
                    if (row(Mon, p) == door) {
                        s.BanSuu[3][p] += *add;
                        break;
                    }
                }
            }
        }
    }

    // Step 6: seasonal star addition. A chart without a centre star (every
    // rotating-plate chart) gets none. An absent cell adds nothing to its own
    // palace only.
    if (row(Sei, 0) != 9) {
        for (int p = 0; p < 9; ++p) {
            const int star = row(Sei, p);
            const int column = starSeasonColumn(star, koyomi.Kisetsu);
            if (column == 0)
                continue;
            if (const std::optional<int> add = tables.value(NumberTable::KsPSG, column, star + 1))
                s.BanSuu[4][p] += *add;
        }
    }

    // Step 7: weighting, in double precision, unrounded.
    for (int e = 0; e < ElementCount; ++e) {
        const std::optional<int> w = tables.value(NumberTable::PerSG, 1, e + 1);
        if (!w) {
            addFault(s, SuuSanFault::Kind::Percent, e + 1);
            continue;
        }
        // x * 100 / 100 is x exactly: the usual weight needs no division.
        if (*w == 100)
            continue;
        for (int p = 0; p < 9; ++p)
            s.BanSuu[e][p] = s.BanSuu[e][p] * *w / 100;
    }

    // Step 8: the score of each direction.
    for (int p = 0; p < 9; ++p) {
        double total = 0;
        for (int e = 0; e < ElementCount; ++e)
            total += s.BanSuu[e][p];
        s.BanSuu[ElementCount][p] = total;
    }
    return s;
}

std::string suuSanMessage(const SuuSanFault &fault, const NumberTables &tables)
{
    switch (fault.kind) {
    case SuuSanFault::Kind::Percent:
        return "「各要素の加算比率(%)」の「" + std::string(ElementName[static_cast<std::size_t>(fault.row - 1)])
            + "」[" + tables.cell(NumberTable::PerSG, 1, fault.row)
            + "]は整数ではありません。この要素は100%で計算しました。";
    case SuuSanFault::Kind::DoorSeason: {
        return "「八門の相旺による加算」の「" + std::string(DoorName[static_cast<std::size_t>(fault.row)])
            + "門＼相」[" + tables.cell(NumberTable::HmPSG, 1, fault.row)
            + "]は整数ではありません。加算しませんでした。";
    }
    case SuuSanFault::Kind::AnKen:
        return "「暗剣による数値」の[" + tables.AnE() + "]は整数ではありません。加算しませんでした。";
    }
    return {};
}

} // namespace velm
