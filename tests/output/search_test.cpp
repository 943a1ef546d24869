// The search walk: rows, counts and stopping points, parallel against serial
// and the cached walk against the plain computation.

#include <gtest/gtest.h>

#include <optional>
#include <set>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "engine/codec.h"
#include "engine/koyomiwalk.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/search.h"
#include "output/walk.h"

using namespace velm;

namespace {

NumberTables defaultTables()
{
    return readNumbersFile(VELM_DATA_DIR "/SuuFile.Dat").tables;
}

SenCondition condition(SenCondition::Test test, int kind, int row, int value, double threshold = 0)
{
    SenCondition c;
    c.test = test;
    c.kind = static_cast<std::uint8_t>(kind);
    c.row = static_cast<std::uint8_t>(row);
    c.value = value;
    c.threshold = threshold;
    return c;
}

// Group 0: a total of at least 20 and a 休 door (in the same palace when all
// directions are searched); group 1: a 開 door where the heaven stem is not 庚.
SenMatter sampleMatter()
{
    SenMatter m;
    m.name = "テスト";
    m.groups[0].rows[0] = condition(SenCondition::Test::Number, 0, 0, 0, 20);
    m.groups[0].rows[1] = condition(SenCondition::Test::Equal, 4, Mon, 1);
    m.groups[0].count = 2;
    m.groups[1].rows[0] = condition(SenCondition::Test::Equal, 4, Mon, 8);
    m.groups[1].rows[1] = condition(SenCondition::Test::NotEqual, 1, TenKan, 6);
    m.groups[1].count = 2;
    m.groupCount = 2;
    return m;
}

SenMatter alwaysMatter()
{
    SenMatter m;
    m.name = "常";
    m.groups[0].rows[0] = condition(SenCondition::Test::Number, 0, 0, 0, -100000);
    m.groups[0].count = 1;
    m.groupCount = 1;
    return m;
}

SearchSettings hourSearch(std::int64_t limit, std::int64_t maxMatches, int threads)
{
    SearchSettings s;
    s.start = CivilTime{2024, 3, 1, 10, 45, 0};
    s.kind = KindHour;
    s.limit = limit;
    s.maxMatches = maxMatches;
    s.threads = threads;
    return s;
}

} // namespace

TEST(Search, ParallelWavesGiveTheSerialRowsCountsAndStop)
{
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    const SenMatter matter = sampleMatter();
    for (std::int64_t maxMatches : {std::int64_t{100000}, std::int64_t{137}, std::int64_t{1}}) {
        SearchOutcome serial = SrcProc(hourSearch(30000, maxMatches, 1), matter, tables, names);
        SearchOutcome parallel = SrcProc(hourSearch(30000, maxMatches, 3), matter, tables, names);
        ASSERT_GT(serial.matches, 0);
        EXPECT_EQ(parallel.rows(), serial.rows()) << maxMatches;
        EXPECT_EQ(parallel.matches, serial.matches);
        EXPECT_EQ(parallel.examined, serial.examined);
        if (maxMatches < 100000) {
            EXPECT_EQ(serial.matches, maxMatches);
            EXPECT_LT(serial.examined, 30000);
        }
    }
}

TEST(Search, AStopKeepsTheMomentsFromTheStartUpToWhereItCameAndNoMore)
{
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    const SenMatter matter = sampleMatter();
    for (int threads : {1, 2, 3}) {
        for (int calls : {1, 3}) {
            std::vector<std::pair<std::int64_t, std::int64_t>> reported;
            SearchOutcome stopped = SrcProc(hourSearch(100000, 100000, threads), matter, tables, names,
                                            [&](std::int64_t matches, std::int64_t examined) {
                                                reported.emplace_back(matches, examined);
                                                return static_cast<int>(reported.size()) < calls;
                                            });
            ASSERT_TRUE(stopped.stopped) << threads;
            ASSERT_EQ(static_cast<int>(reported.size()), calls);
            // The counts only grow (a report may repeat while other threads
            // walk the runs ahead).
            for (std::size_t i = 1; i < reported.size(); ++i) {
                EXPECT_GE(reported[i].first, reported[i - 1].first);
                EXPECT_GE(reported[i].second, reported[i - 1].second);
            }
            // What the list shows is what was last reported: a serial walk of
            // exactly that many moments.
            EXPECT_EQ(stopped.matches, reported.back().first);
            EXPECT_EQ(stopped.examined, reported.back().second);
            EXPECT_LT(stopped.examined, 100000);
            const SearchOutcome serial = SrcProc(hourSearch(stopped.examined, 100000, 1), matter, tables, names);
            EXPECT_EQ(stopped.rows(), serial.rows()) << threads << " " << calls;
        }
    }
}

TEST(Search, WalkedMomentsEqualThePlainComputation)
{
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    const SenMatter matter = sampleMatter();
    const SearchSettings s = hourSearch(4000, 4000, 1);
    std::vector<ListRow> plain;
    for (std::int64_t k = 0; k < s.limit; ++k) {
        const CivilTime t = walkMoment(s.start, s.kind, k);
        const Koyomi koyomi = DateToKyu(t, s.koyomi, false);
        const ChartRecord chart = BanCreate(koyomi, s.kind, s.method, &standardPatternDetector());
        const SuuScores scores = SuuSan(chart, koyomi, tables, s.method);
        const SenResult result = SenCheck(matter, s.direction, chart.Ban, scores);
        if (result.matched)
            plain.push_back(searchRow(s.kind, t, chart, scores, s.element, result.direction, names));
    }
    const std::vector<ListRow> walked = SrcProc(s, matter, tables, names).rows();
    ASSERT_FALSE(plain.empty());
    ASSERT_EQ(walked.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(walked[i], plain[i]) << "row " << i;
}

// "三流派で一致": a moment is listed when the plain computation's chart
// matches under every school, with the chart of the settings' school; on
// one thread and two.
TEST(Search, AllSchoolsKeepsTheMomentsEverySchoolMatches)
{
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    const SenMatter matter = sampleMatter();
    SearchSettings s = hourSearch(3000, 3000, 1);
    s.start = CivilTime{2024, 1, 25, 10, 0, 0}; // across 立春 and its 5- and 10-day marks
    s.allSchools = true;
    s.koyomi.juMethod = JuMethod::Chaibu;
    std::vector<ListRow> plain;
    std::size_t differing = 0;
    for (std::int64_t k = 0; k < s.limit; ++k) {
        const CivilTime t = walkMoment(s.start, s.kind, k);
        bool every = true;
        std::optional<ListRow> row;
        std::set<int> jus;
        for (const JuMethod method : {JuMethod::Zhirun, JuMethod::Chaibu, JuMethod::Maoshan}) {
            KoyomiOptions o = s.koyomi;
            o.juMethod = method;
            const Koyomi koyomi = DateToKyu(t, o, false);
            jus.insert(koyomi.BanKyoku[3]);
            const ChartRecord chart = BanCreate(koyomi, s.kind, s.method, &standardPatternDetector());
            const SuuScores scores = SuuSan(chart, koyomi, tables, s.method);
            const SenResult result = SenCheck(matter, s.direction, chart.Ban, scores);
            every = every && result.matched;
            if (method == s.koyomi.juMethod && result.matched)
                row = searchRow(s.kind, t, chart, scores, s.element, result.direction, names);
        }
        differing += jus.size() > 1 ? 1 : 0;
        if (every)
            plain.push_back(*row);
    }
    EXPECT_GT(differing, 100u); // the schools do part ways over this span
    for (int threads : {1, 2}) {
        s.threads = threads;
        const std::vector<ListRow> walked = SrcProc(s, matter, tables, names).rows();
        ASSERT_FALSE(plain.empty());
        ASSERT_EQ(walked.size(), plain.size()) << threads;
        for (std::size_t i = 0; i < plain.size(); ++i)
            ASSERT_EQ(walked[i], plain[i]) << "row " << i << " threads " << threads;
    }
    // Fewer moments than the school alone finds.
    s.allSchools = false;
    EXPECT_GT(SrcProc(s, matter, tables, names).rowCount(), plain.size());
}

// A match of any pattern that reads another pillar's stem (歳格 月格 日格
// 時格 伏干 飛干), each in a group of its own.
SenMatter pillarPatternMatter()
{
    SenMatter m;
    m.name = "格";
    int g = 0;
    for (int pattern : {29, 30, 31, 32, 33, 34}) {
        m.groups[static_cast<std::size_t>(g)].rows[0] = condition(SenCondition::Test::PatternEqual, 0, 0, pattern);
        m.groups[static_cast<std::size_t>(g)].count = 1;
        ++g;
    }
    m.groupCount = static_cast<std::uint8_t>(g);
    return m;
}

// Every moment's chart laid in full, scored and checked (its calendar facts
// from the walker, which the engine's own tests hold to DateToKyu).
std::vector<ListRow> plainRows(const SearchSettings &s, const SenMatter &matter, const NumberTables &tables,
                               const ConstData &names)
{
    std::vector<ListRow> rows;
    KoyomiWalker walker(s.koyomi);
    for (std::int64_t k = 0; k < s.limit; ++k) {
        const CivilTime t = walkMoment(s.start, s.kind, k);
        const Koyomi koyomi = walker.at(t);
        const ChartRecord chart = BanCreate(koyomi, s.kind, s.method, &standardPatternDetector());
        const SuuScores scores = SuuSan(chart, koyomi, tables, s.method);
        // The directions bad for the people, from each person's verdict on
        // this chart and on the moment's fully laid year and month charts.
        std::uint16_t excluded = 0;
        for (int honmei = 0; honmei < 9; ++honmei) {
            if (((s.people.honmeiSet >> honmei) & 1) == 0)
                continue;
            excluded |= judgePalaces(chart, koyomi, honmei).bad;
            if (s.people.alsoYearMonth)
                for (int kind : {KindYear, KindMonth})
                    excluded |= judgePalaces(BanCreate(koyomi, kind, s.method, nullptr), koyomi, honmei).bad;
        }
        const SenResult result = SenCheck(matter, s.direction, chart.Ban, scores, excluded);
        if (result.matched)
            rows.push_back(searchRow(s.kind, t, chart, scores, s.element, result.direction, names));
    }
    return rows;
}

TEST(Search, CachedChartsGiveTheFullComputationOverLongWalks)
{
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    struct Case {
        int kind;
        CivilTime start;
        std::int64_t limit;
        LayingMethod method;
        SenMatter matter;
        SearchElement element;
        int direction;
        PeopleExclusion people = {};
    };
    const PeopleExclusion family = PeopleExclusion::of({5, 7, 2}, false);
    const PeopleExclusion moving = PeopleExclusion::of({0, 4}, true);
    const std::vector<Case> cases{
        // Every hour of twenty years, with the flag and the first pattern shown.
        {KindHour, {2000, 1, 1, 0, 30, 0}, 87660, LayingMethod::Rotating, alwaysMatter(), SearchElement::Pattern, 0},
        {KindHour, {1980, 6, 1, 1, 0, 0}, 87660, LayingMethod::Flying, pillarPatternMatter(), SearchElement::Score, 0},
        {KindHour, {2040, 2, 3, 23, 0, 0}, 43830, LayingMethod::Rotating, sampleMatter(), SearchElement::Score, 3},
        {KindHour, {2060, 2, 3, 23, 0, 0}, 43830, LayingMethod::Flying, alwaysMatter(), SearchElement::Score, 0},
        {KindDay, {1901, 1, 1, 12, 0, 0}, 72000, LayingMethod::Rotating, pillarPatternMatter(), SearchElement::Pattern, 0},
        {KindDay, {1901, 1, 1, 12, 0, 0}, 72000, LayingMethod::Flying, alwaysMatter(), SearchElement::Score, 0},
        {KindMonth, {1901, 1, 15, 12, 0, 0}, 2380, LayingMethod::Rotating, alwaysMatter(), SearchElement::Score, 0},
        {KindMonth, {1901, 1, 15, 12, 0, 0}, 2380, LayingMethod::Flying, pillarPatternMatter(), SearchElement::Stems, 0},
        {KindYear, {1901, 7, 1, 12, 0, 0}, 198, LayingMethod::Rotating, alwaysMatter(), SearchElement::Score, 0},
        {KindYear, {1901, 7, 1, 12, 0, 0}, 198, LayingMethod::Flying, alwaysMatter(), SearchElement::Pattern, 0},
        // The directions bad for the people going left out.
        {KindHour, {2000, 1, 1, 0, 30, 0}, 43830, LayingMethod::Rotating, sampleMatter(), SearchElement::Score, 0, family},
        {KindHour, {2030, 1, 1, 0, 30, 0}, 43830, LayingMethod::Flying, pillarPatternMatter(), SearchElement::Score, 0,
         moving},
        {KindHour, {2030, 1, 1, 0, 30, 0}, 43830, LayingMethod::Rotating, alwaysMatter(), SearchElement::Score, 7, moving},
        {KindDay, {1990, 1, 1, 12, 0, 0}, 20000, LayingMethod::Rotating, alwaysMatter(), SearchElement::Score, 0, moving},
        {KindMonth, {1901, 1, 15, 12, 0, 0}, 2380, LayingMethod::Rotating, alwaysMatter(), SearchElement::Score, 0,
         family},
    };
    for (const Case &c : cases) {
        SearchSettings s;
        s.start = c.start;
        s.kind = c.kind;
        s.limit = c.limit;
        s.maxMatches = c.limit;
        s.method = c.method;
        s.element = c.element;
        s.direction = c.direction;
        s.threads = 2;
        s.people = c.people;
        const std::vector<ListRow> plain = plainRows(s, c.matter, tables, names);
        const std::vector<ListRow> cached = SrcProc(s, c.matter, tables, names).rows();
        ASSERT_FALSE(plain.empty());
        ASSERT_EQ(cached.size(), plain.size()) << "kind " << c.kind << " from " << c.start.year;
        for (std::size_t i = 0; i < plain.size(); ++i)
            ASSERT_EQ(cached[i], plain[i]) << "kind " << c.kind << " row " << i;
    }
}

TEST(Search, MinutesAreCarriedAndRowsShowTheHour)
{
    const std::vector<ListRow> rows = SrcProc(hourSearch(3, 100, 1), alwaysMatter(), defaultTables(), MakeConstData()).rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "時盤");
    EXPECT_EQ(rows[0][1], "2024/03/01");
    EXPECT_EQ(rows[0][2], "10");
    EXPECT_EQ(rows[1][2], "12");
    EXPECT_EQ(rows[2][2], "14");
    EXPECT_EQ(rows[0][3], "金");
    EXPECT_EQ(rows[1][4], "五不遇時"); // 12:45 is the 庚午 hour of a 甲 day
}

TEST(Search, LimitsAndDirections)
{
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    SearchOutcome none = SrcProc(hourSearch(0, 100, 2), alwaysMatter(), tables, names);
    EXPECT_EQ(none.examined, 0);
    EXPECT_TRUE(none.found.empty());
    SearchOutcome negative = SrcProc(hourSearch(-5, 100, 2), alwaysMatter(), tables, names);
    EXPECT_EQ(negative.examined, 0);
    SearchOutcome first = SrcProc(hourSearch(500, 1, 2), alwaysMatter(), tables, names);
    EXPECT_EQ(first.matches, 1);
    EXPECT_EQ(first.examined, 1);
    EXPECT_EQ(searchCntL(first.matches, first.examined), "1/1");

    SearchSettings north = hourSearch(200, 100, 2);
    north.direction = 5;
    SearchOutcome chosen = SrcProc(north, sampleMatter(), tables, names);
    ASSERT_FALSE(chosen.found.empty());
    for (const ListRow &row : chosen.rows())
        EXPECT_EQ(row[14], "9");
    SearchOutcome all = SrcProc(hourSearch(200, 100, 2), sampleMatter(), tables, names);
    for (const ListRow &row : all.rows())
        EXPECT_NE(row[14], "9");
}

// A limit beyond the calendar neither wraps nor walks past 9999-12-31: the
// walk examines every moment up to there once, on any number of threads.
TEST(Search, HugeLimitsEndOnTheLastDayOfTheCalendar)
{
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    for (int kind : {KindYear, KindHour}) {
        SearchSettings s = hourSearch(INT64_MAX, INT64_MAX, 2);
        s.kind = kind;
        s.start = kind == KindYear ? CivilTime{9990, 6, 1, 12, 0, 0} : CivilTime{9996, 1, 1, 1, 0, 0};
        const std::int64_t length = kind == KindYear ? 10 : 1461 * 12; // the hour walk runs on two threads
        const SearchOutcome all = SrcProc(s, alwaysMatter(), tables, names);
        EXPECT_TRUE(all.ended) << kind;
        EXPECT_EQ(all.examined, length) << kind;
        ASSERT_EQ(all.found.size(), static_cast<std::size_t>(length)) << kind;
        for (std::size_t i = 0; i < all.found.size(); ++i)
            ASSERT_EQ(all.found[i].index, static_cast<std::int64_t>(i)) << kind; // none missing or repeated
        EXPECT_EQ(all.rows().back()[1].substr(0, 5), "9999/") << kind;

        s.threads = 1;
        s.limit = length; // a limit that ends exactly there has not run out of calendar
        const SearchOutcome exact = SrcProc(s, alwaysMatter(), tables, names);
        EXPECT_FALSE(exact.ended);
        EXPECT_EQ(exact.rows(), all.rows());
    }
    EXPECT_EQ(walkEndMessage(CivilTime{9999, 12, 31, 23, 0, 0}, 732, "検索"),
              "日付が9999年12月31日を超えるため、9999/12/31 23:00までの732件で検索を終えました。");
}

TEST(Search, RowElementsAndTitles)
{
    const ConstData names = MakeConstData();
    const Koyomi k = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{}, false);
    const ChartRecord chart = BanCreate(k, KindHour, LayingMethod::Flying, &standardPatternDetector());
    const SuuScores scores = SuuSan(chart, k, defaultTables(), LayingMethod::Flying);
    const CivilTime t{2024, 3, 1, 12, 0, 0};
    // Column 6 is ring position 1, the north (palace 1): 丁 over 甲, 傷, 天任, 九地, 三碧.
    EXPECT_EQ(searchRow(3, t, chart, scores, SearchElement::Stems, 0, names)[6], "丁甲");
    EXPECT_EQ(searchRow(3, t, chart, scores, SearchElement::Door, 0, names)[6], "傷門");
    EXPECT_EQ(searchRow(3, t, chart, scores, SearchElement::Door, 0, names)[5], "");
    EXPECT_EQ(searchRow(3, t, chart, scores, SearchElement::Star, 0, names)[6], "天任");
    EXPECT_EQ(searchRow(3, t, chart, scores, SearchElement::Deity, 0, names)[6], "九地");
    EXPECT_EQ(searchRow(3, t, chart, scores, SearchElement::NineStar, 0, names)[6], "三碧");
    EXPECT_EQ(searchSenL("求財", searchDirectionText(0)), " 占事「求財」 方位「全方位」 ");
    EXPECT_EQ(searchDirectionText(2), " 西");
}

namespace {

std::string fileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The grid line of a row as the command line's grid lays out any list.
std::string gridLine(const ListRow &row, const SearchRowText::Widths &widths)
{
    std::string line;
    for (std::size_t c = 0; c < widths.size(); ++c)
        line += (c > 0 ? " " : "") + std::string(static_cast<std::size_t>(widths[c] - cp932Width(row[c])), ' ') + row[c];
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line + "\n";
}

} // namespace

// Rows made as text, for the grid and the list file, on any number of
// threads, are byte for byte those of the rows they stand for; cells the file
// cannot hold are refused with the same message.
TEST(Search, RowTextIsTheRowsByteForByte)
{
    const NumberTables tables = defaultTables();
    const auto dir = std::filesystem::temp_directory_path() / ("velm-rowtext-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "list.csv").string();
    struct Case {
        int kind;
        SearchElement element;
        int direction;
        std::int64_t limit;
        std::string patternName; // every pattern's name, when set
    };
    const std::vector<Case> cases{
        {KindHour, SearchElement::Score, 0, 30000, ""}, {KindHour, SearchElement::Door, 3, 5000, ""},
        {KindDay, SearchElement::Stems, 0, 3000, ""},   {KindYear, SearchElement::Star, 8, 300, ""},
        {KindMonth, SearchElement::Deity, 1, 400, ""},  {KindHour, SearchElement::NineStar, 0, 2000, ""},
        {KindHour, SearchElement::Pattern, 0, 3000, ""}, {KindHour, SearchElement::Pattern, 0, 3000, "格,局"},
        {KindHour, SearchElement::Pattern, 0, 3000, "格\xF0\x9F\x98\x80"},
    };
    for (const Case &c : cases) {
        ConstData names = MakeConstData();
        if (!c.patternName.empty())
            for (std::string &name : names.PatternName)
                name = c.patternName;
        SearchSettings s = hourSearch(c.limit, 100000, 2);
        s.kind = c.kind;
        s.element = c.element;
        s.direction = c.direction;
        const SearchOutcome outcome = SrcProc(s, alwaysMatter(), tables, names);
        const std::vector<ListRow> rows = outcome.rows();
        ASSERT_FALSE(rows.empty());

        const std::string wholeFault = writeListFile(file, searchListModel("求財", c.direction, outcome));
        const std::string whole = fileBytes(file);
        const std::string fault = writeSearchListFile(file, "求財", c.direction, outcome, 3);
        EXPECT_EQ(fault, wholeFault) << c.kind;
        EXPECT_EQ(fileBytes(file), whole) << c.kind;
        if (!fault.empty()) {
            EXPECT_NE(fault.find(c.patternName.find(',') != std::string::npos ? "カンマ" : "S-JIS"), std::string::npos);
        }

        SearchRowText::Widths widths = searchDataWidths(outcome);
        for (const ListRow &row : rows)
            for (std::size_t col = 0; col < widths.size(); ++col)
                ASSERT_LE(cp932Width(row[col]), widths[col]);
        widths[1] += 1; // a wider caption pads every value
        const SearchRowText grid(outcome, SearchRowText::Form::Grid, widths);
        std::string made;
        grid.append(0, rows.size() / 3, made);
        grid.append(rows.size() / 3, rows.size(), made);
        std::string expected;
        for (const ListRow &row : rows)
            expected += gridLine(row, widths);
        EXPECT_EQ(made, expected) << c.kind;
    }
    std::filesystem::remove_all(dir);
}
