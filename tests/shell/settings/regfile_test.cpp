// The settings export "VLW.reg": what it looks like, that everything the
// store holds comes back unchanged, the encodings a hand-edited file may have,
// and that a broken file changes nothing.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include "shell/settings/regfile.h"
#include "shell/settings/settingsstore.h"

using namespace velm;

namespace {

const QString Tricky = QStringLiteral("C:\\BackUp\\\"引用\" 九星 ﾃﾞｰﾀ");
const QByteArray Blob = QByteArray::fromHex("2c0000000000000001000000ffffffffffffffff00000000000000000001000080020000");

void fill(SettingsStore &s)
{
    s.setText("Back", "Edit1", Tricky);
    s.setInteger("Back", "CG1", 15);
    s.setInteger("Sys", "Color0", 0xFFFF8E);
    s.setInteger("Sys", "Neg", -5);
    s.setBoolean("Sys", "KCB1", true);
    s.setBoolean("Sys", "TCB", false);
    s.setText("Sys", "TZE", "9.0");
    s.setText("Sys", "Src", "500");
    s.setText("Sys", "Lead", "0012");
    s.setText("Sys", "Empty", "");
    s.setText("Sys", "Lines", QStringLiteral("一行目\r\n二行目"));
    s.setBinary("Teii", "TeiiFWinPlace1", Blob);
    s.setBinary("Teii", "None", QByteArray());
    s.setText("Tool", "Deep/Name", "x"); // a sub-key two levels down
}

void expectFilled(const SettingsStore &s)
{
    EXPECT_EQ(s.text("Back", "Edit1"), Tricky);
    EXPECT_EQ(s.integer("Back", "CG1"), 15);
    EXPECT_EQ(s.integer("Sys", "Color0"), 0xFFFF8E);
    EXPECT_EQ(s.integer("Sys", "Neg"), -5);
    EXPECT_TRUE(s.boolean("Sys", "KCB1", false));
    EXPECT_FALSE(s.boolean("Sys", "TCB", true));
    EXPECT_EQ(s.text("Sys", "TZE"), "9.0");
    EXPECT_EQ(s.text("Sys", "Src"), "500");
    EXPECT_EQ(s.text("Sys", "Lead"), "0012");
    EXPECT_TRUE(s.contains("Sys", "Empty"));
    EXPECT_EQ(s.text("Sys", "Empty", "default"), "");
    EXPECT_EQ(s.text("Sys", "Lines"), QStringLiteral("一行目\r\n二行目"));
    EXPECT_EQ(s.binary("Teii", "TeiiFWinPlace1"), Blob);
    EXPECT_TRUE(s.contains("Teii", "None"));
    EXPECT_EQ(s.text("Tool/Deep", "Name"), "x");
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

TEST(RegFile, TextHasTheRegistryEditorsShape)
{
    QTemporaryDir cfg;
    SettingsStore s(cfg.path());
    fill(s);
    const QString text = settingsToRegText(s.all());
    EXPECT_TRUE(text.startsWith("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvel\\VELM]\r\n"));
    EXPECT_TRUE(text.contains("\r\n[HKEY_CURRENT_USER\\Software\\Quorvel\\VELM\\Back]\r\n"));
    EXPECT_TRUE(text.contains("\"CG1\"=dword:0000000f\r\n"));
    EXPECT_TRUE(text.contains("\"Neg\"=dword:fffffffb\r\n"));
    EXPECT_TRUE(text.contains("\"KCB1\"=dword:00000001\r\n"));
    EXPECT_TRUE(text.contains("\"Src\"=dword:000001f4\r\n"));
    EXPECT_TRUE(text.contains("\"Lead\"=\"0012\"\r\n"));
    EXPECT_TRUE(text.contains(QStringLiteral("\"Edit1\"=\"C:\\\\BackUp\\\\\\\"引用\\\" 九星 ﾃﾞｰﾀ\"\r\n")));
    EXPECT_TRUE(text.contains("\"Lines\"=hex(1):")); // a quoted text cannot hold a line break
    // Long hex values wrap as the editor wraps them: under 80 columns, a
    // backslash at the end, two blanks in front of the next line.
    EXPECT_TRUE(text.contains("\"TeiiFWinPlace1\"=hex:2c,00,00,00,00,00,00,00,01,00,00,00,ff,ff,ff,ff,ff,ff,ff,\\\r\n"
                              "  ff,00,00,00,00,00,00,00,00,00,01,00,00,80,02,00,00\r\n"));
    for (const QString &line : text.split("\r\n"))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    EXPECT_TRUE(text.contains("\"None\"=hex:\r\n"));
    // Parent keys are listed before their sub-keys, as the editor does.
    EXPECT_LT(text.indexOf("VELM\\Tool]"), text.indexOf("VELM\\Tool\\Deep]"));

    const QByteArray file = encodeRegFile(text);
    EXPECT_TRUE(file.startsWith(QByteArray("\xFF\xFE" "W\0i\0n\0", 8)));
}

TEST(RegFile, ExportThenImportGivesEveryValueBack)
{
    QTemporaryDir cfg, other, out;
    SettingsStore source(cfg.path());
    fill(source);
    const QString path = out.filePath("VLW.reg");
    ASSERT_EQ(exportSettings(source, path), QString());

    SettingsStore target(other.path());
    target.setText("Sys", "Kept", "not in the export");
    target.setText("Back", "Edit1", "old");
    ASSERT_EQ(importSettings(target, path), QString());
    expectFilled(target);
    EXPECT_EQ(target.text("Sys", "Kept"), "not in the export");

    // And it was written: a fresh store over the same folder reads the same.
    SettingsStore reread(other.path());
    expectFilled(reread);
}

TEST(RegFile, ValuesReadBackFromTheSettingsFileExportTheSame)
{
    // After a restart every integer comes back from the settings file as
    // text; the export must still be the same.
    QTemporaryDir cfg, out;
    {
        SettingsStore s(cfg.path());
        fill(s);
        ASSERT_EQ(s.sync(), QString());
    }
    SettingsStore reloaded(cfg.path());
    QTemporaryDir first;
    SettingsStore fresh(first.path());
    fill(fresh);
    EXPECT_EQ(settingsToRegText(reloaded.all()), settingsToRegText(fresh.all()));
}

TEST(RegFile, AcceptsOtherEncodingsLineEndsAndKeyCase)
{
    QTemporaryDir dir, cfg;
    const QString text = QStringLiteral(
        "Windows Registry Editor Version 5.00\n\n"
        "; a comment\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\n\"X\"=\"ignored\"\n\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Quorvel\\VELM\\sys]\n"
        "\"cb1\"=dword:1\n"
        "\"Name\"=\"ＭＳ ゴシック\"\n"
        "\"Path\"=\"C:\\BackUp\"\n" // a lone backslash as a hand edit leaves it
        "\"Wide\"=hex(2):41,00,42,00,00,00\n"
        "\"Q\"=hex(b):02,00,00,00,00,00,00,00\n"
        "\"Bin\"=hex:01,02,\\\n   03\n"
        "\"Gone\"=-\n");
    SettingsStore s(cfg.path());
    s.setBoolean("Sys", "CB1", false);
    s.setText("Sys", "Gone", "x");
    s.setText("Other", "X", "kept");

    const std::vector<QByteArray> forms{
        text.toUtf8(),
        QByteArray("\xEF\xBB\xBF") + text.toUtf8(),
        encodeRegFile(QString(text).replace("\n", "\r\n")),
    };
    for (const QByteArray &bytes : forms) {
        const QString path = write(dir, "VLW.REG", bytes);
        ASSERT_EQ(importSettings(s, path), QString());
        EXPECT_TRUE(s.boolean("Sys", "CB1", false));
        EXPECT_FALSE(s.contains("sys", "cb1")); // landed on the stored key
        EXPECT_EQ(s.text("Sys", "Name"), QStringLiteral("ＭＳ ゴシック"));
        EXPECT_EQ(s.text("Sys", "Path"), "C:\\BackUp");
        EXPECT_EQ(s.text("Sys", "Wide"), "AB");
        EXPECT_EQ(s.integer("Sys", "Q"), 2);
        EXPECT_EQ(s.binary("Sys", "Bin"), QByteArray("\x01\x02\x03", 3));
        EXPECT_FALSE(s.contains("Sys", "Gone"));
        EXPECT_EQ(s.text("Other", "X"), "kept");
        s.setText("Sys", "Gone", "x");
    }
}

TEST(RegFile, ABrokenFileChangesNothing)
{
    QTemporaryDir dir, cfg;
    SettingsStore s(cfg.path());
    s.setText("Back", "Edit1", "/mnt/usb/");
    ASSERT_EQ(s.sync(), QString());
    const QString before = QString::fromUtf8([&] {
        QFile f(s.filePath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());

    const QString head = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Software\\Quorvel\\VELM\\Back]\r\n"
                                        "\"Edit1\"=\"/changed/\"\r\n");
    struct Case {
        QByteArray bytes;
        QString expected; // part of the message
    };
    const std::vector<Case> cases{
        {(head + "\"CG1\"=dword:xyz\r\n").toUtf8(), "5 行目"},
        {(head + "\"CG1\"=\"unclosed\r\n").toUtf8(), "5 行目"},
        {(head + "\"Bin\"=hex:01,02,\\\r\n").toUtf8(), "5 行目"},
        {(head + "\"Bin\"=hex:01,zz\r\n").toUtf8(), "5 行目"},
        {(head + "CG1=dword:1\r\n").toUtf8(), "5 行目"},
        {QByteArray("REGEDIT5\r\n"), "1 行目"},
        {QByteArray("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvel\\VELMX]\r\n"),
         "VELM の設定がありません"},
        {QByteArray("\xFF\xFE\x41", 3), "文字コード"},
        {QByteArray("\x82\xA0\xFF\xFF\xFF"), "文字コード"},
    };
    for (const Case &c : cases) {
        const QString path = write(dir, "VLW.reg", c.bytes);
        const QString message = importSettings(s, path);
        EXPECT_TRUE(message.contains("VLW.reg")) << message.toStdString();
        EXPECT_TRUE(message.contains(c.expected)) << message.toStdString();
        EXPECT_TRUE(message.contains("設定は変更していません")) << message.toStdString();
        EXPECT_EQ(s.text("Back", "Edit1"), "/mnt/usb/");
    }
    EXPECT_NE(importSettings(s, dir.filePath("missing.reg")), QString());
    // Neither a FIFO nor a device may hang the restore.
    const QString fifo = dir.filePath("fifo.reg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &special : {fifo, QStringLiteral("/dev/zero")}) {
        const QString message = importSettings(s, special);
        EXPECT_TRUE(message.contains(special) && message.contains("設定は変更していません")) << message.toStdString();
    }

    QFile f(s.filePath());
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(QString::fromUtf8(f.readAll()), before);
}
