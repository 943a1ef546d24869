#include "engine/clock.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <unordered_map>

#include <absl/time/time.h>
#include <date/tz.h>

#include "engine/datetime.h"
#include "engine/precise.h"

namespace velm {
namespace {

const long UnixEpochDay = dayNumberFromCivil(1970, 1, 1);

long floorDiv(Instant a, Instant b)
{
    return static_cast<long>(a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0));
}

// A zone of the system's tz database. The names are those the database lists
// (so no path or other name reaches the loader); the rules are read by
// Abseil's loader, which, unlike the tz library's reader of the compiled
// files, applies the rule that the files carry for the years after their
// last listed change (2037): without it summer time would end in 2037.
std::optional<absl::TimeZone> findZone(const std::string &name)
{
    try {
        (void)date::locate_zone(name);
    } catch (const std::exception &) {
        return std::nullopt;
    }
    absl::TimeZone zone;
    if (!absl::LoadTimeZone(name, &zone))
        return std::nullopt;
    return zone;
}

Instant unixSeconds(absl::Time t)
{
    return absl::ToUnixSeconds(t);
}

// The zone's standard offset at an instant: the offset in force, or, in
// summer time, that of the latest period before it without summer time (the
// compiled files mark summer time but do not store its amount).
int standardOffset(const absl::TimeZone &zone, Instant instant)
{
    const absl::Time at = absl::FromUnixSeconds(instant);
    const absl::TimeZone::CivilInfo inForce = zone.At(at);
    if (!inForce.is_dst)
        return inForce.offset;
    absl::Time before = at;
    absl::TimeZone::CivilTransition change;
    for (int step = 0; step < 20 && zone.PrevTransition(before, &change); ++step) {
        before = zone.At(change.to).trans; // the instant of the change
        const absl::TimeZone::CivilInfo earlier = zone.At(before - absl::Seconds(1));
        if (!earlier.is_dst)
            return earlier.offset;
    }
    return inForce.offset; // no period without summer time before it
}

// In days, computed in full (ERFA's IAU 2006/2000A sun, about a millisecond).
double equationOfTimeAt(Instant instant)
{
    const long day = floorDiv(instant, 86400);
    const double seconds = static_cast<double>(instant - static_cast<Instant>(day) * 86400);
    return equationOfTime(2440587.5 + static_cast<double>(day), seconds / 86400);
}

} // namespace

// Nodes at 0h UT every second day, filled a block at a time; between them the
// cubic through the four nearest. The equation of time is two slow waves (a
// year and half a year, some ten minutes each) and nutation's small terms:
// against the full computation the cubic is within 0.001 s in 1800-2200 and
// 0.002 s over the years 1..9999 (where ΔT, taken month by month, steps by
// up to a second), far below the whole seconds the offsets are rounded to.
class EquationOfTimeTable {
public:
    double at(Instant instant)
    {
        const double u = static_cast<double>(instant) / NodeSeconds;
        const double n = std::floor(u);
        const double x = u - n; // [0, 1)
        const long first = static_cast<long>(n) - 1;
        double y[4];
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            for (int k = 0; k < 4; ++k)
                y[k] = node(first + k);
        }
        return -x * (x - 1) * (x - 2) / 6 * y[0] + (x + 1) * (x - 1) * (x - 2) / 2 * y[1]
            - (x + 1) * x * (x - 2) / 2 * y[2] + (x + 1) * x * (x - 1) / 6 * y[3];
    }

private:
    static constexpr Instant NodeSeconds = 2 * 86400;
    static constexpr long BlockNodes = 8; // sixteen days: a single chart pays for a few nodes only

    double node(long index)
    {
        const long block = index >= 0 ? index / BlockNodes : (index - BlockNodes + 1) / BlockNodes;
        auto [it, added] = m_blocks.try_emplace(block);
        if (added)
            for (long i = 0; i < BlockNodes; ++i)
                it->second[static_cast<std::size_t>(i)] = equationOfTimeAt((block * BlockNodes + i) * NodeSeconds) * 86400;
        return it->second[static_cast<std::size_t>(index - block * BlockNodes)];
    }

    std::mutex m_mutex;
    std::unordered_map<long, std::array<double, BlockNodes>> m_blocks;
};

std::shared_ptr<EquationOfTimeTable> newEquationOfTimeTable()
{
    return std::make_shared<EquationOfTimeTable>();
}

double equationOfTimeSeconds(Instant instant, EquationOfTimeTable *table)
{
    return table != nullptr ? table->at(instant) : equationOfTimeAt(instant) * 86400;
}

namespace {

int roundSeconds(double s)
{
    return static_cast<int>(std::lround(s));
}

} // namespace

CivilTime civilFromInstant(Instant instant)
{
    const long day = floorDiv(instant, 86400);
    const Instant rest = instant - static_cast<Instant>(day) * 86400; // [0, 86399]
    CivilTime t = civilFromDayNumber(UnixEpochDay + day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

Instant instantFromCivil(const CivilTime &utc)
{
    const Instant day = dayNumberFromCivil(utc.year, utc.month, utc.day) - UnixEpochDay;
    return day * 86400 + utc.hour * 3600 + utc.minute * 60 + utc.second;
}

int calendarOffsetAt(Instant instant, const ClockOptions &clock)
{
    switch (clock.solarTime) {
    case SolarTime::Mean:
        return roundSeconds(clock.longitude * 240);
    case SolarTime::True:
        return roundSeconds(clock.longitude * 240 + equationOfTimeSeconds(instant, clock.equationTable.get()));
    case SolarTime::None:
        break;
    }
    if (!clock.zone.empty()) {
        if (const std::optional<absl::TimeZone> zone = findZone(clock.zone))
            return standardOffset(*zone, instant);
    }
    return roundSeconds(clock.fixedTz * 3600);
}

int trueSolarOffsetFor(const CivilTime &onClock, double longitude, EquationOfTimeTable *table)
{
    // The equation of time changes by under 30 s a day: two rounds settle
    // the instant to well under a second.
    const Instant reading = instantFromCivil(onClock);
    double offset = longitude * 240;
    for (int round = 0; round < 2; ++round) {
        const Instant instant = reading - static_cast<Instant>(std::lround(offset));
        offset = longitude * 240 + equationOfTimeSeconds(instant, table);
    }
    return roundSeconds(offset);
}

ResolvedMoment resolveMoment(const CivilTime &entered, const ClockOptions &clock)
{
    ResolvedMoment r;
    const Instant reading = instantFromCivil(entered);
    if (clock.zone.empty()) {
        r.instant = reading - roundSeconds(clock.fixedTz * 3600);
    } else {
        const std::optional<absl::TimeZone> zone = findZone(clock.zone);
        if (!zone) {
            r.status = ResolvedMoment::Status::UnknownZone;
            return r;
        }
        const absl::TimeZone::TimeInfo info = zone->At(absl::CivilSecond(
            entered.year, entered.month, entered.day, entered.hour, entered.minute, entered.second));
        r.instant = unixSeconds(info.pre);
        if (info.kind != absl::TimeZone::TimeInfo::UNIQUE) {
            // first: with the offset before the change; second: after it.
            r.first = unixSeconds(info.pre);
            r.second = unixSeconds(info.post);
            if (clock.fold == Fold::Refuse) {
                r.status = info.kind == absl::TimeZone::TimeInfo::SKIPPED ? ResolvedMoment::Status::Nonexistent
                                                                         : ResolvedMoment::Status::Ambiguous;
                return r;
            }
            r.instant = clock.fold == Fold::First ? r.first : r.second;
        }
    }
    r.offsetSeconds = calendarOffsetAt(r.instant, clock);
    r.tz = r.offsetSeconds / 3600.0;
    r.calendar = civilFromInstant(r.instant + r.offsetSeconds);
    return r;
}

std::optional<int> zoneOffsetAt(Instant instant, const std::string &zone)
{
    const std::optional<absl::TimeZone> found = findZone(zone);
    if (!found)
        return std::nullopt;
    return found->At(absl::FromUnixSeconds(instant)).offset;
}

bool zoneKnown(const std::string &name)
{
    return !name.empty() && findZone(name).has_value();
}

std::string tzDatabaseVersion()
{
    std::string version;
    try {
        version = date::get_tzdb().version;
    } catch (const std::exception &) {
    }
    if (!version.empty() && version != "unknown")
        return version;
    // Read from the system's zone files, the library cannot always say which
    // release they are; the source file beside them names it on its first line.
    const char *dir = std::getenv("TZDIR");
    std::ifstream in(std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/tzdata.zi");
    std::string line;
    if (std::getline(in, line) && line.rfind("# version ", 0) == 0)
        return line.substr(10);
    return {};
}

std::vector<std::string> zoneNames()
{
    std::vector<std::string> names;
    try {
        const date::tzdb &db = date::get_tzdb();
        for (const date::time_zone &z : db.zones)
            names.emplace_back(z.name());
        // Read from the system's zone files, where links are zones too.
    } catch (const std::exception &) {
        return {};
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string isoText(const CivilTime &t)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

} // namespace velm
