// The settings store: defaults, types, atomic writes, damaged files.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "shell/settings/settingsstore.h"

TEST(SettingsStore, DefaultsTypesAndRestart)
{
    QTemporaryDir dir;
    {
        SettingsStore store(dir.path());
        EXPECT_EQ(store.text("Sys", "TZE", "9.0"), "9.0");
        EXPECT_TRUE(store.boolean("Sys", "KCB1", true));
        store.setText("Sys", "TZE", "8.5");
        store.setInteger("Sys", "Src", 700);
        store.setBoolean("Sys", "KCB1", false);
        store.setBinary("Teii", "Pos", QByteArray("\x01\x02\xff", 3));
        EXPECT_EQ(store.sync(), "");
    }
    SettingsStore again(dir.path());
    EXPECT_EQ(again.loadError(), "");
    EXPECT_EQ(again.text("Sys", "TZE"), "8.5");
    EXPECT_EQ(again.integer("Sys", "Src", 500), 700);
    EXPECT_FALSE(again.boolean("Sys", "KCB1", true));
    EXPECT_EQ(again.binary("Teii", "Pos"), QByteArray("\x01\x02\xff", 3));
    EXPECT_EQ(again.integer("Sys", "Missing", 42), 42);
}

TEST(SettingsStore, UnreadableFileKeepsDefaultsAndIsSetAsideOnlyOnChange)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/VELM.ini";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Sys]\nTZE=8.0\n\x01\x02[[[broken\n");
    }
    SettingsStore store(dir.path());
    if (!store.loadError().isEmpty()) {
        EXPECT_EQ(store.text("Sys", "TZE", "9.0"), "9.0");
        EXPECT_EQ(store.sync(), ""); // nothing changed: file untouched
        EXPECT_FALSE(QFile::exists(path + ".bad"));
        store.setText("Sys", "TZE", "7.0");
        EXPECT_EQ(store.sync(), "");
        EXPECT_TRUE(QFile::exists(path + ".bad"));
    }
    SettingsStore again(dir.path());
    EXPECT_EQ(again.loadError(), "");
}

TEST(SettingsStore, ReplacesTheFileInPlaceKeepingLinkAndPermissions)
{
    // "VELM.ini" a link into a synced folder, readable by its owner only:
    // the new settings land in the linked file, which stays private.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("synced"));
    const QString real = dir.path() + "/synced/VELM.ini";
    const QString path = dir.path() + "/VELM.ini";
    {
        SettingsStore store(dir.path() + "/synced");
        store.setText("Sys", "TZE", "8.5");
        ASSERT_EQ(store.sync(), "");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(real, path));
    {
        SettingsStore store(dir.path());
        EXPECT_EQ(store.text("Sys", "TZE"), "8.5");
        store.setText("Sys", "TZE", "7.0");
        ASSERT_EQ(store.sync(), "");
    }
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(SettingsStore(dir.path() + "/synced").text("Sys", "TZE"), "7.0");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"VELM.ini"});
}

TEST(SettingsStore, AFifoInPlaceOfTheFileNeverBlocks)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/VELM.ini";
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    SettingsStore store(dir.path());
    EXPECT_TRUE(store.loadError().contains(path)) << store.loadError().toStdString();
    store.setText("Sys", "TZE", "7.0");
    EXPECT_EQ(store.sync(), "");
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_EQ(SettingsStore(dir.path()).text("Sys", "TZE"), "7.0");
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(path + ".bad").constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
