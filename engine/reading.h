#pragma once

// The clock read once: what an entered civil date and time stands for under
// the calendar options (fixed offset or named zone, fold, solar time), as a
// value. The command line, the windows and the calendar-file writer all read
// the entry here and only turn a failed reading into their own message.

#include "engine/clock.h"
#include "engine/koyomi.h"

namespace velm {

struct ClockReading {
    enum class Outcome {
        Ok,
        NeedsFold,     // skipped or repeated by a summer-time change, and no fold chosen
        UnknownZone,   // the zone is not in the system's tz database
        OutOfRange,    // on the calendar clock or in UTC outside the years 1..9999
        BeyondPrecise, // the precise terms do not cover the calendar year
    };
    // What a summer-time change did to the entered time, whether or not the
    // reading went on with a fold.
    enum class Change { None, Skipped, Repeated };

    Outcome outcome = Outcome::Ok;
    Change change = Change::None;
    CivilTime entered;
    Instant instant = 0;    // the instant it stands for
    Instant first = 0;      // skipped or repeated: read with the offset before the change
    Instant second = 0;     // and after it
    CivilTime calendar;     // the moment on the calendar clock
    CivilTime utc;          // the instant in UTC
    int offsetSeconds = 0;  // the calendar clock minus UTC at the instant
    // Ok: the options the moment is laid with, the calendar clock's offset
    // read (clock.readOffset) when the clock is not the fixed offset.
    KoyomiOptions options;

    bool ok() const { return outcome == Outcome::Ok; }
    // The zone name, for the messages of the callers.
    const std::string &zone() const { return options.clock.zone; }
};

ClockReading readClock(const CivilTime &entered, const KoyomiOptions &options);

// The calendar clock's offset (seconds) for a moment given on that clock:
// fixed offset and mean solar time have one value, a zone's standard offset
// is looked up at the instant the moment stands for, true solar time is
// worked out from the moment.
int offsetOnCalendarClock(const CivilTime &calendar, const ClockOptions &clock);

// The way back: the civil time to enter for a moment on the calendar clock
// (the zone's wall clock, summer time included, or the fixed offset).
CivilTime enteredFromCalendar(const CivilTime &calendar, const ClockOptions &clock);

} // namespace velm
