// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether the desktop shows Quelto's tray icon right now, followed as tray hosts
// start and stop, so texts can point to the icon only while it is there.

#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>

namespace quelto {

class TrayHost : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool available READ isAvailable NOTIFY availableChanged)

public:
    // How often an XEmbed tray is looked for: one cheap X round trip.
    static constexpr int kPollMs = 2000;

    explicit TrayHost(QObject* parent = nullptr);

    bool isAvailable() const { return m_available; }

signals:
    void availableChanged(bool available);

private:
    void recheck();

    QDBusServiceWatcher m_watcher;
    QTimer m_poll;
    bool m_available;
};

} // namespace quelto
