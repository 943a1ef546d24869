// velm-cli chart and batch as scripts call them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "cli/options.h"
#include "cli_run.h"

namespace {

std::string firstLine(const std::string &s)
{
    return s.substr(0, s.find('\n'));
}

} // namespace

TEST(CliChart, TextIsTheWindowCopyThenTheNineTotals)
{
    CliRun r = cli("chart 2024-03-01 12:00 --kind hour --method flying");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(firstLine(r.out), "時盤:24/03/01 12時 [庚午]");
    EXPECT_NE(r.out.find("陽１局 旬首[戊] 五不遇時\n┌────┬────┬────┐\n"), std::string::npos);
    // Palace 1 (坎) sits bottom centre: 丁 任 三 over 甲 傷 地.
    EXPECT_NE(r.out.find("│癸 心 一│丁 任 三│己 輔 八│"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("│丙 杜 天│甲 傷 地│癸 生 雀│"), std::string::npos);
    EXPECT_NE(r.out.find("中宮 "), std::string::npos);
    EXPECT_EQ(countLines(r.out), 21 + 9 + 1);
    EXPECT_EQ(cli("chart 2024-03-01T12:00 --kind hour --method flying").out, r.out);
}

TEST(CliChart, JsonHasTheChartRecordAndScores)
{
    CliRun r = cli("chart 2024-03-01 12:00 --kind all --json");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(countLines(r.out), 4);
    for (const char *key : {"\"kind\":0", "\"kind\":3", "\"method\":0", "\"Ban\":{\"TenKan\":[",
                            "\"Kaku\":[[", "\"JunKan\":4", "\"BanFlag\":[0,0,0,0,1]", "\"BanFlagNo\":4",
                            "\"ChokuFuKyu\":", "\"ChokuFuMoto\":", "\"ChokuShiKyu\":", "\"JiKanKyu\":",
                            "\"SuuBase\":[[", "\"BanSuu\":[[", "\"summary\":"})
        EXPECT_NE(r.out.find(key), std::string::npos) << key;
    // The rotating plate never puts a star in the centre.
    EXPECT_NE(r.out.find("\"Sei\":[9,"), std::string::npos);
}

TEST(CliBatch, OneAnswerPerRequestLine)
{
    CliRun chart = cli("chart 2024-03-01 12:00 --kind hour --method flying --json");
    CliRun batch = cli("batch", "2024-03-01T12:00 3 1 1111 1 9.0\\nnot-a-moment 3 0 1111 1 9.0\\n"
                                "2024-03-01T12:00 3 1 1111 1 9.0 extra\\n1999-12-31T23:00 0 0 0101 0 -5\\n");
    EXPECT_EQ(batch.status, 2); // some lines were bad
    ASSERT_EQ(countLines(batch.out), 4);
    EXPECT_EQ(firstLine(batch.out) + "\n", chart.out);
    EXPECT_NE(batch.out.find("{\"line\":2,\"error\":"), std::string::npos);
    EXPECT_NE(batch.out.find("{\"line\":3,\"error\":"), std::string::npos);
    EXPECT_NE(batch.out.find("\"kind\":0,\"method\":0"), std::string::npos);
}

// A scratch data folder with the default matters and explanations and the
// given bytes as "SuuFile.Dat" (a FIFO when `fifo`).
std::string dataFolder(const std::string &name, const std::string &numbers, bool fifo = false)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("velm-cli-" + std::to_string(::getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char *file : {"Senji.Dat", "Senji.Idx", "SetuFile.Dat"})
        fs::copy_file(fs::path(VELM_DATA_DIR) / file, dir / file);
    if (fifo)
        ::mkfifo((dir / "SuuFile.Dat").c_str(), 0600);
    else
        std::ofstream(dir / "SuuFile.Dat", std::ios::binary) << numbers;
    return dir.string();
}

// Whatever bytes a request line holds, its answer is valid JSON: bytes that
// are not UTF-8 become U+FFFD and control characters are escaped.
TEST(CliBatch, ErrorObjectsAreValidJson)
{
    CliRun r = cli("batch", "2024-03-01T-0 3 0 1111 1 9\\n\\0377\\0376\\01T12 3 0 1111 1 9\\n"
                            "2024-03-01T\\0343\\0201 3 0 1111 1 9\\n2024-03-01T12:+5 3 0 1111 1 9\\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out,
              "{\"line\":1,\"error\":\"時刻は HH または HH:MM (00:00～23:59) で指定して下さい: -0\"}\n"
              "{\"line\":2,\"error\":\"日付は YYYY-MM-DD の形で指定して下さい: \xef\xbf\xbd\xef\xbf\xbd\\u0001\"}\n"
              "{\"line\":3,\"error\":\"時刻は HH または HH:MM (00:00～23:59) で指定して下さい: \xef\xbf\xbd\"}\n"
              "{\"line\":4,\"error\":\"時刻は HH または HH:MM (00:00～23:59) で指定して下さい: 12:+5\"}\n");
}

TEST(CliChart, DamagedNumbersFilesNeverStopTheChart)
{
    const std::string dir = VELM_TEST_DATA_DIR;
    const std::string empty = dataFolder("empty", "") + "/SuuFile.Dat";
    const std::string fifo = dataFolder("fifo", "", true) + "/SuuFile.Dat";
    for (const std::string &file : {dir + "/SuuFile_short.Dat", dir + "/SuuFile_utf16.Dat", dir + "/no-such-file.Dat",
                                    empty, fifo, std::string("/dev/zero")}) {
        const std::string args = "chart 2024-03-01 12:00 --kind hour --json --numbers " + file;
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 0) << file;
        EXPECT_EQ(countLines(r.out), 1) << file;
        EXPECT_NE(r.out.find("\"BanSuu\":[["), std::string::npos) << file;
        EXPECT_EQ(cliWithErrors(args).out.rfind("velm-cli: 『" + file + "』", 0), 0u) << file;
    }
}

TEST(CliChart, NumbersFileWithoutTablesStopsTheScoringCommands)
{
    for (const std::string &data : {dataFolder("empty", ""), dataFolder("fifo", "", true)}) {
        for (const std::string &args : {std::string("calendar 2024-03-01 12:00 --rows 3"),
                                        std::string("search 2024-03-01 12:00 --matter 吉方位（総合） --limit 3")}) {
            CliRun r = cliWithErrors(args + " --data " + data);
            EXPECT_EQ(r.status, 1) << args;
            EXPECT_NE(r.out.find("『" + data + "/SuuFile.Dat』"), std::string::npos) << r.out;
        }
    }

    // Cells a hand-edited file pushed to the int limit: named once per table,
    // and used without overflow (an int sum of patterns went negative).
    std::string extreme;
    for (int cells : {8, 90, 900, 72, 40, 90, 45, 72, 81, 531}) {
        for (int i = 0; i < cells; ++i)
            extreme += "2147483647,";
        extreme += "\r\n";
    }
    const std::string file = dataFolder("extreme", extreme + "2147483647\r\n") + "/SuuFile.Dat";
    CliRun r = cliWithErrors("chart 2024-03-01 12 --kind all --json --numbers " + file);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("(KanSG)の1列1行の[2147483647]は、設定できる範囲(-50～50)の外です。"), std::string::npos);
    const std::size_t at = r.out.find("\"SuuBase\":");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(r.out.find('-', at), std::string::npos) << r.out.substr(at); // nothing wrapped below zero
    EXPECT_NE(r.out.find("4294967294", at), std::string::npos);              // two patterns in a palace
}

TEST(CliChart, BadArguments)
{
    for (const char *args : {"chart 2024-02-30 12:00", "chart 2024-03-01 12:00 --kind week",
                             "chart 2024-03-01 12:00 --method other", "chart 2024-03-01",
                             "chart 2024-03-01 12:00 --numbers", "batch --bogus", "chart 2024-03-01 12:-0",
                             "chart 2024-03-01 -0", "chart 2024-03-01 12 --kind -0",
                             "chart 2024-03-01 12 --warn-minutes x"}) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 2) << args;
    }
}

TEST(CliChart, OtherSideOfTheNearestTerm)
{
    // 17:40 lies after the short 立春 (17:18) while its chart compares at
    // 17:00: the other side is the chart after 立春, as the exact minute lays it.
    CliRun other = cli("chart 2024-02-04 17:40 --other-side --json");
    CliRun after = cli("chart 2024-02-04 17:40 --exact-minutes --json");
    ASSERT_EQ(other.status, 0);
    ASSERT_EQ(countLines(other.out), 4);
    // All but the longitude, which is read where the terms were compared.
    auto facts = [](const std::string &out) {
        std::string kept;
        for (std::size_t at = 0; at < out.size();) {
            const std::size_t end = out.find('\n', at);
            const std::string line = out.substr(at, end - at);
            kept += line.substr(0, line.find("\"SunLongitude\"")) + line.substr(line.find("\"kind\"")) + "\n";
            at = end + 1;
        }
        return kept;
    };
    std::string expected = facts(after.out);
    for (std::size_t at = 0; (at = expected.find("}\n", at)) != std::string::npos; at += 30)
        expected.replace(at, 2, ",\"otherSide\":\"立春後\"}\n");
    EXPECT_EQ(facts(other.out), expected);

    CliRun text = cli("chart 2024-02-04 17:40 --kind hour --other-side");
    EXPECT_EQ(text.out.rfind("時盤:24/02/04 17時［立春後］ [辛酉]\n", 0), 0u) << text.out;
    CliRun month = cli("chart 2024-02-04 17:40 --kind month --other-side --boundaries");
    EXPECT_EQ(month.out.rfind("月盤:2024/02/04［立春後］ [丙寅]\n境界：立春から21分  2024-02-04T17:18:56（簡略式の誤差を含む）\n", 0), 0u)
        << month.out;

    // No term near: a message on standard error and status 3.
    for (const char *args : {"chart 2024-02-04 12:00 --other-side", "chart 2024-02-04 17:40 --other-side --warn-minutes 0",
                             "chart 2024-02-04 16:50 --other-side --astronomy precise --warn-minutes 30"}) {
        CliRun r = cliWithErrors(args);
        EXPECT_EQ(r.status, 3) << args;
        EXPECT_EQ(r.out.rfind("velm-cli: --other-side: ", 0), 0u) << r.out;
    }
    EXPECT_EQ(cli("chart 2024-02-04 16:50 --other-side --astronomy precise --warn-minutes 40").status, 0);
}

// The option tables are the command line: every listed option is taken by its
// command (never refused as unknown) and listed by its --help, an unlisted one
// is refused, and --help names the calendar options every dated command takes.
TEST(CliOptions, EveryListedOptionIsTakenAndListed)
{
    using namespace velm::cli;
    const CliRun top = cli("--help");
    EXPECT_EQ(top.status, 0);
    for (const char *calendar : {"--astronomy", "--zone", "--longitude", "--solar-time", "--fold", "--exact-minutes",
                                 "--tz", "--data"})
        EXPECT_NE(top.out.find(calendar), std::string::npos) << calendar;
    for (const std::string &command : commandNames()) {
        EXPECT_NE(top.out.find("velm-cli " + command + " "), std::string::npos) << command;
        const CommandLine *table = commandTable(command);
        ASSERT_NE(table, nullptr) << command;
        const CliRun help = cli(command + " --help");
        EXPECT_EQ(help.status, 0) << command;
        for (const Option &o : table->options) {
            // One line per option, its value named.
            EXPECT_NE(help.out.find("  " + o.name + (o.value.empty() ? "  " : " " + o.value + " ")), std::string::npos)
                << command << " " << o.name << "\n" << help.out;
            // Without the command's words a run stops at the arguments, so
            // nothing is computed: only whether the option is known matters.
            const CliRun run = cliWithErrors(command + " " + o.name + (o.value.empty() ? "" : " x") + " < /dev/null");
            EXPECT_EQ(run.out.find("不明なオプション"), std::string::npos) << command << " " << o.name << ": " << run.out;
        }
        // Every command reads its words through its table: an unknown option
        // and a bad value are named with the command.
        const CliRun bogus = cliWithErrors(command + " --bogus < /dev/null");
        EXPECT_EQ(bogus.status, 2) << command;
        EXPECT_NE(bogus.out.find(command + ": 不明なオプションです: --bogus"), std::string::npos) << bogus.out;
    }
    for (const char *bad : {"search 2024-03-01 12 --matter x --kind 9", "calendar 2024-03-01 12 --rows x",
                            "quick 2024-03-01 12 --kind 時 --dun x", "bdata 2024-03-01 12 --count x",
                            "cgidata --from-year x", "heatmap 2024-03-01 --days x", "terms 2024 --tz x",
                            "batch --fold x", "bearing --path x", "places list --note"}) {
        const std::string line = bad;
        const std::string command = line.substr(0, line.find(' '));
        const std::string option = line.substr(line.rfind("--"), line.find(' ', line.rfind("--")) - line.rfind("--"));
        const CliRun run = cliWithErrors(line + " < /dev/null");
        EXPECT_EQ(run.status, 2) << line;
        EXPECT_EQ(run.out.find("velm-cli: " + command), 0u) << line << "\n" << run.out;
        EXPECT_NE(run.out.find(option), std::string::npos) << line << "\n" << run.out;
    }
    const CliRun chart = cliWithErrors("chart 2024-03-01 12 --bogus");
    EXPECT_NE(chart.out.find("chart: 不明なオプションです: --bogus"), std::string::npos) << chart.out;
    const CliRun kind = cliWithErrors("chart 2024-03-01 12 --kind nope");
    EXPECT_NE(kind.out.find("chart --kind: "), std::string::npos) << kind.out;
}
