// velm-cli search, calendar, quick, bdata and cgidata: the formats other
// tools read and the errors they get.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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

    // One thread or two: the same list.
    EXPECT_EQ(cli(args + " --threads 1").out, cli(args + " --threads 2").out);
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
    EXPECT_EQ(cli("calendar 2024-03-01 25:00").status, 2);
}

TEST(CliQuick, FoundAndNotFound)
{
    CliRun found = cli("quick 2024-03-01 12:00 --kind 3 --stem 0 --branch 0 --dun 0");
    ASSERT_EQ(found.status, 0);
    EXPECT_NE(found.out.find("2024/03/06 00:00 時盤 [甲子]"), std::string::npos) << found.out;
    CliRun missing = cli("quick 2024-03-01 12:00 --kind 3 --stem 0 --branch 0 --dun 1 --limit 10");
    EXPECT_NE(missing.out.find("該当作盤は、ありませんでした。"), std::string::npos);
    // 甲丑 is no pillar: nothing can be found.
    EXPECT_NE(cli("quick 2024-03-01 12:00 --kind 3 --stem 0 --branch 1 --dun 0").out.find("ありませんでした"),
              std::string::npos);
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
