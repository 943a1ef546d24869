#include "shell/tools/download.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>
#include <string_view>

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QThread>
#include <QUrl>

#include "engine/codec.h"
#include "engine/textfile.h"

namespace velm {

HttpAddress splitHttpAddress(const QString &url)
{
    HttpAddress address;
    QString rest = url.trimmed();
    if (rest.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        rest = rest.mid(7);
    } else if (rest.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        rest = rest.mid(8);
        address.secure = true;
        address.port = 443;
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return address; // no path: no host either
    QString hostPort = rest.left(slash);
    address.path = rest.mid(slash);
    const qsizetype fragment = address.path.indexOf(QLatin1Char('#'));
    if (fragment >= 0)
        address.path.truncate(fragment);

    QString portText;
    if (hostPort.startsWith(QLatin1Char('['))) { // [IPv6]:port
        const qsizetype close = hostPort.indexOf(QLatin1Char(']'));
        if (close < 0)
            return HttpAddress{};
        address.host = hostPort.mid(1, close - 1);
        const QString after = hostPort.mid(close + 1);
        if (after.startsWith(QLatin1Char(':')))
            portText = after.mid(1);
        else if (!after.isEmpty())
            address.port = 0;
    } else {
        const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
        address.host = colon < 0 ? hostPort : hostPort.left(colon);
        if (colon >= 0)
            portText = hostPort.mid(colon + 1);
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        address.port = ok && port > 0 && port <= 65535 ? static_cast<quint16>(port) : 0;
    }
    return address;
}

QString decodeWebText(const QByteArray &bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(body);
    if (utf8.hasError()) {
        const CodecResult sjis = decodeCp932(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
        text = sjis.ok ? QString::fromStdString(sjis.text) : QString::fromUtf8(body);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// --- the worker ----------------------------------------------------------------------

namespace {

using Clock = std::chrono::steady_clock;

// The answer is read in blocks of this size.
constexpr int BlockSize = 2049;
// Longest header accepted and largest text kept in memory.
constexpr qsizetype MaxHeader = 64 * 1024;
constexpr qint64 MaxText = 64LL * 1024 * 1024;
// Redirections followed before giving up.
constexpr int MaxRedirects = 5;
// How often a blocked wait looks at the stop flag.
constexpr int SliceMs = 100;

struct Request {
    QString url;
    QString acceptTypes;
    QString agent;
    bool binaryData = false;
    bool useCache = false;
    QString fileName;
    QString userName;
    QString password;
    QByteArray postQuery;
    QString referer;
    int timeoutMs = 15000;
    bool toFile = false;
};

// One connection over plain sockets, every wait cut into slices so that a
// stop request is seen within a tenth of a second.
class Connection {
public:
    Connection(const std::atomic_bool &stop, int timeoutMs)
        : m_stop(stop)
        , m_timeoutMs(timeoutMs)
    {
    }
    ~Connection()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString error() const { return m_error; }

    bool open(const QString &host, quint16 port)
    {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        const QByteArray hostName = QUrl::toAce(host).isEmpty() ? host.toUtf8() : QUrl::toAce(host);
        const QByteArray service = QByteArray::number(port);
        if (::getaddrinfo(hostName.constData(), service.constData(), &hints, &found) != 0 || !found)
            return fail(QStringLiteral("サーバー「%1」が見つかりません。").arg(host));
        bool connected = false;
        for (addrinfo *ai = found; ai && !connected && !m_stop; ai = ai->ai_next)
            connected = connectTo(ai);
        ::freeaddrinfo(found);
        if (m_stop)
            return fail(QStringLiteral("中止しました。"));
        if (!connected)
            return fail(QStringLiteral("サーバー「%1」に接続できません。").arg(host));
        return true;
    }

    bool sendAll(const QByteArray &data)
    {
        qsizetype sent = 0;
        while (sent < data.size()) {
            if (!waitFor(POLLOUT))
                return false;
            const ssize_t n = ::send(m_fd, data.constData() + sent, static_cast<size_t>(data.size() - sent), MSG_NOSIGNAL);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                return fail(QStringLiteral("要求を送れませんでした。"));
            sent += n;
        }
        return true;
    }

    // Bytes read (> 0), 0 at the end of the answer, -1 on a failure.
    qsizetype receive(char *buffer, int size)
    {
        for (;;) {
            if (!waitFor(POLLIN))
                return -1;
            const ssize_t n = ::recv(m_fd, buffer, static_cast<size_t>(size), 0);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n < 0) {
                fail(QStringLiteral("受信が途切れました。"));
                return -1;
            }
            return n;
        }
    }

private:
    bool fail(const QString &text)
    {
        if (m_error.isEmpty())
            m_error = text;
        return false;
    }

    bool connectTo(const addrinfo *ai)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (m_fd < 0)
            return false;
        if (::connect(m_fd, ai->ai_addr, ai->ai_addrlen) == 0)
            return true;
        if (errno != EINPROGRESS)
            return false;
        if (!waitFor(POLLOUT))
            return false;
        int code = 0;
        socklen_t length = sizeof code;
        return ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &code, &length) == 0 && code == 0;
    }

    // Waits until the socket is ready, the time is up or a stop is asked.
    bool waitFor(short events)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs);
        for (;;) {
            if (m_stop)
                return fail(QStringLiteral("中止しました。"));
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return fail(QStringLiteral("サーバーが応答しません。"));
            pollfd p{m_fd, events, 0};
            const int r = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, SliceMs)));
            if (r < 0 && errno != EINTR)
                return fail(QStringLiteral("通信に失敗しました。"));
            if (r > 0)
                return true; // errors and hang-ups show in the next call
        }
    }

    const std::atomic_bool &m_stop;
    int m_timeoutMs;
    int m_fd = -1;
    QString m_error;
};

QByteArray requestText(const Request &request, const HttpAddress &address, bool post)
{
    QByteArray path = QUrl::toPercentEncoding(address.path, "/?&=%:;+,@!$'()*~[]");
    QByteArray hostHeader = QUrl::toAce(address.host);
    if (hostHeader.isEmpty())
        hostHeader = address.host.toUtf8();
    if (address.host.contains(QLatin1Char(':')))
        hostHeader = '[' + hostHeader + ']';
    if (address.port != 80)
        hostHeader += ':' + QByteArray::number(address.port);

    QByteArray text = (post ? "POST " : "GET ") + path + " HTTP/1.0\r\n";
    text += "Host: " + hostHeader + "\r\n";
    if (!request.agent.isEmpty())
        text += "User-Agent: " + request.agent.toUtf8() + "\r\n";
    text += "Accept: " + request.acceptTypes.toUtf8() + "\r\n";
    if (!request.referer.isEmpty())
        text += "Referer: " + request.referer.toUtf8() + "\r\n";
    if (!request.userName.isEmpty())
        text += "Authorization: Basic " + (request.userName + QLatin1Char(':') + request.password).toUtf8().toBase64() + "\r\n";
    if (!request.useCache)
        text += "Pragma: no-cache\r\nCache-Control: no-cache\r\n";
    if (post) {
        text += "Content-Type: application/x-www-form-urlencoded\r\n";
        text += "Content-Length: " + QByteArray::number(request.postQuery.size()) + "\r\n";
    }
    text += "\r\n";
    if (post)
        text += request.postQuery;
    return text;
}

struct Header {
    int status = 0;
    qint64 contentLength = -1;
    QByteArray location;
};

Header parseHeader(const QByteArray &block)
{
    Header header;
    const QList<QByteArray> lines = block.split('\n');
    if (lines.isEmpty())
        return header;
    const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
    if (statusLine.size() >= 2 && statusLine.first().startsWith("HTTP/"))
        header.status = statusLine.at(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            if (ok && length >= 0)
                header.contentLength = length;
        } else if (name == "location") {
            header.location = value;
        }
    }
    return header;
}

} // namespace

class THTTPGetThread : public QThread {
    Q_OBJECT
public:
    explicit THTTPGetThread(Request request)
        : m_request(std::move(request))
    {
    }
    void stop() { m_stop = true; }

signals:
    void progressed(qint64 total, qint64 soFar);
    void ended(bool ok, const QByteArray &text, qint64 size, const QString &error);

protected:
    void run() override
    {
        QByteArray text;
        qint64 size = 0;
        const QString error = fetch(text, size);
        emit ended(error.isEmpty(), text, size, error);
    }

private:
    // An empty text on success.
    QString fetch(QByteArray &text, qint64 &size)
    {
        QString url = m_request.url;
        bool post = !m_request.postQuery.isEmpty();
        for (int hop = 0;; ++hop) {
            const HttpAddress address = splitHttpAddress(url);
            if (address.secure)
                return QStringLiteral("暗号化された接続 (https) には対応していません。");
            if (!address.ok())
                return QStringLiteral("アドレス「%1」が正しくありません。").arg(url);

            Connection connection(m_stop, m_request.timeoutMs);
            if (!connection.open(address.host, address.port)
                || !connection.sendAll(requestText(m_request, address, post)))
                return connection.error();

            // The header, and whatever of the body came with it.
            QByteArray buffer;
            qsizetype end = -1;
            int separator = 4;
            char block[BlockSize];
            while (end < 0) {
                const qsizetype n = connection.receive(block, BlockSize);
                if (n < 0)
                    return connection.error();
                if (n == 0)
                    return QStringLiteral("サーバーの応答が正しくありません。");
                buffer.append(block, n);
                end = buffer.indexOf("\r\n\r\n");
                if (end < 0 && (end = buffer.indexOf("\n\n")) >= 0)
                    separator = 2;
                if (end < 0 && buffer.size() > MaxHeader)
                    return QStringLiteral("サーバーの応答が正しくありません。");
            }
            const Header header = parseHeader(buffer.left(end));
            buffer.remove(0, end + separator);

            if (header.status >= 300 && header.status < 400 && !header.location.isEmpty() && hop < MaxRedirects) {
                const QUrl base(QStringLiteral("http://") + address.host + QLatin1Char(':') + QString::number(address.port) + address.path);
                url = base.resolved(QUrl::fromEncoded(header.location)).toString();
                if (header.status == 303)
                    post = false;
                continue;
            }
            if (header.status < 200 || header.status >= 300)
                return header.status == 0 ? QStringLiteral("サーバーの応答が正しくありません。")
                                          : QStringLiteral("サーバーから応答 %1 が返されました。").arg(header.status);
            return readBody(connection, header.contentLength, buffer, text, size);
        }
    }

    QString readBody(Connection &connection, qint64 length, QByteArray first, QByteArray &text, qint64 &size)
    {
        // Streamed through the program's one atomic writer: a broken or
        // cancelled download never replaces the file.
        std::optional<velm::AtomicFile> file;
        if (m_request.toFile) {
            file.emplace(QFile::encodeName(m_request.fileName).toStdString());
            if (!file->ok())
                return QStringLiteral("ファイル「%1」に書き込めません。").arg(m_request.fileName);
        }
        const bool known = length >= 0;
        qint64 soFar = 0;
        auto take = [&](const char *data, qint64 n) -> QString {
            if (known && soFar + n > length)
                n = length - soFar;
            if (m_request.toFile) {
                if (!file->write(std::string_view(data, static_cast<std::size_t>(n))))
                    return QStringLiteral("ファイル「%1」に書き込めません。").arg(m_request.fileName);
            } else {
                if (soFar + n > MaxText)
                    return QStringLiteral("受け取る文書が大きすぎます。");
                text.append(data, n);
            }
            soFar += n;
            emit progressed(length, soFar);
            return {};
        };

        // Without a stated length, binary answers are not read at all.
        if (known || !m_request.binaryData) {
            if (!first.isEmpty()) {
                const QString error = take(first.constData(), first.size());
                if (!error.isEmpty())
                    return error;
            }
            char block[BlockSize];
            while (!(known && soFar >= length)) {
                const qsizetype n = connection.receive(block, BlockSize);
                if (n < 0)
                    return connection.error();
                if (n == 0)
                    break;
                const QString error = take(block, n);
                if (!error.isEmpty())
                    return error;
            }
        }
        size = soFar;
        if (known && soFar < length)
            return QStringLiteral("受信が途中で切れました。");
        if (soFar == 0)
            return QStringLiteral("受け取った内容が空です。");
        if (m_request.toFile && !file->commit().empty())
            return QStringLiteral("ファイル「%1」に書き込めません。").arg(m_request.fileName);
        return {};
    }

    Request m_request;
    std::atomic_bool m_stop{false};
};

// --- the component ---------------------------------------------------------------------

THTTPGet::THTTPGet(QObject *parent)
    : QObject(parent)
{
}

THTTPGet::~THTTPGet()
{
    THTTPGetThread *worker = m_worker;
    if (!worker)
        return;
    worker->stop();
    disconnect(worker, nullptr, this, nullptr);
    // Every wait of the worker looks at the stop flag ten times a second;
    // only a name lookup can hold it longer, and then it frees itself later.
    if (worker->wait(2000))
        delete worker;
}

bool THTTPGet::running() const
{
    return m_worker != nullptr;
}

void THTTPGet::GetString()
{
    start(false);
}

void THTTPGet::GetFile()
{
    start(true);
}

void THTTPGet::start(bool toFile)
{
    if (m_worker)
        return;
    Request request;
    request.url = m_url;
    request.acceptTypes = m_acceptTypes;
    request.agent = m_agent;
    request.binaryData = m_binaryData;
    request.useCache = m_useCache;
    request.fileName = m_fileName;
    request.userName = m_userName;
    request.password = m_password;
    request.postQuery = m_postQuery;
    request.referer = m_referer;
    request.timeoutMs = m_timeoutMs;
    request.toFile = toFile;
    m_error.clear();
    m_toFile = toFile;

    auto *worker = new THTTPGetThread(std::move(request));
    const quint64 run = ++m_run;
    // Events of a worker that was aborted may still be queued: only the
    // current run speaks.
    connect(worker, &THTTPGetThread::progressed, this, [this, run](qint64 total, qint64 soFar) {
        if (run == m_run && m_worker)
            emit OnProgress(total, soFar);
    });
    connect(worker, &THTTPGetThread::ended, this,
            [this, run](bool ok, const QByteArray &text, qint64 size, const QString &error) {
                if (run == m_run && m_worker)
                    ThreadDone(ok, text, size, error);
            });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    m_worker = worker;
    worker->start();
    if (m_waitThread)
        QCoreApplication::processEvents();
}

void THTTPGet::Abort()
{
    if (!m_worker)
        return;
    m_worker->stop();
    m_worker = nullptr;
    ++m_run;
    m_error = QStringLiteral("中止しました。");
    emit OnError();
}

void THTTPGet::ThreadDone(bool ok, const QByteArray &text, qint64 size, const QString &error)
{
    m_worker = nullptr;
    if (!ok) {
        m_error = error;
        emit OnError();
    } else if (m_toFile) {
        emit OnDoneFile(m_fileName, size);
    } else {
        emit OnDoneString(text);
    }
}

} // namespace velm

#include "download.moc"
