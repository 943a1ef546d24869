// velm-cli people and chart --person: for random moments and birth dates the
// bad and good palaces the command reports are those a plain reading of the
// nine-star rules gives from the chart's own JSON (its KyuSeiBan row and
// branch) and the birth moment's koyomi. The reading here works on palace
// numbers (1..9, 5 the centre) rather than the program's indexes.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

// Just enough JSON for the command's objects.
struct Json {
    enum class Type { Null, Number, Text, Array, Object } type = Type::Null;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json &operator[](const std::string &key) const
    {
        static const Json none;
        const auto it = fields.find(key);
        return it == fields.end() ? none : it->second;
    }
    int integer() const { return static_cast<int>(number); }

    static Json parse(const char *&p)
    {
        Json j;
        while (*p == ' ')
            ++p;
        if (*p == '{' || *p == '[') {
            const bool object = *p++ == '{';
            j.type = object ? Type::Object : Type::Array;
            while (*p && *p != '}' && *p != ']') {
                if (object) {
                    std::string key = parse(p).text;
                    ++p; // ':'
                    j.fields[key] = parse(p);
                } else {
                    j.items.push_back(parse(p));
                }
                if (*p == ',')
                    ++p;
            }
            ++p;
        } else if (*p == '"') {
            j.type = Type::Text;
            for (++p; *p && *p != '"'; ++p)
                j.text += *p == '\\' ? *++p : *p;
            ++p;
        } else if (std::string(p, 4) == "null" || std::string(p, 4) == "true") {
            p += 4;
        } else if (std::string(p, 5) == "false") {
            p += 5;
        } else {
            j.type = Type::Number;
            char *end = nullptr;
            j.number = std::strtod(p, &end);
            p = end;
        }
        return j;
    }
    static Json parse(const std::string &line)
    {
        const char *p = line.c_str();
        return parse(p);
    }
};

struct DataFolder {
    fs::path dir = fs::temp_directory_path() / ("velm-people-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    DataFolder()
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const char *name : {"SuuFile.Dat", "Senji.Dat", "Senji.Idx", "SetuFile.Dat"})
            fs::copy_file(fs::path(VELM_DATA_DIR) / name, dir / name);
    }
    ~DataFolder() { fs::remove_all(dir); }
    std::string arg() const { return " --data " + dir.string(); }
};

// Palace number (1..9) of a palace index (0 the centre).
int number(int index)
{
    return (index + 5) % 9 == 0 ? 9 : (index + 5) % 9;
}

// 一白 水, 二黒 土, 三碧 木, 四緑 木, 五黄 土, 六白 金, 七赤 金, 八白 土, 九紫 火 (star numbers 1..9).
const std::string Elements = "水土木木土金金土火";

std::string element(int star)
{
    return Elements.substr(static_cast<std::size_t>(star - 1) * 3, 3);
}

bool kin(int star, int honmeiStar)
{
    const std::string cycle = "水木火土金水";
    const std::string a = element(star);
    const std::string b = element(honmeiStar);
    return a == b || cycle.find(a + b) != std::string::npos || cycle.find(b + a) != std::string::npos;
}

struct Expected {
    std::map<int, std::set<std::string>> bad; // palace index -> reasons
    std::set<int> good;
};

Expected readRules(const Json &chart, int honmei)
{
    const Json &stars = chart["Ban"]["KyuSeiBan"];
    const int kind = chart["kind"].integer();
    const int branch = chart["BanShi"].items[static_cast<std::size_t>(kind)].integer();
    std::map<int, int> starAt;  // palace number -> star number
    std::map<int, int> palaceOf; // star number -> palace number
    std::map<int, int> indexOf; // palace number -> index
    for (int i = 0; i < 9; ++i) {
        const int star = stars.items[static_cast<std::size_t>(i)].integer() + 1;
        starAt[number(i)] = star;
        palaceOf[star] = number(i);
        indexOf[number(i)] = i;
    }
    Expected e;
    const auto mark = [&](int palaceNumber, const std::string &why) { e.bad[indexOf[palaceNumber]].insert(why); };
    if (palaceOf[5] != 5) {
        mark(palaceOf[5], "五黄殺");
        mark(10 - palaceOf[5], "暗剣殺");
    }
    if (palaceOf[honmei + 1] != 5) {
        mark(palaceOf[honmei + 1], "本命殺");
        mark(10 - palaceOf[honmei + 1], "本命的殺");
    }
    // 子 1, 丑 寅 8, 卯 3, 辰 巳 4, 午 9, 未 申 2, 酉 7, 戌 亥 6.
    const int branchPalace[12] = {1, 8, 8, 3, 4, 4, 9, 2, 2, 7, 6, 6};
    const char *ha[4] = {"歳破", "月破", "日破", "時破"};
    mark(branchPalace[(branch + 6) % 12], ha[kind]);
    for (int n = 1; n <= 9; ++n) {
        const int star = starAt[n];
        if (n != 5 && star != honmei + 1 && star != 5 && kin(star, honmei + 1) && !e.bad.count(indexOf[n]))
            e.good.insert(indexOf[n]);
    }
    return e;
}

TEST(CliPeople, BadAndGoodPalacesFollowTheRulesFromTheChartsOwnLayout)
{
    DataFolder data;
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> birthYear(1925, 2024), year(1950, 2090), month(1, 12), day(1, 28), hour(0, 23);
    const char *names[3] = {"甲", "乙", "丙"};
    std::vector<int> honmei, getsumei;
    for (const char *name : names) {
        char birth[32];
        std::snprintf(birth, sizeof birth, "%04d-%02d-%02d %02d:%02d", birthYear(random), month(random), day(random),
                      hour(random), 30);
        ASSERT_EQ(cli(std::string("people add ") + name + " " + birth + data.arg()).status, 0) << birth;
        // The stars are the centre nine-stars of the birth moment's year and month.
        const Json k = Json::parse(cli(std::string("koyomi ") + birth + " --json" + data.arg()).out);
        honmei.push_back(k["BanKyuSei"].items[0].integer());
        getsumei.push_back(k["BanKyuSei"].items[1].integer());
    }
    for (int trial = 0; trial < 12; ++trial) {
        char moment[32];
        std::snprintf(moment, sizeof moment, "%04d-%02d-%02d %02d:00", year(random), month(random), day(random),
                      hour(random));
        const CliRun run = cli(std::string("chart ") + moment + " --json --person 甲 --person 乙 --person 丙" +
                               (trial % 2 ? " --method flying" : "") + data.arg());
        ASSERT_EQ(run.status, 0) << moment;
        std::istringstream lines(run.out);
        std::string line;
        int charts = 0;
        while (std::getline(lines, line)) {
            const Json chart = Json::parse(line);
            const Json &people = chart["people"];
            ASSERT_EQ(people.items.size(), 3u) << moment;
            for (std::size_t n = 0; n < 3; ++n) {
                const Json &p = people.items[n];
                EXPECT_EQ(p["name"].text, names[n]);
                EXPECT_EQ(p["honmei"].integer(), honmei[n]);
                EXPECT_EQ(p["getsumei"].integer(), getsumei[n]);
                const Expected e = readRules(chart, honmei[n]);
                std::map<int, std::set<std::string>> bad;
                for (const Json &b : p["bad"].items) {
                    for (const Json &r : b["reasons"].items)
                        bad[b["palace"].integer()].insert(r.text);
                    EXPECT_FALSE(b["direction"].text.empty());
                }
                std::set<int> good;
                for (const Json &g : p["good"].items)
                    good.insert(g["palace"].integer());
                EXPECT_EQ(bad, e.bad) << moment << " kind " << chart["kind"].integer() << " " << names[n];
                EXPECT_EQ(good, e.good) << moment << " kind " << chart["kind"].integer() << " " << names[n];
            }
            ++charts;
        }
        EXPECT_EQ(charts, 4) << moment;
    }
}

TEST(CliPeople, ListsAddsRemovesAndRefusesWithAMessage)
{
    DataFolder data;
    // Asking for a person never makes the book.
    EXPECT_EQ(cli("chart 2026-12-09 10 --person 花子" + data.arg()).status, 2);
    EXPECT_FALSE(fs::exists(data.dir / "VELM.db"));
    EXPECT_EQ(cli("people add 花子 1985-03-10T08:30 --note 母" + data.arg()).out, "花子\t本命星 六白  月命星 四緑\n");
    EXPECT_EQ(cli("people list" + data.arg()).out, "花子\t1985-03-10T08:30\t本命星 六白  月命星 四緑\t－\t母\n");
    EXPECT_NE(cliWithErrors("people add 花子 1990-01-01 00" + data.arg()).out.find("もう登録"), std::string::npos);
    EXPECT_EQ(cli("people add 太郎 1990-02-30 00" + data.arg()).status, 2);
    EXPECT_EQ(cli("people add 太郎 1990-01-01 00 --home どこか" + data.arg()).status, 2);
    const CliRun unknown = cliWithErrors("chart 2026-12-09 10 --person 次郎" + data.arg());
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.out.find("人物「次郎」は登録されていません"), std::string::npos);
    // Text lines after each chart's totals.
    const std::string text = cli("chart 2026-12-09 10 --kind year --person 花子" + data.arg()).out;
    EXPECT_NE(text.find("花子  本命星 六白  月命星 四緑\n  凶方位 北:暗剣殺・本命殺・歳破 南:五黄殺・本命的殺\n"
                        "  吉方位 東 南西 北西\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(cli("people remove 花子" + data.arg()).status, 0);
    EXPECT_EQ(cli("people remove 花子" + data.arg()).status, 1);
    EXPECT_EQ(cli("people list" + data.arg()).out, "");
}

} // namespace
