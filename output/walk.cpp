#include "output/walk.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "engine/datetime.h"
#include "engine/precise.h"

namespace velm {
namespace {

const long EpochDay = dayNumberFromCivil(1, 1, 1);

int stepKind(int kind)
{
    return kind >= 0 && kind < 4 ? kind : 3;
}

} // namespace

std::int64_t secondsFromCivil(const CivilTime &t)
{
    std::int64_t days = dayNumberFromCivil(t.year, t.month, t.day) - EpochDay;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime civilFromSeconds(std::int64_t seconds)
{
    std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    std::int64_t rest = seconds - days * 86400; // [0, 86399]
    CivilTime t = civilFromDayNumber(static_cast<long>(days + EpochDay));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

CivilTime walkMoment(const CivilTime &start, int kind, std::int64_t k)
{
    return civilFromSeconds(secondsFromCivil(start) + k * WalkStepSeconds[stepKind(kind)]);
}

WalkMoments::WalkMoments(const CivilTime &start, int kind)
    : m_base(secondsFromCivil(start)), m_step(WalkStepSeconds[stepKind(kind)]), m_days(INT64_MIN)
{
}

CivilTime WalkMoments::at(std::int64_t k)
{
    const std::int64_t seconds = m_base + k * m_step;
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    if (days != m_days) {
        m_days = days;
        m_date = civilFromDayNumber(static_cast<long>(days + EpochDay));
    }
    const std::int64_t rest = seconds - days * 86400;
    CivilTime t = m_date;
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

CivilTime walkLastMoment(Astronomy astronomy)
{
    const int year = astronomy == Astronomy::Precise ? PreciseLastYear : 9999;
    return CivilTime{year, 12, 31, 23, 59, 59};
}

bool inWalkRange(const CivilTime &t, Astronomy astronomy)
{
    return t.year >= 1 && secondsFromCivil(t) <= secondsFromCivil(walkLastMoment(astronomy));
}

std::int64_t walkLength(const CivilTime &start, int kind, Astronomy astronomy)
{
    const std::int64_t last = secondsFromCivil(walkLastMoment(astronomy));
    const std::int64_t from = secondsFromCivil(start);
    if (from > last)
        return 0;
    return (last - from) / WalkStepSeconds[stepKind(kind)] + 1;
}

std::int64_t walkLimit(const CivilTime &start, int kind, std::int64_t limit, Astronomy astronomy)
{
    return std::min(limit, walkLength(start, kind, astronomy));
}

std::string walkEndReason(Astronomy astronomy)
{
    if (astronomy == Astronomy::Precise)
        return "精密な節気の計算は" + std::to_string(PreciseLastYear) + "年までのため、";
    return "日付が9999年12月31日を超えるため、";
}

std::string walkEndMessage(const CivilTime &last, std::int64_t examined, std::string_view doing,
                           Astronomy astronomy)
{
    char when[48];
    std::snprintf(when, sizeof when, "%04d/%02d/%02d %02d:%02d", last.year, last.month, last.day, last.hour,
                  last.minute);
    return walkEndReason(astronomy) + std::string(when) + "までの" + std::to_string(examined) + "件で"
        + std::string(doing) + "を終えました。";
}

} // namespace velm
