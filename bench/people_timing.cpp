// The search of a century of hour charts (438,300 double-hours) with the
// first default matter, plain and with the directions bad for four people
// left out: on the hour chart alone, and on the moment's year and month
// charts too. Leaving them out should cost under a tenth of the search's
// time. Also the heat map of three months for the same four people.
//
// Each search is timed seven times, the kinds taking turns, and the medians
// compared: a shared machine's other work shows up as single slow runs.
//
// Usage: people_timing [DATA_DIR]

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/constdata.h"
#include "evaluation/matters.h"
#include "evaluation/ninestar.h"
#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/heatmap.h"
#include "output/search.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

template <std::size_t N>
double median(std::array<double, N> times)
{
    std::sort(times.begin(), times.end());
    return times[N / 2];
}

} // namespace

int main(int argc, char **argv)
{
    using namespace velm;
    const std::string dir = argc > 1 ? argv[1] : VELM_DATA_DIR;
    NumbersFile numbers = readNumbersFile(dir + "/SuuFile.Dat");
    MatterListLoad list = readMatterList(dir + "/Senji.Idx");
    if (!numbers.ok() || list.list.readFailed || list.list.names.empty()) {
        std::fprintf(stderr, "people_timing: default data not readable in %s\n", dir.c_str());
        return 1;
    }
    const std::string name = list.list.names.front();
    SenMatterLoad matter = loadSenMatter(dir + "/Senji.Dat", name);
    if (!matter.ok) {
        std::fprintf(stderr, "people_timing: %s\n", matter.message.c_str());
        return 1;
    }
    const ConstData names = MakeConstData();

    // A household of four: 六白, 八白, 三碧 and 一白.
    const std::vector<int> four{5, 7, 2, 0};
    SearchSettings plain;
    plain.start = CivilTime{2026, 1, 1, 0, 0, 0};
    plain.kind = KindHour;
    plain.limit = 438300;
    plain.maxMatches = 438300;
    SearchSettings chart = plain;
    chart.people = PeopleExclusion::of(four, false);
    SearchSettings yearMonth = plain;
    yearMonth.people = PeopleExclusion::of(four, true);

    std::array<double, 7> plainTimes{};
    std::array<double, 7> chartTimes{};
    std::array<double, 7> yearMonthTimes{};
    std::int64_t rows[3] = {};
    for (std::size_t i = 0; i < plainTimes.size(); ++i) {
        auto t = std::chrono::steady_clock::now();
        rows[0] = SrcProc(plain, matter.matter, numbers.tables, names).matches;
        plainTimes[i] = seconds(t);
        t = std::chrono::steady_clock::now();
        rows[1] = SrcProc(chart, matter.matter, numbers.tables, names).matches;
        chartTimes[i] = seconds(t);
        t = std::chrono::steady_clock::now();
        rows[2] = SrcProc(yearMonth, matter.matter, numbers.tables, names).matches;
        yearMonthTimes[i] = seconds(t);
    }
    const double base = median(plainTimes);
    const double onChart = median(chartTimes);
    const double onAll = median(yearMonthTimes);

    HeatMapper mapper(numbers.tables, KoyomiOptions{}, LayingMethod::Rotating);
    mapper.build({2026, 1, 1, 0, 0, 0}, 92, KindHour); // warm, as the window is after its first picture
    std::array<double, 7> heatPlain{};
    std::array<double, 7> heatPeople{};
    for (std::size_t i = 0; i < heatPlain.size(); ++i) {
        mapper.setPeople(PeopleExclusion{});
        auto t = std::chrono::steady_clock::now();
        mapper.build({2026, 1, 1, 0, 0, 0}, 92, KindHour);
        heatPlain[i] = seconds(t);
        mapper.setPeople(PeopleExclusion::of(four, true));
        t = std::chrono::steady_clock::now();
        mapper.build({2026, 1, 1, 0, 0, 0}, 92, KindHour);
        heatPeople[i] = seconds(t);
    }

    std::printf("matter: %s, 438,300 hour charts from 2026-01-01\n", name.c_str());
    std::printf("search                              : %.3f s, %lld rows\n", base, static_cast<long long>(rows[0]));
    std::printf("four people, on the hour chart      : %.3f s, %lld rows, %+.1f %%\n", onChart,
                static_cast<long long>(rows[1]), 100.0 * (onChart / base - 1));
    std::printf("four people, also year and month    : %.3f s, %lld rows, %+.1f %%\n", onAll,
                static_cast<long long>(rows[2]), 100.0 * (onAll / base - 1));
    std::printf("heat map, three months              : %.2f ms plain, %.2f ms with four people\n",
                1000 * median(heatPlain), 1000 * median(heatPeople));
    const bool ok = onChart < 1.10 * base && onAll < 1.10 * base;
    std::printf("%s: leaving out the four people's bad directions costs %s a tenth of the search\n",
                ok ? "PASS" : "FAIL", ok ? "under" : "more than");
    return ok ? 0 : 1;
}
