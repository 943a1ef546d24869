// DateToKyu calls per second, with and without the summary text. Searches
// walk thousands of moments and never ask for the text.

#include <benchmark/benchmark.h>

#include "engine/datetime.h"
#include "engine/koyomi.h"

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

} // namespace

BENCHMARK(BM_DateToKyu);
BENCHMARK(BM_DateToKyuWithSummary);
