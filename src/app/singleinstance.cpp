// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
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

// Commands are a word long; a peer that sends more without an end of line is cut off
// before it can fill the memory.
constexpr qint64 kMaxCommandBytes = 64;

QString instanceName(const QString& dataFolder)
{
    // One name however the folder is reached (a link to it included).
    const QFileInfo folder(dataFolder);
    const QString path = folder.exists() ? folder.canonicalFilePath() : folder.absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
    return SingleInstance::runtimeFolder() + QStringLiteral("/quelto-") +
           QString::fromLatin1(hash.toHex().left(16));
}

// A folder only this user can enter: theirs, not a link, no access for others. Made
// when missing.
bool isPrivateFolder(const QString& path, bool make)
{
    const QByteArray native = QFile::encodeName(path);
    if (make)
        ::mkdir(native.constData(), 0700);
    struct stat info {};
    return ::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

} // namespace

QString SingleInstance::runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime, false))
        return runtime;
    // Without one, a folder of this user's own: in the shared temporary folder another
    // user could have made it first, so it must be private; else one in the cache.
    const QString own = QDir::tempPath() + QStringLiteral("/quelto-") + QString::number(getuid());
    if (isPrivateFolder(own, true))
        return own;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir().mkpath(cache);
    const QString fallback = cache + QStringLiteral("/quelto-runtime");
    return isPrivateFolder(fallback, true) ? fallback : QString();
}

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_socketName(instanceName(dataFolder) + QStringLiteral(".socket"))
    , m_lock(instanceName(dataFolder) + QStringLiteral(".lock"))
    , m_server(this) // moves with this object to another thread
{}

bool SingleInstance::claim()
{
    // Without a private folder there is no safe place to meet: run alone.
    if (runtimeFolder().isEmpty())
        return true;
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
    // The running instance answers once it has acted; anything else is no success.
    while (!socket.canReadLine() && socket.waitForReadyRead(kSocketWaitMs)) {
    }
    return socket.canReadLine() && socket.readLine().trimmed() == "ok";
}

bool SingleInstance::listen()
{
    if (runtimeFolder().isEmpty()) {
        m_error = QStringLiteral("no private folder for the socket");
        return false;
    }
    QLocalServer::removeServer(m_socketName); // a socket left by a crash
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketName)) {
        m_error = m_server.errorString();
        return false;
    }
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server.nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                while (client->canReadLine()) {
                    const QByteArray command = client->readLine(kMaxCommandBytes).trimmed();
                    emit commandReceived(command);
                    client->write("ok\n");
                }
                if (client->bytesAvailable() > kMaxCommandBytes)
                    client->abort();
            });
        }
    });
    return true;
}

} // namespace quelto
