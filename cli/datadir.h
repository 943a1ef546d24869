#pragma once

#include <string>

#include "cli/commands.h"

namespace velm::cli {

// The folder of the data files: `--data DIR` (removed from args), else
// $VELM_DATA_DIR, else the folder of the executable. Empty when --data has no
// value (the caller reports a usage error).
std::string takeDataDir(Args &args, bool &ok);

// A file of the data folder.
std::string dataFile(const std::string &dir, const std::string &name);

} // namespace velm::cli
