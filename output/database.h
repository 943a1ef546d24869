#pragma once

// What every table of "VELM.db" is read and written with: prepared
// statements finalized on every path, changes as one transaction, and the
// program's messages for a busy, damaged or failing file. Included by the
// output layer's database sources only (it brings in sqlite3.h).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <sqlite3.h>

namespace velm::database {

// How long a change waits for another program's write to end.
inline constexpr int BusyMilliseconds = 3000;

inline std::string quoted(const std::string &path)
{
    return "「" + path + "」";
}

inline bool isBusy(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

inline bool isDamaged(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

inline std::string damagedMessage(const std::string &path)
{
    return quoted(path) + "はデータベースとして読めません（壊れているか、別の種類のファイルです）。"
                          "ファイルには手を付けていません。";
}

inline std::string busyMessage(const std::string &path)
{
    return quoted(path) + "は他のプログラムが使用中です。しばらくしてからやり直して下さい。";
}

// The message for a failed call on `db`, by its kind.
inline std::string failure(sqlite3 *db, int code, const std::string &path, const std::string &doing)
{
    if (isBusy(code))
        return busyMessage(path);
    if (isDamaged(code))
        return damagedMessage(path);
    return quoted(path) + "を" + doing + "できません: " + sqlite3_errmsg(db);
}

// A prepared statement, finalized on every path out.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql) { m_code = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    Statement(sqlite3 *db, const std::string &sql) : Statement(db, sql.c_str()) {}
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    int prepared() const { return m_code; }
    sqlite3_stmt *get() const { return m_stmt; }
    void bind(int i, const std::string &text)
    {
        sqlite3_bind_text(m_stmt, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void bind(int i, double v) { sqlite3_bind_double(m_stmt, i, v); }
    void bind(int i, std::int64_t v) { sqlite3_bind_int64(m_stmt, i, v); }
    // The first step, or the preparation's failure.
    int step() { return m_code == SQLITE_OK ? sqlite3_step(m_stmt) : m_code; }
    int reset() { return sqlite3_reset(m_stmt); }
    std::string text(int column) const
    {
        const unsigned char *t = sqlite3_column_text(m_stmt, column);
        return t ? std::string(reinterpret_cast<const char *>(t), static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                 : std::string();
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    double real(int column) const { return sqlite3_column_double(m_stmt, column); }
    bool isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_code;
};

inline int exec(sqlite3 *db, const std::string &sql)
{
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// One integer from a query (a pragma); nullopt and the code on failure.
inline std::optional<std::int64_t> queryInt(sqlite3 *db, const char *sql, int &code)
{
    Statement s(db, sql);
    if ((code = s.prepared()) != SQLITE_OK)
        return std::nullopt;
    code = s.step();
    if (code != SQLITE_ROW)
        return std::nullopt;
    code = SQLITE_OK;
    return sqlite3_column_int64(s.get(), 0);
}

// Runs `body` inside BEGIN IMMEDIATE … COMMIT, rolled back when it fails.
inline std::string transaction(sqlite3 *db, const std::string &path, const std::string &doing,
                               const std::function<std::string()> &body)
{
    int code = exec(db, "BEGIN IMMEDIATE");
    if (code != SQLITE_OK)
        return failure(db, code, path, doing);
    std::string error = body();
    if (error.empty() && (code = exec(db, "COMMIT")) != SQLITE_OK)
        error = failure(db, code, path, doing);
    if (!error.empty())
        exec(db, "ROLLBACK");
    return error;
}

} // namespace velm::database
