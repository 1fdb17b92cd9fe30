// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A tiny HTTP/1.1 server on loopback for tests: each path answers with a fixed status,
// headers and body, or never answers at all.

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>

namespace quelto::testing {

class HttpServer : public QObject {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        QByteArray location; // for a redirect
        bool silent = false;
    };

    HttpServer() { m_server.listen(QHostAddress::LocalHost); }

    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    void answer(const QString& path, Answer answer) { m_answers.insert(path, std::move(answer)); }
    int requests() const { return m_requests; }

private:
    void serve(QTcpSocket* socket)
    {
        const QList<QByteArray> line = socket->readLine().split(' ');
        if (line.size() < 2)
            return;
        ++m_requests;
        const Answer answer = m_answers.value(QString::fromLatin1(line[1]), {404, {}, {}, false});
        if (answer.silent)
            return;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n";
        if (!answer.location.isEmpty())
            reply += "Location: " + answer.location + "\r\n";
        reply += "Content-Length: " + QByteArray::number(answer.body.size()) +
                 "\r\nConnection: close\r\n\r\n" + answer.body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
    int m_requests = 0;
    QMetaObject::Connection m_accept = connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                // The request line is all that matters; headers that follow are not.
                if (socket->property("served").toBool() || !socket->canReadLine())
                    return;
                socket->setProperty("served", true);
                serve(socket);
            });
        }
    });
};

} // namespace quelto::testing
