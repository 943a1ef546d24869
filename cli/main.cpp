// velm-cli: the chart engine from the command line, for scripting and tests.

#include <algorithm>
#include <iostream>
#include <utility>
#include <vector>

#include "cli/cmd_calendar.h"
#include "cli/cmd_people.h"
#include "cli/cmd_places.h"
#include "cli/cmd_quick.h"
#include "cli/commands.h"
#include "engine/textfile.h"
#include "cli/options.h"

namespace {

// The commands with their words, the options the dated commands share, and
// where each command's own options are listed: all from the option tables.
void printUsage(std::ostream &out)
{
    using namespace velm::cli;
    std::vector<std::pair<std::string, std::string>> rows;
    for (const std::string &name : commandNames()) {
        const CommandLine &line = *commandTable(name);
        rows.emplace_back("velm-cli " + name + (line.words.empty() ? "" : " " + line.words) + " [オプション]",
                          line.summary);
    }
    rows.emplace_back("velm-cli COMMAND --help", "そのコマンドのオプションの一覧");
    rows.emplace_back("velm-cli --version", "版を出力します。");
    std::size_t width = 0;
    for (const auto &row : rows)
        width = std::max(width, displayWidth(row.first));
    out << "使い方:\n";
    for (const auto &row : rows)
        out << "  " << padded(row.first, width + 2) << row.second << "\n";
    out << "暦のオプション (koyomi, terms, chart, batch, search, calendar, quick, bdata, cgidata, heatmap):\n";
    velm::KoyomiOptions scratch;
    CommandLine common;
    common.options = calendarOptions(scratch);
    common.options.push_back(dataOption());
    const std::string table = commandHelp(common);
    // The option lines only, without the heading of a command.
    out << table.substr(table.find('\n', table.find('\n') + 1) + 1);
    out << "  (--data DIR はすべてのコマンドで使えます)\n";
}

} // namespace

int main(int argc, char **argv)
{
    using namespace velm::cli;
    using velm::removeTemporariesOnSignals;
    std::ios::sync_with_stdio(false);
    // Ended by Ctrl+C or a kill during a long write, it leaves no temporary file.
    removeTemporariesOnSignals();
    if (argc < 2) {
        printUsage(std::cerr);
        return 2;
    }
    std::string command = argv[1];
    Args args(argv + 2, argv + argc);
    // Every command lists its options with --help (or -h) among its words.
    if (const CommandLine *line = commandTable(command))
        for (const std::string &a : args)
            if (a == "--help" || a == "-h") {
                std::cout << commandHelp(*line);
                return 0;
            }
    if (command == "koyomi")
        return runKoyomi(args);
    if (command == "terms")
        return runTerms(args);
    if (command == "chart")
        return runChart(args);
    if (command == "batch")
        return runBatch(args);
    if (command == "search")
        return runSearch(args);
    if (command == "calendar")
        return runCalendar(args);
    if (command == "quick")
        return runQuick(args);
    if (command == "bdata")
        return runBdata(args);
    if (command == "cgidata")
        return runCgidata(args);
    if (command == "heatmap")
        return runHeatmap(args);
    if (command == "bearing")
        return runBearing(args);
    if (command == "places")
        return runPlaces(args);
    if (command == "journal")
        return runJournal(args);
    if (command == "people")
        return runPeople(args);
    if (command == "--version") {
        std::cout << "velm-cli " << VELM_VERSION << "\n";
        return 0;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        printUsage(std::cout);
        return 0;
    }
    return usageError("不明なコマンドです: " + command);
}
