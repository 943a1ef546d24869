#pragma once

// The platform date-time of the program: days since 1899-12-30 00:00 as a
// double, the fraction being the time of day. Walks over moments add their
// steps to this value. Conversions here are exact proleptic Gregorian (unlike
// JD2YMDT, whose series the calendar texts must reproduce as they are).

#include "engine/astro.h"

namespace velm {

using DateTime = double;

bool isLeapYear(int year);
int daysInMonth(int year, int month);
// A real date within years 1..9999 and a time 0:00:00..23:59:59.
bool isValidCivil(const CivilTime &t);

// Day number (integer part of the day value) of a civil date; 2000-01-01 is 2451544.
long dayNumberFromCivil(int year, int month, int day);
CivilTime civilFromDayNumber(long dayNumber);

DateTime encodeDateTime(const CivilTime &t);
// Rounds to the millisecond, as the platform's decoder does.
CivilTime decodeDateTime(DateTime dt);

// A day value from JD2YMDT components read back as a date-time, seconds kept:
// a term is compared at the second its text shows, never at a fraction of it.
DateTime dateTimeFromDayValueText(DayValue v);

// Weekday 0 = Sunday .. 6 = Saturday.
int weekday(long dayNumber);

} // namespace velm
