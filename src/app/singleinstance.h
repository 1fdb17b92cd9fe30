#pragma once
// One Quelto per data folder. The first instance holds a lock in the folder and
// listens on a local socket; a later start sends it a command ("show" or "toggle")
// and exits without touching any note.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <functional>
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
    // Starts listening; each command received is handed to `onCommand`.
    bool listen(std::function<void(const QByteArray&)> onCommand);

private:
    QString m_socketName;
    QLockFile m_lock;
    QLocalServer m_server;
    std::function<void(const QByteArray&)> m_onCommand;
};

} // namespace quelto
