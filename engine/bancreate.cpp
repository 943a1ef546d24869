#include "engine/ban.h"

#include <bit>
#include <cassert>
#include <cstddef>

#include "engine/ju.h"
#include "engine/symbols.h"

namespace velm {

namespace {

// Ring position of palace 2 (坤宮): the rotating-plate method lodges every
// laying that would start from the centre there, whatever the term.
constexpr int KunRing = 6;

// Deity 1's ring in a flying-palace year or month chart whose start falls on
// the centre: palace 8 for yang, palace 7 for yin.
constexpr int YearMonthDeityRingYang = 2;
constexpr int YearMonthDeityRingYin = 7;

constexpr std::size_t at(int i)
{
    return static_cast<std::size_t>(i);
}

constexpr int ringToKyu(int ring)
{
    return RingToKyu[at(ring)];
}

constexpr int kyuToRing(int palace)
{
    return KyuToRing[at(palace)];
}

// The flying-palace lodging ring of a term: three terms per outer palace,
// beginning with palace 1 (ring 1) at 冬至. Term indexes beyond 0..23 are read
// round the year, as the calendar names them, so the ring stays in [1, 8].
constexpr int termLodgingRing(int term)
{
    return ((term % 24 + 24) % 24) / 3 + 1;
}
static_assert(termLodgingRing(0) == 1 && termLodgingRing(4) == 2 && termLodgingRing(23) == 8);

int highestFlag(const std::array<std::uint8_t, 5> &flags)
{
    for (int f = 4; f > 0; --f)
        if (flags[at(f)] != 0)
            return f;
    return 0;
}

// First ring position in [from, 8] whose earth stem is `stem`; 0 if none.
int ringOfStem(const std::array<int, 9> &earthByRing, int stem, int from)
{
    for (int p = from; p <= 8; ++p)
        if (earthByRing[at(p)] == stem)
            return p;
    return 0;
}

// Where ring `ring` goes when the ring turns by step t (1..8, t = 1 keeps it):
// the door and star rotations share this rule.
constexpr int turnedRing(int ring, int t)
{
    return ((ring + t + 6) % 8) + 1;
}
static_assert(turnedRing(3, 1) == 3 && turnedRing(8, 2) == 1);

// Both laying methods follow one sequence of steps; `rotating` selects the
// rotating-plate variants (lodging on palace 2, stars turned round the ring,
// centre without a star).
ChartRecord layPlatesOf(const PlateInputs &in, int K, bool rotating)
{
    assert(K >= KindYear && K <= KindHour);
    const int s = in.stem;         // [0, 9]
    const int branch = in.branch;  // [0, 11]
    const bool yin = in.dun == 1;
    const int j = in.ju;           // ju - 1, [0, 8]
    assert(s >= 0 && s <= 9 && branch >= 0 && branch <= 11);
    assert(j >= 0 && j <= 8);
    assert(in.nineStar >= 0 && in.nineStar <= 8);
    const bool dayOrHour = K >= KindDay;
    const bool yearOrMonth = !dayOrHour;

    // Ring a day or hour laying starts from when it would start from the
    // centre.
    const int lodge = rotating ? KunRing : termLodgingRing(in.term);

    ChartRecord c;
    c.BanShu = K;
    auto &ten = c.Ban[TenKan];
    auto &chi = c.Ban[ChiKan];
    auto &flag = c.BanFlag;
    auto set = [](std::uint8_t &cell, int v) {
        assert(v >= 0 && v <= 255);
        cell = static_cast<std::uint8_t>(v);
    };

    c.JunKan = KSToJun(s, branch);

    // Earth plate: 戊 in the ju's palace, then 己 庚 辛 壬 癸 丁 丙 乙 through the
    // palaces in Lo Shu order, forward for yang and backward for yin.
    for (int i = 0; i < 9; ++i)
        set(chi[at(i)], yin ? ChiBanJun[at((i - j + 12) % 9)] : ChiBanJun[at((j + 13 - i) % 9)]);

    int d = 0; // palace index hiding the xun's 甲
    for (int i = 0; i < 9; ++i)
        if (chi[at(i)] == c.JunKan) {
            d = i;
            break;
        }
    if (s == chi[0])
        flag[2] = 1;
    chi[at(d)] = 0;
    ten[0] = chi[0];
    if (chi[0] == 0)
        flag[1] = 1;
    if (s == chi[0])
        flag[2] = 1;

    c.ChokuFuKyu = kyuToRing(d);
    if (dayOrHour && flag[1])
        c.ChokuFuKyu = lodge;

    std::array<int, 9> earth{}; // earth stems by ring position
    for (int i = 0; i < 9; ++i)
        earth[at(kyuToRing(i))] = chi[at(i)];

    c.JiKanKyu = dayOrHour && flag[2] ? lodge : ringOfStem(earth, s, 1);
    c.BanFlagNo = highestFlag(flag);
    // A flagged year or month chart keeps its heaven plate unturned in the
    // flying-palace method; the rotating-plate method turns it towards 坤.
    if (yearOrMonth && c.BanFlagNo > 0)
        c.JiKanKyu = rotating ? KunRing : 0;
    if (c.JiKanKyu == 0)
        c.JiKanKyu = c.ChokuFuKyu;

    // Heaven plate: the stem of ring ChokuFuKyu moves to ring JiKanKyu and the
    // other seven follow round the ring; the centre keeps its earth stem.
    for (int p = 1; p <= 8; ++p)
        set(ten[at(ringToKyu(p))], earth[at(1 + (p + c.ChokuFuKyu - c.JiKanKyu + 15) % 8)]);
    for (int i = 0; i < 9; ++i)
        set(c.Ban[TenChiKan][at(i)], 10 * ten[at(i)] + chi[at(i)]);

    // Duty door: from the duty palace by the stem's distance from 甲, through
    // the palaces in Lo Shu order with the centre included.
    const int dutyPalace = ringToKyu(c.ChokuFuKyu);
    c.ChokuShiKyu = yin ? (dutyPalace + 9 - s) % 9 : (dutyPalace + s) % 9;
    const bool xunHeadLodged = flag[1] && dayOrHour;
    c.ChokuFuMoto = xunHeadLodged ? lodge : c.ChokuFuKyu;
    if (xunHeadLodged)
        c.ChokuShiKyu = yin ? (9 - s) % 9 : s % 9;
    if (c.ChokuShiKyu == 0)
        flag[3] = 1;
    c.BanFlagNo = highestFlag(flag);
    if (flag[3] && dayOrHour)
        c.ChokuShiKyu = ringToKyu(lodge);

    // Doors turn by the duty door's step from ring ChokuFuMoto to its landing.
    auto &mon = c.Ban[Mon];
    const int doorStep = ((kyuToRing(c.ChokuShiKyu) + 8 - c.ChokuFuMoto) % 8) + 1;
    for (int door = 1; door <= 8; ++door)
        set(mon[at(ringToKyu(turnedRing(door, doorStep)))], door);
    if (c.BanFlagNo > 0 && !flag[2] && yearOrMonth)
        for (int p = 0; p <= 8; ++p)
            set(mon[at(ringToKyu(p))], p);

    // The stem the duty star and deity 1 follow: the xun's 甲 stands where the
    // xun head was, so a pillar on its own xun-head stem looks for 0.
    const int x = s == c.JunKan ? 0 : s;

    // Stars.
    auto &sei = c.Ban[Sei];
    c.JiKanKyu = ringOfStem(earth, x, 0);
    if (rotating) {
        // The eight outer stars turn round the ring with the duty star; 天禽
        // is not laid and the centre shows no star.
        if (flag[1])
            c.ChokuFuKyu = KunRing;
        if (flag[2])
            c.JiKanKyu = KunRing;
        const int starStep = ((c.JiKanKyu + 8 - c.ChokuFuKyu) % 8) + 1;
        for (int home = 1; home <= 8; ++home)
            set(sei[at(ringToKyu(turnedRing(home, starStep)))], ringToKyu(home));
        sei[0] = 9;
    } else {
        // All nine stars fly by one offset through the palaces in Lo Shu
        // order, the centre included.
        if (flag[1])
            c.ChokuFuKyu = 0;
        for (int i = 0; i < 9; ++i)
            set(sei[at(i)], (ringToKyu(c.ChokuFuKyu) + i + 9 - ringToKyu(c.JiKanKyu)) % 9);
    }

    // Deities: 直符 on the ring of x on the earth plate, the rest clockwise
    // for yang and counter-clockwise for yin.
    int q = 0;
    for (int i = 0; i < 9; ++i)
        if (chi[at(i)] == x) {
            q = i;
            break;
        }
    c.JiKanKyu = kyuToRing(q);
    if (c.JiKanKyu == 0) {
        if (rotating)
            c.JiKanKyu = KunRing;
        else if (yearOrMonth)
            c.JiKanKyu = yin ? YearMonthDeityRingYin : YearMonthDeityRingYang;
        else
            c.JiKanKyu = lodge;
    }
    for (int deity = 1; deity <= 8; ++deity) {
        const int ring = yin ? ((c.JiKanKyu - deity + 8) % 8) + 1 : ((c.JiKanKyu + deity - 2) % 8) + 1;
        set(c.Ban[Shin][at(ringToKyu(ring))], deity);
    }

    for (int i = 0; i < 9; ++i)
        set(c.Ban[KyuSeiBan][at(i)], flyingNineStar(in.nineStar, i));
    c.BanFlagNo = highestFlag(flag);
    return c;
}

} // namespace

PlateInputs plateInputs(const Koyomi &koyomi, int BanShu, LayingMethod method)
{
    const auto k = at(BanShu);
    // Only the flying-palace day and hour charts lodge by the term.
    const bool termRead = method == LayingMethod::Flying && BanShu >= KindDay;
    return {koyomi.BanKan[k], koyomi.BanShi[k], koyomi.BanTon[k], koyomi.BanKyoku[k],
            koyomi.BanKyuSei[k], termRead ? koyomi.BanSekki[k] : 0};
}

ChartRecord layPlates(const PlateInputs &inputs, int BanShu, LayingMethod method)
{
    return layPlatesOf(inputs, BanShu, method == LayingMethod::Rotating);
}

void markChart(ChartRecord &c, const Koyomi &koyomi, const PatternDetector *detector)
{
    const int K = c.BanShu;
    auto set = [](std::uint8_t &cell, int v) {
        assert(v >= 0 && v <= 255);
        cell = static_cast<std::uint8_t>(v);
    };
    // Patterns read the placed rows and the centre flags, so they come last.
    if (detector != nullptr && detector->KakuSan != nullptr) {
        for (int p = 1; p <= 8; ++p) {
            // Lowest numbers first, at most five.
            std::uint64_t bits = detector->KakuSan(c, koyomi, p).to_ullong();
            for (int slot = 0; slot < 5 && bits != 0; ++slot) {
                set(c.Ban[at(Kaku0 + slot)][at(p)], std::countr_zero(bits));
                bits &= bits - 1;
            }
        }
    }
    if (K == KindHour && detector != nullptr && detector->GoFugu != nullptr
        && detector->GoFugu(koyomi.BanKan[KindDay], koyomi.BanKan[KindHour], koyomi.BanShi[KindHour]))
        c.BanFlag[4] = 1;
    c.BanFlagNo = highestFlag(c.BanFlag);
}

ChartRecord BanCreate2(const Koyomi &koyomi, int BanShu, const PatternDetector *detector)
{
    return BanCreate(koyomi, BanShu, LayingMethod::Rotating, detector);
}

ChartRecord BanCreate(const Koyomi &koyomi, int BanShu, LayingMethod method, const PatternDetector *detector)
{
    ChartRecord c = layPlates(plateInputs(koyomi, BanShu, method), BanShu, method);
    markChart(c, koyomi, detector);
    return c;
}

} // namespace velm
