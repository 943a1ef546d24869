#pragma once

// The direction heat map: the scores of the eight directions over days of
// charts at a glance. For hour charts a day holds the twelve double-hours
// 00:00, 02:00, … 22:00 (子 … 亥, as the numbers calendar lists them from
// midnight); for day charts it holds the day's chart, laid at 00:00 as the
// calendar lays its day rows. Scores are the calendar's totals for the same
// moments, computed on a cached walk (chartshapes.h), so months of charts
// take a few milliseconds.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/astro.h"
#include "engine/ban.h"
#include "engine/koyomi.h"
#include "engine/koyomiwalk.h"
#include "evaluation/ninestar.h"
#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/chartshapes.h"

namespace velm {

// Direction 0 is "最良", the best direction of each chart; 1..8 are palace
// indexes (1 北西 … 8 南東, numbered as the search numbers them).
inline constexpr int HeatBest = 0;

// The eight directions in the calendar's column order (北, 北東, 東, 南東,
// 南, 南西, 西, 北西) as palace indexes: ties of the best go to the first.
inline constexpr std::array<int, 8> HeatColumnOrder{5, 3, 7, 8, 4, 6, 2, 1};

// Double-hours of a day of hour charts; the longest span a map is built for.
inline constexpr int HeatHours = 12;
inline constexpr int HeatMaxDays = 99'999;

struct HeatCell {
    CivilTime moment;
    std::array<double, 9> scores{}; // total score by palace index (0 the centre)
    std::uint16_t matches = 0;      // bit p: the matter holds in palace p (1..8)
    std::uint16_t excluded = 0;     // bit p: palace p is bad for a person going

    bool matched(int palace) const { return palace >= 1 && palace <= 8 && ((matches >> palace) & 1) != 0; }
    bool isExcluded(int palace) const { return ((excluded >> palace) & 1) != 0; }
};

// What an excluded cell shows: no direction of it is safe for all.
inline constexpr std::string_view HeatExcludedText = "-";

struct HeatMap {
    int kind = KindHour;
    CivilTime start;            // 00:00 of the first day
    int days = 0;               // whole days in the map
    std::vector<HeatCell> cells; // day by day, perDay() cells a day
    bool ended = false;         // the span reached past 9999-12-31 and was cut there

    int perDay() const { return kind == KindHour ? HeatHours : 1; }
    const HeatCell &cell(int day, int slot) const
    {
        return cells[static_cast<std::size_t>(day * perDay() + slot)];
    }
};

// Palace index (1..8) of the highest score, the centre and the palaces of
// `excluded` left out; on a tie, the first in HeatColumnOrder. Scores are
// compared as shown, to hundredths. 0 when every direction is excluded.
int heatBestDirection(const std::array<double, 9> &scores, std::uint16_t excluded = 0);

// The palace a cell shows for a direction: the direction itself, or the
// best; 0 when that is excluded for the people going (heatShut).
int heatPalace(const HeatCell &cell, int direction);
// Whether a cell has nothing to show for the direction: it is bad for a
// person going (for the best: every direction is).
bool heatShut(const HeatCell &cell, int direction);

// A cell's value as text: the score with two decimals, or for the best the
// direction's name without blanks, a colon and the score ("南東:30.00");
// HeatExcludedText for a shut cell.
std::string heatValueText(const HeatCell &cell, int direction);

// The direction's name without blanks ("北", "南東"); "最良" for the best.
std::string heatDirectionName(int direction);

// One line a day: "YYYY-MM-DD" and the day's values, separated by commas
// (csv) or right-aligned in columns of equal width (widths in CP932 bytes).
std::vector<std::string> heatMapLines(const HeatMap &map, int direction, bool csv);

// The map as a picture lays it out: for hour charts a row a day and a column
// a double-hour; for day charts a row a week and a column a weekday (日 … 土),
// the first row holding the first day. Captions may hold a line break.
struct HeatGrid {
    int rows = 0;
    int columns = 0;
    std::vector<int> cells;                  // rows x columns: index into HeatMap::cells, -1 for none
    std::vector<std::string> rowCaptions;    // "03/10(日)", or for a week its Sunday "03/10～"
    std::vector<std::string> columnCaptions; // "子\n23" "丑\n01" … "亥\n21", or "日" … "土"

    int at(int row, int column) const
    {
        if (row < 0 || row >= rows || column < 0 || column >= columns)
            return -1;
        return cells[static_cast<std::size_t>(row * columns + column)];
    }
};
HeatGrid heatGrid(const HeatMap &map);

// Builds maps and keeps what it computed, so that a new span, kind or
// direction over the same settings is drawn at once. Not shared between
// threads.
class HeatMapper {
public:
    // `matter` may be null (no cells outlined); it must outlive the mapper.
    HeatMapper(const NumberTables &tables, const KoyomiOptions &koyomi, LayingMethod method,
               const SenMatter *matter = nullptr);

    // The people going: each cell's HeatCell::excluded from the next build on.
    void setPeople(const PeopleExclusion &people) { m_people = people; }

    // `days` days from the date of `start` (its time is ignored), of hour
    // or day charts; cut at 9999-12-31 (the precise terms' 2200-12-31).
    HeatMap build(const CivilTime &start, int days, int kind);

private:
    struct Values {
        std::array<double, 9> scores{};
        std::uint16_t matches = 0;
    };
    struct ShapeKey {
        std::uint32_t slot = 0;
        std::uint64_t key = 0;
        friend bool operator==(const ShapeKey &, const ShapeKey &) = default;
    };
    struct ShapeHash {
        std::size_t operator()(const ShapeKey &k) const
        {
            return static_cast<std::size_t>(k.key * 0x9E3779B97F4A7C15ull ^ (k.slot + 1ull) * 0xC2B2AE3D27D4EB4Full);
        }
    };
    struct PerKind {
        PerKind(int kind, LayingMethod method) : shapes(kind, method) {}
        ChartShapes shapes;
        std::unordered_map<ShapeKey, Values, ShapeHash> values;
    };
    Values valuesAt(const Koyomi &koyomi, int kind);
    Values judge(const ChartRecord &chart, const Koyomi &koyomi) const;

    const NumberTables &m_tables;
    LayingMethod m_method;
    Astronomy m_astronomy;
    const SenMatter *m_matter;
    PeopleExclusion m_people;
    KoyomiWalker m_walker;
    std::unique_ptr<PerKind> m_kinds[4];
};

} // namespace velm
