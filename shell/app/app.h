#pragma once

// Start-up of the program: one running instance per user, the program folder
// and its required files, the settings, then the main window.

#include <array>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "shell/common/programfiles.h"

class QApplication;
class QCoreApplication;
class QLocalServer;

namespace velm {

struct StartOptions {
    QString dataDir;      // --data DIR
    QString screenshot;   // --screenshot FILE: make the charts, grab the window, quit
    QString moment;       // --moment YYYY-MM-DDTHH:MM (with --screenshot or --export)
    QString exportFile;   // --export OUT.png|svg|pdf: one chart, no window, then quit
    QString kindName;     // --kind year|month|day|hour (with --export)
    int kind = 3;         // the same as a chart kind; the hour chart by default
    bool help = false;    // --help, -h
    bool version = false; // --version
};

// Parses the command line (arguments after the program name) with
// QCommandLineParser. nullopt with `error` set (in Japanese) on a bad argument.
std::optional<StartOptions> parseStartOptions(const QStringList &arguments, QString *error);
// What --help prints.
QString startHelpText();

// The folder of the data files: --data, else $VELM_DATA_DIR, else the
// executable's folder when it holds the data and can be written, else
// `userFolder` (the per-user data folder), filled from the installed
// defaults on the first start without overwriting a user's file. What could
// not be copied goes to `errors`.
QString resolveProgramFolder(const StartOptions &options, const QString &executableFolder,
                             const QString &userFolder = {}, QStringList *errors = nullptr);

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
// --help or --version, printed without any window or display.
int answerWithoutWindows(QCoreApplication &app);

} // namespace velm
