// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What became of the global shortcut, so the tray menu and Settings can say why there
// is none and what to do instead.

#include <QObject>
#include <QString>

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
    // What texts call the shortcut: the working one, or the one the desktop is being
    // asked for; empty while none works.
    QString name() const { return m_name; }
    // Why none works, in the desktop's own words when it gave any.
    QString reason() const { return m_reason; }
    void set(Outcome outcome, const QString& name = {}, const QString& reason = {})
    {
        if (outcome == m_outcome && name == m_name && reason == m_reason)
            return;
        m_outcome = outcome;
        m_name = name;
        m_reason = reason;
        emit outcomeChanged();
    }
    bool works() const { return m_outcome == Outcome::Active || m_outcome == Outcome::Waiting; }
    // No shortcut, and recording another one here will not bring one by itself.
    bool needsDesktopBinding() const
    {
        return m_outcome == Outcome::Declined || m_outcome == Outcome::Unavailable;
    }

signals:
    void outcomeChanged();

private:
    Outcome m_outcome = Outcome::Waiting;
    QString m_name;
    QString m_reason;
};

} // namespace quelto
