// DateToKyu calls per second, with and without the summary text. Searches
// walk thousands of moments and never ask for the text.

#include <benchmark/benchmark.h>

#include "engine/datetime.h"
#include "engine/koyomi.h"
#include "engine/koyomiwalk.h"
#include "engine/preciseterms.h"

namespace {

void walk(benchmark::State &state, bool withSummary)
{
    const velm::KoyomiOptions options;
    long hour = velm::dayNumberFromCivil(2024, 1, 1) * 24;
    for (auto _ : state) {
        velm::CivilTime t = velm::civilFromDayNumber(hour / 24);
        t.hour = static_cast<int>(hour % 24);
        velm::Koyomi k = velm::DateToKyu(t, options, withSummary);
        benchmark::DoNotOptimize(k);
        hour += 2; // one double-hour, as the hour-chart search steps
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_DateToKyu(benchmark::State &state) { walk(state, false); }
void BM_DateToKyuWithSummary(benchmark::State &state) { walk(state, true); }

// The same walk through the walker's cached term instants.
void BM_KoyomiWalker(benchmark::State &state)
{
    velm::KoyomiWalker walker{velm::KoyomiOptions{}};
    long hour = velm::dayNumberFromCivil(2024, 1, 1) * 24;
    for (auto _ : state) {
        velm::CivilTime t = velm::civilFromDayNumber(hour / 24);
        t.hour = static_cast<int>(hour % 24);
        velm::Koyomi k = walker.at(t);
        benchmark::DoNotOptimize(k);
        hour += 2;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["full"] = static_cast<double>(walker.fullComputations());
}

// The 24 precise term instants of one year, each searched from the middle of
// its own span of the year, as the terms listing finds them: the sun at the
// moment from the models, the crossing from the table made at build time.
void BM_PreciseTermsOfAYear(benchmark::State &state)
{
    int year = 2024;
    for (auto _ : state) {
        const velm::DayValue first = velm::dayNumberFromCivil(year, 1, 1);
        for (int t = 0; t < 24; ++t) {
            velm::TermSearch s = velm::before_nibun(0, 9.0, first + 15.2L * t + 8, velm::Astronomy::Precise);
            benchmark::DoNotOptimize(s);
        }
        year = year == 2100 ? 2024 : year + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

// The same 24 crossings computed from the models, as outside the table.
void BM_PreciseTermsOfAYearComputed(benchmark::State &state)
{
    int year = 2024;
    for (auto _ : state) {
        const velm::DayValue first = velm::dayNumberFromCivil(year, 1, 1);
        for (int t = 0; t < 24; ++t) {
            const velm::DayValue estimate = first + 15.2L * t + 5;
            benchmark::DoNotOptimize(velm::computePreciseCrossing(15.0L * ((t + 19) % 24), estimate, 9.0));
        }
        year = year == 2100 ? 2024 : year + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_PreciseTermsOfAYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreciseTermsOfAYearComputed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KoyomiWalker);
BENCHMARK(BM_DateToKyu);
BENCHMARK(BM_DateToKyuWithSummary);
