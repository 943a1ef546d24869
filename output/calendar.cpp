#include "output/calendar.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "engine/precise.h"
#include "engine/symbols.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/laidchart.h"
#include "output/walk.h"

namespace velm {
namespace {

constexpr int MaxRows = 99'999;
constexpr int MaxFrom = 99'999;
constexpr std::string_view BlankPattern = "　　　　";

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// A whole number in [lo, hi]: an optional minus sign and ASCII digits.
std::optional<int> parseWhole(std::string_view text, int lo, int hi)
{
    text = trimSpaces(text);
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < lo || value > hi)
        return std::nullopt;
    return value;
}

std::string momentText(const CivilTime &t)
{
    return formatListDate(t) + " " + formatListHour(t) + ":00";
}

bool inYearRange(const CivilTime &t)
{
    return t.year >= 1 && t.year <= 9999;
}

template <typename Table>
std::string_view at(const Table &table, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        return "　";
    return table[static_cast<std::size_t>(index)];
}

std::string patternLine(const ConstData &names, int number)
{
    if (number <= 0 || number >= PatternCount || names.PatternName[static_cast<std::size_t>(number)].empty())
        return std::string(BlankPattern);
    return names.PatternName[static_cast<std::size_t>(number)];
}

} // namespace

ListRow calendarRowCells(const CalendarRowFacts &row)
{
    ListRow cells;
    cells[ListCol::Kind] = std::string(KindChar[static_cast<std::size_t>(row.kind & 3)]) + "盤";
    cells[ListCol::Date] = formatListDate(row.moment);
    cells[ListCol::Hour] = formatListHour(row.moment);
    cells[ListCol::Weekday] = formatListWeekday(row.moment);
    cells[ListCol::Flag] = std::string(at(FlagName, row.flag));
    for (std::size_t c = 0; c < 9; ++c)
        if (((row.excluded >> RingToKyu[c]) & 1) == 0)
            cells[ListCol::FirstPalace + c] = formatScore(row.totals[c]);
    cells[ListCol::Mark] = std::to_string(row.kind);
    return cells;
}

CalendarCounts parseCalendarCounts(std::string_view CCnt, std::string_view CFrom)
{
    CalendarCounts counts;
    auto rows = parseWhole(CCnt, 0, MaxRows);
    if (!rows) {
        counts.error = "[作成行数]の『" + std::string(CCnt) + "』は、0～99999の整数で指定して下さい。";
        return counts;
    }
    auto from = parseWhole(CFrom, -MaxFrom, MaxFrom);
    if (!from) {
        counts.error = "[時間前から]の『" + std::string(CFrom) + "』は、-99999～99999の整数で指定して下さい。";
        return counts;
    }
    counts.rows = *rows;
    counts.from = *from;
    return counts;
}

CivilTime calendarStart(const CivilTime &entry, int from)
{
    CivilTime t = entry;
    // A double-hour begins at an odd hour; the hour before midnight belongs to
    // the previous day, so 0:xx starts at 0:00 of the same day.
    if (t.hour % 2 == 0)
        t.hour = t.hour > 0 ? t.hour - 1 : 0;
    t.minute = 0;
    t.second = 0;
    return walkMoment(t, KindHour, -static_cast<std::int64_t>(from));
}

CalendarList buildCalendar(const CalendarOptions &options, const NumberTables &tables,
                           const CalendarProgress &progress)
{
    std::vector<CalendarRow> rows;
    rows.reserve(static_cast<std::size_t>(std::max(options.rows, 0)));
    CalendarList list = walkCalendar(
        options, tables,
        [&](const CalendarRowFacts &row) { rows.push_back(CalendarRow{row.kind, row.moment, calendarRowCells(row)}); },
        progress);
    list.rows = std::move(rows);
    return list;
}

CalendarList walkCalendar(const CalendarOptions &options, const NumberTables &tables, const CalendarRowSink &take,
                          const CalendarProgress &progress)
{
    CalendarList list;
    list.start = calendarStart(options.entry, options.from);
    const std::string startText = momentText(list.start);
    int made = 0;
    CivilTime last;
    const auto finish = [&] {
        list.SenL = made == 0 ? startText : startText + " ～ " + momentText(last);
        list.CntL = std::to_string(made) + ":件";
        return list;
    };

    // Without a selected double-hour the walk would never make a row.
    if ((options.hours & CalendarAllHours) == 0) {
        list.status = CalendarList::Status::NoHours;
        list.reason = "[指定作成する時盤]が、指定されていません。";
        return finish();
    }

    const int wanted = options.rows > 0 ? options.rows : 0;

    int previousKind = -1;
    std::array<int, 4> previousStems{};
    std::int64_t step = 0;     // double-hours from the start
    std::int64_t koyomiStep = -1;
    Koyomi koyomi;
    while (made < wanted) {
        const CivilTime t = walkMoment(list.start, KindHour, step);
        const bool precise = options.koyomi.astronomy == Astronomy::Precise;
        if (!inYearRange(t) || (precise && !preciseCoversYear(t.year))) {
            list.status = CalendarList::Status::OutOfRange;
            list.reason = (inYearRange(t) ? "精密な節気の計算は" + std::to_string(PreciseFirstYear) + "～"
                                   + std::to_string(PreciseLastYear) + "年の範囲のため、"
                                             : std::string("日付が1～9999年の範囲を超えるため、"))
                + std::to_string(made) + "行で作成を終えました。";
            break;
        }
        if (((options.hours >> calendarHourItem(t.hour)) & 1) == 0) {
            ++step;
            continue;
        }
        // The year, month and day rows of a moment share its calendar facts.
        if (koyomiStep != step) {
            koyomi = DateToKyu(t, options.koyomi);
            koyomiStep = step;
        }

        int kind = KindHour;
        if (previousKind < KindHour) {
            kind = previousKind + 1;
        } else {
            for (int k = KindYear; k < KindHour; ++k)
                if (koyomi.BanKan[static_cast<std::size_t>(k)] != previousStems[static_cast<std::size_t>(k)]) {
                    kind = k;
                    break;
                }
        }
        previousKind = kind;
        previousStems = koyomi.BanKan;

        const LaidChart laid = layChart(koyomi, kind, options.method, &tables);
        CalendarRowFacts row;
        row.moment = t;
        row.kind = kind;
        row.flag = laid.chart.BanFlagNo;
        for (std::size_t c = 0; c < 9; ++c)
            row.totals[c] = laid.scores->BanSuu[ElementCount][static_cast<std::size_t>(RingToKyu[c])];
        row.excluded = options.people.excluded(laid.chart, koyomi, kind);
        take(row);
        ++made;
        last = t;

        if (kind == KindHour)
            ++step;
        if (progress && !progress(made)) {
            if (made < wanted) {
                list.status = CalendarList::Status::Cancelled;
                list.reason = "数値カレンダーの作成を中断しました。";
            }
            break;
        }
    }
    return finish();
}

ListRow calendarCaptions()
{
    ListRow captions;
    for (std::size_t c = 0; c < ListFixedCaptions.size(); ++c)
        captions[c] = ListFixedCaptions[c];
    for (std::size_t c = 0; c < 9; ++c)
        captions[ListCol::FirstPalace + c] = DirectionName[static_cast<std::size_t>(RingToKyu[c])];
    return captions;
}

ListModel calendarListModel(const CalendarList &list)
{
    ListModel model;
    model.SenL = list.SenL;
    model.CntL = list.CntL;
    model.rows.reserve(list.rows.size() + 1);
    model.rows.push_back(calendarCaptions());
    for (const CalendarRow &row : list.rows)
        model.rows.push_back(row.cells);
    return model;
}

std::vector<bool> calendarHiddenRows(const std::vector<ListRow> &rows, int cb8)
{
    std::vector<bool> hidden(rows.size(), false);
    if (rows.empty() || (cb8 != 1 && cb8 != 2))
        return hidden;
    const std::string &firstDate = rows.front()[ListCol::Date];
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (rows[r][ListCol::Kind] == "時盤")
            hidden[r] = cb8 == 1 || rows[r][ListCol::Date] != firstDate;
    return hidden;
}

RowRange dayFoldRange(const std::vector<ListRow> &rows, int row)
{
    RowRange range;
    const int count = static_cast<int>(rows.size());
    if (row < 0 || row >= count || rows[static_cast<std::size_t>(row)][ListCol::Kind] != "日盤")
        return range;
    range.first = range.last = row + 1;
    while (range.last < count && rows[static_cast<std::size_t>(range.last)][ListCol::Kind] == "時盤")
        ++range.last;
    return range;
}

std::vector<bool> toggleDayFold(const std::vector<ListRow> &rows, std::vector<bool> hidden, int row)
{
    hidden.resize(rows.size(), false);
    const RowRange range = dayFoldRange(rows, row);
    if (range.empty())
        return hidden;
    const bool hide = !hidden[static_cast<std::size_t>(range.first)];
    for (int r = range.first; r < range.last; ++r)
        hidden[static_cast<std::size_t>(r)] = hide;
    return hidden;
}

std::optional<std::string> calendarHint(const ListRow &row, int column, const KoyomiOptions &koyomiOptions,
                                        LayingMethod method, const ConstData &names,
                                        const std::string &lineBreak)
{
    if (column < 5 || column > 13)
        return std::nullopt;
    const std::string &kindCell = row[ListCol::Mark];
    if (kindCell.size() != 1 || kindCell[0] < '0' || kindCell[0] > '3')
        return std::nullopt;
    const int kind = kindCell[0] - '0';
    auto moment = listCellMoment(row[ListCol::Date], row[ListCol::Hour]);
    if (!moment)
        return std::nullopt;
    moment->minute = 30; // the middle of the hour, as the hint always asked

    const ChartRecord chart = layChart(*moment, kind, koyomiOptions, method).chart;
    const auto p = static_cast<std::size_t>(RingToKyu[static_cast<std::size_t>(column - 5)]);
    const BanRows &ban = chart.Ban;

    std::string hint;
    hint += at(StemName, ban[TenKan][p]);
    hint += " ";
    hint += at(names.StarChar, ban[Sei][p]);
    hint += " ";
    hint += at(NumeralKanji, ban[KyuSeiBan][p]);
    hint += lineBreak;
    hint += at(StemName, ban[ChiKan][p]);
    hint += " ";
    hint += at(DoorName, ban[Mon][p]);
    hint += " ";
    hint += at(DeityChar, ban[Shin][p]);
    for (int slot : {2, 1, 0})
        hint += lineBreak + patternLine(names, chart.kaku(slot, static_cast<int>(p)));
    for (int slot : {3, 4}) {
        const int number = chart.kaku(slot, static_cast<int>(p));
        if (number > 0 && number < PatternCount && !names.PatternName[static_cast<std::size_t>(number)].empty())
            hint += lineBreak + names.PatternName[static_cast<std::size_t>(number)];
    }
    return hint;
}

} // namespace velm
