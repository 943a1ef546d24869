// The backup dialog driven through its buttons: which files each group takes,
// the folder checks, a backup and restore round trip of files and settings,
// and that a restore which cannot finish leaves the program folder as it was.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <unistd.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "shell/app/app.h"
#include "shell/settings/appsettings.h"
#include "shell/tools/backupdialog.h"
#include "output/placebook.h"
#include "shell/common/messages.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

const QString NoFolder = QStringLiteral("媒体 or フォルダ がありません。");

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// Every entry of a folder, hidden ones too, with its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> out;
    for (const QFileInfo &e : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                        | QDir::NoDotAndDotDot)) {
        QFile f(e.filePath());
        out.insert(e.fileName(), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return out;
}

struct Fixture {
    ScratchProgram program{DataFiles::None};
    QTemporaryDir media, config;
    AppSettings settings{program.path(), config.path()};
    RecordedMessages messages{ui::Answer::Yes};
    std::unique_ptr<TBackF> dialog;
    int ended = 0;

    Fixture()
    {
        put(program.filePath("SuuFile.Dat"), "numbers\r\n");
        put(program.filePath("SETUFILE.DAT"), "explanations\r\n");
        put(program.filePath("Senji.dat"), QByteArray(3000, 'x'));
        put(program.filePath("Senji.Idx"), "index\r\n");
        put(program.filePath("client.nam"), "名前\r\n");
        put(program.filePath("VELMWIN.ini"), "[MenuBar]\r\nRev=3\r\n");
        put(program.filePath("MainF.ini"), "[MainF]\r\nLeft=0\r\n");
        put(program.filePath("mine.set"), "set\r\n");
        put(program.filePath("README"), "no extension\r\n");
        settings.store().setText("Back", "Edit1", media.path());
        open();
    }

    void open()
    {
        dialog = std::make_unique<TBackF>(settings);
        dialog->setEndProgram([this] { ++ended; });
        dialog->show();
    }
    void setGroups(int bits)
    {
        for (int bit = 0; bit < 4; ++bit)
            dialog->findChild<QCheckBox *>(QStringLiteral("CG1_%1").arg(bit))->setChecked(bits & (1 << bit));
    }
    void type(const QString &text)
    {
        dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->selectAll();
        QTest::keyClick(dialog->findChild<QLineEdit *>(QStringLiteral("Edit1")), Qt::Key_Delete);
        QTest::keyClicks(dialog->findChild<QLineEdit *>(QStringLiteral("Edit1")), text);
    }
    void click(const char *name)
    {
        auto *b = dialog->findChild<QPushButton *>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
};

} // namespace

TEST(BackF, GroupsSelectWholeExtensionsInAnyCase)
{
    struct Row {
        const char *name;
        int groups;
        bool selected;
    };
    const Row rows[] = {
        {"client.nam", 1, true},     {"CLIENT.NAM", 1, true},    {"client.Nam", 1, true},
        {"SuuFile.Dat", 2, true},    {"SETUFILE.DAT", 2, true},  {"Senji.dat", 2, true},
        {"VELMWIN.ini", 4, true},    {"x.SET", 4, true},         {"x.Ini", 4, true},
        {"VLW.reg", 8, true},        {"VLW.REG", 8, true},       {"VLW.Reg", 8, true},
        {"Senji.Idx", 15, false},    {"SuuFile.Dat", 13, false},
        {"Senji.dat", 13, false},    {"README", 15, false},      {"trailing.", 15, false},
        {"a.at", 15, false},         {"a.N", 15, false},         {"a.nam.txt", 15, false},
        {"archive.tar.dat", 2, true}, {".dat", 2, true},
    };
    for (const Row &r : rows)
        EXPECT_EQ(backupSelects(QString::fromUtf8(r.name), r.groups), r.selected) << r.name << " " << r.groups;
}

TEST(BackF, StatisticsAndSettings)
{
    EXPECT_EQ(selectionStatistics(3, 1234567), QStringLiteral("【合計ファイル数：　3】　　【容量：約  1,205.63 Ｋバイト】"));
    EXPECT_EQ(selectionStatistics(0, 0), QStringLiteral("【合計ファイル数：　0】　　【容量：約      0.00 Ｋバイト】"));
    EXPECT_EQ(EditChk("/a/b"), "/a/b/");
    EXPECT_EQ(EditChk("/a/b/"), "/a/b/");

    Fixture f;
    EXPECT_EQ(f.dialog->windowTitle(), QStringLiteral("ﾃﾞｰﾀﾊﾞｯｸｱｯﾌﾟ・ﾘｽﾄｱ"));
    EXPECT_TRUE(f.dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.dialog->groups(), 15); // the default: every group
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("Ap"))->text(), EditChk(f.program.path()));
    // Every file but README (no extension); Senji.Idx goes with Senji.dat.
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("InPnl"))->text(), selectionStatistics(8, 9 + 14 + 3000 + 7 + 8 + 18 + 17 + 5));
    f.setGroups(2);
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("InPnl"))->text(), selectionStatistics(4, 9 + 14 + 3000 + 7));
    QFile::remove(f.program.filePath("Senji.dat"));
    f.dialog->FormActivate();
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("InPnl"))->text(), selectionStatistics(2, 9 + 14)); // no index without its data
    put(f.program.filePath("Senji.dat"), QByteArray(3000, 'x'));
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("OutPnl"))->text(), selectionStatistics(0, 0));

    f.setGroups(4);
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("InPnl"))->text(), selectionStatistics(3, 18 + 17 + 5));
    f.type(f.media.filePath("usb"));
    f.dialog->accept();
    EXPECT_EQ(f.settings.store().integer("Back", "CG1", 15), 4);
    EXPECT_EQ(f.settings.store().text("Back", "Edit1"), f.media.filePath("usb"));

    f.open();
    EXPECT_EQ(f.dialog->groups(), 4);
    EXPECT_EQ(f.dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), f.media.filePath("usb"));

    // The folder browser: its choice, with a separator, and the figures follow.
    f.dialog->setFolderBrowser([&f](QWidget *, const QString &caption, const QString &start) {
        EXPECT_EQ(caption, QStringLiteral("バックアップ先のフォルダを指定してください。"));
        EXPECT_EQ(start, f.media.filePath("usb"));
        return f.media.path();
    });
    f.click("OpenBtn");
    EXPECT_EQ(f.dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), EditChk(f.media.path()));
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("OutPnl"))->text(), selectionStatistics(0, 0));

    AppSettings fresh(f.program.path(), f.config.path() + "/other");
    TBackF untouched(fresh);
    EXPECT_EQ(untouched.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), QDir::homePath() + "/BackUp");
}

TEST(BackF, OnlySettingsDataCopiesIniAndSetFiles)
{
    Fixture f;
    f.setGroups(4);
    f.click("BBtn");
    EXPECT_EQ(f.messages.texts, (QStringList{"バックアップを実行してよろしいですか？",
                                             "バックアップが終了しました。\n\n3 個のファイルをコピーしました。"}));
    EXPECT_EQ(snapshot(f.media.path()).keys(), (QStringList{"MainF.ini", "VELMWIN.ini", "mine.set"}));
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("OutPnl"))->text(), selectionStatistics(3, 18 + 17 + 5));
}

// The user's master data are stored as "SuuFile.Dat", "Senji.Dat", "Senji.Idx"
// and "SetuFile.Dat": all four go with 編集データ, and the count says so.
TEST(BackF, EditDataCopiesTheMasterDataInAnyCase)
{
    Fixture f;
    QFile::remove(f.program.filePath("Senji.dat"));
    QFile::remove(f.program.filePath("SETUFILE.DAT"));
    put(f.program.filePath("Senji.Dat"), "matters\r\n");
    put(f.program.filePath("SetuFile.Dat"), "texts\r\n");
    f.setGroups(2);
    f.click("BBtn");
    EXPECT_EQ(f.messages.texts.last(), QStringLiteral("バックアップが終了しました。\n\n4 個のファイルをコピーしました。"));
    EXPECT_EQ(snapshot(f.media.path()).keys(),
              (QStringList{"Senji.Dat", "Senji.Idx", "SetuFile.Dat", "SuuFile.Dat"}));
}

TEST(BackF, MissingFoldersAreOfferedOneLevelOnly)
{
    Fixture f;
    const QString usb = f.media.filePath("usb");
    f.type(usb);
    EXPECT_EQ(f.dialog->findChild<QLabel *>(QStringLiteral("OutPnl"))->text(), NoFolder); // at once, while typing

    // Declined: nothing made.
    f.messages.answer = ui::Answer::No;
    f.click("BBtn");
    EXPECT_EQ(f.messages.texts, QStringList{"フォルダ がありません。作成しますか？"});
    EXPECT_FALSE(QFileInfo::exists(usb));

    // Two levels below a missing parent: the parent is not made either.
    f.messages.clear();
    f.messages.answer = ui::Answer::Yes;
    f.type(f.media.filePath("missing/usb"));
    f.click("BBtn");
    EXPECT_EQ(f.messages.texts,
              (QStringList{"フォルダ がありません。作成しますか？", "フォルダ作成に失敗しました。"}));
    EXPECT_FALSE(QFileInfo::exists(f.media.filePath("missing")));

    f.messages.clear();
    f.type(usb);
    f.click("BBtn");
    ASSERT_EQ(f.messages.texts.size(), 3);
    EXPECT_EQ(f.messages.texts[1], QStringLiteral("バックアップを実行してよろしいですか？"));
    EXPECT_TRUE(f.messages.texts[2].startsWith(QStringLiteral("バックアップが終了しました。")));
    EXPECT_TRUE(QFileInfo(usb + "/SETUFILE.DAT").isFile());
    EXPECT_TRUE(QFileInfo(usb + "/VLW.reg").isFile());
    EXPECT_NE(f.dialog->findChild<QLabel *>(QStringLiteral("OutPnl"))->text(), NoFolder);

    // Nothing to copy, nothing to restore, and the program folder itself.
    f.messages.clear();
    f.setGroups(0);
    f.click("BBtn");
    f.click("RBtn");
    f.setGroups(15);
    f.type(f.program.path());
    f.click("BBtn");
    EXPECT_EQ(f.messages.texts, (QStringList{"バックアップするファイルがありません。", "リストアするファイルがありません。",
                                             "バックアップ先に、プログラムのフォルダは指定できません。"}));
}

TEST(BackF, RestoreBringsFilesAndSettingsBack)
{
    Fixture f;
    f.settings.store().setText("Sys", "TZE", "9.0");
    f.settings.store().setInteger("Sys", "Color0", 0xFFFF8E);
    f.settings.store().setBinary("Teii", "TeiiFWinPlace1", QByteArray("\x2c\0\0\0\x01", 5));
    const QMap<QString, QByteArray> before = snapshot(f.program.path());

    f.click("BBtn");
    ASSERT_TRUE(f.messages.saw("バックアップが終了しました。"));
    ASSERT_TRUE(QFileInfo(f.media.filePath("VLW.reg")).isFile());
    // The count is of every file written, the settings export too.
    EXPECT_TRUE(f.messages.texts.last().endsWith(
        QStringLiteral("%1 個のファイルをコピーしました。").arg(snapshot(f.media.path()).size())))
        << f.messages.texts.last().toStdString();

    // A second backup overwrites, after asking.
    put(f.program.filePath("SETUFILE.DAT"), "changed once\r\n");
    f.messages.clear();
    f.click("BBtn");
    EXPECT_TRUE(f.messages.saw("上書きします"));
    EXPECT_EQ(snapshot(f.media.path()).value("SETUFILE.DAT"), "changed once\r\n");
    put(f.program.filePath("SETUFILE.DAT"), "explanations\r\n");
    f.click("BBtn");

    // Then the program folder and the settings drift.
    put(f.program.filePath("SETUFILE.DAT"), "edited\r\n");
    QFile::remove(f.program.filePath("client.nam"));
    f.settings.store().setText("Sys", "TZE", "8.0");
    f.settings.store().setInteger("Sys", "Color0", 1);
    f.settings.store().setBinary("Teii", "TeiiFWinPlace1", QByteArray("zz"));
    f.settings.store().setText("Sys", "New", "kept");

    f.messages.clear();
    f.click("RBtn");
    ASSERT_GE(f.messages.texts.size(), 4);
    EXPECT_EQ(f.messages.texts[0], QStringLiteral("現在編集中の内容は破棄され、内容を反映させる為、VELMの再起動が必要となります。\n\n"
                                                  "リストアを実行してよろしいですか？"));
    EXPECT_EQ(f.messages.texts[1], QStringLiteral("リストアを実行してよろしいですか？"));
    EXPECT_TRUE(f.messages.texts[2].contains("VLW.reg"));
    EXPECT_EQ(f.messages.texts.last(), QStringLiteral("リストアが終了しました。内容を反映させる為、\n\n一旦、VELM を終了しますので、\n\n"
                                                      "再度、VELM起動してください。\n\n9 個のファイルをコピーしました。"));
    EXPECT_EQ(f.ended, 1);

    QMap<QString, QByteArray> after = snapshot(f.program.path());
    EXPECT_EQ(after.take("VLW.reg").left(2), QByteArray("\xFF\xFE")); // the export comes along with the .reg group
    EXPECT_EQ(after, before);
    EXPECT_EQ(f.settings.store().text("Sys", "TZE"), "9.0");
    EXPECT_EQ(f.settings.store().integer("Sys", "Color0"), 0xFFFF8E);
    EXPECT_EQ(f.settings.store().binary("Teii", "TeiiFWinPlace1"), QByteArray("\x2c\0\0\0\x01", 5));
    EXPECT_EQ(f.settings.store().text("Sys", "New"), "kept");
    // Written, not just held: a new store over the folder reads the same.
    SettingsStore reread(f.config.path());
    EXPECT_EQ(reread.text("Sys", "TZE"), "9.0");
}

TEST(BackF, RestoreWithoutRegistryDataLeavesTheSettings)
{
    Fixture f;
    f.settings.store().setText("Sys", "TZE", "9.0");
    f.click("BBtn");
    f.settings.store().setText("Sys", "TZE", "8.0");
    put(f.program.filePath("Senji.dat"), "edited\r\n");

    f.setGroups(7);
    f.messages.clear();
    f.click("RBtn");
    EXPECT_EQ(f.messages.texts.size(), 3); // two questions and the end; no import question
    EXPECT_FALSE(f.messages.saw("VLW"));
    EXPECT_EQ(f.settings.store().text("Sys", "TZE"), "8.0");
    EXPECT_EQ(snapshot(f.program.path()).value("Senji.dat"), QByteArray(3000, 'x'));
    EXPECT_FALSE(QFileInfo::exists(f.program.filePath("VLW.reg")));

    // Declining the import: files restored, settings kept.
    f.setGroups(15);
    f.settings.store().setText("Sys", "TZE", "7.0");
    f.messages.yesTo = [](const QString &t) { return !t.contains("VLW"); };
    f.click("RBtn");
    EXPECT_EQ(f.settings.store().text("Sys", "TZE"), "7.0");
    EXPECT_EQ(f.ended, 2);
}

TEST(BackF, ABrokenExportStopsOnlyTheImport)
{
    Fixture f;
    f.click("BBtn");
    put(f.media.filePath("VLW.reg"), "Windows Registry Editor Version 5.00\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Quorvel\\VELM\\Sys]\r\n\"TZE\"=\"8.0\"\r\n\"CB1\"=dword:\r\n");
    f.settings.store().setText("Sys", "TZE", "9.0");
    f.messages.clear();
    f.click("RBtn");
    EXPECT_TRUE(f.messages.saw("5 行目が正しくありません"));
    EXPECT_EQ(f.settings.store().text("Sys", "TZE"), "9.0");
}

TEST(BackF, AFailedRestoreLeavesTheProgramFolderAsItWas)
{
    Fixture f;
    f.click("BBtn");
    put(f.program.filePath("SETUFILE.DAT"), "edited\r\n");
    put(f.program.filePath("VELMWIN.ini"), "edited\r\n");
    f.settings.store().setText("Sys", "TZE", "8.0");
    const QMap<QString, QByteArray> before = snapshot(f.program.path());

    // "Senji.dat" sorts after SETUFILE.DAT and MainF.ini, which are copied
    // first. It cannot be read: without permission, or (as root, who reads
    // everything) a file whose reading fails with an input/output error.
    const QString broken = f.media.filePath("Senji.dat");
    QFile locked(broken);
    if (geteuid() == 0) {
        ASSERT_TRUE(QFile::remove(broken));
        ASSERT_TRUE(QFile::link("/proc/self/mem", broken));
    } else {
        ASSERT_TRUE(locked.setPermissions(QFileDevice::Permissions()));
    }
    f.messages.clear();
    f.click("RBtn");
    if (geteuid() != 0)
        locked.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    EXPECT_TRUE(f.messages.texts.last().contains("Senji.dat"));
    // The reason in Japanese, not the system's English text.
    EXPECT_TRUE(f.messages.texts.last().contains(geteuid() == 0 ? "ディスクの読み書きに失敗しました"
                                                               : "アクセスが許可されていません"))
        << f.messages.texts.last().toStdString();
    EXPECT_TRUE(f.messages.texts.last().contains("プログラムのフォルダは元のままです。"));
    EXPECT_EQ(snapshot(f.program.path()), before);
    EXPECT_EQ(f.settings.store().text("Sys", "TZE"), "8.0");
    EXPECT_EQ(f.ended, 0);
}

TEST(BackF, AStoppedCopyLeavesTheDestination)
{
    QTemporaryDir from, to;
    put(from.filePath("a.dat"), QByteArray(200000, 'a'));
    put(from.filePath("b.dat"), QByteArray(200000, 'b'));
    put(to.filePath("a.dat"), "old");
    const QMap<QString, QByteArray> before = snapshot(to.path());
    int calls = 0;
    const CopyResult stopped = copyFileSet(from.path(), to.path(), {"a.dat", "b.dat"},
                                           [&calls](qint64, qint64, const QString &) { return ++calls < 5; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(snapshot(to.path()), before);

    qint64 last = 0;
    const CopyResult copied = copyFileSet(from.path(), to.path(), {"a.dat", "b.dat"},
                                          [&last](qint64 done, qint64 total, const QString &) {
                                              EXPECT_EQ(total, 400000);
                                              last = done;
                                              return true;
                                          });
    EXPECT_TRUE(copied.ok);
    EXPECT_EQ(last, 400000);
    EXPECT_EQ(snapshot(to.path()), snapshot(from.path()));
    EXPECT_EQ(QFileInfo(to.filePath("a.dat")).lastModified(), QFileInfo(from.filePath("a.dat")).lastModified());

    // A FIFO among the files is refused by name, never waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(from.filePath("c.dat")).constData(), 0600), 0);
    const QMap<QString, QByteArray> copiedBefore = snapshot(to.path());
    const CopyResult fifo = copyFileSet(from.path(), to.path(), {"a.dat", "c.dat"}, {});
    EXPECT_FALSE(fifo.ok);
    EXPECT_TRUE(fifo.message.contains("c.dat") && fifo.message.contains("通常のファイル")) << fifo.message.toStdString();
    EXPECT_EQ(snapshot(to.path()), copiedBefore);
}

TEST(BackF, ThePlaceBookIsCopiedWhileInUseAndRestoredThroughItsJournal)
{
    Fixture f;
    std::string error;
    auto book = PlaceBook::open(f.program.filePath(PlaceBookFile).toStdString(), error);
    ASSERT_TRUE(book) << error;
    for (int i = 0; i < 100; ++i) {
        Place p;
        p.name = "地点" + std::to_string(i);
        ASSERT_EQ(book->add(p), "");
    }
    f.setGroups(2);
    f.click("BBtn");
    EXPECT_TRUE(f.messages.texts.last().contains(QStringLiteral("5 個のファイル"))) << f.messages.texts.last().toStdString();
    EXPECT_FALSE(QFileInfo::exists(f.media.filePath("VELM.db-wal")));
    {
        auto copy = PlaceBook::open(f.media.filePath(PlaceBookFile).toStdString(), error);
        ASSERT_TRUE(copy) << error;
        EXPECT_EQ(copy->places(error).size(), 100u);
    }
    // Restored while the program still has it open: the open book sees the
    // backup's places, and its own later change is gone.
    ASSERT_EQ(book->remove("地点0"), "");
    const CopyResult restored = copyFileSet(f.media.path(), f.program.path(), {PlaceBookFile});
    EXPECT_TRUE(restored.ok) << restored.message.toStdString();
    EXPECT_EQ(book->places(error).size(), 100u);
    EXPECT_TRUE(book->find("地点0", error));
    EXPECT_FALSE(QFileInfo::exists(f.program.filePath(".VELM.db.velm-old")));
}
