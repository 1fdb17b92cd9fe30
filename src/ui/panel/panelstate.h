// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the panel's view shares with the application: whether Scratch is the tab shown.

#include <QObject>

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

} // namespace quelto
