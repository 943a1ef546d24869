// The notices window: a served Shift-JIS notice is shown as text; while it
// loads the window says so; a server that cannot be reached gives the calm
// message inside the window and no message box; closing mid-fetch is safe.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "engine/codec.h"
#include "shell/tools/download.h"
#include "shell/common/messages.h"
#include "shell/tools/noticeswindow.h"
#include "shell_fixtures.h"
#include "test_http_server.h"

using namespace velm;

namespace {

QByteArray sjis(const char *utf8)
{
    const CodecResult r = encodeCp932(utf8);
    EXPECT_TRUE(r.ok);
    return QByteArray::fromStdString(r.text);
}

struct Fixture {
    QTemporaryDir dir;
    AppSettings settings{dir.path(), dir.path()};
    RecordedMessages messages;
    TNoticeF window{settings};
};

} // namespace

TEST(Notices, ShowsTheServedNotice)
{
    const QByteArray body = sjis("【お知らせ】\r\n新しい版を公開しました。\r\n");
    TestHttpServer server("HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    Fixture f;
    f.window.setNoticeURL(server.url(QStringLiteral("/velm/notice.txt")));
    QSignalSpy finished(&f.window, &TNoticeF::finished);
    f.window.show();
    EXPECT_EQ(f.window.windowTitle(), QStringLiteral("お知らせ"));
    EXPECT_EQ(f.window.findChild<QLabel *>(QStringLiteral("StatusL"))->text(), QStringLiteral("お知らせを取得しています…"));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_EQ(f.window.Memo1()->toPlainText(), QStringLiteral("【お知らせ】\n新しい版を公開しました。\n"));
    EXPECT_TRUE(f.window.Memo1()->isReadOnly());
    EXPECT_FALSE(f.window.findChild<QLabel *>(QStringLiteral("StatusL"))->isVisible());
    EXPECT_TRUE(f.messages.texts.isEmpty());
}

TEST(Notices, AnUnreachableServerIsToldCalmlyInTheWindow)
{
    Fixture f;
    f.window.setNoticeURL(QStringLiteral("http://127.0.0.1:1/velm/notice.txt"));
    QSignalSpy finished(&f.window, &TNoticeF::finished);
    f.window.show();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(finished.first().first().toBool());
    EXPECT_EQ(f.window.findChild<QLabel *>(QStringLiteral("StatusL"))->text(), TNoticeF::failureText());
    EXPECT_TRUE(f.window.findChild<QLabel *>(QStringLiteral("StatusL"))->isVisible());
    EXPECT_TRUE(f.window.Memo1()->toPlainText().isEmpty());
    EXPECT_TRUE(f.messages.texts.isEmpty()); // no box

    // "再読込" tries again, here with a server that answers in UTF-8.
    TestHttpServer server("HTTP/1.0 200 OK\r\n\r\n\xEF\xBB\xBF" + QByteArray("更新はありません。"));
    f.window.setNoticeURL(server.url(QStringLiteral("/velm/notice.txt")));
    auto *reload = f.window.findChild<QPushButton *>(QStringLiteral("ReloadBtn"));
    ASSERT_TRUE(reload->isEnabled());
    QTest::mouseClick(reload, Qt::LeftButton);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished.last().first().toBool());
    EXPECT_EQ(f.window.Memo1()->toPlainText(), QStringLiteral("更新はありません。"));
}

// A certificate that cannot be verified is no fault of the connection: the
// window says what went wrong instead.
TEST(Notices, ACertificateFailureIsNamed)
{
    const QString text = TNoticeF::certificateFailureText(QStringLiteral("example.jp"));
    EXPECT_TRUE(text.contains(QStringLiteral("「example.jp」の証明書を確認できなかった"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("インターネット")));
    EXPECT_NE(text, TNoticeF::failureText());
}

TEST(Notices, ClosingWhileLoadingStopsQuietly)
{
    TestHttpServer server("HTTP/1.0 200 OK\r\nContent-Length: 9999\r\n\r\nbegun", true);
    Fixture f;
    f.window.setNoticeURL(server.url(QStringLiteral("/velm/notice.txt")));
    QSignalSpy finished(&f.window, &TNoticeF::finished);
    QSignalSpy progress(f.window.findChild<THTTPGet *>(QStringLiteral("HTTPGet1")), &THTTPGet::OnProgress);
    f.window.show();
    ASSERT_TRUE(progress.wait(10000));
    EXPECT_TRUE(f.window.loading());
    f.window.close();
    EXPECT_FALSE(f.window.loading());
    QTest::qWait(300);
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_TRUE(f.messages.texts.isEmpty());
}

TEST(Notices, TheAddressIsTheNoticeUnderTheSupportAddress)
{
    Fixture f;
    EXPECT_EQ(f.window.noticeURL(), AppSettings::builtInSupportAddress() + QStringLiteral("notice.txt"));
    EXPECT_EQ(noticeAddress(QStringLiteral("http://example.com/velm")), QStringLiteral("http://example.com/velm/notice.txt"));
}
