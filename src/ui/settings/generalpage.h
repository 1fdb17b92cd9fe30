// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The General page: the global shortcut, hiding on click-away, launching at login and
// the taskbar entry. Every control writes its preference at once and follows it when
// it changes elsewhere (a refused shortcut is written back by the application).

#include "core/settings/preferences.h"
#include "core/settings/shortcutstatus.h"
#include "platform/desktop/trayhost.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace quelto {

class HotKeyRecorder;

class GeneralPage : public QWidget {
    Q_OBJECT

public:
    // `shortcut` (optional) says why there is no global shortcut; the page then tells
    // the user how to bind `toggleCommand` instead. `tray` (optional) says whether the
    // desktop shows a tray icon, which the taskbar row's description depends on.
    explicit GeneralPage(Preferences& prefs, const ShortcutStatus* shortcut = nullptr,
                         const QString& toggleCommand = {}, const TrayHost* tray = nullptr,
                         QWidget* parent = nullptr);

    HotKeyRecorder* recorder() const { return m_recorder; }
    QCheckBox* hideOnClickAway() const { return m_hideOnClickAway; }
    QCheckBox* launchAtLogin() const { return m_launchAtLogin; }
    QCheckBox* showInTaskbar() const { return m_showInTaskbar; }
    QLabel* showInTaskbarNote() const { return m_showInTaskbarNote; }
    // Shown only while no shortcut works.
    QLabel* noShortcutNote() const { return m_noShortcutNote; }
    // Shown only while the shortcut is the default, which browsers also use.
    QLabel* defaultShortcutHint() const { return m_defaultHint; }
    QPushButton* copyCommand() const { return m_copyCommand; }

signals:
    // The shortcut recorder started or stopped listening.
    void shortcutRecordingChanged(bool recording);

private:
    // Shows the shortcut that works (or none), why none does, and the hint that goes
    // with the default combination only while it is that one.
    void showShortcut();
    void showTray(bool shown);

    HotKeyRecorder* m_recorder;
    const ShortcutStatus* m_status;
    QLabel* m_defaultHint = nullptr;
    QLabel* m_noShortcutNote = nullptr;
    QPushButton* m_copyCommand = nullptr;
    QWidget* m_noShortcutRow = nullptr;
    QString m_toggleCommand;
    QCheckBox* m_hideOnClickAway;
    QCheckBox* m_launchAtLogin;
    QCheckBox* m_showInTaskbar;
    QLabel* m_showInTaskbarNote;
};

} // namespace quelto
