// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What became of the global shortcut, so the tray menu and Settings can say why there
// is none and what to do instead.

#include <QObject>

namespace quelto {

class ShortcutStatus : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        Active,      // a shortcut works
        Waiting,     // the desktop has been asked and has not answered yet
        Taken,       // every combination tried is held by another application
        Declined,    // the user or the desktop's portal said no
        Unavailable, // this desktop lets no application set a global shortcut
    };
    Q_ENUM(Outcome)

    using QObject::QObject;

    Outcome outcome() const { return m_outcome; }
    void setOutcome(Outcome outcome)
    {
        if (outcome == m_outcome)
            return;
        m_outcome = outcome;
        emit outcomeChanged();
    }
    // No shortcut, and recording another one here will not bring one by itself.
    bool needsDesktopBinding() const
    {
        return m_outcome == Outcome::Declined || m_outcome == Outcome::Unavailable;
    }

signals:
    void outcomeChanged();

private:
    Outcome m_outcome = Outcome::Waiting;
};

} // namespace quelto
