// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings window: a sidebar listing the pages and the selected page beside it,
// a fixed 720 × 520, titled after the page shown. Closing it only hides it.

#include "ui/settings/aboutpage.h"
#include "ui/settings/settingsrouter.h"

#include <QWidget>

class QFrame;
class QScrollArea;

class QListWidget;
class QStackedWidget;

namespace quelto {

class TrayHost;

class CommandTable;
class EditorPage;
class GeneralPage;
class Preferences;
class ShortcutStatus;

// What the pages edit and show.
struct SettingsContext {
    Preferences& prefs;
    const CommandTable& commands;
    AboutInfo about;
    QString notesFolder;
    // Why there is no global shortcut when there is none; nothing where no one says.
    const ShortcutStatus* shortcut = nullptr;
    // The command to bind to a key instead.
    QString toggleCommand = QStringLiteral("quelto --toggle");
    // Whether the desktop shows a tray icon; nothing where no one says.
    const TrayHost* tray = nullptr;
};

class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize kSize{720, 520};
    static constexpr int kSidebarWidth = 220;
    static constexpr QSize kMinPageSize{480, 480};
    // How narrow the sidebar may get on a small screen.
    static constexpr int kMinSidebarWidth = 140;

    SettingsWindow(SettingsRouter& router, const SettingsContext& context,
                   QWidget* parent = nullptr);

    // Takes its natural size where `room` allows, else as much as there is: the pages
    // scroll and the sidebar narrows.
    void fitInto(QSize room);

    QListWidget* sidebar() const { return m_sidebar; }
    QStackedWidget* pages() const { return m_pages; }
    GeneralPage* generalPage() const { return m_general; }
    EditorPage* editorPage() const { return m_editor; }
    AboutPage* aboutPage() const { return m_about; }

private:
    void showPage(SettingsPage page);

    SettingsRouter& m_router;
    QWidget* m_sidebarColumn;
    QListWidget* m_sidebar;
    QFrame* m_divider;
    QScrollArea* m_scroll;
    QStackedWidget* m_pages;
    GeneralPage* m_general;
    EditorPage* m_editor;
    AboutPage* m_about;
};

} // namespace quelto
