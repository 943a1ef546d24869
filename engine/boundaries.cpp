#include "engine/boundaries.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/clock.h"
#include "engine/datetime.h"
#include "engine/fpu.h"
#include "engine/symbols.h"

namespace velm {
namespace {

constexpr long double DaysPerDegree = 365.2422L / 360;
// The other side of a term is laid a minute beyond its instant: far outside
// the search's tolerance of a second, far inside any double-hour.
constexpr long double SideStep = 60.0L / 86400;

long double foldDegrees(long double delta)
{
    while (delta > 180)
        delta -= 360;
    while (delta < -180)
        delta += 360;
    return delta;
}

int termIndex(long double longitude)
{
    return static_cast<int>(((static_cast<int>(longitude) - 270) / 15 + 24) % 24);
}

std::int64_t secondsOf(const CivilTime &t)
{
    return instantFromCivil(t);
}

CivilTime addSeconds(const CivilTime &t, std::int64_t s)
{
    return civilFromInstant(instantFromCivil(t) + s);
}

// The term of `target` near `estimate`, found as the terms listing finds it:
// the short series searched from the first midnight after its crossing,
// refined by the precise source when that is in use, and shown on the
// calendar clock in force at the instant.
Boundary termNear(long double target, DayValue estimate, const CivilTime &moment,
                  const KoyomiOptions &options, double tz)
{
    // A day past the crossing the target is the latest term (the next one is
    // two weeks away), whatever the estimate's error.
    const TermSearch probe = before_nibun(0, tz, estimate + 1);
    const long midnight = fpu::truncToLong(probe.instant) + 1;
    DayValue local = before_nibun(0, tz, static_cast<DayValue>(midnight)).instant;
    if (options.astronomy == Astronomy::Precise)
        local = preciseCrossing(target, local, tz);

    Boundary b;
    b.kind = BoundaryKind::Term;
    b.term = termIndex(target);
    b.name = std::string(TermName[static_cast<std::size_t>(b.term)]);
    b.instant = local;
    if (options.astronomy == Astronomy::Short && options.clock.isDefault()) {
        b.time = JD2YMDTParts(local);
    } else {
        const long double ut = local - static_cast<long double>(tz) / 24;
        const auto instant = static_cast<Instant>(
            std::floor((ut - static_cast<long double>(dayNumberFromCivil(1970, 1, 1))) * 86400));
        b.time = civilFromInstant(instant + calendarOffsetAt(instant, options.clock));
    }
    b.seconds = secondsOf(b.time) - secondsOf(moment);
    return b;
}

Boundary clockBoundary(BoundaryKind kind, const CivilTime &moment, const CivilTime &at)
{
    Boundary b;
    b.kind = kind;
    b.time = at;
    b.name = kind == BoundaryKind::Day
        ? std::string("日")
        : std::string(BranchName[static_cast<std::size_t>(HourBranch[static_cast<std::size_t>(at.hour)])]);
    b.seconds = secondsOf(at) - secondsOf(moment);
    return b;
}

std::string phrase(const Boundary &b)
{
    switch (b.kind) {
    case BoundaryKind::Term:
        return b.name;
    case BoundaryKind::Hour:
        return b.name + "刻入り";
    case BoundaryKind::Day:
        break;
    }
    return "日替り";
}

} // namespace

MomentBoundaries boundariesOf(const CivilTime &moment, const KoyomiOptions &options)
{
    MomentBoundaries all;
    const double tz = termSearchTz(moment, options);
    const DayValue v = YMDT2JD(moment.year, moment.month, moment.day, moment.hour, moment.minute,
                               moment.second);

    // Which term the moment lies after is the term search's answer at the
    // moment itself, in the source the chart uses.
    const TermSearch latest = before_nibun(0, tz, v, options.astronomy);
    const long double previous = latest.TermLongitude;
    const long double next = previous + 15 >= 360 ? previous + 15 - 360 : previous + 15;
    const long double L = latest.SunLongitude;
    all[0] = termNear(previous, v - foldDegrees(L - previous) * DaysPerDegree, moment, options, tz);
    all[1] = termNear(next, v - foldDegrees(L - next) * DaysPerDegree, moment, options, tz);
    // Rounding to the second cannot move a term across the moment.
    all[0].seconds = std::min<std::int64_t>(all[0].seconds, 0);
    all[1].seconds = std::max<std::int64_t>(all[1].seconds, 0);
    all[0].time = addSeconds(moment, all[0].seconds);
    all[1].time = addSeconds(moment, all[1].seconds);

    // The chart compares terms at termComparisonMoment: only the previous term
    // can be counted differently from the moment (later in the same hour).
    const DayValue compared = termComparisonMoment(moment, options);
    all[0].counted = compared == v || before_nibun(0, tz, compared, options.astronomy).TermLongitude == previous;
    all[1].counted = false;

    // Double-hours begin at odd hours; 23:00 begins 子.
    CivilTime start = moment;
    start.minute = 0;
    start.second = 0;
    start = addSeconds(start, moment.hour % 2 == 0 ? -3600 : 0);
    all[2] = clockBoundary(BoundaryKind::Hour, moment, start);
    all[3] = clockBoundary(BoundaryKind::Hour, moment, addSeconds(start, 7200));

    CivilTime midnight = moment;
    midnight.hour = 0;
    midnight.minute = 0;
    midnight.second = 0;
    all[4] = clockBoundary(BoundaryKind::Day, moment, midnight);
    all[5] = clockBoundary(BoundaryKind::Day, moment, addSeconds(midnight, 86400));
    return all;
}

bool boundaryIsNear(const Boundary &b, int warnMinutes, Astronomy astronomy)
{
    if (warnMinutes <= 0)
        return false;
    std::int64_t reach = static_cast<std::int64_t>(warnMinutes) * 60;
    if (b.kind == BoundaryKind::Term) {
        if (b.counted != (b.seconds <= 0))
            return true;
        if (astronomy == Astronomy::Short)
            reach += ShortSeriesMarginMinutes * 60;
    }
    return std::llabs(b.seconds) <= reach;
}

namespace {

// Index of the nearest boundary that asks for a warning among those `wanted`
// accepts, or -1.
template <class Wanted>
int nearestWanted(const MomentBoundaries &all, int warnMinutes, Astronomy astronomy, Wanted wanted)
{
    int best = -1;
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        const Boundary &b = all[static_cast<std::size_t>(i)];
        if (!wanted(b) || !boundaryIsNear(b, warnMinutes, astronomy))
            continue;
        if (best < 0 || std::llabs(b.seconds) < std::llabs(all[static_cast<std::size_t>(best)].seconds))
            best = i;
    }
    return best;
}

} // namespace

int nearestBoundary(const MomentBoundaries &all, int warnMinutes, Astronomy astronomy, bool termsOnly)
{
    return nearestWanted(all, warnMinutes, astronomy,
                         [termsOnly](const Boundary &b) { return !termsOnly || b.kind == BoundaryKind::Term; });
}

int boundaryToWarn(const MomentBoundaries &all, int warnMinutes, Astronomy astronomy, int kind)
{
    const int term = nearestBoundary(all, warnMinutes, astronomy, true);
    if (term >= 0 || kind == KindYear || kind == KindMonth)
        return term;
    return nearestWanted(all, warnMinutes, astronomy, [kind](const Boundary &b) {
        return kind == KindDay ? b.kind == BoundaryKind::Day : b.kind != BoundaryKind::Term;
    });
}

Koyomi otherSideOfTerm(const CivilTime &moment, const KoyomiOptions &options, const Boundary &term,
                       bool withSummary)
{
    const DayValue at = term.counted ? term.instant - SideStep : term.instant + SideStep;
    return DateToKyuTermsAt(moment, options, at, withSummary);
}

CivilTime otherSideMoment(const Boundary &b)
{
    return b.seconds > 0 ? b.time : addSeconds(b.time, -60);
}

std::string boundaryDistanceText(const Boundary &b)
{
    const std::int64_t minutes = (std::llabs(b.seconds) + 30) / 60;
    return phrase(b) + (b.seconds > 0 ? "まで" : "から") + std::to_string(minutes) + "分";
}

std::string otherSideText(const Boundary &b)
{
    const bool after = b.kind == BoundaryKind::Term ? !b.counted : b.seconds > 0;
    return phrase(b) + (after ? "後" : "前");
}

} // namespace velm
