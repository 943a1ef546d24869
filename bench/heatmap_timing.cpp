// The heat map over the default data: three months and a year of hour charts
// with every direction scored and a matter tested, each built by a fresh
// mapper (the window's first picture) and again by the same mapper (a redraw
// after a control changed). Targets: three months under 50 ms, a year under
// 200 ms. Times are medians of seven runs; run it as `chrt -f 10
// heatmap_timing` (as root) on a shared machine.
//
// Usage: heatmap_timing [DATA_DIR]

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "evaluation/matters.h"
#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/heatmap.h"

namespace {

double millis(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char **argv)
{
    using namespace velm;
    const std::string dir = argc > 1 ? argv[1] : VELM_DATA_DIR;
    const NumbersFile numbers = readNumbersFile(dir + "/SuuFile.Dat");
    const MatterListLoad list = readMatterList(dir + "/Senji.Idx");
    if (!numbers.ok() || list.list.readFailed || list.list.names.empty()) {
        std::fprintf(stderr, "heatmap_timing: default data not readable in %s\n", dir.c_str());
        return 1;
    }
    const SenMatterLoad matter = loadSenMatter(dir + "/Senji.Dat", list.list.names.front());

    struct Span {
        const char *name;
        int days;
        double targetMs;
    };
    const Span spans[] = {{"3 months", 92, 50}, {"1 year", 366, 200}};
    bool within = true;
    for (const LayingMethod method : {LayingMethod::Rotating, LayingMethod::Flying}) {
        for (const Span &span : spans) {
            std::array<double, 7> cold{};
            std::array<double, 7> warm{};
            std::size_t cells = 0;
            for (std::size_t i = 0; i < cold.size(); ++i) {
                auto t = std::chrono::steady_clock::now();
                HeatMapper mapper(numbers.tables, KoyomiOptions{}, method, matter.ok ? &matter.matter : nullptr);
                cells = mapper.build(CivilTime{2026, 1, 1, 0, 0, 0}, span.days, KindHour).cells.size();
                cold[i] = millis(t);
                t = std::chrono::steady_clock::now();
                mapper.build(CivilTime{2026, 1, 8, 0, 0, 0}, span.days, KindHour);
                warm[i] = millis(t);
            }
            std::sort(cold.begin(), cold.end());
            std::sort(warm.begin(), warm.end());
            const bool ok = cold[3] < span.targetMs;
            within = within && ok;
            std::printf("%s, %s: %zu hour charts in %.1f ms (target %.0f ms: %s), redraw a week later %.1f ms\n",
                        method == LayingMethod::Rotating ? "活盤式" : "飛宮式", span.name, cells, cold[3],
                        span.targetMs, ok ? "met" : "MISSED", warm[3]);
        }
    }
    return within ? 0 : 1;
}
