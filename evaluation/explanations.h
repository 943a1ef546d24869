#pragma once

// Explanation texts (説明文) and the composition of the explanation pane.
//
// Every symbol a palace can show has one free text in "SetuFile.Dat": one
// text per line at a fixed line number, 202 lines. A line break inside a text
// is stored as the two characters "/r"; there is no other escaping, so a text
// the user typed as "/r" reads back as a line break.
//
//   lines   0..9    stems 甲..癸 (both plates)      stem code
//   lines  10..109  stem pairs                      10 + heaven x 10 + earth
//   lines 110..117  doors 休..開                    109 + door number 1..8
//   lines 118..126  stars 禽 心 柱 任 英 蓬 芮 冲 輔  118 + star value 0..8
//   lines 127..134  deities 直符..九天              126 + deity number 1..8
//   lines 135..143  nine-stars 一白..九紫           135 + nine-star value 0..8
//   lines 144..201  patterns 1..58                  143 + pattern number
//
// The pane readers are pure functions of a chart, its scores and the loaded
// texts; the windows place what they return. The window reloads the texts
// when it needs them fresh (after the editor has saved), as nothing here
// caches.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ban.h"
#include "engine/constdata.h"
#include "evaluation/suusan.h"

namespace velm {

inline constexpr int SetuLineCount = 202;

// Pattern 55 (五不遇時) carries the text of the hour's 五不遇時 note.
inline constexpr int GoFuguPattern = 55;

// --- line addressing -------------------------------------------------------

// The editor's element box "盤の要素": kind 0..6.
inline constexpr int SetuKindCount = 7;
inline constexpr std::array<std::string_view, SetuKindCount> SetuKindName{
    "干", "天地干", "八門", "九星", "八神", "紫白", "格局"};
// First line of each kind; the target's item index is added.
inline constexpr std::array<int, SetuKindCount> SetuKindFirstLine{0, 10, 110, 118, 127, 135, 144};
// Number of targets of each kind (patterns 1..58; 59 has no line).
inline constexpr std::array<int, SetuKindCount> SetuKindItemCount{10, 100, 8, 9, 8, 9, 58};

// Base line of each chart row 0..7 (rows above 7, the other pattern slots,
// count as 7); the symbol's code in that row is added.
inline constexpr std::array<int, 8> SetuRowBase{0, 0, 10, 109, 118, 126, 135, 143};

constexpr bool setuLayoutConsistent()
{
    for (int k = 0; k + 1 < SetuKindCount; ++k)
        if (SetuKindFirstLine[k] + SetuKindItemCount[k] != SetuKindFirstLine[k + 1])
            return false;
    return SetuKindFirstLine[6] + SetuKindItemCount[6] == SetuLineCount
           && SetuRowBase[3] + 1 == SetuKindFirstLine[2] && SetuRowBase[5] + 1 == SetuKindFirstLine[4]
           && SetuRowBase[7] + 1 == SetuKindFirstLine[6];
}
static_assert(setuLayoutConsistent());

// Line of the symbol `code` of chart row `row` (0..11), or -1 when the code
// names no symbol of that row (door or deity 0, star 9, pattern 0 or 59):
// such a code would otherwise land on a neighbouring kind's line.
int setuLineOf(int row, int code);

// Line of item `item` of editor kind `kind`, or -1 outside the lists.
int setuKindLine(int kind, int item);

// The editor's target box "編集対象" for a kind: 10 stems, 100 stem pairs
// (heaven then earth), door + "門", "天" + star, deities, nine-stars,
// patterns 1..58 (unused pattern numbers give empty names). `names` supplies
// the tables that may hold special characters.
std::vector<std::string> setuTargets(int kind, const ConstData &names);

// --- "/r" ------------------------------------------------------------------

// Stored text to shown text: every "/r" becomes `lineBreak`.
std::string setuToShown(std::string_view stored, std::string_view lineBreak = "\r\n");

// Shown text to stored text: every CR LF, lone CR and lone LF becomes "/r",
// so the text stays on its one line whatever the edit control used.
std::string setuToStored(std::string_view shown);

// --- the file --------------------------------------------------------------

class SetuTexts {
public:
    enum class Status {
        Ok,          // read; `warning` may still tell of a short file
        Missing,     // no such file: every text empty
        Unreadable,  // exists but cannot be read: every text empty
        BadEncoding  // not CP932 text: the lines that decoded are kept for reading
    };

    // 202 empty texts, as if loaded from an empty file.
    SetuTexts();

    // Loads the file. Never fails: a short file reads its missing lines as
    // empty (with a warning); a file longer than 202 lines keeps its extra
    // lines so that saving does not drop them.
    static SetuTexts load(const std::string &path);

    Status status() const { return m_status; }
    bool ok() const { return m_status == Status::Ok; }
    // For the user: why the file could not be used; empty when Ok.
    const std::string &error() const { return m_error; }
    // For the user: a short file; empty otherwise.
    const std::string &warning() const { return m_warning; }
    // Lines the file itself held (0 when it could not be read).
    int fileLineCount() const { return m_fileLineCount; }

    // Stored line `n`; empty beyond the end.
    const std::string &line(int n) const;
    // Every line, at least 202, in stored form.
    const std::vector<std::string> &lines() const { return m_lines; }

    // SStRead: the text of an editor target, with "/r" shown as `lineBreak`;
    // empty outside the lists.
    std::string text(int kind, int item, std::string_view lineBreak = "\r\n") const;
    // SaveBtnClick: stores a shown text for an editor target. False (nothing
    // changed) outside the lists.
    bool setText(int kind, int item, std::string_view shown);
    bool modified() const { return m_modified; }

    // Writes all lines (at least 202) atomically as CP932 with CR LF. Returns
    // an empty text on success, else a message for the user; then the file is
    // untouched. Refuses when the file was loaded Unreadable or BadEncoding,
    // since writing would replace texts that were never read.
    std::string save(const std::string &path);

private:
    Status m_status = Status::Ok;
    std::string m_error;
    std::string m_warning;
    int m_fileLineCount = 0;
    std::vector<std::string> m_lines;
    bool m_modified = false;
};

// The explanation of the symbol `code` of chart row `row`, with "/r" shown as
// `lineBreak`; empty when the code names no symbol or the line is empty.
std::string SetuLineRead(const SetuTexts &texts, int row, int code, std::string_view lineBreak = "\r\n");

// --- the explanation pane --------------------------------------------------

// Heading label of each chart row in the memo; the five pattern rows read 格局.
inline constexpr std::array<std::string_view, BanRowCount> SetuRowLabel{
    "天盤", "地盤", "天地盤", "八門", "九星", "八神", "紫白", "格局", "格局", "格局", "格局", "格局"};

// The name a palace shows for chart row `row` (stem role, stem pair, door +
// "門", "天" + star, deity, nine-star, pattern), or empty when the row has
// nothing to list there: no door and no deity in the centre, no star value
// 9, an empty pattern slot, or a code outside its table.
std::string setuSymbolName(const BanRows &CurBan, int row, int pos, const ConstData &names);

// Memo entries of palace `pos`: for each row a heading "[label]<name>" and its
// explanation (which may hold line breaks), an empty entry before every row
// but the first whether or not that row lists anything, and the 五不遇時 block
// at the end when `note` (the chart window's centre note) reads exactly
// "五不遇時".
std::vector<std::string> memoEntries(const BanRows &CurBan, int pos, const SetuTexts &texts,
                                     const ConstData &names, std::string_view note,
                                     std::string_view lineBreak = "\r\n");

// A score in fixed notation with two decimals ("12.50", "-3.00"); a value
// that rounds to zero reads "0.00".
std::string scoreText(double value);

// A 4 x 4 grid of cell texts, cells[column][row].
using ScoreGrid = std::array<std::array<std::string, 4>, 4>;

struct MemoView {
    std::string Memo1;  // memo entries joined with `lineBreak`
    std::string SuuPnl; // total score of the palace
};
struct KyuView {
    int HouiBox = 0;     // item to select in the direction box
    std::string HouiPnl; // trigram of the palace
};

// The readers of the pane. `scores` are those of `CurBan` (the caller runs
// SuuSan). A `pos` outside 0..8 gives empty views.
MemoView MemoRead(const BanRows &CurBan, const SuuScores &scores, int pos, const SetuTexts &texts,
                  const ConstData &names, std::string_view note, std::string_view lineBreak = "\r\n");
KyuView KyuRead(int pos);
// SG1: the plain look-ups of the palace, elements 0..3 in column 1 and 4..7 in
// column 3. SG2: the totals of the eight directions, palace index 1..4 in
// column 1 and 5..8 in column 3, the same whichever palace is picked. The
// captions of columns 0 and 2 are filled in too.
struct ScoreGrids {
    ScoreGrid SG1;
    ScoreGrid SG2;
};
ScoreGrids SGDisp(const SuuScores &scores, int pos);

struct PanelView {
    std::string TyuL; // the chart's note followed by one space
    MemoView memo;
    KyuView kyu;
    ScoreGrids grids;
};
PanelView PnlRead(const BanRows &CurBan, const SuuScores &scores, int pos, const SetuTexts &texts,
                  const ConstData &names, std::string_view note, std::string_view lineBreak = "\r\n");

// Captions of the pane's score grids, column 0 and column 2, rows 0..3.
inline constexpr std::array<std::string_view, 4> SG1Caption0{"天盤", "地盤", "天地盤", "八門"};
inline constexpr std::array<std::string_view, 4> SG1Caption2{"九星", "八神", "紫白", "格局"};
inline constexpr std::array<std::string_view, 4> SG2Caption0{"北西", " 西", "北東", " 南"};
inline constexpr std::array<std::string_view, 4> SG2Caption2{" 北", "南西", " 東", "南東"};

} // namespace velm
