// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tray/mainmenu.h"

#include "ui/tray/closuremenu.h"

#include <QApplication>

namespace quelto::MainMenu {

namespace {

// Runs an editing slot (undo, copy, …) on the focused widget, if it has one.
std::function<void()> toFocus(const char* slot)
{
    return [slot] {
        if (QWidget* focus = QApplication::focusWidget())
            QMetaObject::invokeMethod(focus, slot);
    };
}

void addShortcutItem(QMenu* menu, const QString& title, QKeySequence::StandardKey keys,
                     std::function<void()> handler)
{
    QAction* action = addClosureItem(menu, title, QKeySequence(keys), std::move(handler));
    action->setShortcutContext(Qt::WindowShortcut);
}

// Its keys work wherever the window has the focus, as a real menu bar's would.
void addCommandItem(QMenu* menu, const CommandTable& commands, Command command)
{
    if (QAction* action = commands.addItem(menu, command))
        action->setShortcutContext(Qt::WindowShortcut);
}

} // namespace

QMenuBar* build(const QString& applicationName, const CommandTable& commands)
{
    auto* bar = new QMenuBar;
    QMenu* app = bar->addMenu(applicationName);
    addCommandItem(app, commands, Command::Quit);
    QMenu* edit = bar->addMenu(QStringLiteral("Edit"));
    addShortcutItem(edit, QStringLiteral("Undo"), QKeySequence::Undo, toFocus("undo"));
    addShortcutItem(edit, QStringLiteral("Redo"), QKeySequence::Redo, toFocus("redo"));
    edit->addSeparator();
    addShortcutItem(edit, QStringLiteral("Cut"), QKeySequence::Cut, toFocus("cut"));
    addShortcutItem(edit, QStringLiteral("Copy"), QKeySequence::Copy, toFocus("copy"));
    addShortcutItem(edit, QStringLiteral("Paste"), QKeySequence::Paste, toFocus("paste"));
    addShortcutItem(edit, QStringLiteral("Select All"), QKeySequence::SelectAll,
                    toFocus("selectAll"));
    edit->addSeparator();
    addCommandItem(edit, commands, Command::Find);
    addCommandItem(edit, commands, Command::FindInAllTabs);
    QMenu* window = bar->addMenu(QStringLiteral("Window"));
    addCommandItem(window, commands, Command::CloseTab);
    // Esc is the panel's own key (an input method or the rename field may want it
    // first), so the item only shows it.
    commands.addItem(window, Command::HidePanel);
    return bar;
}

} // namespace quelto::MainMenu
