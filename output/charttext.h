#pragma once

// The texts of a laid chart as its window shows and copies them: the seven
// 8-byte slices of each palace, the labels above and below the grid, the
// window title and the two clipboard formats. Kept apart from the window so
// the command-line tool prints exactly what the window copies.

#include <array>
#include <string>
#include <vector>

#include "engine/ban.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"

namespace velm {

// Grid column and row of each palace index: south at the top, east at the left.
inline constexpr std::array<int, 9> PalaceColumn{1, 2, 2, 0, 1, 1, 2, 0, 0};
inline constexpr std::array<int, 9> PalaceRow{1, 2, 1, 2, 0, 2, 0, 1, 0};
// Palace index at grid (column, row), -1 outside.
int palaceAt(int column, int row);

using PalaceText = std::array<std::string, 7>; // seven slices of 8 CP932 bytes

// Slices 0..4 are drawn in the cell, 5 and 6 only appear in its hint.
PalaceText palaceText(const BanRows &ban, int palace, const ConstData &names);

struct ChartLabels {
    std::string KyokuL; // 陽１局
    std::string JunL;   // 旬首[戊]
    std::string TyuL;   // centre note of BanFlagNo
    std::string Label5; // 直使:休-乾
    std::string Label6; // 直符:心-坎
    std::string Label7; // " [庚午]"
};

ChartLabels chartLabels(const ChartRecord &chart, const Koyomi &koyomi, const ConstData &names);

// The window title: 時盤:24/03/01 12時, or 日盤:2024/03/01 for the other kinds.
std::string chartTitle(int kind, const CivilTime &moment);

// The hint of a palace: slice 5, then a line break and slice 6, skipping blank
// slices; the grid's own hint when both are blank. `lineBreak` is LF CR in the
// window.
std::string palaceHint(const PalaceText &text, const std::string &lineBreak = "\n\r");

// Whole chart as copied to the clipboard: title + Label7, the ju line, then
// the box drawing of slices 0..4 of the nine palaces.
std::vector<std::string> chartCopyLines(const std::string &title, const ChartLabels &labels,
                                        const std::array<PalaceText, 9> &palaces);

// One palace as copied to the clipboard.
std::vector<std::string> palaceCopyLines(const std::string &title, int palace,
                                         const PalaceText &text);

} // namespace velm
