#pragma once

// The precise term source: the sun's apparent geocentric ecliptic longitude
// from the IAU models of the ERFA library, and the time scales that tie the
// civil clocks to them.
//
// Model: Earth and Sun barycentric positions from eraEpv00 (TDB taken as
// TT), the Sun's light time, annual aberration with the Earth's barycentric
// velocity (eraAb), the mean ecliptic and equinox of date (eraEcm06) and the
// nutation in longitude (eraNut06a): longitude referred to the true equinox
// of date. Against a full ephemeris the longitude is good to about 0.1",
// i.e. a term instant to about 2 s, within 1900..2100; outside it eraEpv00
// degrades slowly, and ΔT (below) dominates the error before 1900.
//
// Time scales: civil time is UTC from 1972 (TT - UTC = 32.184 s + TAI - UTC
// from eraDat, kept at the table's last value after it ends, since no leap
// seconds are predicted), and UT before 1972 (TT - UT = ΔT from the
// Espenak-Meeus 2006 polynomials; their uncertainty is about 1 s around
// 1900, 2 s around 1850 and 5 s around 1800).

#include <cstdint>

namespace velm {

// Years of the civil calendar the precise source is offered for.
inline constexpr int PreciseFirstYear = 1800;
inline constexpr int PreciseLastYear = 2200;
inline constexpr bool preciseCoversYear(int year)
{
    return year >= PreciseFirstYear && year <= PreciseLastYear;
}

// TT minus the civil time scale (UTC from 1972, UT before), in seconds, at
// the given civil Julian Date.
double ttMinusCivil(double jdCivil);

// Apparent geocentric ecliptic longitude of the sun, true equinox of date,
// in degrees [0, 360), at the civil (UTC/UT) Julian Date jdCivil = j1 + j2.
double preciseSunLongitude(double j1, double j2);
// Its two parts, in degrees: the longitude from the mean equinox of date
// (any turn), and the nutation in longitude. The nutation moves by under
// 0.1" a day, so a search may take it once for the quarter hour it refines.
double sunLongitudeMeanEquinox(double j1, double j2);
double nutationInLongitude(double j1, double j2);

// Equation of time in days (apparent minus mean solar time) at the civil
// Julian Date j1 + j2, from the same sun and the Greenwich apparent sidereal
// time: positive in early November (about +16 minutes).
double equationOfTime(double j1, double j2);

} // namespace velm
