// Start-up: the required files in their order and the message for the first
// one missing, the command line, the program folder, and the one-instance rule.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "shell/app/app.h"
#include "shell/common/japanese.h"
#include "shell/common/messages.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

// Copies the repository's data file whose name matches `name` without regard to case.
void copyDataFile(const QString &name, const QString &to, const QString &as = {})
{
    const QString from = programFile(QStringLiteral(VELM_DATA_DIR), name);
    ASSERT_TRUE(QFile::exists(from)) << from.toStdString();
    ASSERT_TRUE(QFile::copy(from, QDir(to).filePath(as.isEmpty() ? QFileInfo(from).fileName() : as)));
}

} // namespace

TEST(Startup, QtsOwnDialogsSpeakJapanese)
{
    ASSERT_TRUE(installJapanese(*qApp)) << "qtbase_ja (qt6-translations-l10n) is missing";
    QMessageBox box(QMessageBox::Question, QStringLiteral("VELM"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("はい")));
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("いいえ")));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    // Qt's own file dialogs, which follow the translations, not the desktop's.
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("フォルダ"));

    QCalendarWidget calendar;
    calendar.setCurrentPage(2024, 3);
    japaneseMonthHeading(&calendar);
    auto *month = calendar.findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
    auto *year = calendar.findChild<QToolButton *>(QStringLiteral("qt_calendar_yearbutton"));
    ASSERT_TRUE(month && year);
    EXPECT_EQ(year->text() + month->text(), QStringLiteral("2024年3月"));
    calendar.show();
    EXPECT_LT(year->x(), month->x());
    calendar.setCurrentPage(2025, 11);
    EXPECT_EQ(year->text() + month->text(), QStringLiteral("2025年11月"));
}

TEST(Startup, RequiredFilesAreCheckedInOrder)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    // The order of the check: help, explanations, numbers, matters, matters index.
    EXPECT_EQ(firstMissingRequiredFile(folder), "VELMWIN.html");
    copyDataFile("VELMWIN.html", folder);
    EXPECT_EQ(firstMissingRequiredFile(folder), "SETUFILE.DAT");
    copyDataFile("SetuFile.Dat", folder);
    EXPECT_EQ(firstMissingRequiredFile(folder), "SUUFILE.DAT");
    // Names match whatever their case: the data files are written "SuuFile.Dat".
    copyDataFile("SuuFile.Dat", folder);
    copyDataFile("Senji.Dat", folder);
    EXPECT_EQ(firstMissingRequiredFile(folder), "SENJI.IDX");

    RecordedMessages record;
    EXPECT_FALSE(checkRequiredFiles(folder));
    ASSERT_EQ(record.texts.size(), 1);
    EXPECT_EQ(record.texts[0], "SENJI.IDXが、ありません。");
    EXPECT_EQ(record.seen[0].kind, ui::MessageKind::Error);

    copyDataFile("Senji.Idx", folder, "senji.idx");
    EXPECT_EQ(firstMissingRequiredFile(folder), "");
    EXPECT_TRUE(checkRequiredFiles(folder));
    EXPECT_EQ(record.texts.size(), 1);
    // A folder of that name is not the file.
    QTemporaryDir other;
    for (const char *name : {"VELMWIN.html", "SetuFile.Dat"})
        copyDataFile(name, other.path());
    QDir(other.path()).mkdir("SUUFILE.DAT");
    EXPECT_EQ(firstMissingRequiredFile(other.path()), "SUUFILE.DAT");
}

TEST(Startup, DataFilesAreFoundWhateverTheirCase)
{
    QTemporaryDir dir;
    copyDataFile("SetuFile.Dat", dir.path(), "SETUFILE.DAT");
    EXPECT_EQ(programFile(dir.path(), "SetuFile.Dat"), dir.path() + "/SETUFILE.DAT");
    // Missing: the name as asked for, so messages name the file the program wanted.
    EXPECT_EQ(programFile(dir.path(), "SuuFile.Dat"), dir.path() + "/SuuFile.Dat");
    setProgramFolder(dir.path());
    EXPECT_EQ(programFile("setufile.dat"), dir.path() + "/SETUFILE.DAT");
}

TEST(Startup, CommandLine)
{
    QString error;
    std::optional<StartOptions> o = parseStartOptions({}, &error);
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->dataDir.isEmpty());

    o = parseStartOptions({"--data", "/opt/velm", "--screenshot=/tmp/a.png", "--moment", "2024-03-01T12:00"}, &error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->dataDir, "/opt/velm");
    EXPECT_EQ(o->screenshot, "/tmp/a.png");
    EXPECT_EQ(o->moment, "2024-03-01T12:00");

    EXPECT_FALSE(parseStartOptions({"--data"}, &error));
    EXPECT_TRUE(error.contains("--data"));
    EXPECT_FALSE(parseStartOptions({"--colour", "red"}, &error));
    EXPECT_TRUE(error.contains("--colour"));
    EXPECT_FALSE(parseStartOptions({"--moment", "2024-13-01T12:00"}, &error));
    // The date and time apart, as velm-cli takes them, in one word or two.
    o = parseStartOptions({"--moment", "2024-03-01 12:00"}, &error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->moment, "2024-03-01T12:00");
    o = parseStartOptions({"--moment", "2024/3/1", "9:05", "--data", "/opt/velm"}, &error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->moment, "2024-03-01T09:05");
    EXPECT_FALSE(parseStartOptions({"--moment", "2024-03-01T12:00", "13:00"}, &error));
    EXPECT_FALSE(parseStartOptions({"--moment", "2024-03-01 25:00"}, &error));
    EXPECT_FALSE(parseStartOptions({"--data="}, &error));

    // The export for scripts, and what --help and --version answer.
    o = parseStartOptions({"--export", "/tmp/a.svg", "--moment", "2024-03-01T12:00", "--kind", "day"}, &error);
    ASSERT_TRUE(o) << error.toStdString();
    EXPECT_EQ(o->exportFile, "/tmp/a.svg");
    EXPECT_EQ(o->kind, 2);
    EXPECT_FALSE(parseStartOptions({"--export", "/tmp/a.gif"}, &error));
    EXPECT_FALSE(parseStartOptions({"--export", "/tmp/a.png", "--kind", "week"}, &error));
    EXPECT_FALSE(parseStartOptions({"--kind", "day"}, &error));
    EXPECT_FALSE(parseStartOptions({"stray"}, &error));
    EXPECT_TRUE(parseStartOptions({"--version"}, &error)->version);
    EXPECT_TRUE(parseStartOptions({"-h"}, &error)->help);
    EXPECT_TRUE(startHelpText().contains("--export")) << startHelpText().toStdString();
    EXPECT_TRUE(startHelpText().contains(QStringLiteral("データファイルのフォルダ")));
}

TEST(Startup, ProgramFolderPrecedence)
{
    StartOptions o;
    const QByteArray saved = qgetenv("VELM_DATA_DIR");
    qunsetenv("VELM_DATA_DIR");
    QTemporaryDir build;
    QTemporaryDir home;
    const QString user = home.filePath("Quorvel/VELM");
    {
        QFile numbers(build.filePath("SuuFile.Dat"));
        ASSERT_TRUE(numbers.open(QIODevice::WriteOnly));
        numbers.write("numbers\r\n");
    }
    // A build runs from its own folder; an install without data beside it
    // from the user's folder.
    EXPECT_EQ(resolveProgramFolder(o, build.path(), user), QDir(build.path()).absolutePath());
    EXPECT_EQ(resolveProgramFolder(o, "/usr/lib/velm", user), user);
    // A read-only program folder: the user's folder, filled from it.
    QFile::setPermissions(build.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
    QStringList errors;
    EXPECT_EQ(resolveProgramFolder(o, build.path(), user, &errors), user);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(user + "/SuuFile.Dat"));
    QFile::setPermissions(build.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    qputenv("VELM_DATA_DIR", "/srv/velm-data");
    EXPECT_EQ(resolveProgramFolder(o, "/usr/lib/velm", user), "/srv/velm-data");
    o.dataDir = "/home/me/velm";
    EXPECT_EQ(resolveProgramFolder(o, "/usr/lib/velm", user), "/home/me/velm");
    if (saved.isNull())
        qunsetenv("VELM_DATA_DIR");
    else
        qputenv("VELM_DATA_DIR", saved);
}

TEST(Startup, ASecondStartRaisesTheFirstAndEnds)
{
    QTemporaryDir dir;
    const QString name = dir.path() + "/VLW_MUTEX";
    SingleInstance first(name);
    ASSERT_TRUE(first.acquire());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    SingleInstance second(name);
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(raised.wait(3000));
    EXPECT_EQ(raised.count(), 1);
}

TEST(Startup, AStaleSocketFromACrashDoesNotBlockTheStart)
{
    QTemporaryDir dir;
    const QString name = dir.path() + "/VLW_MUTEX";
    {
        // What a crash leaves: the socket file with nobody listening.
        QFile stale(name);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance instance(name);
    EXPECT_TRUE(instance.acquire());
}

TEST(Startup, ScratchSettingsFolderHasItsOwnInstance)
{
    const QByteArray saved = qgetenv("VELM_CONFIG_DIR");
    qputenv("VELM_CONFIG_DIR", "/tmp/velm-a");
    const QString a = defaultInstanceName();
    qputenv("VELM_CONFIG_DIR", "/tmp/velm-b");
    const QString b = defaultInstanceName();
    qunsetenv("VELM_CONFIG_DIR");
    const QString user = defaultInstanceName();
    qputenv("VELM_CONFIG_DIR", saved);
    EXPECT_NE(a, b);
    EXPECT_TRUE(QFileInfo(user).fileName() == "VLW_MUTEX");
    EXPECT_TRUE(QFileInfo(a).fileName().startsWith("VLW_MUTEX"));
}
