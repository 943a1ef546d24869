#include "output/laidchart.h"

#include "evaluation/patterns.h"

namespace velm {

LaidChart layChart(const Koyomi &koyomi, int kind, LayingMethod method, const NumberTables *tables,
                   const ConstData *names)
{
    LaidChart laid;
    laid.koyomi = koyomi;
    laid.method = method;
    laid.chart = BanCreate(koyomi, kind, method, &standardPatternDetector());
    if (tables)
        laid.scores = SuuSan(laid.chart, koyomi, *tables, method);
    if (names) {
        laid.labels = chartLabels(laid.chart, koyomi, *names);
        for (int p = 0; p < 9; ++p)
            laid.palaces[static_cast<std::size_t>(p)] = palaceText(laid.chart.Ban, p, *names);
    }
    return laid;
}

LaidChart layChart(const CivilTime &moment, int kind, const KoyomiOptions &options, LayingMethod method,
                   const NumberTables *tables, const ConstData *names)
{
    return layChart(DateToKyu(moment, options, names != nullptr), kind, method, tables, names);
}

} // namespace velm
