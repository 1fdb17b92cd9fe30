#include "kits/menubar/mainmenu.h"

#include "kits/menubar/closuremenu.h"

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

void addShortcutItem(QMenu* menu, const QString& title, const QKeySequence& keys,
                     std::function<void()> handler)
{
    QAction* action = addClosureItem(menu, title, keys, std::move(handler));
    action->setShortcutContext(Qt::WindowShortcut);
}

} // namespace

QMenuBar* build(const QString& applicationName, std::function<void()> quit,
                std::function<void()> close)
{
    auto* bar = new QMenuBar;
    QMenu* app = bar->addMenu(applicationName);
    addShortcutItem(app, QStringLiteral("Quit ") + applicationName,
                    QKeySequence(Qt::CTRL | Qt::Key_Q), std::move(quit));
    QMenu* edit = bar->addMenu(QStringLiteral("Edit"));
    addShortcutItem(edit, QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                    toFocus("undo"));
    addShortcutItem(edit, QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                    toFocus("redo"));
    edit->addSeparator();
    addShortcutItem(edit, QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X),
                    toFocus("cut"));
    addShortcutItem(edit, QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                    toFocus("copy"));
    addShortcutItem(edit, QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V),
                    toFocus("paste"));
    addShortcutItem(edit, QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A),
                    toFocus("selectAll"));
    QMenu* window = bar->addMenu(QStringLiteral("Window"));
    addShortcutItem(window, QStringLiteral("Close"), QKeySequence(Qt::CTRL | Qt::Key_W),
                    std::move(close));
    return bar;
}

} // namespace quelto::MainMenu
