// Bearings from home to 10,000 places (geodesic and rhumb, with their
// sectors): a map of saved places or a table of destinations is redrawn
// from these, so a batch should stay well under 50 ms.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "output/bearing.h"

namespace {

void bearings(benchmark::State &state, velm::BearingPath path)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> lat(-89, 89), lon(-180, 180);
    std::vector<velm::GeoPoint> places(10'000);
    for (velm::GeoPoint &p : places)
        p = {lat(random), lon(random)};
    const velm::GeoPoint home{35.6895, 139.6917};
    for (auto _ : state) {
        double sum = 0;
        std::string error;
        for (const velm::GeoPoint &p : places)
            if (const auto course = velm::courseBetween(home, p, path, error))
                sum += velm::sectorOf(course->azimuth, velm::SectorDivision::Uneven3060, 3).margin;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(places.size()));
}

void BM_TenThousandGeodesicBearings(benchmark::State &state) { bearings(state, velm::BearingPath::Geodesic); }
void BM_TenThousandRhumbBearings(benchmark::State &state) { bearings(state, velm::BearingPath::Rhumb); }

} // namespace

BENCHMARK(BM_TenThousandGeodesicBearings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TenThousandRhumbBearings)->Unit(benchmark::kMillisecond);
