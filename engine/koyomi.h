#pragma once

// Date to chart parameters: the calendar facts of one moment for all four
// chart kinds (indexes 0 year, 1 month, 2 day, 3 hour).

#include <array>
#include <string>

#include "engine/astro.h"
#include "engine/clock.h"
#include "engine/datetime.h"

namespace velm {

// How the hour chart's term period and yuan are found ("局の求め方").
// Zhirun counts periods from the xun-head day nearest the solstice, with the
// intercalation (the program's own rule); Chaibu takes the term in force and
// the yuan of the day's 符頭; Maoshan the term in force and the days since
// its entry. Only the hour chart's ju of sixty double-hours follows it.
enum class JuMethod { Zhirun, Chaibu, Maoshan };

struct KoyomiOptions {
    // Ju period of each chart kind ("RG00".."RG03"): 0 the short rule
    // (１年/１０月/１日/１０刻 per ju), 1 the sixty-step rule (the default).
    std::array<int, 4> periods{1, 1, 1, 1};
    // "時盤紫白の置潤を局の置潤に合わせる": hour nine-star follows the hour dun.
    bool kcb1 = true;
    // Without system settings every ju takes the short rule and no period
    // override is applied (the time zone is then 9.0 as the caller passes it).
    bool settingsExist = true;
    // Source of every term instant and of the sun's longitude.
    Astronomy astronomy = Astronomy::Short;
    // The zone and how entered times are read. The moments the engine is
    // given are already on the calendar clock (readClock, reading.h), whose
    // offset clock.calendarTz() gives; only on true solar time does the
    // engine work the offset out for each moment itself.
    ClockOptions clock;
    // "節入り判定に分まで使う": every term comparison (month pillar, 月初,
    // latest term, season, solstice, term period and yuan) is made at the
    // entered minute rather than at the whole hour. Off: minutes are ignored.
    bool exactMinutes = false;
    JuMethod juMethod = JuMethod::Zhirun;
};

struct Koyomi {
    std::array<int, 4> BanKyuSei{}; // centre nine-star 0..8 (0 = 一白)
    std::array<int, 4> BanKan{};    // pillar stems
    std::array<int, 4> BanShi{};    // pillar branches
    std::array<int, 4> BanTon{};    // dun: 0 yang, 1 yin
    std::array<int, 4> BanKyoku{};  // ju - 1
    std::array<int, 4> BanSekki{};  // [2] latest term, [3] hour chart term period
    int Gen = 0;                    // yuan of the hour chart
    int FutoNissu = 0;              // days from the governing xun-head day
    int Kisetsu = 0;                // 0 春月 1 夏月 2 秋月 3 冬月 4 土用
    long double SunLongitude = 0;   // at the moment (the month-term search's reading)
    long double TermLongitude = 0;  // of the last search: 270 or 90 (the solstice)

    DayValue moment = 0;       // day value of the moment (whole hour)
    DayValue monthTerm = 0;    // instant of the month-opening term (月初)
    DayValue latestTerm = 0;   // instant of the latest of the 24 terms
    DayValue solstice = 0;     // instant of the governing solstice found last
    long futoDay = 0;          // day number of the governing xun-head day
    int monthYear = 0;         // calendar year and month of the month-opening term
    int monthMonth = 0;

    std::string summary; // the one-line text; only when asked for
    std::string error;   // an impossible stem/branch pair (never for real dates)
};

// year, month, day and hour of `moment` are used; minutes and seconds only
// with options.exactMinutes.
Koyomi DateToKyu(const CivilTime &moment, const KoyomiOptions &options, bool withSummary = false);

// The same moment with the term comparisons of the month pillar, 月初, the
// latest term and the season made at `termsAt` (a local day value on the
// moment's clock) in place of the moment itself. Day and hour pillars, the
// xun-head day and what follows from it stay the moment's own: this lays the
// chart on the other side of a term without moving its day or double-hour.
Koyomi DateToKyuTermsAt(const CivilTime &moment, const KoyomiOptions &options, DayValue termsAt,
                        bool withSummary = false);

// The offset (hours) the term searches of the moment run on: the options'
// time zone, or on true solar time the moment's own offset.
double termSearchTz(const CivilTime &moment, const KoyomiOptions &options);
// The day value the term comparisons of the moment are made at: its whole
// hour, or with exactMinutes its minute and second.
DayValue termComparisonMoment(const CivilTime &moment, const KoyomiOptions &options);

// The instant before_nibun finds for the mode from the moment (year .. minute).
CivilTime DateToSet(const CivilTime &moment, int mode, double tz,
                    Astronomy astronomy = Astronomy::Short);

} // namespace velm
