#include "output/people.h"

#include <cstdio>

#include <sqlite3.h>

#include "engine/datetime.h"
#include "engine/reading.h"
#include "output/database.h"

namespace velm {

using namespace database;

namespace {

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string columnText(sqlite3_stmt *s, int column)
{
    const unsigned char *text = sqlite3_column_text(s, column);
    return text ? reinterpret_cast<const char *>(text) : std::string();
}

constexpr const char *PersonColumns =
    "SELECT people.id, people.name, people.birth, people.home_place, places.name, people.note, people.going"
    " FROM people LEFT JOIN places ON places.id = people.home_place ";

Person readPerson(sqlite3_stmt *s)
{
    Person p;
    p.id = sqlite3_column_int64(s, 0);
    p.name = columnText(s, 1);
    // The table's own check keeps the text 16 characters; a hand-edited
    // file may still hold nonsense, which reads as an impossible date.
    p.birth = parseBirthText(columnText(s, 2)).value_or(CivilTime{});
    if (sqlite3_column_type(s, 3) != SQLITE_NULL && sqlite3_column_type(s, 4) != SQLITE_NULL) {
        p.homePlace = sqlite3_column_int64(s, 3);
        p.homeName = columnText(s, 4);
    }
    p.note = columnText(s, 5);
    p.going = sqlite3_column_int(s, 6) != 0;
    return p;
}

std::string missing(const std::string &name)
{
    return "人物「" + name + "」は登録されていません。";
}

} // namespace

std::string birthText(const CivilTime &b)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", b.year, b.month, b.day, b.hour, b.minute);
    return text;
}

std::optional<CivilTime> parseBirthText(const std::string &text)
{
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':')
        return std::nullopt;
    const auto number = [&text](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    CivilTime t{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), 0};
    if (t.year < 0 || t.month < 0 || t.day < 0 || t.hour < 0 || t.minute < 0 || !isValidCivil(t))
        return std::nullopt;
    return t;
}

std::vector<Person> People::list(std::string &error) const
{
    std::vector<Person> out;
    Statement s(m_book.handle(), (std::string(PersonColumns) + "ORDER BY people.name").c_str());
    int code = s.prepared();
    while (code == SQLITE_OK || code == SQLITE_ROW) {
        code = s.step();
        if (code == SQLITE_ROW)
            out.push_back(readPerson(s.get()));
    }
    if (code != SQLITE_DONE) {
        error = failure(m_book.handle(), code, m_book.path(), "読むことが");
        out.clear();
    }
    return out;
}

std::optional<Person> People::find(const std::string &name, std::string &error) const
{
    Statement s(m_book.handle(), (std::string(PersonColumns) + "WHERE people.name = ?1").c_str());
    s.bind(1, trimmed(name));
    const int code = s.step();
    if (code == SQLITE_ROW)
        return readPerson(s.get());
    if (code != SQLITE_DONE)
        error = failure(m_book.handle(), code, m_book.path(), "読むことが");
    return std::nullopt;
}

std::string People::check(const Person &p, std::int64_t self) const
{
    sqlite3 *db = m_book.handle();
    if (trimmed(p.name).empty())
        return "人物の名前がありません。";
    if (!isValidCivil(p.birth))
        return "生年月日時が正しくありません（1～9999年の日付と時刻で指定して下さい）。";
    {
        Statement taken(db, "SELECT id FROM people WHERE name = ?1");
        taken.bind(1, trimmed(p.name));
        const int code = taken.step();
        if (code == SQLITE_ROW && sqlite3_column_int64(taken.get(), 0) != self)
            return "人物「" + trimmed(p.name) + "」はもう登録されています。";
        if (code != SQLITE_ROW && code != SQLITE_DONE)
            return failure(db, code, m_book.path(), "書き込むことが");
    }
    if (p.homePlace) {
        Statement place(db, "SELECT 1 FROM places WHERE id = ?1");
        place.bind(1, *p.homePlace);
        const int code = place.step();
        if (code == SQLITE_DONE)
            return "自宅の地点が地点帳にありません。";
        if (code != SQLITE_ROW)
            return failure(db, code, m_book.path(), "書き込むことが");
    }
    return {};
}

namespace {

void bindPerson(Statement &s, const Person &p)
{
    s.bind(1, trimmed(p.name));
    s.bind(2, birthText(p.birth));
    if (p.homePlace)
        s.bind(3, *p.homePlace);
    else
        sqlite3_bind_null(s.get(), 3);
    s.bind(4, p.note);
    s.bind(5, static_cast<std::int64_t>(p.going ? 1 : 0));
}

} // namespace

std::string People::add(const Person &person)
{
    sqlite3 *db = m_book.handle();
    return transaction(db, m_book.path(), "書き込むことが", [&]() -> std::string {
        if (std::string error = check(person, -1); !error.empty())
            return error;
        Statement insert(db, "INSERT INTO people(name, birth, home_place, note, going) VALUES(?1, ?2, ?3, ?4, ?5)");
        bindPerson(insert, person);
        const int code = insert.step();
        return code == SQLITE_DONE ? std::string() : failure(db, code, m_book.path(), "書き込むことが");
    });
}

std::string People::remove(const std::string &name)
{
    sqlite3 *db = m_book.handle();
    return transaction(db, m_book.path(), "書き込むことが", [&]() -> std::string {
        Statement s(db, "DELETE FROM people WHERE name = ?1");
        s.bind(1, trimmed(name));
        const int code = s.step();
        if (code != SQLITE_DONE)
            return failure(db, code, m_book.path(), "書き込むことが");
        return sqlite3_changes(db) == 0 ? missing(trimmed(name)) : std::string();
    });
}

std::string People::edit(const std::string &name, const Person &person)
{
    sqlite3 *db = m_book.handle();
    return transaction(db, m_book.path(), "書き込むことが", [&]() -> std::string {
        std::int64_t self = 0;
        {
            Statement s(db, "SELECT id FROM people WHERE name = ?1");
            s.bind(1, trimmed(name));
            const int code = s.step();
            if (code == SQLITE_DONE)
                return missing(trimmed(name));
            if (code != SQLITE_ROW)
                return failure(db, code, m_book.path(), "書き込むことが");
            self = sqlite3_column_int64(s.get(), 0);
        }
        if (std::string error = check(person, self); !error.empty())
            return error;
        Statement s(db, "UPDATE people SET name = ?1, birth = ?2, home_place = ?3, note = ?4, going = ?5 WHERE id = ?6");
        bindPerson(s, person);
        s.bind(6, self);
        const int code = s.step();
        return code == SQLITE_DONE ? std::string() : failure(db, code, m_book.path(), "書き込むことが");
    });
}

std::string People::setGoing(const std::vector<std::string> &names)
{
    sqlite3 *db = m_book.handle();
    return transaction(db, m_book.path(), "書き込むことが", [&]() -> std::string {
        int code = exec(db, "UPDATE people SET going = 0 WHERE going = 1");
        if (code != SQLITE_OK)
            return failure(db, code, m_book.path(), "書き込むことが");
        for (const std::string &name : names) {
            Statement s(db, "UPDATE people SET going = 1 WHERE name = ?1");
            s.bind(1, trimmed(name));
            code = s.step();
            if (code != SQLITE_DONE)
                return failure(db, code, m_book.path(), "書き込むことが");
            if (sqlite3_changes(db) == 0)
                return missing(trimmed(name));
        }
        return {};
    });
}

PersonStars personStars(const Person &person, const KoyomiOptions &options)
{
    PersonStars out;
    KoyomiOptions read = options;
    // A birth in an hour a summer-time change skipped or repeated is read
    // with the offset before the change: the stars turn only at 立春 and at
    // the month's term, so the hour matters only on those days.
    if (read.clock.fold == Fold::Refuse)
        read.clock.fold = Fold::First;
    const ClockReading reading = readClock(person.birth, read);
    if (!reading.ok()) {
        out.error = "人物「" + person.name + "」の生年月日時 " + birthText(person.birth) + " は、この暦の設定では読めません。";
        return out;
    }
    out.stars = birthStars(DateToKyu(reading.calendar, reading.options));
    return out;
}

} // namespace velm
