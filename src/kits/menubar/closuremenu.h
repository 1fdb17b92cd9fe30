#pragma once
// Menus built in code: items that run a function when chosen, and a tray icon whose
// menu is rebuilt every time it opens so it always shows the current state.

#include <QKeySequence>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

namespace quelto {

// Appends an item that runs `handler` when chosen and returns it for further setup.
QAction* addClosureItem(QMenu* menu, const QString& title, const QKeySequence& shortcut,
                        std::function<void()> handler);

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
