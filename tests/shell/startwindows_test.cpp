// The system settings window as the main window reaches it.

#include <gtest/gtest.h>

#include <QDir>
#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>

#include "shell/app.h"
#include "shell/appsettings.h"
#include "shell/mainwindow.h"
#include "shell/messages.h"
#include "shell/startwindows.h"
#include "shell/syssettings.h"

using namespace velm;

TEST(StartWindows, SystemSettingsCloseTheChartsAndFeedTheMainWindow)
{
    QTemporaryDir program;
    QTemporaryDir config;
    for (const QString &f : QDir(QStringLiteral(VELM_DATA_DIR)).entryList(QDir::Files))
        QFile::copy(QStringLiteral(VELM_DATA_DIR "/") + f, program.filePath(f));
    setProgramFolder(program.path());
    ui::setMessageHandler([](QWidget *, const ui::Message &) { return ui::Answer::Ok; });
    {
        AppSettings settings(program.path(), config.path());
        TMainF main(settings);
        auto windows = makeStartWindows(main, settings);
        main.showAtStart();
        main.setMoment(CivilTime{2024, 3, 1, 12, 0, 0});
        main.BanBtnClick();
        ASSERT_FALSE(main.findChild<QMdiArea *>()->subWindowList().isEmpty());

        main.SysBtnClick();
        QTest::qWait(10);
        EXPECT_TRUE(windows->sys->isVisible());
        EXPECT_TRUE(main.findChild<QMdiArea *>()->subWindowList().isEmpty());
        windows->sys->close();
        EXPECT_FALSE(windows->sys->isVisible());
    }
    ui::setMessageHandler({});
}

TEST(StartWindows, EditorAndSearchCommandsAreInTheMainWindow)
{
    QTemporaryDir program;
    QTemporaryDir config;
    for (const QString &f : QDir(QStringLiteral(VELM_DATA_DIR)).entryList(QDir::Files))
        QFile::copy(QStringLiteral(VELM_DATA_DIR "/") + f, program.filePath(f));
    setProgramFolder(program.path());
    ui::setMessageHandler([](QWidget *, const ui::Message &) { return ui::Answer::Ok; });
    {
        AppSettings settings(program.path(), config.path());
        TMainF main(settings);
        auto windows = makeStartWindows(main, settings);
        for (const char *name : {"SetuItem", "I1", "SenItem", "New1", "Open1", "ListBtn"}) {
            QAction *a = main.findChild<QAction *>(QString::fromLatin1(name));
            ASSERT_NE(a, nullptr) << name;
            EXPECT_TRUE(a->isEnabled()) << name;
        }
        EXPECT_EQ(main.findChild<QAction *>("I1")->text(), "数値の設定(&I)");
        EXPECT_EQ(main.findChild<QAction *>("SenItem")->text(), "占事ﾏｽﾀｰの設定(&M)");
        EXPECT_EQ(main.findChild<QAction *>("SetuItem")->text(), "説明文の編集(&E)");
        EXPECT_EQ(main.findChild<QAction *>("New1")->text(), "検索一覧表作成(&N)");
    }
    ui::setMessageHandler({});
}
