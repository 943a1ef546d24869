#pragma once

// The arithmetic of the main window's date and time entry, apart from the
// widgets: the date value (a date that may carry a fraction of a day, kept
// in whole seconds so repeated steps never drift), the "hh:nn" time text,
// the steps of "<" ">" and the spin button, the designated hours and the
// row layout of "並べて表示".

#include <cstdint>
#include <optional>
#include <vector>

#include <QDate>
#include <QPoint>
#include <QSize>
#include <QString>

#include "engine/astro.h"

namespace velm {

// Steps of "<" and ">" per chart kind, in seconds: 365.25 days, 30.29 days
// (not the search's 30.59), 1 day. The hour chart steps by the spin button's
// two hours instead.
inline constexpr std::int64_t EntryStepSeconds[3] = {31'557'600, 2'617'056, 86'400};
inline constexpr std::int64_t TwoHours = 7'200;
inline constexpr std::int64_t OneDay = 86'400;

// The range of the date entry.
inline constexpr int EntryFirstYear = 1601;
inline constexpr int EntryLastYear = 9999;

struct HourMinute {
    int hour = 0;
    int minute = 0;
    friend bool operator==(const HourMinute &, const HourMinute &) = default;
};

// "13:05" -> 13:05; nullopt for a half-typed or impossible time ("1_:__", "24:00").
std::optional<HourMinute> parseTimeText(const QString &text);
// Always two digits each: "09:00".
QString timeText(HourMinute t);

// The date entry's value: seconds since 0001-01-01 00:00 (walk.h's count).
std::int64_t entrySeconds(const QDate &date, int secondsOfDay = 0);
QDate entryDate(std::int64_t seconds);
int entrySecondsOfDay(std::int64_t seconds);
bool entryInRange(std::int64_t seconds);

// The moment a date entry and a time text name; nullopt when the time does not read.
std::optional<CivilTime> enteredMoment(std::int64_t dateSeconds, const QString &time);

// Two hours on (+1) or back (-1): the time wraps within the day and the date
// value moves by a whole day when it does (22:00 + 2 h = 00:00 of the next day).
struct EntryValue {
    std::int64_t dateSeconds = 0;
    HourMinute time;
    friend bool operator==(const EntryValue &, const EntryValue &) = default;
};
EntryValue stepTwoHours(EntryValue value, int direction);

// "<" / ">": the highest checked kind (hour first; none checked counts as
// hour) decides the step. nullopt when the step would leave the entry's range.
int steppingKind(const bool checked[4]);
std::optional<EntryValue> stepEntry(EntryValue value, int kind, int direction);

// Designated hours of the settings' bits (bit i = 丑 1:00 .. 子 23:00): 1, 3, .., 23.
std::vector<int> designatedHours(int CG1);

// "並べて表示": windows keep their size and fill rows left to right, a new row
// starting when the next window would pass the right edge, or where
// `newRow` says (the first window of a set of charts); the first window of
// a row always stays in it, however wide.
std::vector<QPoint> tilePositions(const std::vector<QSize> &sizes, int availableWidth,
                                  const std::vector<bool> &newRow = {});

// What places a chart window in the order of tiling and printing: the set
// it was made in (one chart command, numbered upwards), its kind, its
// moment "yyyy/MM/dd hh:mm" and the order in which it was made.
struct TileKey {
    int set = 0;
    int kind = 0;
    QString moment;
    int made = 0;
};

// The order in which windows are tiled and printed: by sets, the newest set
// first; in a set 年 月 日, then the hour charts in time order (a chart made
// across a boundary after the one it came from). The result lists indices
// of `keys`.
std::vector<int> tileOrder(const std::vector<TileKey> &keys);

} // namespace velm
