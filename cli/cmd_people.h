#pragma once

// velm-cli people, and the --person options of chart, search, calendar and
// heatmap: the nine-star directions of the people chosen.

#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#include "engine/ban.h"
#include "engine/koyomi.h"
#include "evaluation/ninestar.h"
#include "output/people.h"

namespace velm::cli {

// velm-cli people list [--json] | add NAME DATE TIME [--note TEXT] [--home PLACE] | remove NAME
int runPeople(const Args &args);
CommandLine peopleCommandLine();

// What --person NAME (repeatable) and --also-year-month ask for.
struct PeopleArgs {
    std::vector<std::string> names;
    bool alsoYearMonth = false;
};
// --person, and --also-year-month when `withAlso` (the walks).
std::vector<Option> peopleOptions(PeopleArgs &into, bool withAlso);

struct ChosenPerson {
    Person person;
    BirthStars stars;
};
// The people named, from the place book of the data folder, their stars read
// with the calendar options as given (before the entered moment was read).
// Empty list without names; nullopt with the message for a name the book
// lacks or a birth the clock cannot read.
std::optional<std::vector<ChosenPerson>> choosePeople(const PeopleArgs &args, const std::string &dataDir,
                                                      const KoyomiOptions &options, std::string &error);
// The exclusion the walks apply for them (inactive without people).
PeopleExclusion exclusionOf(const std::vector<ChosenPerson> &people, bool alsoYearMonth);

// The "people" array of a chart's JSON object.
std::string peopleJson(const std::vector<ChosenPerson> &people, const ChartRecord &chart, const Koyomi &koyomi);
// The text lines after a chart: one for the bad and one for the good palaces of each person.
std::vector<std::string> peopleLines(const std::vector<ChosenPerson> &people, const ChartRecord &chart,
                                     const Koyomi &koyomi);

} // namespace velm::cli
