#pragma once

// Every file the program reads or writes is CP932 (Shift-JIS as Windows has it);
// inside the program text is UTF-8. This is the one place that converts, and
// the one place that measures text the way the data files count it: in CP932
// bytes (full-width 2, ASCII and half-width katakana 1).

#include <cstddef>
#include <string>
#include <string_view>

namespace velm {

struct CodecResult {
    std::string text;          // converted text, up to the first fault
    bool ok = true;
    std::size_t errorOffset = 0; // byte offset of the first unconvertible input
};

// CP932 bytes to UTF-8. A byte sequence that is not CP932 stops the conversion
// and is reported; nothing is dropped silently.
CodecResult decodeCp932(std::string_view bytes);

// UTF-8 to CP932 bytes. A character CP932 cannot hold is reported.
CodecResult encodeCp932(std::string_view utf8);

// Width of a UTF-8 text in CP932 bytes.
int cp932Width(std::string_view utf8);

// The longest prefix of a UTF-8 text whose CP932 width is at most maxBytes.
// A character that would be split is left out whole.
std::string cutCp932(std::string_view utf8, int maxBytes);

// Pads with half-width blanks (or cuts) to exactly `bytes` CP932 bytes.
std::string padCp932(std::string_view utf8, int bytes);

} // namespace velm
