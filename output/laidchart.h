#pragma once

// A chart as a value: the calendar facts of a moment, the chart of one kind
// laid from them, and what the windows, the lists and the command line show
// of it. Every place that lays a chart goes through layChart, so a new
// calendar or laying option reaches all of them at once.

#include <array>
#include <optional>

#include "engine/ban.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "evaluation/suusan.h"
#include "output/charttext.h"

namespace velm {

struct LaidChart {
    Koyomi koyomi;
    ChartRecord chart;
    LayingMethod method = LayingMethod::Rotating;
    // Made only when layChart was given number tables.
    std::optional<SuuScores> scores;
    // Made only when layChart was given the names: the labels above and
    // below the grid and the seven slices of each palace.
    std::optional<ChartLabels> labels;
    std::array<PalaceText, 9> palaces;
};

// The chart of `kind` from the facts given, with its patterns. Walks that
// only judge the chart pass neither tables nor names and pay for nothing
// more.
LaidChart layChart(const Koyomi &koyomi, int kind, LayingMethod method, const NumberTables *tables = nullptr,
                   const ConstData *names = nullptr);

// The same from a moment on the calendar clock: the facts first, with the
// summary line when the names are given (the chart is then for people).
LaidChart layChart(const CivilTime &moment, int kind, const KoyomiOptions &options, LayingMethod method,
                   const NumberTables *tables = nullptr, const ConstData *names = nullptr);

} // namespace velm
