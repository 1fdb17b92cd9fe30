// SPDX-License-Identifier: GPL-3.0-or-later
// The onboarding window kit and Quelto's own pages: paging, ending once however the
// window closes, the skip link, and the welcome page following the shortcut.

#include "ui/onboarding/onboardingsteps.h"
#include "ui/onboarding/onboardingwindowcontroller.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace quelto;

namespace {

OnboardingStep plainStep(const QString& id)
{
    return {id, [id] { return new QLabel(id); }, {}};
}

QList<OnboardingStep> threeSteps()
{
    return {plainStep("one"), plainStep("two"), plainStep("three")};
}

} // namespace

class TestOnboarding : public QObject {
    Q_OBJECT

private slots:
    // Presenting again while open replaces the pages in the same window. The guide ends
    // once, by its finishing button or by closing the window early, even when the window
    // manager's close arrives late.
    void endsOnceAndReusesItsWindow()
    {
        OnboardingWindowController controller("Guide", QSize(500, 400));
        QSignalSpy finished(&controller, &OnboardingWindowController::finished);
        controller.present(threeSteps(), 7, "Done"); // a start past the end: the last page
        QWidget* window = controller.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(controller.view()->primaryButton()->text(), QStringLiteral("Done"));
        controller.present({plainStep("only"), plainStep("last")}, 0, "Finish");
        QCOMPARE(controller.window(), window);
        QCOMPARE(controller.view()->currentPage()->objectName(), QStringLiteral("only"));
        QCOMPARE(window->findChildren<OnboardingView*>().size(), 1);
        controller.view()->primaryButton()->click();
        QCOMPARE(controller.view()->primaryButton()->text(), QStringLiteral("Finish"));
        QCOMPARE(finished.size(), 0);
        controller.view()->primaryButton()->click();
        QCOMPARE(finished.size(), 1);
        QVERIFY(!controller.window() && controller.isFinished());
        QVERIFY(!window->isVisible());
        QCloseEvent late;
        QApplication::sendEvent(window, &late);
        QCOMPARE(finished.size(), 1);

        OnboardingWindowController early("Guide", QSize(500, 400));
        QSignalSpy earlyFinished(&early, &OnboardingWindowController::finished);
        early.present(threeSteps(), 0, "Done");
        QPointer<QWidget> earlyWindow = early.window();
        QVERIFY(QTest::qWaitForWindowExposed(earlyWindow));
        QVERIFY(earlyWindow->close());
        QVERIFY(earlyWindow->close());
        QCOMPARE(earlyFinished.size(), 1);
        QTRY_VERIFY(!earlyWindow); // let go of
    }

    void skipFollowsTheCompletionTest()
    {
        bool done = false;
        QList<OnboardingStep> steps{
            {"press", [] { return new QLabel("press it"); }, [&done] { return done; }},
            plainStep("next")};
        OnboardingView view(steps, "Done", 0);
        view.show();
        QVERIFY(view.skipButton()->isVisible());
        done = true;
        QTRY_VERIFY_WITH_TIMEOUT(!view.skipButton()->isVisible(), OnboardingView::kTickMs + 500);
        done = false;
        QTRY_VERIFY_WITH_TIMEOUT(view.skipButton()->isVisible(), OnboardingView::kTickMs + 500);
        view.skipButton()->click();
        QCOMPARE(view.index(), 1);
        QVERIFY(!view.skipButton()->isVisible());
    }

    // The welcome page shows the shortcut as it changes (or how else to open Quelto)
    // and tries the panel; Return presses the focused button, else the primary one.
    void welcomePageAndReturn()
    {
        ShortcutDisplay shortcut;
        shortcut.setText("Ctrl+Alt+Space");
        int panelShown = 0;
        OnboardingWindowController controller(kOnboardingTitle, kOnboardingSize);
        QSignalSpy finished(&controller, &OnboardingWindowController::finished);
        controller.present(onboardingSteps(shortcut, [&panelShown] { ++panelShown; }), 0,
                           kOnboardingFinishTitle);
        QVERIFY(QTest::qWaitForWindowActive(controller.window()));
        auto* welcome = qobject_cast<WelcomeStep*>(controller.view()->currentPage());
        QVERIFY(welcome);
        QCOMPARE(welcome->badge()->text(), QStringLiteral("Ctrl+Alt+Space"));
        QVERIFY(welcome->badge()->isVisible() && !welcome->noShortcutHint()->isVisible());
        shortcut.setText(QString());
        QVERIFY(!welcome->badge()->isVisible() && welcome->noShortcutHint()->isVisible());
        welcome->tryButton()->click();
        QCOMPARE(panelShown, 1);

        welcome->tryButton()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(panelShown, 2);
        QCOMPARE(controller.view()->index(), 0);
        welcome->setFocus(); // on no button: the primary one
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(controller.view()->index(), 1);
        QCOMPARE(QApplication::focusWidget(), controller.view()->primaryButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QTRY_COMPARE(finished.size(), 1);
    }
};

QTEST_MAIN(TestOnboarding)

#include "tst_onboarding.moc"
