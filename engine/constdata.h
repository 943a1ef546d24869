#pragma once

// The three symbol tables that hold user-chosen special characters (外字):
// the sixth star, the second deity and three pattern names use rare
// ideographs that older fonts lack, so the user may pick replacement
// Shift-JIS codes for them.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/symbols.h"

namespace velm {

inline constexpr std::array<std::string_view, 3> GaijiDefault{"93E0", "B4B2", "93AB"};

struct EditChangeResult {
    std::string character;  // UTF-8; empty when the code is invalid
    std::string message;    // empty on success; otherwise the text to show after a beep
};

// Four hexadecimal digits naming a Shift-JIS byte pair -> that character.
EditChangeResult EditChange(std::string_view code);

struct ConstData {
    std::array<std::string, 10> StarChar;
    std::array<std::string, 9> DeityName;
    std::array<std::string, PatternCount> PatternName;
    // Messages from invalid codes, one per bad value, in order; the GUI shows
    // them with a beep. MakeConstData itself never fails.
    std::vector<std::string> messages;
};

// Builds the tables from the three codes ("Gaiji1".."Gaiji3" of the settings).
ConstData MakeConstData(const std::array<std::string, 3> &codes = {std::string(GaijiDefault[0]),
                                                                   std::string(GaijiDefault[1]),
                                                                   std::string(GaijiDefault[2])});

} // namespace velm
