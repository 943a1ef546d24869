#include "shell/tools/download.h"

#include <QCoreApplication>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
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

// --- the component ---------------------------------------------------------------------

namespace {

// Pieces of the answer are taken and reported at most this large.
constexpr qint64 BlockSize = 2049;
// A notice is a page of text; anything far larger is not one.
constexpr qint64 MaxText = 16 * 1024 * 1024;
constexpr int MaxRedirects = 5;

QString failureText(QNetworkReply *reply, const QString &host)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    switch (reply->error()) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("サーバー「%1」が見つかりません。").arg(host);
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("サーバー「%1」に接続できません。").arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer timeout ends a reply this way
        return QStringLiteral("サーバーが応答しません。");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("サーバー「%1」と安全に接続できません。サーバーの証明書を確認できませんでした。").arg(host);
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("サーバー「%1」が安全な接続 (https) から安全でない接続 (http) へ転送しようとしたため、"
                              "受け取りませんでした。")
            .arg(host);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("受信が途中で切れました。");
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("サーバーの応答が正しくありません。");
    default:
        break;
    }
    if (status != 0 && (status < 200 || status >= 300))
        return QStringLiteral("サーバーから応答 %1 が返されました。").arg(status);
    return QStringLiteral("通信に失敗しました。");
}

} // namespace

THTTPGet::THTTPGet(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
    // The desktop's proxy settings (and http_proxy and the like), as a browser.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

THTTPGet::~THTTPGet()
{
    drop();
}

bool THTTPGet::running() const
{
    return m_reply != nullptr || m_starting;
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
    if (running())
        return;
    m_error.clear();
    m_certificateFailed = false;
    m_blockError.clear();
    m_toFile = toFile;
    m_total = -1;
    m_soFar = 0;
    m_text.clear();
    m_file.reset();

    // The address as the program has always taken it; a bad one ends in
    // OnError after GetString has returned, as a failed transfer would.
    const HttpAddress address = splitHttpAddress(m_url);
    if (!address.ok()) {
        m_starting = true;
        const QString error = QStringLiteral("アドレス「%1」が正しくありません。").arg(m_url);
        QTimer::singleShot(0, this, [this, error] {
            if (!m_starting)
                return;
            m_starting = false;
            ThreadDone(false, {}, 0, error);
        });
        return;
    }
    QUrl url;
    url.setScheme(address.secure ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(address.host);
    if (address.port != (address.secure ? 443 : 80))
        url.setPort(address.port);
    url = url.resolved(QUrl(address.path, QUrl::TolerantMode));
    if (!m_userName.isEmpty()) {
        url.setUserName(m_userName);
        url.setPassword(m_password);
    }

    if (toFile) {
        m_file = std::make_unique<AtomicFile>(QFile::encodeName(m_fileName).toStdString());
        if (!m_file->ok()) {
            m_file.reset();
            m_starting = true;
            const QString error = QStringLiteral("ファイル「%1」に書き込めません。").arg(m_fileName);
            QTimer::singleShot(0, this, [this, error] {
                if (!m_starting)
                    return;
                m_starting = false;
                ThreadDone(false, {}, 0, error);
            });
            return;
        }
    }

    QNetworkRequest request(url);
    if (!m_agent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, m_agent);
    request.setRawHeader("Accept", m_acceptTypes.toUtf8());
    if (!m_referer.isEmpty())
        request.setRawHeader("Referer", m_referer.toUtf8());
    if (!m_useCache) {
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setRawHeader("Pragma", "no-cache");
        request.setRawHeader("Cache-Control", "no-cache");
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setTransferTimeout(m_timeoutMs);

    QNetworkReply *reply = nullptr;
    if (!m_postQuery.isEmpty()) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
        reply = m_network->post(request, m_postQuery);
    } else {
        reply = m_network->get(request);
    }
    // Small pieces, so progress comes per block and an abort stops early.
    reply->setReadBufferSize(64 * 1024);
    m_reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply != m_reply)
            return;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        m_total = length.isValid() ? length.toLongLong() : -1;
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply == m_reply)
            readBlocks();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == m_reply)
            replyFinished();
    });
}

void THTTPGet::readBlocks()
{
    QNetworkReply *reply = m_reply;
    // Without a stated length, binary answers are not read at all.
    if (m_total < 0 && m_binaryData) {
        reply->skip(reply->bytesAvailable());
        return;
    }
    char block[BlockSize];
    while (m_reply == reply && m_blockError.isEmpty() && reply->bytesAvailable() > 0) {
        qint64 n = reply->read(block, BlockSize);
        if (n <= 0)
            break;
        if (m_total >= 0 && m_soFar + n > m_total)
            n = m_total - m_soFar;
        if (m_toFile) {
            if (!m_file->write(std::string_view(block, static_cast<std::size_t>(n))))
                m_blockError = QStringLiteral("ファイル「%1」に書き込めません。").arg(m_fileName);
        } else if (m_soFar + n > MaxText) {
            m_blockError = QStringLiteral("受け取る文書が大きすぎます。");
        } else {
            m_text.append(block, n);
        }
        if (!m_blockError.isEmpty()) {
            reply->abort(); // finished follows, and reports the block's error
            return;
        }
        m_soFar += n;
        emit OnProgress(m_total, m_soFar);
    }
}

void THTTPGet::replyFinished()
{
    QNetworkReply *reply = m_reply;
    if (m_blockError.isEmpty() && reply->error() == QNetworkReply::NoError)
        readBlocks();
    const QString host = reply->url().host();
    QString error = m_blockError;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_certificateFailed = m_blockError.isEmpty() && reply->error() == QNetworkReply::SslHandshakeFailedError;
    if (error.isEmpty() && reply->error() != QNetworkReply::NoError)
        error = failureText(reply, host);
    else if (error.isEmpty() && (status < 200 || status >= 300))
        error = status == 0 ? QStringLiteral("サーバーの応答が正しくありません。")
                            : QStringLiteral("サーバーから応答 %1 が返されました。").arg(status);
    else if (error.isEmpty() && m_total >= 0 && m_soFar < m_total)
        error = QStringLiteral("受信が途中で切れました。");
    else if (error.isEmpty() && m_soFar == 0)
        error = QStringLiteral("受け取った内容が空です。");
    if (error.isEmpty() && m_toFile && !m_file->commit().empty())
        error = QStringLiteral("ファイル「%1」に書き込めません。").arg(m_fileName);

    const QByteArray text = std::move(m_text);
    const qint64 size = m_soFar;
    drop();
    ThreadDone(error.isEmpty(), text, size, error);
}

void THTTPGet::drop()
{
    m_starting = false;
    if (QNetworkReply *reply = m_reply) {
        m_reply = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
    // A file not committed is removed, and the old one stays.
    m_file.reset();
    m_text.clear();
}

void THTTPGet::Abort()
{
    if (!running())
        return;
    drop();
    m_error = QStringLiteral("中止しました。");
    emit OnError();
}

void THTTPGet::ThreadDone(bool ok, const QByteArray &text, qint64 size, const QString &error)
{
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
