// velm-cli chart and batch as scripts call them.

#include <gtest/gtest.h>

#include <fstream>

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

TEST(CliChart, DamagedNumbersFilesNeverStopTheChart)
{
    const std::string dir = VELM_TEST_DATA_DIR;
    for (const char *file : {"SuuFile_short.Dat", "SuuFile_utf16.Dat", "no-such-file.Dat"}) {
        CliRun r = cli("chart 2024-03-01 12:00 --kind hour --json --numbers " + dir + "/" + file);
        EXPECT_EQ(r.status, 0) << file;
        EXPECT_EQ(countLines(r.out), 1) << file;
        EXPECT_NE(r.out.find("\"BanSuu\":[["), std::string::npos) << file;
    }
}

TEST(CliChart, BadArguments)
{
    for (const char *args : {"chart 2024-02-30 12:00", "chart 2024-03-01 12:00 --kind week",
                             "chart 2024-03-01 12:00 --method other", "chart 2024-03-01",
                             "chart 2024-03-01 12:00 --numbers", "batch --bogus"}) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 2) << args;
    }
}
