// The place book: changes kept, damaged, foreign, newer or locked files
// refused without a byte changed, and a consistent copy of a live book.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <sqlite3.h>
#include <unistd.h>

#include "output/people.h"
#include "output/placebook.h"

namespace fs = std::filesystem;
using namespace velm;

namespace {

struct Folder {
    fs::path dir = fs::temp_directory_path() / ("velm-placebook-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Folder()
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Folder() { fs::remove_all(dir); }
    std::string file(const std::string &name) const { return (dir / name).string(); }
};

std::string bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void sql(const std::string &path, const char *statements)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, statements, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

Place place(const char *name, double lat, double lon, bool home = false)
{
    Place p;
    p.name = name;
    p.lat = lat;
    p.lon = lon;
    p.home = home;
    return p;
}

} // namespace

TEST(PlaceBook, KeepsPlacesAndOneHomeAcrossOpenings)
{
    Folder f;
    const std::string path = f.file(PlaceBookFile);
    std::string error;
    {
        auto book = PlaceBook::open(path, error);
        ASSERT_TRUE(book) << error;
        EXPECT_EQ(book->version(), PlaceBook::currentVersion());
        EXPECT_EQ(book->add(place("自宅", 35.6895, 139.6917, true)), "");
        EXPECT_EQ(book->add(place("大阪", 34.6937, 135.5023)), "");
        EXPECT_NE(book->add(place(" 大阪 ", 0, 0)).find("もう登録"), std::string::npos);
        EXPECT_NE(book->add(place("北極の先", 90.5, 0)), "");
        EXPECT_NE(book->add(place("  ", 0, 0)), "");
        EXPECT_NE(book->remove("名古屋").find("登録されていません"), std::string::npos);
        EXPECT_EQ(book->setHome("大阪"), "");
        EXPECT_EQ(book->add(place("札幌", 43.0618, 141.3545)), "");
        EXPECT_EQ(book->remove("札幌"), "");
        // Renaming keeps the coordinates and the home mark; a taken name is refused.
        EXPECT_EQ(book->edit("大阪", "大阪市", "実家"), "");
        EXPECT_NE(book->edit("自宅", "大阪市", "").find("もう登録"), std::string::npos);
        EXPECT_NE(book->edit("名古屋", "名古屋市", "").find("登録されていません"), std::string::npos);
        EXPECT_NE(book->edit("自宅", " ", ""), "");
        EXPECT_EQ(book->edit("大阪市", "大阪", "実家"), "");
    }
    auto book = PlaceBook::open(path, error);
    ASSERT_TRUE(book) << error;
    const std::vector<Place> all = book->places(error);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(book->home(error)->name, "大阪");
    EXPECT_EQ(book->home(error)->note, "実家");
    EXPECT_DOUBLE_EQ(book->home(error)->lat, 34.6937);
    EXPECT_FALSE(book->find("自宅", error)->home);
    EXPECT_DOUBLE_EQ(book->find("自宅", error)->lon, 139.6917);
    EXPECT_EQ(error, "");
}

TEST(PlaceBook, RefusesWhatItCannotTrustAndLeavesItAsItWas)
{
    Folder f;
    std::string error;
    // Not a database at all.
    const std::string text = f.file("text.db");
    std::ofstream(text) << "住所録\n";
    EXPECT_FALSE(PlaceBook::open(text, error));
    EXPECT_NE(error.find("データベースとして読めません"), std::string::npos) << error;
    EXPECT_EQ(bytes(text), "住所録\n");

    // A damaged book: its second page overwritten.
    const std::string damaged = f.file("damaged.db");
    {
        auto book = PlaceBook::open(damaged, error);
        ASSERT_TRUE(book);
        for (int i = 0; i < 50; ++i)
            book->add(place(("地点" + std::to_string(i)).c_str(), i, i));
    }
    {
        std::fstream io(damaged, std::ios::in | std::ios::out | std::ios::binary);
        io.seekp(4096 + 10);
        io << std::string(3000, '\x5a');
    }
    const std::string damagedBytes = bytes(damaged);
    error.clear();
    EXPECT_FALSE(PlaceBook::open(damaged, error));
    EXPECT_NE(error.find("読めません"), std::string::npos) << error;
    EXPECT_EQ(bytes(damaged), damagedBytes);

    // Written by a newer program.
    const std::string newer = f.file("newer.db");
    sql(newer, "CREATE TABLE t(x); PRAGMA user_version = 99;");
    const std::string newerBytes = bytes(newer);
    EXPECT_FALSE(PlaceBook::open(newer, error));
    EXPECT_NE(error.find("新しい版"), std::string::npos) << error;
    EXPECT_EQ(bytes(newer), newerBytes);

    // A migration that fails half way (a table of that name already there).
    const std::string clash = f.file("clash.db");
    sql(clash, "CREATE TABLE other(x); CREATE TABLE places(x); INSERT INTO places VALUES(1);");
    const std::string clashBytes = bytes(clash);
    EXPECT_FALSE(PlaceBook::open(clash, error));
    EXPECT_NE(error.find("元のまま"), std::string::npos) << error;
    EXPECT_EQ(bytes(clash), clashBytes);
    EXPECT_FALSE(fs::exists(clash + "-wal"));
}

TEST(PlaceBook, ALockedBookSaysSoAndKeepsTheOtherWrite)
{
    Folder f;
    const std::string path = f.file(PlaceBookFile);
    std::string error;
    auto book = PlaceBook::open(path, error);
    ASSERT_TRUE(book) << error;
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO places(name, lat, lon) VALUES('他', 1, 2);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_NE(book->add(place("自宅", 35, 139)).find("使用中"), std::string::npos);
    ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    EXPECT_EQ(book->places(error).size(), 1u);
    EXPECT_EQ(book->add(place("自宅", 35, 139)), "");
}

TEST(PlaceBook, CopiesALiveBookWithItsLatestChanges)
{
    Folder f;
    const std::string path = f.file(PlaceBookFile);
    std::string error;
    auto book = PlaceBook::open(path, error);
    ASSERT_TRUE(book) << error;
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(book->add(place(("地点" + std::to_string(i)).c_str(), i % 90, i % 180)), "");
    // The changes sit in the write-ahead log: a plain copy of the file would miss them.
    ASSERT_TRUE(fs::exists(path + "-wal"));
    const std::string copy = f.file("copy.db");
    EXPECT_EQ(copyDatabase(path, copy), "");
    EXPECT_EQ(book->add(place("後から", 1, 1)), ""); // the original is still in use
    auto copied = PlaceBook::open(copy, error);
    ASSERT_TRUE(copied) << error;
    EXPECT_EQ(copied->places(error).size(), 200u);

    std::ofstream(f.file("text.db")) << "x";
    EXPECT_NE(copyDatabase(f.file("text.db"), f.file("copy2.db")), "");
    EXPECT_FALSE(fs::exists(f.file("copy2.db")));
}

// The people share the book: a book of the first version gains them when
// opened, and a removed place leaves its people without a home.
TEST(PlaceBook, KeepsPeopleWithTheirHomesAndWhoIsGoing)
{
    Folder f;
    const std::string path = f.file(PlaceBookFile);
    sql(path, "CREATE TABLE places(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, lat REAL NOT NULL,"
              " lon REAL NOT NULL, note TEXT NOT NULL DEFAULT '', home INTEGER NOT NULL DEFAULT 0);"
              "INSERT INTO places(name, lat, lon) VALUES('実家', 34.69, 135.50);"
              "PRAGMA user_version = 1;");
    std::string error;
    auto book = PlaceBook::open(path, error);
    ASSERT_TRUE(book) << error;
    EXPECT_EQ(book->version(), PlaceBook::currentVersion());
    People people(*book);
    Person hanako;
    hanako.name = "花子";
    hanako.birth = *parseBirthText("1985-03-10T08:30");
    hanako.homePlace = book->find("実家", error)->id;
    hanako.note = "母";
    EXPECT_EQ(people.add(hanako), "");
    Person taro = hanako;
    taro.name = " 太郎 ";
    taro.homePlace.reset();
    EXPECT_EQ(people.add(taro), "");
    EXPECT_NE(people.add(taro).find("もう登録"), std::string::npos);
    taro.birth.month = 2;
    taro.birth.day = 30;
    EXPECT_NE(people.add(taro).find("生年月日時"), std::string::npos);
    Person nowhere = hanako;
    nowhere.name = "次郎";
    nowhere.homePlace = 999;
    EXPECT_NE(people.add(nowhere).find("自宅"), std::string::npos);

    EXPECT_EQ(people.setGoing({"花子", "太郎"}), "");
    EXPECT_NE(people.setGoing({"花子", "三郎"}).find("三郎"), std::string::npos); // rolled back whole
    std::vector<Person> list = people.list(error);
    ASSERT_EQ(list.size(), 2u) << error;
    EXPECT_EQ(list[0].name, "太郎");
    EXPECT_TRUE(list[0].going && list[1].going);
    EXPECT_EQ(list[1].homeName, "実家");
    EXPECT_EQ(birthText(list[1].birth), "1985-03-10T08:30");

    Person renamed = list[1];
    renamed.name = "はな子";
    EXPECT_EQ(people.edit("花子", renamed), "");
    EXPECT_NE(people.edit("花子", renamed).find("登録されていません"), std::string::npos);
    EXPECT_NE(people.edit("はな子", list[0]).find("もう登録"), std::string::npos);
    EXPECT_EQ(book->remove("実家"), "");
    const std::optional<Person> after = people.find("はな子", error);
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->homePlace);
    EXPECT_EQ(people.remove("はな子"), "");
    EXPECT_NE(people.remove("はな子"), "");
    EXPECT_FALSE(parseBirthText("1985-3-10T08:30"));
    EXPECT_FALSE(parseBirthText("1985-03-10T24:00"));
}
