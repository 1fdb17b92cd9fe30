#include "kits/menubar/closuremenu.h"

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

StatusItemController::StatusItemController(const QIcon& icon, const QString& toolTip, Build build,
                                           QObject* parent)
    : QObject(parent)
    , m_build(std::move(build))
{
    m_item.setIcon(icon);
    m_item.setToolTip(toolTip);
    m_item.setContextMenu(&m_menu);
    connect(&m_menu, &QMenu::aboutToShow, this, &StatusItemController::rebuild);
}

void StatusItemController::rebuild()
{
    m_menu.clear();
    if (m_build)
        m_build(&m_menu);
}

} // namespace quelto
