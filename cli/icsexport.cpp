#include <chrono>

#include "cli/commands.h"
#include "output/ics.h"

namespace velm::cli {

std::string writeIcs(const std::string &path, const std::vector<ListRow> &rows, const KoyomiOptions &koyomi,
                     LayingMethod method, const std::string &title, const NumberTables &tables)
{
    IcsOptions options;
    options.koyomi = koyomi;
    options.method = method;
    const std::size_t first = title.find_first_not_of(' ');
    options.title = first == std::string::npos ? "" : title.substr(first, title.find_last_not_of(' ') + 1 - first);
    const Instant now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    return writeIcsFile(path, icsEvents(rows, options, tables), options, now, SpecialTarget::WriteThrough);
}

} // namespace velm::cli
