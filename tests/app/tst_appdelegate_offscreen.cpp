// SPDX-License-Identifier: GPL-3.0-or-later
// The application put together off any X server: what it tells a new user, and about
// the shortcut, with in-process stand-ins for the shortcut and the tray; and in a
// Wayland session, where the shortcut comes from a portal service on a private
// session bus that binds, refuses or is missing.

#include "app/appdelegate.h"
#include "app/shortcutcoordinator.h"
#include "platform/desktop/testsleep.h"
#include "platform/desktop/testtrayhost.h"
#include "platform/hotkey/testshortcut.h"
#include "support/alerts.h"
#include "support/delegatetest.h"
#include "support/notes.h"
#include "support/portalprocess.h"
#include "ui/onboarding/onboardingsteps.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/recorderface.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;
using quelto::testing::answerNextAlert;
using quelto::testing::PortalProcess;
using quelto::testing::readFile;
using quelto::testing::statusEntries;
using Outcome = ShortcutStatus::Outcome;

namespace {

// How long an alert gets to show up before the test takes it that none will.
constexpr int kAlertTries = 50;
constexpr int kAlertWaitMs = 20 * kAlertTries + 100;
const HotKeyCombo kCtrlAltN{45, HotKeyCombo::kCommand | HotKeyCombo::kOption};

} // namespace

class TestAppDelegateOffscreen : public quelto::testing::DelegateTest {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("XDG_SESSION_TYPE", "wayland"); }

    void init() { makeDelegate(); }

    void cleanup() { dropDelegate(); }

    // With no shortcut, the alert leads to Settings and the first notes a new user
    // reads do not promise a shortcut that does nothing, nor a tray icon until a tray
    // comes, and again once it has gone.
    void takenDefaultIsExplainedEverywhere()
    {
        auto* shortcut = new TestShortcut(TestShortcut::Kind::Grab);
        shortcut->setTaken({HotKeyCombo::defaultCombo()});
        auto* tray = new TestTrayHost(false);
        relaunch({std::unique_ptr<ShortcutBackend>(shortcut), std::unique_ptr<TrayHost>(tray)});
        const auto said = answerNextAlert(QStringLiteral("Open Settings"));
        m_app->launch();
        QTRY_VERIFY(m_app->settings() && m_app->settings()->window()->isVisible());
        QCOMPARE(said->first(), QStringLiteral("Ctrl+Shift+J is already used by another app"));
        QVERIFY(said->at(1).endsWith("or open Quelto again from your app launcher."));
        QCOMPARE(m_app->settings()->window()->windowTitle(), QStringLiteral("General"));
        // Settings shows no combination, and says why.
        const GeneralPage* page = m_app->settings()->window()->generalPage();
        QCOMPARE(page->recorder()->face()->accessibleName(), QStringLiteral("Shortcut: none"));
        QVERIFY(page->noShortcutNote()->isVisible());
        QCOMPARE(statusEntries(*m_app).first(), QStringLiteral("Hide Quelto"));
        auto* welcome =
            qobject_cast<WelcomeStep*>(m_app->firstRun().window()->view()->currentPage());
        QVERIFY(welcome && welcome->noShortcutHint()->isVisible());
        QVERIFY(!welcome->badge()->isVisible());
        const QLabel* taskbar = page->showInTaskbarNote();
        for (const bool shown : {true, false}) {
            tray->setAvailable(shown);
            QCOMPARE(m_app->store().notes().first().text, FirstRunGuide::welcomeText({}, shown));
            for (const QString& text : {welcome->noShortcutHint()->text(), taskbar->text()})
                QVERIFY2(text.contains("tray") == shown, qPrintable(text));
        }
    }

    // The first launch seeds the welcome note and opens the guide, which follows the
    // shortcut; "Try it now" shows the panel; closing the guide early still counts as
    // done, so an emptied Scratch stays empty from then on.
    void firstLaunchWelcomesOnce()
    {
        relaunch({std::make_unique<TestShortcut>(TestShortcut::Kind::Grab),
                  std::make_unique<TestTrayHost>(false)});
        m_app->launch();
        QCOMPARE(m_app->store().notes().first().text, FirstRunGuide::welcomeText("Ctrl+Shift+J"));
        OnboardingWindowController* onboarding = m_app->firstRun().window();
        QWidget* window = onboarding->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* welcome = qobject_cast<WelcomeStep*>(onboarding->view()->currentPage());
        QCOMPARE(welcome->badge()->text(), QStringLiteral("Ctrl+Shift+J"));
        m_prefs->setHotKey(kCtrlAltN);
        QCOMPARE(welcome->badge()->text(), QStringLiteral("Ctrl+Alt+N"));
        QCOMPARE(m_app->store().notes().first().text, FirstRunGuide::welcomeText("Ctrl+Alt+N"));

        FloatingPanelController& panel = m_app->panel()->controller();
        panel.hide(); // shown at launch, as there is no tray
        welcome->tryButton()->click();
        QTRY_VERIFY(panel.isVisible());
        QCOMPARE(m_app->firstRun().window(), onboarding);
        QVERIFY(!m_prefs->hasCompletedOnboarding());

        QVERIFY(window->close());
        QVERIFY(m_prefs->hasCompletedOnboarding());
        QTRY_VERIFY(!m_app->firstRun().window());

        m_app->store().updateText(QString(), m_app->store().notes().first().id);
        relaunch({std::make_unique<TestShortcut>(TestShortcut::Kind::Grab),
                  std::make_unique<TestTrayHost>(false)});
        m_app->launch();
        QCOMPARE(m_app->store().notes().first().text, QString());
        QVERIFY(!m_app->firstRun().window());
    }

    // A sleep waits until what was typed is on disk, and no longer than that.
    void sleepWaitsForTheTyping()
    {
        auto* sleep = new TestSleep;
        relaunch({std::make_unique<TestShortcut>(TestShortcut::Kind::Grab),
                  std::make_unique<TestTrayHost>(true), std::unique_ptr<SystemSleep>(sleep)});
        m_app->launch();
        QVERIFY(sleep->held());
        m_app->store().updateText(QStringLiteral("before the lid closes"),
                                  m_app->store().notes().first().id);
        // In Scratch's file, or, as it was written by the launch before, in a file of
        // its own.
        const auto onDisk = [this] {
            const QDir notes(m_dir->filePath(QStringLiteral("Quelto/Notes")));
            for (const QString& name : notes.entryList(QDir::Files))
                if (readFile(notes.filePath(name)) == "before the lid closes")
                    return true;
            return false;
        };
        QVERIFY(!onDisk());
        sleep->sleep();
        QVERIFY(onDisk());
        QVERIFY(!sleep->held());
    }

    void refusalLeavesNoShortcutAndNoAlert()
    {
        PortalProcess portal({"--refuse"});
        QVERIFY(portal.ready());
        const auto said = answerNextAlert(QString(), {}, kAlertTries);
        m_app->launch();
        QTRY_COMPARE(m_app->shortcut().status().outcome(), Outcome::Declined);
        QCOMPARE(m_app->shortcut().registeredCombo(), std::nullopt);
        // Seeded while the desktop was asked; the untouched note follows its answer, and
        // so does the welcome page.
        QCOMPARE(m_app->store().notes().first().text, FirstRunGuide::welcomeText({}, false));
        QVERIFY(m_app->firstRun().shortcutDisplay().text().isEmpty());
        QCOMPARE(statusEntries(*m_app).mid(0, 2),
                 (QStringList{"Hide Quelto", "No Shortcut: How to Set One…"}));

        QMenu menu;
        m_app->tray()->buildStatusMenu(&menu);
        menu.actions().at(1)->trigger();
        QVERIFY(m_app->settings() && m_app->settings()->window()->isVisible());
        QCOMPARE(m_app->settings()->window()->windowTitle(), QStringLiteral("General"));
        const QLabel* note = m_app->settings()->window()->generalPage()->noShortcutNote();
        QVERIFY2(note->isVisible() && note->text().contains("quelto --toggle"),
                 qPrintable(note->text()));
        QTest::qWait(kAlertWaitMs);
        QCOMPARE(*said, QStringList());
    }

    void desktopWithoutPortalExplainsOnce()
    {
        const auto said = answerNextAlert(QStringLiteral("Copy Command"));
        m_app->launch();
        QTRY_VERIFY(!said->isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("quelto --toggle"));
        QCOMPARE(m_app->shortcut().registeredCombo(), std::nullopt);
        QCOMPARE(m_app->shortcut().status().outcome(), Outcome::Unavailable);
        QCOMPARE(m_app->store().notes().first().text, FirstRunGuide::welcomeText({}, false));

        m_app->openSettings(SettingsPage::General);
        GeneralPage* page = m_app->settings()->window()->generalPage();
        QVERIFY(page->noShortcutNote()->text().contains("quelto --toggle"));
        QGuiApplication::clipboard()->clear();
        page->copyCommand()->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("quelto --toggle"));

        // From then on only Settings says it.
        relaunch();
        const auto later = answerNextAlert(QString(), {}, kAlertTries);
        m_app->launch();
        QTRY_COMPARE(m_app->shortcut().status().outcome(), Outcome::Unavailable);
        QTest::qWait(kAlertWaitMs);
        QCOMPARE(*later, QStringList());
    }

    // A trigger named in words Quelto cannot read back is still what Settings shows.
    void settingsShowTheDesktopsOwnTrigger()
    {
        PortalProcess portal({"--bind-as", "Hyper+J"});
        QVERIFY(portal.ready());
        m_app->launch();
        QTRY_COMPARE(m_app->shortcut().status().outcome(), Outcome::Active);
        m_app->openSettings(SettingsPage::General);
        const GeneralPage* page = m_app->settings()->window()->generalPage();
        QCOMPARE(page->recorder()->face()->accessibleName(), QStringLiteral("Shortcut: Hyper+J"));
        QVERIFY(!page->noShortcutNote()->isVisibleTo(page));
        QVERIFY(!page->defaultShortcutHint()->isVisibleTo(page));
    }
};

QTEST_MAIN(TestAppDelegateOffscreen)

#include "tst_appdelegate_offscreen.moc"
