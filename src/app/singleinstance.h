// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One Quelto per data folder. The first instance holds a lock and listens on a local
// socket, both in the user's runtime folder (so an unusable data folder never looks
// like another instance); a later start sends it a command ("show" or "toggle") and
// exits without touching any note.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

namespace quelto {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);

    // True when this process is the one instance; false when another runs.
    bool claim();
    // Sends a command to the running instance; false when none answered.
    bool send(const QByteArray& command) const;
    // Starts listening for commandReceived; false, with errorString, when it cannot.
    bool listen();
    QString errorString() const { return m_error; }
    QString socketName() const { return m_socketName; }

    // $XDG_RUNTIME_DIR, or a private folder of this user's in the temporary folder or
    // the cache; empty when there is no private folder to be had.
    static QString runtimeFolder();

signals:
    void commandReceived(const QByteArray& command);

private:
    QString m_socketName;
    QLockFile m_lock;
    QLocalServer m_server;
    QString m_error;
};

} // namespace quelto
