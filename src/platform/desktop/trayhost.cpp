// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/trayhost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>

namespace quelto {

// Qt answers for the kind of tray its icon uses (a StatusNotifierItem host or an XEmbed
// tray) but says nothing when that changes. It picks the kind once, by whether a
// StatusNotifierItem watcher runs, and keeps it; such a watcher announces itself on the
// session bus. An XEmbed tray only tells clients that listen on the root window, so it
// is looked for now and then (asking Qt in the other case opens a bus connection).
DesktopTrayHost::DesktopTrayHost(std::function<bool()> iconShows, QObject* parent)
    : TrayHost(iconShows(), parent)
    , m_iconShows(std::move(iconShows))
    , m_watcher(QStringLiteral("org.kde.StatusNotifierWatcher"), QDBusConnection::sessionBus(),
                QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
        recheck();
        // The host registers with the watcher a moment after the watcher starts.
        QTimer::singleShot(500, this, &DesktopTrayHost::recheck);
    });
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    const bool statusNotifier =
        bus && bus->isServiceRegistered(m_watcher.watchedServices().first());
    if (!statusNotifier && QGuiApplication::platformName() == QStringLiteral("xcb")) {
        m_poll.setInterval(kPollMs);
        connect(&m_poll, &QTimer::timeout, this, &DesktopTrayHost::recheck);
        m_poll.start();
    }
}

} // namespace quelto
