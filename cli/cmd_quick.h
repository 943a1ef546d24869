#pragma once

// velm-cli commands over the walks of the output layer: the quick search, the
// chart-data list, the chart-data files and the heat map.

#include "cli/commands.h"

namespace velm::cli {

// velm-cli quick DATE TIME --kind K [--stem S] [--branch B] --dun D [--ju J] [--limit N]
int runQuick(const Args &args);
// velm-cli bdata DATE TIME --kind K [--count N] [--out LIST.csv]
int runBdata(const Args &args);
// velm-cli cgidata --from-year Y1 --to-year Y2 --out DIR [--text] [--year-folders]
//                  [--no-year-month] [--no-day-hour]
int runCgidata(const Args &args);
// velm-cli heatmap DATE --days N [--kind hour|day] [--direction 1..8|best] [--csv]
int runHeatmap(const Args &args);

} // namespace velm::cli
