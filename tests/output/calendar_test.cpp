// The numbers calendar: where it starts, which double-hours it lists, which
// kind each row is, that it always ends, and the hint of a score cell; and
// the heat map, whose values are the calendar's scores drawn as a picture.
//
// Pillar changes used below (this engine, time zone 9): the day pillar turns
// at midnight, so 23:00 still belongs to the old day; 立春 2024 falls at
// 2024/02/04 17:2x, so the 19:00 double-hour is the first of 甲辰.

#include "output/calendar.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "engine/codec.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "evaluation/matters.h"
#include "evaluation/sencheck.h"
#include "output/charttext.h"
#include "output/heatmap.h"
#include "output/walk.h"

namespace velm {
namespace {

const NumberTables &dataTables()
{
    static const NumbersFile file = readNumbersFile(std::string(VELM_DATA_DIR) + "/SuuFile.Dat");
    return file.tables;
}

CalendarOptions optionsAt(CivilTime entry, int rows, std::uint16_t hours = CalendarAllHours, int from = 0)
{
    CalendarOptions o;
    o.entry = entry;
    o.rows = rows;
    o.hours = hours;
    o.from = from;
    return o;
}

// "年13" for a year row at 13:00: kind character and hour of each row.
std::vector<std::string> shape(const CalendarList &list)
{
    std::vector<std::string> out;
    for (const CalendarRow &r : list.rows)
        out.push_back(std::string(KindChar[static_cast<std::size_t>(r.kind)]) + r.cells[2]);
    return out;
}

std::vector<ListRow> cellsOf(const CalendarList &list)
{
    std::vector<ListRow> cells;
    for (const CalendarRow &r : list.rows)
        cells.push_back(r.cells);
    return cells;
}

TEST(CalendarStart, OddHourBeforeTheEntry)
{
    struct Case {
        CivilTime entry;
        int from;
        CivilTime start;
    };
    const Case cases[] = {
        {{2024, 3, 10, 14, 20, 0}, 0, {2024, 3, 10, 13, 0, 0}},
        {{2024, 3, 10, 13, 59, 0}, 0, {2024, 3, 10, 13, 0, 0}},
        {{2024, 3, 10, 2, 10, 0}, 0, {2024, 3, 10, 1, 0, 0}},
        // 0:xx starts at midnight of the same day, not at 23:00 before it.
        {{2024, 3, 10, 0, 30, 0}, 0, {2024, 3, 10, 0, 0, 0}},
        {{2024, 3, 10, 14, 20, 0}, 3, {2024, 3, 10, 7, 0, 0}},
        {{2024, 3, 10, 0, 30, 0}, 1, {2024, 3, 9, 22, 0, 0}},
        {{2024, 3, 1, 1, 0, 0}, 1, {2024, 2, 29, 23, 0, 0}},
        {{2024, 3, 10, 14, 20, 0}, -2, {2024, 3, 10, 17, 0, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(calendarStart(c.entry, c.from), c.start) << c.entry.hour << " from " << c.from;
}

TEST(CalendarStart, HourItemOfEvenHoursIsTheDoubleHourHoldingIt)
{
    // Items: 0 丑 1:00 … 11 子 23:00. An even hour lies in the double-hour
    // that began an hour earlier.
    const int expected[24] = {11, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11};
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(calendarHourItem(h), expected[h]) << h;
}

TEST(Calendar, KindsFromAnAfternoonEntry)
{
    const CalendarList list = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 14), dataTables());
    ASSERT_TRUE(list.ok()) << list.reason;
    const std::vector<std::string> expected{"年13", "月13", "日13", "時13", "時15", "時17", "時19",
                                            "時21", "時23", "日01", "時01", "時03", "時05", "時07"};
    EXPECT_EQ(shape(list), expected);
    EXPECT_EQ(list.rows[8].cells[1], "2024/03/10");
    EXPECT_EQ(list.rows[9].cells[1], "2024/03/11");
    EXPECT_EQ(list.rows[9].cells[3], "月");
    EXPECT_EQ(list.SenL, "2024/03/10 13:00 ～ 2024/03/11 07:00");
    EXPECT_EQ(list.CntL, "14:件");
    for (const CalendarRow &r : list.rows) {
        EXPECT_EQ(r.cells[0], std::string(KindChar[static_cast<std::size_t>(r.kind)]) + "盤");
        EXPECT_EQ(r.cells[14], std::to_string(r.kind));
        EXPECT_EQ(cp932Width(r.cells[4]), 8) << r.cells[4];
        EXPECT_EQ(r.moment.minute, 0);
    }
}

TEST(Calendar, YearAndMonthRowsWhereTheirPillarsChange)
{
    const CalendarList year = buildCalendar(optionsAt({2024, 2, 4, 14, 0, 0}, 12), dataTables());
    EXPECT_EQ(shape(year), (std::vector<std::string>{"年13", "月13", "日13", "時13", "時15", "時17",
                                                     "年19", "月19", "日19", "時19", "時21", "時23"}));
    // 啓蟄 2024 falls late in the morning of 03/05.
    const CalendarList month = buildCalendar(optionsAt({2024, 3, 5, 8, 0, 0}, 10), dataTables());
    EXPECT_EQ(shape(month), (std::vector<std::string>{"年07", "月07", "日07", "時07", "時09", "時11",
                                                      "月13", "日13", "時13", "時15"}));
}

TEST(Calendar, ExactRowCountCountsEveryKind)
{
    for (int n : {0, 1, 3, 10, 250}) {
        const CalendarList list = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, n), dataTables());
        ASSERT_TRUE(list.ok());
        EXPECT_EQ(static_cast<int>(list.rows.size()), n);
        EXPECT_EQ(list.CntL, std::to_string(n) + ":件");
    }
    // No rows: the span is the start alone.
    EXPECT_EQ(buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 0), dataTables()).SenL, "2024/03/10 13:00");
    // Ending on a day row, the span ends at that row's moment.
    const CalendarList endsOnDay = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 10), dataTables());
    EXPECT_EQ(endsOnDay.rows.back().kind, KindDay);
    EXPECT_EQ(endsOnDay.SenL, "2024/03/10 13:00 ～ 2024/03/11 01:00");
}

TEST(Calendar, AfterMidnightStartRowsFallOnEvenHours)
{
    const CalendarList list = buildCalendar(optionsAt({2024, 3, 10, 0, 30, 0}, 30), dataTables());
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(list.rows.front().cells[1], "2024/03/10");
    for (const CalendarRow &r : list.rows)
        EXPECT_EQ(r.moment.hour % 2, 0) << r.cells[1] << " " << r.cells[2];
    EXPECT_EQ(list.SenL.substr(0, 16), "2024/03/10 00:00");

    // Only 子 selected: the even-hour walk keeps the midnight rows (子 holds
    // 0:00), one hour row per day, each after its day row.
    const CalendarList ne = buildCalendar(optionsAt({2024, 3, 10, 0, 30, 0}, 10, 1u << 11), dataTables());
    EXPECT_EQ(shape(ne), (std::vector<std::string>{"年00", "月00", "日00", "時00", "日00", "時00",
                                                   "日00", "時00", "日00", "時00"}));
    EXPECT_EQ(ne.rows[9].cells[1], "2024/03/13");
}

TEST(Calendar, OnlyTheRatHourGivesOneHourRowPerDay)
{
    const CalendarList list = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 40, 1u << 11), dataTables());
    ASSERT_TRUE(list.ok());
    int hourRows = 0;
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        const CalendarRow &r = list.rows[i];
        EXPECT_EQ(r.moment.hour, 23);
        if (r.kind == KindHour) {
            ++hourRows;
            ASSERT_GT(i, 0u);
            EXPECT_EQ(list.rows[i - 1].kind, KindDay); // every 23:00 is a new day after the last
            EXPECT_EQ(list.rows[i - 1].moment, r.moment);
        }
    }
    EXPECT_GE(hourRows, 15);
    // 03/10 23:00 .. one a day.
    EXPECT_EQ(list.rows[3].cells[1], "2024/03/10");
    EXPECT_EQ(list.rows[5].cells[1], "2024/03/11");
}

TEST(Calendar, EmptyHourSelectionEndsWithoutRows)
{
    CalendarOptions o = optionsAt({2024, 3, 10, 14, 20, 0}, 100, 0);
    const CalendarList list = buildCalendar(o, dataTables());
    EXPECT_EQ(list.status, CalendarList::Status::NoHours);
    EXPECT_TRUE(list.rows.empty());
    EXPECT_NE(list.reason.find("[指定作成する時盤]"), std::string::npos);
    EXPECT_EQ(list.CntL, "0:件");
    // Bits above the twelve items select nothing either.
    o.hours = 0xF000;
    EXPECT_EQ(buildCalendar(o, dataTables()).status, CalendarList::Status::NoHours);
}

TEST(Calendar, StopsAtTheEndOfTheYearRangeAndOnCancel)
{
    const CalendarList end = buildCalendar(optionsAt({9999, 12, 31, 19, 0, 0}, 20), dataTables());
    EXPECT_EQ(end.status, CalendarList::Status::OutOfRange);
    EXPECT_EQ(shape(end), (std::vector<std::string>{"年19", "月19", "日19", "時19", "時21", "時23"}));
    EXPECT_NE(end.reason, "");

    int calls = 0;
    const CalendarList stopped = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 50), dataTables(),
                                               [&](int made) {
                                                   ++calls;
                                                   return made < 5;
                                               });
    EXPECT_EQ(stopped.status, CalendarList::Status::Cancelled);
    EXPECT_EQ(stopped.rows.size(), 5u);
    EXPECT_EQ(calls, 5);
}

TEST(Calendar, ZeroScoresAreNeverNegativeZero)
{
    // Weighted values 0.3, -0.1 and -0.2 in every palace: in double precision
    // their sum is about -2.8e-17, which plain "%.2f" prints as "-0.00".
    NumberTables tables;
    for (int t = 1; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        for (int c = 1; c <= shapeOf(table).columns; ++c)
            for (int r = 1; r <= shapeOf(table).rows; ++r)
                tables.setCell(table, c, r, "0");
    }
    const auto fill = [&](NumberTable table, const char *value) {
        for (int c = 1; c <= shapeOf(table).columns; ++c)
            for (int r = 1; r <= shapeOf(table).rows; ++r)
                tables.setCell(table, c, r, value);
    };
    fill(NumberTable::KanSG, "3");   // 天盤 (and 地盤, weighted 0)
    fill(NumberTable::KanLSG, "-1"); // 天地盤
    fill(NumberTable::KyuSG, "-2");  // 紫白
    const char *weights[ElementCount] = {"10", "0", "10", "0", "0", "0", "10", "0"};
    for (int e = 0; e < ElementCount; ++e)
        tables.setCell(NumberTable::PerSG, 1, e + 1, weights[e]);
    tables.setAnE("0");

    const Koyomi k = DateToKyu(CivilTime{2024, 3, 10, 13, 0, 0}, KoyomiOptions{});
    const ChartRecord chart = BanCreate(k, KindHour, LayingMethod::Rotating, &standardPatternDetector());
    const SuuScores raw = SuuSan(chart, k, tables, LayingMethod::Rotating);
    ASSERT_LT(raw.BanSuu[ElementCount][0], 0.0); // the case this test is about
    ASSERT_GT(raw.BanSuu[ElementCount][0], -0.005);

    const CalendarList list = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 30), tables);
    ASSERT_EQ(list.rows.size(), 30u);
    for (const CalendarRow &r : list.rows)
        for (std::size_t c = 5; c <= 13; ++c)
            EXPECT_EQ(r.cells[c], "0.00") << r.cells[0] << " " << r.cells[2] << " column " << c;
}

TEST(Calendar, HiddenRowsAndDayFolding)
{
    const CalendarList list = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 20), dataTables());
    const std::vector<ListRow> rows = cellsOf(list);
    // 年 月 日 時×6 on 03/10, 日 時×10 on 03/11 (rows 9..19).
    ASSERT_EQ(rows[9][0], "日盤");

    const std::vector<bool> none = calendarHiddenRows(rows, 0);
    EXPECT_EQ(std::count(none.begin(), none.end(), true), 0);
    const std::vector<bool> allHours = calendarHiddenRows(rows, 1);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(allHours[i], rows[i][0] == "時盤") << i;
    const std::vector<bool> firstDay = calendarHiddenRows(rows, 2);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(firstDay[i], rows[i][0] == "時盤" && rows[i][1] != "2024/03/10") << i;

    const RowRange range = dayFoldRange(rows, 9);
    EXPECT_EQ(range.first, 10);
    EXPECT_EQ(range.last, 20);
    EXPECT_TRUE(dayFoldRange(rows, 2).first == 3 && dayFoldRange(rows, 2).last == 9);
    EXPECT_TRUE(dayFoldRange(rows, 0).empty()); // not a day row
    EXPECT_TRUE(dayFoldRange(rows, 99).empty());

    const std::vector<bool> folded = toggleDayFold(rows, none, 9);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(folded[i], i >= 10) << i;
    EXPECT_EQ(toggleDayFold(rows, folded, 9), none);
    // A day row whose first hour row is hidden shows all of them.
    EXPECT_EQ(toggleDayFold(rows, firstDay, 9), none);
}

TEST(Calendar, HintDescribesThePalaceOfTheColumn)
{
    const ConstData names = MakeConstData();
    const CalendarList list = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 4), dataTables());
    ASSERT_EQ(list.rows.size(), 4u);
    const ListRow &hourRow = list.rows[3].cells;

    // The chart window's palace text, made independently, agrees line by line.
    const Koyomi k = DateToKyu(CivilTime{2024, 3, 10, 13, 0, 0}, KoyomiOptions{});
    const ChartRecord chart = BanCreate(k, KindHour, LayingMethod::Rotating, &standardPatternDetector());
    for (int column = 5; column <= 13; ++column) {
        const int palace = RingToKyu[static_cast<std::size_t>(column - 5)];
        const PalaceText text = palaceText(chart.Ban, palace, names);
        auto hint = calendarHint(hourRow, column, KoyomiOptions{}, LayingMethod::Rotating, names, "|");
        ASSERT_TRUE(hint.has_value());
        std::vector<std::string> lines;
        for (std::size_t start = 0;;) {
            const std::size_t bar = hint->find('|', start);
            lines.push_back(hint->substr(start, bar == std::string::npos ? bar : bar - start));
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(padCp932(lines[0], 8), text[0]) << column;
        EXPECT_EQ(padCp932(lines[1], 8), text[1]) << column;
        for (std::size_t i = 2; i < 5; ++i)
            EXPECT_EQ(cp932Width(lines[i]), 8) << column << ": " << lines[i];
    }
    // The 北 column is palace 坎 (index 5).
    EXPECT_EQ(RingToKyu[6 - 5], 5);

    // The default line break is LF CR.
    auto hint = calendarHint(hourRow, 6, KoyomiOptions{}, LayingMethod::Rotating, names);
    ASSERT_TRUE(hint.has_value());
    EXPECT_NE(hint->find("\n\r"), std::string::npos);

    // Columns 0..4, a row without its kind, or an unreadable date: the grid's own hint.
    EXPECT_FALSE(calendarHint(hourRow, 4, KoyomiOptions{}, LayingMethod::Rotating, names).has_value());
    EXPECT_FALSE(calendarHint(hourRow, 14, KoyomiOptions{}, LayingMethod::Rotating, names).has_value());
    ListRow broken = hourRow;
    broken[14] = "";
    EXPECT_FALSE(calendarHint(broken, 6, KoyomiOptions{}, LayingMethod::Rotating, names).has_value());
    broken = hourRow;
    broken[1] = "2024/13/01";
    EXPECT_FALSE(calendarHint(broken, 6, KoyomiOptions{}, LayingMethod::Rotating, names).has_value());
}

TEST(Calendar, DirectionsBadForThePeopleGoingAreLeftBlank)
{
    CalendarOptions o;
    o.entry = {2026, 12, 9, 10, 0, 0};
    o.rows = 30;
    const CalendarList plain = buildCalendar(o, dataTables());
    o.people = PeopleExclusion::of({5, 0}, true);
    const CalendarList going = buildCalendar(o, dataTables());
    ASSERT_EQ(going.rows.size(), plain.rows.size());
    for (std::size_t r = 0; r < going.rows.size(); ++r) {
        const CalendarRow &row = going.rows[r];
        const Koyomi k = DateToKyu(row.moment, o.koyomi);
        std::uint16_t bad = 0;
        for (int honmei : {5, 0})
            for (int kind : {int{KindYear}, int{KindMonth}, row.kind})
                bad |= judgePalaces(BanCreate(k, kind, o.method, nullptr), k, honmei).bad;
        for (std::size_t c = 0; c < 9; ++c) {
            const int palace = RingToKyu[c];
            const std::string &cell = row.cells[ListCol::FirstPalace + c];
            EXPECT_EQ(cell, ((bad >> palace) & 1) ? "" : plain.rows[r].cells[ListCol::FirstPalace + c]) << r << " " << c;
        }
    }
}

TEST(Calendar, ExportIsAListFile)
{
    const CalendarList list = buildCalendar(optionsAt({2024, 3, 10, 14, 20, 0}, 12), dataTables());
    const ListModel model = calendarListModel(list);
    ASSERT_EQ(model.rows.size(), 13u);
    EXPECT_EQ(model.rows[0], calendarCaptions());
    EXPECT_EQ(model.rows[0][6], " 北");
    EXPECT_EQ(model.rows[0][4], "");
    const std::vector<std::string> lines = listFileLines(model);
    EXPECT_EQ(lines[0], list.SenL + ",12:件");
    EXPECT_EQ(lines[1], "盤,日  付,時,曜,,中宮, 北,北東, 東,南東, 南,南西, 西,北西,,");

    const auto dir = std::filesystem::temp_directory_path() / "velm-calendar-export";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "cal.csv").string();
    ASSERT_EQ(writeListFile(path, model), "");
    const ListFileRead back = readListFile(path);
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_EQ(back.model.rows, model.rows);
    EXPECT_EQ(back.model.SenL, list.SenL);
    EXPECT_EQ(listKindOf(back.model.SenL), ListKind::Other);
}

TEST(CalendarCounts, SettingsTexts)
{
    CalendarCounts c = parseCalendarCounts("100", "0");
    EXPECT_TRUE(c.ok());
    EXPECT_EQ(c.rows, 100);
    c = parseCalendarCounts(" 25 ", "-3");
    ASSERT_TRUE(c.ok()) << c.error;
    EXPECT_EQ(c.rows, 25);
    EXPECT_EQ(c.from, -3);
    EXPECT_EQ(parseCalendarCounts("abc", "0").error,
              "[作成行数]の『abc』は、0～99999の整数で指定して下さい。");
    for (const char *bad : {"", "-1", "1.5", "１０", "100000"})
        EXPECT_FALSE(parseCalendarCounts(bad, "0").ok()) << bad;
    for (const char *bad : {"", "x", "2.0", "-100000"})
        EXPECT_NE(parseCalendarCounts("10", bad).error.find("[時間前から]"), std::string::npos) << bad;
}

// A calendar run over the same days from midnight lists the same moments;
// every hour row (or day row) must carry the heat map's scores. The spans
// cross 立春 and 啓蟄 2024 and a year's end, under both laying methods and
// other calendar settings. The matter's outlines equal its test on the plainly
// computed chart.
TEST(HeatMap, ValuesAreTheCalendarsScoresForTheSameMoments)
{
    const MatterListLoad names = readMatterList(std::string(VELM_DATA_DIR) + "/Senji.Idx");
    ASSERT_FALSE(names.list.names.empty());
    const SenMatterLoad matter =
        loadSenMatter(std::string(VELM_DATA_DIR) + "/Senji.Dat", names.list.names.front());
    ASSERT_TRUE(matter.ok) << matter.message;

    struct Case {
        CivilTime start;
        int days;
        int kind;
        LayingMethod method;
        std::array<int, 4> periods;
        bool kcb1;
    };
    const Case cases[] = {
        {{2024, 2, 1, 0, 0, 0}, 8, KindHour, LayingMethod::Rotating, {1, 1, 1, 1}, true},
        {{2024, 3, 2, 15, 30, 0}, 6, KindHour, LayingMethod::Flying, {1, 1, 1, 1}, true},
        {{2023, 12, 28, 0, 0, 0}, 7, KindHour, LayingMethod::Rotating, {0, 0, 0, 0}, false},
        {{2024, 1, 20, 0, 0, 0}, 50, KindDay, LayingMethod::Rotating, {1, 1, 1, 1}, true},
        {{2024, 1, 20, 0, 0, 0}, 50, KindDay, LayingMethod::Flying, {0, 0, 0, 0}, false},
    };
    for (const Case &c : cases) {
        CalendarOptions o = optionsAt({c.start.year, c.start.month, c.start.day, 0, 30, 0}, 0);
        o.method = c.method;
        o.koyomi.periods = c.periods;
        o.koyomi.kcb1 = c.kcb1;
        o.rows = c.days * 16 + 3;
        const CalendarList list = buildCalendar(o, dataTables());
        HeatMapper mapper(dataTables(), o.koyomi, c.method, &matter.matter);
        // Built twice: the second draws from what the first computed.
        mapper.build(c.start, c.days, c.kind == KindHour ? KindDay : KindHour);
        const HeatMap map = mapper.build(c.start, c.days, c.kind);
        ASSERT_EQ(map.days, c.days);
        ASSERT_EQ(map.cells.size(), static_cast<std::size_t>(c.days * (c.kind == KindHour ? 12 : 1)));

        std::size_t compared = 0;
        for (const CalendarRow &r : list.rows) {
            if (secondsFromCivil(r.moment) > secondsFromCivil(map.cells.back().moment))
                break;
            // A year or month turning during a day gives a second day row
            // there; the day's own is the one at midnight.
            if (r.kind != c.kind || (c.kind == KindDay && r.moment.hour != 0))
                continue;
            const HeatCell &cell = map.cells[compared++];
            ASSERT_EQ(cell.moment, r.moment) << r.cells[1] << " " << r.cells[2];
            for (std::size_t ring = 1; ring < 9; ++ring)
                EXPECT_EQ(heatValueText(cell, RingToKyu[ring]), r.cells[5 + ring])
                    << r.cells[1] << " " << r.cells[2] << " ring " << ring;
            EXPECT_EQ(formatScore(cell.scores[0]), r.cells[5]);

            const Koyomi k = DateToKyu(cell.moment, o.koyomi);
            const ChartRecord chart = BanCreate(k, c.kind, c.method, &standardPatternDetector());
            const SuuScores scores = SuuSan(chart, k, dataTables(), c.method);
            for (int p = 1; p <= 8; ++p)
                EXPECT_EQ(cell.matched(p), SenCheck(matter.matter, p, chart.Ban, scores).matched)
                    << r.cells[1] << " " << r.cells[2] << " palace " << p;
        }
        EXPECT_EQ(compared, map.cells.size()) << c.start.month << "/" << c.start.day;
    }
}

TEST(HeatMap, BestIsTheHighestAndTiesGoToTheFirstColumn)
{
    struct Case {
        std::array<double, 9> scores; // by palace index: 中宮 北西 西 北東 南 北 南西 東 南東
        int best;
        const char *text;
    };
    const Case cases[] = {
        {{99, 1, 2, 3, 4, 5, 6, 7, 8}, 8, "南東:8.00"},        // the centre never counts
        {{0, 0, 0, 0, 0, 0, 0, 0, 0}, 5, "北:0.00"},           // all tie: 北 first
        {{0, 30, 0, 0, 0, -1, 0, 30, 0}, 7, "東:30.00"},       // 東 comes before 北西
        {{0, -5, -5, -2, -5, -3, -5, -5, -5}, 3, "北東:-2.00"},
        {{0, 0, 0, 0, 0, 20.004, 0, 0, 20.001}, 5, "北:20.00"}, // equal as shown: a tie
        {{0, 0, 0, 0, 0, 20.004, 0, 0, 20.006}, 8, "南東:20.01"},
    };
    for (const Case &c : cases) {
        HeatCell cell;
        cell.scores = c.scores;
        EXPECT_EQ(heatBestDirection(c.scores), c.best) << c.text;
        EXPECT_EQ(heatValueText(cell, HeatBest), c.text);
        EXPECT_EQ(heatValueText(cell, 2), formatScore(c.scores[2]));
        // Directions bad for the people going are passed over, and a cell
        // with none left shows the dash.
        cell.excluded = static_cast<std::uint16_t>(1u << c.best | 1u << 2);
        EXPECT_NE(heatBestDirection(c.scores, cell.excluded), c.best) << c.text;
        EXPECT_EQ(heatValueText(cell, 2), "-");
        cell.excluded = 0x1FE;
        EXPECT_TRUE(heatShut(cell, HeatBest));
        EXPECT_EQ(heatValueText(cell, HeatBest), "-");
    }
}

// A family of three going: the heat map of the next month shows a cell only
// where the direction is safe for all three, on the hour chart itself and,
// when asked, on the moment's year and month charts, each laid in full.
TEST(HeatMap, AFamilyOfThreeSeesOnlyTheCellsSafeForAll)
{
    const std::vector<int> family{5, 7, 2}; // 六白, 八白, 三碧
    for (const bool alsoYearMonth : {false, true}) {
        HeatMapper mapper(dataTables(), KoyomiOptions{}, LayingMethod::Rotating);
        const HeatMap plain = mapper.build({2027, 1, 1, 0, 0, 0}, 31, KindHour);
        mapper.setPeople(PeopleExclusion::of(family, alsoYearMonth));
        const HeatMap going = mapper.build({2027, 1, 1, 0, 0, 0}, 31, KindHour);
        ASSERT_EQ(going.cells.size(), 31u * 12);
        int shut = 0;
        for (std::size_t i = 0; i < going.cells.size(); ++i) {
            const HeatCell &cell = going.cells[i];
            const Koyomi k = DateToKyu(cell.moment, KoyomiOptions{});
            std::uint16_t bad = 0;
            for (int honmei : family)
                for (int kind = alsoYearMonth ? KindYear : KindHour; kind <= KindHour; ++kind)
                    if (kind != KindDay)
                        bad |= judgePalaces(BanCreate(k, kind, LayingMethod::Rotating, nullptr), k, honmei).bad;
            EXPECT_EQ(cell.excluded, bad) << i;
            EXPECT_EQ(cell.scores, plain.cells[i].scores);
            // Each direction: the score where safe for all, the dash elsewhere.
            for (int d = 1; d <= 8; ++d) {
                const bool safe = ((bad >> d) & 1) == 0;
                EXPECT_EQ(heatValueText(cell, d), safe ? heatValueText(plain.cells[i], d) : "-") << i;
                shut += safe ? 0 : 1;
            }
        }
        EXPECT_GT(shut, 0);
        EXPECT_LT(shut, 8 * static_cast<int>(going.cells.size()));
    }
}

TEST(HeatMap, LinesGridAndTheEndOfTheCalendar)
{
    HeatMapper mapper(dataTables(), KoyomiOptions{}, LayingMethod::Rotating);
    const HeatMap hours = mapper.build({2024, 3, 10, 14, 20, 0}, 2, KindHour);
    const std::vector<std::string> csv = heatMapLines(hours, 5, true);
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(csv[1].substr(0, 11), "2024-03-11,");
    EXPECT_EQ(std::count(csv[0].begin(), csv[0].end(), ','), 12);
    const std::vector<std::string> text = heatMapLines(hours, HeatBest, false);
    EXPECT_EQ(cp932Width(text[0]), cp932Width(text[1])); // aligned
    EXPECT_EQ(text[0].find(','), std::string::npos);

    const HeatGrid hourGrid = heatGrid(hours);
    EXPECT_EQ(hourGrid.rows, 2);
    // Each double-hour by its branch and start hour.
    EXPECT_EQ(hourGrid.columnCaptions.front(), "子\n23");
    EXPECT_EQ(hourGrid.columnCaptions[1], "丑\n01");
    EXPECT_EQ(hourGrid.columnCaptions.back(), "亥\n21");
    EXPECT_EQ(hourGrid.rowCaptions, (std::vector<std::string>{"03/10(日)", "03/11(月)"}));
    EXPECT_EQ(hourGrid.at(1, 11), 23);
    // Day charts by week: 2024-03-13 is a Wednesday, so ten days fill two rows.
    const HeatGrid weeks = heatGrid(mapper.build({2024, 3, 13, 0, 0, 0}, 10, KindDay));
    EXPECT_EQ(weeks.rows, 2);
    EXPECT_EQ(weeks.columnCaptions.front(), "日");
    EXPECT_EQ(weeks.rowCaptions, (std::vector<std::string>{"03/10～", "03/17～"}));
    EXPECT_EQ(weeks.at(0, 2), -1);
    EXPECT_EQ(weeks.at(0, 3), 0);
    EXPECT_EQ(weeks.at(1, 5), 9);
    EXPECT_EQ(weeks.at(1, 6), -1);
    EXPECT_EQ(weeks.at(2, 0), -1);

    const HeatMap end = mapper.build({9999, 12, 30, 0, 0, 0}, 5, KindDay);
    EXPECT_TRUE(end.ended);
    EXPECT_EQ(end.days, 2);
    EXPECT_EQ(heatMapLines(end, 1, true).back().substr(0, 10), "9999-12-31");
    EXPECT_EQ(mapper.build({2024, 1, 1, 0, 0, 0}, 0, KindHour).cells.size(), 0u);
}

} // namespace
} // namespace velm
