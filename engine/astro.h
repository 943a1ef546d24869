#pragma once

// Calendar astronomy: civil date-time <-> day value, the sun's apparent
// longitude, and the instant the sun reaches a chosen longitude.
//
// A day value counts days in local civil time: its integer part changes at
// local midnight, and 2000-01-01 00:00 is 2451544.0 (the Julian Date of the
// same clock reading minus 0.5). All integer-part operations truncate toward
// zero. Day values are 80-bit extended floats: with a plain double the
// date-time text comes back a second short for about half of all inputs.

#include <string>

namespace velm {

using DayValue = long double;

// Where the sun's longitude comes from: the short series below (the
// calendar's own, and the default) or the precise models of precise.h.
enum class Astronomy {
    Short,
    Precise,
};

// Offset between a day value and the platform date-time (days since
// 1899-12-30 00:00).
inline constexpr long double DateTimeOffset = 2415018.0L;

DayValue YMDT2JD(long double year, long double month, long double day,
                 long double hour, long double minute, long double second);

struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CivilTime &, const CivilTime &) = default;
};

// The components that JD2YMDT writes as text (seconds truncated).
CivilTime JD2YMDTParts(DayValue v);
// "2024/2/4 17:18:56": plain decimals, no leading zeros.
std::string JD2YMDT(DayValue v);

long double norm_angle(long double degrees);

// Apparent longitude of the sun in degrees; T in Julian centuries of 36525 days
// from 2000-01-01 12:00 universal time. About 0.01° accuracy.
long double sun_longitude(long double T);

// The sun's longitude at a local day value, computed exactly as the term
// search reads it at its starting moment.
long double sunLongitudeAt(DayValue v, double tz, Astronomy astronomy = Astronomy::Short);

// The instant (local day value) near `estimate`, within a few days of it, at
// which the precise longitude reaches `target` degrees.
DayValue preciseCrossing(long double target, DayValue estimate, double tz);

struct TermSearch {
    DayValue instant = 0;           // local day value of the found crossing
    long double SunLongitude = 0;   // longitude at the moment passed in
    long double TermLongitude = 0;  // the longitude searched for
};

// Modes: 0 latest of the 24 terms, 1 latest month-opening term (節),
// 3 立春, 5 the solstice governing the half-year (from about nine days before
// it). tz in hours east of Greenwich; v is local. The precise source finds the
// same crossing to a hundredth of a second.
TermSearch before_nibun(int mode, double tz, DayValue v, Astronomy astronomy = Astronomy::Short);

} // namespace velm
