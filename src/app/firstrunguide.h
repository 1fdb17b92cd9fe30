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
    // none does, the other ways to open Quelto.
    static QString welcomeText(const QString& shortcut);

    // `tryIt` shows the panel (the guide's "Try it now").
    FirstRunGuide(Preferences& prefs, NoteStore& store, const ShortcutCoordinator& shortcut,
                  std::function<void()> tryIt, QObject* parent = nullptr);
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

    Preferences& m_prefs;
    NoteStore& m_store;
    const ShortcutCoordinator& m_shortcut;
    std::function<void()> m_tryIt;
    ShortcutDisplay m_display;
    std::unique_ptr<OnboardingWindowController> m_window;
};

} // namespace quelto
