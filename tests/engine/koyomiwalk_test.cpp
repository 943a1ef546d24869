// The walker's cached calendar facts equal DateToKyu's, moment for moment.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/datetime.h"
#include "engine/koyomiwalk.h"

using namespace velm;

namespace {

void expectSameFacts(const Koyomi &walked, const Koyomi &fresh, const CivilTime &t)
{
    const std::string at = std::to_string(t.year) + "-" + std::to_string(t.month) + "-"
        + std::to_string(t.day) + " " + std::to_string(t.hour);
    ASSERT_EQ(walked.BanKan, fresh.BanKan) << at;
    ASSERT_EQ(walked.BanShi, fresh.BanShi) << at;
    ASSERT_EQ(walked.BanKyuSei, fresh.BanKyuSei) << at;
    ASSERT_EQ(walked.BanTon, fresh.BanTon) << at;
    ASSERT_EQ(walked.BanKyoku, fresh.BanKyoku) << at;
    ASSERT_EQ(walked.BanSekki, fresh.BanSekki) << at;
    ASSERT_EQ(walked.Gen, fresh.Gen) << at;
    ASSERT_EQ(walked.FutoNissu, fresh.FutoNissu) << at;
    ASSERT_EQ(walked.Kisetsu, fresh.Kisetsu) << at;
    ASSERT_EQ(walked.TermLongitude, fresh.TermLongitude) << at;
    ASSERT_EQ(walked.futoDay, fresh.futoDay) << at;
    ASSERT_EQ(walked.monthYear, fresh.monthYear) << at;
    ASSERT_EQ(walked.monthMonth, fresh.monthMonth) << at;
    // The instants agree to the search's own tolerance.
    ASSERT_NEAR(static_cast<double>(walked.monthTerm - fresh.monthTerm), 0, 1.0 / 86400) << at;
    ASSERT_NEAR(static_cast<double>(walked.latestTerm - fresh.latestTerm), 0, 1.0 / 86400) << at;
}

// With exact minutes every moment gets some minute of its hour.
void sweep(const KoyomiOptions &options, CivilTime start, long hours, int stepHours)
{
    KoyomiWalker walker(options);
    const long first = dayNumberFromCivil(start.year, start.month, start.day) * 24 + start.hour;
    for (long h = first; h < first + hours; h += stepHours) {
        CivilTime t = civilFromDayNumber(h / 24);
        t.hour = static_cast<int>(h % 24);
        if (options.exactMinutes)
            t.minute = static_cast<int>(h * 37 % 60);
        Koyomi walked = walker.at(t);
        Koyomi fresh = DateToKyu(t, options, false);
        expectSameFacts(walked, fresh, t);
        if (testing::Test::HasFatalFailure())
            return;
        ASSERT_TRUE(std::isnan(static_cast<double>(walked.SunLongitude)));
    }
}

} // namespace

TEST(KoyomiWalker, EqualsDateToKyuFrom1901To2099)
{
    // Every 7 hours visits every hour of the day, 23:00 included.
    sweep(KoyomiOptions{}, CivilTime{1901, 1, 1, 0, 0, 0}, 199L * 8766, 7);
}

TEST(KoyomiWalker, EqualsDateToKyuForEveryDoubleHourOfTenYears)
{
    sweep(KoyomiOptions{}, CivilTime{2020, 1, 1, 1, 0, 0}, 10L * 8766, 2);
}

TEST(KoyomiWalker, OtherOptionsAndTimeZones)
{
    KoyomiOptions shortRules;
    shortRules.periods = {0, 0, 0, 0};
    shortRules.kcb1 = false;
    sweep(shortRules, CivilTime{1990, 1, 1, 0, 0, 0}, 5L * 8766, 5);
    KoyomiOptions west;
    west.clock.fixedTz = -5.0;
    sweep(west, CivilTime{2040, 6, 1, 0, 0, 0}, 3L * 8766, 3);
    KoyomiOptions none;
    none.settingsExist = false;
    sweep(none, CivilTime{1950, 6, 1, 0, 0, 0}, 2L * 8766, 3);
    KoyomiOptions precise;
    precise.astronomy = Astronomy::Precise;
    sweep(precise, CivilTime{2023, 12, 1, 0, 0, 0}, 2200, 11);
    // Both ends of the precise range, where a walk reaches past its table.
    sweep(precise, CivilTime{1800, 1, 1, 0, 0, 0}, 2L * 8766, 97);
    sweep(precise, CivilTime{2199, 1, 1, 0, 0, 0}, 2L * 8766, 97);
    // On true solar time every moment takes the full computation.
    KoyomiOptions solar = precise;
    solar.clock.solarTime = SolarTime::True;
    solar.clock.longitude = 139.77;
    sweep(solar, CivilTime{2024, 10, 25, 0, 0, 0}, 240, 13);
    // Terms compared at the minute: the hours that hold a term split at it.
    KoyomiOptions minutes;
    minutes.exactMinutes = true;
    sweep(minutes, CivilTime{2023, 1, 1, 0, 0, 0}, 2L * 8766, 1);
    KoyomiOptions preciseMinutes = precise;
    preciseMinutes.exactMinutes = true;
    sweep(preciseMinutes, CivilTime{2024, 1, 1, 0, 0, 0}, 1200, 1);
}

TEST(KoyomiWalker, BackwardAndJumpingWalks)
{
    KoyomiWalker walker(KoyomiOptions{});
    for (int y = 2099; y >= 1901; y -= 13) {
        for (int m = 12; m >= 1; m -= 5) {
            CivilTime t{y, m, 20, 23, 0, 0};
            expectSameFacts(walker.at(t), DateToKyu(t, KoyomiOptions{}, false), t);
        }
    }
}

TEST(KoyomiWalker, ExactLongitudeWhenAskedFor)
{
    KoyomiWalker walker(KoyomiOptions{}, true);
    Koyomi k = walker.at(CivilTime{2024, 3, 1, 12, 0, 0});
    EXPECT_NEAR(static_cast<double>(k.SunLongitude), 341.02, 0.005);
}
