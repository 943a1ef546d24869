#pragma once

// Start-up of the program: one running instance per user, the program folder
// and its required files, the settings, then the main window.

#include <array>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>
#include <QStringList>

class QApplication;
class QLocalServer;

namespace velm {

// The application title: the main window's caption and the title of every box.
inline constexpr const char *ApplicationTitle = "VELM";

// The program folder (every data file is looked up there): the folder of the
// executable, or --data DIR, or $VELM_DATA_DIR. Set once at start.
QString programFolder();
void setProgramFolder(const QString &folder);

// Path of a data file in `folder`. File names are matched without regard to
// case, as the data files have always been named loosely ("SETUFILE.DAT" is
// "SetuFile.Dat"); a missing file gives the name as asked for.
QString programFile(const QString &folder, const QString &name);
QString programFile(const QString &name); // in programFolder()

// The files that must exist at start, checked in this order.
inline constexpr std::array<const char *, 5> RequiredFiles{
    "VELMWIN.html", "SETUFILE.DAT", "SUUFILE.DAT", "SENJI.DAT", "SENJI.IDX"};

// The first required file missing from `folder`; empty when all are there.
QString firstMissingRequiredFile(const QString &folder);
// Shows "<file>が、ありません。" for the first missing file; false then.
bool checkRequiredFiles(const QString &folder);

struct StartOptions {
    QString dataDir;      // --data DIR
    QString screenshot;   // --screenshot FILE: make the charts, grab the window, quit
    QString moment;       // --moment YYYY-MM-DDTHH:MM (with --screenshot)
};

// Parses the command line (arguments after the program name). nullopt with
// `error` set on a bad argument.
std::optional<StartOptions> parseStartOptions(const QStringList &arguments, QString *error);

// --data, else $VELM_DATA_DIR, else the executable's folder.
QString resolveProgramFolder(const StartOptions &options, const QString &executableFolder);

// One running program per user: the first start listens on a local socket
// named "VLW_MUTEX"; a later start connects, asks it to raise its main window,
// and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // serverName empty: "VLW_MUTEX" in the user's runtime folder (a scratch
    // settings folder, $VELM_CONFIG_DIR, gets its own instance).
    explicit SingleInstance(const QString &serverName = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only instance (it now listens); false when another
    // one runs, which has been asked to come to the front.
    bool acquire();
    QString serverName() const { return m_name; }

signals:
    void raiseRequested();

private:
    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};

QString defaultInstanceName();

// The whole start: returns the program's exit code.
int runVelm(QApplication &app);

} // namespace velm
