#pragma once

// Divination matters (占事): a named condition table on a chart, and the two
// files that keep them, "Senji.Dat" (the conditions) and "Senji.Idx" (the
// order of the matter list).
//
// A matter is 10 groups x 5 rows of conditions. Rows within a group must all
// hold; the groups are alternatives; a group whose first row is empty is
// never used. A condition is three cells (element, operator, target), each
// kept twice: the text the editor shows and the code the search reads.
//
// "Senji.Dat" holds three lines per matter: the name, the 150 display texts
// and the 150 codes, column by column (column 1..30, rows 1..5 within), every
// cell followed by one comma. The file is read afresh for every operation and
// written whole; records the operation does not touch are written back exactly
// as they were read.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/constdata.h"

namespace velm {

inline constexpr int MatterGroupCount = 10;
inline constexpr int MatterRowCount = 5;
inline constexpr int MatterColumnCount = 3 * MatterGroupCount; // grid columns 1..30
inline constexpr int MatterCellCount = MatterColumnCount * MatterRowCount;

// Element codes of a condition. 数値 (the palace's total score) comes in
// front of the scoring elements, so element e >= 1 is scoring row e - 1.
enum MatterElement : int {
    ElemSuuchi = 0,   // 数値: the total score
    ElemTenBan = 1,   // 天盤
    ElemChiBan = 2,   // 地盤
    ElemTenChiKan = 3, // 天地干
    ElemMon = 4,      // 八門
    ElemSei = 5,      // 九星
    ElemShin = 6,     // 八神
    ElemShiHaku = 7,  // 紫白
    ElemKaku = 8,     // 格局
    MatterElementCount = 9
};

inline constexpr std::array<std::string_view, MatterElementCount> MatterElementName{
    "数値", "天盤", "地盤", "天地干", "八門", "九星", "八神", "紫白", "格局"};

// The three operators the editor knows; each element offers two of them.
inline constexpr std::string_view OpEqual = "＝";
inline constexpr std::string_view OpNotEqual = "<>";
inline constexpr std::string_view OpAtLeast = ">=";

// Item 0 of every target list: the number condition ("the element's number
// in the palace is at least N").
inline constexpr std::string_view NumberTargetName = "数値";

// Cells of a condition within its group.
enum MatterCell : int { CellElement = 0, CellOperator = 1, CellTarget = 2 };

struct Matter {
    std::string name;
    std::array<std::string, MatterCellCount> texts{}; // what the editor shows
    std::array<std::string, MatterCellCount> codes{}; // what the search reads

    // Position in file order of the cell of group 0..9, cell 0..2, row 0..4.
    static constexpr int cellIndex(int group, int cell, int row)
    {
        return (3 * group + cell) * MatterRowCount + row;
    }
    const std::string &text(int group, int cell, int row) const
    {
        return texts[static_cast<std::size_t>(cellIndex(group, cell, row))];
    }
    const std::string &code(int group, int cell, int row) const
    {
        return codes[static_cast<std::size_t>(cellIndex(group, cell, row))];
    }
    std::string &text(int group, int cell, int row)
    {
        return texts[static_cast<std::size_t>(cellIndex(group, cell, row))];
    }
    std::string &code(int group, int cell, int row)
    {
        return codes[static_cast<std::size_t>(cellIndex(group, cell, row))];
    }

    // The two value lines of the file.
    std::string textLine() const;
    std::string codeLine() const;
    // Splits value lines: the text up to each comma; cells past the last
    // comma are empty, fields past the 150th are ignored.
    static Matter fromLines(std::string name, std::string_view textLine, std::string_view codeLine);

    friend bool operator==(const Matter &, const Matter &) = default;
};

// Matter names compare without regard to letter case (ASCII, full-width
// Latin, Greek and Cyrillic, the cased letters of Shift-JIS).
bool sameMatterName(std::string_view a, std::string_view b);

// ---- The editor's lists, shared with the search --------------------------

// Operators offered for an element: "＝" "<>" for elements 1..8, "＝" ">="
// for 数値. The operator code of a condition is its index in this list.
std::span<const std::string_view> operatorList(int element);

// Targets offered for an element; item 0 is "数値" and the item index is the
// target code. 数値 itself offers only item 0. Names come from the start-up
// tables because stars, deities and patterns may hold special characters.
std::vector<std::string> targetList(int element, const ConstData &names);

// The highest target code an element offers (its target list without
// "数値"); 0 for 数値 itself and for codes outside 0..8.
constexpr int lastTargetCode(int element)
{
    constexpr std::array<int, MatterElementCount> last{0, 10, 10, 100, 8, 9, 8, 9, 59};
    return element >= 0 && element < MatterElementCount ? last[static_cast<std::size_t>(element)] : 0;
}

// The number edit is used exactly for 数値 or the target "数値".
inline bool isNumberCondition(int element, int target)
{
    return element == ElemSuuchi || target == 0;
}

// A threshold as typed: blanks trimmed, full-width digits and signs made
// half-width. Empty when it is not a decimal number ("50", "-5", "12.5").
std::optional<std::string> normalizeThreshold(std::string_view typed);
std::optional<double> parseThreshold(std::string_view text);

// ---- Editing a condition table -------------------------------------------

struct ConditionInput {
    int element = ElemSuuchi;
    int operatorIndex = 0; // index in operatorList(element)
    int target = 0;        // index in targetList(element)
    std::string number = "0"; // the threshold, for number conditions
};

struct EditResult {
    bool ok = false;
    int row = -1;        // row 0..4 that received the condition
    std::string message; // for the user when not ok
};

// Puts the condition into the first empty row of group 0..9. A full group
// gives "これ以上追加できません"; a threshold that is not a number is refused
// (it could never be evaluated) and a normalised one is stored.
EditResult addCondition(Matter &matter, int group, const ConditionInput &input, const ConstData &names);

// The editing boxes for a selected row, from its codes; empty when the row
// has no readable element code.
std::optional<ConditionInput> conditionAt(const Matter &matter, int group, int row);

// True when the row holds a condition (its element text is set).
bool hasCondition(const Matter &matter, int group, int row);

// Removes row 0..4 of a group: later rows move up, the last becomes empty.
void deleteCondition(Matter &matter, int group, int row);

// Empties every cell of both tables; the name stays.
void clearConditions(Matter &matter);

// ---- "Senji.Dat" -----------------------------------------------------------

struct MatterRecord {
    std::string name;
    std::string textLine; // kept as read, so untouched records write back unchanged
    std::string codeLine;
    int line = 0;         // 1-based line of the name in the file; 0 when added

    Matter matter() const { return Matter::fromLines(name, textLine, codeLine); }
};

struct MattersFile {
    enum class Status {
        Ok,          // warnings may still tell of a short last matter or long lines
        Missing,
        Unreadable,
        BadEncoding, // not Shift-JIS text
        Malformed    // lines out of their places: the file must not be rewritten
    };
    Status status = Status::Ok;
    std::vector<MatterRecord> records;
    std::string error;                 // names the file and line; empty when Ok
    std::vector<std::string> warnings; // for the user; the file is still usable

    bool ok() const { return status == Status::Ok; }

    // Position of the first matter of that name (letter case ignored), or -1.
    int indexOf(std::string_view name) const;
    std::optional<Matter> find(std::string_view name) const;
    // Replaces the matter of that name in place (its name takes the new
    // spelling) or appends it. True when it replaced one.
    bool saveOrReplace(const Matter &matter);
    // Removes the first matter of that name; false when there is none.
    bool remove(std::string_view name);

    std::vector<std::string> lines() const;
};

MattersFile readMattersFile(const std::string &path);

// Writes the file atomically (CP932, CR LF). Refuses a file that was not read
// cleanly, and texts that would not read back as written (a comma or a line
// break inside a cell, a line break in a name, a character Shift-JIS lacks).
// Returns an empty text on success, else a message naming the file.
std::string writeMattersFile(const std::string &path, const MattersFile &file);

// ---- "Senji.Idx": the matter list ------------------------------------------

struct MatterList {
    std::vector<std::string> names;
    // The file exists but could not be read: the list is a stand-in and must
    // never be written over it.
    bool readFailed = false;

    int indexOf(std::string_view name) const; // letter case ignored; -1 if absent
};

struct MatterListLoad {
    MatterList list;
    std::string message; // for the user; empty when read cleanly
};

// A missing file gives "『Senji.Idx』が、見つかりません。" and the one item
// "不問", as the editor starts without it. Empty lines are skipped.
MatterListLoad readMatterList(const std::string &path);

std::string writeMatterList(const std::string &path, const MatterList &list);

// Names in "Senji.Dat" that the list does not show, in file order, so that the
// editor can offer them instead of leaving them unreachable.
std::vector<std::string> unlistedMatters(const MatterList &list, const MattersFile &file);

// ---- The editor's file operations ------------------------------------------

struct MatterLoad {
    std::optional<Matter> matter; // empty when the file failed or has no such matter
    std::string message;          // why there is no matter
    std::vector<std::string> warnings;
};

// Reads the matter of that name from "Senji.Dat".
MatterLoad readMatter(const std::string &datPath, std::string_view name);

struct MatterSave {
    bool ok = false;
    bool added = false;  // a new name, now the first item of the list
    std::string message;
};

// Saves the matter: replaces its three lines in place or appends them, writes
// the file whole, and puts a new name at the top of the list. Nothing is
// written when the name is empty ("占事名を指定して下さい。") or unusable, or
// when the file is missing or cannot be read cleanly.
MatterSave saveMatter(const std::string &datPath, const Matter &matter, MatterList &list);

// Deletes the matter from "Senji.Dat" and its name from the list. A listed
// name that the file lacks has no conditions to lose: only the list item goes
// and the file is left as it is.
MatterSave deleteMatter(const std::string &datPath, std::string_view name, MatterList &list);

// The CSV export: per matter its name, a header of the ten groups, five rows
// "And," + the 30 display texts of that row, and an empty line. Codes are not
// exported. Replaces `csvPath` atomically.
std::string exportMattersCsv(const std::string &datPath, const std::string &csvPath);

} // namespace velm
