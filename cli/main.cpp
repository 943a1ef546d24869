// velm-cli: the chart engine from the command line, for scripting and tests.

#include <iostream>

#include "cli/cmd_calendar.h"
#include "cli/cmd_places.h"
#include "cli/cmd_quick.h"
#include "cli/commands.h"
#include "engine/textfile.h"

namespace {

void printUsage(std::ostream &out)
{
    out << "使い方:\n"
           "  velm-cli koyomi DATE TIME [--tz H] [--periods ABCD] [--kcb1 0|1] [--json]\n"
           "                  [--exact-minutes] [--boundaries] [--warn-minutes N]\n"
           "  velm-cli terms YEAR [--tz H]\n"
           "  velm-cli chart DATE TIME [--kind year|month|day|hour|all] [--method rotating|flying]\n"
           "                 [--tz H] [--periods ABCD] [--kcb1 0|1] [--numbers FILE] [--json]\n"
           "                 [--exact-minutes] [--boundaries] [--warn-minutes N] [--other-side]\n"
           "  velm-cli batch [--numbers FILE]   (要求行: MOMENT KIND METHOD PERIODS KCB1 TZ)\n"
           "  velm-cli search DATE TIME --matter NAME [--kind 0..3] [--direction 0..8] [--element 0..6]\n"
           "                  [--limit N] [--max-matches M] [--threads T] [--out LIST.csv]\n"
           "                  [--ics FILE]\n"
           "  velm-cli calendar DATE TIME [--rows N] [--from N] [--hours MASK] [--csv] [--ics FILE]\n"
           "  velm-cli quick DATE TIME --kind K [--stem S] [--branch B] --dun D [--ju J] [--limit N]\n"
           "  velm-cli bdata DATE TIME --kind K [--count N] [--out LIST.csv]\n"
           "  velm-cli cgidata --from-year Y1 --to-year Y2 --out DIR [--text] [--year-folders]\n"
           "                   [--no-year-month] [--no-day-hour]\n"
           "  velm-cli heatmap DATE --days N [--kind hour|day] [--direction 1..8|best] [--csv]\n"
           "  velm-cli bearing [--from PLACE] --to PLACE [--path geodesic|rhumb] [--north true|magnetic]\n"
           "                   [--date YYYY-MM-DD] [--sectors 45|30-60] [--margin DEG] [--json]\n"
           "  velm-cli places list [--json] | add NAME COORDINATES [--note TEXT] [--home] | remove NAME\n"
           "                  | home [NAME] | find CITY\n"
           "  velm-cli --version\n"
           "  共通: --data DIR でデータファイルのフォルダを指定\n";
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
