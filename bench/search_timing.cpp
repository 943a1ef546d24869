// Hour-chart search over the default data: moments examined per second by
// the search on every core, on one thread, and by the plain loop that
// computes every moment afresh; their ratios; and the time of a 100-year
// search (438,300 double-hours), on the short series and on the precise
// terms, which should cost under a tenth more, and in all three schools of
// finding the ju, which should cost at most three times. On two cores the search on
// both should run at least 1.8 times as fast as on one.
//
// Then the rows of that search (255,247 with the first matter): made as the
// command line prints them (under 0.05 s) and as the list window holds
// them; and `velm-cli search` of the same century with every row printed,
// from start to exit with its peak memory (under 0.25 s and 30 MiB), on
// every core and on one.
//
// Other programs' work on a shared machine shows up in the times; run it as
// `chrt -f 10 search_timing` (as root) to give it the cores.
//
// Usage: search_timing [DATA_DIR]

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "evaluation/sencheck.h"
#include "evaluation/matters.h"
#include "evaluation/suusan.h"
#include "output/search.h"
#include "output/walk.h"
#include "output/walkthreads.h"

extern char **environ;

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

std::string formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

struct Run {
    double seconds = 0;
    double peakMiB = 0;
    std::size_t bytes = 0; // printed
    bool ok = false;
};

// Runs the command line with its output read through a pipe, as a script
// reading the rows would; wall time from start to exit and peak memory.
Run runCli(const std::vector<std::string> &args)
{
    Run run;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const auto t = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return run;
    }
    std::vector<char> buffer(1 << 16);
    for (ssize_t n; (n = ::read(pipeFds[0], buffer.data(), buffer.size())) > 0;)
        run.bytes += static_cast<std::size_t>(n);
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.seconds = seconds(t);
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// What two cores give work that shares nothing: the same busy loop on one
// thread, then on every core at once. On a virtual machine whose cores are
// two threads of one physical core this is well under 2, and no walk can do
// better than it.
double busyLoopRatio()
{
    const auto loop = [](std::uint64_t seed) {
        std::uint64_t x = seed;
        for (int i = 0; i < 40'000'000; ++i)
            x = (x * 6364136223846793005ULL + 1442695040888963407ULL) ^ (x >> 17);
        return x;
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::array<double, 7> ratios{};
    volatile std::uint64_t sink = 0;
    for (double &ratio : ratios) {
        auto t = std::chrono::steady_clock::now();
        sink = sink + loop(1);
        const double one = seconds(t);
        t = std::chrono::steady_clock::now();
        std::vector<std::thread> threads;
        for (unsigned c = 0; c < cores; ++c)
            threads.emplace_back([&, c] { sink = sink + loop(c + 2); });
        for (std::thread &thread : threads)
            thread.join();
        ratio = cores * one / seconds(t);
    }
    return median(ratios);
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

    // The command line first, while this program is small: a child's peak
    // memory counts what it shared with its parent before it started.
    // Every row is printed into a pipe.
    std::string cliReport;
    bool cliOk = true;
#ifdef VELM_CLI
    const std::vector<std::string> command{VELM_CLI, "search", "2026-01-01", "00:00", "--matter", name,
                                           "--kind", "3", "--limit", "438300", "--max-matches", "438300",
                                           "--data", dir};
    std::vector<std::string> serialCommand = command;
    serialCommand.insert(serialCommand.end(), {"--threads", "1"});
    std::array<double, 7> cliTimes{};
    std::array<double, 7> cliSerialTimes{};
    std::array<double, 7> cliPeaks{};
    Run last;
    for (std::size_t i = 0; i < cliTimes.size(); ++i) {
        last = runCli(command);
        const Run one = runCli(serialCommand);
        cliOk = cliOk && last.ok && one.ok && last.bytes == one.bytes;
        cliTimes[i] = last.seconds;
        cliPeaks[i] = last.peakMiB;
        cliSerialTimes[i] = one.seconds;
    }
    cliReport = formatted(
        "velm-cli search, 100 years, every row printed: %.3f s start to exit, peak %.1f MiB, %.1f MB printed\n",
        median(cliTimes), *std::max_element(cliPeaks.begin(), cliPeaks.end()), static_cast<double>(last.bytes) / 1e6);
    cliReport += formatted("velm-cli on one thread : %.3f s; ratio parallel/serial %.2f x\n", median(cliSerialTimes),
                           median(cliSerialTimes) / median(cliTimes));
#endif

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
    // Every moment that matches is laid again by the other two schools.
    SearchSettings schoolsSettings = s;
    schoolsSettings.allSchools = true;
    SearchOutcome parallel;
    SearchOutcome precise;
    SearchOutcome schools;
    std::array<double, 7> schoolsTimes{};
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
        t = std::chrono::steady_clock::now();
        schools = SrcProc(schoolsSettings, matter.matter, numbers.tables, names);
        schoolsTimes[i] = seconds(t);
    }
    const double preciseSeconds = median(preciseTimes);
    const double parallelSeconds = median(parallelTimes);
    const double serialSeconds = median(serialTimes);
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
    std::printf("in all three schools : %lld matches, %.3f s (%.2f x the search; at most 3 x)\n",
                static_cast<long long>(schools.matches), median(schoolsTimes), median(schoolsTimes) / parallelSeconds);
    std::printf("parallel search      : %12.0f moments/s\n", parallelRate);
    std::printf("serial search        : %12.0f moments/s (%.3f s)\n", serialRate, serialSeconds);
    std::printf("ratio parallel/serial: %8.2f x with %u threads\n", parallelRate / serialRate,
                std::thread::hardware_concurrency());
    std::printf("busy loops, no search: %8.2f x on %u threads (what the cores can give)\n", busyLoopRatio(),
                std::thread::hardware_concurrency());
    std::printf("plain uncached loop  : %12.0f moments/s (%lld moments, %lld matches)\n", plainRate,
                static_cast<long long>(plainMoments), static_cast<long long>(plainMatches));
    std::printf("ratio parallel/plain : %8.1f x\n", parallelRate / plainRate);
    std::printf("ratio serial/plain   : %8.1f x\n", serialRate / plainRate);
    // Rows are made from the compact matches only when asked for: as the
    // text the command line prints, on every core, and as the list window's
    // rows.
    const SearchRowText::Widths widths = searchDataWidths(parallel);
    const SearchRowText text(parallel, SearchRowText::Form::Grid, widths);
    constexpr std::size_t Block = 4096;
    const std::size_t n = parallel.rowCount();
    std::size_t textBytes = 0;
    std::array<double, 7> textTimes{};
    std::array<double, 7> textSerialTimes{};
    for (std::size_t i = 0; i < textTimes.size(); ++i) {
        for (int threads : {0, 1}) {
            textBytes = 0;
            t0 = std::chrono::steady_clock::now();
            makeBlocksInOrder(
                (n + Block - 1) / Block,
                threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())),
                [&](std::size_t b, std::string &out) { text.append(b * Block, std::min(n, (b + 1) * Block), out); },
                [&](std::string_view made) {
                    textBytes += made.size();
                    return true;
                });
            (threads == 0 ? textTimes : textSerialTimes)[i] = seconds(t0);
        }
    }
    std::array<double, 7> rowTimes{};
    std::vector<ListRow> parallelRows;
    for (double &time : rowTimes) {
        t0 = std::chrono::steady_clock::now();
        parallelRows = parallel.rows();
        time = seconds(t0);
    }
    const bool same = parallelRows == serial.rows() && parallel.examined == serial.examined;
    std::printf("making the %zu rows  : %.3f s as printed text (%.1f MB; %.3f s on one thread), %.3f s as list rows\n",
                parallelRows.size(), median(textTimes), static_cast<double>(textBytes) / 1e6,
                median(textSerialTimes), median(rowTimes));
    std::printf("same results serial and parallel: %s\n", same ? "yes" : "NO");
    std::printf("%s", cliReport.c_str());
    if (!cliOk)
        std::printf("velm-cli FAILED or printed different outputs\n");
    return same && cliOk ? 0 : 1;
}
