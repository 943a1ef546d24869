// Date to chart parameters and ju rules, against the worked examples and
// against properties that must hold for every moment of the supported range.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "engine/boundaries.h"
#include "engine/clock.h"
#include "engine/datetime.h"
#include "engine/ju.h"
#include "engine/schools.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"

using namespace velm;

namespace {

CivilTime at(int y, int mo, int d, int h, int mi = 0)
{
    return CivilTime{y, mo, d, h, mi, 0};
}

Koyomi koyomi(const CivilTime &t, const KoyomiOptions &o = {})
{
    return DateToKyu(t, o, true);
}

std::string pillar(const Koyomi &k, int kind)
{
    return std::string(StemName[k.BanKan[kind]]) + std::string(BranchName[k.BanShi[kind]]);
}

} // namespace

TEST(DateToKyu, SummaryOfTheWorkedExample)
{
    Koyomi k = koyomi(at(2024, 3, 1, 12));
    EXPECT_EQ(k.summary,
              "甲辰：丙寅：甲子：庚午  黄経:341.02゜春月 月初：2/4 17:18  雨水：2/19 13:4  "
              "冬至12/17[己酉] 啓蟄上元 ");
    EXPECT_EQ(k.FutoNissu, 75);
    EXPECT_EQ(k.BanSekki[3], 5);
    EXPECT_EQ(k.BanSekki[2], 4);
    EXPECT_EQ(k.BanSekki[0], 0);
    EXPECT_EQ(k.BanSekki[1], 0);
    EXPECT_EQ(k.Gen, 0);
    EXPECT_EQ(k.BanTon[3], 0);
    EXPECT_EQ(k.BanKyoku[3], 0); // yang ju 1
    EXPECT_EQ(k.Kisetsu, 0);
    EXPECT_EQ(k.futoDay, dayNumberFromCivil(2023, 12, 17));
    EXPECT_EQ(k.TermLongitude, 270);
}

TEST(DateToKyu, SummaryIsBuiltOnlyWhenAskedFor)
{
    Koyomi quiet = DateToKyu(at(2024, 3, 1, 12), KoyomiOptions{}, false);
    Koyomi full = DateToKyu(at(2024, 3, 1, 12), KoyomiOptions{}, true);
    EXPECT_TRUE(quiet.summary.empty());
    EXPECT_EQ(quiet.BanKyoku, full.BanKyoku);
    EXPECT_EQ(quiet.BanKyuSei, full.BanKyuSei);
}

TEST(DateToKyu, YearAndMonthPillarsTurnAtTheirTerms)
{
    Koyomi afterSpring = koyomi(at(2024, 2, 5, 10));
    EXPECT_EQ(pillar(afterSpring, 0), "甲辰");
    EXPECT_EQ(afterSpring.BanKyuSei[0], 2); // 三碧
    EXPECT_EQ(pillar(afterSpring, 1), "丙寅");
    EXPECT_EQ(afterSpring.BanKyuSei[1], 4); // 五黄

    Koyomi beforeSpring = koyomi(at(2024, 1, 20, 10));
    EXPECT_EQ(pillar(beforeSpring, 0), "癸卯");
    EXPECT_EQ(beforeSpring.BanShi[1], 1); // 丑

    // 立春 2024 fell at 17:18 on 2/4: the hour before is still 癸卯 / 丑 month.
    EXPECT_EQ(pillar(koyomi(at(2024, 2, 4, 16)), 0), "癸卯");
    EXPECT_EQ(pillar(koyomi(at(2024, 2, 4, 18)), 0), "甲辰");
    EXPECT_EQ(koyomi(at(2024, 2, 4, 16)).BanShi[1], 1);
    EXPECT_EQ(koyomi(at(2024, 2, 4, 18)).BanShi[1], 2);
}

TEST(DateToKyu, DayAndHourPillars)
{
    for (int h = 0; h < 23; ++h)
        EXPECT_EQ(pillar(koyomi(at(2000, 1, 1, h)), 2), "戊午") << h;

    // Hour 23 on a 甲 or 己 day takes the next day's 子 hour (丙子) while the
    // day pillar stays.
    Koyomi jia = koyomi(at(2024, 3, 1, 23)); // 甲子 day
    EXPECT_EQ(pillar(jia, 2), "甲子");
    EXPECT_EQ(pillar(jia, 3), "丙子");
    Koyomi ji = koyomi(at(2024, 3, 6, 23)); // 己巳 day
    EXPECT_EQ(pillar(ji, 2), "己巳");
    EXPECT_EQ(pillar(ji, 3), "丙子");
    EXPECT_EQ(pillar(koyomi(at(2024, 3, 1, 0)), 3), "甲子");
    EXPECT_EQ(pillar(koyomi(at(2024, 3, 1, 1)), 3), "乙丑");
    EXPECT_EQ(pillar(koyomi(at(2024, 3, 1, 12)), 3), "庚午");
}

TEST(DateToKyu, MinutesNeverChangeTheResult)
{
    Koyomi a = koyomi(at(2024, 3, 1, 10, 0));
    Koyomi b = koyomi(at(2024, 3, 1, 10, 59));
    EXPECT_EQ(a.summary, b.summary);
    EXPECT_EQ(a.BanKyoku, b.BanKyoku);
    EXPECT_EQ(a.BanKyuSei, b.BanKyuSei);
}

TEST(DateToKyu, DoyoStartsAt27AndEndsBefore45Degrees)
{
    // Walk the hours around 4/17 (27°) and 5/5 (45°) of 2024.
    int changes = 0;
    Koyomi prev = koyomi(at(2024, 4, 14, 0));
    for (long d = dayNumberFromCivil(2024, 4, 14); d < dayNumberFromCivil(2024, 5, 8); ++d) {
        for (int h = 0; h < 24; ++h) {
            CivilTime c = civilFromDayNumber(d);
            c.hour = h;
            Koyomi k = koyomi(c);
            bool inDoyo = k.SunLongitude >= 27 && k.SunLongitude < 45;
            EXPECT_EQ(k.Kisetsu == 4, inDoyo) << k.summary;
            changes += k.Kisetsu != prev.Kisetsu;
            prev = k;
        }
    }
    EXPECT_EQ(changes, 2); // 春月 -> 土用 -> 夏月
}

TEST(DateToKyu, WithoutSettingsEveryJuTakesTheShortRule)
{
    KoyomiOptions none;
    none.settingsExist = false;
    Koyomi k = koyomi(at(2024, 3, 1, 12), none);
    EXPECT_EQ(k.BanKyoku[0], k.BanKyuSei[0]);
    EXPECT_EQ(k.BanKyoku[1], 8 - ((12 * 2024 + 2) / 10 + 12) % 9);
    EXPECT_EQ(k.BanKyoku[2], k.BanKyuSei[2]);
    // Ten double-hours per ju from 啓蟄's upper-yuan ju 1: w = 12*75 + 6.
    EXPECT_EQ(k.BanKyoku[3], (906 / 10 + 1 + 8) % 9);

    KoyomiOptions shortRules;
    shortRules.periods = {0, 0, 0, 0};
    EXPECT_EQ(koyomi(at(2024, 3, 1, 12), shortRules).BanKyoku, k.BanKyoku);
}

TEST(DateToKyu, SixtyStepRules)
{
    Koyomi k = koyomi(at(2024, 3, 1, 12));
    EXPECT_EQ(k.BanKyoku[0], (((2024 + 57) / 60 + 1) % 3) * 3);
    EXPECT_EQ(k.BanKyoku[1], (((12 * 2024 + 2 + 10) / 60 + 2) % 3) * 3);
    // Day: 75 days into a yang half-year is the second sixty days: ju 7.
    EXPECT_EQ(k.BanTon[2], 0);
    EXPECT_EQ(k.BanKyoku[2], 6);
}

TEST(DateToKyu, HourJuFollowsTheYuanOfEachTerm)
{
    // Through one yang half-year the sixty-double-hour rule gives the upper,
    // middle and lower yuan ju T, T+6, T+3; in a yin one T, T+3, T+6.
    for (long d = dayNumberFromCivil(2023, 12, 17); d < dayNumberFromCivil(2024, 12, 1); d += 1) {
        CivilTime c = civilFromDayNumber(d);
        c.hour = 12;
        Koyomi k = koyomi(c);
        int T = TermJu[k.BanSekki[3]];
        const int yangSteps[3] = {0, 6, 3};
        const int yinSteps[3] = {0, 3, 6};
        int step = k.BanTon[3] == 0 ? yangSteps[k.Gen] : yinSteps[k.Gen];
        ASSERT_EQ(k.BanKyoku[3] + 1, (T - 1 + step) % 9 + 1) << k.summary;
        ASSERT_EQ(k.BanSekki[3] / 12, k.BanTon[3]) << k.summary;
    }
}

TEST(Ju, TyoShinAndKSToJun)
{
    // 甲子 (0) stays; 壬申 (8) goes forward seven days; 辛未 (7) back seven.
    EXPECT_EQ(TyoShin(100, 0, 0), 100);
    EXPECT_EQ(TyoShin(100, 8, 8), 107);
    EXPECT_EQ(TyoShin(100, 7, 7), 93);
    EXPECT_FALSE(TyoShin(100, 1, 2).has_value());
    EXPECT_EQ(tyoShinMessage(1, 2), "乙寅");

    EXPECT_EQ(KSToJun(0, 0), 4);  // 甲子
    EXPECT_EQ(KSToJun(9, 11), 9); // 癸亥
    EXPECT_EQ(KSToJun(8, 0), 8);  // 壬子
    EXPECT_EQ(KSToJun(0, 10), 5); // 甲戌
    EXPECT_EQ(KSToJun(0, 8), 6);  // 甲申
    EXPECT_EQ(KSToJun(0, 6), 7);  // 甲午
    EXPECT_EQ(KSToJun(0, 4), 8);  // 甲辰
    EXPECT_EQ(KSToJun(0, 2), 9);  // 甲寅
}

TEST(Ju, TyoShinMatchesItsKeyTable)
{
    // Offsets keyed by stem and branch, as the practitioners' table lists them.
    const struct {
        const char *keys[4];
        int offset;
    } table[] = {
        {{"00", "53", "06", "59"}, 0},    {{"11", "64", "17", "610"}, -1},
        {{"22", "75", "28", "711"}, -2},  {{"33", "86", "39", "80"}, -3},
        {{"44", "97", "410", "91"}, -4},  {{"55", "08", "511", "02"}, -5},
        {{"66", "19", "60", "13"}, -6},   {{"77", "210", "71", "24"}, -7},
        {{"88", "311", "82", "35"}, 7},   {{"99", "40", "93", "46"}, 6},
        {{"010", "51", "04", "57"}, 5},   {{"111", "62", "15", "68"}, 4},
        {{"20", "73", "26", "79"}, 3},    {{"31", "84", "37", "810"}, 2},
        {{"42", "95", "48", "911"}, 1},
    };
    int seen = 0;
    for (const auto &row : table) {
        for (const char *key : row.keys) {
            int stem = key[0] - '0';
            int branch = std::atoi(key + 1);
            EXPECT_EQ(TyoShin(1000, stem, branch), 1000 + row.offset) << key;
            ++seen;
        }
    }
    EXPECT_EQ(seen, 60);
}

TEST(Ju, SolsticeOnAJiaZiDayOpensTheFirstPeriod)
{
    // The winter solstice of 2002 fell on 12/22, a 甲子 day.
    Koyomi k = koyomi(at(2002, 12, 22, 12));
    EXPECT_EQ(k.futoDay, dayNumberFromCivil(2002, 12, 22));
    EXPECT_EQ(k.FutoNissu, 0);
    EXPECT_EQ(k.BanSekki[3], 0);
    EXPECT_EQ(k.BanTon[3], 0);
}

TEST(Ju, SolsticeOnARenShenDayWaitsSevenDays)
{
    // 2015-12-22 was 壬申: the xun-head day is 己卯 12/29, and the days
    // before it still belong to the yin half-year, repeating 大雪.
    Koyomi before = koyomi(at(2015, 12, 25, 12));
    EXPECT_EQ(before.BanTon[3], 1);
    EXPECT_EQ(before.BanSekki[3], 23);
    EXPECT_GE(before.FutoNissu, 180);
    EXPECT_LE(before.FutoNissu, 194);
    Koyomi after = koyomi(at(2015, 12, 29, 12));
    EXPECT_EQ(after.futoDay, dayNumberFromCivil(2015, 12, 29));
    EXPECT_EQ(after.BanTon[3], 0);
    EXPECT_EQ(after.FutoNissu, 0);
}

TEST(Ju, MomentBeforeItsXunHeadBelongsToTheWinterHalf)
{
    // 夏至 2024 was 6/21; its xun-head day 己酉 6/14. Eight days before the
    // solstice (6/13) the moment is still yang.
    Koyomi k = koyomi(at(2024, 6, 13, 12));
    EXPECT_EQ(k.BanTon[3], 0);
    EXPECT_LE(k.BanSekki[3], 11);
    EXPECT_EQ(koyomi(at(2024, 6, 14, 12)).BanTon[3], 1);
}

TEST(Ju, IntercalationRepeatsTheTwelfthPeriod)
{
    // 2024-12-11 is day 180 of the yin half-year that began 6/14.
    for (int d = 11; d <= 25; ++d) {
        Koyomi k = koyomi(at(2024, 12, d, 12));
        if (k.FutoNissu < 180)
            continue;
        EXPECT_EQ(k.BanSekki[3], 23) << d;
        EXPECT_EQ(k.Gen, (k.FutoNissu % 15) / 5) << d;
    }
    Koyomi first = koyomi(at(2024, 12, 11, 12));
    EXPECT_EQ(first.FutoNissu, 180);
    EXPECT_EQ(first.Gen, 0);
}

TEST(Ju, ElevenPmOnTheEveOfAXunHeadDay)
{
    // 2024-12-26 is 甲子, the xun-head day of the 2024 winter solstice.
    Koyomi k = koyomi(at(2024, 12, 25, 23));
    EXPECT_EQ(k.FutoNissu, 0);
    EXPECT_EQ(k.Gen, 0);
    EXPECT_EQ(k.BanTon[3], 0);
    EXPECT_EQ(k.BanSekki[3], 0);
    EXPECT_EQ(k.BanKyoku[3], 0); // 冬至 upper yuan: ju 1 from its first double-hour
    EXPECT_EQ(pillar(k, 2), "癸亥");
    EXPECT_EQ(pillar(k, 3), "甲子");
    // The 60-day rule: Trunc(r' - F) is -1 and k is 0.
    EXPECT_EQ(k.BanKyoku[2], 0);
    // The hour before still belongs to the yin half-year.
    EXPECT_EQ(koyomi(at(2024, 12, 25, 22)).BanTon[3], 1);
}

// Properties over the whole supported range, one moment every 11 hours.
TEST(DateToKyu, PropertiesHoldFrom1901To2099)
{
    const long first = dayNumberFromCivil(1901, 1, 1);
    const long last = dayNumberFromCivil(2100, 1, 1);
    Koyomi prev;
    bool havePrev = false;
    CivilTime prevAt;
    for (long t = first * 24; t < last * 24; t += 11) {
        CivilTime c = civilFromDayNumber(t / 24);
        c.hour = static_cast<int>(t % 24);
        Koyomi k = DateToKyu(c, KoyomiOptions{}, false);
        ASSERT_TRUE(k.error.empty());
        for (int i = 0; i < 4; ++i) {
            ASSERT_GE(k.BanKyoku[i], 0);
            ASSERT_LE(k.BanKyoku[i], 8);
            ASSERT_GE(k.BanKyuSei[i], 0);
            ASSERT_LE(k.BanKyuSei[i], 8);
            ASSERT_EQ((k.BanKan[i] - k.BanShi[i]) % 2, 0);
        }
        ASSERT_GE(k.FutoNissu, 0);
        ASSERT_LE(k.FutoNissu, 194);
        ASSERT_GE(k.BanSekki[3], 0);
        ASSERT_LE(k.BanSekki[3], 23);
        ASSERT_LE(k.Gen, 2);
        // The latest term never lies after the moment; the month term is a 節.
        ASSERT_LE(k.latestTerm, k.moment + 1.0L / 86400);
        ASSERT_LE(k.monthTerm, k.latestTerm + 1.0L / 86400);
        if (havePrev) {
            // Year and month pillars change only at a month-opening term.
            bool termBetween = k.monthTerm > prev.moment;
            if (!termBetween) {
                ASSERT_EQ(k.BanKan[0], prev.BanKan[0]) << c.year << "/" << c.month;
                ASSERT_EQ(k.BanShi[1], prev.BanShi[1]);
            }
            // The day pillar changes only at midnight.
            if (c.year == prevAt.year && c.month == prevAt.month && c.day == prevAt.day) {
                ASSERT_EQ(k.BanKan[2], prev.BanKan[2]);
            }
        }
        prev = k;
        prevAt = c;
        havePrev = true;
    }
}

namespace {

CivilTime plusSeconds(const CivilTime &t, std::int64_t s)
{
    return civilFromInstant(instantFromCivil(t) + s);
}

// The year's term instants as the terms listing finds them: the latest term
// of each local midnight, the first midnight after its crossing.
std::vector<std::pair<std::string, CivilTime>> termList(int year, double tz)
{
    std::vector<std::pair<std::string, CivilTime>> terms;
    long double previous = -1;
    for (long day = dayNumberFromCivil(year, 1, 1); day <= dayNumberFromCivil(year + 1, 2, 28); ++day) {
        const TermSearch s = before_nibun(0, tz, static_cast<DayValue>(day));
        if (s.TermLongitude == previous)
            continue;
        previous = s.TermLongitude;
        const int index = (static_cast<int>(s.TermLongitude) / 15 + 6) % 24;
        terms.emplace_back(std::string(TermName[static_cast<std::size_t>(index)]), JD2YMDTParts(s.instant));
    }
    return terms;
}

} // namespace

TEST(Boundaries, AgreeWithTheTermListAndTheClockOverASweep)
{
    const auto terms = termList(2024, 9.0);
    // Every 7 h 13 min through 2024: minutes and hours of every kind.
    for (std::int64_t s = 0; s < 366LL * 86400; s += 7 * 3600 + 13 * 60) {
        const CivilTime t = plusSeconds(at(2024, 1, 10, 0), s);
        const MomentBoundaries b = boundariesOf(t, KoyomiOptions{});
        const std::string where = isoText(t);
        std::size_t i = 0;
        while (i + 1 < terms.size() && instantFromCivil(terms[i + 1].second) <= instantFromCivil(t))
            ++i;
        ASSERT_EQ(b[0].name, terms[i].first) << where;
        ASSERT_EQ(b[0].time, terms[i].second) << where;
        ASSERT_EQ(b[1].name, terms[i + 1].first) << where;
        ASSERT_EQ(b[1].time, terms[i + 1].second) << where;
        for (const Boundary &x : b)
            ASSERT_EQ(x.seconds, instantFromCivil(x.time) - instantFromCivil(t)) << where;
        ASSERT_TRUE(b[0].seconds <= 0 && b[1].seconds > 0) << where;
        // Double-hours change at odd hours, days at midnight, the moment between.
        ASSERT_TRUE(b[2].seconds <= 0 && b[3].seconds == b[2].seconds + 7200) << where;
        ASSERT_EQ(b[2].time.hour % 2, 1) << where;
        ASSERT_EQ(b[2].time.minute, 0) << where;
        ASSERT_EQ(b[2].name, BranchName[static_cast<std::size_t>(koyomi(b[2].time).BanShi[3])]) << where;
        ASSERT_TRUE(b[4].seconds <= 0 && b[5].seconds == b[4].seconds + 86400) << where;
        ASSERT_EQ(b[4].time, at(t.year, t.month, t.day, 0)) << where;
    }
}

TEST(Boundaries, AMomentOnATermSideAsTheTermSearchCountsIt)
{
    // The short 立春 of 2024 at 17:18:56.x: at :56 not yet begun, at :57 begun.
    for (int second : {56, 57}) {
        CivilTime t = at(2024, 2, 4, 17, 18);
        t.second = second;
        const MomentBoundaries b = boundariesOf(t, KoyomiOptions{});
        const bool begun = before_nibun(0, 9.0, YMDT2JD(2024, 2, 4, 17, 18, second)).TermLongitude == 315;
        EXPECT_EQ(begun, second == 57);
        const Boundary &term = b[begun ? 0 : 1];
        EXPECT_EQ(term.name, "立春");
        EXPECT_EQ(term.seconds, begun ? -1 : 0);
    }
    // On an hour change or midnight the moment lies after it.
    const MomentBoundaries b = boundariesOf(at(2024, 2, 5, 0, 0), KoyomiOptions{});
    EXPECT_EQ(b[2].seconds, -3600);
    EXPECT_EQ(b[4].seconds, 0);
}

TEST(Boundaries, TheElevenPmChangeOpensZi)
{
    struct Row {
        CivilTime moment;
        CivilTime previous, next;
        const char *previousName, *nextName;
    };
    const Row rows[] = {
        {at(2024, 3, 1, 23, 10), at(2024, 3, 1, 23, 0), at(2024, 3, 2, 1, 0), "子", "丑"},
        {at(2024, 3, 1, 0, 10), at(2024, 2, 29, 23, 0), at(2024, 3, 1, 1, 0), "子", "丑"},
        {at(2024, 3, 1, 22, 59), at(2024, 3, 1, 21, 0), at(2024, 3, 1, 23, 0), "亥", "子"},
    };
    for (const Row &r : rows) {
        const MomentBoundaries b = boundariesOf(r.moment, KoyomiOptions{});
        EXPECT_EQ(b[2].time, r.previous) << isoText(r.moment);
        EXPECT_EQ(b[3].time, r.next) << isoText(r.moment);
        EXPECT_EQ(b[2].name, r.previousName) << isoText(r.moment);
        EXPECT_EQ(b[3].name, r.nextName) << isoText(r.moment);
    }
    // At 23:10 the hour change is the near one; the midnight is 50 minutes off.
    const MomentBoundaries b = boundariesOf(at(2024, 3, 1, 23, 10), KoyomiOptions{});
    EXPECT_EQ(nearestBoundary(b, 30, Astronomy::Short), 2);
    EXPECT_EQ(boundaryDistanceText(b[2]), "子刻入りから10分");
    EXPECT_EQ(nearestBoundary(b, 60, Astronomy::Short), 2);
    EXPECT_EQ(otherSideMoment(b[2]), at(2024, 3, 1, 22, 59));
    EXPECT_EQ(otherSideMoment(b[5]), at(2024, 3, 2, 0, 0));

    // What each chart warns about: a near term before any nearer change; a
    // day chart only midnights besides; year and month charts only terms.
    struct Warn {
        CivilTime moment;
        int year, month, day, hour, whole; // boundary index per kind, then for the moment itself (-1: none)
    };
    const Warn warns[] = {
        {at(2024, 2, 4, 17, 5), 1, 1, 1, 1, 1},    // 酉 began 5 min ago, 立春 (17:18) in 13
        {at(2024, 3, 1, 23, 10), -1, -1, -1, 2, 2}, // 子 began 10 min ago, midnight in 50
        {at(2024, 3, 1, 23, 50), -1, -1, 5, 5, 5},  // midnight in 10
    };
    for (const Warn &w : warns) {
        const MomentBoundaries all = boundariesOf(w.moment, KoyomiOptions{});
        const int want[] = {w.year, w.month, w.day, w.hour, w.whole};
        for (int kind = -1; kind <= 3; ++kind)
            EXPECT_EQ(boundaryToWarn(all, 30, Astronomy::Short, kind), want[kind < 0 ? 4 : kind])
                << isoText(w.moment) << " kind " << kind;
    }
}

TEST(Boundaries, MinutesAroundATermInsideOneDoubleHour)
{
    // The short 立春 of 2024 falls at 17:18, inside the 酉 double-hour.
    KoyomiOptions exact;
    exact.exactMinutes = true;
    struct Row {
        int minute;
        const KoyomiOptions *options;
        const char *year, *month;
    };
    const KoyomiOptions whole;
    const Row rows[] = {
        {10, &whole, "癸卯", "乙丑"}, {40, &whole, "癸卯", "乙丑"},
        {10, &exact, "癸卯", "乙丑"}, {40, &exact, "甲辰", "丙寅"},
    };
    for (const Row &r : rows) {
        const Koyomi k = koyomi(at(2024, 2, 4, 17, r.minute), *r.options);
        EXPECT_EQ(pillar(k, 0), r.year) << r.minute << r.options->exactMinutes;
        EXPECT_EQ(pillar(k, 1), r.month) << r.minute << r.options->exactMinutes;
        EXPECT_EQ(pillar(k, 3), "辛酉");
    }
    // The chart of 17:40 compares at 17:00 and counts the term not begun,
    // though the moment lies after it: that term is near whatever the reach.
    const MomentBoundaries b = boundariesOf(at(2024, 2, 4, 17, 58), whole);
    EXPECT_FALSE(b[0].counted);
    EXPECT_TRUE(boundaryIsNear(b[0], 1, Astronomy::Short));
    EXPECT_TRUE(boundariesOf(at(2024, 2, 4, 17, 58), exact)[0].counted);
    EXPECT_FALSE(boundaryIsNear(boundariesOf(at(2024, 2, 4, 17, 58), exact)[0], 1, Astronomy::Short));
}

TEST(Boundaries, OtherSideOfAMonthOpening)
{
    // 17:40: the whole-hour chart lies before 立春; its other side is the
    // exact-minute chart after it. Month and year pillars and the month ju
    // change; day and hour pillars and the hour ju stay.
    KoyomiOptions exact;
    exact.exactMinutes = true;
    const CivilTime t = at(2024, 2, 4, 17, 40);
    const MomentBoundaries b = boundariesOf(t, KoyomiOptions{});
    ASSERT_EQ(nearestBoundary(b, 30, Astronomy::Short, true), 0);
    EXPECT_EQ(otherSideText(b[0]), "立春後");
    EXPECT_EQ(boundaryDistanceText(b[0]), "立春から21分");
    const Koyomi here = koyomi(t);
    const Koyomi there = otherSideOfTerm(t, KoyomiOptions{}, b[0], true);
    const Koyomi after = koyomi(t, exact);
    EXPECT_EQ(there.BanKan, after.BanKan);
    EXPECT_EQ(there.BanShi, after.BanShi);
    EXPECT_EQ(there.BanKyoku, after.BanKyoku);
    EXPECT_NE(pillar(there, 1), pillar(here, 1));
    EXPECT_NE(there.BanKyoku[1], here.BanKyoku[1]);
    EXPECT_EQ(pillar(there, 3), pillar(here, 3));
    EXPECT_EQ(pillar(there, 2), pillar(here, 2));
    EXPECT_EQ(there.BanKyoku[3], here.BanKyoku[3]);
    // And back: from the exact-minute chart the other side is before it.
    const MomentBoundaries e = boundariesOf(t, exact);
    EXPECT_EQ(otherSideText(e[0]), "立春前");
    EXPECT_EQ(otherSideOfTerm(t, exact, e[0]).BanShi, here.BanShi);
}

TEST(Boundaries, NoWarningWithZero)
{
    const MomentBoundaries b = boundariesOf(at(2024, 2, 4, 17, 58), KoyomiOptions{});
    for (const Boundary &x : b)
        EXPECT_FALSE(boundaryIsNear(x, 0, Astronomy::Short)) << x.name;
    EXPECT_EQ(nearestBoundary(b, 0, Astronomy::Short), -1);
    // The short series reaches 16 minutes further for terms only.
    const MomentBoundaries early = boundariesOf(at(2024, 2, 4, 16, 35), KoyomiOptions{});
    EXPECT_TRUE(boundaryIsNear(early[1], 30, Astronomy::Short));
    EXPECT_FALSE(boundaryIsNear(early[1], 30, Astronomy::Precise));
    EXPECT_FALSE(boundaryIsNear(early[3], 20, Astronomy::Short));
}

// The 拆補 and 茅山 readings of the hour chart, worked by hand from the term
// instants (short series, JST) and the day pillars: 立春 2024-02-04 17:18,
// 冬至 2024-12-21 18:14; 2024-02-04 is 戊戌, 2024-06-05 庚子, 2024-12-21 己未.
TEST(Schools, HandWorkedMoments)
{
    struct Case {
        CivilTime moment;
        JuMethod method;
        const char *term;
        const char *yuan;
        int dun;
        int ju;
    };
    const Case cases[] = {
        // Before the entry the term in force is still 大寒 (upper ju 3).
        {at(2024, 2, 4, 17), JuMethod::Chaibu, "大寒", "上元", 0, 3},  // 符頭 甲午
        {at(2024, 2, 4, 17), JuMethod::Maoshan, "大寒", "下元", 0, 6}, // 14.8 days in
        {at(2024, 2, 4, 18), JuMethod::Chaibu, "立春", "上元", 0, 8},
        {at(2024, 2, 4, 18), JuMethod::Maoshan, "立春", "上元", 0, 8},
        // 23:00 belongs to the next day, 己亥: its own 符頭, 中元.
        {at(2024, 2, 4, 22), JuMethod::Chaibu, "立春", "上元", 0, 8},
        {at(2024, 2, 4, 23), JuMethod::Chaibu, "立春", "中元", 0, 5},
        // Five and ten days from the entry instant, not from a midnight.
        {at(2024, 2, 9, 17), JuMethod::Maoshan, "立春", "上元", 0, 8},
        {at(2024, 2, 9, 18), JuMethod::Maoshan, "立春", "中元", 0, 5},
        {at(2024, 2, 14, 17), JuMethod::Maoshan, "立春", "中元", 0, 5},
        {at(2024, 2, 14, 18), JuMethod::Maoshan, "立春", "下元", 0, 2},
        {at(2024, 6, 5, 12), JuMethod::Chaibu, "小満", "中元", 0, 2},
        {at(2024, 6, 5, 12), JuMethod::Maoshan, "小満", "下元", 0, 8},
        // Yin half-year: +3 then +6.
        {at(2024, 12, 21, 12), JuMethod::Chaibu, "大雪", "下元", 1, 1},
        {at(2024, 12, 21, 12), JuMethod::Maoshan, "大雪", "下元", 1, 1},
        // The intercalation year: ours still counts 大雪 after the solstice,
        // the other schools turn yang at the entry.
        {at(2024, 12, 22, 12), JuMethod::Zhirun, "大雪", "下元", 1, 1},
        {at(2024, 12, 22, 12), JuMethod::Chaibu, "冬至", "下元", 0, 4},
        {at(2024, 12, 22, 12), JuMethod::Maoshan, "冬至", "上元", 0, 1},
    };
    for (const Case &c : cases) {
        KoyomiOptions o;
        o.juMethod = c.method;
        const Koyomi k = koyomi(c.moment, o);
        const std::string where = isoText(c.moment) + " method " + std::to_string(static_cast<int>(c.method));
        EXPECT_EQ(TermName[static_cast<std::size_t>(k.BanSekki[3])], c.term) << where;
        EXPECT_EQ(YuanName[static_cast<std::size_t>(k.Gen)], c.yuan) << where;
        EXPECT_EQ(k.BanTon[3], c.dun) << where;
        EXPECT_EQ(k.BanKyoku[3] + 1, c.ju) << where;
        // Only the hour chart follows the school.
        const Koyomi ours = koyomi(c.moment);
        EXPECT_EQ(k.BanKyoku[2], ours.BanKyoku[2]) << where;
        EXPECT_EQ(k.BanTon[2], ours.BanTon[2]) << where;
    }
    // Ten double-hours per ju has no yuan to read: the school changes nothing.
    KoyomiOptions ten;
    ten.periods = {1, 1, 1, 0};
    KoyomiOptions tenChaibu = ten;
    tenChaibu.juMethod = JuMethod::Chaibu;
    EXPECT_EQ(koyomi(at(2024, 2, 4, 17), tenChaibu).BanKyoku, koyomi(at(2024, 2, 4, 17), ten).BanKyoku);
    EXPECT_FALSE(hourSchools(koyomi(at(2024, 2, 4, 17), ten), at(2024, 2, 4, 17), ten).has_value());
}

// Random moments 1900-2100 against the rules read afresh: the term from the
// sun's longitude, the 符頭 from the day pillar, the days from the entry.
TEST(Schools, AgreeWithAnIndependentReadingFrom1900To2100)
{
    std::uint64_t seed = 0x9e3779b97f4a7c15ULL;
    const auto next = [&seed](long span) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<long>((seed >> 33) % static_cast<std::uint64_t>(span));
    };
    const long first = dayNumberFromCivil(1900, 3, 1);
    const long days = dayNumberFromCivil(2100, 12, 1) - first;
    int checked = 0;
    for (int n = 0; n < 3000; ++n) {
        CivilTime c = civilFromDayNumber(first + next(days));
        c.hour = static_cast<int>(next(24));
        const Koyomi ours = DateToKyu(c, KoyomiOptions{});
        const CivilTime entry = DateToSet(c, 0, 9.0);
        const long double since = YMDT2JD(c.year, c.month, c.day, c.hour, 0, 0)
            - YMDT2JD(entry.year, entry.month, entry.day, entry.hour, entry.minute, entry.second);
        // Within an hour of an entry the longitude and the search may round apart.
        if (since < 1.0L / 24)
            continue;
        const int term = static_cast<int>(std::fmod(ours.SunLongitude - 270 + 720, 360) / 15);
        // The day of the hour chart: the next one from 23:00.
        int stem = ours.BanKan[2];
        int branch = ours.BanShi[2];
        if (c.hour == 23) {
            stem = (stem + 1) % 10;
            branch = (branch + 1) % 12;
        }
        const int headBranch = (branch - stem % 5 + 12) % 12;
        const int chaibuYuan = headBranch % 3 == 0 ? 0 : headBranch % 3 == 2 ? 1 : 2;
        const int maoshanYuan = since < 5 ? 0 : since < 10 ? 1 : 2;
        const int dun = term < 12 ? 0 : 1;
        const auto ju = [&](int yuan) {
            const int offset = dun == 0 ? std::array{0, 6, 3}[static_cast<std::size_t>(yuan)]
                                        : std::array{0, 3, 6}[static_cast<std::size_t>(yuan)];
            return (TermJu[static_cast<std::size_t>(term)] - 1 + offset) % 9 + 1;
        };
        for (const auto &[method, yuan] : {std::pair{JuMethod::Chaibu, chaibuYuan}, std::pair{JuMethod::Maoshan, maoshanYuan}}) {
            KoyomiOptions o;
            o.juMethod = method;
            const Koyomi k = DateToKyu(c, o);
            const std::string where = isoText(c) + " method " + std::to_string(static_cast<int>(method));
            ASSERT_EQ(k.BanSekki[3], term) << where;
            ASSERT_EQ(k.Gen, yuan) << where;
            ASSERT_EQ(k.BanTon[3], dun) << where;
            ASSERT_EQ(k.BanKyoku[3] + 1, ju(yuan)) << where;
        }
        // The marks of the windows read the three schools from one koyomi,
        // whichever school it was laid with.
        for (JuMethod own : {JuMethod::Zhirun, JuMethod::Maoshan}) {
            KoyomiOptions o;
            o.juMethod = own;
            const std::optional<HourSchools> schools = hourSchools(DateToKyu(c, o), c, o);
            ASSERT_TRUE(schools.has_value());
            bool differ = false;
            for (JuMethod method : {JuMethod::Zhirun, JuMethod::Chaibu, JuMethod::Maoshan}) {
                o.juMethod = method;
                const Koyomi k = DateToKyu(c, o);
                const SchoolReading &s = (*schools)[static_cast<std::size_t>(method)];
                const std::string where = isoText(c) + " marks of method " + std::to_string(static_cast<int>(method));
                ASSERT_EQ(s.term, k.BanSekki[3]) << where;
                ASSERT_EQ(s.yuan, k.Gen) << where;
                ASSERT_EQ(s.dun, k.BanTon[3]) << where;
                ASSERT_EQ(s.ju, k.BanKyoku[3]) << where;
                differ = differ || k.BanTon[3] != ours.BanTon[3] || k.BanKyoku[3] != ours.BanKyoku[3];
            }
            ASSERT_EQ(schoolsDiffer(*schools), differ) << isoText(c);
        }
        ++checked;
    }
    EXPECT_GT(checked, 2900);
}
