#pragma once

// The command line as tables: each command lists its options once (name,
// value, one line of help, what taking it does), one parser reads every
// command's words against its table, and the usage texts are made from the
// same tables, so an option cannot be accepted without being listed or
// listed without being accepted.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/placeargs.h"

namespace velm::cli {

struct Option {
    std::string name;  // "--kind"
    std::string value; // the value's name in the usage ("year|month|day|hour|all"); empty: a switch
    std::string help;  // one line
    // Takes the option at args[i] (and its value, advancing i onto it); false
    // with the message in `error`. Handlers see all the words, as some
    // options depend on others (--zone refuses --tz).
    std::function<bool(const Args &args, std::size_t &i, std::string &error)> take;
};

struct CommandLine {
    std::string command; // "chart"
    std::string words;   // the words before the options, "DATE TIME"
    std::string summary; // one line
    std::vector<Option> options;
};

// An option with a value: `parse` reads the value (false with the message).
Option valueOption(std::string name, std::string value, std::string help,
                   std::function<bool(const std::string &value, std::string &error)> parse);
// A switch: `set` runs when it is given.
Option switchOption(std::string name, std::string help, std::function<void()> set);
// --method 0|1 (0 活盤式, 1 飛宮式), as the walks other than search take it.
Option methodOption(LayingMethod &into);
// The options naming places for a direction (--to PLACE, --from PLACE,
// --path, --north, --date, --sectors, --margin, --allow-edge); `withFrom`
// false leaves --from to the command.
std::vector<Option> directionOptions(DirectionOptions &into, bool withFrom = true);

// --tz, --periods, --kcb1, --exact-minutes and the calendar options into
// `into`. `withJu`: with --periods, --kcb1 and --exact-minutes (terms has
// only the clock).
std::vector<Option> calendarOptions(KoyomiOptions &into, bool withJu = true);
// --boundaries, --warn-minutes N, and --other-side when `otherSide`.
std::vector<Option> boundaryOptions(BoundaryOptions &into, bool otherSide);
// --data DIR: taken before the table is read (takeDataDir); listed so that
// the usage names it and the parser passes it.
Option dataOption();

enum class Parsed { Ok, Help, Bad };
// Reads args against the table: options by name, other words into
// `positional` in order. "--help" or "-h" anywhere gives Help. A word
// starting with "--" that the table does not hold is refused, naming the
// command.
Parsed parseCommandLine(const CommandLine &line, const Args &args, std::vector<std::string> &positional,
                        std::string &error);
// parseCommandLine as every command answers it: the exit status when the
// command is done (0 after printing its --help, that of usageError for a
// refused word), nothing when it goes on with `positional`.
std::optional<int> readCommandLine(const CommandLine &line, const Args &args, std::vector<std::string> &positional);

// Columns a text takes in a terminal: two for each character beyond ASCII
// (the program's texts are Japanese), one for the others.
std::size_t displayWidth(const std::string &text);
// `text` followed by blanks up to `columns` (at least two).
std::string padded(const std::string &text, std::size_t columns);

// "使い方: velm-cli chart DATE TIME [オプション]", the summary, then one line
// per option.
std::string commandHelp(const CommandLine &line);

// The table of each command, with handlers writing into throw-away values:
// for the usage texts and for checking that the tables and the commands
// agree. Null for an unknown command.
const CommandLine *commandTable(const std::string &command);
// The commands in the order the usage lists them.
const std::vector<std::string> &commandNames();

} // namespace velm::cli
