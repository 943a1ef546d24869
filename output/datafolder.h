#pragma once

// Where the data files live. A build runs from its own folder, which holds
// the default files and may be written. An installed program sits in a
// folder the user cannot write (bin/, its defaults in ../share/velm): each
// user then gets a data folder of their own, filled from the defaults on the
// first start. `--data DIR` and $VELM_DATA_DIR name the folder outright.

#include <string>
#include <vector>

namespace velm {

// The files a user edits: copied once, never overwritten.
inline constexpr const char *UserDataFiles[] = {"SuuFile.Dat", "Senji.Dat", "Senji.Idx", "SetuFile.Dat"};
// Files of the program itself: kept equal to the installed ones.
inline constexpr const char *ProgramDataFiles[] = {"VELMWIN.html", "Readme.txt", "wmm2025.wmm", "wmm2025.wmm.cof"};

struct DataFolder {
    enum class Source {
        Given,       // --data DIR
        Environment, // $VELM_DATA_DIR
        Program,     // the executable's folder, as a build runs
        User         // the per-user folder, from the installed defaults
    };
    Source source = Source::Program;
    std::string folder;   // every data file is read and written here
    std::string defaults; // the installed defaults (Source::User), else empty
};

// given: --data (empty when absent); environment: $VELM_DATA_DIR; program:
// the executable's folder; user: the per-user data folder. The program
// folder serves when it holds the numbers file and can be written; a folder
// without any write permission bit counts as read-only even for root, whom
// the system would let write anyway.
DataFolder chooseDataFolder(const std::string &given, const std::string &environment,
                            const std::string &program, const std::string &user);

// The per-user folder outside Qt, as the desktop names it:
// $XDG_DATA_HOME (or ~/.local/share) + "/Quorvel/VELM".
std::string userDataFolder();

// Fills `folder` from `defaults`: creates it, copies each user file that is
// missing and refreshes each program file that differs. Never touches a file
// the user has. Returns the messages of what failed (empty when all went
// well); a file that could not be copied leaves the rest to go on.
std::vector<std::string> fillDataFolder(const std::string &folder, const std::string &defaults);

// chooseDataFolder, then fillDataFolder for a per-user folder.
struct PreparedDataFolder {
    DataFolder choice;
    std::vector<std::string> errors;
};
PreparedDataFolder prepareDataFolder(const std::string &given, const std::string &environment,
                                     const std::string &program, const std::string &user);

} // namespace velm
