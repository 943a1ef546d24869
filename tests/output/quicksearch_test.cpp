// Quick search: where the walk starts and stops, what it counts, and when it
// gives up.
//
// Pillars used below: 2024-03-01 is a 甲子 day (the worked example of the
// calendar: 甲辰 丙寅 甲子 庚午 at 12:00, hour chart 陽１局). On a 甲 day the
// double-hours run 甲子 (0:00) 乙丑 丙寅 丁卯 戊辰 己巳 庚午 (11:00-12:59) …,
// and early March lies in the yang half-year.

#include <gtest/gtest.h>

#include <vector>

#include "engine/koyomi.h"
#include "output/quicksearch.h"
#include "output/walk.h"

using namespace velm;

namespace {

QuickSearchOptions hourSearch(CivilTime start, int stem, int branch, long limit)
{
    QuickSearchOptions o;
    o.start = start;
    o.condition.kind = KindHour;
    o.condition.stem = stem;
    o.condition.branch = branch;
    o.condition.dun = 0;
    o.limit = limit;
    return o;
}

} // namespace

TEST(QuickSearch, StartMomentMatchesAtOnceWithItsMinutes)
{
    // 庚午 hour, yang, ju 1: the start itself, counted as nothing examined.
    QuickSearchOptions o = hourSearch(CivilTime{2024, 3, 1, 12, 45, 0}, 6, 6, 500);
    o.condition.ju = 1;
    QuickSearchResult r = quickSearch(o);
    ASSERT_EQ(r.status, QuickSearchResult::Status::Found);
    EXPECT_EQ(r.examined, 0);
    EXPECT_EQ(r.found, (CivilTime{2024, 3, 1, 12, 45, 0}));
    EXPECT_EQ(r.chart.BanShu, KindHour);
    EXPECT_EQ(r.koyomi.BanKan[3], 6);

    // A limit of one still looks at the start.
    o.limit = 1;
    EXPECT_TRUE(quickSearch(o).ok());

    o.condition.ju = 2;
    EXPECT_EQ(quickSearch(o).status, QuickSearchResult::Status::NotFound);
}

TEST(QuickSearch, HourWalkKeepsTheStartMinutes)
{
    // From 09:30 the walk looks at 09:30 (己巳), then 11:30 (庚午).
    QuickSearchResult r = quickSearch(hourSearch(CivilTime{2024, 3, 1, 9, 30, 0}, 6, 6, 500));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.examined, 1);
    EXPECT_EQ(r.found, (CivilTime{2024, 3, 1, 11, 30, 0}));
}

TEST(QuickSearch, LimitCountsExaminedMoments)
{
    // From the 庚午 hour the next 甲子 hour is 54 double-hours on: 0:00 of
    // March 6, the 子 hour of a 己 day.
    const CivilTime start{2024, 3, 1, 12, 0, 0};
    QuickSearchResult notFound = quickSearch(hourSearch(start, 0, 0, 54));
    EXPECT_EQ(notFound.status, QuickSearchResult::Status::NotFound);
    EXPECT_EQ(notFound.examined, 54);

    QuickSearchResult found = quickSearch(hourSearch(start, 0, 0, 55));
    ASSERT_TRUE(found.ok());
    EXPECT_EQ(found.examined, 54);
    EXPECT_EQ(found.found, (CivilTime{2024, 3, 6, 0, 0, 0}));
}

TEST(QuickSearch, DaySearchFindsTheNextJiaziDayAtTheStartTime)
{
    // Sixty days after the 甲子 day of March 1. Only one dun can hold there.
    int found = 0;
    for (int dun : {0, 1}) {
        QuickSearchOptions o;
        o.start = CivilTime{2024, 3, 2, 9, 30, 0};
        o.condition = QuickSearchCondition{KindDay, 0, 0, dun, std::nullopt};
        o.limit = 60;
        QuickSearchResult r = quickSearch(o);
        if (!r.ok())
            continue;
        ++found;
        EXPECT_EQ(r.examined, 59);
        EXPECT_EQ(r.found, (CivilTime{2024, 4, 30, 9, 30, 0}));
    }
    EXPECT_EQ(found, 1);
}

TEST(QuickSearch, DunAloneStopsAtTheFirstYinChart)
{
    // Year charts are always yin, so the start matches.
    QuickSearchOptions year;
    year.start = CivilTime{2024, 3, 1, 12, 0, 0};
    year.condition.kind = KindYear;
    year.condition.dun = 1;
    QuickSearchResult r = quickSearch(year);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.examined, 0);

    // Day charts: the day found is yin and every day before it was yang.
    QuickSearchOptions day = year;
    day.condition.kind = KindDay;
    day.start = CivilTime{2024, 1, 1, 6, 0, 0};
    day.limit = 400;
    r = quickSearch(day);
    ASSERT_TRUE(r.ok());
    ASSERT_GT(r.examined, 0);
    EXPECT_EQ(r.koyomi.BanTon[2], 1);
    for (long k = 0; k < r.examined; ++k)
        ASSERT_EQ(DateToKyu(walkMoment(day.start, KindDay, k), KoyomiOptions{}).BanTon[2], 0) << k;
}

TEST(QuickSearch, ZeroOrNegativeLimitExaminesNothing)
{
    // The start matches, yet nothing may be examined.
    for (long limit : {0L, -1L, -500L}) {
        QuickSearchOptions o = hourSearch(CivilTime{2024, 3, 1, 12, 0, 0}, 6, 6, limit);
        int calls = 0;
        QuickSearchResult r = quickSearch(o, [&](long) { ++calls; return true; });
        EXPECT_EQ(r.status, QuickSearchResult::Status::NotFound) << limit;
        EXPECT_EQ(r.examined, 0) << limit;
        EXPECT_EQ(calls, 0) << limit;
    }
}

TEST(QuickSearch, ProgressReportsAndCancels)
{
    // 甲子 hour is 54 moments away; stop after the report at 32.
    QuickSearchOptions o = hourSearch(CivilTime{2024, 3, 1, 12, 0, 0}, 0, 0, 500);
    std::vector<long> reports;
    QuickSearchResult r = quickSearch(o, [&](long examined) {
        reports.push_back(examined);
        return examined < 32;
    });
    EXPECT_EQ(r.status, QuickSearchResult::Status::Cancelled);
    EXPECT_EQ(r.examined, 32);
    EXPECT_EQ(reports, (std::vector<long>{0, 16, 32}));

    // Refusing the first report examines nothing, even with a matching start.
    QuickSearchOptions atStart = hourSearch(CivilTime{2024, 3, 1, 12, 0, 0}, 6, 6, 500);
    r = quickSearch(atStart, [](long) { return false; });
    EXPECT_EQ(r.status, QuickSearchResult::Status::Cancelled);
    EXPECT_EQ(r.examined, 0);
}

TEST(QuickSearch, WalkEndsAtTheLastCalendarYear)
{
    // Year charts are never yang; the walk stops after 9999 instead of
    // running on through the limit.
    QuickSearchOptions o;
    o.start = CivilTime{9990, 1, 1, 0, 0, 0};
    o.condition.kind = KindYear;
    o.condition.dun = 0;
    o.limit = 100;
    QuickSearchResult r = quickSearch(o);
    EXPECT_EQ(r.status, QuickSearchResult::Status::NotFound);
    EXPECT_EQ(r.examined, 10);
    EXPECT_TRUE(r.ended);
    EXPECT_EQ(r.last.year, 9999);
    o.limit = 5;
    EXPECT_FALSE(quickSearch(o).ended);
}

TEST(QuickSearch, AStemAndBranchOfDifferentParityAreNoPillar)
{
    QuickSearchCondition c;
    c.stem = 0;   // 甲
    c.branch = 1; // 丑
    EXPECT_FALSE(quickConditionPossible(c));
    c.branch = 2; // 甲寅
    EXPECT_TRUE(quickConditionPossible(c));
    c.branch.reset();
    EXPECT_TRUE(quickConditionPossible(c));
}
