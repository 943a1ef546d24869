// The command line: words of any bytes (separated by NUL or line feed). Each
// word goes through the argument parsers, which must take plain decimal
// numbers only; then the words run the commands that only read and print.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/commands.h"
#include "engine/datetime.h"
#include "fuzz_file.h"

namespace {

using namespace velm;
using namespace velm::cli;

bool digitsOnly(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

void check(bool holds)
{
    if (!holds)
        std::abort();
}

void parseWord(const std::string &w)
{
    std::string error;
    if (auto n = parseInt(w, 0, 99'999))
        check(digitsOnly(w) && *n >= 0 && *n <= 99'999);
    if (auto n = parseInt64(w, INT64_MIN, INT64_MAX))
        check(digitsOnly(*n < 0 ? std::string_view(w).substr(1) : std::string_view(w)) && (*n < 0) == (w[0] == '-'));
    if (auto n = parseCount(w, -5, 5, "上限", error))
        check(*n >= -5 && *n <= 5);
    if (auto d = parseDate(w, error))
        check(isValidCivil(*d));
    CivilTime t{2024, 1, 1, 0, 0, 0};
    if (parseTime(w, t, error))
        check(isValidCivil(t) && w.find_first_of("-+") == std::string::npos);
    if (auto m = parseMoment(w, error))
        check(isValidCivil(*m));
    if (auto tz = parseTimeZone(w, error))
        check(*tz >= -14 && *tz <= 14);
    if (auto k = parseKind(w, error))
        check(*k >= 0 && *k <= 3);
    KoyomiOptions options;
    (void)parsePeriods(w, options, error);
    bool flag = false;
    (void)parseFlag(w, flag, error);
    (void)parseMethod(w);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0 || size > 512)
        return 0;
    std::vector<std::string> words(1);
    for (std::size_t i = 1; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\0' || c == '\n')
            words.emplace_back();
        else
            words.back() += c;
    }
    for (const std::string &w : words)
        parseWord(w);

    // Commands that neither write files nor walk long: the data come from the
    // source folder, and no word may name another file.
    std::vector<std::string> args;
    for (const std::string &w : words)
        if (w != "--data" && w != "--numbers")
            args.push_back(w);
    args.insert(args.end(), {"--data", VELM_DATA_DIR});
    std::ostringstream sink;
    std::streambuf *oldOut = std::cout.rdbuf(sink.rdbuf());
    std::streambuf *oldErr = std::cerr.rdbuf(sink.rdbuf());
    int status = 0;
    switch (data[0] % 3) {
    case 0: status = runKoyomi(args); break;
    case 1: status = runTerms(args); break;
    default: status = runChart(args); break;
    }
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    // 0 done, 1 a file failed, 2 bad arguments; chart --other-side exits
    // with 3 when no term is near.
    const bool otherSide = data[0] % 3 == 2 && std::find(args.begin(), args.end(), "--other-side") != args.end();
    check((status >= 0 && status <= 2) || (status == 3 && otherSide));
    return 0;
}
