// velm-cli journal: an entry reopens with its own options after every
// setting went back, records print as JSON, bad words are refused, and a
// writer killed mid-write leaves a database that opens with every entry it
// reported.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

struct DataFolder {
    fs::path dir = fs::temp_directory_path() / ("velm-journal-cli-" + std::to_string(::getpid()) + "-" +
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

std::string firstLine(const std::string &s)
{
    return s.substr(0, s.find('\n'));
}

} // namespace

TEST(JournalCli, AnEntryReopensWithItsOwnOptionsAndItsScoresAsRecorded)
{
    DataFolder d;
    const std::string options = " --kind hour --kind year --method flying --astronomy precise --zone Europe/Berlin"
                                " --fold first --periods 1101 --exact-minutes";
    const CliRun added = cli("journal add 2024-03-31 02:30" + options + " --question '転居の時期' --note '北東へ'"
                             " --tag 転居 --person 母 --remind 4 --remind 2024-12-01" + d.arg());
    ASSERT_EQ(added.status, 0) << added.out;
    const std::string id = firstLine(added.out);
    ASSERT_EQ(id.size(), 22u) << added.out;

    // Laid again with the stored options, the charts are those the same
    // options give from the chart command, though nothing names them now.
    const CliRun again = cli("journal chart " + id + " --json" + d.arg());
    const CliRun direct = cli("chart 2024-03-31 02:30 --kind year --method flying --astronomy precise"
                              " --zone Europe/Berlin --fold first --periods 1101 --exact-minutes --json" + d.arg());
    const CliRun directHour = cli("chart 2024-03-31 02:30 --kind hour --method flying --astronomy precise"
                                  " --zone Europe/Berlin --fold first --periods 1101 --exact-minutes --json" + d.arg());
    ASSERT_EQ(again.status, 0);
    EXPECT_EQ(again.out, direct.out + directHour.out);

    const CliRun shown = cli("journal show " + id + " --json" + d.arg());
    ASSERT_EQ(shown.status, 0);
    for (const char *key : {"\"moment\":\"2024-03-31T02:30\"", "\"kind\":[0,3]", "\"method\":\"flying\"",
                            "\"zone\":\"Europe/Berlin\"", "\"fold\":\"first\"", "\"astronomy\":\"precise\"",
                            "\"periods\":\"1101\"", "\"exactMinutes\":true", "\"question\":\"転居の時期\"",
                            "\"people\":[\"母\"]", "\"tags\":[\"転居\"]", "\"date\":\"2024-07-31\"",
                            "\"date\":\"2024-12-01\"", "\"tzdata\":\"20", "\"numbersSha256\":\"", "\"BanSuu\":[["})
        EXPECT_NE(shown.out.find(key), std::string::npos) << key << "\n" << shown.out;
    // The recorded total scores of the hour chart are those chart --json gives.
    const std::size_t hour = shown.out.find("{\"kind\":3,\"BanSuu\":");
    ASSERT_NE(hour, std::string::npos);
    const std::string recorded = shown.out.substr(hour + 19, shown.out.find("]]", hour) + 2 - hour - 19);
    EXPECT_NE(directHour.out.find("\"BanSuu\":" + recorded), std::string::npos) << recorded;

    // Today's numbers differ: the charts are laid with them, and it is said.
    std::ofstream(d.dir / "SuuFile.Dat", std::ios::app) << "\r\n";
    const CliRun changed = cliWithErrors("journal chart " + id + d.arg());
    EXPECT_NE(changed.out.find("数値ファイルが変わっています"), std::string::npos);
    EXPECT_NE(changed.out.find("記録 " + id + " の設定"), std::string::npos);

    ASSERT_EQ(cli("journal note " + id + " '無事に移った' --date 2024-08-01" + d.arg()).status, 0);
    EXPECT_NE(cli("journal search 移っ" + d.arg()).out.find(id), std::string::npos);
    EXPECT_NE(cli("journal list --tag 転居 --json" + d.arg()).out.find("無事に移った"), std::string::npos);
    EXPECT_EQ(cli("journal list --person 父" + d.arg()).out, "");
    EXPECT_NE(cli("journal due --date 2024-08-01" + d.arg()).out.find("2024-07-31\t" + id), std::string::npos);
    ASSERT_EQ(cli("journal due --date 2024-08-01 --ics " + (d.dir / "due.ics").string() + d.arg()).status, 0);
    std::stringstream ics;
    ics << std::ifstream(d.dir / "due.ics").rdbuf();
    EXPECT_NE(ics.str().find("UID:" + id + "-2024-07-31-journal@velm"), std::string::npos) << ics.str();

    // Export, then import into an empty folder: the same entry; again: skipped.
    const std::string file = (d.dir / "journal.json").string();
    ASSERT_EQ(cli("journal export " + file + d.arg()).status, 0);
    const fs::path other = d.dir / "other";
    fs::create_directories(other);
    EXPECT_EQ(cli("journal import " + file + " --data " + other.string()).out,
              "取り込んだ記録 1 件、同じ id があって飛ばした記録 0 件\n");
    EXPECT_EQ(cli("journal show " + id + " --json --data " + other.string()).out,
              cli("journal show " + id + " --json" + d.arg()).out);
    EXPECT_EQ(cli("journal import " + file + " --data " + other.string()).out,
              "取り込んだ記録 0 件、同じ id があって飛ばした記録 1 件\n");
}

TEST(JournalCli, RefusesBadWordsWithAMessage)
{
    DataFolder d;
    const struct {
        const char *args;
        int status;
        const char *message;
    } cases[] = {
        {"journal", 2, "使い方"},
        {"journal fly", 2, "使い方"},
        {"journal add 2024-02-30 10:00", 2, "存在しない日付"},
        {"journal add 2024-03-10 02:30 --zone America/New_York", 2, "--fold"},
        {"journal add 2024-03-10 10:00 --remind 5", 2, "振り返り"},
        {"journal list --question x", 2, "journal list では --question は使えません"},
        {"journal show 123", 1, "記録 123 はありません"},
        {"journal note 123 ' '", 2, "結果の記録が空です"},
        {"journal search ' '", 2, "探す言葉がありません"},
        {"journal import /no/such/file", 1, "開けません"},
    };
    for (const auto &c : cases) {
        const CliRun run = cliWithErrors(std::string(c.args) + d.arg());
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << c.args << "\n" << run.out;
    }
    std::ofstream(d.dir / "bad.json") << "{\"format\":\"velm-journal\",\"version\":7,\"entries\":[]}";
    EXPECT_NE(cliWithErrors("journal import " + (d.dir / "bad.json").string() + d.arg()).out.find("version 7"),
              std::string::npos);
}

TEST(JournalCli, AWriterKilledMidWriteLeavesEveryCommittedEntry)
{
    DataFolder d;
    const std::string ids = (d.dir / "ids").string();
    // Adds entries one after another, each id written once its add has ended.
    const std::string loop = "for i in $(seq 1 400); do " + std::string(VELM_BIN_DIR) +
                             "/velm-cli journal add 2024-01-01 10:00 --note \"記録 $i\"" + d.arg() +
                             " >> " + ids + " || exit 1; done";
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        ::setpgid(0, 0);
        ::execl("/bin/sh", "sh", "-c", loop.c_str(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    // Stops the loop and the add it is in by a kill, as a power cut would.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ::kill(-writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);

    std::stringstream written;
    written << std::ifstream(ids).rdbuf();
    const int reported = countLines(written.str());
    EXPECT_GT(reported, 0);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open((d.dir / "VELM.db").string().c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 10000); // the killed add may take a moment to be gone
    sqlite3_stmt *check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
    // Every reported id is there; at most the add that was cut is one more.
    const CliRun list = cli("journal list" + d.arg());
    ASSERT_EQ(list.status, 0);
    const int kept = countLines(list.out);
    EXPECT_GE(kept, reported);
    EXPECT_LE(kept, reported + 1);
    std::string id;
    while (std::getline(written, id))
        EXPECT_NE(list.out.find(id + "\t"), std::string::npos) << id;
}
