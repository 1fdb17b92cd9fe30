// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the global shortcut the preference names working, through an X11 key grab or
// the desktop's portal: falls back to the shortcut held so far (or the default) when
// another application has the wanted one, writes what was kept back into the
// preference, and lets go of the keys while the user records a new combination.

#include "core/settings/hotkeycombo.h"
#include "core/settings/preferences.h"
#include "core/settings/shortcutstatus.h"
#include "platform/desktop/session.h"
#include "platform/hotkey/hotkey.h"
#include "platform/hotkey/portalshortcut.h"
#include "ui/tray/trayhost.h"

#include <QObject>

#include <memory>
#include <optional>

namespace quelto {

class ShortcutCoordinator : public QObject {
    Q_OBJECT

public:
    // Messages point to the tray icon while `tray` says there is one (or is null).
    ShortcutCoordinator(Preferences& prefs, Session::ShortcutBackend backend,
                        const TrayHost* tray = nullptr, QObject* parent = nullptr);
    ~ShortcutCoordinator() override;

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
    void registerX11(const HotKeyCombo& wanted);
    void bindThroughPortal(const HotKeyCombo& wanted);
    void portalBound(const QString& trigger);
    void portalRefused(ShortcutStatus::Outcome outcome, const QString& reason = {});
    void report(ShortcutStatus::Outcome outcome, const QString& reason = {});
    QString sessionToken();
    // Makes `kept` the preference; the change it causes finds nothing to do.
    void keep(const HotKeyCombo& kept);
    void setRegisteredCombo(std::optional<HotKeyCombo> combo);

    Preferences& m_prefs;
    const Session::ShortcutBackend m_backend;
    const TrayHost* m_tray;
    ShortcutStatus m_status;
    std::unique_ptr<HotKey> m_hotKey;
    std::unique_ptr<PortalShortcut> m_portal;
    // The combination this object works for: what the preference named when last
    // applied, or what it was set back to.
    std::optional<HotKeyCombo> m_wanted;
    QString m_boundTrigger;
    std::optional<HotKeyCombo> m_registeredCombo;
    bool m_suspended = false;
};

} // namespace quelto
