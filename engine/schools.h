#pragma once

// The hour chart as each school of finding the ju lays it at one moment:
// what the windows need to mark the moments where the schools part ways
// without laying three charts.

#include <array>
#include <optional>

#include "engine/ju.h"
#include "engine/koyomi.h"

namespace velm {

// In the order 置閏, 拆補, 茅山 (JuMethod's own order).
using HourSchools = std::array<SchoolReading, 3>;

// `k` is the moment's koyomi laid with `options` (whatever school they
// name). Only the settings' own school is laid again when it is not ours,
// so this costs about one koyomi at most. Empty when the options leave the
// other schools no reading (ten double-hours a ju, or no settings).
std::optional<HourSchools> hourSchools(const Koyomi &k, const CivilTime &moment, const KoyomiOptions &options);

// Whether the schools lay different hour charts: the chart follows the dun
// and the ju, the pillars being the same for all.
bool schoolsDiffer(const HourSchools &schools);

} // namespace velm
