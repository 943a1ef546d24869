#include "output/placebook.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <sqlite3.h>

#include "output/database.h"

namespace fs = std::filesystem;

namespace velm {
namespace {

// The schema, one step per version: step i brings version i to i + 1.
const std::vector<std::string> &schemaSteps()
{
    static const std::vector<std::string> steps{
        // 1: the places, at most one of them the home base.
        "CREATE TABLE places("
        " id INTEGER PRIMARY KEY,"
        " name TEXT NOT NULL UNIQUE CHECK(length(name) > 0),"
        " lat REAL NOT NULL CHECK(lat BETWEEN -90 AND 90),"
        " lon REAL NOT NULL CHECK(lon BETWEEN -180 AND 180),"
        " note TEXT NOT NULL DEFAULT '',"
        " home INTEGER NOT NULL DEFAULT 0 CHECK(home IN (0, 1)));"
        "CREATE UNIQUE INDEX places_one_home ON places(home) WHERE home = 1;",
        // 2: the journal of readings. An entry's people are kept by name,
        // so it reads whole without the people's own table. Questions, notes
        // and outcomes are searched twice: by three-character pieces, and by
        // neighbouring pairs (journal_pairs, every pair as a word) for the
        // two-character words the pieces cannot find.
        "CREATE TABLE journal("
        " id INTEGER PRIMARY KEY,"
        " uid TEXT NOT NULL UNIQUE CHECK(length(uid) > 0),"
        " created TEXT NOT NULL,"
        " moment TEXT NOT NULL,"
        " kinds TEXT NOT NULL,"
        " method INTEGER NOT NULL CHECK(method IN (0, 1)),"
        " options TEXT NOT NULL,"
        " program TEXT NOT NULL DEFAULT '',"
        " tzdata TEXT NOT NULL DEFAULT '',"
        " numbers_hash TEXT NOT NULL DEFAULT '',"
        " matters_hash TEXT NOT NULL DEFAULT '',"
        " question TEXT NOT NULL DEFAULT '',"
        " matter TEXT NOT NULL DEFAULT '',"
        " direction TEXT NOT NULL DEFAULT '',"
        " place TEXT NOT NULL DEFAULT '',"
        " note TEXT NOT NULL DEFAULT '',"
        " charts TEXT NOT NULL DEFAULT '[]');"
        "CREATE INDEX journal_by_moment ON journal(moment);"
        "CREATE TABLE journal_people(entry INTEGER NOT NULL REFERENCES journal(id), position INTEGER NOT NULL,"
        " name TEXT NOT NULL, PRIMARY KEY(entry, position));"
        "CREATE INDEX journal_people_by_name ON journal_people(name);"
        "CREATE TABLE journal_tags(entry INTEGER NOT NULL REFERENCES journal(id), position INTEGER NOT NULL,"
        " tag TEXT NOT NULL, PRIMARY KEY(entry, position));"
        "CREATE INDEX journal_tags_by_tag ON journal_tags(tag);"
        "CREATE TABLE journal_outcomes(entry INTEGER NOT NULL REFERENCES journal(id), position INTEGER NOT NULL,"
        " date TEXT NOT NULL, text TEXT NOT NULL, PRIMARY KEY(entry, position));"
        "CREATE TABLE journal_reminders(entry INTEGER NOT NULL REFERENCES journal(id), date TEXT NOT NULL,"
        " done INTEGER NOT NULL DEFAULT 0 CHECK(done IN (0, 1)), PRIMARY KEY(entry, date));"
        "CREATE INDEX journal_reminders_due ON journal_reminders(done, date);"
        "CREATE VIRTUAL TABLE journal_text USING fts5(body, tokenize = 'trigram');"
        "CREATE VIRTUAL TABLE journal_pairs USING fts5(body, tokenize = 'unicode61 remove_diacritics 0', detail = none);",
        // 3: the people whose directions are judged (output/people.h): the
        // birth moment as entered, "YYYY-MM-DDTHH:MM"; a removed place
        // leaves its people without a home place.
        "CREATE TABLE people("
        " id INTEGER PRIMARY KEY,"
        " name TEXT NOT NULL UNIQUE CHECK(length(name) > 0),"
        " birth TEXT NOT NULL CHECK(length(birth) = 16),"
        " home_place INTEGER REFERENCES places(id),"
        " note TEXT NOT NULL DEFAULT '',"
        " going INTEGER NOT NULL DEFAULT 0 CHECK(going IN (0, 1)));"
        "CREATE TRIGGER people_home_removed AFTER DELETE ON places BEGIN"
        " UPDATE people SET home_place = NULL WHERE home_place = OLD.id; END;",
    };
    return steps;
}

using namespace database;

Place readPlace(sqlite3_stmt *s)
{
    Place p;
    p.id = sqlite3_column_int64(s, 0);
    p.name = reinterpret_cast<const char *>(sqlite3_column_text(s, 1));
    p.lat = sqlite3_column_double(s, 2);
    p.lon = sqlite3_column_double(s, 3);
    p.note = reinterpret_cast<const char *>(sqlite3_column_text(s, 4));
    p.home = sqlite3_column_int(s, 5) != 0;
    return p;
}

constexpr const char *PlaceColumns = "SELECT id, name, lat, lon, note, home FROM places ";

std::unique_ptr<PlaceBook> refuse(sqlite3 *db, std::string &error, std::string message)
{
    sqlite3_close_v2(db);
    error = std::move(message);
    return nullptr;
}

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

bool looksLikeDatabase(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    char header[16] = {};
    return in.read(header, sizeof header) && std::memcmp(header, "SQLite format 3", 16) == 0;
}

int PlaceBook::currentVersion()
{
    return static_cast<int>(schemaSteps().size());
}

PlaceBook::PlaceBook(sqlite3 *db, std::string path) : m_db(db), m_path(std::move(path)) {}

PlaceBook::~PlaceBook()
{
    sqlite3_close_v2(m_db);
}

std::unique_ptr<PlaceBook> PlaceBook::open(const std::string &path, std::string &error)
{
    std::error_code ec;
    const bool exists = fs::exists(path, ec);
    if (exists && !fs::is_regular_file(path, ec)) {
        error = quoted(path) + "はファイルではありません。";
        return nullptr;
    }
    // An empty file is what an interrupted first start leaves; anything else
    // must be a database already, so that nothing foreign is ever written.
    if (exists && fs::file_size(path, ec) > 0 && !looksLikeDatabase(path)) {
        error = damagedMessage(path);
        return nullptr;
    }
    sqlite3 *db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE);
    int code = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (code != SQLITE_OK)
        return refuse(db, error, failure(db, code, path, "開くことが"));
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyMilliseconds);

    {
        Statement check(db, "PRAGMA quick_check");
        code = check.prepared() == SQLITE_OK ? check.step() : check.prepared();
        if (code != SQLITE_ROW)
            return refuse(db, error, failure(db, code, path, "読むことが"));
        const char *verdict = reinterpret_cast<const char *>(sqlite3_column_text(check.get(), 0));
        if (!verdict || std::strcmp(verdict, "ok") != 0)
            return refuse(db, error, damagedMessage(path));
    }
    const std::optional<std::int64_t> version = queryInt(db, "PRAGMA user_version", code);
    if (!version)
        return refuse(db, error, failure(db, code, path, "読むことが"));
    const auto &steps = schemaSteps();
    if (*version < 0 || *version > static_cast<std::int64_t>(steps.size()))
        return refuse(db, error,
                      quoted(path) + "はこのプログラムより新しい版で作られています（形式 " + std::to_string(*version) +
                          "）。ファイルには手を付けていません。");
    if (*version < static_cast<std::int64_t>(steps.size())) {
        // Every step and the new version number in one transaction: a step
        // that fails leaves the file as it was.
        const std::string failed = transaction(db, path, "更新", [&]() -> std::string {
            for (std::size_t i = static_cast<std::size_t>(*version); i < steps.size(); ++i) {
                const int c = exec(db, steps[i]);
                if (c != SQLITE_OK)
                    return failure(db, c, path, "形式 " + std::to_string(i + 1) + " に更新");
            }
            const int c = exec(db, "PRAGMA user_version = " + std::to_string(steps.size()));
            return c == SQLITE_OK ? std::string() : failure(db, c, path, "更新");
        });
        if (!failed.empty())
            return refuse(db, error, failed + (exists ? "ファイルは元のままです。" : ""));
    }
    // Write-ahead logging lets the backup and the command-line tool read
    // while the program writes; FULL makes each change survive a power cut.
    {
        Statement wal(db, "PRAGMA journal_mode = WAL");
        code = wal.prepared() == SQLITE_OK ? wal.step() : wal.prepared();
        if (code != SQLITE_ROW)
            return refuse(db, error, failure(db, code, path, "開くことが"));
    }
    exec(db, "PRAGMA synchronous = FULL");
    return std::unique_ptr<PlaceBook>(new PlaceBook(db, path));
}

int PlaceBook::version() const
{
    int code = 0;
    return static_cast<int>(queryInt(m_db, "PRAGMA user_version", code).value_or(-1));
}

std::vector<Place> PlaceBook::places(std::string &error) const
{
    std::vector<Place> out;
    Statement s(m_db, (std::string(PlaceColumns) + "ORDER BY name").c_str());
    int code = s.prepared();
    while (code == SQLITE_OK || code == SQLITE_ROW) {
        code = s.step();
        if (code == SQLITE_ROW)
            out.push_back(readPlace(s.get()));
    }
    if (code != SQLITE_DONE) {
        error = failure(m_db, code, m_path, "読むことが");
        out.clear();
    }
    return out;
}

std::optional<Place> PlaceBook::find(const std::string &name, std::string &error) const
{
    Statement s(m_db, (std::string(PlaceColumns) + "WHERE name = ?1").c_str());
    if (s.prepared() != SQLITE_OK) {
        error = failure(m_db, s.prepared(), m_path, "読むことが");
        return std::nullopt;
    }
    s.bind(1, trimmed(name));
    const int code = s.step();
    if (code == SQLITE_ROW)
        return readPlace(s.get());
    if (code != SQLITE_DONE)
        error = failure(m_db, code, m_path, "読むことが");
    return std::nullopt;
}

std::optional<Place> PlaceBook::home(std::string &error) const
{
    Statement s(m_db, (std::string(PlaceColumns) + "WHERE home = 1").c_str());
    const int code = s.prepared() == SQLITE_OK ? s.step() : s.prepared();
    if (code == SQLITE_ROW)
        return readPlace(s.get());
    if (code != SQLITE_DONE)
        error = failure(m_db, code, m_path, "読むことが");
    return std::nullopt;
}

std::string PlaceBook::add(const Place &given)
{
    Place p = given;
    p.name = trimmed(p.name);
    if (p.name.empty())
        return "地点の名前がありません。";
    if (!std::isfinite(p.lat) || p.lat < -90 || p.lat > 90)
        return "緯度は -90～90 度で指定して下さい。";
    if (!std::isfinite(p.lon) || p.lon < -180 || p.lon > 180)
        return "経度は -180～180 度で指定して下さい。";
    return transaction(m_db, m_path, "書き込むことが", [&]() -> std::string {
        {
            Statement taken(m_db, "SELECT 1 FROM places WHERE name = ?1");
            taken.bind(1, p.name);
            const int code = taken.prepared() == SQLITE_OK ? taken.step() : taken.prepared();
            if (code == SQLITE_ROW)
                return "地点「" + p.name + "」はもう登録されています。";
            if (code != SQLITE_DONE)
                return failure(m_db, code, m_path, "書き込むことが");
        }
        if (p.home) {
            const int code = exec(m_db, "UPDATE places SET home = 0 WHERE home = 1");
            if (code != SQLITE_OK)
                return failure(m_db, code, m_path, "書き込むことが");
        }
        Statement insert(m_db, "INSERT INTO places(name, lat, lon, note, home) VALUES(?1, ?2, ?3, ?4, ?5)");
        insert.bind(1, p.name);
        insert.bind(2, p.lat);
        insert.bind(3, p.lon);
        insert.bind(4, p.note);
        insert.bind(5, static_cast<std::int64_t>(p.home ? 1 : 0));
        const int code = insert.prepared() == SQLITE_OK ? insert.step() : insert.prepared();
        return code == SQLITE_DONE ? std::string() : failure(m_db, code, m_path, "書き込むことが");
    });
}

std::string PlaceBook::remove(const std::string &name)
{
    return transaction(m_db, m_path, "書き込むことが", [&]() -> std::string {
        Statement s(m_db, "DELETE FROM places WHERE name = ?1");
        s.bind(1, trimmed(name));
        const int code = s.prepared() == SQLITE_OK ? s.step() : s.prepared();
        if (code != SQLITE_DONE)
            return failure(m_db, code, m_path, "書き込むことが");
        return sqlite3_changes(m_db) == 0 ? "地点「" + trimmed(name) + "」は登録されていません。" : std::string();
    });
}

std::string PlaceBook::setHome(const std::string &name)
{
    return transaction(m_db, m_path, "書き込むことが", [&]() -> std::string {
        int code = exec(m_db, "UPDATE places SET home = 0 WHERE home = 1");
        if (code != SQLITE_OK)
            return failure(m_db, code, m_path, "書き込むことが");
        Statement s(m_db, "UPDATE places SET home = 1 WHERE name = ?1");
        s.bind(1, trimmed(name));
        code = s.prepared() == SQLITE_OK ? s.step() : s.prepared();
        if (code != SQLITE_DONE)
            return failure(m_db, code, m_path, "書き込むことが");
        return sqlite3_changes(m_db) == 0 ? "地点「" + trimmed(name) + "」は登録されていません。" : std::string();
    });
}

std::string PlaceBook::edit(const std::string &name, const std::string &newName, const std::string &note)
{
    const std::string from = trimmed(name);
    const std::string to = trimmed(newName);
    if (to.empty())
        return "地点の名前がありません。";
    return transaction(m_db, m_path, "書き込むことが", [&]() -> std::string {
        if (to != from) {
            Statement taken(m_db, "SELECT 1 FROM places WHERE name = ?1");
            taken.bind(1, to);
            const int code = taken.prepared() == SQLITE_OK ? taken.step() : taken.prepared();
            if (code == SQLITE_ROW)
                return "地点「" + to + "」はもう登録されています。";
            if (code != SQLITE_DONE)
                return failure(m_db, code, m_path, "書き込むことが");
        }
        Statement s(m_db, "UPDATE places SET name = ?2, note = ?3 WHERE name = ?1");
        s.bind(1, from);
        s.bind(2, to);
        s.bind(3, note);
        const int code = s.prepared() == SQLITE_OK ? s.step() : s.prepared();
        if (code != SQLITE_DONE)
            return failure(m_db, code, m_path, "書き込むことが");
        return sqlite3_changes(m_db) == 0 ? "地点「" + from + "」は登録されていません。" : std::string();
    });
}

std::string copyDatabase(const std::string &from, const std::string &to)
{
    if (!looksLikeDatabase(from))
        return damagedMessage(from);
    sqlite3 *src = nullptr;
    sqlite3 *dst = nullptr;
    auto close = [&] {
        sqlite3_close_v2(src);
        sqlite3_close_v2(dst);
    };
    int code = sqlite3_open_v2(from.c_str(), &src, SQLITE_OPEN_READWRITE, nullptr);
    if (code != SQLITE_OK) {
        std::string message = failure(src, code, from, "開くことが");
        close();
        return message;
    }
    code = sqlite3_open_v2(to.c_str(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        std::string message = failure(dst, code, to, "開くことが");
        close();
        return message;
    }
    sqlite3_busy_timeout(src, BusyMilliseconds);
    sqlite3_busy_timeout(dst, BusyMilliseconds);
    sqlite3_backup *backup = sqlite3_backup_init(dst, "main", src, "main");
    if (!backup) {
        std::string message = failure(dst, sqlite3_errcode(dst), to, "書き込むことが");
        close();
        return message;
    }
    // All pages in one step; a writer holding the source makes the step wait
    // and try again, for a while.
    for (int attempt = 0; attempt < 100; ++attempt) {
        code = sqlite3_backup_step(backup, -1);
        if (!isBusy(code))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    sqlite3_backup_finish(backup);
    std::string message;
    if (code != SQLITE_DONE)
        message = isBusy(code) ? busyMessage(from) : failure(dst, sqlite3_errcode(dst), to, "書き込むことが");
    close();
    return message;
}

} // namespace velm
