// The journal: entries kept whole with their options and charts, found by
// two- and three-character words and filters, exported and imported without
// overwriting, and look-back dates.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sqlite3.h>
#include <unistd.h>

#include "evaluation/numbers.h"
#include "output/journal.h"
#include "output/placebook.h"

namespace fs = std::filesystem;
using namespace velm;

namespace {

struct Folder {
    fs::path dir = fs::temp_directory_path() / ("velm-journal-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Folder()
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Folder() { fs::remove_all(dir); }
    std::string file(const std::string &name) const { return (dir / name).string(); }
};

std::unique_ptr<Journal> openJournal(const std::string &path)
{
    std::string error;
    std::unique_ptr<Journal> j = Journal::open(path, error);
    EXPECT_TRUE(j) << error;
    return j;
}

JournalEntry entry(const char *moment, const std::string &question, const std::string &note = {})
{
    JournalEntry e;
    std::sscanf(moment, "%d-%d-%dT%d:%d", &e.moment.year, &e.moment.month, &e.moment.day, &e.moment.hour,
                &e.moment.minute);
    e.question = question;
    e.note = note;
    return e;
}

std::vector<std::string> ids(const std::vector<JournalSummary> &rows)
{
    std::vector<std::string> out;
    for (const JournalSummary &r : rows)
        out.push_back(r.question);
    return out;
}

} // namespace

TEST(Journal, KeepsAnEntryWithEveryOptionAndItsChartsAsRecorded)
{
    Folder f;
    const std::string numbers = std::string(VELM_DATA_DIR) + "/SuuFile.Dat";
    const NumbersFile tables = readNumbersFile(numbers);
    ASSERT_TRUE(tables.ok());
    JournalEntry e = entry("2024-03-10T02:30", "転居の時期", "北東へ");
    e.kinds = {3, 0, 3};
    e.method = LayingMethod::Flying;
    e.options.astronomy = Astronomy::Precise;
    e.options.clock.zone = "America/New_York";
    e.options.clock.fold = Fold::Second; // 02:30 on that day was skipped
    e.options.periods = {0, 1, 0, 1};
    e.options.exactMinutes = true;
    e.people = {"母", "母", "兄"};
    e.tags = {"転居"};
    e.reminders = {{monthsAfter(e.moment, 4), false}};
    ASSERT_EQ(recordJournalCharts(e, tables.tables, numbers, f.file("missing.Dat"), "9.9"), "");
    EXPECT_EQ(e.kinds, (std::vector<int>{0, 3}));
    ASSERT_EQ(e.charts.size(), 2u);
    EXPECT_EQ(e.numbersHash, fileSha256(numbers));
    EXPECT_EQ(e.numbersHash.size(), 64u);
    EXPECT_EQ(e.mattersHash, ""); // no such file
    EXPECT_FALSE(e.tzdata.empty());

    auto j = openJournal(f.file(PlaceBookFile));
    ASSERT_EQ(j->add(e), "");
    EXPECT_EQ(e.id.size(), 22u) << e.id;
    std::string error;
    const std::optional<JournalEntry> back = j->find(e.id, error);
    ASSERT_TRUE(back) << error;
    e.people = {"母", "兄"}; // a name given twice is kept once
    EXPECT_EQ(journalEntryJson(*back), journalEntryJson(e));
    EXPECT_EQ(back->options.clock.zone, "America/New_York");
    EXPECT_EQ(back->options.clock.fold, Fold::Second);
    EXPECT_EQ(back->method, LayingMethod::Flying);
    EXPECT_EQ(back->charts[1].BanSuu, e.charts[1].BanSuu);
    EXPECT_EQ(back->reminders[0].date, "2024-07-10");

    // Written later: outcomes and a changed note; the moment and charts stay.
    ASSERT_EQ(j->addOutcome(e.id, {"2024-07-12", "無事に移った"}), "");
    JournalEntry edited = *j->find(e.id, error);
    edited.note = "北東へ、早めに";
    edited.moment.year = 1999;
    ASSERT_EQ(j->update(edited), "");
    const JournalEntry after = *j->find(e.id, error);
    EXPECT_EQ(after.note, "北東へ、早めに");
    EXPECT_EQ(after.moment.year, 2024);
    ASSERT_EQ(after.outcomes.size(), 1u);
    EXPECT_EQ(after.outcomes[0].text, "無事に移った");
    EXPECT_NE(j->addOutcome(e.id, {"2024-13-01", "x"}), "");
    EXPECT_NE(j->addOutcome("no-such", {"2024-07-01", "x"}), "");

    ASSERT_EQ(j->remove(e.id), "");
    EXPECT_FALSE(j->find(e.id, error));
    EXPECT_EQ(j->count(error), 0);
    EXPECT_NE(j->remove(e.id), "");
}

TEST(Journal, SearchFindsShortWordsAndAppliesEveryFilter)
{
    Folder folder;
    auto j = openJournal(folder.file(PlaceBookFile));
    const struct {
        const char *moment, *question, *note, *tag, *person, *matter;
    } rows[] = {
        {"2024-01-05T10:00", "転居の時期", "新しい家へ転居", "転居", "母", "移転"},
        {"2024-02-05T10:00", "仕事の相談", "転職を考える", "仕事", "兄", ""},
        {"2024-03-05T10:00", "旅行", "北海道へ旅行する", "", "母", ""},
        {"2023-12-05T10:00", "Hello world", "naïve café", "", "", ""},
    };
    for (const auto &r : rows) {
        JournalEntry e = entry(r.moment, r.question, r.note);
        if (*r.tag)
            e.tags = {r.tag};
        if (*r.person)
            e.people = {r.person};
        e.matter = r.matter;
        ASSERT_EQ(j->add(e), "");
    }
    const auto search = [&](JournalFilter filter) {
        std::string error;
        auto out = ids(j->list(filter, error));
        EXPECT_EQ(error, "");
        return out;
    };
    using V = std::vector<std::string>;
    const auto text = [](const char *t) {
        JournalFilter f;
        f.text = t;
        return f;
    };
    EXPECT_EQ(search(text("転居")), (V{"転居の時期"}));       // two characters, at the end of a note too
    EXPECT_EQ(search(text("転")), (V{"仕事の相談", "転居の時期"})); // one
    EXPECT_EQ(search(text("北海道")), (V{"旅行"}));
    EXPECT_EQ(search(text("新しい家")), (V{"転居の時期"}));
    EXPECT_EQ(search(text("の 時期")), (V{"転居の時期"}));     // every word
    EXPECT_EQ(search(text("HELLO")), (V{"Hello world"}));
    EXPECT_EQ(search(text("居転")), V{});
    EXPECT_EQ(search(text("\"%_")), V{});                     // quotes and wildcards are plain characters
    JournalFilter f = text("");
    f.person = "母";
    EXPECT_EQ(search(f), (V{"旅行", "転居の時期"}));
    f.from = "2024-02-01";
    EXPECT_EQ(search(f), (V{"旅行"}));
    f = {};
    f.to = "2024-01-05";
    EXPECT_EQ(search(f), (V{"転居の時期", "Hello world"}));
    f = {};
    f.tag = "仕事";
    EXPECT_EQ(search(f), (V{"仕事の相談"}));
    f = {};
    f.matter = "移転";
    EXPECT_EQ(search(f), (V{"転居の時期"}));
    f = {};
    f.limit = 1;
    EXPECT_EQ(search(f), (V{"旅行"}));

    // An outcome written later is searched too.
    std::string error;
    const std::string id = j->list(text("旅行"), error).at(0).id;
    ASSERT_EQ(j->addOutcome(id, {"2024-04-01", "雪で遅れた"}), "");
    EXPECT_EQ(search(text("雪で")), (V{"旅行"}));
}

TEST(Journal, ExportImportsIntoAnEmptyFolderAndNeverOverwrites)
{
    Folder f;
    auto from = openJournal(f.file("a.db"));
    JournalEntry e = entry("2024-05-01T09:00", "引っ越し \"先\"", "改行\nと\tタブ");
    e.options.clock.solarTime = SolarTime::True;
    e.options.clock.longitude = 139.7671;
    e.options.clock.fixedTz = 5.5;
    e.kinds = {3};
    e.charts.resize(1);
    e.charts[0].BanSuu[8][3] = 12.25;
    e.charts[0].Kaku[0][3] = 7;
    e.outcomes = {{"2024-06-01", "よかった"}};
    e.reminders = {{"2024-09-01", true}, {"2025-03-01", false}};
    e.tags = {"a", "b"};
    ASSERT_EQ(from->add(e), "");
    JournalEntry second = entry("2024-05-02T09:00", "二つ目");
    ASSERT_EQ(from->add(second), "");
    std::string json;
    ASSERT_EQ(from->exportJson({}, json), "");
    EXPECT_EQ(json.rfind("{\"format\":\"velm-journal\",\"version\":1,\"entries\":[", 0), 0u);

    auto to = openJournal(f.file("b.db"));
    JournalImport result = to->importJson(json);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.added, 2);
    std::string again;
    ASSERT_EQ(to->exportJson({}, again), "");
    EXPECT_EQ(again, json);
    result = to->importJson(json);
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(result.skipped, 2);

    // A selection; then files that are not exports change nothing.
    JournalFilter one;
    one.ids = {e.id};
    ASSERT_EQ(from->exportJson(one, json), "");
    EXPECT_EQ(json.find("二つ目"), std::string::npos);
    auto empty = openJournal(f.file("c.db"));
    for (const char *bad :
         {"", "not json", "[]", "{\"format\":\"other\",\"version\":1,\"entries\":[]}",
          "{\"format\":\"velm-journal\",\"version\":2,\"entries\":[]}",
          "{\"format\":\"velm-journal\",\"version\":1,\"entries\":[{\"id\":\"x\",\"moment\":\"2024-01-01T00:00\","
          "\"kind\":[3],\"options\":{}}, {\"id\":\"y\",\"moment\":\"2024-02-30T00:00\",\"options\":{}}]}",
          "{\"format\":\"velm-journal\",\"version\":1,\"entries\":[{\"id\":\"x\",\"moment\":\"2024-01-01T00:00\","
          "\"options\":{\"astronomy\":\"exact\"}}]}",
          "{\"format\":\"velm-journal\",\"version\":1,\"entries\":[{\"id\":\"x\",\"moment\":\"2024-01-01T00:00\","
          "\"options\":{},\"charts\":[{\"kind\":3,\"BanSuu\":[[1]],\"Kaku\":[]}]}]}"}) {
        result = empty->importJson(bad);
        EXPECT_NE(result.error, "") << bad;
        std::string error;
        EXPECT_EQ(empty->count(error), 0) << bad;
    }
    // The least an entry needs.
    result = empty->importJson("{\"format\":\"velm-journal\",\"version\":1,\"entries\":[{\"id\":\"x\","
                               "\"moment\":\"2024-01-01T00:00\",\"options\":{}}]}");
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.added, 1);
}

TEST(Journal, RemindersFallDueByDateUntilDone)
{
    EXPECT_EQ(monthsAfter({2024, 1, 31, 0, 0, 0}, 1), "2024-02-29");
    EXPECT_EQ(monthsAfter({2023, 10, 31, 0, 0, 0}, 4), "2024-02-29");
    EXPECT_EQ(monthsAfter({2024, 5, 15, 0, 0, 0}, 10), "2025-03-15");
    Folder f;
    auto j = openJournal(f.file(PlaceBookFile));
    JournalEntry a = entry("2024-01-10T10:00", "A");
    a.reminders = {{"2024-05-10", false}, {"2024-08-10", false}};
    JournalEntry b = entry("2024-02-10T10:00", "B");
    b.reminders = {{"2024-04-01", false}};
    ASSERT_EQ(j->add(a), "");
    ASSERT_EQ(j->add(b), "");
    std::string error;
    const auto due = [&](const char *today) {
        std::vector<std::string> out;
        for (const DueReminder &d : j->due(today, error))
            out.push_back(d.entry.question + d.date);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(due("2024-03-31"), V{});
    EXPECT_EQ(due("2024-05-10"), (V{"B2024-04-01", "A2024-05-10"}));
    ASSERT_EQ(j->setReminderDone(b.id, "2024-04-01", true), "");
    EXPECT_NE(j->setReminderDone(b.id, "2024-04-02", true), "");
    EXPECT_EQ(due("2024-12-31"), (V{"A2024-05-10", "A2024-08-10"}));
    ASSERT_EQ(j->addReminder(b.id, "2024-06-01"), "");
    EXPECT_EQ(due("2024-06-01"), (V{"A2024-05-10", "B2024-06-01"}));
}

TEST(Journal, ABookOfTheFirstFormIsBroughtForwardWithItsPlaces)
{
    Folder f;
    const std::string path = f.file(PlaceBookFile);
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE places(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, lat REAL NOT NULL,"
                               " lon REAL NOT NULL, note TEXT NOT NULL DEFAULT '', home INTEGER NOT NULL DEFAULT 0);"
                               "INSERT INTO places(name, lat, lon) VALUES('東京', 35.68, 139.77);"
                               "PRAGMA user_version = 1;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    auto j = openJournal(path);
    JournalEntry e = entry("2024-01-10T10:00", "A");
    ASSERT_EQ(j->add(e), "");
    std::string error;
    auto book = PlaceBook::open(path, error);
    ASSERT_TRUE(book) << error;
    EXPECT_TRUE(book->find("東京", error));
    EXPECT_EQ(book->version(), PlaceBook::currentVersion());
}
