// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A tray icon whose menu is rebuilt every time it opens, so it always shows the
// current state.

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

namespace quelto {

class StatusItemController : public QObject {
    Q_OBJECT

public:
    using Build = std::function<void(QMenu*)>;

    StatusItemController(const QIcon& icon, const QString& toolTip, Build build,
                         QObject* parent = nullptr);

    QSystemTrayIcon& item() { return m_item; }
    QMenu* menu() { return &m_menu; }
    // Empties the menu and lets the builder fill it again.
    void rebuild();

private:
    QSystemTrayIcon m_item;
    QMenu m_menu;
    Build m_build;
};

} // namespace quelto
