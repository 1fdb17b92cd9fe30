// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The General page: the global shortcut, hiding on click-away, launching at login and
// the taskbar entry. Every control writes its preference at once and follows it when
// it changes elsewhere (a refused shortcut is written back by the application).

#include "core/settings/preferences.h"

#include <QWidget>

class QCheckBox;

namespace quelto {

class HotKeyRecorder;

class GeneralPage : public QWidget {
    Q_OBJECT

public:
    explicit GeneralPage(Preferences& prefs, QWidget* parent = nullptr);

    HotKeyRecorder* recorder() const { return m_recorder; }
    QCheckBox* hideOnClickAway() const { return m_hideOnClickAway; }
    QCheckBox* launchAtLogin() const { return m_launchAtLogin; }
    QCheckBox* showInTaskbar() const { return m_showInTaskbar; }

signals:
    // The shortcut recorder started or stopped listening.
    void shortcutRecordingChanged(bool recording);

private:
    HotKeyRecorder* m_recorder;
    QCheckBox* m_hideOnClickAway;
    QCheckBox* m_launchAtLogin;
    QCheckBox* m_showInTaskbar;
};

} // namespace quelto
