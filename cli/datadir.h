#pragma once

#include <optional>
#include <string>

#include "cli/commands.h"
#include "evaluation/numbers.h"

namespace velm::cli {

// The folder of the data files: `--data DIR` (removed from args), else
// $VELM_DATA_DIR, else the folder of the executable when it holds the data
// and can be written, else the user's data folder. Every command accepts
// --data, needed or not. Empty, with the usage message in `error`, when
// --data has no value.
std::optional<std::string> takeDataDir(Args &args, std::string &error);

// A file of the data folder.
std::string dataFile(const std::string &dir, const std::string &name);

// Reads a numbers file and reports on standard error why it could not be
// read, or else what was wrong with its lines.
NumbersFile readNumbersReporting(const std::string &path);

} // namespace velm::cli
