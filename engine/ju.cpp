#include "engine/ju.h"

#include <cmath>

#include "engine/datetime.h"
#include "engine/fpu.h"
#include "engine/symbols.h"

namespace velm {

std::optional<long> TyoShin(long dayNumber, int stem, int branch)
{
    if (stem < 0 || stem > 9 || branch < 0 || branch > 11 || (stem - branch) % 2 != 0)
        return std::nullopt;
    int k = sexagenary(stem, branch) % 15;
    int offset = k <= 7 ? -k : 15 - k;
    return dayNumber + offset;
}

std::string tyoShinMessage(int stem, int branch)
{
    std::string text;
    if (stem >= 0 && stem <= 9)
        text += StemName[stem];
    if (branch >= 0 && branch <= 11)
        text += BranchName[branch];
    return text;
}

int KSToJun(int stem, int branch)
{
    switch (branch - stem) {
    case 0:
        return 4;
    case 10:
    case -2:
        return 5;
    case 8:
    case -4:
        return 6;
    case 6:
    case -6:
        return 7;
    case 4:
    case -8:
        return 8;
    default:
        return 9;
    }
}

FutoDayResult solsticeXunHead(DayValue r, double tz, Astronomy astronomy)
{
    FutoDayResult result;
    TermSearch s = before_nibun(5, tz, r, astronomy);
    result.solstice = s.instant;
    result.SunLongitude = s.SunLongitude;
    result.TermLongitude = s.TermLongitude;
    // The solstice's local civil date, as its text reads back.
    CivilTime c = JD2YMDTParts(s.instant);
    long ds = dayNumberFromCivil(c.year, c.month, c.day);
    int stem = static_cast<int>(ds % 10);
    int branch = static_cast<int>((ds + 2) % 12);
    std::optional<long> f = TyoShin(ds, stem, branch);
    if (!f) {
        result.error = tyoShinMessage(stem, branch);
        result.day = 0;
    } else {
        result.day = *f;
    }
    return result;
}

FutoDayResult FutoDay(DayValue r, double tz, Astronomy astronomy)
{
    FutoDayResult result = solsticeXunHead(r, tz, astronomy);
    if (fpu::truncToLong(r) - result.day >= 0)
        return result;
    // The xun-head day of the coming solstice lies ahead: the moment still
    // belongs to the previous half-year, reached from thirty days earlier.
    return solsticeXunHead(r - 30, tz, astronomy);
}

int termYuanJu(int term, int yuan)
{
    const int upper = TermJu[static_cast<std::size_t>(term) % 24];
    const int step = term % 24 < 12 ? 6 : 3;
    return (upper - 1 + step * yuan) % 9;
}

SchoolReading schoolReading(JuMethod method, int term, DayValue termEntry, DayValue hourDay, DayValue at)
{
    SchoolReading s;
    s.term = ((term % 24) + 24) % 24;
    s.dun = s.term < 12 ? 0 : 1;
    if (method == JuMethod::Maoshan) {
        // Five days a yuan from the entry instant itself, not from a midnight.
        const long double days = at - termEntry;
        s.yuan = days < 5 ? 0 : days < 10 ? 1 : 2;
        s.headDay = fpu::truncToLong(termEntry);
    } else {
        // The 符頭 is the last 甲 or 己 day, the day itself included; its
        // branch names the yuan: 子午卯酉 上元, 寅申巳亥 中元, 辰戌丑未 下元.
        const long day = fpu::truncToLong(hourDay);
        s.headDay = day - ((day % 5) + 5) % 5;
        const int branch = static_cast<int>(((s.headDay + 2) % 12 + 12) % 12);
        s.yuan = branch % 3 == 0 ? 0 : branch % 3 == 2 ? 1 : 2;
    }
    s.ju = termYuanJu(s.term, s.yuan);
    return s;
}

} // namespace velm
