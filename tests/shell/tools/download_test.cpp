// The download component against a small server on 127.0.0.1 run by the
// test: a text arrives whole with progress per block, an empty or failed
// answer ends in OnError, an abort or the component's end stops at once, and
// an address that cannot be reached ends in OnError without hanging; https
// from a server whose certificate the test makes and trusts, after a redirect.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QPointer>
#include <QSignalSpy>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "shell/tools/download.h"
#include "test_http_server.h"

using namespace velm;

namespace {

QByteArray ok(const QByteArray &body, bool withLength = true)
{
    QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n";
    if (withLength)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return head + "\r\n" + body;
}

QByteArray sampleBody(int size)
{
    QByteArray body;
    for (int i = 0; body.size() < size; ++i)
        body += "line " + QByteArray::number(i) + "\r\n";
    body.truncate(size);
    return body;
}

} // namespace

TEST(HttpGet, TextArrivesWholeWithProgressPerBlock)
{
    const QByteArray body = sampleBody(7000);
    TestHttpServer server(ok(body));
    THTTPGet http;
    http.setURL(server.url());
    QSignalSpy done(&http, &THTTPGet::OnDoneString);
    QSignalSpy progress(&http, &THTTPGet::OnProgress);
    QSignalSpy error(&http, &THTTPGet::OnError);
    http.GetString();
    EXPECT_TRUE(http.running());
    ASSERT_TRUE(done.wait(10000)) << http.errorString().toStdString();
    EXPECT_EQ(done.first().first().toByteArray(), body);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(http.running());

    // Every report carries the stated length; no block is larger than 2049 bytes.
    ASSERT_GE(progress.size(), 4);
    qint64 previous = 0;
    for (const QList<QVariant> &report : progress) {
        EXPECT_EQ(report.at(0).toLongLong(), body.size());
        const qint64 soFar = report.at(1).toLongLong();
        EXPECT_GT(soFar, previous);
        EXPECT_LE(soFar - previous, 2049);
        previous = soFar;
    }
    EXPECT_EQ(previous, body.size());

    // A plain request with the component's defaults.
    EXPECT_TRUE(server.request.startsWith("GET /notice.txt HTTP/1.1\r\n")) << server.request.constData();
    EXPECT_TRUE(server.request.contains("\r\nUser-Agent: VELM HTTPGet\r\n"));
    EXPECT_TRUE(server.request.contains("\r\nAccept: */*\r\n"));
    EXPECT_TRUE(server.request.contains("\r\nPragma: no-cache\r\n"));
}

TEST(HttpGet, AnswerWithoutLengthIsReadToTheEnd)
{
    const QByteArray body = sampleBody(3000);
    TestHttpServer server(ok(body, false));
    THTTPGet http;
    http.setURL(server.url());
    QSignalSpy done(&http, &THTTPGet::OnDoneString);
    QSignalSpy progress(&http, &THTTPGet::OnProgress);
    http.GetString();
    ASSERT_TRUE(done.wait(10000)) << http.errorString().toStdString();
    EXPECT_EQ(done.first().first().toByteArray(), body);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toLongLong(), -1);

    // Binary downloads do not read an answer of unknown length: nothing came.
    TestHttpServer server2(ok(body, false));
    THTTPGet binary;
    binary.setURL(server2.url());
    binary.setBinaryData(true);
    QSignalSpy error(&binary, &THTTPGet::OnError);
    binary.GetString();
    EXPECT_TRUE(error.wait(10000));
}

TEST(HttpGet, EmptyOrFailedAnswersEndInError)
{
    const QList<QByteArray> answers{
        ok(QByteArray()),                                                  // stated empty
        ok(QByteArray(), false),                                           // closed at once
        "HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found",   // a page, but no notice
        "HTTP/1.0 200 OK\r\nContent-Length: 500\r\n\r\nshort",            // cut off
        "garbage without a header",
    };
    for (const QByteArray &answer : answers) {
        TestHttpServer server(answer);
        THTTPGet http;
        http.setURL(server.url());
        QSignalSpy done(&http, &THTTPGet::OnDoneString);
        QSignalSpy error(&http, &THTTPGet::OnError);
        http.GetString();
        EXPECT_TRUE(error.wait(10000)) << answer.constData();
        EXPECT_TRUE(done.isEmpty()) << answer.constData();
        EXPECT_FALSE(http.errorString().isEmpty());
    }
}

TEST(HttpGet, FileArrivesWholeOrTheOldOneStays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("notice.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const QByteArray body = sampleBody(5000);
    // Cut off: an error and the old file; whole: the new one, nothing else beside it.
    for (const bool whole : {false, true}) {
        TestHttpServer server(whole ? ok(body) : "HTTP/1.0 200 OK\r\nContent-Length: 9000\r\n\r\n" + body);
        THTTPGet http;
        http.setURL(server.url());
        http.setFileName(path);
        QSignalSpy done(&http, &THTTPGet::OnDoneFile);
        QSignalSpy error(&http, &THTTPGet::OnError);
        http.GetFile();
        EXPECT_TRUE(whole ? done.wait(10000) : error.wait(10000)) << http.errorString().toStdString();
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        EXPECT_EQ(in.readAll(), whole ? body : QByteArray("old"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notice.txt"});
    }
}

TEST(HttpGet, UnreachableOrMalformedAddressesEndInError)
{
    for (const QString &url : {QStringLiteral("http://127.0.0.1:1/notice.txt"), // closed port
                               QStringLiteral("http://127.0.0.1"),              // no "/" after the host
                               QStringLiteral("127.0.0.1:1"),
                               QStringLiteral("https://127.0.0.1/notice.txt"),
                               QString()}) {
        THTTPGet http;
        http.setURL(url);
        QSignalSpy error(&http, &THTTPGet::OnError);
        QElapsedTimer clock;
        clock.start();
        http.GetString();
        EXPECT_LT(clock.elapsed(), 500) << "GetString must not wait: " << url.toStdString();
        EXPECT_TRUE(error.wait(10000)) << url.toStdString();
    }
}

TEST(HttpGet, SilentServerTimesOut)
{
    TestHttpServer server(QByteArray(), true); // accepts, never answers
    THTTPGet http;
    http.setTimeoutMs(300);
    http.setURL(server.url());
    QSignalSpy error(&http, &THTTPGet::OnError);
    http.GetString();
    EXPECT_TRUE(error.wait(10000));
}

TEST(HttpGet, SplitsTheAddress)
{
    struct Case {
        const char *url;
        const char *host;
        int port;
        const char *path;
        bool ok;
    };
    const Case cases[] = {
        {"http://www.example.com/velm/notice.txt", "www.example.com", 80, "/velm/notice.txt", true},
        {"HTTP://Example.com/a", "Example.com", 80, "/a", true},
        {"www.example.com/a/b?x=1", "www.example.com", 80, "/a/b?x=1", true},
        {"127.0.0.1:8080/x", "127.0.0.1", 8080, "/x", true},
        {"http://[::1]:81/x", "::1", 81, "/x", true},
        {"http://www.example.com", "", 80, "", false},
        {"http://host:port/x", "host", 0, "/x", false},
        {"http:///x", "", 80, "/x", false},
        {"https://example.com/x", "example.com", 443, "/x", true},
    };
    for (const Case &c : cases) {
        const HttpAddress a = splitHttpAddress(QString::fromUtf8(c.url));
        EXPECT_EQ(a.host, QString::fromUtf8(c.host)) << c.url;
        EXPECT_EQ(a.port, c.port) << c.url;
        EXPECT_EQ(a.path, QString::fromUtf8(c.path)) << c.url;
        EXPECT_EQ(a.ok(), c.ok) << c.url;
    }
}

TEST(HttpGet, AbortStopsAtOnceAndAllowsANewStart)
{
    // Announces far more than it sends, then keeps the line open.
    TestHttpServer server("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + sampleBody(3000), true);
    THTTPGet http;
    http.setURL(server.url());
    QSignalSpy progress(&http, &THTTPGet::OnProgress);
    QSignalSpy done(&http, &THTTPGet::OnDoneString);
    QSignalSpy error(&http, &THTTPGet::OnError);
    http.GetString();
    http.GetString(); // ignored while running
    ASSERT_TRUE(progress.wait(10000));
    EXPECT_EQ(progress.first().at(0).toLongLong(), 100000);
    http.Abort();
    EXPECT_EQ(error.size(), 1);
    EXPECT_FALSE(http.running());
    QTest::qWait(300);
    EXPECT_TRUE(done.isEmpty());
    EXPECT_EQ(error.size(), 1);
    EXPECT_EQ(server.connections, 1);

    const QByteArray body("after the abort");
    TestHttpServer second(ok(body));
    http.setURL(second.url());
    http.GetString();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(done.first().first().toByteArray(), body);
}

TEST(HttpGet, EndingTheComponentMidTransferIsSafe)
{
    TestHttpServer server("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + sampleBody(3000), true);
    auto *http = new THTTPGet;
    http->setURL(server.url());
    QSignalSpy progress(http, &THTTPGet::OnProgress);
    http->GetString();
    ASSERT_TRUE(progress.wait(10000));
    QElapsedTimer clock;
    clock.start();
    delete http;
    EXPECT_LT(clock.elapsed(), 1500);
    QTest::qWait(200); // events of the ended worker find no receiver
}

TEST(HttpGet, FileDownloadWritesTheWholeFile)
{
    const QByteArray body = sampleBody(5000);
    TestHttpServer server(ok(body));
    QTemporaryDir dir;
    THTTPGet http;
    http.setURL(server.url(QStringLiteral("/data.bin")));
    http.setFileName(dir.filePath(QStringLiteral("data.bin")));
    QSignalSpy done(&http, &THTTPGet::OnDoneFile);
    http.GetFile();
    ASSERT_TRUE(done.wait(10000)) << http.errorString().toStdString();
    EXPECT_EQ(done.first().at(1).toLongLong(), body.size());
    QFile file(http.FileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), body);
}

TEST(HttpGet, PostSendsTheFormBody)
{
    TestHttpServer server(ok("thanks"));
    THTTPGet http;
    http.setURL(server.url(QStringLiteral("/form")));
    http.setPostQuery("a=1&b=2");
    http.setReferer(QStringLiteral("http://example.com/"));
    http.setUseCache(true);
    QSignalSpy done(&http, &THTTPGet::OnDoneString);
    http.GetString();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_TRUE(server.request.startsWith("POST /form HTTP/1.1\r\n"));
    EXPECT_TRUE(server.request.contains("\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
    EXPECT_TRUE(server.request.contains("\r\nReferer: http://example.com/\r\n"));
    EXPECT_FALSE(server.request.contains("no-cache"));
    EXPECT_TRUE(server.request.endsWith("\r\n\r\na=1&b=2"));
}

TEST(HttpGet, HttpsWithATrustedCertificateAfterARedirect)
{
    // A certificate for 127.0.0.1, made for this test only.
    QTemporaryDir dir;
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                   "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", dir.filePath("key.pem"), "-out",
                   dir.filePath("cert.pem")});
    ASSERT_TRUE(openssl.waitForFinished(30000));
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    QFile keyFile(dir.filePath("key.pem"));
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(dir.filePath("cert.pem"));
    ASSERT_EQ(certs.size(), 1);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certs.front());
    tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);

    const QByteArray body("secure notice");
    // Not yet trusted: refused, with a message.
    {
        TestHttpServer secure(ok(body), false, &tls);
        THTTPGet http;
        http.setURL(secure.url());
        QSignalSpy error(&http, &THTTPGet::OnError);
        http.GetString();
        ASSERT_TRUE(error.wait(10000));
        EXPECT_TRUE(http.errorString().contains(QStringLiteral("証明書を確認できませんでした"))) << http.errorString().toStdString();
        EXPECT_TRUE(http.certificateFailed());
    }

    const QSslConfiguration before = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = before;
    trusting.addCaCertificates(certs);
    QSslConfiguration::setDefaultConfiguration(trusting);
    {
        TestHttpServer secure(ok(body), false, &tls);
        TestHttpServer plain("HTTP/1.1 301 Moved Permanently\r\nLocation: " + secure.url().toUtf8()
                             + "\r\nContent-Length: 0\r\n\r\n");
        THTTPGet http;
        http.setURL(plain.url());
        QSignalSpy done(&http, &THTTPGet::OnDoneString);
        http.GetString();
        EXPECT_TRUE(done.wait(10000)) << http.errorString().toStdString();
        EXPECT_EQ(done.value(0).value(0).toByteArray(), body);
        EXPECT_EQ(secure.connections, 1);
        EXPECT_FALSE(http.certificateFailed());
    }
    {
        // From https back to http: refused, and the plain server never asked.
        TestHttpServer plain(ok(body));
        TestHttpServer secure("HTTP/1.1 302 Found\r\nLocation: " + plain.url().toUtf8() + "\r\nContent-Length: 0\r\n\r\n",
                              false, &tls);
        THTTPGet http;
        http.setURL(secure.url());
        QSignalSpy error(&http, &THTTPGet::OnError);
        http.GetString();
        ASSERT_TRUE(error.wait(10000));
        EXPECT_TRUE(http.errorString().contains(QStringLiteral("安全でない接続 (http) へ転送"))) << http.errorString().toStdString();
        EXPECT_FALSE(http.certificateFailed());
        EXPECT_EQ(plain.connections, 0);
    }
    QSslConfiguration::setDefaultConfiguration(before);
}
