#include "shell/app/app.h"

#include <cstdio>

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocalServer>
#include <QLocale>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include "output/charttext.h"
#include "output/datafolder.h"
#include "shell/charts/chartexport.h"
#include "shell/common/helpwindow.h"
#include "shell/settings/appsettings.h"
#include "shell/charts/chartwindow.h"
#include "shell/main/mainwindow.h"
#include "shell/common/messages.h"
#include "shell/common/checkres.h"
#include "shell/common/japanese.h"
#include "shell/app/startwindows.h"
#include "shell/tools/titlewindows.h"
#include "shell/common/savedialog.h"

namespace velm {
namespace {

const QByteArray RaiseRequest = "raise\n";

} // namespace

namespace {

// The options and their Japanese help, in the order --help lists them.
struct OptionSpec {
    const char *name;
    const char *valueName; // nullptr: a switch
    const char *help;
};
constexpr OptionSpec OptionSpecs[] = {
    {"data", "DIR", "データファイルのフォルダ (省略時は $VELM_DATA_DIR、プログラムのフォルダ、ユーザーのデータフォルダの順)"},
    {"moment", "YYYY-MM-DDTHH:MM", "盤を作る日時 (--screenshot、--export と共に。日付と時刻の間は T か空白)"},
    {"kind", "year|month|day|hour", "--export で書き出す盤の種類 (省略時は時盤)"},
    {"export", "OUT.png|OUT.svg|OUT.pdf", "ウィンドウを表示せずに盤を画像か PDF に書き出して終了"},
    {"screenshot", "FILE", "盤を作り、メインウィンドウを PNG に保存して終了"},
    {"version", nullptr, "バージョンを表示"},
    {"help", nullptr, "このヘルプを表示"},
};

QList<QCommandLineOption> commandLineOptions()
{
    QList<QCommandLineOption> options;
    for (const OptionSpec &spec : OptionSpecs) {
        QStringList names{QLatin1String(spec.name)};
        if (std::string_view(spec.name) == "help")
            names << QStringLiteral("h");
        if (spec.valueName)
            options << QCommandLineOption(names, QString::fromUtf8(spec.help), QString::fromUtf8(spec.valueName));
        else
            options << QCommandLineOption(names, QString::fromUtf8(spec.help));
    }
    return options;
}

void setUpParser(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("VELM %1: 奇門遁甲の盤を作り、方位を採点し、検索します。").arg(programVersion()));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(commandLineOptions());
}

// "YYYY-MM-DDTHH:MM", or the date and time apart ("YYYY-MM-DD HH:MM"), as
// velm-cli takes them, in the one form the rest of the start-up reads; empty
// when it is no moment.
QString normalizedMoment(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})(?:T| +)(\\d{1,2})(?::(\\d{2}))?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).isEmpty() ? 0 : m.captured(5).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time).toString(QStringLiteral("yyyy-MM-ddTHH:mm"));
}

} // namespace

QString startHelpText()
{
    QCommandLineParser parser;
    setUpParser(parser);
    return parser.helpText();
}

std::optional<StartOptions> parseStartOptions(const QStringList &arguments, QString *error)
{
    StartOptions o;
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return std::nullopt;
    };
    QCommandLineParser parser;
    setUpParser(parser);
    if (!parser.parse(QStringList{QStringLiteral("velm")} + arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().front();
            return fail(QStringLiteral("不明な引数です: %1%2").arg(name.size() == 1 ? "-" : "--", name));
        }
        // The only other failure: a value option given last without its value.
        QString name = arguments.isEmpty() ? QString() : arguments.back();
        return fail(QStringLiteral("%1 の後に値がありません。").arg(name));
    }
    QStringList positional = parser.positionalArguments();
    // "--moment 2024-03-01 12:00": the time came apart from its date.
    const QString givenMoment = parser.value(QStringLiteral("moment"));
    if (!positional.isEmpty() && parser.isSet(QStringLiteral("moment")) && !givenMoment.contains(QLatin1Char('T'))
        && !givenMoment.contains(QLatin1Char(' ')) && !normalizedMoment(givenMoment + " " + positional.front()).isEmpty())
        positional.removeFirst();
    if (!positional.isEmpty())
        return fail(QStringLiteral("不明な引数です: %1").arg(positional.front()));
    o.help = parser.isSet(QStringLiteral("help"));
    o.version = parser.isSet(QStringLiteral("version"));
    const struct {
        const char *name;
        QString *target;
    } values[] = {{"data", &o.dataDir}, {"screenshot", &o.screenshot}, {"moment", &o.moment},
                  {"export", &o.exportFile}, {"kind", &o.kindName}};
    for (const auto &v : values) {
        const QString name = QLatin1String(v.name);
        if (!parser.isSet(name))
            continue;
        *v.target = parser.value(name);
        if (v.target->isEmpty())
            return fail(QStringLiteral("--%1 の値が空です。").arg(name));
    }
    if (!o.moment.isEmpty()) {
        if (positional.size() < parser.positionalArguments().size())
            o.moment += QLatin1Char(' ') + parser.positionalArguments().front();
        const QString moment = normalizedMoment(o.moment);
        if (moment.isEmpty())
            return fail(QStringLiteral("--moment は YYYY-MM-DDTHH:MM (または YYYY-MM-DD HH:MM) の形で指定して下さい: %1")
                            .arg(o.moment));
        o.moment = moment;
    }
    if (!o.kindName.isEmpty()) {
        static const QStringList kinds{"year", "month", "day", "hour"};
        o.kind = static_cast<int>(kinds.indexOf(o.kindName));
        if (o.kind < 0)
            return fail(QStringLiteral("--kind は year、month、day、hour のいずれかで指定して下さい: %1").arg(o.kindName));
    }
    if (!o.exportFile.isEmpty() && !chartImageFormatOf(o.exportFile))
        return fail(QStringLiteral("--export のファイル名は .png、.svg、.pdf のいずれかで終えて下さい: %1").arg(o.exportFile));
    if (!o.kindName.isEmpty() && o.exportFile.isEmpty())
        return fail(QStringLiteral("--kind は --export と共に指定して下さい。"));
    return o;
}

QString resolveProgramFolder(const StartOptions &options, const QString &executableFolder,
                             const QString &userFolder, QStringList *errors)
{
    const PreparedDataFolder prepared =
        prepareDataFolder(QFile::encodeName(options.dataDir).toStdString(),
                          QFile::encodeName(qEnvironmentVariable("VELM_DATA_DIR")).toStdString(),
                          QFile::encodeName(executableFolder).toStdString(),
                          QFile::encodeName(userFolder).toStdString());
    if (errors)
        for (const std::string &e : prepared.errors)
            *errors << QString::fromStdString(e);
    return QFile::decodeName(QByteArray::fromStdString(prepared.choice.folder));
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
        main.charts()->tile();
        // The pane as after a click on the hour chart's south palace.
        if (const std::optional<CivilTime> at = main.enteredMoment()) {
            if (TBanF *hour = main.charts()->chartWindow(QString::fromStdString(chartTitle(3, *at)))) {
                if (auto *sub = qobject_cast<QMdiSubWindow *>(hour->parentWidget()))
                    main.charts()->mdiArea()->setActiveSubWindow(sub);
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

namespace {

// --export: the chart of one kind at a moment, written as a picture or PDF
// without showing a window; messages go to standard error.
int exportChart(const StartOptions &options)
{
    ui::setMessageHandler([](QWidget *, const ui::Message &m) {
        std::fprintf(stderr, "velm: %s\n", qPrintable(QString(m.text).replace(QLatin1String("\n\r"), QLatin1String(" "))));
        return ui::Answer::No;
    });
    if (!checkRequiredFiles(programFolder()))
        return 1;
    AppSettings settings(programFolder());
    TMainF main(settings);
    CivilTime moment;
    if (options.moment.isEmpty()) {
        const QDateTime now = QDateTime::currentDateTime();
        moment = CivilTime{now.date().year(), now.date().month(), now.date().day(), now.time().hour(),
                           now.time().minute(), 0};
    } else {
        const QDateTime m = QDateTime::fromString(options.moment, QStringLiteral("yyyy-MM-ddTHH:mm"));
        moment = CivilTime{m.date().year(), m.date().month(), m.date().day(), m.time().hour(), m.time().minute(), 0};
    }
    // One chart: the kind asked for, without the designated hours of the day.
    for (int k = 0; k < 4; ++k)
        main.entry()->setBanGrp(k, k == options.kind);
    main.entry()->setCGS(false);
    main.setMoment(moment);
    main.BanBtnClick();
    const QList<TBanF *> charts = main.charts()->chartWindows();
    if (charts.isEmpty()) {
        std::fprintf(stderr, "velm: 盤を作成できませんでした。\n");
        return 1;
    }
    const QString error = saveChartImage(*charts.front(), options.exportFile);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "velm: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

} // namespace

int answerWithoutWindows(QCoreApplication &app)
{
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
    QString error;
    const std::optional<StartOptions> options = parseStartOptions(app.arguments().mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "velm: %s\n", qPrintable(error));
        return 2;
    }
    if (options->help)
        std::fputs(qPrintable(startHelpText()), stdout);
    else
        std::printf("velm %s\n", qPrintable(programVersion()));
    return 0;
}

int runVelm(QApplication &app)
{
    QApplication::setApplicationName(QLatin1String(ApplicationTitle));
    QApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velm"));
    QApplication::setApplicationVersion(programVersion());
    installJapanese(app);
    QString error;
    const std::optional<StartOptions> options = parseStartOptions(app.arguments().mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "velm: %s\n", qPrintable(error));
        return 2;
    }
    if (options->help) {
        std::fputs(qPrintable(startHelpText()), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("velm %s\n", qPrintable(programVersion()));
        return 0;
    }

    QStringList folderErrors;
    setProgramFolder(resolveProgramFolder(*options, QCoreApplication::applicationDirPath(),
                                          QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                                          &folderErrors));
    // A script's export runs beside a running program and shows nothing.
    if (!options->exportFile.isEmpty())
        return exportChart(*options);

    SingleInstance instance;
    if (!instance.acquire())
        return 0;
    if (CheckRes(ResAtStart))
        return 1;
    // No display name: the platform would add it to every caption, and the
    // main window's caption already starts with the program's name.

    installHelpKey();
    for (const QString &e : folderErrors)
        ui::showWarning(nullptr, e);
    if (!checkRequiredFiles(programFolder()))
        return 1;

    AppSettings settings(programFolder());
    if (!settings.loadError().isEmpty())
        ui::showWarning(nullptr, settings.loadError());
    keepSaveFolder([&settings] { return settings.saveFolder(); },
                   [&settings](const QString &folder) { settings.setSaveFolder(folder); });

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
