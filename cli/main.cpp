// velm-cli: the chart engine from the command line, for scripting and tests.

#include <iostream>

#include "cli/cmd_calendar.h"
#include "cli/commands.h"

namespace velm::cli {

int usageError(const std::string &message)
{
    std::cerr << "velm-cli: " << message << "\n";
    return 2;
}

} // namespace velm::cli

namespace {

void printUsage(std::ostream &out)
{
    out << "使い方:\n"
           "  velm-cli koyomi DATE TIME [--tz H] [--periods ABCD] [--kcb1 0|1] [--json]\n"
           "  velm-cli terms YEAR [--tz H]\n"
           "  velm-cli chart DATE TIME [--kind year|month|day|hour|all] [--method rotating|flying]\n"
           "                 [--tz H] [--periods ABCD] [--kcb1 0|1] [--numbers FILE] [--json]\n"
           "  velm-cli batch [--numbers FILE]   (要求行: MOMENT KIND METHOD PERIODS KCB1 TZ)\n"
           "  velm-cli calendar DATE TIME [--rows N] [--from N] [--hours MASK] [--csv]\n"
           "  共通: --data DIR でデータファイルのフォルダを指定\n";
}

} // namespace

int main(int argc, char **argv)
{
    using namespace velm::cli;
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
    if (command == "calendar")
        return runCalendar(args);
    if (command == "--help" || command == "-h" || command == "help") {
        printUsage(std::cout);
        return 0;
    }
    return usageError("不明なコマンドです: " + command);
}
