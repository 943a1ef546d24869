#include "engine/preciseterms.h"

#include <cmath>
#include <cstddef>
#include <iterator>

namespace velm {
namespace {

// Cycles of 30 crossings each, in time order, every cycle starting at 0°.
constexpr long double Crossings[] = {
#include "preciseterms_table.inc"
};

constexpr long Angles = static_cast<long>(TermThresholds.size());
constexpr long Cycles = static_cast<long>(std::size(Crossings)) / Angles;
static_assert(Cycles * Angles == static_cast<long>(std::size(Crossings)));

// The same longitude comes round once a year; an estimate within 120 days of
// a crossing is then nearer to it than to any other crossing of it.
constexpr long double Reach = 120;

} // namespace

std::optional<DayValue> tabledCrossing(int index, DayValue estimate)
{
    if (index < 0 || index >= Angles || !std::isfinite(estimate))
        return std::nullopt;
    const long double cycle = std::nearbyint((estimate - Crossings[index]) / 365.2422L);
    if (!(cycle > -2 && cycle < Cycles + 1))
        return std::nullopt;
    const long around = static_cast<long>(cycle);
    for (long c = around - 1; c <= around + 1; ++c) {
        if (c < 0 || c >= Cycles)
            continue;
        const long double at = Crossings[static_cast<std::size_t>(c * Angles + index)];
        if (std::fabs(at - estimate) < Reach)
            return at;
    }
    return std::nullopt;
}

} // namespace velm
