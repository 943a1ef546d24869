#include "output/walk.h"

#include "engine/datetime.h"

namespace velm {
namespace {

const long EpochDay = dayNumberFromCivil(1, 1, 1);

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
    const int step = kind >= 0 && kind < 4 ? kind : 3;
    return civilFromSeconds(secondsFromCivil(start) + k * WalkStepSeconds[step]);
}

} // namespace velm
