// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one system-wide shortcut, however this desktop provides it: a key grab that
// Quelto holds itself (X11), or a binding it asks the desktop for (the GlobalShortcuts
// portal). Which combination to ask for, and what to do when the answer is no, is the
// caller's policy; a backend only asks, answers and reports presses.

#include "core/settings/hotkeycombo.h"

#include <QObject>
#include <QString>

#include <optional>

namespace quelto {

class ShortcutBackend : public QObject {
    Q_OBJECT

public:
    enum class Refusal {
        // Another application holds the combination; what was bound before stays bound.
        Taken,
        // The user or the desktop said no; nothing is bound now.
        Declined,
        // This desktop gives applications no global shortcut; nothing is bound.
        Unavailable,
    };
    Q_ENUM(Refusal)

    using QObject::QObject;

    // The keys are Quelto's own (a grab): letting go of them lets other applications
    // have them. Otherwise the desktop keeps them bound whatever Quelto does.
    virtual bool grabsKeys() const = 0;
    // Asks for `combo` in place of what is bound now. Exactly one answer, bound or
    // refused, follows: before this returns (a grab) or on a later turn of the event
    // loop (a desktop, which may ask the user first). A later bind drops the answer to
    // an earlier one.
    virtual void bind(const HotKeyCombo& combo) = 0;
    // Lets go of what is bound; no answer follows.
    virtual void release() = 0;

signals:
    // `name` is the trigger as the desktop names it ("Ctrl+Shift+J"), `combo` the same
    // as a stored combination when its form is one Quelto reads. Also sent whenever
    // the user changes the trigger in the desktop's own settings.
    void bound(const QString& name, const std::optional<HotKeyCombo>& combo);
    // `reason` is the desktop's own words, when it gave any.
    void refused(quelto::ShortcutBackend::Refusal refusal, const QString& reason);
    // Once per press of the bound shortcut; a held key's repeats do not count.
    void activated();
};

// Tells a key's presses from the repeats the keyboard sends while it is held. Where
// the sender reports every release, a held key repeats until it goes up; where
// releases may be missing, only a press close behind the last one is a repeat (repeats
// come every 25 to 50 ms, the first after about half a second). Either way a press
// stamped like the release before it is the other half of a repeat, and a press with
// no time stamp (0) always counts.
class RepeatFilter {
public:
    enum class Releases { Reported, MayBeMissing };
    static constexpr quint64 kRepeatGapMs = 700;

    explicit RepeatFilter(Releases releases)
        : m_releases(releases)
    {}

    // True for a press of its own, false for a repeat; `timeMs` is the sender's stamp.
    bool press(quint64 timeMs)
    {
        bool repeat = false;
        if (timeMs != 0) {
            const bool recent =
                m_lastPress && timeMs >= *m_lastPress && timeMs - *m_lastPress < kRepeatGapMs;
            repeat =
                (m_held && (m_releases == Releases::Reported || recent)) || m_releasedAt == timeMs;
        }
        m_held = true;
        m_lastPress = timeMs;
        return !repeat;
    }
    void release(quint64 timeMs)
    {
        m_held = false;
        m_releasedAt = timeMs;
    }
    void reset() { *this = RepeatFilter(m_releases); }

private:
    Releases m_releases;
    bool m_held = false;
    std::optional<quint64> m_lastPress;
    std::optional<quint64> m_releasedAt;
};

} // namespace quelto
