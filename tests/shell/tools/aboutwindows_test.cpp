// The title window, the about box and its link, and the notice window.

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <QApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "shell/common/messages.h"
#include "shell/tools/titlewindows.h"
#include "shell_fixtures.h"

using namespace velm;

TEST(AboutWindows, LinkOpensTheSupportAddressOrSaysWhyNot)
{
    RecordedMessages messages;
    TAboutBox about(QStringLiteral("VELM 1.0"), QStringLiteral("http://www.quorvel.example/velm/"));
    TURLLink *link = about.findChild<TURLLink *>(QStringLiteral("URLLink"));
    EXPECT_EQ(link->text(), "http://www.quorvel.example/velm/");
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+").match(programVersion()).hasMatch()) << programVersion().toStdString();
    EXPECT_EQ(about.versionText(), QStringLiteral("バージョン ") + programVersion());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::red));

    QList<QUrl> opened;
    bool browserThere = true;
    link->open = [&](const QUrl &url) {
        opened << url;
        return browserThere;
    };
    // The menu's web item uses the link without showing the box.
    link->Execute();
    EXPECT_FALSE(about.isVisible());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl("http://www.quorvel.example/velm/"));
    EXPECT_TRUE(messages.seen.isEmpty());

    about.show();
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(link, &enter);
    EXPECT_TRUE(link->font().underline());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_FALSE(link->font().underline());

    browserThere = false;
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 2);
    ASSERT_EQ(messages.seen.size(), 1);
    EXPECT_TRUE(messages.seen[0].text.contains("http://www.quorvel.example/velm/")) << messages.seen[0].text.toStdString();

    // OK closes the box.
    auto *ok = about.findChild<QPushButton *>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(AboutWindows, TitleHoldsTheHourglassWhileItLives)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    auto title = std::make_unique<TTitlef1>(QStringLiteral("VELM Ver 1.00"));
    title->show();
    EXPECT_TRUE(title->isVisible());
    EXPECT_TRUE(title->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(title->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(title->palette().color(QPalette::Window), QColor(Qt::black));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE((title->geometry().center() - screen.center()).manhattanLength(), 2);
    title.reset();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(AboutWindows, NoticeStandsAtTheLowerRightThenGoes)
{
    TMsgF notice;
    EXPECT_EQ(notice.size(), QSize(374, 195));
    // The notice returns at once and stands while the program goes on.
    notice.notify(QStringLiteral("新しいお知らせがあります。"), 1, 50);
    EXPECT_TRUE(notice.isVisible());
    EXPECT_EQ(notice.text(), "新しいお知らせがあります。");
    EXPECT_EQ(notice.barColour(), QColor(Qt::blue));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(notice.pos() + QPoint(374, 195), area.bottomRight() + QPoint(1, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notice.isVisible(); }, 5000));

    notice.notify(QStringLiteral("x"), 7, 1);
    EXPECT_EQ(notice.barColour(), QColor(Qt::red));
}
