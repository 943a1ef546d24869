#pragma once

// Evaluating a divination matter on one scored chart.
//
// A search examines millions of moments with one matter, so the matter is
// compiled once into a compact, immutable SenMatter (codes and thresholds
// parsed, unused groups and empty rows dropped) and SenCheck then runs
// without allocating, on const inputs only: one SenMatter can be shared by
// any number of threads.
//
// Directions are palace indexes 1..8; 0 asks for all directions ("全方位"),
// and 9 is "no direction". With all directions, the first condition of a
// group that holds fixes the direction (its highest passing palace) and the
// later conditions of that group are tested in that palace only. With a
// chosen direction the found direction stays 9, so every match reports 9.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ban.h"
#include "evaluation/matters.h"
#include "evaluation/suusan.h"

namespace velm {

inline constexpr std::uint8_t NoDirection = 9;
inline constexpr int AllDirections = 0;

// One condition, ready to test.
struct SenCondition {
    enum class Test : std::uint8_t {
        Number,          // score of `kind` in the palace >= threshold
        Equal,           // chart row `row` at the palace == value
        NotEqual,        // chart row `row` at the palace != value
        PatternEqual,    // some non-zero pattern slot == value
        PatternNotEqual, // some non-zero pattern slot != value
        Never            // holds nowhere (a condition not set)
    };
    Test test = Test::Never;
    std::uint8_t kind = 0; // element 0..8: 0 the total score, k the scoring row k - 1
    std::uint8_t row = 0;  // BanRow compared by Equal / NotEqual
    int value = 0;         // the compared chart value (or pattern number)
    double threshold = 0;  // for Number
};

struct SenGroup {
    std::array<SenCondition, MatterRowCount> rows{};
    std::uint8_t count = 0; // conditions in use, in row order
};

struct SenMatter {
    std::string name;
    // The groups in use, in their order (a group is in use when its first
    // row holds a condition).
    std::array<SenGroup, MatterGroupCount> groups{};
    std::uint8_t groupCount = 0;
    // Codes or thresholds that are not numbers, and codes no condition can
    // have (an element outside 0..8, a target beyond the element's list),
    // one message each. A matter
    // with faults never matches: its conditions cannot be evaluated. The
    // search should show these before it starts.
    std::vector<std::string> faults;

    bool usable() const { return faults.empty(); }
};

SenMatter compileMatter(const Matter &matter);

// Reads the matter of that name from "Senji.Dat" and compiles it. `message`
// tells why there is no usable matter (missing or damaged file, a name the
// file lacks, faults of the matter).
struct SenMatterLoad {
    SenMatter matter;
    bool ok = false;
    std::string message;
    std::vector<std::string> warnings;
};
SenMatterLoad loadSenMatter(const std::string &datPath, std::string_view name);

struct SenResult {
    bool matched = false;
    std::uint8_t direction = NoDirection; // of the last (highest) matching group
};

// The outcome of one test and the found direction after it.
struct CheckResult {
    bool pass = false;
    std::uint8_t found = NoDirection;
};

// The three tests. When `found` is a direction (below 9) it replaces
// `direction`. Direction 0 examines palaces 1..8 and a pass sets `found` to
// the highest passing palace; direction 1..8 examines that palace only and
// leaves `found` alone. The centre is never examined, nor is a palace of
// `excluded` (bit p: palace p left out, as directions bad for the people
// going): it never passes.
//
// SuuCheck: kind 0 the weighted total BanSuu[8] >= threshold; kind 1..8 the
// plain number SuuBase[kind - 1] >= threshold.
CheckResult SuuCheck(std::uint8_t found, int direction, int kind, double threshold, const SuuScores &scores,
                     std::uint16_t excluded = 0);
// HosCheck: kind 1..7 compares chart row kind - 1 with the target code
// (the code itself for 八門 and 八神, code - 1 otherwise); operator 0 tests
// equality, any other inequality.
CheckResult HosCheck(std::uint8_t found, int direction, int kind, int target, int op, const BanRows &CurBan,
                     std::uint16_t excluded = 0);
// KakCheck: operator 0 passes when some non-zero pattern slot is the target,
// any other when some non-zero slot differs from it (so a palace without
// patterns never passes "<>").
CheckResult KakCheck(std::uint8_t found, int direction, int target, int op, const BanRows &CurBan,
                     std::uint16_t excluded = 0);

CheckResult CellCheck(const SenCondition &condition, std::uint8_t found, int direction,
                      const BanRows &CurBan, const SuuScores &scores, std::uint16_t excluded = 0);

// True when some group holds in the chart `CurBan` with its scores, searched
// in `direction` (0 all, 1..8 one palace), the palaces of `excluded` left out.
SenResult SenCheck(const SenMatter &matter, int direction, const BanRows &CurBan, const SuuScores &scores,
                   std::uint16_t excluded = 0);

} // namespace velm
