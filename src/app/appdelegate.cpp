#include "app/appdelegate.h"

#include "core/storage/filenoterepository.h"
#include "core/storage/recovery.h"
#include "platform/hotkey/keyboardlayout.h"
#include "ui/tray/closuremenu.h"
#include "ui/tray/mainmenu.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <syslog.h>

namespace quelto {

namespace {

using namespace std::chrono_literals;

const QString kWebsite = QStringLiteral("https://quelto.app");

QIcon trayIcon()
{
    // The installed icon when the theme has it, else the one built in.
    if (QIcon::hasThemeIcon(QStringLiteral("quelto")))
        return QIcon::fromTheme(QStringLiteral("quelto"));
    return QIcon(QStringLiteral(":/quelto.svg"));
}

} // namespace

QString AppDelegate::dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quelto");
}

QString AppDelegate::welcomeText()
{
    const QString shortcut = KeyboardLayout::displayString(HotKeyCombo::defaultCombo());
    return QStringList{
        QStringLiteral("# Welcome to Quelto"),
        QStringLiteral("Press **%1** anywhere to show or hide this note. It stays on top until "
                       "you press Esc.")
            .arg(shortcut),
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

AppDelegate::AppDelegate(Preferences& prefs, const QString& folder, QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_updater(std::make_unique<NoUpdater>())
{
    auto repository = std::make_shared<FileNoteRepository>(folder + QStringLiteral("/Notes"),
                                                           folder + QStringLiteral("/index.json"));
    m_store = std::make_unique<NoteStore>(repository, NoteStore::kSaveDelay);
}

AppDelegate::~AppDelegate()
{
    m_store->flush();
}

void AppDelegate::bindCommands()
{
    m_commands.bind(Command::Settings, [] {}); // the settings window is not built yet
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
    if (m_prefs.showDockIcon())
        window->setWindowFlag(Qt::Tool, false); // a normal taskbar window
    QMenuBar* menu = MainMenu::build(QStringLiteral("Quelto"), m_commands);
    menu->setParent(window);
    menu->setVisible(m_prefs.showDockIcon());
    for (QAction* top : menu->actions()) {
        if (top->menu())
            window->addActions(top->menu()->actions());
    }

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
    registerHotKey();
    if (!m_prefs.hasCompletedOnboarding())
        seedWelcomeNote();
}

void AppDelegate::installObservers()
{
    connect(&m_prefs, &Preferences::queltoHotKeyChanged, this, &AppDelegate::registerHotKey);
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
        m_store->updateText(welcomeText(), scratch.id);
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

void AppDelegate::registerHotKey()
{
    if (m_isRevertingHotKey)
        return;
    const HotKeyCombo wanted = m_prefs.hotKey();
    if (m_registeredCombo == wanted && m_hotKey)
        return;
    // The registration ends with the delegate, and with it the handler.
    const auto handler = [this] { togglePanel(); };
    m_hotKey.reset();
    if ((m_hotKey = HotKey::create(wanted, handler))) {
        m_registeredCombo = wanted;
        return;
    }
    QList<HotKeyCombo> fallbacks;
    if (m_registeredCombo)
        fallbacks << *m_registeredCombo;
    fallbacks << HotKeyCombo::defaultCombo();
    fallbacks.removeAll(wanted);
    m_registeredCombo.reset();
    for (const HotKeyCombo& combo : fallbacks) {
        if ((m_hotKey = HotKey::create(combo, handler))) {
            m_registeredCombo = combo;
            break;
        }
    }
    const HotKeyCombo kept = m_registeredCombo.value_or(HotKeyCombo::defaultCombo());
    if (m_prefs.hotKey() != kept) {
        m_isRevertingHotKey = true;
        m_prefs.setHotKey(kept);
        m_isRevertingHotKey = false;
    }
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

void AppDelegate::showHotKeyConflict(const HotKeyCombo& wanted, const QString& message)
{
    QMessageBox alert;
    alert.setWindowTitle(QStringLiteral("Quelto"));
    alert.setText(KeyboardLayout::displayString(wanted) +
                  QStringLiteral(" is already used by another app"));
    alert.setInformativeText(message);
    alert.setStandardButtons(QMessageBox::Ok);
    alert.setDefaultButton(QMessageBox::Ok);
    if (m_panel)
        m_panel->controller().panel()->keepAbove(alert);
    alert.exec();
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
    addClosureItem(menu, first, {}, [this] { togglePanel(); });
    m_commands.addItem(menu, Command::NewTab);
    m_commands.addItem(menu, Command::ClearScratch);
    menu->addSeparator();
    m_commands.addItem(menu, Command::Settings);
    m_commands.addItem(menu, Command::CheckForUpdates);
    menu->addSeparator();
    m_commands.addItem(menu, Command::Quit);
}

} // namespace quelto
