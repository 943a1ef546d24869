#pragma once

// The number tables of scoring and their file "SuuFile.Dat".
//
// Ten tables of text cells, kept exactly as typed (the numbers editor edits
// them as grid cells and saves them as they are), plus the 暗剣 number. A cell
// whose text is not a decimal integer is an absent value: scoring counts it as
// nothing. Cells are parsed once, when set, so scoring reads plain integers.
//
// Cell coordinates are those of the editor's grids: column and row 0 are
// captions, values sit at column 1..columns and row 1..rows. Column n of the
// palace tables is palace index n - 1.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

// In the line order of the file (and the editor's order of grids).
enum class NumberTable : int {
    PerSG = 0, // weight in percent of each element (1 column, rows 1..8)
    KanSG,     // stem 甲..癸 (rows 1..10) in palace index 0..8 (columns 1..9)
    KanLSG,    // stem pair heaven x 10 + earth, plus 1 (rows 1..100)
    HmSG,      // door 休..開 (rows 1..8); column 1, the centre, is never scored
    HmPSG,     // seasonal door addition, columns 相 旺 死 休 囚; only column 1 is used
    KsSG,      // star value 0..8 (rows 1..9); column 10 is carried, never scored
    KsPSG,     // seasonal star addition, columns 相 旺 死 休 囚
    HsSG,      // deity 直符..九天 (rows 1..8); column 1 is never scored
    KyuSG,     // flying nine-star 一白..九紫 (rows 1..9)
    KakuSG     // pattern number 1..59 (rows 1..59)
};
inline constexpr int NumberTableCount = 10;

struct NumberTableShape {
    std::string_view name; // the grid's name, also used in messages
    int columns;           // value columns, from 1
    int rows;              // value rows, from 1
    int defaultValue;      // what the editor writes into an empty cell
    int minimum;           // range the editor accepts
    int maximum;
};

inline constexpr std::array<NumberTableShape, NumberTableCount> NumberTableShapes{{
    {"PerSG", 1, 8, 100, -1000, 1000},
    {"KanSG", 9, 10, 0, -50, 50},
    {"KanLSG", 9, 100, 0, -50, 50},
    {"HmSG", 9, 8, 0, -50, 50},
    {"HmPSG", 5, 8, 0, -50, 50},
    {"KsSG", 10, 9, 0, -50, 50},
    {"KsPSG", 5, 9, 0, -50, 50},
    {"HsSG", 9, 8, 0, -50, 50},
    {"KyuSG", 9, 9, 0, -50, 50},
    {"KakuSG", 9, 59, 0, -50, 50},
}};

constexpr const NumberTableShape &shapeOf(NumberTable t)
{
    return NumberTableShapes[static_cast<std::size_t>(t)];
}

// The value cells of a table in file order: column by column, rows within.
constexpr int cellCount(NumberTable t)
{
    return shapeOf(t).columns * shapeOf(t).rows;
}

// Weights of the elements 天盤 地盤 天地盤 八門 九星 八神 紫白 格局 (PerSG rows 1..8).
inline constexpr int ElementCount = 8;

// A decimal integer: an optional sign and ASCII digits, nothing else, within
// int. Anything else ("", "1.5", " 3", "１") is absent.
std::optional<int> parseCell(std::string_view text);

class NumberTables {
public:
    // Every value cell empty (absent); the 暗剣 text "0", as the editor starts.
    NumberTables();

    // Text of a value cell; an empty text for a caption or a cell outside the table.
    const std::string &cell(NumberTable t, int column, int row) const;
    // The cell as an integer; empty for a non-integer text, a caption, or a
    // cell outside the table (a row such as star value 9 that does not exist).
    std::optional<int> value(NumberTable t, int column, int row) const
    {
        const int i = index(t, column, row);
        if (i < 0)
            return std::nullopt;
        return m_values[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)];
    }
    // Ignored outside the table.
    void setCell(NumberTable t, int column, int row, std::string text);

    // The 暗剣 number ("AnE"), kept as typed.
    const std::string &AnE() const { return m_anKenText; }
    std::optional<int> anKen() const { return m_anKen; }
    void setAnE(std::string text);

    bool operator==(const NumberTables &other) const;

private:
    // Position of a value cell in file order, -1 outside the value cells.
    static int index(NumberTable t, int column, int row)
    {
        const NumberTableShape &s = shapeOf(t);
        if (column < 1 || column > s.columns || row < 1 || row > s.rows)
            return -1;
        return (column - 1) * s.rows + (row - 1);
    }

    std::array<std::vector<std::string>, NumberTableCount> m_texts;
    std::array<std::vector<std::optional<int>>, NumberTableCount> m_values;
    std::string m_anKenText;
    std::optional<int> m_anKen;
};

// Reading "SuuFile.Dat". Line 1..10 hold the tables in NumberTable order, each
// cell followed by one comma; line 11 the 暗剣 number.
struct NumbersFile {
    enum class Status {
        Ok,          // read; warnings may still tell of short or long lines and of
                     // cells the editor would refuse (they are used as they are)
        Missing,     // no such file
        Unreadable,  // exists but cannot be read (not a regular file, too large, ...)
        BadEncoding, // not CP932 text (UTF-16, NUL bytes, ...)
        NoTables     // read, but not one table holds a single number
    };
    Status status = Status::Ok;
    // What was read. Unless Ok, every cell is empty (暗剣 "0") and the caller
    // should keep the tables it has, and must not save over the file on that account.
    NumberTables tables;
    std::vector<std::string> warnings; // per line, for the user; empty for a well-formed file
    std::string error;                 // names the file; empty when Ok

    bool ok() const { return status == Status::Ok; }
};

NumbersFile readNumbersFile(const std::string &path);

// Table lines as a file holds them (without line ends).
std::vector<std::string> numbersFileLines(const NumberTables &tables);

// Writes the file atomically (CP932, CR LF). Refuses, with the file untouched,
// cells that would not read back as the same cells (a comma or a line break in
// a text, or a character CP932 cannot hold). Returns an empty text on success,
// else a message naming the file.
std::string writeNumbersFile(const std::string &path, const NumberTables &tables);

// A cell the editor's check refuses.
struct CellFault {
    enum class Kind { NotInteger, BelowMinimum, AboveMaximum };
    NumberTable table;
    int column;
    int row;
    Kind kind;
};

// The editor's check of one table: fills empty cells with the table's default,
// then reports the first faulty cell of each column (so one column gives at
// most one fault).
std::vector<CellFault> checkTable(NumberTables &tables, NumberTable t);

// All ten tables in order, then the 暗剣 text, which must be an integer (no
// range); `anKenOk` tells that last check. True when everything passed.
struct TablesCheck {
    std::vector<CellFault> faults;
    bool anKenOk = true;
    bool ok() const { return faults.empty() && anKenOk; }
};
TablesCheck checkTables(NumberTables &tables);

} // namespace velm
