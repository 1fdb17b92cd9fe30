// SPDX-License-Identifier: GPL-3.0-or-later
// The shortcut in a Wayland session, where it comes from the desktop portal: a portal
// service on a private session bus binds, refuses or is missing, and the whole
// application tells the user.

#include "app/appdelegate.h"
#include "app/shortcutcoordinator.h"
#include "support/alerts.h"
#include "support/delegatetest.h"
#include "support/portalprocess.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/recorderface.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;
using quelto::testing::answerNextAlert;
using quelto::testing::PortalProcess;
using quelto::testing::statusEntries;
using Outcome = ShortcutStatus::Outcome;

namespace {

// How long an alert gets to show up before the test takes it that none will.
constexpr int kAlertTries = 50;
constexpr int kAlertWaitMs = 20 * kAlertTries + 100;

} // namespace

class TestAppDelegatePortal : public quelto::testing::DelegateTest {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("XDG_SESSION_TYPE", "wayland"); }

    void init() { makeDelegate(); }

    void cleanup() { dropDelegate(); }

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

QTEST_MAIN(TestAppDelegatePortal)

#include "tst_appdelegate_portal.moc"
