// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tray/closuremenu.h"

namespace quelto {

QAction* addClosureItem(QMenu* menu, const QString& title, const QKeySequence& shortcut,
                        std::function<void()> handler)
{
    QAction* action = menu->addAction(title);
    action->setShortcut(shortcut);
    // Shown in the menu only; the keys are handled where the panel or editor has focus.
    action->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(action, &QAction::triggered, action, [handler = std::move(handler)] {
        if (handler)
            handler();
    });
    return action;
}

} // namespace quelto
