#pragma once

#include "cli/commands.h"

namespace velm::cli {

// velm-cli calendar DATE TIME [--rows N] [--from N] [--hours MASK] [--csv] [--data DIR]
// The numbers calendar from the entered moment: the rows as the calendar
// window lists them, or with --csv the lines of its export (UTF-8 here).
int runCalendar(const Args &args);

} // namespace velm::cli
