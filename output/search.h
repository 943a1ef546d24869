#pragma once

// The search: walk forward from a moment, one chart period at a time, lay
// and score the chart of the chosen kind, and keep the moments whose chart
// satisfies a divination matter in the chosen direction.
//
// The walk runs on several threads in chunks of consecutive moments
// (walkthreads.h) and the chunks are merged in order, so rows, their order,
// the counts and the point where a limit stops the walk are exactly those of
// a one-moment-at-a-time loop.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ban.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "evaluation/ninestar.h"
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
    // "三流派で一致": an hour chart counts only when the charts of all three
    // ways of finding the ju (JuMethod) satisfy the matter; the row shows
    // the chart of koyomi.juMethod. Other kinds have one chart whatever the
    // school, and so does the ju of ten double-hours.
    bool allSchools = false;
    // Directions bad for the people going are never examined (sencheck.h):
    // with all directions the highest palace left that satisfies the matter
    // is reported, and a chosen direction that is bad drops the moment.
    PeopleExclusion people;
};

// A match: the moment's number within the walk (moment = start + index
// steps) and what its chart shows, shared by every match of the same chart.
// Eight bytes: a century of hour charts keeps a quarter of a million (a
// walk is under 2^32 moments).
struct SearchMatch {
    std::uint32_t index = 0;
    std::uint32_t chart = 0; // into SearchOutcome::charts
};

// Columns 4..13 of a row (the flag, then the palaces in ring order) and the
// direction reported in column 14.
// The cells are kept as one text and where each ends: a third of the
// memory of ten strings, for the thousands of charts a long walk keeps.
struct SearchChart {
    static constexpr std::size_t CellCount = 10;
    std::string text;
    std::array<std::uint32_t, CellCount> ends{};
    int direction = 0;

    static SearchChart of(const std::array<std::string, CellCount> &cells, int direction);
    std::string_view cell(std::size_t c) const
    {
        const std::uint32_t begin = c == 0 ? 0 : ends[c - 1];
        return std::string_view(text).substr(begin, ends[c] - begin);
    }
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
    // Rows [from, to) appended to `rows`.
    void appendRows(std::size_t from, std::size_t to, std::vector<ListRow> &rows) const;
    // Whether a row has a cell that widens the list's palace columns.
    bool hasWideCells() const;
    // Every row, in time order.
    std::vector<ListRow> rows() const;
};

// The text of a finished search's rows, made with no ListRow per row: each
// chart's cells are converted and laid out once, a row is its moment's date,
// hour and weekday, written by a small formatter, followed by its chart's
// text. The bytes are exactly those the rows' ListRow would give.
class SearchRowText {
public:
    enum class Form {
        Grid,    // columns 0..13 right-aligned to the widths, blanks at the end dropped, LF
        ListFile // columns 0..14 each followed by a comma, CP932, CR LF
    };
    using Widths = std::array<int, ListColumnCount - 1>;

    // Keeps a reference to the outcome. The widths serve the grid only.
    SearchRowText(const SearchOutcome &outcome, Form form, const Widths &widths = {});

    // Appends rows [from, to). Reads only: threads may append different
    // rows side by side.
    void append(std::size_t from, std::size_t to, std::string &out) const;

    // ListFile: the first row (0..) whose chart has a cell CP932 cannot
    // hold, or one that holds a comma or a line break; -1 when none has.
    std::int64_t firstUnencodableRow() const { return m_unencodable; }
    std::int64_t firstCommaRow() const { return m_comma; }

private:
    const SearchOutcome &m_outcome;
    Form m_form;
    Widths m_widths{};
    std::string m_head;                   // column 0, laid out
    std::array<std::string, 7> m_weekday; // Sunday first, in the form's encoding
    std::vector<std::string> m_tails;     // columns 4.. of each chart, laid out
    std::int64_t m_unencodable = -1;
    std::int64_t m_comma = -1;
};

// CP932 widths of columns 0..13 over a search's data rows (zeros without rows).
SearchRowText::Widths searchDataWidths(const SearchOutcome &outcome);
// The caption row of a search list.
ListRow searchCaptions();

// The list file of a finished search, exactly as writeListFile writes
// searchListModel's list, its rows made while they are written (on
// `threads` threads, 0 every core): the memory of a century's list is not
// needed. Atomic; an empty text on success, else the message.
std::string writeSearchListFile(const std::string &path, std::string_view matter, int direction,
                                const SearchOutcome &outcome, int threads = 0,
                                SpecialTarget special = SpecialTarget::Refuse);

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
// That list without its rows (title, count and captions), for a window that
// makes the rows as it shows them.
ListModel searchListHead(std::string_view matter, int direction, const SearchOutcome &outcome);

// "全方位" or the direction name of palace 1..8.
std::string searchDirectionText(int direction);

} // namespace velm
