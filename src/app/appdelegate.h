// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owns Quelto's long-lived objects and wires them at launch: the note store over the
// data folder, the panel, the global shortcut, the tray, the first-run guide, update
// prompts, the rules that save before anything stops Quelto, and Settings.

#include "app/feedupdater.h"
#include "app/firstrunguide.h"
#include "app/shortcutcoordinator.h"
#include "app/stopguard.h"
#include "app/traypresence.h"
#include "app/updateprompts.h"
#include "core/settings/panelframestore.h"
#include "core/settings/preferences.h"
#include "core/storage/notestore.h"
#include "ui/panel/notepanelcontroller.h"
#include "ui/settings/settingswindowcontroller.h"

#include <QObject>

#include <memory>
#include <optional>

namespace quelto {

// What the delegate reaches the desktop through; an empty one is this session's own.
struct DesktopBackends {
    std::unique_ptr<ShortcutBackend> shortcut = nullptr;
    std::unique_ptr<TrayHost> tray = nullptr;
    std::unique_ptr<SystemSleep> sleep = nullptr;
};

class AppDelegate : public QObject {
    Q_OBJECT

public:
    // The folder holding "Notes" and "index.json".
    static QString dataFolder();
    // What About shows: this build's version, build number and addresses.
    static AboutInfo aboutInfo();
    // What users bind to a key where the desktop gives Quelto no shortcut of its own.
    static QString toggleCommand() { return QStringLiteral("quelto --toggle"); }

    AppDelegate(Preferences& prefs, const QString& dataFolder, DesktopBackends desktop = {},
                QObject* parent = nullptr);
    ~AppDelegate() override;

    void launch();
    void togglePanel();
    // Shows the panel: what starting Quelto again while it runs does.
    void reopen();
    // Opens the settings window at `page`, or at the page last shown.
    void openSettings(std::optional<SettingsPage> page = std::nullopt);

    NoteStore& store() { return *m_store; }
    ShortcutCoordinator& shortcut() { return m_shortcut; }
    StopGuard& stopGuard() { return m_stopGuard; }
    FirstRunGuide& firstRun() { return m_firstRun; }
    // Whether the desktop shows the tray icon, followed as trays come and go.
    const TrayHost& trayHost() const { return *m_trayHost; }
    // Nothing before launch.
    NotePanelController* panel() { return m_panel.get(); }
    TrayPresence* tray() { return m_tray.get(); }
    // Nothing until settings are first opened.
    SettingsWindowController* settings() { return m_settings.get(); }

private:
    void bindCommands();
    // Shows the panel; while the guide is open, where it leaves the guide readable, or,
    // where there is no room for that, with the guide set aside until the panel hides.
    void showPanelBesideGuide();
    // The visible guide window, if any.
    QWidget* openGuide();
    // Where the panel leaves the open guide uncovered; nothing without room for that.
    std::optional<PanelFrameStore::Beside> besideGuide();
    // Keeps an alert above the panel, which floats above other windows.
    void placeAlert(QMessageBox& alert);
    void showShortcutConflict(const HotKeyCombo& wanted, const QString& message);
    // Once per user: this desktop gives no application a shortcut; what to do instead.
    void explainNoShortcut();
    // A newer version: a tray message, or, with no tray to show one, a toast the next
    // time the panel shows.
    void tellUpdate(const QString& version);

    // Declared in the order they may be used while the later ones end: Settings goes
    // first, and its recorder hands the shortcut back to a coordinator still there.
    Preferences& m_prefs;
    std::unique_ptr<NoteStore> m_store;
    PanelState m_state;
    CommandTable m_commands;
    FeedUpdater m_updater;
    std::unique_ptr<TrayHost> m_trayHost;
    ShortcutCoordinator m_shortcut;
    StopGuard m_stopGuard;
    FirstRunGuide m_firstRun;
    std::unique_ptr<NotePanelController> m_panel;
    std::unique_ptr<TrayPresence> m_tray;
    std::unique_ptr<UpdatePrompts> m_updates;
    std::unique_ptr<SettingsWindowController> m_settings;
};

} // namespace quelto
