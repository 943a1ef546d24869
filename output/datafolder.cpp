#include "output/datafolder.h"

#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/textfile.h"

namespace fs = std::filesystem;

namespace velm {
namespace {

// The data files have always been named loosely ("SUUFILE.DAT"): the first
// entry of `dir` whose name matches without regard to case.
fs::path findCaseless(const fs::path &dir, const std::string &name)
{
    std::error_code ec;
    if (fs::is_regular_file(dir / name, ec))
        return dir / name;
    auto lower = [](std::string s) {
        for (char &c : s)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    const std::string wanted = lower(name);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (lower(it->path().filename().string()) == wanted && it->is_regular_file(ec))
            return it->path();
    return {};
}

bool holdsData(const fs::path &dir)
{
    return !findCaseless(dir, "SuuFile.Dat").empty();
}

bool writableFolder(const fs::path &dir)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(dir.c_str(), W_OK) == 0;
}

// The installed defaults beside a program folder: the folder itself when it
// holds them, else ../share/velm.
fs::path defaultsFor(const fs::path &program)
{
    if (holdsData(program))
        return program;
    const fs::path shared = (program / ".." / "share" / "velm").lexically_normal();
    if (holdsData(shared))
        return shared;
    return {};
}

// Copies `from` to `to` through the atomic writer: a user never finds half a file.
std::string copyFile(const fs::path &from, const fs::path &to)
{
    std::string bytes;
    if (std::string error = readRegularFile(from.string(), bytes, MaxListFileBytes); !error.empty())
        return error;
    return writeBytesAtomic(to.string(), bytes);
}

} // namespace

DataFolder chooseDataFolder(const std::string &given, const std::string &environment,
                            const std::string &program, const std::string &user)
{
    DataFolder d;
    if (!given.empty()) {
        d.source = DataFolder::Source::Given;
        d.folder = given;
    } else if (!environment.empty()) {
        d.source = DataFolder::Source::Environment;
        d.folder = environment;
    } else if (holdsData(program) && writableFolder(program)) {
        d.source = DataFolder::Source::Program;
        d.folder = program;
    } else {
        d.source = DataFolder::Source::User;
        d.folder = user;
        d.defaults = defaultsFor(program).string();
    }
    return d;
}

std::string userDataFolder()
{
    fs::path base;
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        base = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        base = fs::path(home) / ".local" / "share";
    else
        base = fs::temp_directory_path();
    return (base / "Quorvel" / "VELM").string();
}

std::vector<std::string> fillDataFolder(const std::string &folder, const std::string &defaults)
{
    std::vector<std::string> errors;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        errors.push_back("『" + folder + "』を作成できません。" + (ec ? ec.message() : std::string()));
        return errors;
    }
    if (defaults.empty())
        return errors;
    for (const char *name : UserDataFiles) {
        const fs::path from = findCaseless(defaults, name);
        if (from.empty() || !findCaseless(folder, name).empty())
            continue;
        // A name left behind as a link or folder is the user's too.
        if (fs::symlink_status(fs::path(folder) / name, ec).type() != fs::file_type::not_found)
            continue;
        if (std::string error = copyFile(from, fs::path(folder) / name); !error.empty())
            errors.push_back(error);
    }
    for (const char *name : ProgramDataFiles) {
        const fs::path from = findCaseless(defaults, name);
        if (from.empty())
            continue;
        fs::path to = findCaseless(folder, name);
        if (to.empty())
            to = fs::path(folder) / name;
        std::string shipped;
        std::string present;
        if (!readRegularFile(from.string(), shipped, MaxListFileBytes).empty())
            continue;
        if (readRegularFile(to.string(), present, MaxListFileBytes).empty() && present == shipped)
            continue;
        if (std::string error = writeBytesAtomic(to.string(), shipped); !error.empty())
            errors.push_back(error);
    }
    return errors;
}

PreparedDataFolder prepareDataFolder(const std::string &given, const std::string &environment,
                                     const std::string &program, const std::string &user)
{
    PreparedDataFolder p;
    p.choice = chooseDataFolder(given, environment, program, user);
    if (p.choice.source == DataFolder::Source::User)
        p.errors = fillDataFolder(p.choice.folder, p.choice.defaults);
    return p;
}

} // namespace velm
