#include "output/heatmap.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "engine/codec.h"
#include "engine/datetime.h"
#include "engine/symbols.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/laidchart.h"
#include "output/listfile.h"
#include "output/walk.h"

namespace velm {
namespace {

// A score as its text shows it, in hundredths (formatScore rounds the same
// way), so that two directions that read alike tie.
long double shownScore(double value)
{
    if (!std::isfinite(value))
        return 0;
    const long double scaled = static_cast<long double>(value) * 100.0L;
    if (std::fabs(scaled) >= 9.0e17L)
        return scaled;
    return static_cast<long double>(std::llround(scaled));
}

std::string isoDate(const CivilTime &t)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buf;
}

std::string_view withoutBlanks(std::string_view name)
{
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    return name;
}

} // namespace

int heatBestDirection(const std::array<double, 9> &scores, std::uint16_t excluded)
{
    int best = 0;
    long double top = 0;
    for (int p : HeatColumnOrder) {
        if ((excluded >> p) & 1)
            continue;
        const long double s = shownScore(scores[static_cast<std::size_t>(p)]);
        if (best == 0 || s > top) {
            top = s;
            best = p;
        }
    }
    return best;
}

int heatPalace(const HeatCell &cell, int direction)
{
    if (direction >= 1 && direction <= 8)
        return cell.isExcluded(direction) ? 0 : direction;
    return heatBestDirection(cell.scores, cell.excluded);
}

bool heatShut(const HeatCell &cell, int direction)
{
    return heatPalace(cell, direction) == 0;
}

std::string heatDirectionName(int direction)
{
    if (direction < 1 || direction > 8)
        return "最良";
    return std::string(withoutBlanks(DirectionName[static_cast<std::size_t>(direction)]));
}

std::string heatValueText(const HeatCell &cell, int direction)
{
    const int p = heatPalace(cell, direction);
    if (p == 0)
        return std::string(HeatExcludedText);
    const std::string score = formatScore(cell.scores[static_cast<std::size_t>(p)]);
    if (direction >= 1 && direction <= 8)
        return score;
    return heatDirectionName(p) + ":" + score;
}

std::vector<std::string> heatMapLines(const HeatMap &map, int direction, bool csv)
{
    std::vector<std::vector<std::string>> values(static_cast<std::size_t>(map.days));
    int width = 0;
    for (int d = 0; d < map.days; ++d)
        for (int s = 0; s < map.perDay(); ++s) {
            std::string text = heatValueText(map.cell(d, s), direction);
            width = std::max(width, cp932Width(text));
            values[static_cast<std::size_t>(d)].push_back(std::move(text));
        }
    std::vector<std::string> lines;
    lines.reserve(values.size());
    for (int d = 0; d < map.days; ++d) {
        std::string line = isoDate(map.cell(d, 0).moment);
        for (const std::string &v : values[static_cast<std::size_t>(d)]) {
            if (csv) {
                line += ",";
            } else {
                line += " ";
                line.append(static_cast<std::size_t>(width - cp932Width(v)), ' ');
            }
            line += v;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

HeatGrid heatGrid(const HeatMap &map)
{
    HeatGrid grid;
    const auto monthDay = [](const CivilTime &t) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02d/%02d", t.month % 100, t.day % 100);
        return std::string(buf);
    };
    if (map.kind == KindHour) {
        grid.rows = map.days;
        grid.columns = HeatHours;
        for (int s = 0; s < HeatHours; ++s) {
            char hour[4];
            // A double-hour is named by its branch and the hour it starts
            // at, as the settings and the calendar name it: the 00:00 cell
            // lies in 子, which starts at 23:00; 02:00 in 丑, from 01:00.
            std::snprintf(hour, sizeof hour, "%02d", (2 * s + 23) % 24);
            grid.columnCaptions.push_back(std::string(BranchName[static_cast<std::size_t>(s)]) + "\n" + hour);
        }
        grid.cells.resize(static_cast<std::size_t>(grid.rows * grid.columns));
        for (int d = 0; d < map.days; ++d) {
            const CivilTime &t = map.cell(d, 0).moment;
            grid.rowCaptions.push_back(monthDay(t) + "(" + formatListWeekday(t) + ")");
            for (int s = 0; s < HeatHours; ++s)
                grid.cells[static_cast<std::size_t>(d * HeatHours + s)] = d * HeatHours + s;
        }
        return grid;
    }
    grid.columns = 7;
    const long first = dayNumberFromCivil(map.start.year, map.start.month, map.start.day);
    const int lead = weekday(first); // 0 = Sunday
    for (int c = 0; c < 7; ++c)
        grid.columnCaptions.push_back(formatListWeekday(civilFromDayNumber(first - lead + c)));
    if (map.days <= 0)
        return grid;
    grid.rows = (lead + map.days + 6) / 7;
    grid.cells.assign(static_cast<std::size_t>(grid.rows * grid.columns), -1);
    for (int d = 0; d < map.days; ++d)
        grid.cells[static_cast<std::size_t>(lead + d)] = d;
    for (int r = 0; r < grid.rows; ++r)
        grid.rowCaptions.push_back(monthDay(civilFromDayNumber(first - lead + 7L * r)) + "～");
    return grid;
}

HeatMapper::HeatMapper(const NumberTables &tables, const KoyomiOptions &koyomi, LayingMethod method,
                       const SenMatter *matter)
    : m_tables(tables), m_method(method), m_astronomy(koyomi.astronomy), m_matter(matter), m_walker(koyomi)
{
}

HeatMapper::Values HeatMapper::judge(const ChartRecord &chart, const Koyomi &koyomi) const
{
    const SuuScores scores = SuuSan(chart, koyomi, m_tables, m_method);
    Values v;
    v.scores = scores.BanSuu[ElementCount];
    if (m_matter && m_matter->usable() && m_matter->groupCount > 0)
        for (int p = 1; p <= 8; ++p)
            if (SenCheck(*m_matter, p, chart.Ban, scores).matched)
                v.matches = static_cast<std::uint16_t>(v.matches | 1u << p);
    return v;
}

HeatMapper::Values HeatMapper::valuesAt(const Koyomi &koyomi, int kind)
{
    std::unique_ptr<PerKind> &per = m_kinds[kind];
    if (!per)
        per = std::make_unique<PerKind>(kind, m_method);
    const std::optional<ChartShapes::Shape> shape = per->shapes.find(koyomi);
    if (!shape)
        return judge(layChart(koyomi, kind, m_method).chart, koyomi);
    const ShapeKey key{shape->slot, shape->key};
    if (auto found = per->values.find(key); found != per->values.end())
        return found->second;
    // From the shape's own inputs only, so that the values hold for every
    // moment of the shape.
    const Values v = judge(per->shapes.chart(*shape, koyomi), per->shapes.scoringFacts(koyomi));
    per->values.emplace(key, v);
    return v;
}

HeatMap HeatMapper::build(const CivilTime &start, int days, int kind)
{
    HeatMap map;
    map.kind = kind == KindDay ? KindDay : KindHour;
    map.start = CivilTime{start.year, start.month, start.day, 0, 0, 0};
    if (map.start.year < 1 || days <= 0)
        return map;
    const std::int64_t wanted = std::min(days, HeatMaxDays);
    // The calendar ends on 9999-12-31 (the precise terms with 2200): whole days up to it.
    const std::int64_t inCalendar = walkLength(map.start, KindDay, m_astronomy);
    map.days = static_cast<int>(std::min(wanted, inCalendar));
    map.ended = map.days < wanted;

    const int step = map.kind == KindHour ? KindHour : KindDay;
    const std::int64_t count = static_cast<std::int64_t>(map.days) * map.perDay();
    map.cells.resize(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        HeatCell &cell = map.cells[static_cast<std::size_t>(i)];
        cell.moment = walkMoment(map.start, step, i);
        const Koyomi koyomi = m_walker.at(cell.moment);
        const Values v = valuesAt(koyomi, map.kind);
        cell.scores = v.scores;
        cell.matches = v.matches;
        if (m_people.active()) {
            const auto k = static_cast<std::size_t>(map.kind);
            cell.excluded = m_people.badOn(koyomi.BanKyuSei[k], koyomi.BanShi[k]) | m_people.yearMonth(koyomi);
        }
    }
    return map;
}

} // namespace velm
