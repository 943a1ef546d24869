#include "shell/app/app.h"

#include <cstdio>

#include <QApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include "output/charttext.h"
#include "shell/tools/helpwindow.h"
#include "shell/settings/appsettings.h"
#include "shell/charts/chartwindow.h"
#include "shell/main/mainwindow.h"
#include "shell/common/messages.h"
#include "shell/common/checkres.h"
#include "shell/app/japanese.h"
#include "shell/app/startwindows.h"
#include "shell/tools/titlewindows.h"

namespace velm {
namespace {

const QByteArray RaiseRequest = "raise\n";

} // namespace

std::optional<StartOptions> parseStartOptions(const QStringList &arguments, QString *error)
{
    StartOptions o;
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return std::nullopt;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        QString *target = nullptr;
        QString name = a;
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = a.indexOf(QLatin1Char('=')); a.startsWith(QLatin1String("--")) && eq > 0) {
            name = a.left(eq);
            value = a.mid(eq + 1);
            inlineValue = true;
        }
        if (name == QLatin1String("--data"))
            target = &o.dataDir;
        else if (name == QLatin1String("--screenshot"))
            target = &o.screenshot;
        else if (name == QLatin1String("--moment"))
            target = &o.moment;
        else
            return fail(QStringLiteral("不明な引数です: %1").arg(a));
        if (!inlineValue) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("%1 の後に値がありません。").arg(name));
            value = arguments[++i];
        }
        if (value.isEmpty())
            return fail(QStringLiteral("%1 の値が空です。").arg(name));
        *target = value;
    }
    if (!o.moment.isEmpty()) {
        const QDateTime m = QDateTime::fromString(o.moment, QStringLiteral("yyyy-MM-ddTHH:mm"));
        if (!m.isValid())
            return fail(QStringLiteral("--moment は YYYY-MM-DDTHH:MM の形で指定して下さい: %1").arg(o.moment));
    }
    return o;
}

QString resolveProgramFolder(const StartOptions &options, const QString &executableFolder)
{
    if (!options.dataDir.isEmpty())
        return options.dataDir;
    const QString env = qEnvironmentVariable("VELM_DATA_DIR");
    if (!env.isEmpty())
        return env;
    return executableFolder;
}

// --- one instance ------------------------------------------------------------------

QString defaultInstanceName()
{
    // A scratch settings folder is another user's world: its own instance.
    const QString config = qEnvironmentVariable("VELM_CONFIG_DIR");
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    QString name = QStringLiteral("VLW_MUTEX");
    if (!config.isEmpty())
        name += QLatin1Char('-')
              + QString::fromLatin1(QCryptographicHash::hash(QDir(config).absolutePath().toUtf8(),
                                                             QCryptographicHash::Sha1).toHex().left(12));
    return QDir(runtime).filePath(name);
}

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent)
    , m_name(serverName.isEmpty() ? defaultInstanceName() : serverName)
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    {
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(500)) {
            probe.write(RaiseRequest);
            probe.waitForBytesWritten(1000);
            probe.disconnectFromServer();
            return false;
        }
    }
    // Nobody answers: a socket file left by a crashed run is removed.
    QLocalServer::removeServer(m_name);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Without the socket the program still runs; it just cannot be found by a second start.
        m_server.reset();
        return true;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("raise"))
                    emit raiseRequested();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

// --- the start ------------------------------------------------------------------------

namespace {

void raise(QWidget *w)
{
    if (w->isMinimized())
        w->showNormal();
    w->show();
    w->raise();
    w->activateWindow();
}

// --screenshot: the charts of a moment, tiled, grabbed to a PNG, then quit.
void scheduleScreenshot(TMainF &main, const StartOptions &options)
{
    // Without a window manager nobody maximises: fill the screen ourselves.
    if (QScreen *screen = main.screen())
        main.setGeometry(screen->availableGeometry());
    QTimer::singleShot(300, &main, [&main, options] {
        if (!options.moment.isEmpty()) {
            const QDateTime m = QDateTime::fromString(options.moment, QStringLiteral("yyyy-MM-ddTHH:mm"));
            main.setMoment(CivilTime{m.date().year(), m.date().month(), m.date().day(), m.time().hour(),
                                     m.time().minute(), 0});
        }
        main.BanBtnClick();
        main.Tile1Click();
        // The pane as after a click on the hour chart's south palace.
        if (const std::optional<CivilTime> at = main.enteredMoment()) {
            if (TBanF *hour = main.chartWindow(QString::fromStdString(chartTitle(3, *at)))) {
                if (auto *sub = qobject_cast<QMdiSubWindow *>(hour->parentWidget()))
                    main.mdiArea()->setActiveSubWindow(sub);
                main.PnlRead(4);
            }
        }
        QTimer::singleShot(1200, &main, [&main, options] {
            const bool saved = main.grab().save(options.screenshot, "PNG");
            if (!saved)
                std::fprintf(stderr, "velm: cannot write %s\n", qPrintable(options.screenshot));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
}

} // namespace

int runVelm(QApplication &app)
{
    QApplication::setApplicationName(QLatin1String(ApplicationTitle));
    QApplication::setOrganizationName(QStringLiteral("Quorvel"));
    installJapanese(app);
    QString error;
    const std::optional<StartOptions> options = parseStartOptions(app.arguments().mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "velm: %s\n", qPrintable(error));
        return 2;
    }

    SingleInstance instance;
    if (!instance.acquire())
        return 0;
    if (CheckRes(ResAtStart))
        return 1;
    // No display name: the platform would add it to every caption, and the
    // main window's caption already starts with the program's name.

    setProgramFolder(resolveProgramFolder(*options, QCoreApplication::applicationDirPath()));
    installHelpKey();
    if (!checkRequiredFiles(programFolder()))
        return 1;

    AppSettings settings(programFolder());
    if (!settings.loadError().isEmpty())
        ui::showWarning(nullptr, settings.loadError());

    // The title window stands while the main window and its windows are made.
    auto title = std::make_unique<TTitlef1>(QLatin1String(ApplicationTitle));
    title->show();
    QApplication::processEvents();
    TMainF main(settings);
    const auto startWindows = makeStartWindows(main, settings);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &main, [&main] { raise(&main); });
    main.showAtStart();
    title.reset();
    showStartWindowsAfterMain(*startWindows, main, settings);
    if (!options->screenshot.isEmpty())
        scheduleScreenshot(main, *options);
    return app.exec();
}

} // namespace velm
