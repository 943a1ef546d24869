#pragma once

// The journal of readings, kept in "VELM.db" beside the places: each entry
// is a moment with everything that made its charts (chart kinds, laying
// method, every calendar option, the program and tz database versions, the
// hashes of the numbers and matters files), what was asked, the user's notes
// and the dated outcomes written later, its tags and look-back dates, and the
// scores and patterns its charts showed when it was written. Each change is
// one transaction; questions, notes and outcomes are searched in full text,
// two-character Japanese words included.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/astro.h"
#include "engine/ban.h"
#include "engine/koyomi.h"

namespace velm {

class NumberTables;
struct LaidChart;

struct JournalOutcome {
    std::string date; // "YYYY-MM-DD"
    std::string text;
};

struct JournalReminder {
    std::string date; // "YYYY-MM-DD"
    bool done = false;
};

// A chart as it was shown when the entry was written.
struct RecordedChart {
    int kind = 3;
    std::array<std::array<double, 9>, 9> BanSuu{}; // element rows 0..7 and the total (row 8), by palace
    std::array<std::array<int, 9>, 5> Kaku{};       // pattern numbers by slot and palace
};

struct JournalEntry {
    std::string id;      // unique across computers: "20261209-072700-a3f91c"
    std::string created; // UTC, "YYYY-MM-DDTHH:MM:SSZ"
    CivilTime moment;    // as entered, on the clock of `options`
    std::vector<int> kinds{3};
    LayingMethod method = LayingMethod::Rotating;
    KoyomiOptions options; // the equation-of-time table and the read offset are not kept
    std::string program;     // the program's version
    std::string tzdata;      // the tz database's version, when a zone was used
    std::string numbersHash; // SHA-256 of the numbers file, hexadecimal; empty when missing
    std::string mattersHash; // of the matters file
    std::string question, matter, direction, place, note;
    std::vector<std::string> people, tags;
    std::vector<JournalOutcome> outcomes;   // oldest first
    std::vector<JournalReminder> reminders; // earliest first
    std::vector<RecordedChart> charts;
};

// What a list shows of an entry.
struct JournalSummary {
    std::string id;
    std::string moment; // "YYYY-MM-DDTHH:MM"
    std::vector<int> kinds;
    LayingMethod method = LayingMethod::Rotating;
    std::string question, matter, direction, place, note;
    std::string tags; // joined with "、"
};

struct JournalFilter {
    std::string text; // words (blank-separated), each in the question, note or an outcome
    std::string from, to; // dates "YYYY-MM-DD" of the moment, inclusive; empty: open
    std::string matter, direction, place, person, tag;
    std::vector<std::string> ids; // when given, only these
    int limit = 0;                // 0: all
};

struct DueReminder {
    std::string date;
    JournalSummary entry;
};

struct JournalImport {
    int added = 0;
    int skipped = 0; // an entry of the same id was there already
    std::string error;
};

class PlaceBook;

class Journal {
public:
    // Opens (creating and bringing forward as the place book does) the
    // database at `path`. Empty pointer with the message when it cannot be used.
    static std::unique_ptr<Journal> open(const std::string &path, std::string &error);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Adds the entry as one transaction, giving it an id and the creation
    // time when it has none. Empty text on success, else the message.
    std::string add(JournalEntry &entry);
    std::optional<JournalEntry> find(const std::string &id, std::string &error) const;
    // Newest moment first.
    std::vector<JournalSummary> list(const JournalFilter &filter, std::string &error) const;
    std::int64_t count(std::string &error) const;

    // Replaces what the user writes of an entry: question, matter, direction,
    // place, people, note, tags, outcomes and reminders; the moment, options
    // and recorded charts never change.
    std::string update(const JournalEntry &entry);
    std::string addOutcome(const std::string &id, const JournalOutcome &outcome);
    std::string addReminder(const std::string &id, const std::string &date);
    std::string setReminderDone(const std::string &id, const std::string &date, bool done);
    std::string remove(const std::string &id);

    // Reminders not done dated on or before `today`, earliest first.
    std::vector<DueReminder> due(const std::string &today, std::string &error) const;

    // The journal file: {"format": "velm-journal", "version": 1, "entries": [...]}.
    std::string exportJson(const JournalFilter &filter, std::string &json) const;
    // Adds the entries of an export as one transaction; an id already held is
    // skipped and counted. A file that is not an export changes nothing.
    JournalImport importJson(const std::string &json);

    const std::string &path() const;

private:
    explicit Journal(std::unique_ptr<PlaceBook> book);
    std::unique_ptr<PlaceBook> m_book;
};

inline constexpr int JournalFormatVersion = 1;

// One entry as the export and `journal show --json` write it (one line).
std::string journalEntryJson(const JournalEntry &entry);

// The provenance of an entry about to be added: its moment read on its
// clock, the charts of its kinds laid and scored with `tables`, the hashes of
// the two files, the program and tz database versions. Empty text on
// success, else the message.
std::string recordJournalCharts(JournalEntry &entry, const NumberTables &tables, const std::string &numbersPath,
                                const std::string &mattersPath, const std::string &program);

// A chart as a window shows it: its kind, scores (made with tables) and patterns.
RecordedChart recordedChart(const LaidChart &laid);

// The options the entry's charts are laid with again (the moment read on its
// clock): empty with the message when this computer cannot read it (a zone
// its tz database lacks).
struct JournalReading {
    CivilTime calendar; // the moment on the calendar clock
    KoyomiOptions options;
};
std::optional<JournalReading> readJournalMoment(const JournalEntry &entry, std::string &error);

// Writes the look-backs as all-day calendar events (atomically; a character
// device such as /dev/stdout is written through when `writeThrough`), named by
// the question, each with a UID of its entry and date so that a second file
// updates rather than doubles them. `stamp`: seconds since 1970. Empty text
// on success, else the message; none due is refused.
std::string writeJournalIcs(const std::string &path, const std::vector<DueReminder> &due, std::int64_t stamp,
                            bool writeThrough = false);

// "YYYY-MM-DD" `months` months after `date` (the last day of a shorter month).
std::string monthsAfter(const CivilTime &date, int months);
// SHA-256 of a file's bytes in hexadecimal; empty when it cannot be read.
std::string fileSha256(const std::string &path);
// "時", "年・時": the kinds of an entry.
std::string journalKindsText(const std::vector<int> &kinds);
// "2024-03-01T12:00".
std::string journalMomentText(const CivilTime &moment);
// Valid "YYYY-MM-DD".
bool isJournalDate(const std::string &text);

} // namespace velm
