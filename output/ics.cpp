#include "output/ics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <libical/ical.h>

#include "engine/reading.h"
#include "engine/symbols.h"
#include "engine/textfile.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/laidchart.h"

namespace velm {
namespace {

constexpr int SecondsPerDay = 86'400;

std::string_view trimmedDirection(int palace)
{
    std::string_view name = DirectionName[static_cast<std::size_t>(palace)];
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    return name;
}

// "+09:00", "-03:30", "+09:18:59": the offset as the time zone's name shows it.
std::string offsetName(int seconds)
{
    const char sign = seconds < 0 ? '-' : '+';
    const int a = std::abs(seconds);
    char text[24];
    if (a % 60 != 0)
        std::snprintf(text, sizeof text, "UTC%c%02d:%02d:%02d", sign, a / 3600, a / 60 % 60, a % 60);
    else
        std::snprintf(text, sizeof text, "UTC%c%02d:%02d", sign, a / 3600, a / 60 % 60);
    return text;
}

icaltimetype icalTime(const CivilTime &t, bool dateOnly)
{
    icaltimetype v = icaltime_null_time();
    v.year = t.year;
    v.month = t.month;
    v.day = t.day;
    if (dateOnly) {
        v.is_date = 1;
    } else {
        v.hour = t.hour;
        v.minute = t.minute;
        v.second = t.second;
    }
    return v;
}

icaltimetype utcTime(Instant instant)
{
    icaltimetype v = icalTime(civilFromInstant(instant), false);
    v.zone = icaltimezone_get_utc_timezone();
    return v;
}

struct ComponentFree {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

} // namespace

std::vector<IcsEvent> icsEvents(const std::vector<ListRow> &rows, const IcsOptions &options,
                                const NumberTables &tables)
{
    std::vector<IcsEvent> events;
    const auto inCalendar = [](const CivilTime &t) { return t.year >= 1 && t.year <= 9999; };
    for (const ListRow &row : rows) {
        const RowMoment m = rowMoment(row);
        if (!m.ok())
            continue;
        IcsEvent e;
        e.kind = m.kind;
        e.start = *m.moment;
        e.start.minute = 0;
        e.start.second = 0;
        if (e.kind != KindHour)
            e.start.hour = 0;
        else if (e.start.hour % 2 == 0) // a double-hour begins at an odd hour: 0:00 belongs to 子 from 23:00
            e.start = civilFromInstant(instantFromCivil(e.start) - 3600);
        e.offsetSeconds = offsetOnCalendarClock(e.start, options.koyomi.clock);
        if (e.kind == KindHour) {
            const Instant utc = instantFromCivil(e.start) - e.offsetSeconds;
            if (!inCalendar(e.start) || !inCalendar(civilFromInstant(utc))
                || !inCalendar(civilFromInstant(utc + 2 * 3600)))
                continue;
        }

        const LaidChart laid = layChart(*m.moment, e.kind, options.koyomi, options.method, &tables);
        const SuuScores &scores = *laid.scores;
        std::vector<IcsDirection> all;
        for (std::size_t c = 1; c < RingToKyu.size(); ++c) {
            const int palace = RingToKyu[c];
            all.push_back({palace, scores.BanSuu[ElementCount][static_cast<std::size_t>(palace)]});
        }
        std::stable_sort(all.begin(), all.end(),
                         [](const IcsDirection &a, const IcsDirection &b) { return a.score > b.score; });
        e.best.assign(all.begin(), all.begin() + std::clamp<std::ptrdiff_t>(options.bestCount, 0, 8));

        e.summary = std::string(KindChar[static_cast<std::size_t>(e.kind)]) + "盤";
        for (std::size_t i = 0; i < e.best.size(); ++i) {
            e.summary += i == 0 ? " " : "・";
            e.summary += trimmedDirection(e.best[i].palace);
            e.summary += " " + formatScore(e.best[i].score);
        }
        if (!options.title.empty())
            e.description = options.title + "\n";
        e.description += row[ListCol::Date] + " " + row[ListCol::Hour] + "時 " + row[ListCol::Weekday];
        if (row[ListCol::Flag].find_first_not_of("　 ") != std::string::npos)
            e.description += " " + row[ListCol::Flag];
        e.description += "\n";
        for (std::size_t c = 1; c < RingToKyu.size(); ++c) {
            const int palace = RingToKyu[c];
            if (c > 1)
                e.description += "　";
            e.description += std::string(trimmedDirection(palace)) + " "
                + formatScore(scores.BanSuu[ElementCount][static_cast<std::size_t>(palace)]);
        }
        if (e.kind == KindHour) {
            e.description += "\n時刻は暦の時計（" + icsClockName(options, e.offsetSeconds) + "）による";
            if (!options.koyomi.clock.zone.empty() && options.koyomi.clock.solarTime == SolarTime::None)
                e.description += "。夏時間の間、予定表は同じ時刻を夏時間で表示します";
        }
        events.push_back(std::move(e));
    }
    return events;
}

std::string icsClockName(const IcsOptions &options, int offsetSeconds)
{
    const ClockOptions &clock = options.koyomi.clock;
    char longitude[32];
    std::snprintf(longitude, sizeof longitude, "%s%.2f°", clock.longitude < 0 ? "西経" : "東経",
                  std::abs(clock.longitude));
    switch (clock.solarTime) {
    case SolarTime::Mean:
        return std::string("地方平均太陽時 ") + longitude;
    case SolarTime::True:
        return std::string("真太陽時 ") + longitude;
    case SolarTime::None:
        break;
    }
    if (!clock.zone.empty())
        return clock.zone + " の標準時 " + offsetName(offsetSeconds) + "、夏時間を除く";
    return offsetName(offsetSeconds);
}

std::string icsSettingsKey(const IcsOptions &options)
{
    const KoyomiOptions &k = options.koyomi;
    std::string key = "m" + std::to_string(static_cast<int>(options.method)) + "-p";
    for (int p : k.periods)
        key += std::to_string(p);
    key += k.kcb1 ? "-k1-" : "-k0-";
    char longitude[32];
    std::snprintf(longitude, sizeof longitude, "%.6f", k.clock.longitude);
    switch (k.clock.solarTime) {
    case SolarTime::Mean:
        key += std::string("mean") + longitude;
        break;
    case SolarTime::True:
        key += std::string("true") + longitude;
        break;
    case SolarTime::None:
        key += k.clock.zone.empty() ? offsetName(static_cast<int>(std::lround(k.clock.fixedTz * 3600))) : k.clock.zone;
        break;
    }
    if (k.astronomy == Astronomy::Precise)
        key += "-precise";
    if (k.exactMinutes)
        key += "-exact";
    return key;
}

std::string icsText(const std::vector<IcsEvent> &events, const IcsOptions &options, Instant stamp)
{
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//VELM//VELM//JA"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    // No METHOD: a file to import, not a scheduling message (which would
    // need an organizer).

    const std::string settings = icsSettingsKey(options);
    const icaltimetype stampTime = utcTime(stamp);
    for (const IcsEvent &e : events) {
        icalcomponent *event = icalcomponent_new_vevent();
        char moment[32];
        std::snprintf(moment, sizeof moment, "%04d%02d%02dT%02d00-%d-", e.start.year, e.start.month, e.start.day,
                      e.start.hour, e.kind);
        const std::string uid = e.uid.empty() ? moment + settings + "@velm" : e.uid;
        icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(stampTime));
        if (e.kind == KindHour) {
            const Instant utc = instantFromCivil(e.start) - e.offsetSeconds;
            icalcomponent_add_property(event, icalproperty_new_dtstart(utcTime(utc)));
            icalcomponent_add_property(event, icalproperty_new_dtend(utcTime(utc + 2 * 3600)));
        } else {
            const CivilTime next = civilFromInstant(instantFromCivil(e.start) + SecondsPerDay);
            icalcomponent_add_property(event, icalproperty_new_dtstart(icalTime(e.start, true)));
            icalcomponent_add_property(event, icalproperty_new_dtend(icalTime(next, true)));
        }
        icalcomponent_add_property(event, icalproperty_new_summary(e.summary.c_str()));
        if (!e.description.empty())
            icalcomponent_add_property(event, icalproperty_new_description(e.description.c_str()));
        // A chart is a reading of the time, not an appointment: it leaves the
        // user free.
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        icalcomponent_add_component(calendar.get(), event);
    }

    char *text = icalcomponent_as_ical_string_r(calendar.get());
    std::string result = text ? text : "";
    std::free(text);
    return result;
}

std::string writeIcsFile(const std::string &path, const std::vector<IcsEvent> &events,
                         const IcsOptions &options, Instant stamp, SpecialTarget special)
{
    if (events.empty())
        return "『" + path + "』に書き出す盤がありません。";
    return writeBytesAtomic(path, icsText(events, options, stamp), special);
}

} // namespace velm
