#pragma once

// The practitioner's places (home base and destinations), kept in one SQLite
// file "VELM.db" in the data folder, where later the people and the journal
// go too. The file carries its schema version (PRAGMA user_version) and is
// brought forward one numbered step at a time inside one transaction, so a
// step that fails leaves the file as it was. A file that is not a database,
// is damaged, or was written by a newer program is refused with a message and
// never written to.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace velm {

inline constexpr const char *PlaceBookFile = "VELM.db";

struct Place {
    std::int64_t id = 0;
    std::string name;
    double lat = 0; // WGS84 degrees, north positive
    double lon = 0; // east positive, -180..180
    std::string note;
    bool home = false; // the home base "基点"
};

class PlaceBook {
public:
    // Opens (creating it when missing) and migrates the book at `path`.
    // Empty pointer with the message in `error` when it cannot be used.
    static std::unique_ptr<PlaceBook> open(const std::string &path, std::string &error);
    ~PlaceBook();
    PlaceBook(const PlaceBook &) = delete;
    PlaceBook &operator=(const PlaceBook &) = delete;

    // The schema version this program writes.
    static int currentVersion();
    int version() const;

    // Places in name order; an empty list and the message on a read failure.
    std::vector<Place> places(std::string &error) const;
    std::optional<Place> find(const std::string &name, std::string &error) const;
    std::optional<Place> home(std::string &error) const;

    // Each change is one transaction; empty text on success, else the message.
    // add refuses an empty or taken name and coordinates out of range; a
    // place added with home set becomes the only home.
    std::string add(const Place &place);
    std::string remove(const std::string &name);
    std::string setHome(const std::string &name);
    // Renames a place and replaces its note; its coordinates and home mark stay.
    std::string edit(const std::string &name, const std::string &newName, const std::string &note);

    const std::string &path() const { return m_path; }
    sqlite3 *handle() const { return m_db; }

private:
    PlaceBook(sqlite3 *db, std::string path);

    sqlite3 *m_db;
    std::string m_path;
};

// Copies a SQLite database consistently with the online-backup API, even
// while another connection writes it: `to` is replaced as one transaction
// (its own journal keeps it whole). Empty text on success, else the message.
std::string copyDatabase(const std::string &from, const std::string &to);

// Whether a file begins as a SQLite database does.
bool looksLikeDatabase(const std::string &path);

} // namespace velm
