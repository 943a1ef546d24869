#pragma once

// Argument parsing shared by the velm-cli commands. Every parser returns an
// empty optional on bad input and leaves the message in `error`.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/astro.h"
#include "engine/koyomi.h"

namespace velm::cli {

// "YYYY-MM-DD" or "YYYY/MM/DD" (month and day may have one digit).
std::optional<CivilTime> parseDate(std::string_view text, std::string &error);
// "HH" or "HH:MM".
bool parseTime(std::string_view text, CivilTime &into, std::string &error);
// "YYYY-MM-DDTHH:MM" (request lines of the batch command).
std::optional<CivilTime> parseMoment(std::string_view text, std::string &error);
std::optional<double> parseTimeZone(std::string_view text, std::string &error);
// Four digits 0/1 for the ju periods of year, month, day and hour charts.
bool parsePeriods(std::string_view text, KoyomiOptions &into, std::string &error);
bool parseFlag(std::string_view text, bool &into, std::string &error);
std::optional<int> parseInt(std::string_view text, int lo, int hi);

enum class FlagResult { NotMine, Taken, Bad };
// Takes --tz H, --periods ABCD or --kcb1 0|1 at args[i] (advancing i past its
// value) into the options.
FlagResult takeKoyomiFlag(const std::vector<std::string> &args, std::size_t &i,
                          KoyomiOptions &options, std::string &error);

} // namespace velm::cli
