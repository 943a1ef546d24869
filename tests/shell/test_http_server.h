#pragma once

// A one-shot HTTP server on 127.0.0.1 for the download tests: it answers
// every request with a fixed response, as a web server would.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

namespace velm {

// Answers every request with `response`; with `hold` the connection stays
// open after it (a transfer that never ends).
class TestHttpServer : public QObject {
public:
    explicit TestHttpServer(QByteArray response, bool hold = false)
        : m_response(std::move(response))
        , m_hold(hold)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++connections;
                m_sockets << socket;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            }
        });
    }
    QString url(const QString &path = QStringLiteral("/notice.txt")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    QByteArray request;
    int connections = 0;

private:
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
    QTcpServer m_server;
    QByteArray m_response;
    bool m_hold;
    QList<QPointer<QTcpSocket>> m_sockets;
};

} // namespace velm
