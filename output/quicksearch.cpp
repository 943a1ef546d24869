#include "output/quicksearch.h"

#include "engine/datetime.h"
#include "evaluation/patterns.h"
#include "output/laidchart.h"
#include "output/walk.h"

namespace velm {
namespace {

bool validKind(int kind)
{
    return kind >= KindYear && kind <= KindHour;
}

bool meets(const Koyomi &k, const QuickSearchCondition &c)
{
    const auto i = static_cast<std::size_t>(c.kind);
    return (!c.stem || *c.stem == k.BanKan[i])
        && (!c.branch || *c.branch == k.BanShi[i])
        && c.dun == k.BanTon[i]
        && (!c.ju || *c.ju == k.BanKyoku[i] + 1); // BanKyoku holds ju - 1
}

} // namespace

bool quickConditionPossible(const QuickSearchCondition &condition)
{
    return !condition.stem || !condition.branch || *condition.stem % 2 == *condition.branch % 2;
}

QuickSearchResult quickSearch(const QuickSearchOptions &options, const QuickSearchProgress &progress)
{
    QuickSearchResult result;
    const QuickSearchCondition &c = options.condition;
    if (!validKind(c.kind))
        return result;

    for (long i = 0; i < options.limit; ++i) {
        result.examined = i;
        if (progress && i % QuickSearchProgressEvery == 0 && !progress(i)) {
            result.status = QuickSearchResult::Status::Cancelled;
            return result;
        }
        const CivilTime t = walkMoment(options.start, c.kind, i);
        if (!isValidCivil(t) || !inWalkRange(t, options.koyomi.astronomy)) {
            // Past 9999-12-31 (or the precise terms' last year): nothing further to examine.
            result.ended = i > 0;
            result.last = i > 0 ? walkMoment(options.start, c.kind, i - 1) : CivilTime{};
            return result;
        }
        // The conditions read only the calendar facts; the chart itself is
        // laid only for the moment found.
        Koyomi k = DateToKyu(t, options.koyomi);
        if (!k.error.empty() || !meets(k, c))
            continue;
        result.status = QuickSearchResult::Status::Found;
        result.found = t;
        result.chart = layChart(k, c.kind, options.method).chart;
        result.koyomi = std::move(k);
        return result;
    }
    result.examined = options.limit > 0 ? options.limit : 0;
    return result;
}

} // namespace velm
