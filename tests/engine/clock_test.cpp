// Entered civil times on real time zones and local solar time.

#include <cmath>
#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "engine/clock.h"
#include "engine/koyomi.h"
#include "engine/reading.h"

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
        const ResolvedMoment m = resolveMoment(r.entered, zone(r.zone));
        ASSERT_EQ(m.status, ResolvedMoment::Status::Ok) << r.zone;
        EXPECT_EQ(m.offsetSeconds, r.standardOffset) << r.zone;
        CivilTime eleven = r.entered;
        eleven.hour = 11;
        EXPECT_EQ(m.calendar, eleven) << r.zone;
        KoyomiOptions options;
        options.clock.readOffset = m.offsetSeconds;
        const Koyomi k = DateToKyu(m.calendar, options);
        const Koyomi expected = DateToKyu(eleven, options);
        EXPECT_EQ(k.BanKan, expected.BanKan);
        EXPECT_EQ(k.BanShi, expected.BanShi);
        // 13:00 summer time is still the 午 double-hour (12:00 standard time).
        const ResolvedMoment one = resolveMoment({r.entered.year, 7, 1, 13, 0, 0}, zone(r.zone));
        EXPECT_EQ(DateToKyu(one.calendar, options).BanShi[3], 6) << r.zone;
    }
    // Outside summer time the zone is the fixed offset.
    const ResolvedMoment winter = resolveMoment({1949, 1, 10, 12, 0, 0}, zone("Asia/Tokyo"));
    EXPECT_EQ(winter.calendar, (CivilTime{1949, 1, 10, 12, 0, 0}));
}

// A skipped and a repeated civil time are reported with both readings, and
// read only when the user chooses.
TEST(Clock, SkippedAndRepeatedTimesNeedAChoice)
{
    const CivilTime skipped{2024, 3, 10, 2, 30, 0};  // Los Angeles springs forward at 02:00
    const CivilTime repeated{2024, 11, 3, 1, 30, 0}; // and falls back at 02:00
    const ResolvedMoment s = resolveMoment(skipped, zone("America/Los_Angeles"));
    EXPECT_EQ(s.status, ResolvedMoment::Status::Nonexistent);
    EXPECT_EQ(civilFromInstant(s.first), (CivilTime{2024, 3, 10, 10, 30, 0}));  // read as PST
    EXPECT_EQ(civilFromInstant(s.second), (CivilTime{2024, 3, 10, 9, 30, 0})); // read as PDT
    const ResolvedMoment r = resolveMoment(repeated, zone("America/Los_Angeles"));
    EXPECT_EQ(r.status, ResolvedMoment::Status::Ambiguous);
    EXPECT_EQ(civilFromInstant(r.first), (CivilTime{2024, 11, 3, 8, 30, 0}));
    EXPECT_EQ(civilFromInstant(r.second), (CivilTime{2024, 11, 3, 9, 30, 0}));

    const ResolvedMoment first = resolveMoment(repeated, zone("America/Los_Angeles", Fold::First));
    ASSERT_EQ(first.status, ResolvedMoment::Status::Ok);
    EXPECT_EQ(first.instant, r.first);
    EXPECT_EQ(first.calendar, (CivilTime{2024, 11, 3, 0, 30, 0})); // PST, summer time removed
    const ResolvedMoment second = resolveMoment(repeated, zone("America/Los_Angeles", Fold::Second));
    EXPECT_EQ(second.calendar, (CivilTime{2024, 11, 3, 1, 30, 0}));

    EXPECT_EQ(resolveMoment(repeated, zone("Nowhere/Atlantis")).status,
              ResolvedMoment::Status::UnknownZone);
}

// The compiled zone files list changes only to 2037 and carry the rule for
// later years separately: summer time goes on after 2037.
TEST(Clock, SummerTimeGoesOnAfter2037)
{
    const ResolvedMoment york = resolveMoment({2038, 7, 1, 12, 0, 0}, zone("America/New_York"));
    ASSERT_EQ(york.status, ResolvedMoment::Status::Ok);
    EXPECT_EQ(civilFromInstant(york.instant), (CivilTime{2038, 7, 1, 16, 0, 0})); // EDT
    EXPECT_EQ(york.calendar, (CivilTime{2038, 7, 1, 11, 0, 0}));               // EST
    // Sydney: standard time in July, summer time in January.
    EXPECT_EQ(zoneOffsetAt(instantFromCivil({2038, 7, 1, 0, 0, 0}), "Australia/Sydney"), 10 * 3600);
    EXPECT_EQ(zoneOffsetAt(instantFromCivil({2039, 1, 1, 0, 0, 0}), "Australia/Sydney"), 11 * 3600);
    const ResolvedMoment sydney = resolveMoment({2039, 1, 15, 12, 0, 0}, zone("Australia/Sydney"));
    EXPECT_EQ(sydney.offsetSeconds, 10 * 3600);
    // New York springs forward on 2040-03-11 at 02:00.
    EXPECT_EQ(resolveMoment({2040, 3, 11, 2, 30, 0}, zone("America/New_York")).status,
              ResolvedMoment::Status::Nonexistent);
    EXPECT_EQ(resolveMoment({2040, 11, 4, 1, 30, 0}, zone("America/New_York")).status,
              ResolvedMoment::Status::Ambiguous);
    // Dublin's database marks winter as the saving period: its standard
    // offset is the summer's Irish Standard Time, all year.
    EXPECT_EQ(calendarOffsetAt(instantFromCivil({2024, 1, 15, 0, 0, 0}), zone("Europe/Dublin")), 3600);
    EXPECT_EQ(calendarOffsetAt(instantFromCivil({2024, 7, 15, 0, 0, 0}), zone("Europe/Dublin")), 3600);
    EXPECT_FALSE(zoneOffsetAt(0, "Nowhere/Atlantis"));
    EXPECT_FALSE(zoneKnown("../zoneinfo/Asia/Tokyo"));
}

namespace {

// The C library's reading of the system's compiled zone files, which applies
// their rule after the last listed change.
struct SystemZone {
    explicit SystemZone(const std::string &name)
    {
        ::setenv("TZ", (":" + name).c_str(), 1);
        ::tzset();
    }
    ~SystemZone()
    {
        ::unsetenv("TZ");
        ::tzset();
    }
    static std::tm at(Instant t)
    {
        const std::time_t time = t;
        std::tm tm{};
        ::localtime_r(&time, &tm);
        return tm;
    }
};

} // namespace

// Every zone of the database against the C library from 1900 to 2100: the
// civil offset at moments spread over every hour and weekday, the civil time
// read back to its instant, the standard offset in summer time, and at each
// change met, the times it skips refused and the times it repeats offered
// both ways.
TEST(Clock, EveryZoneAgreesWithTheSystemFrom1900To2100)
{
    const std::vector<std::string> names = zoneNames();
    ASSERT_GT(names.size(), 300U);
    const Instant from = instantFromCivil({1900, 1, 1, 0, 0, 0});
    const Instant to = instantFromCivil({2101, 1, 1, 0, 0, 0});
    const Instant step = 29 * 86400 + 7 * 3600 + 13 * 60 + 11;
    int changes = 0;
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        const SystemZone system(name);
        const ClockOptions clock = zone(name.c_str());
        std::optional<long> standard;
        std::tm previous = SystemZone::at(from);
        Instant previousAt = from;
        int failures = 0;
        for (Instant t = from; t < to && failures == 0; t += step) {
            const std::tm tm = SystemZone::at(t);
            const std::string when = isoText(civilFromInstant(t)) + "Z";
            const std::optional<int> offset = zoneOffsetAt(t, name);
            failures += offset != tm.tm_gmtoff;
            EXPECT_EQ(offset, tm.tm_gmtoff) << when;

            const ResolvedMoment r = resolveMoment(civilFromInstant(t + tm.tm_gmtoff), clock);
            if (r.status == ResolvedMoment::Status::Ambiguous) {
                failures += t != r.first && t != r.second;
                EXPECT_TRUE(t == r.first || t == r.second) << when;
            } else {
                failures += r.status != ResolvedMoment::Status::Ok || r.instant != t;
                EXPECT_EQ(r.status, ResolvedMoment::Status::Ok) << when;
                EXPECT_EQ(r.instant, t) << when;
            }
            // Each change since the previous moment (of the offset or of summer
            // time), narrowed down to its first second.
            const auto same = [](const std::tm &a, const std::tm &b) {
                return a.tm_gmtoff == b.tm_gmtoff && a.tm_isdst == b.tm_isdst;
            };
            while (!same(tm, previous)) {
                Instant lo = previousAt;
                Instant hi = t;
                while (hi - lo > 1) {
                    const Instant mid = lo + (hi - lo) / 2;
                    (same(SystemZone::at(mid), previous) ? lo : hi) = mid;
                }
                const std::tm next = SystemZone::at(hi);
                const long before = previous.tm_gmtoff;
                const long after = next.tm_gmtoff;
                const std::string change = isoText(civilFromInstant(hi)) + "Z";
                const ResolvedMoment first = resolveMoment(civilFromInstant(hi + after), clock);
                if (after >= before) {
                    EXPECT_EQ(first.status, ResolvedMoment::Status::Ok) << change;
                    EXPECT_EQ(first.instant, hi) << change;
                    const ResolvedMoment gap = resolveMoment(civilFromInstant(hi + after - 1), clock);
                    if (after > before) {
                        EXPECT_EQ(gap.status, ResolvedMoment::Status::Nonexistent) << change;
                        EXPECT_EQ(gap.second, hi - 1) << change;
                    }
                } else {
                    EXPECT_EQ(first.status, ResolvedMoment::Status::Ambiguous) << change;
                    EXPECT_EQ(first.second, hi) << change;
                    EXPECT_EQ(first.first, hi + after - before) << change;
                }
                if (next.tm_isdst == 0)
                    standard = next.tm_gmtoff;
                ++changes;
                previous = next;
                previousAt = hi;
            }
            if (tm.tm_isdst == 0) {
                standard = tm.tm_gmtoff;
            } else if (standard) {
                EXPECT_EQ(calendarOffsetAt(t, clock), *standard) << when;
            }
            previous = tm;
            previousAt = t;
        }
    }
    EXPECT_GT(changes, 10000);
}

TEST(Clock, LocalSolarTime)
{
    // Osaka, 135.5°E: mean solar time runs 2 minutes ahead of JST.
    const ResolvedMoment osaka = resolveMoment({2024, 5, 1, 12, 0, 0}, solar(135.5, SolarTime::Mean));
    EXPECT_EQ(osaka.offsetSeconds, 32520);
    EXPECT_EQ(osaka.calendar, (CivilTime{2024, 5, 1, 12, 2, 0}));
    // Early November the sun is about 16 minutes ahead of the mean sun.
    const ResolvedMoment tokyo = resolveMoment({2024, 11, 3, 12, 0, 0}, solar(139.77, SolarTime::True));
    const double equation = (tokyo.offsetSeconds - 139.77 * 240) / 60;
    EXPECT_NEAR(equation, 16.4, 0.2);
    EXPECT_EQ(trueSolarOffsetFor(tokyo.calendar, 139.77), tokyo.offsetSeconds);
    // 10:30 JST is 11:05 true solar time in Tokyo: the 午 double-hour, not 巳.
    const ResolvedMoment edge = resolveMoment({2024, 11, 3, 10, 30, 0}, solar(139.77, SolarTime::True));
    EXPECT_EQ(edge.calendar.hour, 11);
    KoyomiOptions options;
    options.clock = solar(139.77, SolarTime::True);
    EXPECT_EQ(DateToKyu(edge.calendar, options).BanShi[3], 6);
}

// The tabulated equation of time against the full computation: within
// 0.001 s in the years of the precise terms, 0.002 s at the calendar's ends,
// and so the same whole-second offsets of true solar time.
TEST(Clock, TabulatedEquationOfTime)
{
    const std::shared_ptr<EquationOfTimeTable> table = newEquationOfTimeTable();
    double worst = 0;
    double worstPrecise = 0;
    for (int year : {1, 1800, 1901, 1957, 2024, 2100, 2200, 9999}) {
        const Instant from = instantFromCivil({year, year == 9999 ? 10 : 2, 1, 0, 0, 0});
        // Two months of irregular moments, the nodes' midnights included.
        for (Instant t = from; t < from + 60 * 86400; t += 2 * 86400 + 3 * 3600 + 7 * 60 + 13) {
            for (Instant at : {t, t - t % 86400}) {
                const double full = equationOfTimeSeconds(at);
                const double error = std::fabs(equationOfTimeSeconds(at, table.get()) - full);
                worst = std::max(worst, error);
                if (year >= 1800 && year <= 2200)
                    worstPrecise = std::max(worstPrecise, error);
            }
        }
        const CivilTime noon{year, year == 9999 ? 11 : 3, 1, 12, 0, 0};
        EXPECT_EQ(trueSolarOffsetFor(noon, 139.77, table.get()), trueSolarOffsetFor(noon, 139.77)) << year;
    }
    EXPECT_LT(worstPrecise, 0.001);
    EXPECT_LT(worst, 0.002);
    EXPECT_GT(worst, 0); // interpolated, not computed in full
}

TEST(Clock, DefaultsLeaveTheEnteredTime)
{
    for (double tz : {9.0, -5.0, 5.75}) {
        const CivilTime t{1999, 12, 31, 23, 59, 0};
        KoyomiOptions options;
        options.clock.fixedTz = tz;
        const ClockReading m = readClock(t, options);
        ASSERT_TRUE(m.ok());
        EXPECT_EQ(m.calendar, t);
        EXPECT_EQ(m.offsetSeconds, static_cast<int>(tz * 3600));
        // The fixed offset is the zone itself: nothing is read into the options.
        EXPECT_FALSE(m.options.clock.readOffset.has_value());
        EXPECT_EQ(m.options.clock.calendarTz(), tz);
    }
}

// One reading of the entry says what happened, as a value; the zone's
// standard offset is kept in the options it hands back.
TEST(Clock, ReadingTellsWhatHappened)
{
    using O = ClockReading::Outcome;
    using C = ClockReading::Change;
    struct Row {
        const char *zone;
        Fold fold;
        Astronomy astronomy;
        CivilTime entered;
        O outcome;
        C change;
        int offset; // the calendar clock's, when read
    };
    const Row rows[] = {
        {"America/New_York", Fold::Refuse, Astronomy::Short, {2024, 3, 10, 2, 30, 0}, O::NeedsFold, C::Skipped, 0},
        {"America/New_York", Fold::Refuse, Astronomy::Short, {2024, 11, 3, 1, 30, 0}, O::NeedsFold, C::Repeated, 0},
        {"America/New_York", Fold::Second, Astronomy::Short, {2024, 11, 3, 1, 30, 0}, O::Ok, C::Repeated, -5 * 3600},
        {"America/New_York", Fold::Refuse, Astronomy::Short, {2024, 7, 1, 12, 0, 0}, O::Ok, C::None, -5 * 3600},
        {"America/New_York", Fold::Refuse, Astronomy::Short, {9999, 12, 31, 23, 0, 0}, O::OutOfRange, C::None, 0},
        {"Asia/Tokyo", Fold::Refuse, Astronomy::Precise, {1700, 5, 5, 5, 0, 0}, O::BeyondPrecise, C::None, 0},
        {"Nowhere/Atlantis", Fold::Refuse, Astronomy::Short, {2024, 7, 1, 12, 0, 0}, O::UnknownZone, C::None, 0},
    };
    for (const Row &r : rows) {
        KoyomiOptions options;
        options.clock = zone(r.zone, r.fold);
        options.astronomy = r.astronomy;
        const ClockReading m = readClock(r.entered, options);
        EXPECT_EQ(m.outcome, r.outcome) << r.zone << " " << isoText(r.entered);
        EXPECT_EQ(m.change, r.change) << isoText(r.entered);
        if (m.ok()) {
            EXPECT_EQ(m.options.clock.readOffset, r.offset);
            EXPECT_EQ(m.offsetSeconds, r.offset);
            // The way back gives the entered time again.
            EXPECT_EQ(enteredFromCalendar(m.calendar, m.options.clock), r.entered);
        }
    }
}
