// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appdelegate.h"

#include "core/settings/panelframestore.h"
#include "core/storage/filenoterepository.h"
#include "platform/hotkey/keyboardlayout.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>

// The icons live in this library, which Qt does not find on its own.
static void initResources()
{
    Q_INIT_RESOURCE(quelto);
}

namespace quelto {

namespace {

std::unique_ptr<NoteStore> storeIn(const QString& folder)
{
    initResources();
    auto repository = std::make_shared<FileNoteRepository>(folder + QStringLiteral("/Notes"),
                                                           folder + QStringLiteral("/index.json"));
    return std::make_unique<NoteStore>(repository, NoteStore::kSaveDelay);
}

} // namespace

QString AppDelegate::dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quelto");
}

AboutInfo AppDelegate::aboutInfo()
{
    return AboutInfo{QStringLiteral(QUELTO_VERSION), QStringLiteral(QUELTO_BUILD_NUMBER),
                     QUrl(QStringLiteral(QUELTO_WEBSITE_URL)),
                     QUrl(QStringLiteral(QUELTO_CHANGELOG_URL)),
                     QUrl(QStringLiteral("mailto:" QUELTO_SUPPORT_EMAIL))};
}

AppDelegate::AppDelegate(Preferences& prefs, const QString& folder, DesktopBackends desktop,
                         QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_store(storeIn(folder))
    , m_updater(FeedUpdater::buildConfig(), prefs)
    , m_trayHost(desktop.tray ? std::move(desktop.tray) : std::make_unique<DesktopTrayHost>([] {
        return QSystemTrayIcon::isSystemTrayAvailable();
    }))
    , m_shortcut(prefs,
                 desktop.shortcut ? std::move(desktop.shortcut)
                                  : ShortcutCoordinator::sessionBackend(prefs),
                 m_trayHost.get())
    , m_stopGuard(*m_store, std::move(desktop.sleep),
                  [this](QMessageBox& alert) { placeAlert(alert); })
    , m_firstRun(prefs, *m_store, m_shortcut, m_trayHost.get(), [this] { showPanelBesideGuide(); })
{}

AppDelegate::~AppDelegate()
{
    m_store->flush();
}

void AppDelegate::bindCommands()
{
    m_commands.bind(Command::Settings, [this] { openSettings(); });
    if (m_updater.canCheckForUpdates())
        m_commands.bind(Command::CheckForUpdates, [this] { m_updater.checkForUpdates(); });
    m_commands.bind(Command::Quit, [this] { m_stopGuard.requestQuit(); });
}

void AppDelegate::launch()
{
    bindCommands();
    m_panel = std::make_unique<NotePanelController>(*m_store, m_prefs, m_state, m_commands);
    m_panel->controller().panel()->setWindowTitle(QStringLiteral("Quelto"));
    // Windows get the full-colour icon; the tray has its own, symbolic one.
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("app.quelto.Quelto"),
                                                    QIcon(QStringLiteral(":/quelto.svg"))));

    m_tray = std::make_unique<TrayPresence>(
        m_prefs, m_commands, *m_panel, m_shortcut,
        TrayPresence::Actions{[this] { togglePanel(); },
                              [this] { openSettings(SettingsPage::General); }});
    m_tray->start();
    m_updates = std::make_unique<UpdatePrompts>(m_updater,
                                                [this](QMessageBox& alert) { placeAlert(alert); });
    m_updates->start([this](const QString& version) { tellUpdate(version); });
    m_stopGuard.watch();

    connect(&m_shortcut, &ShortcutCoordinator::activated, this, &AppDelegate::togglePanel);
    // After the current call chain: a registration started inside a settings change
    // finishes before an alert runs.
    connect(&m_shortcut, &ShortcutCoordinator::conflict, this, &AppDelegate::showShortcutConflict,
            Qt::QueuedConnection);
    connect(&m_shortcut, &ShortcutCoordinator::unavailable, this, &AppDelegate::explainNoShortcut,
            Qt::QueuedConnection);
    m_shortcut.start();
    m_firstRun.start();
    // With no tray to open it from, the panel is the sign that Quelto started, unless
    // the guide is, on a screen too small for both.
    if (!m_trayHost->isAvailable() && (!openGuide() || besideGuide()))
        showPanelBesideGuide();
}

void AppDelegate::openSettings(std::optional<SettingsPage> page)
{
    if (!m_settings) {
        m_settings = std::make_unique<SettingsWindowController>(SettingsContext{
            m_prefs, m_commands, aboutInfo(), dataFolder() + QStringLiteral("/Notes"),
            &m_shortcut.status(), toggleCommand(), m_trayHost.get()});
        connect(m_settings.get(), &SettingsWindowController::shortcutRecordingChanged, &m_shortcut,
                &ShortcutCoordinator::setSuspended);
    }
    FloatingPanelController& panel = m_panel->controller();
    m_settings->show(page, panel.isVisible() ? panel.panel() : nullptr);
}

void AppDelegate::togglePanel()
{
    if (m_panel->controller().isVisible())
        m_panel->controller().hide();
    else
        m_panel->showPanel();
}

void AppDelegate::reopen()
{
    m_panel->showPanel();
}

QWidget* AppDelegate::openGuide()
{
    OnboardingWindowController* guide = m_firstRun.window();
    return guide && guide->window()->isVisible() ? guide->window() : nullptr;
}

std::optional<PanelFrameStore::Beside> AppDelegate::besideGuide()
{
    QWidget* guide = openGuide();
    if (!guide)
        return std::nullopt;
    const FloatingPanel* panel = m_panel->controller().panel();
    return PanelFrameStore::beside(QRectF(panel->geometry()), QRectF(guide->frameGeometry()),
                                   QRectF(guide->screen()->availableGeometry()),
                                   QSizeF(panel->minimumSize()),
                                   FloatingPanelController::kAnchorGap);
}

void AppDelegate::showPanelBesideGuide()
{
    const std::optional<PanelFrameStore::Beside> placed = besideGuide();
    m_panel->showPanel();
    QWidget* guide = openGuide();
    if (!guide)
        return;
    // The panel floats above the guide: it goes beside it, not over its text and buttons.
    if (placed) {
        m_panel->controller().panel()->setGeometry(placed->panel.toRect());
        const QRectF frame(guide->frameGeometry());
        if (placed->kept != frame)
            guide->move(guide->pos() + (placed->kept.topLeft() - frame.topLeft()).toPoint());
        return;
    }
    // No room for both (a small or scaled screen): the guide steps aside meanwhile.
    guide->showMinimized();
    connect(
        &m_panel->controller(), &FloatingPanelController::didHide, guide,
        [guide] {
            guide->showNormal();
            guide->raise();
        },
        Qt::SingleShotConnection);
}

void AppDelegate::placeAlert(QMessageBox& alert)
{
    if (m_panel)
        m_panel->controller().panel()->keepAbove(alert);
}

void AppDelegate::tellUpdate(const QString& version)
{
    const QString title = QStringLiteral("Quelto %1 is available").arg(version);
    if (m_trayHost->isAvailable()) {
        m_tray->status()->item().showMessage(
            title, QStringLiteral("Choose Check for Updates… in the menu to get it."));
        return;
    }
    const QString toast = title + QStringLiteral(": Check for Updates… in the ⋯ menu");
    if (m_panel->controller().isVisible()) {
        m_panel->toast().show(toast);
        return;
    }
    connect(
        &m_panel->controller(), &FloatingPanelController::willShow, this,
        [this, toast] {
            // Once the panel is up, so that the toast is placed by it.
            QTimer::singleShot(0, this, [this, toast] { m_panel->toast().show(toast); });
        },
        Qt::SingleShotConnection);
}

void AppDelegate::explainNoShortcut()
{
    if (m_prefs.noShortcutExplained())
        return;
    m_prefs.setNoShortcutExplained(true);
    QMessageBox alert;
    alert.setWindowTitle(QStringLiteral("Quelto"));
    alert.setText(QStringLiteral("Your desktop doesn't let apps set a global shortcut."));
    alert.setInformativeText(QStringLiteral("Bind the command %1 to a key in your desktop's "
                                            "keyboard settings.")
                                 .arg(toggleCommand()));
    QPushButton* ok = alert.addButton(QMessageBox::Ok);
    QPushButton* copy = alert.addButton(QStringLiteral("Copy Command"), QMessageBox::AcceptRole);
    alert.setDefaultButton(ok);
    alert.setEscapeButton(ok);
    placeAlert(alert);
    alert.exec();
    if (alert.clickedButton() == static_cast<QAbstractButton*>(copy))
        QGuiApplication::clipboard()->setText(toggleCommand());
}

void AppDelegate::showShortcutConflict(const HotKeyCombo& wanted, const QString& message)
{
    // Over the settings window when the user is in it (which may float above the panel).
    SettingsWindow* settings = m_settings ? m_settings->window() : nullptr;
    const bool inSettings = settings && settings->isVisible();
    QMessageBox alert(inSettings ? settings : nullptr);
    alert.setWindowTitle(QStringLiteral("Quelto"));
    alert.setText(KeyboardLayout::displayString(wanted) +
                  QStringLiteral(" is already used by another app"));
    alert.setInformativeText(message);
    QPushButton* ok = alert.addButton(QMessageBox::Ok);
    alert.setDefaultButton(ok);
    alert.setEscapeButton(ok);
    // The message sends the user to Settings → General; offer the way there unless
    // they are looking at it.
    const bool onGeneral = inSettings && m_settings->router().page() == SettingsPage::General;
    QPushButton* open = nullptr;
    if (!onGeneral)
        open = alert.addButton(QStringLiteral("Open Settings"), QMessageBox::AcceptRole);
    if (!inSettings)
        placeAlert(alert);
    alert.exec();
    if (open && alert.clickedButton() == static_cast<QAbstractButton*>(open))
        openSettings(SettingsPage::General);
}

} // namespace quelto
