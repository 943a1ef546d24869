// A walk on true solar time against the plain walk: the chart-data list
// (velm-cli bdata) of 4,000 hour charts (about a year), on the default clock,
// on mean solar time and on true solar time at Tokyo's longitude. True solar
// time gives every moment an offset of its own, read from the equation of
// time; with the tabulated equation the walk should cost at most twice the
// plain one. Times are medians of five runs; run it as `chrt -f 10
// solar_timing` (as root) on a shared machine. Exits with 1 when the ratio is
// above 2.
//
// Usage: solar_timing [COUNT]

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/clock.h"
#include "output/chartdata.h"

namespace {

double millis(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char **argv)
{
    using namespace velm;
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4000;
    const auto walk = [count](const KoyomiOptions &koyomi) {
        std::array<double, 5> runs{};
        for (double &run : runs) {
            ChartDataListOptions options;
            options.start = CivilTime{2026, 1, 1, 1, 0, 0};
            options.kind = KindHour;
            options.count = count;
            options.koyomi = koyomi;
            // A fresh table each run: the walk pays for the sun it needs.
            if (koyomi.clock.solarTime == SolarTime::True)
                options.koyomi.clock.equationTable = newEquationOfTimeTable();
            const auto t = std::chrono::steady_clock::now();
            const ChartDataList list = ListProc(options, {}, [](const std::string &) { return true; });
            run = millis(t);
            if (list.count != count)
                std::fprintf(stderr, "solar_timing: %ld of %d charts\n", list.count, count);
        }
        std::sort(runs.begin(), runs.end());
        return runs[runs.size() / 2];
    };
    KoyomiOptions plain;
    KoyomiOptions mean;
    mean.clock.solarTime = SolarTime::Mean;
    mean.clock.longitude = 139.77;
    KoyomiOptions trueSolar = mean;
    trueSolar.clock.solarTime = SolarTime::True;

    const double plainMs = walk(plain);
    const double meanMs = walk(mean);
    const double trueMs = walk(trueSolar);
    std::printf("%d hour charts: plain %.1f ms, mean solar %.1f ms, true solar %.1f ms\n", count, plainMs, meanMs,
                trueMs);
    const double ratio = trueMs / plainMs;
    std::printf("true solar / plain: %.2f (target: at most 2)\n", ratio);
    return ratio <= 2 ? 0 : 1;
}
