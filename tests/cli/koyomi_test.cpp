// velm-cli as other tools call it: output formats and argument errors.

#include <gtest/gtest.h>

#include "cli_run.h"

TEST(CliKoyomi, SummaryLine)
{
    CliRun r = cli("koyomi 2024-03-01 12:00");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "甲辰：丙寅：甲子：庚午  黄経:341.02゜春月 月初：2/4 17:18  雨水：2/19 13:4  "
                     "冬至12/17[己酉] 啓蟄上元 \n");
    EXPECT_EQ(cli("koyomi 2024/3/1 12").out, r.out);
}

TEST(CliKoyomi, JsonKeys)
{
    CliRun r = cli("koyomi 2024-03-01 12:00 --json");
    ASSERT_EQ(r.status, 0);
    for (const char *key : {"\"BanKan\":[0,2,0,6]", "\"BanShi\":[4,2,0,6]", "\"BanKyuSei\":",
                            "\"BanTon\":[1,1,0,0]", "\"BanKyoku\":", "\"BanSekki\":[0,0,4,5]",
                            "\"Gen\":0", "\"FutoNissu\":75", "\"Kisetsu\":0",
                            "\"SunLongitude\":341.0", "\"summary\":\"甲辰"})
        EXPECT_NE(r.out.find(key), std::string::npos) << key << "\n" << r.out;
    EXPECT_EQ(countLines(r.out), 1);
}

TEST(CliKoyomi, OptionsChangeTheJu)
{
    CliRun sixty = cli("koyomi 2024-03-01 12:00 --json --periods 1111");
    CliRun ten = cli("koyomi 2024-03-01 12:00 --json --periods 0000 --kcb1 0 --tz 8.0");
    ASSERT_EQ(sixty.status, 0);
    ASSERT_EQ(ten.status, 0);
    EXPECT_NE(sixty.out, ten.out);
}

TEST(CliKoyomi, BadArgumentsExitWithStatusTwo)
{
    for (const char *args : {"koyomi 2023-02-29 12:00", "koyomi 2024-03-01 24:00",
                             "koyomi 0000-01-01 12:00", "koyomi 10000-01-01 12:00",
                             "koyomi 2024-03-01 12:00 --tz abc", "koyomi 2024-03-01 12:60",
                             "koyomi 2024-13-01 1", "koyomi 2024-03-01", "koyomi x y",
                             "koyomi 2024-03-01 12 --periods 12", "koyomi 2024-03-01 12 --kcb1 2",
                             "terms abc", "terms 2024 --tz", "nosuchcommand",
                             // signs where a plain number is wanted
                             "koyomi 2024-01-01 -0", "koyomi 2024-01-01 +5", "koyomi 2024-01-01 12:-0",
                             "koyomi 2024-01-01 12:+5", "koyomi 2024-01-01 －1", "koyomi 2024-+1-01 12",
                             "koyomi 2024-01-01 12 --tz 0x9", "koyomi 2024-01-01 12 --tz ' 9'",
                             "koyomi 2024-01-01 12 --tz 9e0", "terms -0", "terms +2024"}) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
    }
}

TEST(CliTerms, TwentyFourInstantsOfTheYear)
{
    CliRun r = cli("terms 2024");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(countLines(r.out), 24);
    EXPECT_NE(r.out.find("{\"year\":2024,\"index\":3,\"name\":\"立春\",\"time\":\"2024-02-04T17:18:"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"name\":\"冬至\",\"time\":\"2024-12-21T18:"), std::string::npos);
    EXPECT_NE(r.out.find("\"name\":\"小寒\",\"time\":\"2024-01-06T"), std::string::npos);
}
