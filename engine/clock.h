#pragma once

// Clocks: which instant an entered date and time stands for, and the clock
// whose day and double-hour make the pillars.
//
// By default the entered time is read at a fixed offset (the time zone
// setting) and the calendar runs on that same offset. A named time zone from
// the system's tz database reads the entered time as civil time there, summer
// time included; the calendar then runs on the zone's standard offset at that
// instant (summer time removed). Local solar time from a longitude replaces
// the calendar clock: mean solar time is UT + longitude / 15 h, true solar
// time adds the equation of time. Term instants stay absolute; only their
// display follows the calendar clock.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/astro.h"

namespace velm {

enum class SolarTime {
    None,
    Mean,
    True,
};

// The equation of time for true solar time, tabulated as a walk reaches it
// (clock.cpp): the sun computed once per two days instead of twice a moment.
class EquationOfTimeTable;
std::shared_ptr<EquationOfTimeTable> newEquationOfTimeTable();

// How to read a civil time that a summer-time change skipped or repeated.
enum class Fold {
    Refuse, // report it and let the user choose
    First,  // with the offset in force before the change
    Second, // with the offset in force after it
};

// Where entered times are read and the calendar clock they run on. The zone
// is `zone` by name, or without a name the fixed offset `fixedTz`; nothing
// else holds it.
struct ClockOptions {
    std::string zone;    // IANA name; empty: the fixed offset
    double fixedTz = 9.0; // hours east of Greenwich, the zone when no name is given
    SolarTime solarTime = SolarTime::None;
    double longitude = 0; // degrees, east positive; used with solarTime
    Fold fold = Fold::Refuse;
    // With true solar time: where the equation of time is read, shared by the
    // copies of these options (and their threads). Without one each moment
    // computes it in full: the same values to under a millisecond, at some
    // thirty times the cost of a plain walk.
    std::shared_ptr<EquationOfTimeTable> equationTable;
    // The calendar clock's offset (seconds) at the entered instant, set when
    // the entry is read (readClock); the term searches of that moment, and of
    // a walk from it, keep this offset. Empty: the fixed offset.
    std::optional<int> readOffset;

    bool isDefault() const { return zone.empty() && solarTime == SolarTime::None; }
    // The offset (hours) the term searches run on.
    double calendarTz() const { return readOffset ? *readOffset / 3600.0 : fixedTz; }
};

// Seconds since 1970-01-01 00:00 on the civil time scale (UTC from 1972,
// UT before).
using Instant = std::int64_t;

struct ResolvedMoment {
    enum class Status {
        Ok,
        UnknownZone,
        Nonexistent, // skipped by a change; `first` and `second` are its two readings
        Ambiguous,   // repeated by a change; likewise
    };
    Status status = Status::Ok;
    Instant instant = 0;
    Instant first = 0;
    Instant second = 0;
    CivilTime calendar;     // the moment on the calendar clock
    int offsetSeconds = 0;  // calendar clock minus UTC at the instant
    double tz = 9.0;        // the same in hours, for the term searches
};

// The entered civil time read on the clock (the zone's part of readClock,
// reading.h, which the callers use).
ResolvedMoment resolveMoment(const CivilTime &entered, const ClockOptions &clock);

// The calendar clock's offset from UTC at an instant, in whole seconds.
int calendarOffsetAt(Instant instant, const ClockOptions &clock);

// Offset of true solar time at the given longitude for a moment read on that
// clock, in whole seconds; the table, when given, supplies the equation of time.
int trueSolarOffsetFor(const CivilTime &onClock, double longitude, EquationOfTimeTable *table = nullptr);

// The equation of time (apparent minus mean solar time) at an instant, in
// seconds: from the table when given (within 0.002 s of the full computation
// over the years 1..9999, 0.001 s in 1800-2200), else computed in full.
double equationOfTimeSeconds(Instant instant, EquationOfTimeTable *table = nullptr);

CivilTime civilFromInstant(Instant instant);
Instant instantFromCivil(const CivilTime &utc);

// The civil offset from UTC (summer time included) of a zone at an instant,
// in seconds; empty for an unknown zone.
std::optional<int> zoneOffsetAt(Instant instant, const std::string &zone);

bool zoneKnown(const std::string &name);
// Every zone name of the system's tz database, sorted.
std::vector<std::string> zoneNames();
// The tz database's version ("2025b"); empty when it cannot be read.
std::string tzDatabaseVersion();

// "YYYY-MM-DDTHH:MM:SS".
std::string isoText(const CivilTime &t);

} // namespace velm
