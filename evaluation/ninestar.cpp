#include "evaluation/ninestar.h"

#include "engine/symbols.h"

namespace velm {

std::string_view badReasonName(int reason, int kind)
{
    if (reason == BadHa)
        return HaName[static_cast<std::size_t>(kind & 3)];
    return reason >= 0 && reason < BadHa ? BadReasonName[static_cast<std::size_t>(reason)] : std::string_view();
}

PalaceVerdict judgePalaces(const std::array<std::uint8_t, 9> &nineStars, int branch, int honmei)
{
    PalaceVerdict v;
    const auto mark = [&v](int palace, int reason) {
        if (palace < 1 || palace > 8)
            return;
        v.reasons[static_cast<std::size_t>(palace)] |= static_cast<std::uint8_t>(1u << reason);
        v.bad |= static_cast<std::uint16_t>(1u << palace);
    };
    // The outer palace holding a star; 0 when it stands in the centre (or nowhere).
    const auto palaceOf = [&nineStars](int star) {
        for (int p = 1; p <= 8; ++p)
            if (nineStars[static_cast<std::size_t>(p)] == star)
                return p;
        return 0;
    };
    const int goou = palaceOf(Goou);
    if (goou != 0) {
        mark(goou, BadGoou);
        mark(oppositePalace(goou), BadAnken);
    }
    const int own = palaceOf(honmei);
    if (own != 0) {
        mark(own, BadHonmei);
        mark(oppositePalace(own), BadHonmeiTeki);
    }
    if (branch >= 0 && branch < 12)
        mark(BranchPalace[static_cast<std::size_t>((branch + 6) % 12)], BadHa);

    const int mine = honmei >= 0 && honmei < 9 ? NineStarElement[static_cast<std::size_t>(honmei)] : -1;
    for (int p = 1; p <= 8 && mine >= 0; ++p) {
        const int star = nineStars[static_cast<std::size_t>(p)];
        if (star == honmei || star == Goou || star > 8)
            continue;
        const int theirs = NineStarElement[static_cast<std::size_t>(star)];
        // Same element, or one generating the other (水→木→火→土→金→水).
        const bool kin = theirs == mine || theirs == (mine + 1) % 5 || mine == (theirs + 1) % 5;
        if (kin && (v.bad & (1u << p)) == 0)
            v.good |= static_cast<std::uint16_t>(1u << p);
    }
    return v;
}

PalaceVerdict judgePalaces(const ChartRecord &chart, const Koyomi &koyomi, int honmei)
{
    return judgePalaces(chart.Ban[KyuSeiBan], koyomi.BanShi[static_cast<std::size_t>(chart.BanShu & 3)], honmei);
}

BirthStars birthStars(const Koyomi &birth)
{
    return {birth.BanKyuSei[KindYear], birth.BanKyuSei[KindMonth]};
}

PeopleExclusion PeopleExclusion::of(const std::vector<int> &honmei, bool alsoYearMonth)
{
    PeopleExclusion e;
    for (const int s : honmei)
        if (s >= 0 && s < 9)
            e.honmeiSet |= static_cast<std::uint16_t>(1u << s);
    e.alsoYearMonth = alsoYearMonth;
    for (int centre = 0; centre < 9; ++centre) {
        std::array<std::uint8_t, 9> stars{};
        for (int p = 0; p < 9; ++p)
            stars[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(flyingNineStar(centre, p));
        for (int branch = 0; branch < 12; ++branch) {
            std::uint16_t bad = 0;
            for (int s = 0; s < 9; ++s)
                if ((e.honmeiSet >> s) & 1)
                    bad |= judgePalaces(stars, branch, s).bad;
            e.table[static_cast<std::size_t>(centre * 12 + branch)] = bad;
        }
    }
    return e;
}

std::uint16_t PeopleExclusion::badOn(int centre, int branch) const
{
    if (centre < 0 || centre > 8 || branch < 0 || branch > 11)
        return 0;
    return table[static_cast<std::size_t>(centre * 12 + branch)];
}

std::uint16_t PeopleExclusion::badOn(const ChartRecord &chart, int branch) const
{
    return badOn(chart.Ban[KyuSeiBan][0], branch);
}

std::uint16_t PeopleExclusion::yearMonth(const Koyomi &k) const
{
    if (!alsoYearMonth || !active())
        return 0;
    return badOn(k.BanKyuSei[KindYear], k.BanShi[KindYear]) | badOn(k.BanKyuSei[KindMonth], k.BanShi[KindMonth]);
}

std::uint16_t PeopleExclusion::excluded(const ChartRecord &chart, const Koyomi &koyomi, int kind) const
{
    if (!active())
        return 0;
    return badOn(chart, koyomi.BanShi[static_cast<std::size_t>(kind & 3)]) | yearMonth(koyomi);
}

} // namespace velm
