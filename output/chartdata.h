#pragma once

// Two generators that walk over time and describe the chart of every step
// without testing any condition:
// - the chart-data list (作盤データ一覧表): one row of pillars, term, ju,
//   xun-head stem, flag, duty door and nine-star per moment, for the list window;
// - the chart-data files (CGI 用 作盤データ): for a range of years, the nine
//   palaces of every year, month, day and hour chart as plain text files that
//   a separate web program reads byte for byte.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/astro.h"
#include "engine/ban.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"
#include "output/listfile.h"

namespace velm {

// ---------------------------------------------------------------- the list

inline constexpr std::string_view ChartDataStoppedMessage = "作盤を中止しました。";
// Title label of the list window for a chart-data list; "作盤" in it marks the list kind.
inline constexpr std::string_view ChartDataSenL = " 作盤データ  ";
// Item captions of the kind choice, also column 0 of every row.
inline constexpr std::array<std::string_view, 4> KindCaption{"年盤", "月盤", "日盤", "時盤"};
// Grid captions of a chart-data list, columns 0..14 (11 and the hidden 14 uncaptioned).
inline constexpr std::array<std::string_view, 15> ChartDataCaptions{
    "盤", "日  付", "時", "曜", "年", "月", "日", "時", "節気", "局", "旬首", "", "直使", "紫白", ""};

// Fields 0..13: kind caption, "yyyy/mm/dd", "hh", weekday, the four pillars,
// term (hour charts: term period and yuan), dun and ju ("陽３局"), xun-head
// stem, flag name, duty door and the palace it lands in ("休-離"), centre
// nine-star as a full-width digit.
using ChartDataRow = std::array<std::string, 14>;

ChartDataRow chartDataRow(const CivilTime &t, const Koyomi &koyomi, const ChartRecord &chart);
// Every field followed by one comma, the last included.
std::string chartDataRowText(const ChartDataRow &row);

// The row text of the chart of `kind` at moment t; empty when the moment's
// calendar facts cannot be made (the list then skips it).
std::string FindProc(const CivilTime &t, int kind, const KoyomiOptions &koyomi, LayingMethod method);

struct ChartDataListOptions {
    CivilTime start;            // the main window's date and time (minutes kept)
    int kind = KindHour;        // "作盤するﾃﾞｰﾀ"
    long count = 300;           // "作成上限"; 0 or less makes nothing
    KoyomiOptions koyomi;
    LayingMethod method = LayingMethod::Rotating;
};

struct ChartDataList {
    std::vector<std::string> rows; // row texts, as chartDataRowText gives them
    long count = 0;                // moments made; 0 means the run was stopped or empty
    bool cancelled = false;
    bool ended = false;            // the walk reached 9999-12-31 before its count
    CivilTime last{};              // the last moment made
};

// Called with the number of moments made so far, before the first and then
// every ChartDataProgressEvery moments; returning false stops the run and
// keeps the rows made.
using ChartDataProgress = std::function<bool(long made)>;
inline constexpr long ChartDataProgressEvery = 16;

// Takes each row text as it is made, in place of the list keeping it;
// returning false stops the run (cancelled).
using ChartDataSink = std::function<bool(const std::string &row)>;

// Steps the kind (365.25 d, 30.59 d, 1 d, 2 h) from the start; a walk that
// leaves the years 1..9999 ends there. With a sink the rows go to it and
// list.rows stays empty, so a long run needs no memory for them.
ChartDataList ListProc(const ChartDataListOptions &options, const ChartDataProgress &progress = {},
                       const ChartDataSink &sink = {});

// The moments a run of these options makes when it is not stopped.
long chartDataListLength(const ChartDataListOptions &options);

// The list window's content after a run: the title ChartDataSenL, the count
// of moments made, the captions, then each row text split at its commas into
// columns 0..13 (column 14 stays empty). The window and the list file of the
// command line both show the list through this.
ListModel chartDataListModel(const ChartDataList &list);
// Its caption row, and one row text split into its columns.
ListRow chartDataCaptionRow();
ListRow chartDataListRow(std::string_view text);

// ---------------------------------------------------------------- the files

enum class ChartFileOutput : int {
    Code = 0, // "コード": each item a decimal digit
    Text = 1  // "文字列": each item its name
};

enum class ChartFileLayout : int {
    YearFolders = 0, // "年フォルダ＋日時データ": 2003/01.dat … 2003/12.dat
    SameFolder = 1   // "同一フォルダ": 200301.dat … 200312.dat
};

struct ChartFileOptions {
    std::string folder;          // "出力フォルダ"; a trailing separator is optional
    int fromYear = 2003;
    int toYear = 2006;
    bool yearMonth = true;       // "年月データ"
    bool dayHour = true;         // "日時データ"
    ChartFileOutput output = ChartFileOutput::Code;
    ChartFileLayout layout = ChartFileLayout::SameFolder;
    KoyomiOptions koyomi;
    LayingMethod method = LayingMethod::Rotating;
    ConstData names = MakeConstData(); // star names of the text output
};

// Years a file can be made for: the year-month file reaches back to the
// previous year and the day files forward to the next year's first day.
inline constexpr int ChartFileFirstYear = 2;
inline constexpr int ChartFileLastYear = 9998;

// The nine palaces in Lo Shu rows (south-east, south, south-west, east,
// centre, west, north-east, north, north-west), six items each without
// separators, a comma between palaces and one space after the ninth.
inline constexpr std::array<int, 9> ChartFilePalaceOrder{8, 4, 6, 7, 0, 2, 3, 5, 1};
std::string chartPalaceText(const BanRows &ban, ChartFileOutput output, const ConstData &names);

// The fifteen lines of a year's year-month file: the year charts of the
// previous and the given year, each behind the instant of its 立春
// ("MMDDHHNN "), then thirteen month charts (December 20 of the previous year
// and the 20th of each month) behind the instants of their month-opening terms.
std::vector<std::string> yearMonthLines(int year, const ChartFileOptions &options);

// One line per day of the month: "MMDD ", the day chart, then the hour charts
// at 0:30, 2:30, … 22:30 and 0:30 of the following day. The day chart and the
// first hour chart share the calendar facts of 0:30.
std::vector<std::string> dayFileLines(int year, int month, const ChartFileOptions &options);

std::string yearMonthFilePath(const std::string &folder, int year);
std::string dayFilePath(const std::string &folder, int year, int month, ChartFileLayout layout);

struct ChartFileResult {
    enum class Status { Done, Failed, Cancelled };
    Status status = Status::Done;
    std::string message;              // Failed: the reason, naming the file or folder
    std::vector<std::string> written; // every file written, in order; they stay on failure

    bool ok() const { return status == Status::Done; }
};

// Status texts of the run ("DispL").
inline constexpr std::string_view ChartFileDoneStatus = "生成終了しました！";

// Called with the status text at every change and once per day line;
// returning false stops the run after the files already written.
using ChartFileProgress = std::function<bool(std::string_view status)>;

// Writes the files of every year from fromYear to toYear. The year-month
// file goes into the output folder, which is created with its parents first.
// Day files: with year folders each year's folder is created first; in the
// same-folder layout no folder is created, so a missing output folder fails
// on the first day file. Files are overwritten without asking, each written
// atomically; the run ends at the first file or folder that cannot be made.
ChartFileResult writeChartDataFiles(const ChartFileOptions &options, const ChartFileProgress &progress = {});

// The first fault of the options, for the user; empty when they can run.
std::string chartFileOptionsError(const ChartFileOptions &options);

} // namespace velm
