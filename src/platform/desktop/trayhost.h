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
    bool isAvailable() const { return m_available; }

signals:
    void availableChanged(bool available);

protected:
    explicit TrayHost(bool available, QObject* parent = nullptr)
        : QObject(parent)
        , m_available(available)
    {}
    // Tells listeners only when it changes.
    void setAvailable(bool available)
    {
        if (available == m_available)
            return;
        m_available = available;
        emit availableChanged(available);
    }

private:
    bool m_available;
};

// The desktop's tray, as the tray icon sees it: `iconShows` is the icon's own answer
// (Qt's), asked again whenever a tray may have come or gone.
class DesktopTrayHost final : public TrayHost {
    Q_OBJECT

public:
    // How often an XEmbed tray is looked for: one cheap X round trip.
    static constexpr int kPollMs = 2000;

    explicit DesktopTrayHost(std::function<bool()> iconShows, QObject* parent = nullptr);

private:
    void recheck() { setAvailable(m_iconShows()); }

    std::function<bool()> m_iconShows;
    QDBusServiceWatcher m_watcher;
    QTimer m_poll;
};

} // namespace quelto
