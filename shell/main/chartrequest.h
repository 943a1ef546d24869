#pragma once

// What one press of the chart button lays, as values: read from the entry
// once, then handed to the chart host, which lays every chart from it.

#include <array>
#include <vector>

#include "engine/astro.h"
#include "shell/settings/appsettings.h"

namespace velm {

// A moment of a chart request: as entered, on the calendar clock, and the
// options with the calendar clock's offset at it.
struct ChartMoment {
    CivilTime entered;
    CivilTime at;
    EngineOptions options;
};

// The moment, the chart kinds ticked (0 year .. 3 hour) and the designated
// hours of its day, each read on the clock by itself.
struct ChartRequest {
    ChartMoment moment;
    std::array<bool, 4> kinds{};
    std::vector<ChartMoment> designated;
};

} // namespace velm
