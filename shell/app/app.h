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
class QLocalServer;

namespace velm {

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
