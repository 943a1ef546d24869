#pragma once

// Argument parsing shared by the velm-cli commands. Every parser returns an
// empty optional on bad input and leaves the message in `error`.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/astro.h"
#include "engine/ban.h"
#include "engine/koyomi.h"
#include "engine/reading.h"

namespace velm::cli {

// "YYYY-MM-DD" or "YYYY/MM/DD" (month and day may have one digit).
std::optional<CivilTime> parseDate(std::string_view text, std::string &error);
// "HH" or "HH:MM".
bool parseTime(std::string_view text, CivilTime &into, std::string &error);
// The DATE and TIME words every dated command starts with.
std::optional<CivilTime> parseDateTime(std::string_view date, std::string_view time, std::string &error);
// A moment given as one word, "YYYY-MM-DDTHH:MM" (as the program's --moment
// writes it), becomes the DATE and TIME words the dated commands take.
void splitMomentWord(std::vector<std::string> &positional);
// "YYYY-MM-DDTHH:MM" (request lines of the batch command).
std::optional<CivilTime> parseMoment(std::string_view text, std::string &error);
std::optional<double> parseTimeZone(std::string_view text, std::string &error);
// Four digits 0/1 for the ju periods of year, month, day and hour charts.
bool parsePeriods(std::string_view text, KoyomiOptions &into, std::string &error);
bool parseFlag(std::string_view text, bool &into, std::string &error);
// Decimal digits within lo..hi, nothing else; a leading minus only when lo is
// negative, and never on zero ("-0").
std::optional<int> parseInt(std::string_view text, int lo, int hi);
std::optional<std::int64_t> parseInt64(std::string_view text, std::int64_t lo, std::int64_t hi);
// A count option (--limit, --count, --max-matches): any whole number of the
// range, zero and negatives included, since the walk decides what they mean.
// Otherwise "<label>は整数で指定して下さい: <text>".
std::optional<std::int64_t> parseCount(std::string_view text, std::int64_t lo, std::int64_t hi,
                                       const std::string &label, std::string &error);
// rotating|flying, or 0|1.
std::optional<LayingMethod> parseMethod(std::string_view text);
// Chart kind: 年 月 日 時, 年盤 … 時盤, year month day hour, or 0..3.
std::optional<int> parseKind(std::string_view text);
// The same, with the message for a bad kind.
std::optional<int> parseKind(std::string_view text, std::string &error);

// The value after the option at args[i], advancing i onto it; nullptr with
// "<option> の値がありません" in `error` when the option is the last word.
const std::string *takeValue(const std::vector<std::string> &args, std::size_t &i, std::string &error);

enum class FlagResult { NotMine, Taken, Bad };
// Takes --tz H, --periods ABCD, --kcb1 0|1, --exact-minutes, or one of the calendar options
// --astronomy short|precise, --zone NAME, --longitude DEG,
// --solar-time mean|true, --fold first|second at args[i] (advancing i past
// its value) into the options.
FlagResult takeKoyomiFlag(const std::vector<std::string> &args, std::size_t &i,
                          KoyomiOptions &options, std::string &error);

// What --boundaries, --warn-minutes N and --other-side ask of koyomi and chart.
struct BoundaryOptions {
    bool show = false;    // "boundaries" in JSON, lines of the near ones in text
    int warnMinutes = 30; // 0: no boundary is near
    bool otherSide = false;
};
// Takes one of those options at args[i] (advancing i past its value).
FlagResult takeBoundaryOption(const std::vector<std::string> &args, std::size_t &i,
                              BoundaryOptions &into, std::string &error);

// Any of the calendar options beyond --tz, --periods and --kcb1 among args.
bool hasCalendarOption(const std::vector<std::string> &args);

// The message of a reading of the clock that failed (an unknown zone, a
// skipped or repeated time without --fold, a moment outside the years, a
// year the precise terms do not cover).
std::string clockMessage(const ClockReading &reading);
// The entered moment read on the options' clock (readClock), or an empty
// optional and the message. The reading's options are those to lay with.
std::optional<ClockReading> readEntered(const CivilTime &entered, const KoyomiOptions &options,
                                        std::string &error);

// The calendar and laying options every walk command accepts: --tz H,
// --periods ABCD, --kcb1 0|1, --method 0|1 (0 活盤式, 1 飛宮式).
struct EngineOptions {
    KoyomiOptions koyomi;
    LayingMethod method = LayingMethod::Rotating;
};

} // namespace velm::cli
