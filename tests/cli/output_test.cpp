// velm-cli search, calendar, quick, bdata, cgidata and heatmap: the formats
// other tools read and the errors they get.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli_run.h"

namespace {

const char *FirstMatter = "吉方位（総合）";

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string scratch(const std::string &name)
{
    auto dir = std::filesystem::temp_directory_path() / ("velm-cli-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

} // namespace

TEST(CliSearch, ListOnScreenAndAsAListFile)
{
    const std::string args = std::string("search 2026-01-01 00:00 --matter ") + FirstMatter + " --kind 3 --limit 40";
    CliRun shown = cli(args);
    ASSERT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out.rfind(" 占事「吉方位（総合）」 方位「全方位」 ", 0), 0u) << shown.out;
    EXPECT_NE(shown.out.find("/40\n"), std::string::npos);
    EXPECT_NE(shown.out.find("時盤 2026/01/01"), std::string::npos);

    const std::string path = scratch("search.csv");
    ASSERT_EQ(cli(args + " --out " + path).status, 0);
    const std::string bytes = readFile(path);
    // CP932 with CR LF: the title line ends in the count, then the captions.
    EXPECT_NE(bytes.find("/40\r\n\x94\xd5,"), std::string::npos);
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);

    // As calendar events: one per row of the list, nothing printed.
    const std::string ics = scratch("search.ics");
    CliRun written = cli(args + " --ics " + ics);
    ASSERT_EQ(written.status, 0);
    EXPECT_EQ(written.out, "");
    const std::string events = readFile(ics);
    EXPECT_EQ(events.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    auto count = [](const std::string &text, const std::string &what) {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count(events, "BEGIN:VEVENT"), count(shown.out, "\n時盤 "));
    EXPECT_EQ(count(events, "\n"), count(events, "\r\n"));

    // One thread or two: the same list.
    EXPECT_EQ(cli(args + " --threads 1").out, cli(args + " --threads 2").out);
    EXPECT_EQ(cli(args + " --threads 0").out, cli(args + " --threads 1").out);
}

TEST(CliSearch, ErrorsAreReported)
{
    EXPECT_EQ(cli("search 2026-01-01 00:00 --matter 存在しない占事 --kind 3").status, 1);
    EXPECT_EQ(cli("search 2026-01-01 00:00 --kind 3").status, 2);
    EXPECT_EQ(cli(std::string("search 2026-01-01 00:00 --matter ") + FirstMatter + " --kind 4").status, 2);
    EXPECT_EQ(cli(std::string("search 2026-01-01 00:00 --matter ") + FirstMatter + " --limit x").status, 2);
    EXPECT_EQ(cli(std::string("search 2026-01-01 00:00 --matter ") + FirstMatter + " --data /nonexistent").status, 1);
    CliRun none = cli(std::string("search 2026-01-01 00:00 --matter ") + FirstMatter + " --limit 0");
    EXPECT_EQ(none.status, 0);
    EXPECT_NE(none.out.find("0/0"), std::string::npos);
}

TEST(CliCalendar, RowsAndCsv)
{
    CliRun r = cli("calendar 2024-03-01 12:00 --rows 5");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(countLines(r.out), 2 + 5);
    EXPECT_NE(r.out.find("年盤 2024/03/01 11"), std::string::npos) << r.out;
    EXPECT_EQ(cli("calendar 2024-03-01 12:00 --rows 5 --hours 0").status, 1);
    const std::string ics = scratch("calendar.ics");
    ASSERT_EQ(cli("calendar 2024-03-01 12:00 --rows 5 --ics " + ics).status, 0);
    EXPECT_NE(readFile(ics).find("DTSTART:20240301T020000Z\r\n"), std::string::npos); // 11:00 at UTC+9
    EXPECT_EQ(cli("calendar 2024-03-01 12:00 --rows 0 --ics " + ics).status, 1);
    EXPECT_EQ(cli("calendar 2024-03-01 25:00").status, 2);
}

// The heat map of the 北 column, and of the best, for the hour rows the
// calendar lists from midnight.
TEST(CliHeatmap, TheCalendarsValues)
{
    CliRun calendar = cli("calendar 2024-03-01 00:00 --rows 15 --csv");
    CliRun north = cli("heatmap 2024-03-01 --days 1 --direction 5 --csv");
    CliRun best = cli("heatmap 2024/03/01 --days 1 --csv --periods 1111");
    ASSERT_EQ(north.status, 0);
    std::string expected = "2024-03-01";
    std::string expectedBest = "2024-03-01";
    std::size_t at = 0;
    while ((at = calendar.out.find("\n時盤,2024/03/01,", at)) != std::string::npos) {
        std::vector<std::string> cells;
        std::size_t from = at + 1;
        for (std::size_t comma; (comma = calendar.out.find(',', from)) < calendar.out.find('\n', at + 1);
             from = comma + 1)
            cells.push_back(calendar.out.substr(from, comma - from));
        expected += "," + cells[6];
        // The best of 北 … 北西 (columns 6..13), the first on a tie.
        std::size_t top = 6;
        for (std::size_t c = 7; c <= 13; ++c)
            if (std::stod(cells[c]) > std::stod(cells[top]))
                top = c;
        const char *names[] = {"北", "北東", "東", "南東", "南", "南西", "西", "北西"};
        expectedBest += std::string(",") + names[top - 6] + ":" + cells[top];
        at = from;
    }
    EXPECT_EQ(north.out, expected + "\n");
    EXPECT_EQ(best.out, expectedBest + "\n");
    CliRun days = cli("heatmap 2024-03-01 --days 3 --kind day");
    EXPECT_EQ(countLines(days.out), 3);
    EXPECT_EQ(days.out.rfind("2024-03-01 ", 0), 0u) << days.out;
    // A midnight the zone's civil clock skipped still begins a calendar day.
    EXPECT_EQ(cli("heatmap 2024-03-10 --days 1 --zone America/Havana").status, 0);
}

TEST(CliQuick, FoundAndNotFound)
{
    CliRun found = cli("quick 2024-03-01 12:00 --kind 3 --stem 0 --branch 0 --dun 0");
    ASSERT_EQ(found.status, 0);
    EXPECT_NE(found.out.find("2024/03/06 00:00 時盤 [甲子]"), std::string::npos) << found.out;
    CliRun missing = cli("quick 2024-03-01 12:00 --kind 3 --stem 0 --branch 0 --dun 1 --limit 10");
    EXPECT_NE(missing.out.find("該当作盤は、ありませんでした。"), std::string::npos);
    // 甲丑 is no pillar: refused at once rather than walked to the year 9999.
    CliRun impossible = cliWithErrors("quick 2024-03-01 12:00 --kind 3 --stem 0 --branch 1 --dun 0");
    EXPECT_EQ(impossible.status, 2);
    EXPECT_EQ(impossible.out, "velm-cli: 天干「甲」と地支「丑」の組み合わせは、六十干支にありません。\n");
    EXPECT_EQ(cli("quick 2024-03-01 12:00 --kind 5 --dun 0").status, 2);
}

TEST(CliBdata, RowsAndListFile)
{
    CliRun r = cli("bdata 2024-03-01 12:00 --kind 3 --count 3");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(countLines(r.out), 3);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "時盤,2024/03/01,12,金,甲辰,丙寅,甲子,庚午,啓蟄上元,陽１局,戊,五不遇時,休-兌,７,");
    const std::string path = scratch("bdata.csv");
    ASSERT_EQ(cli("bdata 2024-03-01 12:00 --kind 3 --count 3 --out " + path).status, 0);
    EXPECT_FALSE(readFile(path).empty());
}

TEST(CliCgidata, FilesForAYear)
{
    const std::string dir = scratch("cgi");
    CliRun r = cli("cgidata --from-year 2004 --to-year 2004 --out " + dir);
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir + "/2004.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/200402.dat"));
    EXPECT_EQ(cli("cgidata --from-year 2005 --to-year 2004 --out " + dir).status != 0, true);
    EXPECT_EQ(cli("cgidata --from-year 2004 --to-year 2004 --out /proc/no-such-dir").status, 1);
}

// The count options of the walk commands take any whole number of their range
// (zero and negatives stop the walk at once) and nothing else.
TEST(CliCounts, WholeNumbersOnly)
{
    const std::string search = std::string("search 2026-01-01 00:00 --matter ") + FirstMatter + " --kind 3";
    const std::string quick = "quick 2024-03-01 12:00 --kind 3 --stem 0 --branch 0 --dun 1";
    const std::string bdata = "bdata 2024-03-01 12:00 --kind 3";
    const struct {
        std::string args;
        std::string message;
    } bad[] = {
        {search + " --limit +5", "search: --limit は整数で指定して下さい: +5"},
        {search + " --limit 1-2", "search: --limit は整数で指定して下さい: 1-2"},
        {search + " --max-matches 99999999999999999999",
         "search: --max-matches は整数で指定して下さい: 99999999999999999999"},
        {quick + " --limit ten", "quick --limit: 検索上限は整数で指定して下さい: ten"},
        {quick + " --limit 99999999999", "quick --limit: 検索上限は整数で指定して下さい: 99999999999"},
        {bdata + " --count -", "bdata --count: 作成上限は整数で指定して下さい: -"},
        {bdata + " --count 3.5", "bdata --count: 作成上限は整数で指定して下さい: 3.5"},
        // Signs on zero, plus signs and full-width minus signs are no whole numbers here.
        {search + " --limit -0", "search: --limit は整数で指定して下さい: -0"},
        {search + " --max-matches +0", "search: --max-matches は整数で指定して下さい: +0"},
        {quick + " --limit －3", "quick --limit: 検索上限は整数で指定して下さい: －3"},
        {bdata + " --count -00", "bdata --count: 作成上限は整数で指定して下さい: -00"},
        {search + " --threads -0", "search: --threads は 0～256 で指定して下さい: -0"},
        {search + " --direction +1", "search: --direction は 0～8 で指定して下さい: +1"},
        {"calendar 2024-03-01 12:00 --rows -0", "calendar: --rows は 0～99999 の整数で指定して下さい: -0"},
        {"calendar 2024-03-01 12:00 --from -0", "calendar: --from は -99999～99999 の整数で指定して下さい: -0"},
        {"quick 2024-03-01 12:00 --kind 3 --dun 0 --ju -0", "quick --ju: 局は 1～9 で指定して下さい: -0"},
        {"quick 2024-03-01 12:00 --kind -0 --dun 0", "quick --kind: 盤は 年 月 日 時 のいずれかで指定して下さい: -0"},
        {"heatmap 2024-03-01 --days 0", "heatmap: --days は 1～99999 の整数で指定して下さい: 0"},
        {"heatmap 2024-03-01 --days -0", "heatmap: --days は 1～99999 の整数で指定して下さい: -0"},
        {"heatmap 2024-03-01 --days 7 --direction 0", "heatmap: --direction は 1～8 か best で指定して下さい: 0"},
        {"heatmap 2024-03-01 --days 7 --kind month", "heatmap: --kind は hour か day で指定して下さい: month"},
        {"heatmap 2024-02-30 --days 7", "存在しない日付です: 2024-02-30"},
        {"bdata 2024-03-01 12:-0 --kind 3",
         "時刻は HH または HH:MM (00:00～23:59) で指定して下さい: 12:-0"},
    };
    for (const auto &c : bad) {
        CliRun r = cliWithErrors(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.out, "velm-cli: " + c.message + "\n") << c.args;
    }

    CliRun stopped = cli(bdata + " --count -2");
    EXPECT_EQ(stopped.status, 0);
    EXPECT_EQ(stopped.out, "作盤を中止しました。\n");
    CliRun none = cli(quick + " --limit -10");
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "該当作盤は、ありませんでした。\n");
    CliRun empty = cli(search + " --limit -3");
    EXPECT_EQ(empty.status, 0);
    EXPECT_NE(empty.out.find("0/0\n"), std::string::npos) << empty.out;
}

// Every walk ends on 9999-12-31 whatever its limit, says where, and never
// makes a row of the year 10000.
TEST(CliWalks, EndOnTheLastDayOfTheCalendar)
{
    const struct {
        std::string args;
        std::string stderrTail;
    } cases[] = {
        {std::string("search 9990-06-01 12:00 --matter ") + FirstMatter + " --kind 0 --limit 9223372036854775807",
         "9999/06/01 18:00までの10件で検索を終えました。\n"},
        {std::string("search 9999-12-31 19:00 --matter ") + FirstMatter
             + " --kind 3 --limit 9223372036854775807 --max-matches 9223372036854775807",
         "9999/12/31 23:00までの3件で検索を終えました。\n"},
        {"quick 9999-12-31 19:00 --kind 3 --stem 0 --branch 0 --dun 0 --limit 2147483647",
         "9999/12/31 23:00までの3件で検索を終えました。\n"},
        {"bdata 9999-12-31 19:00 --kind 3 --count 2147483647", "9999/12/31 23:00までの3件で作成を終えました。\n"},
        {"heatmap 9999-12-30 --days 5 --kind day", "9999/12/31 00:00までの2件で作成を終えました。\n"},
        {"bdata 9999-12-31 19:00 --kind 3 --count 2147483647 --out " + scratch("end.csv"),
         "9999/12/31 23:00までの3件で作成を終えました。\n"},
    };
    for (const auto &c : cases) {
        CliRun r = cliWithErrors(c.args);
        EXPECT_EQ(r.status, 0) << c.args;
        EXPECT_EQ(r.out.find("10000/"), std::string::npos) << c.args;
        const std::string message = "velm-cli: 日付が9999年12月31日を超えるため、" + c.stderrTail;
        EXPECT_NE(r.out.find(message), std::string::npos) << c.args << "\n" << r.out;
    }
    // With the precise terms every walk ends with their last year.
    const struct {
        std::string args;
        std::string stderrTail;
    } precise[] = {
        {std::string("search 2200-12-31 19:00 --matter ") + FirstMatter + " --kind 3 --limit 5000",
         "2200/12/31 23:00までの3件で検索を終えました。\n"},
        {"quick 2200-12-31 19:00 --kind 3 --stem 0 --branch 0 --dun 0 --limit 5000",
         "2200/12/31 23:00までの3件で検索を終えました。\n"},
        {"bdata 2200-12-31 19:00 --kind 3 --count 5000", "2200/12/31 23:00までの3件で作成を終えました。\n"},
        {"heatmap 2200-06-01 --days 5000 --kind day", "2200/12/31 00:00までの214件で作成を終えました。\n"},
    };
    for (const auto &c : precise) {
        CliRun r = cliWithErrors(c.args + " --astronomy precise");
        EXPECT_EQ(r.status, 0) << c.args;
        EXPECT_EQ(r.out.find("2201"), std::string::npos) << c.args;
        EXPECT_NE(r.out.find("velm-cli: 精密な節気の計算は2200年までのため、" + c.stderrTail), std::string::npos)
            << c.args << "\n" << r.out;
    }
    CliRun preciseCalendar = cliWithErrors("calendar 2200-12-31 20:00 --rows 99 --astronomy precise");
    EXPECT_EQ(preciseCalendar.status, 0);
    EXPECT_EQ(preciseCalendar.out.find("2201/"), std::string::npos);
    EXPECT_NE(preciseCalendar.out.find("精密な節気の計算は1800～2200年の範囲のため"), std::string::npos);

    // The file holds the three moments and says so.
    const std::string file = readFile(scratch("end.csv"));
    EXPECT_NE(file.find(",3\r\n"), std::string::npos);
    EXPECT_EQ(countLines(file), 2 + 3);
    // The calendar too: what it made is output, and a file written is success.
    CliRun calendar = cliWithErrors("calendar 9999-12-31 20:00 --rows 99999");
    EXPECT_EQ(calendar.status, 0);
    EXPECT_EQ(calendar.out.find("10000/"), std::string::npos);
    EXPECT_NE(calendar.out.find("範囲を超えるため"), std::string::npos);
    const std::string ics = scratch("end.ics");
    CliRun events = cliWithErrors("calendar 9999-12-31 20:00 --rows 99999 --ics " + ics);
    EXPECT_EQ(events.status, 0) << events.out;
    EXPECT_NE(readFile(ics).find("END:VCALENDAR"), std::string::npos);
}

// Output paths: written through a device or FIFO as a shell redirection
// would, never replacing it; a read-only file refused and kept; an empty name
// a usage error.
TEST(CliOutputPaths, WrittenAsAShellWouldWriteThem)
{
    const std::string search = std::string("search 2026-01-01 00:00 --matter ") + FirstMatter + " --kind 3 --limit 4";
    const std::string file = scratch("paths.csv");
    ASSERT_EQ(cli(search + " --out " + file).status, 0);
    CliRun through = cli(search + " --out /dev/stdout");
    EXPECT_EQ(through.status, 0);
    EXPECT_EQ(through.out, readFile(file));
    CliRun events = cli(search + " --ics /dev/stdout");
    EXPECT_EQ(events.status, 0);
    EXPECT_EQ(events.out.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);

    const std::string locked = scratch("locked.ics");
    std::ofstream(locked) << "kept";
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    CliRun refused = cliWithErrors("calendar 2024-03-01 12:00 --rows 3 --ics " + locked);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("読み取り専用"), std::string::npos) << refused.out;
    EXPECT_EQ(readFile(locked), "kept");

    for (const std::string &args : {search + " --out ''", search + " --ics ''",
                                    std::string("calendar 2024-03-01 12:00 --ics ''"),
                                    std::string("bdata 2024-03-01 12:00 --kind 3 --out ''"),
                                    std::string("cgidata --from-year 2004 --to-year 2004 --out ''")})
        EXPECT_EQ(cli(args).status, 2) << args;
}

// An option given last without its value is a usage error naming the option,
// in every command, before anything is read or written.
TEST(CliOptions, MissingValueNamesTheOption)
{
    const std::string matter = std::string(" --matter ") + FirstMatter;
    const struct {
        std::string args;
        std::string option;
    } cases[] = {
        {"search 2026-01-01 00:00" + matter + " --limit", "--limit"},
        {"search 2026-01-01 00:00" + matter + " --threads", "--threads"},
        {"search 2026-01-01 00:00" + matter + " --data", "--data"},
        {"calendar 2024-03-01 12:00 --rows", "--rows"},
        {"heatmap 2024-03-01 --days", "--days"},
        {"calendar 2024-03-01 12:00 --ics", "--ics"},
        {"search 2026-01-01 00:00" + matter + " --ics", "--ics"},
        {"quick 2024-03-01 12:00 --kind 3 --dun 0 --method", "--method"},
        {"quick 2024-03-01 12:00 --kind 3 --dun 0 --limit", "--limit"},
        {"bdata 2024-03-01 12:00 --kind 3 --count", "--count"},
        {"bdata 2024-03-01 12:00 --kind 3 --periods", "--periods"},
        {"cgidata --to-year 2004 --from-year", "--from-year"},
        {"chart 2024-03-01 12:00 --kind", "--kind"},
        {"koyomi 2024-03-01 12:00 --kcb1", "--kcb1"},
        {"terms 2024 --tz", "--tz"},
    };
    for (const auto &c : cases) {
        CliRun r = cliWithErrors(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        // Commands read through their option tables name themselves too;
        // --data is taken before any table.
        const std::string command = c.args.substr(0, c.args.find(' '));
        const std::string named = c.option == "--data" ? "" : command + ": ";
        EXPECT_EQ(r.out, "velm-cli: " + named + c.option + " の値がありません\n") << c.args;
    }
}
