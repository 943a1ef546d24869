// Entered civil times on real time zones and local solar time.

#include <gtest/gtest.h>

#include "engine/clock.h"
#include "engine/koyomi.h"

using namespace velm;

namespace {

ClockOptions zone(const char *name, Fold fold = Fold::Refuse)
{
    ClockOptions c;
    c.zone = name;
    c.fold = fold;
    return c;
}

ClockOptions solar(double longitude, SolarTime kind)
{
    ClockOptions c;
    c.solarTime = kind;
    c.longitude = longitude;
    return c;
}

} // namespace

// Noon in summer time is 11:00 standard time, and the pillars are 11:00's.
TEST(Clock, SummerTimeRunsTheCalendarOnStandardTime)
{
    struct Row {
        const char *zone;
        CivilTime entered;
        int standardOffset;
    };
    const Row rows[] = {
        {"Asia/Tokyo", {1949, 7, 1, 12, 0, 0}, 9 * 3600},    // 1948-1951 summer time
        {"Asia/Shanghai", {1988, 7, 1, 12, 0, 0}, 8 * 3600}, // 1986-1991 summer time
    };
    for (const Row &r : rows) {
        const ResolvedMoment m = resolveMoment(r.entered, 9.0, zone(r.zone));
        ASSERT_EQ(m.status, ResolvedMoment::Status::Ok) << r.zone;
        EXPECT_EQ(m.offsetSeconds, r.standardOffset) << r.zone;
        CivilTime eleven = r.entered;
        eleven.hour = 11;
        EXPECT_EQ(m.calendar, eleven) << r.zone;
        KoyomiOptions options;
        options.tz = m.tz;
        const Koyomi k = DateToKyu(m.calendar, options);
        const Koyomi expected = DateToKyu(eleven, options);
        EXPECT_EQ(k.BanKan, expected.BanKan);
        EXPECT_EQ(k.BanShi, expected.BanShi);
        // 13:00 summer time is still the 午 double-hour (12:00 standard time).
        const ResolvedMoment one = resolveMoment({r.entered.year, 7, 1, 13, 0, 0}, 9.0, zone(r.zone));
        EXPECT_EQ(DateToKyu(one.calendar, options).BanShi[3], 6) << r.zone;
    }
    // Outside summer time the zone is the fixed offset.
    const ResolvedMoment winter = resolveMoment({1949, 1, 10, 12, 0, 0}, 9.0, zone("Asia/Tokyo"));
    EXPECT_EQ(winter.calendar, (CivilTime{1949, 1, 10, 12, 0, 0}));
}

// A skipped and a repeated civil time are reported with both readings, and
// read only when the user chooses.
TEST(Clock, SkippedAndRepeatedTimesNeedAChoice)
{
    const CivilTime skipped{2024, 3, 10, 2, 30, 0};  // Los Angeles springs forward at 02:00
    const CivilTime repeated{2024, 11, 3, 1, 30, 0}; // and falls back at 02:00
    const ResolvedMoment s = resolveMoment(skipped, 9.0, zone("America/Los_Angeles"));
    EXPECT_EQ(s.status, ResolvedMoment::Status::Nonexistent);
    EXPECT_EQ(civilFromInstant(s.first), (CivilTime{2024, 3, 10, 10, 30, 0}));  // read as PST
    EXPECT_EQ(civilFromInstant(s.second), (CivilTime{2024, 3, 10, 9, 30, 0})); // read as PDT
    const ResolvedMoment r = resolveMoment(repeated, 9.0, zone("America/Los_Angeles"));
    EXPECT_EQ(r.status, ResolvedMoment::Status::Ambiguous);
    EXPECT_EQ(civilFromInstant(r.first), (CivilTime{2024, 11, 3, 8, 30, 0}));
    EXPECT_EQ(civilFromInstant(r.second), (CivilTime{2024, 11, 3, 9, 30, 0}));

    const ResolvedMoment first = resolveMoment(repeated, 9.0, zone("America/Los_Angeles", Fold::First));
    ASSERT_EQ(first.status, ResolvedMoment::Status::Ok);
    EXPECT_EQ(first.instant, r.first);
    EXPECT_EQ(first.calendar, (CivilTime{2024, 11, 3, 0, 30, 0})); // PST, summer time removed
    const ResolvedMoment second = resolveMoment(repeated, 9.0, zone("America/Los_Angeles", Fold::Second));
    EXPECT_EQ(second.calendar, (CivilTime{2024, 11, 3, 1, 30, 0}));

    EXPECT_EQ(resolveMoment(repeated, 9.0, zone("Nowhere/Atlantis")).status,
              ResolvedMoment::Status::UnknownZone);
}

TEST(Clock, LocalSolarTime)
{
    // Osaka, 135.5°E: mean solar time runs 2 minutes ahead of JST.
    const ResolvedMoment osaka = resolveMoment({2024, 5, 1, 12, 0, 0}, 9.0, solar(135.5, SolarTime::Mean));
    EXPECT_EQ(osaka.offsetSeconds, 32520);
    EXPECT_EQ(osaka.calendar, (CivilTime{2024, 5, 1, 12, 2, 0}));
    // Early November the sun is about 16 minutes ahead of the mean sun.
    const ResolvedMoment tokyo = resolveMoment({2024, 11, 3, 12, 0, 0}, 9.0, solar(139.77, SolarTime::True));
    const double equation = (tokyo.offsetSeconds - 139.77 * 240) / 60;
    EXPECT_NEAR(equation, 16.4, 0.2);
    EXPECT_EQ(trueSolarOffsetFor(tokyo.calendar, 139.77), tokyo.offsetSeconds);
    // 10:30 JST is 11:05 true solar time in Tokyo: the 午 double-hour, not 巳.
    const ResolvedMoment edge = resolveMoment({2024, 11, 3, 10, 30, 0}, 9.0, solar(139.77, SolarTime::True));
    EXPECT_EQ(edge.calendar.hour, 11);
    KoyomiOptions options;
    options.clock = solar(139.77, SolarTime::True);
    EXPECT_EQ(DateToKyu(edge.calendar, options).BanShi[3], 6);
}

TEST(Clock, DefaultsLeaveTheEnteredTime)
{
    for (double tz : {9.0, -5.0, 5.75}) {
        const CivilTime t{1999, 12, 31, 23, 59, 0};
        const ResolvedMoment m = resolveMoment(t, tz, ClockOptions{});
        EXPECT_EQ(m.calendar, t);
        EXPECT_EQ(m.offsetSeconds, static_cast<int>(tz * 3600));
    }
}
