// Walks over moments stay on their grid however long they run.

#include <gtest/gtest.h>

#include "engine/datetime.h"
#include "output/walk.h"

using namespace velm;

TEST(Walk, StepsPerKind)
{
    CivilTime start{2024, 3, 1, 13, 0, 0};
    EXPECT_EQ(walkMoment(start, 3, 1), (CivilTime{2024, 3, 1, 15, 0, 0}));
    EXPECT_EQ(walkMoment(start, 3, 6), (CivilTime{2024, 3, 2, 1, 0, 0}));
    EXPECT_EQ(walkMoment(start, 2, 1), (CivilTime{2024, 3, 2, 13, 0, 0}));
    // 30.59 days = 30 days 14:09:36.
    EXPECT_EQ(walkMoment(start, 1, 1), (CivilTime{2024, 4, 1, 3, 9, 36}));
    // 365.25 days from a leap-year March.
    EXPECT_EQ(walkMoment(start, 0, 1), (CivilTime{2025, 3, 1, 19, 0, 0}));
    EXPECT_EQ(walkMoment(start, 0, 4), (CivilTime{2028, 3, 1, 13, 0, 0}));
}

TEST(Walk, HundredYearsOfDoubleHoursStayOnTheHour)
{
    CivilTime start{2026, 1, 1, 1, 0, 0};
    for (std::int64_t k = 0; k < 438'300; k += 997) {
        CivilTime t = walkMoment(start, 3, k);
        ASSERT_EQ(t.minute, 0);
        ASSERT_EQ(t.hour % 2, 1);
    }
    // 36,525 days: 2100 is no leap year.
    EXPECT_EQ(walkMoment(start, 3, 438'300), (CivilTime{2126, 1, 2, 1, 0, 0}));

    // Asked in order (with gaps), the walk's moments are the same.
    for (int kind = 0; kind < 4; ++kind) {
        for (const CivilTime &from : {start, CivilTime{1, 1, 1, 0, 45, 0}, CivilTime{2024, 2, 28, 23, 59, 59}}) {
            WalkMoments moments(from, kind);
            for (std::int64_t k = 0; k < 20'000; k += 1 + k % 7)
                ASSERT_EQ(moments.at(k), walkMoment(from, kind, k)) << kind << " " << k;
        }
    }
}

TEST(Walk, SecondsRoundTrip)
{
    for (CivilTime t : {CivilTime{1, 1, 1, 0, 0, 0}, CivilTime{2024, 2, 29, 23, 59, 59},
                        CivilTime{9999, 12, 31, 23, 59, 59}})
        EXPECT_EQ(civilFromSeconds(secondsFromCivil(t)), t);
}

TEST(Walk, LengthEndsOnTheLastDayOfTheCalendar)
{
    EXPECT_EQ(walkLength(CivilTime{9999, 12, 31, 21, 0, 0}, 3), 2);   // 21:00 and 23:00
    EXPECT_EQ(walkLength(CivilTime{9999, 12, 31, 23, 59, 59}, 0), 1);
    EXPECT_EQ(walkLength(CivilTime{9999, 1, 1, 0, 0, 0}, 2), 365);
    EXPECT_EQ(walkMoment(CivilTime{9999, 1, 1, 0, 0, 0}, 2, 364), (CivilTime{9999, 12, 31, 0, 0, 0}));
    // From the first day of the calendar: 3,652,059 days of twelve double-hours.
    EXPECT_EQ(walkLength(CivilTime{1, 1, 1, 1, 0, 0}, 3), 3'652'059LL * 12);
    EXPECT_EQ(walkLimit(CivilTime{9999, 12, 31, 21, 0, 0}, 3, INT64_MAX), 2);
    EXPECT_EQ(walkLimit(CivilTime{9999, 12, 31, 21, 0, 0}, 3, 1), 1);
    EXPECT_EQ(walkLimit(CivilTime{9999, 12, 31, 21, 0, 0}, 3, -4), -4);
}
