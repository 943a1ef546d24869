#pragma once

// The search: walk forward from a moment, one chart period at a time, lay
// and score the chart of the chosen kind, and keep the moments whose chart
// satisfies a divination matter in the chosen direction.
//
// The walk runs on several threads in chunks of consecutive moments
// (walkthreads.h) and the chunks are merged in order, so rows, their order,
// the counts and the point where a limit stops the walk are exactly those of
// a one-moment-at-a-time loop.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/ban.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/listfile.h"

namespace velm {

// "表示する要素": what the nine palace columns of a row show.
enum class SearchElement : int { Score = 0, Stems, Door, Star, Deity, NineStar, Pattern };

// The kind captions of "検索する盤" and the element captions of "表示する要素".
inline constexpr std::array<std::string_view, 4> SearchKindCaption{"年盤", "月盤", "日盤", "時盤"};
inline constexpr std::array<std::string_view, 7> SearchElementCaption{
    "数値", "天地盤", "八門", "九星", "八神", "紫白", "格局"};

struct SearchSettings {
    CivilTime start;           // the entry's date and "hh:nn"; minutes are carried
    int kind = KindDay;        // 0..3
    int direction = 0;         // 0 all directions, 1..8 a palace index
    SearchElement element = SearchElement::Score;
    std::int64_t limit = 500;      // "検索上限": moments examined at most (and never past 9999-12-31)
    std::int64_t maxMatches = 100; // "該当上限": matching moments at most
    KoyomiOptions koyomi;
    LayingMethod method = LayingMethod::Rotating;
    int threads = 0;           // 0: every core
};

// A match: the moment's number within the walk (moment = start + index
// steps) and what its chart shows, shared by every match of the same chart.
struct SearchMatch {
    std::int64_t index = 0;
    std::uint32_t chart = 0; // into SearchOutcome::charts
};

// Columns 4..13 of a row (the flag, then the palaces in ring order) and the
// direction reported in column 14.
struct SearchChart {
    std::array<std::string, 10> cells;
    int direction = 0;
    friend bool operator==(const SearchChart &, const SearchChart &) = default;
};

// The matches of a walk, kept compact: a long walk finds hundreds of
// thousands of moments but only a few thousand different charts. Rows are
// made when asked for.
struct SearchOutcome {
    CivilTime start;
    int kind = KindDay;
    std::vector<SearchMatch> found; // in time order
    std::vector<SearchChart> charts;
    std::int64_t matches = 0;
    std::int64_t examined = 0;
    bool stopped = false;      // the progress callback asked to stop
    bool ended = false;        // the walk reached 9999-12-31 before its limit

    std::size_t rowCount() const { return found.size(); }
    ListRow row(std::size_t i) const;
    // Every row, in time order.
    std::vector<ListRow> rows() const;
};

// Called between chunks with the counts so far; returning false stops the walk
// (the rows found so far are kept, as with the stop button).
using SearchProgress = std::function<bool(std::int64_t matches, std::int64_t examined)>;

SearchOutcome SrcProc(const SearchSettings &settings, const SenMatter &matter,
                      const NumberTables &tables, const ConstData &names,
                      const SearchProgress &progress = {});

// The row of a laid and scored chart (the direction as reported).
ListRow searchRow(int kind, const CivilTime &moment, const ChartRecord &chart,
                  const SuuScores &scores, SearchElement element, int direction,
                  const ConstData &names);

// The list title and count of a finished search.
std::string searchSenL(std::string_view matter, std::string_view directionText);
std::string searchCntL(std::int64_t matches, std::int64_t examined);
// The list of a finished search, as the list window shows and saves it.
ListModel searchListModel(std::string_view matter, int direction, SearchOutcome outcome);

// "全方位" or the direction name of palace 1..8.
std::string searchDirectionText(int direction);

} // namespace velm
