// Works out the table of preciseterms.h: the precise crossing of every
// threshold longitude, cycle after cycle from the March equinox of the first
// year, and writes them as the body of a C++ array. Run by the build.
//
// Usage: velm_termtable OUTPUT

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/astro.h"
#include "engine/preciseterms.h"

namespace velm {

// This program makes the table: every crossing it finds is computed.
std::optional<DayValue> tabledCrossing(int, DayValue)
{
    return std::nullopt;
}

} // namespace velm

namespace {

// From before the first walk of the precise calendar (1800, less the months a
// walk looks back) to past the last (2200, plus the ten years it looks ahead).
constexpr int FirstYear = 1798;
constexpr int Cycles = 2212 - FirstYear;
constexpr long double DaysPerDegree = 365.2422L / 360;

void cycles(int from, int to, std::vector<long double> &out)
{
    using namespace velm;
    const std::size_t angles = TermThresholds.size();
    for (int c = from; c < to; ++c) {
        DayValue x = computePreciseCrossing(0, YMDT2JD(FirstYear + c, 3, 20, 12, 0, 0), 0.0);
        out[static_cast<std::size_t>(c) * angles] = x;
        for (std::size_t k = 1; k < angles; ++k) {
            const long double gap = TermThresholds[k] - TermThresholds[k - 1];
            x = computePreciseCrossing(TermThresholds[k], x + gap * DaysPerDegree, 0.0);
            out[static_cast<std::size_t>(c) * angles + k] = x;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    using velm::TermThresholds;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velm_termtable OUTPUT\n");
        return 2;
    }
    const std::size_t angles = TermThresholds.size();
    std::vector<long double> crossings(Cycles * angles);
    // Each cycle starts from its own estimate, so the two halves are
    // independent and the result does not depend on how they are shared out.
    std::thread second(cycles, Cycles / 2, Cycles, std::ref(crossings));
    cycles(0, Cycles / 2, crossings);
    second.join();

    // Each crossing must follow the last by about the mean time the sun takes
    // for the gap between their longitudes; anything else is a root found on
    // the wrong side and would put a wrong instant in every walk.
    for (std::size_t i = 1; i < crossings.size(); ++i) {
        long double gap = TermThresholds[i % angles] - TermThresholds[(i - 1) % angles];
        if (gap < 0)
            gap += 360;
        const long double days = crossings[i] - crossings[i - 1];
        if (!(days > 0.9L * gap && days < 1.1L * gap)) {
            std::fprintf(stderr, "velm_termtable: crossing %zu is %Lg days after the one before\n", i, days);
            return 1;
        }
    }

    // Written beside and renamed into place, so that a build cut short leaves
    // no half table that looks finished.
    const std::string path = argv[1];
    const std::string part = path + ".part";
    std::FILE *f = std::fopen(part.c_str(), "w");
    if (f == nullptr) {
        std::perror(part.c_str());
        return 1;
    }
    std::fprintf(f, "// Made by velm_termtable: %d cycles of %zu crossings from %d.\n", Cycles, angles, FirstYear);
    for (long double x : crossings)
        std::fprintf(f, "%.21LgL,\n", x);
    if (std::fclose(f) != 0 || std::rename(part.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        return 1;
    }
    return 0;
}
