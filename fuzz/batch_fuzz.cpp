// `velm-cli batch`: request lines of any bytes on standard input. Every
// answer must be one line of valid UTF-8 JSON, whatever the line held.

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/commands.h"
#include "fuzz_file.h"

namespace {

bool validUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size() || (n == 2 && c < 0xC2))
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        if (c < 0x20 || c == 0x7F)
            return false; // raw control characters are not allowed in JSON texts
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
    std::ostringstream out;
    std::ostringstream errors;
    std::streambuf *oldIn = std::cin.rdbuf(in.rdbuf());
    std::streambuf *oldOut = std::cout.rdbuf(out.rdbuf());
    std::streambuf *oldErr = std::cerr.rdbuf(errors.rdbuf());
    std::cin.clear();
    const int status = velm::cli::runBatch({"--data", VELM_DATA_DIR});
    std::cin.rdbuf(oldIn);
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    if (status != 0 && status != 2)
        std::abort();
    std::istringstream answers(out.str());
    for (std::string line; std::getline(answers, line);)
        if (line.empty() || line.front() != '{' || line.back() != '}' || !validUtf8(line))
            std::abort();
    return 0;
}
