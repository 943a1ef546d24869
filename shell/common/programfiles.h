#pragma once

// The program folder and the names of the files kept in it. Every window that
// reads or writes a data file finds it here, so a file's name is spelt once.

#include <array>

#include <QString>

namespace velm {

// The application title: the main window's caption and the title of every box.
inline constexpr const char *ApplicationTitle = "VELM";

// The data files, as the program has always named them. Lookups ignore case
// (see programFile), so a copy named "SUUFILE.DAT" is found as well.
inline constexpr const char *HelpFileName = "VELMWIN.html";
inline constexpr const char *ExplanationsFileName = "SetuFile.Dat";
inline constexpr const char *NumbersFileName = "SuuFile.Dat";
inline constexpr const char *MattersFileName = "Senji.Dat";
inline constexpr const char *MatterIndexFileName = "Senji.Idx";
// The window layout files "VELMWIN.ini" and "MainF.ini" beside the data
// files are named by the settings (AppSettings::layoutFilePath).
// The settings as a registry-export file, written by the backup.
inline constexpr const char *RegistryExportName = "VLW.reg";

// The program folder (every data file is looked up there): --data DIR, or
// $VELM_DATA_DIR, or the folder of the executable when it holds the data and
// can be written, else the user's data folder (see resolveProgramFolder in
// app.h). Set once at start.
QString programFolder();
void setProgramFolder(const QString &folder);

// Path of a data file in `folder`. File names are matched without regard to
// case, as the data files have always been named loosely ("SETUFILE.DAT" is
// "SetuFile.Dat"); a missing file gives the name as asked for.
QString programFile(const QString &folder, const QString &name);
QString programFile(const QString &name); // in programFolder()
QString programFile(const char *name);    // one of the names above, in programFolder()

// The files that must exist at start, checked in this order, as the message
// for a missing one names them.
inline constexpr std::array<const char *, 5> RequiredFiles{
    "VELMWIN.html", "SETUFILE.DAT", "SUUFILE.DAT", "SENJI.DAT", "SENJI.IDX"};

// The first required file missing from `folder`; empty when all are there.
QString firstMissingRequiredFile(const QString &folder);
// Shows "<file>が、ありません。" for the first missing file; false then.
bool checkRequiredFiles(const QString &folder);

} // namespace velm
