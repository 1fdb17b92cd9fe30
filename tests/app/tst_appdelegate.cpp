// SPDX-License-Identifier: GPL-3.0-or-later
// The application put together on a real X server: the tray host and the first-run
// guide beside the panel, the tray menu, quitting with notes that failed to save, and
// the settings window with real keys pressed into it.

#include "app/appdelegate.h"
#include "support/alerts.h"
#include "support/delegatetest.h"
#include "support/grabhelper.h"
#include "support/keypress.h"
#include "support/notes.h"
#include "support/xvfbserver.h"
#include "ui/onboarding/onboardingsteps.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/recorderface.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTest>

using namespace quelto;
using quelto::testing::answerNextAlert;
using quelto::testing::OtherClient;
using quelto::testing::press;
using quelto::testing::statusEntries;

namespace {

const HotKeyCombo kCtrlShiftK{40, HotKeyCombo::kCommand | HotKeyCombo::kShift};
const HotKeyCombo kCtrlAltN{45, HotKeyCombo::kCommand | HotKeyCombo::kOption};

} // namespace

class TestAppDelegate : public quelto::testing::DelegateTest {
    Q_OBJECT

private slots:
    void init() { makeDelegate(); }

    void cleanup() { dropDelegate(); }

    // The tray host follows a real XEmbed tray (trayer) as it starts and stops, and
    // the welcome note follows it.
    void trayHostFollowsTheDesktop()
    {
        m_app->launch();
        QProcess tray;
        for (const bool shown : {false, true, false}) {
            if (shown)
                tray.start("trayer", {"--tint", "0x202020", "--transparent", "true"});
            else if (tray.state() == QProcess::Running)
                tray.kill();
            QTRY_COMPARE_WITH_TIMEOUT(m_app->trayHost().isAvailable(), shown, 10000);
            QCOMPARE(m_app->store().notes().first().text,
                     FirstRunGuide::welcomeText("Ctrl+Shift+J", shown));
        }
        tray.waitForFinished();
    }

    // The guide and the panel share the screen without covering each other.
    void tryItShowsThePanelBesideTheGuide()
    {
        m_app->launch();
        OnboardingWindowController* onboarding = m_app->firstRun().window();
        QWidget* window = onboarding->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* welcome = qobject_cast<WelcomeStep*>(onboarding->view()->currentPage());
        FloatingPanelController& panel = m_app->panel()->controller();
        panel.hide(); // shown at launch, as there is no tray
        welcome->tryButton()->click();
        QTRY_VERIFY(panel.isVisible());
        QVERIFY(window->isVisible());
        QVERIFY(!panel.panel()->frameGeometry().intersects(window->frameGeometry()));
    }

    void quitAsksWhenSavesFailed()
    {
        m_app->launch();
        QVERIFY(m_app->stopGuard().shouldTerminate()); // nothing failed: no question
        // A file where the notes folder should be makes every save fail.
        const QString notes = m_dir->filePath("Quelto/Notes");
        QVERIFY(QDir(notes).removeRecursively());
        QVERIFY(quelto::testing::writeFile(notes, {}));
        const Note second = *m_app->store().createNote();
        m_app->store().updateText("one", m_app->store().notes().first().id);
        m_app->store().updateText("two", second.id);

        const auto said = answerNextAlert(QStringLiteral("Cancel"));
        QVERIFY(!m_app->stopGuard().shouldTerminate());
        QCOMPARE(said->first(), QStringLiteral("Couldn't save 2 notes"));

        QVERIFY(QFile::remove(notes));
        QVERIFY(m_app->stopGuard().shouldTerminate()); // the retry succeeded: no question
    }

    void mainMenuKeysReachThePanel()
    {
        m_app->launch(); // which shows the panel: there is no tray
        QStringList commands;
        for (QAction* action : m_app->panel()->controller().panel()->actions())
            commands << action->text() + ' ' + action->shortcut().toString();
        QVERIFY2(commands.contains("Quit Quelto Ctrl+Q"), qPrintable(commands.join(", ")));
        // Ctrl+W stays the panel's own command (close tab) while the panel has the focus.
        QVERIFY(QTest::qWaitForWindowActive(m_app->panel()->controller().panel()));
        const Note extra = *m_app->store().createNote();
        QTest::keyClick(m_app->panel()->view().editor().textView(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!m_app->store().note(extra.id));
        QVERIFY(m_app->panel()->controller().isVisible());
    }

    // The tray menu follows the panel, and Settings opens from it and from the panel.
    void settingsOpenFromTrayAndPanel()
    {
        m_app->launch();
        m_app->togglePanel();
        QCOMPARE(statusEntries(*m_app).first(), QStringLiteral("Show Quelto\tCtrl+Shift+J"));
        QMenu menu;
        m_app->tray()->buildStatusMenu(&menu);
        QVERIFY(menu.actions().at(1)->shortcut().isEmpty()); // New Tab: no key from the tray
        // Named for hosts that colour themed icons; light in a dark outline for the others.
        const QIcon icon = m_app->tray()->status()->item().icon();
        QCOMPARE(icon.name(), QStringLiteral("app.quelto.Quelto-symbolic"));
        const QImage drawn = icon.pixmap(22).toImage();
        int light = 0, dark = 0;
        for (int i = 0; i < 22 * 22; ++i) {
            const QColor pixel = drawn.pixelColor(i % 22, i / 22);
            light += pixel.alpha() == 255 && pixel.lightness() > 200;
            dark += pixel.alpha() == 255 && pixel.lightness() < 60;
        }
        QVERIFY2(light > 20 && dark > 20, qPrintable(QStringLiteral("%1 %2").arg(light).arg(dark)));
        for (QAction* action : menu.actions()) {
            if (action->text() == QStringLiteral("Settings…"))
                action->trigger();
        }
        QVERIFY(m_app->settings());
        SettingsWindow* window = m_app->settings()->window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->windowType(), Qt::Window);
        window->sidebar()->setCurrentRow(1);
        window->close();

        m_app->togglePanel();
        FloatingPanel* panel = m_app->panel()->controller().panel();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        QCOMPARE(statusEntries(*m_app).first(), QStringLiteral("Hide Quelto\tCtrl+Shift+J"));
        QTest::keyClick(m_app->panel()->view().editor().textView(), Qt::Key_Comma,
                        Qt::ControlModifier);
        QCOMPARE(m_app->settings()->window(), window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->windowTitle(), QStringLiteral("Editor"));
        QCOMPARE(window->windowHandle()->transientParent(), panel->windowHandle());
    }

    void recordingHandsTheShortcutToTheRecorder()
    {
        m_app->launch();
        m_app->togglePanel();
        SettingsWindow* window = openGeneral();
        HotKeyRecorder* recorder = window->generalPage()->recorder();
        QTest::mouseClick(recorder->face(), Qt::LeftButton);
        QVERIFY(recorder->isRecording());
        // Registered, Ctrl+Shift+J would go to the grab and show the panel; suspended,
        // the recorder gets it.
        press("ctrl+shift+j");
        QTRY_VERIFY(!recorder->isRecording());
        QVERIFY(!m_app->panel()->controller().isVisible());
        QCOMPARE(m_app->shortcut().registeredCombo(), std::optional(HotKeyCombo::defaultCombo()));

        // Cancelled: the shortcut works again.
        QTest::mouseClick(recorder->face(), Qt::LeftButton);
        press("Escape");
        QTRY_VERIFY(!recorder->isRecording());
        press("ctrl+shift+j");
        QTRY_VERIFY(m_app->panel()->controller().isVisible());
        m_app->togglePanel();

        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::mouseClick(recorder->face(), Qt::LeftButton);
        press("ctrl+alt+n");
        QTRY_COMPARE(m_prefs->hotKey(), kCtrlAltN);
        QCOMPARE(m_app->shortcut().registeredCombo(), std::optional(kCtrlAltN));
        press("ctrl+alt+n");
        QTRY_VERIFY(m_app->panel()->controller().isVisible());

        // Taken elsewhere (only with NumLock on, so the plain press still reaches the
        // recorder): the alert shows over Settings, with no way to the page it is on.
        OtherClient holder(45, 5 | 16);
        QVERIFY(holder.ready());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::mouseClick(recorder->face(), Qt::LeftButton);
        const auto said = answerNextAlert(QString());
        press("ctrl+shift+k");
        QTRY_COMPARE(said->size(), 4); // text, explanation, OK, OK as default
        QCOMPARE(recorder->combo(), kCtrlAltN);
        QCOMPARE(m_app->shortcut().registeredCombo(), std::optional(kCtrlAltN));
        // Quitting while recording hands the keys back to a shortcut still there.
        QTest::mouseClick(recorder->face(), Qt::LeftButton);
        QVERIFY(recorder->isRecording());
    }

    void panelSettingsApplyAtOnce()
    {
        m_prefs->setHasCompletedOnboarding(true); // no guide over the panel
        m_app->launch();
        FloatingPanel* panel = m_app->panel()->controller().panel();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        SettingsWindow* window = openGeneral();
        GeneralPage* page = window->generalPage();
        // In the taskbar or not, the editor is what shows in the panel's middle.
        QWidget* editor = m_app->panel()->view().editor().textView();
        const auto editorShows = [&] {
            QWidget* shown = panel->childAt(editor->mapTo(panel, editor->rect().center()));
            return shown && (shown == editor || editor->isAncestorOf(shown));
        };
        for (const bool inTaskbar : {true, false}) {
            page->showInTaskbar()->click();
            QCOMPARE(panel->windowFlags().testFlag(Qt::Tool), !inTaskbar);
            QTRY_VERIFY(panel->isVisible());
            QVERIFY(editorShows());
        }
        // Shown again as a user shows it: the flag change showed it without activating it,
        // which some window managers remember against later focus requests.
        m_app->togglePanel();
        m_app->togglePanel();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        // The flag change made a new native window: mapped before anything is asked of it.
        QVERIFY(QTest::qWaitForWindowExposed(panel));

        // Off, the panel stays when another window takes the focus; on, it hides, but not
        // for Settings opened over it, nor while the window manager drags it.
        QWidget elsewhere;
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));
        for (const bool hides : {false, true}) {
            if (hides)
                page->hideOnClickAway()->click();
            for (QWidget* focused : {static_cast<QWidget*>(panel), static_cast<QWidget*>(window),
                                     static_cast<QWidget*>(panel), &elsewhere}) {
                // Asked again until it lands: a loaded window manager may drop a request.
                const QString id = QString::number(focused->winId());
                QTRY_VERIFY(QProcess::execute("xdotool", {"windowfocus", id}) == 0 &&
                            QGuiApplication::focusWindow() == focused->windowHandle());
                QTest::qWait(50);
                QTRY_COMPARE(m_app->panel()->controller().isVisible(),
                             !hides || focused != &elsewhere);
            }
        }
        window->close();
        elsewhere.close();
        m_app->togglePanel();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        const QPoint from = panel->mapToGlobal(QPoint(panel->width() / 2 + 60, 27));
        const QPoint before = panel->pos();
        const auto pointer = [](const QStringList& args) { QProcess::execute("xdotool", args); };
        pointer({"mousemove", QString::number(from.x()), QString::number(from.y())});
        QTest::qWait(300);
        pointer({"mousedown", "1"});
        QTest::qWait(300);
        pointer({"mousemove", QString::number(from.x() + 40), QString::number(from.y() + 30)});
        QTest::qWait(300);
        pointer({"mouseup", "1"});
        QTRY_VERIFY(panel->pos() != before);
        QTest::qWait(300);
        QVERIFY(m_app->panel()->controller().isVisible());
    }

private:
    SettingsWindow* openGeneral()
    {
        m_app->openSettings(SettingsPage::General);
        SettingsWindow* window = m_app->settings()->window();
        return QTest::qWaitForWindowActive(window) ? window : nullptr;
    }
};

QUELTO_X11_TEST_MAIN(TestAppDelegate, QApplication)

#include "tst_appdelegate.moc"
