#pragma once

// A one-shot HTTP server on 127.0.0.1 for the download tests: it answers
// every request with a fixed response, as a web server would. Given a TLS
// configuration it speaks https.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSslConfiguration>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace velm {

// Answers every request with `response`; with `hold` the connection stays
// open after it (a transfer that never ends).
class TestHttpServer : public QObject {
public:
    explicit TestHttpServer(QByteArray response, bool hold = false, const QSslConfiguration *tls = nullptr)
        : m_response(std::move(response))
        , m_hold(hold)
    {
        if (tls) {
            auto *server = new QSslServer;
            server->setSslConfiguration(*tls);
            m_server.reset(server);
            m_scheme = QStringLiteral("https");
        } else {
            m_server = std::make_unique<QTcpServer>();
        }
        m_server->listen(QHostAddress::LocalHost, 0);
        // A TLS server hands a connection over once its handshake is done.
        connect(m_server.get(), &QTcpServer::newConnection, this, [this] { take(); });
        connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, [this] { take(); });
    }
    QString url(const QString &path = QStringLiteral("/notice.txt")) const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_scheme).arg(m_server->serverPort()).arg(path);
    }
    QByteArray request;
    int connections = 0;

private:
    void take()
    {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            ++connections;
            m_sockets << socket;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            if (socket->bytesAvailable() > 0)
                answer(socket);
        }
    }
    void answer(QTcpSocket *socket)
    {
        request += socket->readAll();
        if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
            return;
        socket->setProperty("answered", true);
        socket->write(m_response);
        if (!m_hold)
            socket->disconnectFromHost();
    }
    std::unique_ptr<QTcpServer> m_server;
    QString m_scheme = QStringLiteral("http");
    QByteArray m_response;
    bool m_hold;
    QList<QPointer<QTcpSocket>> m_sockets;
};

} // namespace velm
