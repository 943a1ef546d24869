// Charts laid and scored per second, serial, for each laying method.

#include <benchmark/benchmark.h>

#include "engine/ban.h"
#include "engine/datetime.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"

namespace {

velm::NumberTables defaultTables()
{
    return velm::readNumbersFile(VELM_DATA_DIR "/SuuFile.Dat").tables;
}

void layAndScore(benchmark::State &state, velm::LayingMethod method)
{
    const velm::NumberTables tables = defaultTables();
    // A day's twelve double-hours of facts, computed once: this measures
    // laying and scoring alone.
    std::vector<velm::Koyomi> moments;
    for (int h = 1; h < 24; h += 2)
        moments.push_back(velm::DateToKyu(velm::CivilTime{2024, 3, 1, h, 0, 0}, velm::KoyomiOptions{}));
    std::size_t i = 0;
    for (auto _ : state) {
        const velm::Koyomi &k = moments[i++ % moments.size()];
        velm::ChartRecord chart = velm::BanCreate(k, velm::KindHour, method, &velm::standardPatternDetector());
        velm::SuuScores scores = velm::SuuSan(chart, k, tables, method);
        benchmark::DoNotOptimize(scores);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_LayAndScoreRotating(benchmark::State &state) { layAndScore(state, velm::LayingMethod::Rotating); }
void BM_LayAndScoreFlying(benchmark::State &state) { layAndScore(state, velm::LayingMethod::Flying); }

void BM_LayOnlyRotating(benchmark::State &state)
{
    velm::Koyomi k = velm::DateToKyu(velm::CivilTime{2024, 3, 1, 13, 0, 0}, velm::KoyomiOptions{});
    for (auto _ : state) {
        velm::ChartRecord chart = velm::BanCreate(k, velm::KindHour, velm::LayingMethod::Rotating,
                                                  &velm::standardPatternDetector());
        benchmark::DoNotOptimize(chart);
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_LayAndScoreRotating);
BENCHMARK(BM_LayAndScoreFlying);
BENCHMARK(BM_LayOnlyRotating);
