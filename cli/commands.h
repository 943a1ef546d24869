#pragma once

#include <string>
#include <vector>

#include "cli/json.h"
#include "engine/koyomi.h"

namespace velm::cli {

using Args = std::vector<std::string>;

// Exit statuses: 0 done, 1 failed at run time (a file), 2 bad arguments.
int runKoyomi(const Args &args);
int runTerms(const Args &args);
int runChart(const Args &args);
int runBatch(const Args &args);
int runSearch(const Args &args);

// The koyomi keys shared by every JSON object that describes a moment.
void addKoyomiJson(JsonObject &json, const Koyomi &k);

// "velm-cli: <message>" on standard error.
void report(const std::string &message);
// Reports bad arguments; returns their exit status, 2.
int usageError(const std::string &message);
// Reports a failure at run time; returns its exit status, 1.
int runFailure(const std::string &message);

} // namespace velm::cli
