#include "output/journal.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>

#include <nettle/sha2.h>

#include "engine/clock.h"
#include "engine/datetime.h"
#include "engine/reading.h"
#include "engine/symbols.h"
#include "engine/textfile.h"
#include "evaluation/numbers.h"
#include "output/ics.h"
#include "output/database.h"
#include "output/laidchart.h"
#include "output/placebook.h"

namespace velm {
namespace {

using namespace database;

constexpr const char *Writing = "書き込むことが";
constexpr const char *Reading = "読むことが";

// ---- JSON, written by hand and read back through SQLite's JSON functions.

std::string jsonString(const std::string &text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", byte);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// The shortest text that reads back as the same number (options).
std::string exactNumber(double v)
{
    char buf[40];
    const auto result = std::to_chars(buf, buf + sizeof buf, v == 0 ? 0.0 : v);
    return std::string(buf, result.ptr);
}

// Scores as the chart command's JSON writes them.
std::string scoreNumber(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", v == 0 ? 0.0 : v);
    return buf;
}

std::string textArray(const std::vector<std::string> &items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + jsonString(items[i]);
    return out + "]";
}

constexpr const char *MethodNames[2] = {"rotating", "flying"};
constexpr const char *FoldNames[3] = {"refuse", "first", "second"};
constexpr const char *SolarNames[3] = {"none", "mean", "true"};
constexpr const char *JuNames[3] = {"zhirun", "chaibu", "maoshan"};

std::string optionsJson(const KoyomiOptions &o, LayingMethod method)
{
    std::string periods;
    for (const int p : o.periods)
        periods += static_cast<char>('0' + p);
    std::string out = "{\"method\":" + jsonString(MethodNames[static_cast<int>(method)]);
    out += ",\"astronomy\":" + jsonString(o.astronomy == Astronomy::Precise ? "precise" : "short");
    out += ",\"zone\":" + jsonString(o.clock.zone);
    out += ",\"tz\":" + exactNumber(o.clock.fixedTz);
    out += ",\"fold\":" + jsonString(FoldNames[static_cast<int>(o.clock.fold)]);
    out += ",\"solarTime\":" + jsonString(SolarNames[static_cast<int>(o.clock.solarTime)]);
    out += ",\"longitude\":" + exactNumber(o.clock.longitude);
    out += ",\"periods\":" + jsonString(periods);
    out += std::string(",\"kcb1\":") + (o.kcb1 ? "true" : "false");
    out += std::string(",\"exactMinutes\":") + (o.exactMinutes ? "true" : "false");
    out += ",\"juMethod\":" + jsonString(JuNames[static_cast<int>(o.juMethod)]);
    out += std::string(",\"settingsExist\":") + (o.settingsExist ? "true" : "false");
    return out + "}";
}

const std::array<std::string, PatternCount> &patternNames()
{
    static const std::array<std::string, PatternCount> names = [] {
        std::array<std::string, PatternCount> out;
        for (std::size_t i = 0; i < out.size(); ++i) {
            std::string name(PatternNameSource[i]);
            const std::string blank = "　";
            while (name.rfind(blank, 0) == 0)
                name.erase(0, blank.size());
            while (name.size() >= blank.size() && name.compare(name.size() - blank.size(), blank.size(), blank) == 0)
                name.erase(name.size() - blank.size());
            out[i] = name;
        }
        return out;
    }();
    return names;
}

std::string chartsJson(const std::vector<RecordedChart> &charts)
{
    std::string out = "[";
    for (std::size_t c = 0; c < charts.size(); ++c) {
        const RecordedChart &chart = charts[c];
        out += (c ? ",{" : "{");
        out += "\"kind\":" + std::to_string(chart.kind) + ",\"BanSuu\":[";
        for (std::size_t r = 0; r < 9; ++r) {
            out += r ? ",[" : "[";
            for (std::size_t p = 0; p < 9; ++p)
                out += (p ? "," : "") + scoreNumber(chart.BanSuu[r][p]);
            out += "]";
        }
        out += "],\"Kaku\":[";
        for (std::size_t s = 0; s < 5; ++s) {
            out += s ? ",[" : "[";
            for (std::size_t p = 0; p < 9; ++p)
                out += (p ? "," : "") + std::to_string(chart.Kaku[s][p]);
            out += "]";
        }
        // The names too, so that the file reads without the program.
        out += "],\"patterns\":[";
        for (std::size_t p = 0; p < 9; ++p) {
            std::vector<std::string> names;
            for (std::size_t s = 0; s < 5; ++s)
                if (const int n = chart.Kaku[s][p]; n > 0 && n < PatternCount)
                    names.push_back(patternNames()[static_cast<std::size_t>(n)]);
            out += (p ? "," : "") + textArray(names);
        }
        out += "]}";
    }
    return out + "]";
}

std::string kindsText(const std::vector<int> &kinds)
{
    std::string out;
    for (const int k : kinds)
        out += static_cast<char>('0' + k);
    return out;
}

std::vector<int> kindsFrom(const std::string &text)
{
    std::vector<int> out;
    for (const char c : text)
        if (c >= '0' && c <= '3')
            out.push_back(c - '0');
    return out;
}

// ---- Reading JSON with SQLite.

// The values at `paths` of a JSON text, as one row.
class JsonRow {
public:
    JsonRow(sqlite3 *db, const std::string &json, const std::vector<std::string> &paths)
    {
        std::string sql = "SELECT json_valid(?1)";
        for (std::size_t i = 0; i < paths.size(); ++i)
            sql += ", json_extract(?1, ?" + std::to_string(i + 2) + "), json_type(?1, ?" + std::to_string(i + 2) + ")";
        m_stmt = std::make_unique<Statement>(db, sql);
        m_stmt->bind(1, json);
        for (std::size_t i = 0; i < paths.size(); ++i)
            m_stmt->bind(static_cast<int>(i + 2), paths[i]);
        m_ok = m_stmt->step() == SQLITE_ROW && m_stmt->integer(0) == 1;
    }
    bool ok() const { return m_ok; }
    // "null" for a missing key, else "text", "integer", "real", "true", "false", "array", "object".
    std::string type(int i) const { return m_stmt->isNull(2 + 2 * i) ? "null" : m_stmt->text(2 + 2 * i); }
    std::string text(int i) const { return m_stmt->text(1 + 2 * i); }
    double real(int i) const { return m_stmt->real(1 + 2 * i); }
    std::int64_t integer(int i) const { return m_stmt->integer(1 + 2 * i); }
    bool isNumber(int i) const { return type(i) == "integer" || type(i) == "real"; }

private:
    std::unique_ptr<Statement> m_stmt;
    bool m_ok = false;
};

// The items of the array at `path` (texts as they are, others as JSON).
std::optional<std::vector<std::string>> jsonItems(sqlite3 *db, const std::string &json, const char *path,
                                                  std::vector<std::string> *types = nullptr)
{
    Statement s(db, "SELECT value, type FROM json_each(?1, ?2) ORDER BY key");
    s.bind(1, json);
    s.bind(2, std::string(path));
    std::vector<std::string> out;
    int code;
    while ((code = s.step()) == SQLITE_ROW) {
        out.push_back(s.text(0));
        if (types)
            types->push_back(s.text(1));
    }
    if (code != SQLITE_DONE)
        return std::nullopt;
    return out;
}

template <typename T>
bool pick(const std::string &value, const char *const (&names)[3], T &into, int count = 3)
{
    for (int i = 0; i < count; ++i)
        if (value == names[i]) {
            into = static_cast<T>(i);
            return true;
        }
    return false;
}

// Options from their JSON; a missing key keeps the default, a wrong value is refused.
bool optionsFrom(sqlite3 *db, const std::string &json, KoyomiOptions &o, LayingMethod &method, std::string &error)
{
    const JsonRow row(db, json,
                      {"$.method", "$.astronomy", "$.zone", "$.tz", "$.fold", "$.solarTime", "$.longitude",
                       "$.periods", "$.kcb1", "$.exactMinutes", "$.juMethod", "$.settingsExist"});
    if (!row.ok() || json.find('{') != 0) {
        error = "options が JSON のオブジェクトではありません";
        return false;
    }
    const auto bad = [&error](const std::string &key, const std::string &value) {
        error = "options の " + key + " が正しくありません: " + value;
        return false;
    };
    o = KoyomiOptions{};
    method = LayingMethod::Rotating;
    if (row.type(0) != "null") {
        const char *const names[3] = {MethodNames[0], MethodNames[1], ""};
        if (!pick(row.text(0), names, method, 2))
            return bad("method", row.text(0));
    }
    if (row.type(1) != "null") {
        if (row.text(1) != "short" && row.text(1) != "precise")
            return bad("astronomy", row.text(1));
        o.astronomy = row.text(1) == "precise" ? Astronomy::Precise : Astronomy::Short;
    }
    if (row.type(2) == "text")
        o.clock.zone = row.text(2);
    else if (row.type(2) != "null")
        return bad("zone", row.text(2));
    if (row.type(3) != "null") {
        if (!row.isNumber(3) || !(std::fabs(row.real(3)) <= 14))
            return bad("tz", row.text(3));
        o.clock.fixedTz = row.real(3);
    }
    if (row.type(4) != "null" && !pick(row.text(4), FoldNames, o.clock.fold))
        return bad("fold", row.text(4));
    if (row.type(5) != "null" && !pick(row.text(5), SolarNames, o.clock.solarTime))
        return bad("solarTime", row.text(5));
    if (row.type(6) != "null") {
        if (!row.isNumber(6) || !(std::fabs(row.real(6)) <= 180))
            return bad("longitude", row.text(6));
        o.clock.longitude = row.real(6);
    }
    if (row.type(7) != "null") {
        const std::string p = row.text(7);
        if (p.size() != 4 || p.find_first_not_of("01") != std::string::npos)
            return bad("periods", p);
        for (std::size_t i = 0; i < 4; ++i)
            o.periods[i] = p[i] - '0';
    }
    const auto flag = [&](int i, const char *key, bool &into) {
        if (row.type(i) == "null")
            return true;
        if (row.type(i) != "true" && row.type(i) != "false")
            return bad(key, row.text(i));
        into = row.type(i) == "true";
        return true;
    };
    if (!flag(8, "kcb1", o.kcb1) || !flag(9, "exactMinutes", o.exactMinutes) || !flag(11, "settingsExist", o.settingsExist))
        return false;
    if (row.type(10) != "null" && !pick(row.text(10), JuNames, o.juMethod))
        return bad("juMethod", row.text(10));
    return true;
}

// Charts from their JSON: a table of the wrong shape is refused.
bool chartsFrom(sqlite3 *db, const std::string &json, std::vector<RecordedChart> &charts, std::string &error)
{
    charts.clear();
    std::vector<std::string> types;
    const auto items = jsonItems(db, json, "$", &types);
    if (!items || json.find('[') != 0) {
        error = "charts が JSON の配列ではありません";
        return false;
    }
    for (std::size_t c = 0; c < items->size(); ++c) {
        RecordedChart chart;
        const JsonRow row(db, (*items)[c], {"$.kind"});
        if (types[c] != "object" || !row.ok() || row.type(0) != "integer" || row.integer(0) < 0 || row.integer(0) > 3) {
            error = "charts の " + std::to_string(c + 1) + " 番目の kind が正しくありません";
            return false;
        }
        chart.kind = static_cast<int>(row.integer(0));
        const auto table = [&](const char *key, std::size_t rows, auto &into) {
            Statement s(db, "SELECT r.key, c.key, c.value, c.type FROM json_each(?1, ?2) r, json_each(r.value) c");
            s.bind(1, (*items)[c]);
            s.bind(2, std::string("$.") + key);
            int code;
            std::size_t cells = 0;
            while ((code = s.step()) == SQLITE_ROW) {
                const std::int64_t r = s.integer(0), p = s.integer(1);
                const std::string type = s.text(3);
                if (r < 0 || static_cast<std::size_t>(r) >= rows || p < 0 || p >= 9 || (type != "integer" && type != "real"))
                    return false;
                into[static_cast<std::size_t>(r)][static_cast<std::size_t>(p)]
                    = static_cast<std::remove_reference_t<decltype(into[0][0])>>(s.real(2));
                ++cells;
            }
            return code == SQLITE_DONE && cells == rows * 9;
        };
        if (!table("BanSuu", 9, chart.BanSuu) || !table("Kaku", 5, chart.Kaku)) {
            error = "charts の " + std::to_string(c + 1) + " 番目の BanSuu か Kaku が 9 方位の表ではありません";
            return false;
        }
        charts.push_back(chart);
    }
    return true;
}

// ---- Dates and texts.

bool parseMomentText(const std::string &text, CivilTime &into)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    char tail = 0;
    if (text.size() != 16 || std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d%c", &y, &mo, &d, &h, &mi, &tail) != 5)
        return false;
    if (y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h < 0 || h > 23 || mi < 0 || mi > 59)
        return false;
    into = CivilTime{y, mo, d, h, mi, 0};
    return true;
}

std::string nowUtc()
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    return isoText(civilFromInstant(seconds)) + "Z";
}

std::string newId(const std::string &created)
{
    static std::mt19937_64 random{std::random_device{}()};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06x", static_cast<unsigned>(random() & 0xffffff));
    std::string stamp;
    for (const char c : created.substr(0, 19))
        if (c >= '0' && c <= '9')
            stamp += c;
    return stamp.substr(0, 8) + "-" + stamp.substr(8, 6) + "-" + buf;
}

bool goodId(const std::string &id)
{
    if (id.empty() || id.size() > 200)
        return false;
    return std::none_of(id.begin(), id.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::vector<std::string> codePoints(const std::string &text)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0xF0)
            n = 4;
        else if (b >= 0xE0)
            n = 3;
        else if (b >= 0xC0)
            n = 2;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

bool isBlank(const std::string &c)
{
    return c == " " || c == "\t" || c == "\n" || c == "\r" || c == "　";
}

// Every pair of neighbouring characters as a word of its own, so that a
// two-character word is found in the index like any other word.
std::string pairsOf(const std::string &text)
{
    const std::vector<std::string> chars = codePoints(text);
    std::string out;
    for (std::size_t i = 0; i + 1 < chars.size(); ++i)
        if (!isBlank(chars[i]) && !isBlank(chars[i + 1]))
            out += chars[i] + chars[i + 1] + " ";
    return out;
}

std::vector<std::string> searchWords(const std::string &text)
{
    std::vector<std::string> words;
    std::string word;
    for (const std::string &c : codePoints(text)) {
        if (isBlank(c)) {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::string phrase(const std::string &word)
{
    std::string out = "\"";
    for (const char c : word)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string likePattern(const std::string &word)
{
    std::string out = "%";
    for (const char c : word) {
        if (c == '%' || c == '_' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "%";
}

std::int64_t rowOf(sqlite3 *db, const std::string &id, int &code)
{
    Statement s(db, "SELECT id FROM journal WHERE uid = ?1");
    s.bind(1, id);
    code = s.step();
    if (code == SQLITE_ROW) {
        code = SQLITE_OK;
        return s.integer(0);
    }
    return 0;
}

// Writes the searchable text of an entry again (question, note, outcomes).
int reindex(sqlite3 *db, std::int64_t row)
{
    std::string text;
    {
        Statement s(db, "SELECT question || char(10) || note FROM journal WHERE id = ?1");
        s.bind(1, row);
        if (const int code = s.step(); code != SQLITE_ROW)
            return code;
        text = s.text(0);
    }
    {
        Statement s(db, "SELECT text FROM journal_outcomes WHERE entry = ?1 ORDER BY position");
        s.bind(1, row);
        int code;
        while ((code = s.step()) == SQLITE_ROW)
            text += "\n" + s.text(0);
        if (code != SQLITE_DONE)
            return code;
    }
    for (const char *table : {"journal_text", "journal_pairs"}) {
        Statement del(db, std::string("DELETE FROM ") + table + " WHERE rowid = ?1");
        del.bind(1, row);
        if (const int code = del.step(); code != SQLITE_DONE)
            return code;
        Statement ins(db, std::string("INSERT INTO ") + table + "(rowid, body) VALUES(?1, ?2)");
        ins.bind(1, row);
        ins.bind(2, std::string(table) == "journal_text" ? text : pairsOf(text));
        if (const int code = ins.step(); code != SQLITE_DONE)
            return code;
    }
    return SQLITE_OK;
}

// Replaces the people, tags, outcomes and reminders of an entry.
int writeLists(sqlite3 *db, std::int64_t row, const JournalEntry &e)
{
    for (const char *table : {"journal_people", "journal_tags", "journal_outcomes", "journal_reminders"}) {
        Statement del(db, std::string("DELETE FROM ") + table + " WHERE entry = ?1");
        del.bind(1, row);
        if (const int code = del.step(); code != SQLITE_DONE)
            return code;
    }
    const auto insertTexts = [&](const char *sql, const std::vector<std::string> &items) {
        std::set<std::string> seen;
        std::int64_t position = 0;
        for (const std::string &item : items) {
            if (item.empty() || !seen.insert(item).second)
                continue;
            Statement s(db, sql);
            s.bind(1, row);
            s.bind(2, position++);
            s.bind(3, item);
            if (const int code = s.step(); code != SQLITE_DONE)
                return code;
        }
        return SQLITE_OK;
    };
    int code = insertTexts("INSERT INTO journal_people(entry, position, name) VALUES(?1, ?2, ?3)", e.people);
    if (code == SQLITE_OK)
        code = insertTexts("INSERT INTO journal_tags(entry, position, tag) VALUES(?1, ?2, ?3)", e.tags);
    std::int64_t position = 0;
    for (const JournalOutcome &o : e.outcomes) {
        if (code != SQLITE_OK)
            break;
        Statement s(db, "INSERT INTO journal_outcomes(entry, position, date, text) VALUES(?1, ?2, ?3, ?4)");
        s.bind(1, row);
        s.bind(2, position++);
        s.bind(3, o.date);
        s.bind(4, o.text);
        code = s.step() == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
    }
    for (const JournalReminder &r : e.reminders) {
        if (code != SQLITE_OK)
            break;
        Statement s(db, "INSERT OR REPLACE INTO journal_reminders(entry, date, done) VALUES(?1, ?2, ?3)");
        s.bind(1, row);
        s.bind(2, r.date);
        s.bind(3, static_cast<std::int64_t>(r.done ? 1 : 0));
        code = s.step() == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
    }
    return code == SQLITE_OK ? reindex(db, row) : code;
}

// What a user may write wrong, in the program's words; empty when all is well.
std::string checkWritten(const JournalEntry &e)
{
    for (const JournalOutcome &o : e.outcomes) {
        if (!isJournalDate(o.date))
            return "結果の日付は YYYY-MM-DD の形で指定して下さい: " + o.date;
        if (o.text.find_first_not_of(" \t\r\n") == std::string::npos)
            return "結果の記録が空です。";
    }
    for (const JournalReminder &r : e.reminders)
        if (!isJournalDate(r.date))
            return "振り返りの日付は YYYY-MM-DD の形で指定して下さい: " + r.date;
    return {};
}

JournalSummary readSummary(const Statement &s)
{
    JournalSummary out;
    out.id = s.text(0);
    out.moment = s.text(1);
    out.kinds = kindsFrom(s.text(2));
    out.method = s.integer(3) == 1 ? LayingMethod::Flying : LayingMethod::Rotating;
    out.question = s.text(4);
    out.matter = s.text(5);
    out.direction = s.text(6);
    out.place = s.text(7);
    out.note = s.text(8);
    out.tags = s.text(9);
    return out;
}

constexpr const char *SummaryColumns
    = "SELECT j.uid, j.moment, j.kinds, j.method, j.question, j.matter, j.direction, j.place, j.note,"
      " (SELECT ifnull(group_concat(tag, '、'), '') FROM (SELECT tag FROM journal_tags t"
      "  WHERE t.entry = j.id ORDER BY position))";

// The entry as stored, and its row; nothing with an empty error when there is none.
std::optional<JournalEntry> readEntry(sqlite3 *db, const std::string &path, const std::string &id,
                                      std::int64_t &row, std::string &error)
{
    Statement s(db, "SELECT id, uid, created, moment, kinds, method, options, program, tzdata, numbers_hash,"
                    " matters_hash, question, matter, direction, place, note, charts FROM journal WHERE uid = ?1");
    s.bind(1, id);
    int code = s.step();
    if (code != SQLITE_ROW) {
        if (code != SQLITE_DONE)
            error = failure(db, code, path, Reading);
        return std::nullopt;
    }
    JournalEntry e;
    row = s.integer(0);
    e.id = s.text(1);
    e.created = s.text(2);
    parseMomentText(s.text(3), e.moment);
    e.kinds = kindsFrom(s.text(4));
    std::string bad;
    if (!optionsFrom(db, s.text(6), e.options, e.method, bad) || !chartsFrom(db, s.text(16), e.charts, bad)) {
        error = quoted(path) + "の記録 " + id + " が読めません: " + bad;
        return std::nullopt;
    }
    e.program = s.text(7);
    e.tzdata = s.text(8);
    e.numbersHash = s.text(9);
    e.mattersHash = s.text(10);
    e.question = s.text(11);
    e.matter = s.text(12);
    e.direction = s.text(13);
    e.place = s.text(14);
    e.note = s.text(15);
    const auto texts = [&](const char *sql, std::vector<std::string> &into) {
        Statement q(db, sql);
        q.bind(1, row);
        while ((code = q.step()) == SQLITE_ROW)
            into.push_back(q.text(0));
        return code == SQLITE_DONE;
    };
    bool ok = texts("SELECT name FROM journal_people WHERE entry = ?1 ORDER BY position", e.people)
        && texts("SELECT tag FROM journal_tags WHERE entry = ?1 ORDER BY position", e.tags);
    if (ok) {
        Statement q(db, "SELECT date, text FROM journal_outcomes WHERE entry = ?1 ORDER BY position");
        q.bind(1, row);
        while ((code = q.step()) == SQLITE_ROW)
            e.outcomes.push_back({q.text(0), q.text(1)});
        ok = code == SQLITE_DONE;
    }
    if (ok) {
        Statement q(db, "SELECT date, done FROM journal_reminders WHERE entry = ?1 ORDER BY date");
        q.bind(1, row);
        while ((code = q.step()) == SQLITE_ROW)
            e.reminders.push_back({q.text(0), q.integer(1) != 0});
        ok = code == SQLITE_DONE;
    }
    if (!ok) {
        error = failure(db, code, path, Reading);
        return std::nullopt;
    }
    return e;
}

// Inserts a checked entry (inside a transaction); SQLITE_CONSTRAINT when its id is taken.
int insertEntry(sqlite3 *db, const JournalEntry &e)
{
    Statement s(db, "INSERT INTO journal(uid, created, moment, kinds, method, options, program, tzdata,"
                    " numbers_hash, matters_hash, question, matter, direction, place, note, charts)"
                    " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)");
    s.bind(1, e.id);
    s.bind(2, e.created);
    s.bind(3, journalMomentText(e.moment));
    s.bind(4, kindsText(e.kinds));
    s.bind(5, static_cast<std::int64_t>(e.method));
    s.bind(6, optionsJson(e.options, e.method));
    s.bind(7, e.program);
    s.bind(8, e.tzdata);
    s.bind(9, e.numbersHash);
    s.bind(10, e.mattersHash);
    s.bind(11, e.question);
    s.bind(12, e.matter);
    s.bind(13, e.direction);
    s.bind(14, e.place);
    s.bind(15, e.note);
    s.bind(16, chartsJson(e.charts));
    const int code = s.step();
    if (code != SQLITE_DONE)
        return code;
    return writeLists(db, sqlite3_last_insert_rowid(db), e);
}

// What an entry must hold to be kept; empty when it does.
std::string checkEntry(JournalEntry &e)
{
    if (e.moment.year < 1 || e.moment.year > 9999 || e.moment.month < 1 || e.moment.month > 12 || e.moment.day < 1
        || e.moment.day > daysInMonth(e.moment.year, e.moment.month) || e.moment.hour < 0 || e.moment.hour > 23
        || e.moment.minute < 0 || e.moment.minute > 59)
        return "記録の日時が正しくありません。";
    std::vector<int> kinds;
    for (const int k : e.kinds) {
        if (k < 0 || k > 3)
            return "盤の種類は 年 月 日 時 のいずれかです。";
        if (std::find(kinds.begin(), kinds.end(), k) == kinds.end())
            kinds.push_back(k);
    }
    if (kinds.empty())
        return "記録する盤がありません。";
    std::sort(kinds.begin(), kinds.end());
    e.kinds = kinds;
    e.moment.second = 0;
    return checkWritten(e);
}

} // namespace

// ---- Free helpers.

std::string journalMomentText(const CivilTime &m)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return buf;
}

bool isJournalDate(const std::string &text)
{
    CivilTime t;
    return text.size() == 10 && parseMomentText(text + "T00:00", t);
}

std::string journalKindsText(const std::vector<int> &kinds)
{
    std::string out;
    for (const int k : kinds)
        if (k >= 0 && k <= 3)
            out += (out.empty() ? "" : "・") + std::string(KindChar[static_cast<std::size_t>(k)]);
    return out;
}

std::string monthsAfter(const CivilTime &date, int months)
{
    const int index = date.year * 12 + (date.month - 1) + months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    const int day = std::min(date.day, daysInMonth(year, month));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::string writeJournalIcs(const std::string &path, const std::vector<DueReminder> &due, std::int64_t stamp,
                            bool writeThrough)
{
    std::vector<IcsEvent> events;
    for (const DueReminder &d : due) {
        IcsEvent ev;
        ev.kind = KindDay;
        std::sscanf(d.date.c_str(), "%d-%d-%d", &ev.start.year, &ev.start.month, &ev.start.day);
        ev.summary = "振り返り: " + (d.entry.question.empty() ? d.entry.moment : d.entry.question);
        ev.description = "記録 " + d.entry.id + "  " + d.entry.moment + "（" + journalKindsText(d.entry.kinds) + "盤）";
        ev.uid = d.entry.id + "-" + d.date + "-journal@velm";
        events.push_back(ev);
    }
    if (events.empty())
        return "書き出す振り返りがありません。";
    IcsOptions options;
    options.title = "振り返り";
    return writeIcsFile(path, events, options, stamp, writeThrough ? SpecialTarget::WriteThrough : SpecialTarget::Refuse);
}

std::string fileSha256(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    sha256_ctx ctx;
    sha256_init(&ctx);
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0)
        sha256_update(&ctx, static_cast<std::size_t>(in.gcount()), reinterpret_cast<const std::uint8_t *>(buf));
    if (in.bad())
        return {};
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&ctx, sizeof digest, digest);
    std::string out;
    char hex[3];
    for (const std::uint8_t b : digest) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        out += hex;
    }
    return out;
}

std::string journalEntryJson(const JournalEntry &e)
{
    std::vector<int> kinds = e.kinds;
    std::string kindArray = "[";
    for (std::size_t i = 0; i < kinds.size(); ++i)
        kindArray += (i ? "," : "") + std::to_string(kinds[i]);
    kindArray += "]";
    std::string outcomes = "[";
    for (std::size_t i = 0; i < e.outcomes.size(); ++i)
        outcomes += std::string(i ? "," : "") + "{\"date\":" + jsonString(e.outcomes[i].date)
            + ",\"text\":" + jsonString(e.outcomes[i].text) + "}";
    outcomes += "]";
    std::string reminders = "[";
    for (std::size_t i = 0; i < e.reminders.size(); ++i)
        reminders += std::string(i ? "," : "") + "{\"date\":" + jsonString(e.reminders[i].date)
            + ",\"done\":" + (e.reminders[i].done ? "true" : "false") + "}";
    reminders += "]";
    return "{\"id\":" + jsonString(e.id) + ",\"created\":" + jsonString(e.created)
        + ",\"moment\":" + jsonString(journalMomentText(e.moment)) + ",\"kind\":" + kindArray
        + ",\"options\":" + optionsJson(e.options, e.method) + ",\"program\":" + jsonString(e.program)
        + ",\"tzdata\":" + jsonString(e.tzdata) + ",\"numbersSha256\":" + jsonString(e.numbersHash)
        + ",\"mattersSha256\":" + jsonString(e.mattersHash) + ",\"question\":" + jsonString(e.question)
        + ",\"matter\":" + jsonString(e.matter) + ",\"direction\":" + jsonString(e.direction)
        + ",\"place\":" + jsonString(e.place) + ",\"people\":" + textArray(e.people)
        + ",\"note\":" + jsonString(e.note) + ",\"outcomes\":" + outcomes + ",\"tags\":" + textArray(e.tags)
        + ",\"reminders\":" + reminders + ",\"charts\":" + chartsJson(e.charts) + "}";
}

std::optional<JournalReading> readJournalMoment(const JournalEntry &entry, std::string &error)
{
    KoyomiOptions options = entry.options;
    options.clock.readOffset.reset();
    if (options.clock.solarTime == SolarTime::True)
        options.clock.equationTable = newEquationOfTimeTable();
    const ClockReading reading = readClock(entry.moment, options);
    if (!reading.ok()) {
        switch (reading.outcome) {
        case ClockReading::Outcome::UnknownZone:
            error = "記録のタイムゾーン「" + options.clock.zone + "」がこのコンピュータのタイムゾーンのデータベースにありません。";
            break;
        case ClockReading::Outcome::BeyondPrecise:
            error = "記録の日時は精密な節気の計算の範囲を外れます。";
            break;
        default:
            error = "記録の日時 " + journalMomentText(entry.moment) + " をその設定の時計で読めません。";
        }
        return std::nullopt;
    }
    return JournalReading{reading.calendar, reading.options};
}

RecordedChart recordedChart(const LaidChart &laid)
{
    RecordedChart chart;
    chart.kind = laid.chart.BanShu;
    if (laid.scores)
        for (std::size_t r = 0; r < 9; ++r)
            chart.BanSuu[r] = laid.scores->BanSuu[r];
    for (int s = 0; s < 5; ++s)
        for (int p = 0; p < 9; ++p)
            chart.Kaku[static_cast<std::size_t>(s)][static_cast<std::size_t>(p)] = laid.chart.kaku(s, p);
    return chart;
}

std::string recordJournalCharts(JournalEntry &entry, const NumberTables &tables, const std::string &numbersPath,
                                const std::string &mattersPath, const std::string &program)
{
    if (const std::string bad = checkEntry(entry); !bad.empty())
        return bad;
    std::string error;
    const std::optional<JournalReading> reading = readJournalMoment(entry, error);
    if (!reading)
        return error;
    entry.charts.clear();
    for (const int kind : entry.kinds) {
        entry.charts.push_back(recordedChart(layChart(reading->calendar, kind, reading->options, entry.method, &tables)));
    }
    entry.numbersHash = fileSha256(numbersPath);
    entry.mattersHash = fileSha256(mattersPath);
    entry.program = program;
    entry.tzdata = entry.options.clock.zone.empty() ? std::string() : tzDatabaseVersion();
    return {};
}

// ---- The journal.

Journal::Journal(std::unique_ptr<PlaceBook> book) : m_book(std::move(book)) {}
Journal::~Journal() = default;

const std::string &Journal::path() const
{
    return m_book->path();
}

std::unique_ptr<Journal> Journal::open(const std::string &path, std::string &error)
{
    std::unique_ptr<PlaceBook> book = PlaceBook::open(path, error);
    if (!book)
        return nullptr;
    return std::unique_ptr<Journal>(new Journal(std::move(book)));
}

std::string Journal::add(JournalEntry &entry)
{
    if (const std::string bad = checkEntry(entry); !bad.empty())
        return bad;
    if (entry.created.empty())
        entry.created = nowUtc();
    const bool givenId = !entry.id.empty();
    if (givenId && !goodId(entry.id))
        return "記録の id が正しくありません: " + entry.id;
    sqlite3 *db = m_book->handle();
    return transaction(db, path(), Writing, [&]() -> std::string {
        // A new id meets one already there once in sixteen million adds of
        // the same second: a new draw then.
        for (int attempt = 0;; ++attempt) {
            if (!givenId)
                entry.id = newId(entry.created);
            exec(db, "SAVEPOINT entry");
            const int code = insertEntry(db, entry);
            if (code == SQLITE_OK) {
                exec(db, "RELEASE entry");
                return {};
            }
            std::string message = (code & 0xff) == SQLITE_CONSTRAINT ? "記録 " + entry.id + " はもうあります。"
                                                                      : failure(db, code, path(), Writing);
            exec(db, "ROLLBACK TO entry");
            exec(db, "RELEASE entry");
            if ((code & 0xff) != SQLITE_CONSTRAINT || givenId || attempt >= 3)
                return message;
        }
    });
}

std::optional<JournalEntry> Journal::find(const std::string &id, std::string &error) const
{
    std::int64_t row = 0;
    std::optional<JournalEntry> e = readEntry(m_book->handle(), path(), id, row, error);
    if (!e && error.empty())
        error = "記録 " + id + " はありません。";
    return e;
}

std::int64_t Journal::count(std::string &error) const
{
    int code = 0;
    const std::optional<std::int64_t> n = queryInt(m_book->handle(), "SELECT count(*) FROM journal", code);
    if (!n)
        error = failure(m_book->handle(), code, path(), Reading);
    return n.value_or(0);
}

std::vector<JournalSummary> Journal::list(const JournalFilter &f, std::string &error) const
{
    std::vector<std::string> conditions;
    std::vector<std::string> values;
    const auto bind = [&](const std::string &condition, const std::string &value) {
        values.push_back(value);
        std::string c = condition;
        for (std::size_t at; (at = c.find("?#")) != std::string::npos;)
            c.replace(at, 2, "?" + std::to_string(values.size()));
        conditions.push_back(c);
    };
    for (const std::string &word : searchWords(f.text)) {
        const std::size_t length = codePoints(word).size();
        if (length >= 3)
            bind("j.id IN (SELECT rowid FROM journal_text WHERE journal_text MATCH ?#)", phrase(word));
        else if (length == 2)
            bind("j.id IN (SELECT rowid FROM journal_pairs WHERE journal_pairs MATCH ?#)", phrase(pairsOf(word)));
        else
            bind("j.id IN (SELECT rowid FROM journal_text WHERE body LIKE ?# ESCAPE '\\')", likePattern(word));
    }
    if (!f.from.empty())
        bind("j.moment >= ?#", f.from);
    if (!f.to.empty())
        bind("j.moment < ?#", f.to + "U"); // after every time of that day
    if (!f.matter.empty())
        bind("j.matter = ?#", f.matter);
    if (!f.direction.empty())
        bind("j.direction = ?#", f.direction);
    if (!f.place.empty())
        bind("j.place = ?#", f.place);
    if (!f.person.empty())
        bind("j.id IN (SELECT entry FROM journal_people WHERE name = ?#)", f.person);
    if (!f.tag.empty())
        bind("j.id IN (SELECT entry FROM journal_tags WHERE tag = ?#)", f.tag);
    if (!f.ids.empty()) {
        std::string in;
        for (const std::string &id : f.ids) {
            values.push_back(id);
            in += (in.empty() ? "?" : ", ?") + std::to_string(values.size());
        }
        conditions.push_back("j.uid IN (" + in + ")");
    }
    std::string sql = std::string(SummaryColumns) + " FROM journal j ";
    for (std::size_t i = 0; i < conditions.size(); ++i)
        sql += (i ? " AND " : "WHERE ") + conditions[i];
    sql += " ORDER BY j.moment DESC, j.id DESC";
    if (f.limit > 0)
        sql += " LIMIT " + std::to_string(f.limit);
    std::vector<JournalSummary> out;
    Statement s(m_book->handle(), sql);
    for (std::size_t i = 0; i < values.size(); ++i)
        s.bind(static_cast<int>(i + 1), values[i]);
    int code;
    while ((code = s.step()) == SQLITE_ROW)
        out.push_back(readSummary(s));
    if (code != SQLITE_DONE) {
        error = failure(m_book->handle(), code, path(), Reading);
        out.clear();
    }
    return out;
}

std::string Journal::update(const JournalEntry &given)
{
    if (const std::string bad = checkWritten(given); !bad.empty())
        return bad;
    sqlite3 *db = m_book->handle();
    return transaction(db, path(), Writing, [&]() -> std::string {
        int code = 0;
        const std::int64_t row = rowOf(db, given.id, code);
        if (code != SQLITE_OK)
            return code == SQLITE_DONE ? "記録 " + given.id + " はありません。" : failure(db, code, path(), Writing);
        Statement s(db, "UPDATE journal SET question = ?2, matter = ?3, direction = ?4, place = ?5, note = ?6"
                        " WHERE id = ?1");
        s.bind(1, row);
        s.bind(2, given.question);
        s.bind(3, given.matter);
        s.bind(4, given.direction);
        s.bind(5, given.place);
        s.bind(6, given.note);
        if ((code = s.step()) != SQLITE_DONE || (code = writeLists(db, row, given)) != SQLITE_OK)
            return failure(db, code, path(), Writing);
        return {};
    });
}

std::string Journal::addOutcome(const std::string &id, const JournalOutcome &outcome)
{
    std::string error;
    std::optional<JournalEntry> e = find(id, error);
    if (!e)
        return error;
    e->outcomes.push_back(outcome);
    return update(*e);
}

std::string Journal::addReminder(const std::string &id, const std::string &date)
{
    std::string error;
    std::optional<JournalEntry> e = find(id, error);
    if (!e)
        return error;
    if (std::none_of(e->reminders.begin(), e->reminders.end(), [&](const JournalReminder &r) { return r.date == date; }))
        e->reminders.push_back({date, false});
    return update(*e);
}

std::string Journal::setReminderDone(const std::string &id, const std::string &date, bool done)
{
    sqlite3 *db = m_book->handle();
    return transaction(db, path(), Writing, [&]() -> std::string {
        Statement s(db, "UPDATE journal_reminders SET done = ?3"
                        " WHERE entry = (SELECT id FROM journal WHERE uid = ?1) AND date = ?2");
        s.bind(1, id);
        s.bind(2, date);
        s.bind(3, static_cast<std::int64_t>(done ? 1 : 0));
        if (const int code = s.step(); code != SQLITE_DONE)
            return failure(db, code, path(), Writing);
        return sqlite3_changes(db) == 0 ? "記録 " + id + " に " + date + " の振り返りはありません。" : std::string();
    });
}

std::string Journal::remove(const std::string &id)
{
    sqlite3 *db = m_book->handle();
    return transaction(db, path(), Writing, [&]() -> std::string {
        int code = 0;
        const std::int64_t row = rowOf(db, id, code);
        if (code != SQLITE_OK)
            return code == SQLITE_DONE ? "記録 " + id + " はありません。" : failure(db, code, path(), Writing);
        for (const char *sql : {"DELETE FROM journal_people WHERE entry = ?1", "DELETE FROM journal_tags WHERE entry = ?1",
                                "DELETE FROM journal_outcomes WHERE entry = ?1",
                                "DELETE FROM journal_reminders WHERE entry = ?1",
                                "DELETE FROM journal_text WHERE rowid = ?1", "DELETE FROM journal_pairs WHERE rowid = ?1",
                                "DELETE FROM journal WHERE id = ?1"}) {
            Statement s(db, sql);
            s.bind(1, row);
            if ((code = s.step()) != SQLITE_DONE)
                return failure(db, code, path(), Writing);
        }
        return {};
    });
}

std::vector<DueReminder> Journal::due(const std::string &today, std::string &error) const
{
    const std::string withDate = std::string(SummaryColumns)
        + ", r.date FROM journal j JOIN journal_reminders r ON r.entry = j.id"
          " WHERE r.done = 0 AND r.date <= ?1 ORDER BY r.date, j.moment";
    std::vector<DueReminder> out;
    Statement s(m_book->handle(), withDate);
    s.bind(1, today);
    int code;
    while ((code = s.step()) == SQLITE_ROW)
        out.push_back({s.text(10), readSummary(s)});
    if (code != SQLITE_DONE) {
        error = failure(m_book->handle(), code, path(), Reading);
        out.clear();
    }
    return out;
}

std::string Journal::exportJson(const JournalFilter &filter, std::string &json) const
{
    std::string error;
    std::vector<JournalSummary> rows = list(filter, error);
    if (!error.empty())
        return error;
    // Oldest first, as a journal reads.
    std::reverse(rows.begin(), rows.end());
    json = "{\"format\":\"velm-journal\",\"version\":" + std::to_string(JournalFormatVersion) + ",\"entries\":[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::optional<JournalEntry> e = find(rows[i].id, error);
        if (!e)
            return error;
        json += (i ? ",\n" : "\n") + journalEntryJson(*e);
    }
    json += "\n]}\n";
    return {};
}

JournalImport Journal::importJson(const std::string &json)
{
    JournalImport result;
    sqlite3 *db = m_book->handle();
    const JsonRow head(db, json, {"$.format", "$.version", "$.entries"});
    if (!head.ok() || head.type(0) != "text" || head.text(0) != "velm-journal" || head.type(2) != "array") {
        result.error = "記録の書き出しファイル (format \"velm-journal\") ではありません。";
        return result;
    }
    if (head.type(1) != "integer" || head.integer(1) < 1 || head.integer(1) > JournalFormatVersion) {
        result.error = "このプログラムの読めない版の書き出しファイルです (version " + head.text(1) + ")。";
        return result;
    }
    std::vector<std::string> types;
    const std::optional<std::vector<std::string>> items = jsonItems(db, json, "$.entries", &types);
    if (!items) {
        result.error = "記録の書き出しファイルが読めません。";
        return result;
    }
    // Every entry is read and checked before anything is written.
    std::vector<JournalEntry> entries;
    for (std::size_t i = 0; i < items->size(); ++i) {
        const std::string &item = (*items)[i];
        const std::string where = std::to_string(i + 1) + " 番目の記録: ";
        const JsonRow row(db, item,
                          {"$.id", "$.created", "$.moment", "$.options", "$.program", "$.tzdata", "$.numbersSha256",
                           "$.mattersSha256", "$.question", "$.matter", "$.direction", "$.place", "$.note", "$.charts"});
        if (types[i] != "object" || !row.ok()) {
            result.error = where + "オブジェクトではありません。";
            return result;
        }
        JournalEntry e;
        e.id = row.text(0);
        if (row.type(0) != "text" || !goodId(e.id)) {
            result.error = where + "id がありません。";
            return result;
        }
        if (row.type(2) != "text" || !parseMomentText(row.text(2), e.moment)) {
            result.error = where + "moment は YYYY-MM-DDTHH:MM の形で指定して下さい: " + row.text(2);
            return result;
        }
        std::string bad;
        if (row.type(3) != "object" || !optionsFrom(db, row.text(3), e.options, e.method, bad)) {
            result.error = where + (bad.empty() ? "options がありません。" : bad);
            return result;
        }
        if (row.type(13) == "array" && !chartsFrom(db, row.text(13), e.charts, bad)) {
            result.error = where + bad;
            return result;
        }
        e.created = row.type(1) == "text" ? row.text(1) : std::string();
        std::string *texts[] = {&e.program, &e.tzdata, &e.numbersHash, &e.mattersHash, &e.question,
                                &e.matter,  &e.direction, &e.place, &e.note};
        for (int k = 0; k < 9; ++k)
            if (row.type(4 + k) == "text")
                *texts[k] = row.text(4 + k);
        std::vector<std::string> kindTypes;
        const auto kinds = jsonItems(db, item, "$.kind", &kindTypes);
        e.kinds.clear();
        for (std::size_t k = 0; kinds && k < kinds->size(); ++k)
            e.kinds.push_back(kindTypes[k] == "integer" ? std::stoi((*kinds)[k]) : -1);
        if (const auto people = jsonItems(db, item, "$.people"))
            e.people = *people;
        if (const auto tags = jsonItems(db, item, "$.tags"))
            e.tags = *tags;
        const auto dated = [&](const char *path, auto &into, const char *second) {
            const auto list = jsonItems(db, item, path);
            for (std::size_t k = 0; list && k < list->size(); ++k) {
                const JsonRow r(db, (*list)[k], {"$.date", std::string("$.") + second});
                using Item = typename std::remove_reference_t<decltype(into)>::value_type;
                Item value{};
                value.date = r.text(0);
                if constexpr (std::is_same_v<Item, JournalOutcome>)
                    value.text = r.text(1);
                else
                    value.done = r.type(1) == "true";
                into.push_back(value);
            }
        };
        dated("$.outcomes", e.outcomes, "text");
        dated("$.reminders", e.reminders, "done");
        if (e.charts.empty() && e.kinds.empty())
            e.kinds = {3};
        if (const std::string wrong = checkEntry(e); !wrong.empty()) {
            result.error = where + wrong;
            return result;
        }
        if (e.created.empty())
            e.created = nowUtc();
        entries.push_back(std::move(e));
    }
    int added = 0, skipped = 0;
    result.error = transaction(db, path(), Writing, [&]() -> std::string {
        for (const JournalEntry &e : entries) {
            int code = 0;
            rowOf(db, e.id, code);
            if (code == SQLITE_OK) {
                ++skipped;
                continue;
            }
            if (code != SQLITE_DONE || (code = insertEntry(db, e)) != SQLITE_OK)
                return failure(db, code, path(), Writing);
            ++added;
        }
        return {};
    });
    if (result.error.empty()) {
        result.added = added;
        result.skipped = skipped;
    }
    return result;
}

} // namespace velm
