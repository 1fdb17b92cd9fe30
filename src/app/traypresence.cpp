// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/traypresence.h"

#include "platform/window/x11window.h"
#include "ui/tray/closuremenu.h"
#include "ui/tray/mainmenu.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>

namespace quelto {

namespace {

// The one-colour card in the palette's text colour, so it reads on light and dark
// panels alike; the full-colour icon where SVG cannot be drawn.
QIcon trayIcon()
{
    const QIcon symbolic(QStringLiteral(":/quelto-symbolic.svg"));
    const QColor ink = QGuiApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = symbolic.pixmap(side, side);
        if (pixmap.isNull())
            return QIcon(QStringLiteral(":/quelto.svg"));
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), ink);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

TrayPresence::TrayPresence(Preferences& prefs, const CommandTable& commands,
                           NotePanelController& panel, const ShortcutCoordinator& shortcut,
                           Actions actions, QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_commands(commands)
    , m_panel(panel)
    , m_shortcut(shortcut)
    , m_actions(std::move(actions))
{}

TrayPresence::~TrayPresence() = default;

void TrayPresence::start()
{
    FloatingPanel* window = m_panel.controller().panel();
    // Its keys work through the panel's own actions. Shown, it would lie over the
    // panel's content, which has no room for a menu bar.
    QMenuBar* mainMenu = MainMenu::build(QStringLiteral("Quelto"), m_commands);
    mainMenu->setParent(window);
    mainMenu->hide();
    for (QAction* top : mainMenu->actions()) {
        if (top->menu())
            window->addActions(top->menu()->actions());
    }
    applyTaskbarEntry();
    connect(&m_prefs, &Preferences::showDockIconChanged, this, &TrayPresence::applyTaskbarEntry);

    m_status = std::make_unique<StatusItemController>(
        trayIcon(), QStringLiteral("Quelto"), [this](QMenu* menu) { buildStatusMenu(menu); });
    connect(&m_status->item(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    m_actions.togglePanel();
            });
    m_status->item().show();
}

void TrayPresence::applyTaskbarEntry()
{
    FloatingPanel* window = m_panel.controller().panel();
    const bool inTaskbar = m_prefs.showDockIcon();
    if (window->windowFlags().testFlag(Qt::Tool) != inTaskbar)
        return;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::Tool, !inTaskbar); // a new native window, hidden
    if (visible) {
        // Back where it was, leaving the focus with the window that changed the setting.
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, false);
        X11Window::showOnAllDesktops(quint32(window->winId()));
    }
}

void TrayPresence::buildStatusMenu(QMenu* menu)
{
    QString first = m_panel.controller().isVisible() ? QStringLiteral("Hide Quelto")
                                                     : QStringLiteral("Show Quelto");
    // The global shortcut in the menu's key column (after a tab), not in the title.
    const QString shortcut = m_shortcut.activeName();
    if (!shortcut.isEmpty())
        first += u'\t' + shortcut;
    addClosureItem(menu, first, {}, m_actions.togglePanel);
    if (m_shortcut.status().needsDesktopBinding())
        addClosureItem(menu, QStringLiteral("No Shortcut: How to Set One…"), {},
                       m_actions.openShortcutSettings);
    // Without their keys, which work only inside the panel.
    const auto item = [this, menu](Command command) {
        if (m_commands.isBound(command))
            addClosureItem(menu, commandInfo(command).title, {}, m_commands.handler(command));
    };
    item(Command::NewTab);
    item(Command::ClearScratch);
    menu->addSeparator();
    item(Command::Settings);
    item(Command::CheckForUpdates);
    menu->addSeparator();
    item(Command::Quit);
}

} // namespace quelto
