// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace quelto {

namespace {

constexpr int kLockWaitMs = 0; // a live holder answers on the socket; stale locks are taken over
constexpr int kSocketWaitMs = 2000;
constexpr int kStartupWaitMs = 5000;
constexpr int kRetryMs = 20;

QString instanceName(const QString& dataFolder)
{
    const QByteArray hash = QCryptographicHash::hash(QDir(dataFolder).absolutePath().toUtf8(),
                                                     QCryptographicHash::Sha1);
    return SingleInstance::runtimeFolder() + QStringLiteral("/quelto-") +
           QString::fromLatin1(hash.toHex().left(16));
}

} // namespace

QString SingleInstance::runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/quelto-") + QString::number(getuid());
    // Private, so no other user can take the name or read the socket.
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return QDir::tempPath();
    return own;
}

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_socketName(instanceName(dataFolder) + QStringLiteral(".socket"))
    , m_lock(instanceName(dataFolder) + QStringLiteral(".lock"))
{}

bool SingleInstance::claim()
{
    // A lock left by a crashed instance is taken over (QLockFile checks its process).
    return m_lock.tryLock(kLockWaitMs);
}

bool SingleInstance::send(const QByteArray& command) const
{
    // The running instance may have taken the lock and still be starting up: keep
    // trying to reach it for a moment before giving up.
    QLocalSocket socket;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        socket.connectToServer(m_socketName);
        if (socket.waitForConnected(kSocketWaitMs))
            break;
        if (waited.elapsed() > kStartupWaitMs)
            return false;
        QThread::msleep(kRetryMs);
    }
    socket.write(command + '\n');
    socket.flush();
    socket.waitForBytesWritten(kSocketWaitMs);
    // The running instance answers once it has acted.
    socket.waitForReadyRead(kSocketWaitMs);
    return true;
}

bool SingleInstance::listen()
{
    QLocalServer::removeServer(m_socketName); // a socket left by a crash
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketName))
        return false;
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server.nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                while (client->canReadLine()) {
                    const QByteArray command = client->readLine().trimmed();
                    emit commandReceived(command);
                    client->write("ok\n");
                }
            });
        }
    });
    return true;
}

} // namespace quelto
