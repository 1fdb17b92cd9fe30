// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether the desktop shows Quelto's tray icon right now, followed as tray hosts
// start and stop, so texts can point to the icon only while it is there.

#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>

#include <functional>

namespace quelto {

class TrayHost : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool available READ isAvailable NOTIFY availableChanged)

public:
    using QObject::QObject;

    virtual bool isAvailable() const = 0;

signals:
    void availableChanged(bool available);
};

// The desktop's tray, as the tray icon sees it: `iconShows` is the icon's own answer
// (Qt's), asked again whenever a tray may have come or gone.
class DesktopTrayHost final : public TrayHost {
    Q_OBJECT

public:
    // How often an XEmbed tray is looked for: one cheap X round trip.
    static constexpr int kPollMs = 2000;

    explicit DesktopTrayHost(std::function<bool()> iconShows, QObject* parent = nullptr);

    bool isAvailable() const override { return m_available; }

private:
    void recheck();

    std::function<bool()> m_iconShows;
    QDBusServiceWatcher m_watcher;
    QTimer m_poll;
    bool m_available;
};

} // namespace quelto
