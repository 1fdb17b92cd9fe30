// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/traypresence.h"

#include "platform/window/windowsystem.h"
#include "ui/tray/closuremenu.h"
#include "ui/tray/mainmenu.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QMenuBar>
#include <QPainter>

namespace quelto {

namespace {

constexpr auto kSymbolicName = "app.quelto.Quelto-symbolic";

// The tray icon. StatusNotifierItem hosts get its theme name, so they draw and colour
// the installed symbolic icon as they colour every other one. XEmbed trays (and hosts
// that do not find the name) show these pixels over a background nobody can know: the
// card in white inside a dark outline reads on light and dark trays alike.
class TrayIconEngine : public QIconEngine {
public:
    static constexpr QColor kInk{0xfa, 0xfa, 0xfa};
    static constexpr QColor kOutline{0x1c, 0x1c, 0x1c};

    QString iconName() override { return QString::fromLatin1(kSymbolicName); }
    QIconEngine* clone() const override { return new TrayIconEngine; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const double ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, drawn);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        // The outline's width, kept out of the glyph's own square.
        const int pad = std::max(1, side / 16);
        const QImage glyph = QIcon(QStringLiteral(":/quelto-symbolic.svg"))
                                 .pixmap(side - 2 * pad, side - 2 * pad)
                                 .toImage();
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        if (glyph.isNull())
            return QPixmap::fromImage(image);
        QPainter painter(&image);
        const QPoint at((size.width() - glyph.width()) / 2, (size.height() - glyph.height()) / 2);
        const QImage outline = tinted(glyph, kOutline);
        for (int dx = -pad; dx <= pad; ++dx) {
            for (int dy = -pad; dy <= pad; ++dy)
                painter.drawImage(at + QPoint(dx, dy), outline);
        }
        painter.drawImage(at, tinted(glyph, kInk));
        painter.end();
        return QPixmap::fromImage(image);
    }

private:
    static QImage tinted(QImage glyph, const QColor& colour)
    {
        QPainter painter(&glyph);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(glyph.rect(), colour);
        return glyph;
    }
};

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

    m_status =
        std::make_unique<StatusItemController>(QIcon(new TrayIconEngine), QStringLiteral("Quelto"),
                                               [this](QMenu* menu) { buildStatusMenu(menu); });
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
        WindowSystem::current().showOnAllDesktops(quint32(window->winId()));
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
