#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

namespace quelto {

namespace {

constexpr int kLockWaitMs = 0; // a live holder answers on the socket; stale locks are taken over
constexpr int kSocketWaitMs = 2000;
constexpr int kStartupWaitMs = 5000;
constexpr int kRetryMs = 20;

} // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_socketName(
          QStringLiteral("quelto-") +
          QString::fromLatin1(QCryptographicHash::hash(QDir(dataFolder).absolutePath().toUtf8(),
                                                       QCryptographicHash::Sha1)
                                  .toHex()
                                  .left(16)))
    , m_lock(dataFolder + QStringLiteral("/.quelto.lock"))
{
    QDir().mkpath(dataFolder);
}

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

bool SingleInstance::listen(std::function<void(const QByteArray&)> onCommand)
{
    m_onCommand = std::move(onCommand);
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
                    if (m_onCommand)
                        m_onCommand(command);
                    client->write("ok\n");
                }
            });
        }
    });
    return true;
}

} // namespace quelto
