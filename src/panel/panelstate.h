#pragma once
// What the panel's view shares with the application: observable state, and the
// commands the application supplies.

#include <QObject>
#include <QUuid>

#include <functional>

namespace quelto {

class PanelState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool activeIsScratch READ activeIsScratch WRITE setActiveIsScratch NOTIFY
                   activeIsScratchChanged)

public:
    using QObject::QObject;
    bool activeIsScratch() const { return m_activeIsScratch; }
    void setActiveIsScratch(bool value)
    {
        if (value == m_activeIsScratch)
            return;
        m_activeIsScratch = value;
        emit activeIsScratchChanged();
    }

signals:
    void activeIsScratchChanged();

private:
    bool m_activeIsScratch = true;
};

struct PanelActions {
    std::function<void()> openSettings;
    std::function<void()> checkForUpdates; // empty: no update checker, no menu item
    std::function<void()> quit;
    std::function<void()> renameActive;
    std::function<void()> clearScratch;
    std::function<void(const QUuid&)> closeTab;
};

} // namespace quelto
