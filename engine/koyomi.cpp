#include "engine/koyomi.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "engine/clock.h"
#include "engine/fpu.h"
#include "engine/ju.h"
#include "engine/koyomi_inputs.h"
#include "engine/symbols.h"

namespace velm {
namespace {

long truncToLong(long double x)
{
    return fpu::truncToLong(x);
}

// "m/d h:n": no leading zeros.
std::string monthDayHourMinute(const CivilTime &t)
{
    return std::to_string(t.month) + "/" + std::to_string(t.day) + " " + std::to_string(t.hour)
        + ":" + std::to_string(t.minute);
}

// Day nine-star and day dun from the fixed 8400-day cycle.
void dayStarAndDun(long dayNumber, Koyomi &k)
{
    long x = ((dayNumber - 2020) % 8400 + 8400) % 8400;
    long s = 0;
    bool yin = false;
    long e = 0;
    if (x <= 209) {
        s = 0;
        e = 6;
    } else if (x <= 3989) {
        long q = (x - 210) / 180;
        s = 210 + 180 * q;
        yin = q % 2 == 0;
    } else if (x <= 4199) {
        s = 3990;
    } else if (x <= 4409) {
        s = 4200;
        yin = true;
        e = 6;
    } else if (x <= 4589) {
        s = 4410;
    } else {
        long q = (x - 4590) / 180;
        s = 4590 + 180 * q;
        yin = q % 2 == 0;
    }
    int v = static_cast<int>((x - s + e) % 9);
    k.BanKyuSei[2] = yin ? 8 - v : v;
    k.BanTon[2] = yin ? 1 : 0;
}

} // namespace

bool inDoyo(long double L)
{
    return (L >= 27 && L < 45) || (L >= 117 && L < 135) || (L >= 207 && L < 225)
        || (L >= 297 && L < 315);
}

DayValue hourChartDay(DayValue r, int hour)
{
    // At 23:00 the hour chart already belongs to the next day (its 00:30).
    return hour == 23 ? fpu::trunc(r) + 1.02083333333333L : r;
}

KoyomiInputs gatherKoyomiInputs(const CivilTime &moment, double tz, Astronomy astronomy)
{
    const DayValue r = YMDT2JD(moment.year, moment.month, moment.day, moment.hour, 0, 0);
    return gatherKoyomiInputs(moment, tz, astronomy, r, r);
}

KoyomiInputs gatherKoyomiInputs(const CivilTime &moment, double tz, Astronomy astronomy,
                                DayValue termsAt, DayValue solsticeAt)
{
    KoyomiInputs in;
    in.r = YMDT2JD(moment.year, moment.month, moment.day, moment.hour, 0, 0);
    in.termsAt = termsAt;
    TermSearch e = before_nibun(1, tz, termsAt, astronomy);
    in.monthTerm = e.instant;
    in.SunLongitude = e.SunLongitude;
    in.doyo = inDoyo(e.SunLongitude);
    in.latestTerm = before_nibun(0, tz, termsAt, astronomy).instant;
    in.monthTermText = JD2YMDTParts(in.monthTerm);
    in.latestTermText = JD2YMDTParts(in.latestTerm);
    in.futo = FutoDay(hourChartDay(solsticeAt, moment.hour), tz, astronomy);
    return in;
}

double termSearchTz(const CivilTime &moment, const KoyomiOptions &options)
{
    return options.clock.solarTime == SolarTime::True
        ? trueSolarOffsetFor(moment, options.clock.longitude, options.clock.equationTable.get()) / 3600.0
        : options.clock.calendarTz();
}

DayValue termComparisonMoment(const CivilTime &moment, const KoyomiOptions &options)
{
    if (!options.exactMinutes)
        return YMDT2JD(moment.year, moment.month, moment.day, moment.hour, 0, 0);
    return YMDT2JD(moment.year, moment.month, moment.day, moment.hour, moment.minute, moment.second);
}

Koyomi DateToKyu(const CivilTime &moment, const KoyomiOptions &options, bool withSummary)
{
    const double tz = termSearchTz(moment, options);
    if (!options.exactMinutes)
        return composeKoyomi(moment, options, gatherKoyomiInputs(moment, tz, options.astronomy), withSummary);
    const DayValue at = termComparisonMoment(moment, options);
    return composeKoyomi(moment, options, gatherKoyomiInputs(moment, tz, options.astronomy, at, at),
                         withSummary);
}

Koyomi DateToKyuTermsAt(const CivilTime &moment, const KoyomiOptions &options, DayValue termsAt,
                        bool withSummary)
{
    const double tz = termSearchTz(moment, options);
    return composeKoyomi(moment, options,
                         gatherKoyomiInputs(moment, tz, options.astronomy, termsAt,
                                            termComparisonMoment(moment, options)),
                         withSummary);
}

Koyomi composeKoyomi(const CivilTime &moment, const KoyomiOptions &options,
                     const KoyomiInputs &in, bool withSummary)
{
    Koyomi k;
    const int h = moment.hour;

    // 1. The moment at its whole hour.
    const DayValue r = in.r;
    k.moment = r;

    // 2. Month-opening term; its calendar year and month decide year and month pillars.
    k.monthTerm = in.monthTerm;
    k.SunLongitude = in.SunLongitude;
    const CivilTime &ec = in.monthTermText;
    const int Y = ec.year;
    const int M = ec.month;
    k.monthYear = Y;
    k.monthMonth = M;

    // 3. Year pillar: an entry in January means 立春 has not yet come.
    if (M >= 2) {
        k.BanKyuSei[0] = 8 - (Y + 7) % 9;
        k.BanKan[0] = (Y + 16) % 10;
        k.BanShi[0] = (Y + 20) % 12;
    } else {
        k.BanKyuSei[0] = 8 - (Y + 6) % 9;
        k.BanKan[0] = (Y + 5) % 10;
        k.BanShi[0] = (Y + 7) % 12;
    }
    k.BanTon[0] = 1; // year and month charts are always yin
    k.BanTon[1] = 1;

    // 4. Month pillar.
    const int g = 12 * Y + M;
    k.BanKyuSei[1] = 8 - (g + 5) % 9;
    k.BanKan[1] = (g + 12) % 10;
    k.BanShi[1] = M % 12;

    // 5. Day pillar.
    const long D = truncToLong(r);
    k.BanKan[2] = static_cast<int>(D % 10);
    k.BanShi[2] = static_cast<int>((D + 2) % 12);

    // 6. Day nine-star and dun.
    dayStarAndDun(D, k);

    // 7. Hour pillar; at 23:00 the stem is already the next day's 子 hour.
    k.BanShi[3] = HourBranch[static_cast<std::size_t>(h)];
    k.BanKan[3] = ((k.BanKan[2] % 5) * 2 + (h + 1) / 2) % 10;

    // 8. Pillars and longitude.
    std::string text;
    if (withSummary) {
        for (int i = 0; i < 4; ++i) {
            text += StemName[k.BanKan[i]];
            text += BranchName[k.BanShi[i]];
            text += i < 3 ? "：" : "  ";
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2Lf", k.SunLongitude);
        text += "黄経:";
        text += buf;
        text += "゜";
    }

    // 9. Season, with the four 土用 spans before each season's start.
    if (M == 1 || M == 11 || M == 12)
        k.Kisetsu = 3;
    else if (M <= 4)
        k.Kisetsu = 0;
    else if (M <= 7)
        k.Kisetsu = 1;
    else
        k.Kisetsu = 2;
    if (in.doyo)
        k.Kisetsu = 4;
    if (withSummary) {
        text += SeasonName[k.Kisetsu];
        text += " ";
        // 10. Month-opening term.
        text += "月初：" + monthDayHourMinute(ec) + "  ";
    }

    // 11. Latest of the 24 terms.
    k.latestTerm = in.latestTerm;
    const CivilTime &bc = in.latestTermText;
    const int t = (2 * bc.month - (bc.day < 16 ? 1 : 0)) % 24;
    k.BanSekki[2] = t;
    if (withSummary)
        text += std::string(TermName[static_cast<std::size_t>(t)]) + "：" + monthDayHourMinute(bc) + "  ";

    // 12. Hour chart: the 23:00 rule and the governing xun-head day.
    DayValue rp = hourChartDay(r, h);
    const FutoDayResult &futo = in.futoRef != nullptr ? *in.futoRef : in.futo;
    const long F = futo.day;
    k.futoDay = F;
    k.solstice = futo.solstice;
    k.TermLongitude = futo.TermLongitude;
    k.error = futo.error;

    k.BanTon[3] = futo.TermLongitude == 270 ? 0 : 1;
    // The day chart of sixty days per ju keeps the solstice's dun whichever
    // school reads the hour chart.
    const int solsticeDun = k.BanTon[3];
    // The other schools read the hour chart's term and yuan from the term in
    // force; only the ju of sixty double-hours has a yuan to read.
    std::optional<SchoolReading> school;
    if (options.juMethod != JuMethod::Zhirun && options.settingsExist && options.periods[3] == 1) {
        school = schoolReading(options.juMethod, t, in.latestTerm, rp, in.termsAt != 0 ? in.termsAt : r);
        k.BanTon[3] = school->dun;
    }
    if (withSummary)
        text += k.BanTon[3] == 0 ? "冬至" : "夏至";

    const int d = options.kcb1 ? k.BanTon[3] : k.BanTon[2];
    const int bb = k.BanShi[2] % 3;
    const int u = (h + 1) / 2;
    k.BanKyuSei[3] = d == 1 ? (26 - 3 * bb - u) % 9 : (3 * bb + u) % 9;

    if (withSummary) {
        const long shownDay = school ? school->headDay : F;
        CivilTime fc = civilFromDayNumber(shownDay);
        text += std::to_string(fc.month) + "/" + std::to_string(fc.day) + "[";
        text += StemName[static_cast<std::size_t>(((shownDay % 10) + 10) % 10)];
        text += BranchName[static_cast<std::size_t>(((shownDay + 2) % 12 + 12) % 12)];
        text += "] ";
    }

    const long H = truncToLong(rp) - F;
    k.FutoNissu = static_cast<int>(H);
    k.BanSekki[3] = static_cast<int>((H < 180 ? H / 15 : (H - 15) / 15) + 12 * k.BanTon[3]);
    k.Gen = static_cast<int>((H % 15) / 5);
    if (school) {
        k.BanSekki[3] = school->term;
        k.Gen = school->yuan;
    }
    if (withSummary) {
        text += TermName[static_cast<std::size_t>(k.BanSekki[3]) % 24];
        text += YuanName[static_cast<std::size_t>(k.Gen) % 3];
        text += " ";
    }

    if (h == 23)
        rp = rp - 1.02083333333333L;

    long n = truncToLong(rp) - F;
    if (n >= 180)
        n -= 15;
    const long w = 12 * n + (h + 1) / 2;
    const int T = TermJu[static_cast<std::size_t>(k.BanSekki[3]) % 24];

    // 13. One year / one day per ju step; ten months per ju.
    k.BanKyoku[0] = k.BanKyuSei[0];
    k.BanKyoku[1] = k.BanKyuSei[1];
    k.BanKyoku[2] = k.BanKyuSei[2];
    k.BanKyoku[1] = 8 - ((12 * Y + M) / 10 + 12) % 9;

    // 14. Hour ju by ten double-hours.
    if (k.BanTon[3] == 1)
        k.BanKyoku[3] = static_cast<int>(((2906 - w / 10) % 9 + T) % 9);
    else
        k.BanKyoku[3] = static_cast<int>((w / 10 + T + 8) % 9);

    // 15. Period overrides, in this order.
    if (options.settingsExist) {
        if (options.periods[0] == 1)
            k.BanKyoku[0] = (((Y + 57) / 60 + 1) % 3) * 3;
        if (options.periods[1] == 1)
            k.BanKyoku[1] = (((12 * Y + M + 10) / 60 + 2) % 3) * 3;
        if (options.periods[2] == 1) {
            // Sixty days per ju from the xun-head day.
            k.BanTon[2] = solsticeDun;
            const long kk = truncToLong(rp - F) / 60;
            if (k.BanTon[2] == 1)
                k.BanKyoku[2] = static_cast<int>((3 * kk + 8) % 9);
            else
                k.BanKyoku[2] = static_cast<int>(((9 - 3 * kk) % 9 + 9) % 9);
        }
        if (options.periods[3] == 1) {
            // Sixty double-hours per ju: upper, middle, lower yuan.
            const long q = 3 * (w / 60);
            if (k.BanTon[3] == 0)
                k.BanKyoku[3] = static_cast<int>((T + 188 - q) % 9);
            else
                k.BanKyoku[3] = static_cast<int>((T + 187 - (2906 - q) % 9) % 9);
            if (school)
                k.BanKyoku[3] = school->ju;
        }
    }

    if (withSummary)
        k.summary = std::move(text);
    return k;
}

CivilTime DateToSet(const CivilTime &moment, int mode, double tz, Astronomy astronomy)
{
    DayValue v = YMDT2JD(moment.year, moment.month, moment.day, moment.hour, moment.minute, 0);
    return JD2YMDTParts(before_nibun(mode, tz, v, astronomy).instant);
}

} // namespace velm
