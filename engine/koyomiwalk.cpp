#include "engine/koyomiwalk.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "engine/datetime.h"
#include "engine/fpu.h"
#include "engine/koyomi_inputs.h"
#include "engine/preciseterms.h"

namespace velm {
namespace {

// Moments closer than this to a crossing are computed in full: the crossing
// instants are found to well under a second.
constexpr long double CrossingMargin = 10.0L / 86400;
// Term instants closer than this to midnight could change their date between
// two searches started from different moments.
constexpr long double MidnightMargin = 5.0L / 86400;

constexpr long double DaysPerDegree = 365.2422L / 360;
constexpr long double CoverBack = 200;

long double fold(long double delta)
{
    while (delta > 180)
        delta -= 360;
    while (delta < -180)
        delta += 360;
    return delta;
}

// The instant near `estimate` where the computed longitude reaches `angle`;
// `tabled` when every search for it returns this very value.
PreciseCrossing crossing(long double angle, DayValue estimate, double tz, Astronomy astronomy)
{
    if (astronomy == Astronomy::Precise)
        return findPreciseCrossing(angle, estimate, tz);
    DayValue v = estimate;
    for (int i = 0; i < 30; ++i) {
        long double step = fold(sunLongitudeAt(v, tz) - angle) * DaysPerDegree;
        v -= step;
        if (std::fabs(step) < 1e-7L)
            break;
    }
    return {v, false};
}

bool awayFromMidnight(DayValue v)
{
    long double frac = v - std::floor(v);
    return frac > MidnightMargin && frac < 1 - MidnightMargin;
}

} // namespace

KoyomiWalker::KoyomiWalker(const KoyomiOptions &options, bool exactLongitude)
    : m_options(options)
    , m_exactLongitude(exactLongitude)
{
}

void KoyomiWalker::cover(DayValue v)
{
    const double tz = m_options.clock.calendarTz();
    const DayValue lo = v - 40;
    // Ten years ahead: a cover costs a few hundred term searches, and a walk
    // forward then needs one per decade.
    const DayValue hi = v + 3660;
    m_crossings.clear();
    m_spans.clear();
    m_last = 0;

    // From well before the earliest moment that needs it (the governing
    // solstice of a moment 30 days back may lie half a year before it), to
    // past hi. The short series only picks the first longitude: any crossing
    // around there will do.
    long double L = sunLongitudeAt(lo - CoverBack, tz);
    std::size_t next = static_cast<std::size_t>(
        std::upper_bound(TermThresholds.begin(), TermThresholds.end(), L) - TermThresholds.begin());
    std::size_t k = (next + TermThresholds.size() - 1) % TermThresholds.size();
    long double back = L - TermThresholds[k];
    if (back < 0)
        back += 360;
    PreciseCrossing c = crossing(TermThresholds[k], lo - CoverBack - back * DaysPerDegree, tz, m_options.astronomy);
    m_crossings.push_back({c.instant, static_cast<int>(k), c.tabled});
    while (c.instant <= hi) {
        std::size_t n = (k + 1) % TermThresholds.size();
        long double gap = TermThresholds[n] - TermThresholds[k];
        if (gap <= 0)
            gap += 360;
        c = crossing(TermThresholds[n], c.instant + gap * DaysPerDegree, tz, m_options.astronomy);
        m_crossings.push_back({c.instant, static_cast<int>(n), c.tabled});
        k = n;
    }
    m_spans.resize(m_crossings.size() - 1);
}

int KoyomiWalker::crossingBefore(int index, int angle) const
{
    for (int i = index; i >= 0; --i)
        if (m_crossings[static_cast<std::size_t>(i)].angle == angle)
            return i;
    return -1;
}

int KoyomiWalker::spanOf(DayValue v)
{
    if (m_crossings.size() < 2 || v < m_crossings.front().at + CoverBack + 31
        || v >= m_crossings.back().at - 2)
        cover(v);
    // Walks move forward: try the last span and its successor before searching.
    int i = m_last;
    if (!(m_crossings[static_cast<std::size_t>(i)].at <= v && v < m_crossings[static_cast<std::size_t>(i) + 1].at)) {
        if (i + 2 < static_cast<int>(m_crossings.size()) && m_crossings[static_cast<std::size_t>(i) + 1].at <= v
            && v < m_crossings[static_cast<std::size_t>(i) + 2].at) {
            ++i;
        } else {
            auto it = std::upper_bound(m_crossings.begin(), m_crossings.end(), v,
                                       [](DayValue x, const Crossing &c) { return x < c.at; });
            i = static_cast<int>(it - m_crossings.begin()) - 1;
            if (i < 0 || i + 1 >= static_cast<int>(m_crossings.size()))
                return -1;
        }
    }
    m_last = i;
    if (v - m_crossings[static_cast<std::size_t>(i)].at < CrossingMargin
        || m_crossings[static_cast<std::size_t>(i) + 1].at - v < CrossingMargin)
        return -1;
    return i;
}

const KoyomiWalker::Span &KoyomiWalker::span(int index)
{
    Span &s = m_spans[static_cast<std::size_t>(index)];
    if (s.ready)
        return s;
    s.ready = true;
    s.safe = false;
    const auto i = static_cast<std::size_t>(index);
    const DayValue mid = (m_crossings[i].at + m_crossings[i + 1].at) / 2;
    // The longitude anywhere in the span decides what each term search looks
    // for; the search lands on the crossing of that longitude, which is in the
    // list (found to a fraction of a second, as the search finds it). Every
    // such decision turns on a threshold, and the span lies between two
    // neighbouring ones: the longitude halfway between them decides alike,
    // without computing the sun.
    const long double from = TermThresholds[static_cast<std::size_t>(m_crossings[i].angle)];
    long double to = TermThresholds[static_cast<std::size_t>(m_crossings[i + 1].angle)];
    if (to <= from)
        to += 360;
    const long double L = norm_angle((from + to) / 2);
    s.doyo = inDoyo(L);
    const int latest = crossingBefore(index, thresholdIndex(15 * fpu::trunc(L / 15)));
    long double monthAngle = 30 * std::nearbyint(L / 30) - 15;
    if (monthAngle < 0)
        monthAngle += 360;
    const int month = crossingBefore(index, thresholdIndex(monthAngle));
    const bool summer = L >= 80.87500001L && L <= 260.8750001L;
    const int solsticeAngle = thresholdIndex(summer ? 90 : 270);
    // The solstice nearest in time: the last one passed or the one ahead.
    int solstice = crossingBefore(index, solsticeAngle);
    for (std::size_t n = i + 1; n < m_crossings.size() && m_crossings[n].at < mid + 15; ++n)
        if (m_crossings[n].angle == solsticeAngle)
            solstice = static_cast<int>(n);
    if (latest < 0 || month < 0 || solstice < 0)
        return s;

    s.monthTerm = m_crossings[static_cast<std::size_t>(month)].at;
    s.latestTerm = m_crossings[static_cast<std::size_t>(latest)].at;
    s.monthTermText = JD2YMDTParts(s.monthTerm);
    s.latestTermText = JD2YMDTParts(s.latestTerm);

    FutoDayResult &f = s.solstice;
    f.solstice = m_crossings[static_cast<std::size_t>(solstice)].at;
    f.SunLongitude = L;
    f.TermLongitude = summer ? 90 : 270;
    CivilTime c = JD2YMDTParts(f.solstice);
    long ds = dayNumberFromCivil(c.year, c.month, c.day);
    std::optional<long> day = TyoShin(ds, static_cast<int>(ds % 10), static_cast<int>((ds + 2) % 12));
    if (!day)
        return s;
    f.day = *day;
    // Crossings from the precise table are the values every search returns,
    // so no date read from them can differ.
    const bool exact = m_crossings[static_cast<std::size_t>(month)].exact
        && m_crossings[static_cast<std::size_t>(latest)].exact
        && m_crossings[static_cast<std::size_t>(solstice)].exact;
    s.safe = exact
        || (awayFromMidnight(s.monthTerm) && awayFromMidnight(s.latestTerm) && awayFromMidnight(f.solstice));
    return s;
}

Koyomi KoyomiWalker::at(const CivilTime &moment)
{
    KoyomiInputs in;
    // YMDT2JD's integer part is the civil day number; the hour adds the same
    // single rounding it does.
    in.r = static_cast<DayValue>(dayNumberFromCivil(moment.year, moment.month, moment.day))
        + static_cast<DayValue>(moment.hour) / 24;
    // Where the terms are compared: the whole hour, or the minute when minutes count.
    const DayValue at = m_options.exactMinutes
        ? static_cast<DayValue>(dayNumberFromCivil(moment.year, moment.month, moment.day))
            + (static_cast<DayValue>(moment.hour) + static_cast<DayValue>(moment.minute) / 60
               + static_cast<DayValue>(moment.second) / 3600) / 24
        : in.r;
    const DayValue rp = hourChartDay(at, moment.hour);

    auto full = [&]() {
        ++m_full;
        Koyomi k = DateToKyu(moment, m_options, false);
        if (!m_exactLongitude)
            k.SunLongitude = std::numeric_limits<long double>::quiet_NaN();
        return k;
    };

    // On true solar time every moment has its own offset: nothing to share.
    if (m_options.clock.solarTime == SolarTime::True)
        return full();
    int i = spanOf(at);
    if (i < 0)
        return full();
    const Span &here = span(i);
    if (!here.safe)
        return full();
    in.termsAt = at;
    in.doyo = here.doyo;
    in.monthTerm = here.monthTerm;
    in.latestTerm = here.latestTerm;
    in.monthTermText = here.monthTermText;
    in.latestTermText = here.latestTermText;

    int j = rp == at ? i : spanOf(rp);
    if (j < 0)
        return full();
    const Span &governing = span(j);
    if (!governing.safe)
        return full();
    const FutoDayResult *futo = &governing.solstice;
    if (fpu::truncToLong(rp) - futo->day < 0) {
        // The coming solstice's xun-head day lies ahead: the previous one governs.
        int b = spanOf(rp - 30);
        if (b < 0)
            return full();
        const Span &previous = span(b);
        if (!previous.safe)
            return full();
        futo = &previous.solstice;
    }
    // No span is looked up after this, so the spans stay where they are.
    in.futoRef = futo;
    m_last = i;
    in.SunLongitude = m_exactLongitude ? sunLongitudeAt(at, m_options.clock.calendarTz(), m_options.astronomy)
                                       : std::numeric_limits<long double>::quiet_NaN();
    return composeKoyomi(moment, m_options, in, false);
}

} // namespace velm
