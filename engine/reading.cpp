#include "engine/reading.h"

#include <cmath>

#include "engine/precise.h"

namespace velm {
namespace {

bool inCalendar(const CivilTime &t)
{
    return t.year >= 1 && t.year <= 9999;
}

} // namespace

ClockReading readClock(const CivilTime &entered, const KoyomiOptions &options)
{
    ClockReading r;
    r.entered = entered;
    r.options = options;
    r.options.clock.readOffset.reset();
    const ResolvedMoment m = resolveMoment(entered, r.options.clock);
    r.instant = m.instant;
    r.first = m.first;
    r.second = m.second;
    if (m.first != m.second) {
        // The first reading (the offset before the change) lies after the
        // second for a skipped time: the change moved the clock forward.
        r.change = m.first > m.second ? ClockReading::Change::Skipped : ClockReading::Change::Repeated;
    }
    switch (m.status) {
    case ResolvedMoment::Status::Ok:
        break;
    case ResolvedMoment::Status::UnknownZone:
        r.outcome = ClockReading::Outcome::UnknownZone;
        return r;
    case ResolvedMoment::Status::Nonexistent:
        r.change = ClockReading::Change::Skipped;
        r.outcome = ClockReading::Outcome::NeedsFold;
        return r;
    case ResolvedMoment::Status::Ambiguous:
        r.change = ClockReading::Change::Repeated;
        r.outcome = ClockReading::Outcome::NeedsFold;
        return r;
    }
    r.calendar = m.calendar;
    r.utc = civilFromInstant(m.instant);
    r.offsetSeconds = m.offsetSeconds;
    // A shift by a zone or solar time can carry a moment of the calendar's
    // first or last day out of the years 1..9999, where no date exists.
    if (!inCalendar(r.calendar) || (!options.clock.isDefault() && !inCalendar(r.utc))) {
        r.outcome = ClockReading::Outcome::OutOfRange;
        return r;
    }
    if (options.astronomy == Astronomy::Precise && !preciseCoversYear(r.calendar.year)) {
        r.outcome = ClockReading::Outcome::BeyondPrecise;
        return r;
    }
    if (!options.clock.isDefault())
        r.options.clock.readOffset = m.offsetSeconds;
    return r;
}

int offsetOnCalendarClock(const CivilTime &calendar, const ClockOptions &clock)
{
    if (clock.solarTime == SolarTime::True)
        return trueSolarOffsetFor(calendar, clock.longitude, clock.equationTable.get());
    // Two rounds settle a zone's standard offset at the instant.
    const Instant reading = instantFromCivil(calendar);
    const int offset = calendarOffsetAt(reading, clock);
    return calendarOffsetAt(reading - offset, clock);
}

CivilTime enteredFromCalendar(const CivilTime &calendar, const ClockOptions &clock)
{
    if (clock.isDefault())
        return calendar;
    const Instant instant = instantFromCivil(calendar) - offsetOnCalendarClock(calendar, clock);
    int entryOffset = static_cast<int>(std::lround(clock.fixedTz * 3600));
    if (!clock.zone.empty())
        entryOffset = zoneOffsetAt(instant, clock.zone).value_or(entryOffset);
    return civilFromInstant(instant + entryOffset);
}

} // namespace velm
