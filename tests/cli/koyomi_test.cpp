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
    // The date and time as one word, as the program's --moment writes them.
    EXPECT_EQ(cli("koyomi 2024-03-01T12:00").out, r.out);
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
                             "koyomi 2024-01-01 12 --tz 9e0", "terms -0", "terms +2024",
                             "koyomi 2024-03-01 12 --zone Asia/Tokyo --tz 9",
                             "koyomi 2024-03-01 12 --solar-time mean", "koyomi 2024-03-01 12 --longitude 200 --solar-time mean",
                             "koyomi 2024-03-01 12 --longitude 1e2 --solar-time mean",
                             "koyomi 2024-03-01 12 --zone Nowhere/X", "koyomi 2024-03-01 12 --astronomy exact",
                             "koyomi 1799-12-31 12 --astronomy precise", "terms 2201 --astronomy precise",
                             "koyomi 2024-11-03 01:30 --zone America/Los_Angeles --fold third",
                             "koyomi 2024-03-01 12 --warn-minutes -1", "koyomi 2024-03-01 12 --warn-minutes 1441",
                             "koyomi 2024-03-01 12 --warn-minutes", "koyomi 2024-03-01 12 --other-side",
                             "koyomi 2024-03-01T12:00 13:00", "koyomi 2024-03-01T", "koyomi T12:00",
                             // shifted out of the years 1..9999
                             "koyomi 9999-12-31 23:00 --longitude 180 --solar-time mean",
                             "koyomi 0001-01-01 01:00 --zone Asia/Tokyo --json"}) {
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

TEST(CliKoyomi, CalendarOptions)
{
    // The new keys come only with the new options.
    EXPECT_EQ(cli("koyomi 2024-03-01 12:00 --json").out.find("instantUtc"), std::string::npos);
    CliRun precise = cli("koyomi 2024-03-01 12:00 --json --astronomy precise");
    ASSERT_EQ(precise.status, 0);
    for (const char *key : {"月初：2/4 17:27", "\"astronomy\":\"precise\"", "\"utcOffsetSeconds\":32400",
                            "\"instantUtc\":\"2024-03-01T03:00:00Z\"", "\"calendarMoment\":\"2024-03-01T12:00:00\""})
        EXPECT_NE(precise.out.find(key), std::string::npos) << key << "\n" << precise.out;
    CliRun summer = cli("koyomi 1988-07-01 12:00 --json --zone Asia/Shanghai");
    EXPECT_NE(summer.out.find("\"calendarMoment\":\"1988-07-01T11:00:00\""), std::string::npos) << summer.out;
    EXPECT_NE(summer.out.find("\"instantUtc\":\"1988-07-01T03:00:00Z\""), std::string::npos) << summer.out;

    // A repeated time without --fold names both instants.
    CliRun repeated = cliWithErrors("koyomi 2024-11-03 01:30 --zone America/Los_Angeles");
    EXPECT_EQ(repeated.status, 2);
    EXPECT_NE(repeated.out.find("2024-11-03T08:30:00Z"), std::string::npos) << repeated.out;
    EXPECT_NE(repeated.out.find("2024-11-03T09:30:00Z"), std::string::npos) << repeated.out;
    EXPECT_EQ(cli("koyomi 2024-11-03 01:30 --zone America/Los_Angeles --fold first").status, 0);
}

TEST(CliTerms, PreciseInstantsOnTheChosenClock)
{
    CliRun r = cli("terms 2024 --astronomy precise");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(countLines(r.out), 24);
    EXPECT_NE(r.out.find("\"name\":\"立春\",\"time\":\"2024-02-04T17:27:07\",\"utcOffsetSeconds\":32400,"
                         "\"instantUtc\":\"2024-02-04T08:27:07Z\""),
              std::string::npos)
        << r.out;
    // On Osaka's mean solar time the same instant reads 2 minutes later.
    CliRun osaka = cli("terms 2024 --astronomy precise --longitude 135.5 --solar-time mean");
    EXPECT_NE(osaka.out.find("\"time\":\"2024-02-04T17:29:07\""), std::string::npos) << osaka.out;
}

TEST(CliKoyomi, BoundariesAgreeWithTermsAndTheClock)
{
    // Only asked for: the default outputs stay as they were.
    EXPECT_EQ(cli("koyomi 2024-02-04 17:40 --json").out.find("boundaries"), std::string::npos);
    EXPECT_EQ(countLines(cli("koyomi 2024-02-04 17:40").out), 1);

    struct Row {
        const char *args;
        const char *json; // the array as printed
    };
    const Row rows[] = {
        {"koyomi 2024-02-04 17:40 --boundaries --json",
         "\"boundaries\":[{\"kind\":\"term\",\"name\":\"立春\",\"time\":\"2024-02-04T17:18:56\",\"seconds\":-1264},"
         "{\"kind\":\"term\",\"name\":\"雨水\",\"time\":\"2024-02-19T13:04:45\",\"seconds\":1279485},"
         "{\"kind\":\"hour\",\"name\":\"酉\",\"time\":\"2024-02-04T17:00:00\",\"seconds\":-2400},"
         "{\"kind\":\"hour\",\"name\":\"戌\",\"time\":\"2024-02-04T19:00:00\",\"seconds\":4800},"
         "{\"kind\":\"day\",\"name\":\"日\",\"time\":\"2024-02-04T00:00:00\",\"seconds\":-63600},"
         "{\"kind\":\"day\",\"name\":\"日\",\"time\":\"2024-02-05T00:00:00\",\"seconds\":22800}]"},
        {"koyomi 2024-02-04 17:20 --boundaries --json --astronomy precise",
         "{\"kind\":\"term\",\"name\":\"大寒\",\"time\":\"2024-01-20T"},
        {"koyomi 2024-02-04 17:20 --boundaries --json --astronomy precise",
         "{\"kind\":\"term\",\"name\":\"立春\",\"time\":\"2024-02-04T17:27:07\",\"seconds\":427}"},
    };
    for (const Row &r : rows) {
        CliRun run = cli(r.args);
        ASSERT_EQ(run.status, 0) << r.args;
        EXPECT_NE(run.out.find(r.json), std::string::npos) << r.args << "\n" << run.out;
    }
    // The term instants are those of the terms listing, on either source.
    EXPECT_NE(cli("terms 2024").out.find("\"time\":\"2024-02-19T13:04:45\""), std::string::npos);

    // Text: the near ones after the summary line; the chart counts 立春 not
    // begun at 17:00, so it is near with any reach but 0.
    struct Text {
        const char *args;
        std::vector<std::string> extra;
    };
    const Text texts[] = {
        {"koyomi 2024-02-04 17:40 --boundaries", {"境界：立春から21分  2024-02-04T17:18:56（簡略式の誤差を含む）"}},
        {"koyomi 2024-02-04 17:40 --boundaries --warn-minutes 1", {"境界：立春から21分  2024-02-04T17:18:56（簡略式の誤差を含む）"}},
        {"koyomi 2024-02-04 17:40 --boundaries --exact-minutes --warn-minutes 60",
         {"境界：立春から21分  2024-02-04T17:18:56（簡略式の誤差を含む）", "境界：酉刻入りから40分  2024-02-04T17:00:00"}},
        {"koyomi 2024-02-04 23:50 --boundaries --astronomy precise", {"境界：日替りまで10分  2024-02-05T00:00:00"}},
        {"koyomi 2024-02-04 17:40 --boundaries --warn-minutes 0", {}},
    };
    for (const Text &t : texts) {
        CliRun run = cli(t.args);
        std::string expected;
        for (const std::string &line : t.extra)
            expected += line + "\n";
        ASSERT_EQ(run.status, 0) << t.args;
        EXPECT_EQ(run.out.substr(run.out.find('\n') + 1), expected) << t.args;
    }
}

TEST(CliKoyomi, ExactMinutesCountTheTermAtTheMinute)
{
    // The short 立春 of 2024 at 17:18: 17:10 and 17:40 share a chart unless
    // minutes count.
    EXPECT_EQ(cli("koyomi 2024-02-04 17:10").out, cli("koyomi 2024-02-04 17:40").out);
    EXPECT_EQ(cli("koyomi 2024-02-04 17:10 --exact-minutes").out, cli("koyomi 2024-02-04 17:10").out);
    EXPECT_EQ(cli("koyomi 2024-02-04 17:40 --exact-minutes").out.rfind("甲辰：丙寅：戊戌：辛酉", 0), 0u);
}
