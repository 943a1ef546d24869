#pragma once

// velm-cli commands over the place book: the places themselves and the
// bearing between two of them.

#include "cli/commands.h"

namespace velm::cli {

// velm-cli places list [--json] | add NAME [COORDINATES] [--note TEXT] [--home]
//                     | remove NAME | home [NAME]
int runPlaces(const Args &args);
// velm-cli bearing --from PLACE --to PLACE [--path geodesic|rhumb] [--north true|magnetic]
//                  [--date YYYY-MM-DD] [--sectors 45|30-60] [--margin DEG] [--json]
int runBearing(const Args &args);

} // namespace velm::cli
