#include "engine/astro.h"

#include "engine/fpu.h"
#include "engine/precise.h"
#include "engine/preciseterms.h"

#include <array>
#include <cmath>

namespace velm {
namespace {

// The integer part, truncated toward zero rather than floored: the day-number
// formulas below count on truncation.
long double Int(long double x)
{
    return fpu::trunc(x);
}

constexpr long double DegToRad = 0.017453292519943295769L;

struct SeriesTerm {
    long double rate;
    long double phase;
    long double amplitude;
};

// Periodic terms of the sun's longitude, summed in this order.
constexpr std::array<SeriesTerm, 14> LongitudeSeries{{
    {31557.0L, 161.0L, 0.0004L},
    {29930.0L, 48.0L, 0.0004L},
    {2281.0L, 221.0L, 0.0005L},
    {155.0L, 118.0L, 0.0005L},
    {33718.0L, 316.0L, 0.0006L},
    {9038.0L, 64.0L, 0.0007L},
    {3035.0L, 110.0L, 0.0007L},
    {65929.0L, 45.0L, 0.0007L},
    {22519.0L, 352.0L, 0.0013L},
    {45038.0L, 254.0L, 0.0015L},
    {445267.0L, 208.0L, 0.0018L},
    {19.0L, 159.0L, 0.0018L},
    {32964.0L, 158.0L, 0.0020L},
    {71998.1L, 265.1L, 0.0200L},
}};

// Cosine of an angle in radians within one turn. On x86 the FPU's own FCOS
// gives the extended-precision result the tables were made with, and is several
// times faster than the library's long double cosine.
long double cosine(long double radians)
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    long double r;
    __asm__("fcos" : "=t"(r) : "0"(radians));
    return r;
#else
    return std::cos(radians);
#endif
}

// Round to nearest, halves to even: the calendar's term texts were made with
// this rounding, and any other would move the target on an exact half.
long double roundHalfEven(long double x)
{
    return std::nearbyint(x); // default rounding mode is to-nearest-even
}

// The longitude each mode searches for, from the longitude L at the moment.
long double termTarget(int mode, long double L)
{
    switch (mode) {
    case 1:
        return 30 * roundHalfEven(L / 30) - 15;
    case 3:
        return 315;
    case 5:
        return (L >= 80.87500001L && L <= 260.8750001L) ? 90 : 270;
    default:
        return 15 * Int(L / 15);
    }
}

long double foldDegrees(long double delta)
{
    if (delta > 180)
        return delta - 360;
    if (delta < -180)
        return delta + 360;
    return delta;
}

// The civil Julian Date of a local day value in two parts, the whole day kept
// exact.
struct CivilJd {
    double j1;
    double j2;
};
CivilJd civilJd(DayValue v, double tz)
{
    const long double whole = Int(v);
    return {static_cast<double>(whole) + 0.5,
            static_cast<double>(v - whole - static_cast<long double>(tz) / 24)};
}

long double preciseLongitudeAt(DayValue v, double tz)
{
    const CivilJd jd = civilJd(v, tz);
    return preciseSunLongitude(jd.j1, jd.j2);
}

constexpr long double MeanDaysPerDegree = 365.2422L / 360;

// The crossing of the short series near `estimate`, by Newton steps on its
// mean motion (it is cheap), to well under a second.
DayValue shortCrossing(long double target, DayValue estimate, double tz)
{
    DayValue x = estimate;
    for (int round = 0; round < 40; ++round) {
        const long double step = foldDegrees(sunLongitudeAt(x, tz) - target) * MeanDaysPerDegree;
        x -= step;
        if (std::fabs(step) < 1e-6L)
            break;
    }
    return x;
}

} // namespace

int thresholdIndex(long double angle)
{
    for (std::size_t i = 0; i < TermThresholds.size(); ++i)
        if (TermThresholds[i] == angle)
            return static_cast<int>(i);
    return -1;
}

PreciseCrossing findPreciseCrossing(long double target, DayValue estimate, double tz)
{
    const long double offset = static_cast<long double>(tz) / 24;
    if (const std::optional<DayValue> utc = tabledCrossing(thresholdIndex(target), estimate - offset))
        return {*utc + offset, true};
    return {computePreciseCrossing(target, estimate, tz), false};
}

DayValue preciseCrossing(long double target, DayValue estimate, double tz)
{
    return findPreciseCrossing(target, estimate, tz).instant;
}

DayValue computePreciseCrossing(long double target, DayValue estimate, double tz)
{
    // The short series lies within a quarter hour of the precise sun and has
    // nearly its rate: it gives the starting point and the slope, and a few
    // Newton steps on the precise longitude finish to under 0.01 s.
    DayValue x = shortCrossing(target, estimate, tz);
    constexpr long double h = 0.01L;
    long double rate = foldDegrees(sunLongitudeAt(x + h, tz) - sunLongitudeAt(x - h, tz)) / (2 * h);
    if (!(rate > 0.9L && rate < 1.1L))
        rate = 1 / MeanDaysPerDegree;
    const CivilJd at = civilJd(x, tz);
    const long double dpsi = nutationInLongitude(at.j1, at.j2);
    for (int round = 0; round < 20; ++round) {
        const CivilJd jd = civilJd(x, tz);
        const long double L = sunLongitudeMeanEquinox(jd.j1, jd.j2) + dpsi;
        const long double step = foldDegrees(L - target - 360 * std::floor((L - target) / 360 + 0.5L)) / rate;
        x -= step;
        if (std::fabs(step) < 1e-7L)
            break;
    }
    return x;
}

namespace {

// The crossing of the target nearest in time, as the short search finds it.
TermSearch preciseBeforeNibun(int mode, double tz, DayValue v)
{
    TermSearch result;
    const long double L = preciseLongitudeAt(v, tz);
    result.SunLongitude = L;
    result.TermLongitude = termTarget(mode, L);
    const DayValue estimate = v - foldDegrees(L - result.TermLongitude) * MeanDaysPerDegree;
    result.instant = preciseCrossing(result.TermLongitude, estimate, tz);
    return result;
}

} // namespace

DayValue YMDT2JD(long double year, long double month, long double day,
                 long double hour, long double minute, long double second)
{
    if (month < 3) {
        year -= 1;
        month += 12;
    }
    return Int(365.25L * year) + Int(year / 400) - Int(year / 100)
        + Int(30.59L * (month - 2)) + 1721088 + day
        + (hour + minute / 60 + second / 3600) / 24;
}

CivilTime JD2YMDTParts(DayValue v)
{
    long double x0 = Int(v + 68570);
    long double x1 = Int(x0 / 36524.25L);
    long double x2 = x0 - Int(36524.25L * x1 + 0.75L);
    long double x3 = Int((x2 + 1) / 365.2425L);
    long double x4 = x2 - Int(365.25L * x3) + 31;
    long double x5 = Int(Int(x4) / 30.59L);
    long double x6 = Int(x5 / 11);

    CivilTime t;
    t.day = static_cast<int>(x4 - Int(30.59L * x5));
    t.month = static_cast<int>(x5 - 12 * x6 + 2);
    t.year = static_cast<int>(100 * (x1 - 49) + x3 + x6);
    // The series gives day 30 on the last day of February in many years.
    if (t.month == 2 && t.day > 28)
        t.day = t.year % 4 == 0 ? 29 : 28;

    long double s = 86400 * (v - Int(v));
    long double hour = Int(s / 3600);
    long double minute = Int((s - 3600 * hour) / 60);
    long double second = Int(s - 3600 * hour - 60 * minute);
    t.hour = static_cast<int>(hour);
    t.minute = static_cast<int>(minute);
    t.second = static_cast<int>(second);
    return t;
}

std::string JD2YMDT(DayValue v)
{
    CivilTime t = JD2YMDTParts(v);
    return std::to_string(t.year) + "/" + std::to_string(t.month) + "/" + std::to_string(t.day)
        + " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":"
        + std::to_string(t.second);
}

long double norm_angle(long double x)
{
    if (x >= 0)
        return x - 360 * Int(x / 360);
    return 360 - (-x - 360 * Int(-x / 360));
}

long double sun_longitude(long double T)
{
    long double th = 0;
    for (const SeriesTerm &term : LongitudeSeries)
        th += term.amplitude * cosine(DegToRad * norm_angle(term.rate * T + term.phase));

    long double A = norm_angle(35999.05L * T + 267.52L);
    th = th - 0.0048L * T * cosine(DegToRad * A);
    th = th + 1.9147L * cosine(DegToRad * A);

    long double M = norm_angle(norm_angle(36000.7695L * T) + 280.4659L);
    return norm_angle(th + M);
}

long double sunLongitudeAt(DayValue v, double tz, Astronomy astronomy)
{
    if (astronomy == Astronomy::Precise)
        return preciseLongitudeAt(v, tz);
    long double tm1 = Int(v);
    long double tm2 = v - tm1 - static_cast<long double>(tz) / 24;
    long double T = (tm2 + 0.5L) / 36525 + (tm1 - 2451545) / 36525;
    return sun_longitude(T);
}

TermSearch before_nibun(int mode, double tz, DayValue v, Astronomy astronomy)
{
    if (astronomy == Astronomy::Precise)
        return preciseBeforeNibun(mode, tz, v);
    TermSearch result;
    long double tm1 = Int(v);
    long double tm2 = v - tm1 - static_cast<long double>(tz) / 24; // tm1 + tm2 is UT

    long double T = (tm2 + 0.5L) / 36525 + (tm1 - 2451545) / 36525;
    long double L = sun_longitude(T);
    result.SunLongitude = L;

    result.TermLongitude = termTarget(mode, L);

    // Newton-like steps of one mean-motion estimate each. The fold into ±180°
    // makes the search land on the crossing nearest in time. It converges in a
    // few rounds for every real moment; the cap only guards against a
    // non-finite input looping forever.
    long double dt1 = 1;
    long double dt2 = 1;
    for (int round = 0; std::fabs(dt1 + dt2) > 1.1574074074074073e-05L && round < 1000; ++round) {
        T = (tm2 + 0.5L) / 36525 + (tm1 - 2451545) / 36525;
        long double delta = sun_longitude(T) - result.TermLongitude;
        if (delta > 180)
            delta -= 360;
        else if (delta < -180)
            delta += 360;
        dt1 = Int(delta * 365.2L / 360);
        dt2 = delta * 365.2L / 360 - dt1;
        tm1 -= dt1;
        tm2 -= dt2;
        if (tm2 < 0) {
            tm2 += 1;
            tm1 -= 1;
        }
    }

    result.instant = (static_cast<long double>(tz) / 24 + tm2) + tm1;
    return result;
}

} // namespace velm
