#include "engine/precise.h"

#include <cmath>

#include <erfa.h>
#include <erfam.h>

namespace velm {
namespace {

// ΔT = TT - UT in seconds, Espenak and Meeus (2006), the polynomials of the
// NASA eclipse canon; y is the decimal year.
double espenakMeeusDeltaT(double y)
{
    // Before 1700 only the equation of time of true solar time asks for it
    // (any year of the calendar); the 1700 form continued backwards gave
    // ΔT = -671,370 s in the year 1, a week off. The published segments:
    if (y < -500) {
        const double u = (y - 1820) / 100;
        return -20 + 32 * u * u;
    }
    if (y < 500) {
        const double u = y / 100;
        return 10583.6 - 1014.41 * u + 33.78311 * u * u - 5.952053 * std::pow(u, 3) - 0.1798452 * std::pow(u, 4)
            + 0.022174192 * std::pow(u, 5) + 0.0090316521 * std::pow(u, 6);
    }
    if (y < 1600) {
        const double u = (y - 1000) / 100;
        return 1574.2 - 556.01 * u + 71.23472 * u * u + 0.319781 * std::pow(u, 3) - 0.8503463 * std::pow(u, 4)
            - 0.005050998 * std::pow(u, 5) + 0.0083572073 * std::pow(u, 6);
    }
    if (y < 1700) {
        const double t = y - 1600;
        return 120 - 0.9808 * t - 0.01532 * t * t + std::pow(t, 3) / 7129;
    }
    if (y < 1800) {
        const double t = y - 1700;
        return 8.83 + 0.1603 * t - 0.0059285 * t * t + 0.00013336 * t * t * t - std::pow(t, 4) / 1174000;
    }
    if (y < 1860) {
        const double t = y - 1800;
        return 13.72 - 0.332447 * t + 0.0068612 * t * t + 0.0041116 * std::pow(t, 3)
            - 0.00037436 * std::pow(t, 4) + 0.0000121272 * std::pow(t, 5)
            - 0.0000001699 * std::pow(t, 6) + 0.000000000875 * std::pow(t, 7);
    }
    if (y < 1900) {
        const double t = y - 1860;
        return 7.62 + 0.5737 * t - 0.251754 * t * t + 0.01680668 * std::pow(t, 3)
            - 0.0004473624 * std::pow(t, 4) + std::pow(t, 5) / 233174;
    }
    if (y < 1920) {
        const double t = y - 1900;
        return -2.79 + 1.494119 * t - 0.0598939 * t * t + 0.0061966 * std::pow(t, 3)
            - 0.000197 * std::pow(t, 4);
    }
    if (y < 1941) {
        const double t = y - 1920;
        return 21.20 + 0.84493 * t - 0.076100 * t * t + 0.0020936 * std::pow(t, 3);
    }
    if (y < 1961) {
        const double t = y - 1950;
        return 29.07 + 0.407 * t - t * t / 233 + std::pow(t, 3) / 2547;
    }
    if (y < 1986) {
        const double t = y - 1975;
        return 45.45 + 1.067 * t - t * t / 260 - std::pow(t, 3) / 718;
    }
    if (y < 2005) {
        const double t = y - 2000;
        return 63.86 + 0.3345 * t - 0.060374 * t * t + 0.0017275 * std::pow(t, 3)
            + 0.000651814 * std::pow(t, 4) + 0.00002373599 * std::pow(t, 5);
    }
    if (y < 2050) {
        const double t = y - 2000;
        return 62.92 + 0.32217 * t + 0.005589 * t * t;
    }
    const double u = (y - 1820) / 100;
    if (y < 2150)
        return -20 + 32 * u * u - 0.5628 * (2150 - y);
    return -20 + 32 * u * u;
}

constexpr double UtcFrom = 2441317.5; // 1972-01-01 00:00 UTC

// The Sun's apparent direction (unit vector, GCRS axes) and its distance in
// au at TT = t1 + t2.
void apparentSun(double t1, double t2, double direction[3], double &distance)
{
    double earthHelio[2][3];
    double earthBary[2][3];
    eraEpv00(t1, t2, earthHelio, earthBary);
    // Light time: the Sun is seen where it was about 499 s earlier. Its
    // barycentric position then is taken back along its barycentric velocity
    // (about 15 m/s, so the straight line is exact to well under a metre).
    double geo[3];
    for (int k = 0; k < 3; ++k)
        geo[k] = -earthHelio[0][k];
    const double lightDays = eraPm(geo) * ERFA_AULT / ERFA_DAYSEC;
    for (int k = 0; k < 3; ++k) {
        const double sunVelocity = earthBary[1][k] - earthHelio[1][k];
        geo[k] -= lightDays * sunVelocity;
    }

    double natural[3];
    eraPn(geo, &distance, natural);
    double v[3];
    for (int k = 0; k < 3; ++k)
        v[k] = earthBary[1][k] * ERFA_AULT / ERFA_DAYSEC; // in units of c
    const double bm1 = std::sqrt(1 - eraPm(v) * eraPm(v));
    eraAb(natural, v, distance, bm1, direction);
}

// TT as a two-part date with the civil date's large part kept apart.
void civilToTT(double j1, double j2, double &t1, double &t2)
{
    t1 = j1;
    t2 = j2 + ttMinusCivil(j1 + j2) / ERFA_DAYSEC;
}

// The Sun's apparent direction at a civil moment, with the TT it was taken at.
struct ApparentSunAt {
    double t1 = 0;
    double t2 = 0;
    double direction[3] = {};
};

ApparentSunAt apparentSunAtCivil(double j1, double j2)
{
    ApparentSunAt sun;
    civilToTT(j1, j2, sun.t1, sun.t2);
    double distance = 0;
    apparentSun(sun.t1, sun.t2, sun.direction, distance);
    return sun;
}

} // namespace

double ttMinusCivil(double jdCivil)
{
    if (jdCivil >= UtcFrom) {
        int iy = 0;
        int im = 0;
        int id = 0;
        double fd = 0;
        double dat = 37;
        // eraDat keeps the last table value for any later date and only
        // warns (status 1) that the year is beyond its table.
        if (eraJd2cal(jdCivil, 0, &iy, &im, &id, &fd) == 0)
            eraDat(iy, im, id, fd, &dat);
        return 32.184 + dat;
    }
    int iy = 0;
    int im = 0;
    int id = 0;
    double fd = 0;
    if (eraJd2cal(jdCivil, 0, &iy, &im, &id, &fd) != 0)
        return espenakMeeusDeltaT(-4712);
    return espenakMeeusDeltaT(iy + (im - 0.5) / 12);
}

namespace {

// Longitude of the apparent direction from the mean equinox of date, in
// degrees within one turn either way.
double meanEquinoxLongitude(ApparentSunAt sun)
{
    double rm[3][3];
    eraEcm06(sun.t1, sun.t2, rm);
    double ecliptic[3];
    eraRxp(rm, sun.direction, ecliptic);
    return std::atan2(ecliptic[1], ecliptic[0]) * ERFA_DR2D;
}

double nutationAtTT(double t1, double t2)
{
    double dpsi = 0;
    double deps = 0;
    eraNut06a(t1, t2, &dpsi, &deps);
    return dpsi * ERFA_DR2D;
}

} // namespace

double sunLongitudeMeanEquinox(double j1, double j2)
{
    return meanEquinoxLongitude(apparentSunAtCivil(j1, j2));
}

double nutationInLongitude(double j1, double j2)
{
    double t1 = 0;
    double t2 = 0;
    civilToTT(j1, j2, t1, t2);
    return nutationAtTT(t1, t2);
}

double preciseSunLongitude(double j1, double j2)
{
    const ApparentSunAt sun = apparentSunAtCivil(j1, j2);
    const double lon = meanEquinoxLongitude(sun) + nutationAtTT(sun.t1, sun.t2);
    return lon - 360 * std::floor(lon / 360);
}

double equationOfTime(double j1, double j2)
{
    ApparentSunAt sun = apparentSunAtCivil(j1, j2);
    // Right ascension on the true equator and equinox of date.
    double npb[3][3];
    eraPnm06a(sun.t1, sun.t2, npb);
    double ofDate[3];
    eraRxp(npb, sun.direction, ofDate);
    const double ra = std::atan2(ofDate[1], ofDate[0]);
    // UT1 taken as the civil time: under a second apart.
    const double gast = eraGst06a(j1, j2, sun.t1, sun.t2);
    // Apparent solar time at Greenwich is the sun's hour angle plus 12 h,
    // mean solar time is UT; their difference within half a day.
    const double ut = std::fmod(j1 - 0.5, 1.0) + std::fmod(j2, 1.0);
    double e = (gast - ra) / ERFA_D2PI + 0.5 - ut;
    e -= std::floor(e + 0.5);
    return e;
}

} // namespace velm
