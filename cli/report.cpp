#include <iostream>

#include "cli/commands.h"

namespace velm::cli {

void report(const std::string &message)
{
    std::cerr << "velm-cli: " << message << "\n";
}

int usageError(const std::string &message)
{
    report(message);
    return 2;
}

int runFailure(const std::string &message)
{
    report(message);
    return 1;
}

} // namespace velm::cli
