#include "engine/datetime.h"

#include <cmath>

namespace velm {

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && isLeapYear(year))
        return 29;
    return lengths[month - 1];
}

bool isValidCivil(const CivilTime &t)
{
    return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1
        && t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0
        && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

// Howard Hinnant's days_from_civil (public domain), shifted so that
// 2000-01-01 gives 2451544.
long dayNumberFromCivil(int year, int month, int day)
{
    long y = year - (month <= 2 ? 1 : 0);
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;                                            // [0, 399]
    long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1; // [0, 365]
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;                    // [0, 146096]
    long daysSince1970 = era * 146097 + doe - 719468;
    return daysSince1970 + 2440587;
}

CivilTime civilFromDayNumber(long dayNumber)
{
    long z = dayNumber - 2440587 + 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;                                  // [0, 146096]
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365; // [0, 399]
    long y = yoe + era * 400;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);           // [0, 365]
    long mp = (5 * doy + 2) / 153;                                // [0, 11]
    CivilTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(y + (t.month <= 2 ? 1 : 0));
    return t;
}

DateTime encodeDateTime(const CivilTime &t)
{
    double days = static_cast<double>(dayNumberFromCivil(t.year, t.month, t.day) - 2415018);
    return days + (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
}

CivilTime decodeDateTime(DateTime dt)
{
    double whole = std::floor(dt);
    long long ms = std::llround((dt - whole) * 86400000.0);
    long dayNumber = static_cast<long>(whole) + 2415018;
    if (ms >= 86400000LL) {
        ms -= 86400000LL;
        ++dayNumber;
    }
    CivilTime t = civilFromDayNumber(dayNumber);
    long long secs = ms / 1000;
    t.hour = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>(secs / 60 % 60);
    t.second = static_cast<int>(secs % 60);
    return t;
}

DateTime dateTimeFromDayValueText(DayValue v)
{
    return encodeDateTime(JD2YMDTParts(v));
}

int weekday(long dayNumber)
{
    // 2000-01-01 (2451544) was a Saturday.
    return static_cast<int>(((dayNumber - 2451544) % 7 + 7 + 6) % 7);
}

} // namespace velm
