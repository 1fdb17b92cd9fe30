// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tray/statusitemcontroller.h"

namespace quelto {

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
