#pragma once

// The list window's model and its file ("一覧表ファイル"): rows of 15 cells
// shown by the search list, the chart-data list and (in the same format) the
// calendar's export.
//
// A list file is CP932 text with CR LF line ends:
//   line 1   SenL + "," + CntL
//   line 2   grid row 0, the captions: 15 cells, each followed by a comma
//   line 3.. grid rows 1.., the data, in the same form
// Cells are written as they are, without quoting, so a cell can hold neither
// a comma nor a line break; the writer refuses such cells rather than save a
// file that would read back differently.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/astro.h"
#include "engine/textfile.h"

namespace velm {

inline constexpr int ListColumnCount = 15;
using ListRow = std::array<std::string, ListColumnCount>;

// The columns of a row. The first four and the hidden last one mean the same
// in every list; in between, a search or calendar row holds the flag and the
// nine palaces in ring order (centre, then clockwise from the north), and a
// chart-data row the four pillars, term, ju, xun-head stem, flag, duty door
// and centre nine-star.
namespace ListCol {
enum : std::size_t {
    Kind = 0,    // 年盤 … 時盤
    Date = 1,    // yyyy/mm/dd
    Hour = 2,    // hh
    Weekday = 3, // 日 … 土
    // Search and calendar rows.
    Flag = 4,
    FirstPalace = 5, // the centre; FirstPalace + ring for the others
    // Chart-data rows.
    FirstPillar = 4, // the year pillar; FirstPillar + kind for the others
    Term = 8,
    Ju = 9,
    XunHead = 10,
    ChartFlag = 11,
    DutyDoor = 12,
    CentreStar = 13,
    // Hidden: the marked direction of a search row, the kind digit of a calendar row.
    Mark = 14,
};
} // namespace ListCol

// Captions of columns 0..3, the same in every list kind.
inline constexpr std::array<std::string_view, 4> ListFixedCaptions{"盤", "日  付", "時", "曜"};

// Two decimals, rounded half away from zero; a value that rounds to zero is
// "0.00", never "-0.00". Every score cell of a list or calendar uses it.
std::string formatScore(double value);

// "yyyy/mm/dd", "hh" and the short weekday (日 月 火 水 木 金 土) of a moment,
// as the date, hour and weekday cells hold them.
std::string formatListDate(const CivilTime &t);
std::string formatListHour(const CivilTime &t);
std::string formatListWeekday(const CivilTime &t);

struct ListModel {
    std::string SenL;          // title: " 占事「…」 方位「…」 " for a search
    std::string CntL;          // count: "3/57" for a search
    std::vector<ListRow> rows; // row 0 the captions, data rows from 1

    // A grid as the window starts: the caption row with columns 0..3 captioned.
    static ListModel fresh();
    int dataRowCount() const { return rows.empty() ? 0 : static_cast<int>(rows.size()) - 1; }
};

// The list kind, decided from the title on every activation.
enum class ListKind : int {
    Search = 0,    // SenL contains "占事"
    ChartData = 1, // SenL contains "作盤" (tested second: wins when both occur)
    Other = 2
};
ListKind listKindOf(std::string_view SenL);

// Initial column widths of the list grid in pixels: 30 by default, 55 for
// the flag column, 0 for the hidden direction column.
std::array<int, ListColumnCount> listInitialWidths();

// What the window's layout sets for its list kind. An empty optional leaves
// the caption or width as it is.
struct ListLayout {
    ListKind kind = ListKind::Other;
    std::string caption; // window caption: "検索一覧表", "作盤データ一覧表" or empty
    std::array<std::optional<std::string>, ListColumnCount> captions{};
    std::array<int, ListColumnCount> widths{};
    std::optional<int> targetWidth; // sum of widths + 42, for kinds 0 and 1
};

// Search lists get 55-pixel palace columns when a cell of columns 4..13 is 8
// CP932 bytes or longer, else 40.
ListLayout listLayout(const ListModel &model, const std::array<int, ListColumnCount> &currentWidths);
// The same for a list some of whose rows are not in `model` yet:
// `wideRowsBeyond` says whether one of those has a cell that widens the
// search list's palace columns (listCellWide).
ListLayout listLayout(const ListModel &model, const std::array<int, ListColumnCount> &currentWidths,
                      bool wideRowsBeyond);
// A cell 8 or more CP932 bytes wide, which widens them.
bool listCellWide(std::string_view cell);

// Writes the layout's captions into row 0 (creating it when missing).
void applyListCaptions(ListModel &model, const ListLayout &layout);

// The column marked yellow in a row: 5 + KyuToRing[d mod 9] for the reported
// direction d in column 14 (9, a chosen direction, marks the centre). None
// when column 14 is empty or not a non-negative integer.
std::optional<int> markedColumn(const ListRow &row);

// Removes data row `row` (1..); the caption row and rows out of range are
// left alone. True when a row was removed. CntL is not changed.
bool deleteListRow(ListModel &model, int row);

// The chart a row asks for: the kind from the first character of column 0,
// the date of column 1 and the hour of column 2 (minutes 0).
struct RowMoment {
    int kind = 9;                  // 0..3, or 9: not a chart row (nothing to do)
    std::optional<CivilTime> moment;
    std::string error;             // set when kind is 0..3 but the date or hour is unreadable

    bool ok() const { return kind >= 0 && kind <= 3 && moment.has_value(); }
};
RowMoment rowMoment(const ListRow &row);

// A date cell ("yyyy/mm/dd"; one-digit month and day accepted) and an hour
// cell ("hh", 0..23) as one moment at minute 0. Empty when either is unreadable.
std::optional<CivilTime> listCellMoment(std::string_view date, std::string_view hour);

// The question asked when the row's kind is not checked in the main window.
std::string uncheckedKindQuestion(std::string_view kindCell);

// Why the title line, or grid row r, cannot be written as it is (a line
// break anywhere, a comma in CntL or in a cell), naming the file and the
// row and column; empty when it can.
std::string listTitleFault(const std::string &path, std::string_view SenL, std::string_view CntL);
std::string listRowFault(const std::string &path, std::size_t r, const ListRow &row);
// "『path』のN行目に、S-JISで書けない文字があります。"
std::string listEncodingFault(const std::string &path, std::size_t lineNo);

// The file's lines (without line ends).
std::vector<std::string> listFileLines(const ListModel &model);

// Writes the list atomically (CP932, CR LF). Refuses, with the file
// untouched, texts that would not read back as written: a line break
// anywhere, a comma in CntL or in a cell, a character CP932 cannot hold.
// Returns an empty text on success, else a message naming the file.
// The command line passes SpecialTarget::WriteThrough (--out /dev/stdout).
std::string writeListFile(const std::string &path, const ListModel &model,
                          SpecialTarget special = SpecialTarget::Refuse);

// The same file for a list too long to hold in memory: the title, the caption
// row, then the data rows that `produce` hands to its sink one by one, the
// bytes exactly those of writeListFile. The sink returns false once the file
// has failed (produce should stop then); produce returns an empty text, or a
// message that abandons the file. Atomic: on any failure the old file stays.
using ListRowSink = std::function<bool(const ListRow &row)>;
using ListRowProducer = std::function<std::string(const ListRowSink &add)>;
std::string writeListFileStream(const std::string &path, std::string_view SenL, std::string_view CntL,
                                const ListRow &captions, const ListRowProducer &produce,
                                SpecialTarget special = SpecialTarget::Refuse);

struct ListFileRead {
    enum class Status {
        Ok,
        Missing,     // no such file
        Unreadable,  // exists but cannot be read
        BadEncoding, // not CP932 text
        Empty,       // no lines at all
        Malformed    // no caption row, or a row that is not 15 cells
    };
    Status status = Status::Ok;
    ListModel model;   // the list when Ok; otherwise empty, and the window keeps its own
    std::string error; // names the file (and line); empty when Ok

    bool ok() const { return status == Status::Ok; }
};

// Reads a list file. Line 1 is split at its last comma: the count never
// holds one, while a matter's name in the title may. A row must hold 15
// cells; a missing final comma is tolerated, and so are empty extra fields,
// but a row with fewer cells, or with more non-empty ones, makes the whole
// file malformed. Blank lines at the end are ignored.
ListFileRead readListFile(const std::string &path);

} // namespace velm
