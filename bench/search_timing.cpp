// Hour-chart search over the default data: moments examined per second by
// the search on every core, on one thread, and by the plain loop that
// computes every moment afresh; their ratios; and the time of a 100-year
// search (438,300 double-hours), on the short series and on the precise
// terms, which should cost under a tenth more. On two cores the search on
// both should run at least 1.6 times as fast as on one.
//
// Other programs' work on a shared machine shows up in the times; run it as
// `chrt -f 10 search_timing` (as root) to give it the cores.
//
// Usage: search_timing [DATA_DIR]

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "evaluation/sencheck.h"
#include "evaluation/matters.h"
#include "evaluation/suusan.h"
#include "output/search.h"
#include "output/walk.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char **argv)
{
    using namespace velm;
    const std::string dir = argc > 1 ? argv[1] : VELM_DATA_DIR;
    NumbersFile numbers = readNumbersFile(dir + "/SuuFile.Dat");
    MatterListLoad list = readMatterList(dir + "/Senji.Idx");
    if (!numbers.ok() || list.list.readFailed || list.list.names.empty()) {
        std::fprintf(stderr, "search_timing: default data not readable in %s\n", dir.c_str());
        return 1;
    }
    const std::string name = list.list.names.front();
    SenMatterLoad matter = loadSenMatter(dir + "/Senji.Dat", name);
    if (!matter.ok) {
        std::fprintf(stderr, "search_timing: %s\n", matter.message.c_str());
        return 1;
    }
    const ConstData names = MakeConstData();

    SearchSettings s;
    s.start = CivilTime{2026, 1, 1, 0, 0, 0};
    s.kind = KindHour;
    s.limit = 438300;
    s.maxMatches = 438300;

    // Each search is timed seven times, the two kinds taking turns, and the
    // medians are reported: a shared machine's other work shows up as single
    // slow runs, and a burst of it then slows both kinds alike.
    SearchSettings serialSettings = s;
    serialSettings.threads = 1;
    // The same search on the precise terms: the walker reads its crossings
    // from the table made at build time, so the precise sun should add little.
    SearchSettings preciseSettings = s;
    preciseSettings.koyomi.astronomy = Astronomy::Precise;
    SearchOutcome parallel;
    SearchOutcome precise;
    SearchOutcome serial;
    std::array<double, 7> parallelTimes{};
    std::array<double, 7> serialTimes{};
    std::array<double, 7> preciseTimes{};
    for (std::size_t i = 0; i < parallelTimes.size(); ++i) {
        auto t = std::chrono::steady_clock::now();
        parallel = SrcProc(s, matter.matter, numbers.tables, names);
        parallelTimes[i] = seconds(t);
        t = std::chrono::steady_clock::now();
        serial = SrcProc(serialSettings, matter.matter, numbers.tables, names);
        serialTimes[i] = seconds(t);
        t = std::chrono::steady_clock::now();
        precise = SrcProc(preciseSettings, matter.matter, numbers.tables, names);
        preciseTimes[i] = seconds(t);
    }
    std::sort(parallelTimes.begin(), parallelTimes.end());
    std::sort(serialTimes.begin(), serialTimes.end());
    std::sort(preciseTimes.begin(), preciseTimes.end());
    const double preciseSeconds = preciseTimes[3];
    const double parallelSeconds = parallelTimes[3];
    const double serialSeconds = serialTimes[3];
    auto t0 = std::chrono::steady_clock::now();

    // The plain loop: every moment computed afresh, one after another.
    const std::int64_t plainMoments = 20000;
    std::int64_t plainMatches = 0;
    t0 = std::chrono::steady_clock::now();
    for (std::int64_t k = 0; k < plainMoments; ++k) {
        const CivilTime t = walkMoment(s.start, s.kind, k);
        const Koyomi koyomi = DateToKyu(t, s.koyomi, false);
        const ChartRecord chart = BanCreate(koyomi, s.kind, s.method, &standardPatternDetector());
        const SuuScores scores = SuuSan(chart, koyomi, numbers.tables, s.method);
        plainMatches += SenCheck(matter.matter, s.direction, chart.Ban, scores).matched;
    }
    const double plainSeconds = seconds(t0);

    const double parallelRate = static_cast<double>(parallel.examined) / parallelSeconds;
    const double serialRate = static_cast<double>(serial.examined) / serialSeconds;
    const double plainRate = static_cast<double>(plainMoments) / plainSeconds;
    std::printf("matter: %s\n", name.c_str());
    std::printf("100-year hour-chart search: %lld moments, %lld matches, %.3f s with %u threads (median of 7)\n",
                static_cast<long long>(parallel.examined), static_cast<long long>(parallel.matches),
                parallelSeconds, std::thread::hardware_concurrency());
    std::printf("with precise terms   : %lld moments, %lld matches, %.3f s (%+.1f %%)\n",
                static_cast<long long>(precise.examined), static_cast<long long>(precise.matches),
                preciseSeconds, 100 * (preciseSeconds / parallelSeconds - 1));
    std::printf("parallel search      : %12.0f moments/s\n", parallelRate);
    std::printf("serial search        : %12.0f moments/s (%.3f s)\n", serialRate, serialSeconds);
    std::printf("ratio parallel/serial: %8.2f x with %u threads\n", parallelRate / serialRate,
                std::thread::hardware_concurrency());
    std::printf("plain uncached loop  : %12.0f moments/s (%lld moments, %lld matches)\n", plainRate,
                static_cast<long long>(plainMoments), static_cast<long long>(plainMatches));
    std::printf("ratio parallel/plain : %8.1f x\n", parallelRate / plainRate);
    std::printf("ratio serial/plain   : %8.1f x\n", serialRate / plainRate);
    // Rows are made from the compact matches only when asked for; making all
    // of them is timed on its own.
    t0 = std::chrono::steady_clock::now();
    const std::vector<ListRow> parallelRows = parallel.rows();
    const double rowSeconds = seconds(t0);
    const bool same = parallelRows == serial.rows() && parallel.examined == serial.examined;
    std::printf("making the %zu rows  : %.3f s\n", parallelRows.size(), rowSeconds);
    std::printf("same results serial and parallel: %s\n",
                same ? "yes" : "NO");
    return same ? 0 : 1;
}
