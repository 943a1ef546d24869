#include "cli/datadir.h"

#include <cstdlib>
#include <filesystem>

#include "output/datafolder.h"

namespace velm::cli {

std::optional<std::string> takeDataDir(Args &args, std::string &error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--data")
            continue;
        if (i + 1 >= args.size()) {
            error = "--data の値がありません";
            return std::nullopt;
        }
        std::string dir = args[i + 1];
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
        return dir;
    }
    if (const char *env = std::getenv("VELM_DATA_DIR"); env && *env)
        return env;
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string program = ec ? std::string(".") : exe.parent_path().string();
    // Installed, the program's folder holds no data: the user's own folder,
    // filled from the installed defaults as the desktop program fills it.
    const PreparedDataFolder prepared = prepareDataFolder({}, {}, program, userDataFolder());
    for (const std::string &e : prepared.errors)
        report(e);
    return prepared.choice.folder;
}

std::string dataFile(const std::string &dir, const std::string &name)
{
    return (std::filesystem::path(dir) / name).string();
}

NumbersFile readNumbersReporting(const std::string &path)
{
    NumbersFile file = readNumbersFile(path);
    if (!file.ok())
        report(file.error);
    for (const std::string &w : file.warnings)
        report(w);
    return file;
}

} // namespace velm::cli
