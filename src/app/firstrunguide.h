// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a new user meets: the welcome note in Scratch and the two-page guide. Both come
// once; finishing or closing the guide counts as done. Until then the untouched
// welcome note and the guide follow whether the shortcut works.

#include "app/shortcutcoordinator.h"
#include "core/settings/preferences.h"
#include "core/storage/notestore.h"
#include "ui/onboarding/onboardingsteps.h"
#include "ui/onboarding/onboardingwindowcontroller.h"

#include <QObject>

#include <functional>
#include <memory>

namespace quelto {

class FirstRunGuide : public QObject {
    Q_OBJECT

public:
    // The first note a new user sees. It names `shortcut`, the one that works, or, when
    // none does, the other ways to open Quelto: the tray icon only where the desktop
    // shows one.
    static QString welcomeText(const QString& shortcut, bool trayShown = true);

    // `tryIt` shows the panel (the guide's "Try it now"). `tray` may be null: then the
    // texts take the tray icon as shown.
    FirstRunGuide(Preferences& prefs, NoteStore& store, const ShortcutCoordinator& shortcut,
                  const TrayHost* tray, std::function<void()> tryIt, QObject* parent = nullptr);
    ~FirstRunGuide() override;

    // Seeds the welcome note and opens the guide, unless the user has been through it.
    void start();
    void seedWelcomeNote();
    void show();

    // Nothing unless the guide is open.
    OnboardingWindowController* window() { return m_window.get(); }
    const ShortcutDisplay& shortcutDisplay() const { return m_display; }

private:
    void shortcutChanged();
    bool trayShown() const { return !m_tray || m_tray->isAvailable(); }

    Preferences& m_prefs;
    NoteStore& m_store;
    const ShortcutCoordinator& m_shortcut;
    const TrayHost* m_tray;
    std::function<void()> m_tryIt;
    ShortcutDisplay m_display;
    std::unique_ptr<OnboardingWindowController> m_window;
};

} // namespace quelto
