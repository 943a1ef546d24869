#pragma once

// Quick search (簡易検索作盤): the first moment, from a start onward, whose
// chart of one kind has a given pillar stem and branch, dun and ju. No
// divination matter, no list, no scoring; the dialog opens the charts of the
// moment it finds.

#include <functional>
#include <optional>
#include <string_view>

#include "engine/astro.h"
#include "engine/ban.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"

namespace velm {

inline constexpr std::string_view QuickSearchNotFoundMessage = "該当作盤は、ありませんでした。";

// The four conditions of the dialog. An empty optional is "不問"; the dun has
// no such item.
struct QuickSearchCondition {
    int kind = KindYear;        // chart kind 0..3 ("盤")
    std::optional<int> stem;    // pillar stem 0..9 ("天干")
    std::optional<int> branch;  // pillar branch 0..11 ("地支")
    int dun = 0;                // 0 陽, 1 陰 ("陰陽")
    std::optional<int> ju;      // ju number 1..9 ("局"), not ju - 1
};

struct QuickSearchOptions {
    CivilTime start;            // the main window's date and hh:nn time
    QuickSearchCondition condition;
    long limit = 500;           // "検索上限": moments examined at most
    KoyomiOptions koyomi;
    LayingMethod method = LayingMethod::Rotating;
};

struct QuickSearchResult {
    enum class Status { Found, NotFound, Cancelled };
    Status status = Status::NotFound;
    // Moments examined before the match (the match itself is not counted, so a
    // match at the start moment gives 0); on NotFound or Cancelled, all examined.
    long examined = 0;
    CivilTime found{};          // valid when Found: the start's minutes carry over
    bool ended = false;         // NotFound because the walk reached 9999-12-31 before its limit
    CivilTime last{};           // when ended: the last moment examined
    Koyomi koyomi;              // calendar facts and chart of the found moment
    ChartRecord chart;

    bool ok() const { return status == Status::Found; }
};

// Called with the number of moments examined so far, before the first moment
// and then every QuickSearchProgressEvery moments; returning false stops the
// search (Cancelled).
using QuickSearchProgress = std::function<bool(long examined)>;
inline constexpr long QuickSearchProgressEvery = 16;

// A stem and a branch of different parity (甲丑) make no pillar of the
// sixty: such a condition can never be met. The dialog walks its limit all
// the same (it can be stopped); the command line refuses it at once.
bool quickConditionPossible(const QuickSearchCondition &condition);

// Steps the condition's kind (365.25 d, 30.59 d, 1 d, 2 h) from the start.
// A limit of 0 or less examines nothing. A walk that leaves the years
// 1..9999 ends there, not found.
QuickSearchResult quickSearch(const QuickSearchOptions &options, const QuickSearchProgress &progress = {});

} // namespace velm
