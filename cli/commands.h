#pragma once

#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/json.h"
#include "engine/ban.h"
#include "engine/boundaries.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "output/listfile.h"

namespace velm {
struct SuuScores;
}

namespace velm::cli {

using Args = std::vector<std::string>;
struct CommandLine;

// What the words of chart and koyomi ask for, filled by their option tables.
struct ChartArgs {
    KoyomiOptions options;
    LayingMethod method = LayingMethod::Rotating;
    std::vector<int> kinds{0, 1, 2, 3};
    std::string numbersPath;
    BoundaryOptions near;
    bool json = false;
    std::vector<std::string> people; // --person NAME, in order
};
CommandLine chartCommandLine(ChartArgs &into);
struct KoyomiArgs {
    KoyomiOptions options;
    BoundaryOptions near;
    bool json = false;
    bool schools = false; // --schools: the hour chart's ju by each school
};
CommandLine koyomiCommandLine(KoyomiArgs &into);

// Each command's option table with handlers writing into values of its own:
// for the usage texts and for checking that the tables and the commands
// agree (commandTable). The commands read their words through the same
// tables.
CommandLine koyomiCommandLine();
CommandLine termsCommandLine();
CommandLine chartCommandLine();
CommandLine batchCommandLine();
CommandLine searchCommandLine();
CommandLine calendarCommandLine();
CommandLine quickCommandLine();
CommandLine bdataCommandLine();
CommandLine cgidataCommandLine();
CommandLine heatmapCommandLine();
CommandLine bearingCommandLine();
CommandLine placesCommandLine();
CommandLine journalCommandLine();

// Exit statuses: 0 done, 1 failed at run time (a file), 2 bad arguments,
// 3 no term near enough for --other-side.
int runKoyomi(const Args &args);
int runTerms(const Args &args);
int runChart(const Args &args);
int runBatch(const Args &args);
int runSearch(const Args &args);
int runJournal(const Args &args);

// One chart as velm-cli chart --json writes it (one line).
std::string chartJson(const Koyomi &k, const ChartRecord &chart, LayingMethod method, const SuuScores &scores);

// The koyomi keys shared by every JSON object that describes a moment.
void addKoyomiJson(JsonObject &json, const Koyomi &k);

// The "boundaries" array: kind, name, time on the calendar clock, seconds from the moment.
std::string boundariesJson(const MomentBoundaries &all);
// "境界：立春まで7分  2024-02-04T17:18:56（簡略式の誤差を含む）", one per near boundary.
std::vector<std::string> nearBoundaryLines(const MomentBoundaries &all, int warnMinutes, Astronomy astronomy);
// Writes the chart rows as a calendar file stamped with the current time.
// Empty text on success, else the message.
std::string writeIcs(const std::string &path, const std::vector<ListRow> &rows, const KoyomiOptions &koyomi,
                     LayingMethod method, const std::string &title, const NumberTables &tables);

// "velm-cli: <message>" on standard error.
void report(const std::string &message);
// Reports bad arguments; returns their exit status, 2.
int usageError(const std::string &message);
// Reports a failure at run time; returns its exit status, 1.
int runFailure(const std::string &message);

} // namespace velm::cli
