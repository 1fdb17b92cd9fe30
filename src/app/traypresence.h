// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where Quelto shows itself besides the panel: the tray icon with its menu, and, when
// the preference asks for it, a taskbar entry for the panel.

#include "app/shortcutcoordinator.h"
#include "core/settings/preferences.h"
#include "ui/commands/commandtable.h"
#include "ui/panel/notepanelcontroller.h"
#include "ui/tray/statusitemcontroller.h"

#include <QObject>

#include <functional>
#include <memory>

namespace quelto {

class TrayPresence : public QObject {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> togglePanel;
        // Settings → General, where the shortcut is explained.
        std::function<void()> openShortcutSettings;
    };

    TrayPresence(Preferences& prefs, const CommandTable& commands, NotePanelController& panel,
                 const ShortcutCoordinator& shortcut, Actions actions, QObject* parent = nullptr);
    ~TrayPresence() override;

    // Puts the icon into the tray and the panel into the taskbar if asked for.
    void start();
    void buildStatusMenu(QMenu* menu);
    StatusItemController* status() { return m_status.get(); }

private:
    // The panel joins the taskbar or leaves it, as the preference says.
    void applyTaskbarEntry();

    Preferences& m_prefs;
    const CommandTable& m_commands;
    NotePanelController& m_panel;
    const ShortcutCoordinator& m_shortcut;
    Actions m_actions;
    std::unique_ptr<StatusItemController> m_status;
};

} // namespace quelto
