#pragma once

// THTTPGet fetches one web address and reports progress and the result as
// events, so a slow or absent network never holds up the windows. The
// transfer runs in Qt's network machinery (QNetworkAccessManager): http and
// https with the system's certificates and proxy, redirects followed (never
// from https down to http), a timeout between two pieces of the answer.
// An address without a scheme is fetched over http.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace velm {

class AtomicFile;

// Where an address points. An address without any "/" after the host has an
// empty host: it cannot be fetched.
struct HttpAddress {
    QString host;
    quint16 port = 80;
    QString path;   // from the first "/" on
    bool secure = false;
    bool ok() const { return !host.isEmpty() && port != 0; }
};
HttpAddress splitHttpAddress(const QString &url);

// A fetched text as the program shows it: UTF-8 when the bytes are valid
// UTF-8 (with or without a byte-order mark), else Shift-JIS (CP932); line
// ends become "\n".
QString decodeWebText(const QByteArray &bytes);

class THTTPGet : public QObject {
    Q_OBJECT
public:
    explicit THTTPGet(QObject *parent = nullptr);
    // Aborts a running download; never waits long for it.
    ~THTTPGet() override;

    // --- settings, copied into the worker at the start ---------------------
    QString URL() const { return m_url; }
    void setURL(const QString &url) { m_url = url; }
    QString AcceptTypes() const { return m_acceptTypes; }
    void setAcceptTypes(const QString &types) { m_acceptTypes = types; }
    QString Agent() const { return m_agent; }
    void setAgent(const QString &agent) { m_agent = agent; }
    // True: a response that does not say its length is not read.
    bool BinaryData() const { return m_binaryData; }
    void setBinaryData(bool on) { m_binaryData = on; }
    // False: every cache on the way is asked to fetch afresh.
    bool UseCache() const { return m_useCache; }
    void setUseCache(bool on) { m_useCache = on; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }
    QString UserName() const { return m_userName; }
    void setUserName(const QString &name) { m_userName = name; }
    QString Password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }
    // Not empty: the request is a form post with this body.
    QByteArray PostQuery() const { return m_postQuery; }
    void setPostQuery(const QByteArray &body) { m_postQuery = body; }
    QString Referer() const { return m_referer; }
    void setReferer(const QString &referer) { m_referer = referer; }
    // Longest wait for the connection and between two pieces of the answer.
    int timeoutMs() const { return m_timeoutMs; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // --- running ------------------------------------------------------------
    // Starts fetching URL as text; does nothing while a download runs.
    void GetString();
    // Starts fetching URL into FileName (written whole or not at all).
    void GetFile();
    // Stops the running download: OnError follows at once, and a new
    // download may start right away.
    void Abort();
    bool running() const;
    // Why the last download failed, for the user; empty after a success.
    QString errorString() const { return m_error; }
    // Whether it failed because the server's certificate could not be
    // verified (no advice about the connection helps then).
    bool certificateFailed() const { return m_certificateFailed; }

signals:
    // After every block read; total is -1 when the server did not say.
    void OnProgress(qint64 total, qint64 soFar);
    // The body as it came (see decodeWebText for showing it); never empty.
    void OnDoneString(const QByteArray &text);
    void OnDoneFile(const QString &fileName, qint64 size);
    void OnError();

private:
    void start(bool toFile);
    // The end of a run: OnDoneFile or OnDoneString on success, else OnError.
    void ThreadDone(bool ok, const QByteArray &text, qint64 size, const QString &error);
    void readBlocks();
    void replyFinished();
    void drop();

    QString m_url;
    QString m_acceptTypes = QStringLiteral("*/*");
    QString m_agent = QStringLiteral("VELM HTTPGet");
    bool m_binaryData = false;
    bool m_useCache = false;
    QString m_fileName;
    QString m_userName;
    QString m_password;
    QByteArray m_postQuery;
    QString m_referer;
    int m_timeoutMs = 15000;

    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply; // the running download
    bool m_starting = false;         // a start that failed before any request, its OnError queued
    bool m_toFile = false;
    qint64 m_total = -1;             // the stated length, -1 when not said
    qint64 m_soFar = 0;
    QByteArray m_text;
    std::unique_ptr<AtomicFile> m_file;
    QString m_blockError;            // a failure while taking the body
    QString m_error;
    bool m_certificateFailed = false;
};

} // namespace velm
