// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the global shortcut the preference names working, through whichever backend
// this desktop has: falls back to the shortcut held so far (or the default) when
// another application has the wanted one, writes what was kept, or what the desktop
// bound, back into the preference, and lets go of the keys while the user records a
// new combination.

#include "core/settings/hotkeycombo.h"
#include "core/settings/preferences.h"
#include "core/settings/shortcutstatus.h"
#include "platform/desktop/trayhost.h"
#include "platform/hotkey/shortcutbackend.h"

#include <QObject>

#include <memory>
#include <optional>

namespace quelto {

class ShortcutCoordinator : public QObject {
    Q_OBJECT

public:
    // Messages point to the tray icon while `tray` says there is one (or is null).
    ShortcutCoordinator(Preferences& prefs, std::unique_ptr<ShortcutBackend> backend,
                        const TrayHost* tray = nullptr, QObject* parent = nullptr);
    ~ShortcutCoordinator() override;

    // This session's backend: the X11 grab where X11 is the whole session, otherwise
    // the desktop's portal, under the install's own session name.
    static std::unique_ptr<ShortcutBackend> sessionBackend(Preferences& prefs);

    // Registers the preferred shortcut and follows the preference from then on.
    void start();
    // While the user records a new shortcut the current one is let go, so its keys
    // reach the recorder; afterwards it (or the new one) is registered again.
    void setSuspended(bool suspended);

    // The combination that works now, if one does and the desktop named it in a form
    // Quelto knows.
    std::optional<HotKeyCombo> registeredCombo() const { return m_registeredCombo; }
    // How a working shortcut reads: the combination, or the desktop's own name for it;
    // empty when none works.
    QString activeName() const;
    // What to call the shortcut in texts for the user: the working one, or the one the
    // desktop is being asked for; empty when there is none.
    QString displayName() const { return m_status.name(); }
    // A shortcut works, or the desktop has been asked for one and has not answered.
    bool works() const { return m_status.works(); }
    const ShortcutStatus& status() const { return m_status; }

signals:
    // The shortcut was pressed: show or hide the panel.
    void activated();
    // What works, or why nothing does, changed.
    void changed();
    // `wanted` is held by another application; `message` says what Quelto kept.
    void conflict(const HotKeyCombo& wanted, const QString& message);
    // This desktop gives no application a global shortcut.
    void unavailable();

private:
    void preferenceChanged();
    void apply(HotKeyCombo wanted);
    void ask(const HotKeyCombo& combo);
    void bound(const QString& name, const std::optional<HotKeyCombo>& combo);
    void refused(ShortcutBackend::Refusal refusal, const QString& reason);
    void taken();
    // Tells that `wanted` is held elsewhere and what Quelto kept instead.
    void tellConflict(const HotKeyCombo& wanted);
    void report(ShortcutStatus::Outcome outcome, const QString& reason = {});
    // Makes `kept` the preference; the change it causes finds nothing to do.
    void keep(const HotKeyCombo& kept);
    void setRegisteredCombo(std::optional<HotKeyCombo> combo);

    Preferences& m_prefs;
    const std::unique_ptr<ShortcutBackend> m_backend;
    const TrayHost* m_tray;
    ShortcutStatus m_status;
    // The combination this object works for: what the preference named when last
    // applied, or what it was set back to.
    std::optional<HotKeyCombo> m_wanted;
    // What the backend was last asked for; while it is not m_wanted, a fallback.
    std::optional<HotKeyCombo> m_asked;
    // Taken elsewhere, and told once the fallback has answered.
    std::optional<HotKeyCombo> m_takenWanted;
    QString m_boundTrigger;
    std::optional<HotKeyCombo> m_registeredCombo;
    // The keys were let go while recording; m_registeredCombo says what to take back.
    bool m_released = false;
    bool m_answered = false;
    bool m_suspended = false;
};

} // namespace quelto
