// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opens the settings window: creates it on first use and keeps it, shows the page
// asked for or the one last shown, and brings it to the front with the focus.

#include "ui/settings/settingswindow.h"

#include <QPointer>

class QScreen;

#include <optional>

namespace quelto {

class SettingsWindowController : public QObject {
    Q_OBJECT

public:
    explicit SettingsWindowController(SettingsContext context, QObject* parent = nullptr);
    ~SettingsWindowController() override;

    SettingsRouter& router() { return m_router; }
    // Nothing until the first show.
    SettingsWindow* window() const { return m_window.get(); }

    // Opened from `over` (a visible window that floats above others, the note panel),
    // the window is kept above it.
    void show(std::optional<SettingsPage> page = std::nullopt, QWidget* over = nullptr);

signals:
    // The shortcut recorder started or stopped listening.
    void shortcutRecordingChanged(bool recording);

private:
    void create();
    void stayAbove(QWidget* over);
    // Small enough for `screen` and inside it.
    void fitOnto(const QScreen& screen);

    SettingsContext m_context;
    SettingsRouter m_router;
    std::unique_ptr<SettingsWindow> m_window;
};

} // namespace quelto
