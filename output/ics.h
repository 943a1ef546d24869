#pragma once

// Calendar files (.ics): the chart rows of a list or of the numbers calendar
// as events that a calendar program can import. An hour row becomes a
// two-hour event from the odd hour that begins its double-hour (a search
// from 12:00 lists 14:00, which is 未 from 13:00), a year, month or day row an
// event over its whole day. The summary names the kind and the best
// directions with their total scores, so a practitioner sees in the calendar
// which way to go.
//
// The text is made by libical, so the quoting, folding and line ends are
// those every calendar program reads. A row's moment is on the calendar
// clock; a timed event is written as the UTC instants of its start and end,
// which every calendar program places alike, and its description names the
// calendar clock that the row's label reads (for a zone with summer time the
// label is standard time: a row labelled 11 shows at 12:00 in July, the same
// instant). An all-day event is the row's date. The UID names the moment, the
// kind, the laying method and the calendar options, so that a file made with
// other settings adds its events rather than replacing these.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ban.h"
#include "engine/clock.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"
#include "evaluation/numbers.h"
#include "output/listfile.h"

namespace velm {

struct IcsDirection {
    int palace = 0; // palace index 1..8
    double score = 0;
};

struct IcsEvent {
    int kind = KindHour;
    CivilTime start;                 // on the calendar clock: the double-hour's first hour, or 0:00
    int offsetSeconds = 0;           // the calendar clock minus UTC at the start
    std::vector<IcsDirection> best;  // highest total first
    std::string summary;
    std::string description;
    std::string uid; // when given, in place of the one made from the moment and the settings
};

struct IcsOptions {
    KoyomiOptions koyomi;            // the clock and calendar the rows were made on
    LayingMethod method = LayingMethod::Rotating;
    int bestCount = 3;               // directions named in the summary
    std::string title;               // the list's title, repeated in every description
};

// The events of the chart rows among `rows` (rows that name no chart, such as
// a caption row, are skipped, and so is a double-hour whose start or end in
// UTC would fall outside the years 1..9999, which no calendar file can hold).
// Each chart is laid and scored again, so rows showing stems or doors give
// the same events as rows showing scores.
std::vector<IcsEvent> icsEvents(const std::vector<ListRow> &rows, const IcsOptions &options,
                                const NumberTables &tables);

// The calendar text (UTF-8, CR LF). `stamp` is the creation instant written
// into every event.
// "UTC+09:00", "America/New_York の標準時 UTC-05:00、夏時間を除く", "真太陽時 東経139.77°":
// the clock the rows' labels read, as the descriptions name it.
std::string icsClockName(const IcsOptions &options, int offsetSeconds);
// The part of the UID that tells the charts' settings apart: laying method,
// ju periods, KCB1, the clock, the astronomy and the minute comparison.
std::string icsSettingsKey(const IcsOptions &options);
std::string icsText(const std::vector<IcsEvent> &events, const IcsOptions &options, Instant stamp);

// Writes the text atomically. Empty text on success, else a message naming
// the file. No events is refused: a calendar without events imports as
// nothing and would only puzzle.
std::string writeIcsFile(const std::string &path, const std::vector<IcsEvent> &events,
                         const IcsOptions &options, Instant stamp, SpecialTarget special = SpecialTarget::Refuse);

} // namespace velm
