#pragma once

// velm-cli commands over the walks of the output layer: the quick search, the
// chart-data list and the chart-data files.

#include <optional>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "engine/ban.h"
#include "engine/koyomi.h"

namespace velm::cli {

// velm-cli quick DATE TIME --kind K [--stem S] [--branch B] --dun D [--ju J] [--limit N]
int runQuick(const Args &args);
// velm-cli bdata DATE TIME --kind K [--count N] [--out LIST.csv]
int runBdata(const Args &args);
// velm-cli cgidata --from-year Y1 --to-year Y2 --out DIR [--text] [--year-folders]
//                  [--no-year-month] [--no-day-hour]
int runCgidata(const Args &args);

// Chart kind: 年 月 日 時, 年盤 … 時盤, year month day hour, or 0..3.
std::optional<int> parseKind(std::string_view text);

// The calendar and laying options every walk command accepts: --tz H,
// --periods ABCD, --kcb1 0|1, --method 0|1 (0 活盤式, 1 飛宮式).
struct EngineOptions {
    KoyomiOptions koyomi;
    LayingMethod method = LayingMethod::Rotating;
};

enum class OptionParse { NotMine, Taken, Bad };

// Takes args[i] (and its value, advancing i) when it is one of the options
// above; on Bad the message is in `error`.
OptionParse takeEngineOption(const Args &args, std::size_t &i, EngineOptions &into, std::string &error);

} // namespace velm::cli
