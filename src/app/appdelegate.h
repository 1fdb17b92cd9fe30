// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Owns Quelto's long-lived objects and wires them at launch: preferences, the note
// store over the data folder, the panel, the tray icon, the global shortcut (with a
// fallback and an explanation when another application holds it), and the rules
// that write pending text before sleep, logout, termination and quit.

#include "app/feedupdater.h"
#include "core/settings/preferences.h"
#include "core/settings/shortcutstatus.h"
#include "core/storage/notestore.h"
#include "platform/desktop/session.h"
#include "platform/hotkey/hotkey.h"
#include "platform/hotkey/portalshortcut.h"
#include "ui/onboarding/onboardingsteps.h"
#include "ui/onboarding/onboardingwindowcontroller.h"
#include "ui/panel/notepanelcontroller.h"
#include "ui/settings/settingswindowcontroller.h"
#include "ui/tray/statusitemcontroller.h"

#include <QDBusUnixFileDescriptor>
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

namespace quelto {

class AppDelegate : public QObject {
    Q_OBJECT

public:
    // The folder holding "Notes" and "index.json".
    static QString dataFolder();
    // The first note a new user sees. It names the default shortcut in its fixed text
    // form, or, when `shortcutWorks` is false, the other ways to open Quelto.
    static QString welcomeText(bool shortcutWorks = true);
    // What About shows: this build's version, build number and addresses.
    static AboutInfo aboutInfo();
    // What users bind to a key where the desktop gives Quelto no shortcut of its own.
    static QString toggleCommand() { return QStringLiteral("quelto --toggle"); }

    AppDelegate(Preferences& prefs, const QString& dataFolder, QObject* parent = nullptr);
    ~AppDelegate() override;

    void launch();
    void seedWelcomeNote();
    // The first-run guide; finishing or closing it counts as completing onboarding.
    void showOnboarding();
    void togglePanel();
    // Shows the panel: what starting Quelto again while it runs does.
    void reopen();
    void registerHotKey();
    // While the user records a new shortcut the current one is let go, so its keys
    // reach the recorder; afterwards it (or the new one) is registered again.
    void suspendHotKey(bool suspended);
    // Opens the settings window at `page`, or at the page last shown.
    void openSettings(std::optional<SettingsPage> page = std::nullopt);
    // Flushes, then asks before quitting when saves failed; true means quit.
    bool shouldTerminate();
    // Quits unless the user cancels (the Quit commands end here).
    void requestQuit();
    // Told to stop (logout, shutdown, a signal): writes everything it can, puts what
    // cannot be saved into the recovery folder, and returns the files written there.
    QStringList saveBeforeStopping();
    void buildStatusMenu(QMenu* menu);

    NoteStore& store() { return *m_store; }
    NotePanelController* panel() { return m_panel.get(); }
    StatusItemController* status() { return m_status.get(); }
    // Nothing until settings are first opened.
    SettingsWindowController* settings() { return m_settings.get(); }
    std::optional<HotKeyCombo> registeredCombo() const { return m_registeredCombo; }
    // Nothing unless the guide is open.
    OnboardingWindowController* onboarding() { return m_onboarding.get(); }
    const ShortcutDisplay& shortcutDisplay() const { return m_shortcutDisplay; }
    // Why there is no working shortcut, when there is none.
    const ShortcutStatus& shortcutStatus() const { return m_shortcutStatus; }

signals:
    // The working global shortcut changed, or there no longer is one.
    void registeredComboChanged();

public slots:
    void flushOnSleep(bool goingToSleep);

private:
    void showHotKeyConflict(const HotKeyCombo& wanted, const QString& message);
    void setRegisteredCombo(std::optional<HotKeyCombo> combo);
    void updateShortcutDisplay();
    // Rewrites an untouched welcome note when the shortcut turned out (not) to work.
    void refreshWelcomeNote();
    // A shortcut works, or the desktop has been asked for one and has not answered.
    bool shortcutWorks() const;
    void registerX11(const HotKeyCombo& wanted);
    void bindThroughPortal(const HotKeyCombo& wanted);
    void portalBound(const QString& trigger);
    void portalRefused(ShortcutStatus::Outcome outcome);
    // Writes `kept` into the preference without registering it again.
    void writeBackHotKey(const HotKeyCombo& kept);
    // Once per user: this desktop gives no application a shortcut; what to do instead.
    void explainNoShortcut();
    void showUpdateAnswer(FeedUpdater::Outcome outcome, const UpdateFeed& feed);
    void watchForUpdates();
    void bindCommands();
    // The panel joins the taskbar (with its menu bar) or leaves it, as the preference says.
    void applyTaskbarEntry();
    void installObservers();
    // Asks logind to wait for the flush before the machine sleeps.
    void holdSleep();

    Preferences& m_prefs;
    std::unique_ptr<NoteStore> m_store;
    PanelState m_state;
    CommandTable m_commands;
    std::unique_ptr<FeedUpdater> m_updater;
    QTimer m_updateTimer;
    std::unique_ptr<NotePanelController> m_panel;
    std::unique_ptr<StatusItemController> m_status;
    QPointer<QMenuBar> m_mainMenu;
    std::unique_ptr<SettingsWindowController> m_settings;
    ShortcutDisplay m_shortcutDisplay;
    std::unique_ptr<OnboardingWindowController> m_onboarding;
    Session::ShortcutBackend m_backend = Session::ShortcutBackend::X11Grab;
    std::unique_ptr<HotKey> m_hotKey;
    std::unique_ptr<PortalShortcut> m_portal;
    // What the portal was last asked for, and its description of what it bound.
    std::optional<HotKeyCombo> m_portalAsked;
    QString m_boundTrigger;
    std::optional<HotKeyCombo> m_registeredCombo;
    ShortcutStatus m_shortcutStatus;
    bool m_isRevertingHotKey = false;
    bool m_hotKeySuspended = false;
    // The shortcut the preference named when it was suspended.
    HotKeyCombo m_suspendedWanted;
    bool m_quitting = false;
    QDBusUnixFileDescriptor m_sleepInhibitor;
};

} // namespace quelto
