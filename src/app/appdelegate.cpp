// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appdelegate.h"

#include "core/storage/filenoterepository.h"
#include "core/storage/recovery.h"
#include "platform/hotkey/keyboardlayout.h"
#include "platform/hotkey/portaltrigger.h"
#include "platform/window/x11window.h"
#include "ui/tray/closuremenu.h"
#include "ui/tray/mainmenu.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <syslog.h>

// The icons live in this library, which Qt does not find on its own.
static void initResources()
{
    Q_INIT_RESOURCE(quelto);
}

namespace quelto {

namespace {

using namespace std::chrono_literals;

const QString kWebsite = QStringLiteral(QUELTO_WEBSITE_URL);
constexpr std::chrono::seconds kFirstUpdateCheck{30};
constexpr std::chrono::hours kUpdateCheckInterval{1};
// Set once the user has been told this desktop gives apps no global shortcut.
const QString kNoShortcutExplainedKey = QStringLiteral("noShortcutExplained");

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

QString AppDelegate::dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quelto");
}

QString AppDelegate::welcomeText(bool shortcutWorks)
{
    // Fixed text: the keyboard layout of the day must not change what the note says.
    const QString howToOpen =
        shortcutWorks ? QStringLiteral("Press **Ctrl+Shift+J** anywhere to show or hide this note.")
                      : QStringLiteral("Open this note from the tray icon, or bind the command "
                                       "`quelto --toggle` to a key in your desktop's keyboard "
                                       "settings.");
    return QStringList{
        QStringLiteral("# Welcome to Quelto"),
        howToOpen + QStringLiteral(" It stays on top until you press Esc."),
        QString(),
        QStringLiteral("- [ ] Click this box to tick it"),
        QStringLiteral("- [x] Type `- [ ]` to make another"),
        QStringLiteral("- Links are Ctrl-clickable: ") + kWebsite,
        QString(),
        QStringLiteral("Lines that start with = are calculated:"),
        QStringLiteral("= 12.50"),
        QStringLiteral("= 7"),
        QStringLiteral("= 30"),
        QStringLiteral("= sum"),
        QString(),
        QStringLiteral("Try **bold**, _italic_, ~~strike~~ and `code`. What you copy out is plain "
                       "text."),
    }
        .join(u'\n');
}

AboutInfo AppDelegate::aboutInfo()
{
    return AboutInfo{QStringLiteral(QUELTO_VERSION), QStringLiteral(QUELTO_BUILD_NUMBER),
                     QUrl(kWebsite), QUrl(QStringLiteral(QUELTO_CHANGELOG_URL)),
                     QUrl(QStringLiteral("mailto:" QUELTO_SUPPORT_EMAIL))};
}

AppDelegate::AppDelegate(Preferences& prefs, const QString& folder, QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
{
    initResources();
    auto repository = std::make_shared<FileNoteRepository>(folder + QStringLiteral("/Notes"),
                                                           folder + QStringLiteral("/index.json"));
    m_store = std::make_unique<NoteStore>(repository, NoteStore::kSaveDelay);
    m_updater = std::make_unique<FeedUpdater>(FeedUpdater::buildConfig(), m_prefs.store());
}

AppDelegate::~AppDelegate()
{
    m_store->flush();
}

void AppDelegate::bindCommands()
{
    m_commands.bind(Command::Settings, [this] { openSettings(); });
    if (m_updater->canCheckForUpdates())
        m_commands.bind(Command::CheckForUpdates, [this] { m_updater->checkForUpdates(); });
    m_commands.bind(Command::Quit, [this] { requestQuit(); });
}

void AppDelegate::launch()
{
    bindCommands();
    m_panel = std::make_unique<NotePanelController>(*m_store, m_prefs, m_state, m_commands,
                                                    m_prefs.store());

    FloatingPanel* window = m_panel->controller().panel();
    window->setWindowTitle(QStringLiteral("Quelto"));
    // Windows get the full-colour icon; the tray draws its own in one colour.
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("app.quelto.Quelto"),
                                                    QIcon(QStringLiteral(":/quelto.svg"))));
    m_mainMenu = MainMenu::build(QStringLiteral("Quelto"), m_commands);
    m_mainMenu->setParent(window);
    for (QAction* top : m_mainMenu->actions()) {
        if (top->menu())
            window->addActions(top->menu()->actions());
    }
    applyTaskbarEntry();

    m_status = std::make_unique<StatusItemController>(
        trayIcon(), QStringLiteral("Quelto"),
        [this](QMenu* statusMenu) { buildStatusMenu(statusMenu); });
    connect(&m_status->item(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    togglePanel();
            });
    m_status->item().show();

    installObservers();
    watchForUpdates();
    m_backend = Session::shortcutBackend(QProcessEnvironment::systemEnvironment(),
                                         QGuiApplication::platformName());
    registerHotKey();
    updateShortcutDisplay();
    if (!m_prefs.hasCompletedOnboarding()) {
        seedWelcomeNote();
        showOnboarding();
    }
}

void AppDelegate::showOnboarding()
{
    QList<OnboardingStep> steps = onboardingSteps(m_shortcutDisplay, [this] { reopen(); });
    if (steps.isEmpty())
        return;
    if (!m_onboarding) {
        m_onboarding =
            std::make_unique<OnboardingWindowController>(kOnboardingTitle, kOnboardingSize);
        connect(m_onboarding.get(), &OnboardingWindowController::finished, this, [this] {
            m_prefs.setHasCompletedOnboarding(true);
            // Not inside the controller's own signal.
            QTimer::singleShot(0, this, [this] { m_onboarding.reset(); });
        });
    }
    m_onboarding->present(std::move(steps), 0, kOnboardingFinishTitle);
}

bool AppDelegate::shortcutWorks() const
{
    // While the desktop is still asked, the shortcut it is asked for is the one to name.
    const ShortcutStatus::Outcome outcome = m_shortcutStatus.outcome();
    return outcome == ShortcutStatus::Outcome::Active ||
           outcome == ShortcutStatus::Outcome::Waiting;
}

void AppDelegate::updateShortcutDisplay()
{
    QString text;
    if (m_registeredCombo)
        text = KeyboardLayout::displayString(*m_registeredCombo);
    else if (!m_boundTrigger.isEmpty())
        text = m_boundTrigger; // bound under a name of the desktop's own
    else if (shortcutWorks())
        text = KeyboardLayout::displayString(m_prefs.hotKey());
    m_shortcutDisplay.setText(text);
}

void AppDelegate::refreshWelcomeNote()
{
    // The untouched welcome note follows what the desktop answered.
    if (m_prefs.hasCompletedOnboarding())
        return;
    const Note scratch = m_store->notes().first();
    if (scratch.text == welcomeText(!shortcutWorks()))
        m_store->updateText(welcomeText(shortcutWorks()), scratch.id);
}

void AppDelegate::applyTaskbarEntry()
{
    FloatingPanel* window = m_panel->controller().panel();
    const bool inTaskbar = m_prefs.showDockIcon();
    m_mainMenu->setVisible(inTaskbar);
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

void AppDelegate::openSettings(std::optional<SettingsPage> page)
{
    if (!m_settings) {
        m_settings = std::make_unique<SettingsWindowController>(SettingsContext{
            m_prefs, m_commands, aboutInfo(), dataFolder() + QStringLiteral("/Notes"),
            &m_shortcutStatus, toggleCommand()});
        connect(m_settings.get(), &SettingsWindowController::shortcutRecordingChanged, this,
                &AppDelegate::suspendHotKey);
    }
    FloatingPanelController& panel = m_panel->controller();
    m_settings->show(page, panel.isVisible() ? panel.panel() : nullptr);
}

void AppDelegate::installObservers()
{
    connect(&m_prefs, &Preferences::queltoHotKeyChanged, this, &AppDelegate::registerHotKey);
    connect(&m_prefs, &Preferences::queltoHotKeyChanged, this, &AppDelegate::updateShortcutDisplay);
    connect(this, &AppDelegate::registeredComboChanged, this, &AppDelegate::updateShortcutDisplay);
    connect(&m_shortcutStatus, &ShortcutStatus::outcomeChanged, this, [this] {
        updateShortcutDisplay();
        refreshWelcomeNote();
    });
    connect(&m_prefs, &Preferences::showDockIconChanged, this, &AppDelegate::applyTaskbarEntry);
    // logind tells the session before the machine sleeps.
    QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(flushOnSleep(bool)));
    holdSleep();
    // The desktop session ends: whatever was typed goes to disk first.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { saveBeforeStopping(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_store->flush(); });
}

void AppDelegate::seedWelcomeNote()
{
    const Note scratch = m_store->notes().first();
    if (scratch.text.isEmpty())
        m_store->updateText(welcomeText(shortcutWorks()), scratch.id);
}

void AppDelegate::watchForUpdates()
{
    if (!m_updater->canCheckForUpdates())
        return;
    connect(m_updater.get(), &FeedUpdater::answered, this, &AppDelegate::showUpdateAnswer);
    connect(m_updater.get(), &FeedUpdater::updateAvailable, this, [this](const UpdateFeed& feed) {
        m_status->item().showMessage(
            QStringLiteral("Quelto %1 is available").arg(feed.version.toString()),
            QStringLiteral("Choose Check for Updates… in the menu to get it."));
    });
    // Not at the very start, which is busy enough; then looked at every hour, and the
    // updater checks at most once a day.
    connect(&m_updateTimer, &QTimer::timeout, m_updater.get(), &FeedUpdater::checkAutomatically);
    QTimer::singleShot(kFirstUpdateCheck, m_updater.get(), &FeedUpdater::checkAutomatically);
    m_updateTimer.start(kUpdateCheckInterval);
}

void AppDelegate::showUpdateAnswer(FeedUpdater::Outcome outcome, const UpdateFeed& feed)
{
    QMessageBox alert;
    // Asked for from the panel, which floats above other windows: the answer too.
    m_panel->controller().panel()->keepAbove(alert);
    alert.setWindowTitle(QStringLiteral("Quelto"));
    alert.setStandardButtons(QMessageBox::Ok);
    if (outcome == FeedUpdater::Outcome::Failed) {
        alert.setText(QStringLiteral("Couldn't check for updates."));
    } else if (outcome == FeedUpdater::Outcome::UpToDate) {
        alert.setText(QStringLiteral("You're up to date."));
    } else {
        alert.setText(QStringLiteral("Quelto %1 is available — you have %2.")
                          .arg(feed.version.toString(), QStringLiteral(QUELTO_VERSION)));
        alert.setStandardButtons(QMessageBox::NoButton);
        QPushButton* notes =
            alert.addButton(QStringLiteral("Release Notes"), QMessageBox::AcceptRole);
        QPushButton* download =
            alert.addButton(QStringLiteral("Download"), QMessageBox::AcceptRole);
        alert.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
        alert.setDefaultButton(download);
        alert.exec();
        if (alert.clickedButton() == static_cast<QAbstractButton*>(notes))
            QDesktopServices::openUrl(feed.releaseNotes);
        else if (alert.clickedButton() == static_cast<QAbstractButton*>(download))
            QDesktopServices::openUrl(feed.download);
        return;
    }
    alert.exec();
}

void AppDelegate::holdSleep()
{
    QDBusMessage inhibit = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("sleep") << QStringLiteral("Quelto") << QStringLiteral("Saving notes")
            << QStringLiteral("delay");
    // Asynchronous: a machine without logind must not slow the start down.
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(inhibit), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *done;
        if (reply.isValid())
            m_sleepInhibitor = reply.value();
        done->deleteLater();
    });
}

void AppDelegate::flushOnSleep(bool goingToSleep)
{
    if (!goingToSleep) {
        holdSleep();
        return;
    }
    m_store->flush();
    // Closing the descriptor lets the machine sleep.
    m_sleepInhibitor = QDBusUnixFileDescriptor();
}

QStringList AppDelegate::saveBeforeStopping()
{
    m_store->flush();
    if (m_store->failedIDs().isEmpty())
        return {};
    const QString folder = recoveryFolder();
    const QStringList written =
        writeRecoveryCopies(m_store->unsavedNotes(), folder, QDateTime::currentDateTimeUtc());
    for (const QString& path : written) {
        const QByteArray line = "Quelto: couldn't save a note; its text is in " + path.toUtf8();
        syslog(LOG_WARNING, "%s", line.constData());
        std::fprintf(stderr, "%s\n", line.constData());
    }
    return written;
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

void AppDelegate::suspendHotKey(bool suspended)
{
    if (suspended == m_hotKeySuspended)
        return;
    m_hotKeySuspended = suspended;
    if (suspended) {
        m_suspendedWanted = m_prefs.hotKey();
        // The desktop holds a portal shortcut's keys whatever Quelto does; presses are
        // ignored meanwhile instead.
        if (m_backend == Session::ShortcutBackend::X11Grab)
            m_hotKey.reset(); // m_registeredCombo stays: resuming registers it again
        return;
    }
    // A shortcut that could not be registered before is not tried (and reported)
    // again unless the user picked another.
    const bool regrab = m_backend == Session::ShortcutBackend::X11Grab && m_registeredCombo;
    if (regrab || m_prefs.hotKey() != m_suspendedWanted)
        registerHotKey();
}

void AppDelegate::registerHotKey()
{
    if (m_isRevertingHotKey || m_hotKeySuspended)
        return;
    HotKeyCombo wanted = m_prefs.hotKey();
    if (!wanted.canExist()) {
        // A stored value no keyboard can press (hand-edited, or from another build): the
        // default, without telling anyone it is taken.
        wanted = HotKeyCombo::defaultCombo();
        writeBackHotKey(wanted);
    }
    if (m_backend == Session::ShortcutBackend::Portal)
        bindThroughPortal(wanted);
    else
        registerX11(wanted);
}

void AppDelegate::registerX11(const HotKeyCombo& wanted)
{
    if (m_registeredCombo == wanted && m_hotKey)
        return;
    // The registration ends with the delegate, and with it the handler.
    const auto handler = [this] { togglePanel(); };
    // The shortcut held so far is released only once the new one is sure, so another
    // application cannot take it in between.
    if (std::unique_ptr<HotKey> next = HotKey::create(wanted, handler)) {
        m_hotKey = std::move(next);
        setRegisteredCombo(wanted);
        m_shortcutStatus.setOutcome(ShortcutStatus::Outcome::Active);
        return;
    }
    if (!m_hotKey) {
        const HotKeyCombo fallback = HotKeyCombo::defaultCombo();
        if (fallback != wanted && (m_hotKey = HotKey::create(fallback, handler)))
            setRegisteredCombo(fallback);
        else
            setRegisteredCombo(std::nullopt);
    }
    m_shortcutStatus.setOutcome(m_registeredCombo ? ShortcutStatus::Outcome::Active
                                                  : ShortcutStatus::Outcome::Taken);
    const HotKeyCombo kept = m_registeredCombo.value_or(HotKeyCombo::defaultCombo());
    writeBackHotKey(kept);
    const QString message =
        m_registeredCombo
            ? QStringLiteral("Quelto kept %1. Pick a different shortcut in Settings → General.")
                  .arg(KeyboardLayout::displayString(kept))
            : QStringLiteral("No shortcut is active. Pick a different one in Settings → General, "
                             "or open Quelto from the tray icon.");
    // After the current call chain: a registration started inside a settings change
    // finishes before the alert runs.
    QTimer::singleShot(0, this, [this, wanted, message] { showHotKeyConflict(wanted, message); });
}

void AppDelegate::bindThroughPortal(const HotKeyCombo& wanted)
{
    using Outcome = ShortcutStatus::Outcome;
    const Outcome outcome = m_shortcutStatus.outcome();
    if (m_portal && m_portalAsked == wanted &&
        (outcome == Outcome::Active || outcome == Outcome::Waiting))
        return;
    if (!m_portal) {
        m_portal = std::make_unique<PortalShortcut>(QDBusConnection::sessionBus(),
                                                    QGuiApplication::desktopFileName());
        connect(m_portal.get(), &PortalShortcut::activated, this, [this] {
            if (!m_hotKeySuspended)
                togglePanel();
        });
        connect(m_portal.get(), &PortalShortcut::bound, this, &AppDelegate::portalBound);
        connect(m_portal.get(), &PortalShortcut::declined, this,
                [this] { portalRefused(Outcome::Declined); });
        connect(m_portal.get(), &PortalShortcut::unavailable, this,
                [this] { portalRefused(Outcome::Unavailable); });
    }
    m_portalAsked = wanted;
    m_boundTrigger.clear();
    // Nothing works until the desktop says so; it may ask the user first.
    setRegisteredCombo(std::nullopt);
    m_shortcutStatus.setOutcome(Outcome::Waiting);
    m_portal->bind(wanted);
}

void AppDelegate::portalBound(const QString& trigger)
{
    m_boundTrigger = trigger;
    // What the desktop bound is the shortcut, whatever was asked for.
    const std::optional<HotKeyCombo> combo = PortalTrigger::toCombo(trigger);
    if (combo) {
        m_portalAsked = combo;
        writeBackHotKey(*combo);
    }
    setRegisteredCombo(combo);
    m_shortcutStatus.setOutcome(ShortcutStatus::Outcome::Active);
}

void AppDelegate::portalRefused(ShortcutStatus::Outcome outcome)
{
    m_boundTrigger.clear();
    setRegisteredCombo(std::nullopt);
    m_shortcutStatus.setOutcome(outcome);
    // A refusal was the user's own answer, or the desktop's: no alert about it.
    if (outcome == ShortcutStatus::Outcome::Unavailable)
        QTimer::singleShot(0, this, &AppDelegate::explainNoShortcut);
}

void AppDelegate::writeBackHotKey(const HotKeyCombo& kept)
{
    if (m_prefs.hotKey() == kept)
        return;
    m_isRevertingHotKey = true;
    m_prefs.setHotKey(kept);
    m_isRevertingHotKey = false;
}

void AppDelegate::explainNoShortcut()
{
    QSettings& store = m_prefs.store();
    if (store.value(kNoShortcutExplainedKey).toBool())
        return;
    store.setValue(kNoShortcutExplainedKey, true);
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
    if (m_panel)
        m_panel->controller().panel()->keepAbove(alert);
    alert.exec();
    if (alert.clickedButton() == static_cast<QAbstractButton*>(copy))
        QGuiApplication::clipboard()->setText(toggleCommand());
}

void AppDelegate::setRegisteredCombo(std::optional<HotKeyCombo> combo)
{
    if (combo == m_registeredCombo)
        return;
    m_registeredCombo = combo;
    emit registeredComboChanged();
}

void AppDelegate::showHotKeyConflict(const HotKeyCombo& wanted, const QString& message)
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
    if (!inSettings && m_panel)
        m_panel->controller().panel()->keepAbove(alert);
    alert.exec();
    if (open && alert.clickedButton() == static_cast<QAbstractButton*>(open))
        openSettings(SettingsPage::General);
}

bool AppDelegate::shouldTerminate()
{
    m_store->flush();
    const qsizetype failed = m_store->failedIDs().size();
    if (failed == 0)
        return true;
    QMessageBox alert;
    alert.setIcon(QMessageBox::Critical);
    alert.setWindowTitle(QStringLiteral("Quelto"));
    alert.setText(failed == 1 ? QStringLiteral("Couldn't save 1 note")
                              : QStringLiteral("Couldn't save %1 notes").arg(failed));
    alert.setInformativeText(QStringLiteral(
        "Your latest changes could not be written to disk. Quit anyway and lose them?"));
    // One role for both keeps them in this order whatever the desktop's convention.
    QPushButton* quit = alert.addButton(QStringLiteral("Quit Anyway"), QMessageBox::AcceptRole);
    QPushButton* cancel = alert.addButton(QStringLiteral("Cancel"), QMessageBox::AcceptRole);
    alert.setDefaultButton(quit);
    alert.setEscapeButton(cancel);
    if (m_panel)
        m_panel->controller().panel()->keepAbove(alert);
    alert.exec();
    return alert.clickedButton() == static_cast<QAbstractButton*>(quit);
}

void AppDelegate::requestQuit()
{
    if (m_quitting)
        return;
    m_quitting = true;
    const bool quit = shouldTerminate();
    m_quitting = false;
    if (quit)
        QCoreApplication::quit();
}

void AppDelegate::buildStatusMenu(QMenu* menu)
{
    QString first = m_panel->controller().isVisible() ? QStringLiteral("Hide Quelto")
                                                      : QStringLiteral("Show Quelto");
    if (m_registeredCombo)
        first += QStringLiteral("   ") + KeyboardLayout::displayString(*m_registeredCombo);
    else if (!m_boundTrigger.isEmpty())
        first += QStringLiteral("   ") + m_boundTrigger;
    addClosureItem(menu, first, {}, [this] { togglePanel(); });
    if (m_shortcutStatus.needsDesktopBinding())
        addClosureItem(menu, QStringLiteral("No Shortcut: How to Set One…"), {},
                       [this] { openSettings(SettingsPage::General); });
    m_commands.addItem(menu, Command::NewTab);
    m_commands.addItem(menu, Command::ClearScratch);
    menu->addSeparator();
    m_commands.addItem(menu, Command::Settings);
    m_commands.addItem(menu, Command::CheckForUpdates);
    menu->addSeparator();
    m_commands.addItem(menu, Command::Quit);
}

} // namespace quelto
