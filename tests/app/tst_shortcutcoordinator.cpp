// SPDX-License-Identifier: GPL-3.0-or-later
// The policy over the global shortcut, against an in-process backend: what is kept when
// the wanted combination is taken, what is written back, what the desktop's answers
// make of the preference, and that recording lets the keys go.

#include "app/shortcutcoordinator.h"
#include "platform/hotkey/testshortcut.h"
#include "support/panelfixture.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace quelto;
using Outcome = ShortcutStatus::Outcome;
using Kind = TestShortcut::Kind;

namespace {

const HotKeyCombo kCtrlShiftJ = HotKeyCombo::defaultCombo();
const HotKeyCombo kCtrlShiftK{40, HotKeyCombo::kCommand | HotKeyCombo::kShift};
const HotKeyCombo kCtrlAltN{45, HotKeyCombo::kCommand | HotKeyCombo::kOption};
const HotKeyCombo kCtrlAltK{40, HotKeyCombo::kCommand | HotKeyCombo::kOption};
const HotKeyCombo kMetaN{45, HotKeyCombo::kControl};
const QString kKeptJ = QStringLiteral("Quelto kept Ctrl+Shift+J. Pick a different shortcut in "
                                      "Settings → General.");

// Preferences in a folder of their own, and the coordinator over them and a backend.
struct Fixture : quelto::testing::StoreFixture {
    explicit Fixture(Kind kind = Kind::Grab)
        : shortcut(prefs, std::unique_ptr<ShortcutBackend>(backend = new TestShortcut(kind)))
    {}

    TestShortcut* backend;
    ShortcutCoordinator shortcut;
    QSignalSpy conflicts{&shortcut, &ShortcutCoordinator::conflict};
    QSignalSpy activated{&shortcut, &ShortcutCoordinator::activated};
    QSignalSpy unavailable{&shortcut, &ShortcutCoordinator::unavailable};
};

} // namespace

class TestShortcutCoordinator : public QObject {
    Q_OBJECT

private slots:
    void takenDefaultLeavesNoShortcut()
    {
        Fixture f;
        f.backend->setTaken({kCtrlShiftJ});
        f.shortcut.start();
        QCOMPARE(f.shortcut.registeredCombo(), std::nullopt);
        QCOMPARE(f.shortcut.status().outcome(), Outcome::Taken);
        QVERIFY(f.shortcut.displayName().isEmpty());
        QCOMPARE(f.prefs.hotKey(), kCtrlShiftJ);
        QCOMPARE(f.conflicts.size(), 1);
        QVERIFY(f.conflicts.first().at(1).toString().endsWith("from the tray icon."));
        QCOMPARE(f.backend->asked(), QList{kCtrlShiftJ}); // the default is not tried twice
    }

    // The shortcut held so far is let go only once the new one is sure; a taken choice
    // keeps it, and the preference says so again without a second registration.
    void takenChoiceFallsBackToPrevious()
    {
        Fixture f;
        f.shortcut.start();
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlShiftJ));
        f.backend->setTaken({kCtrlShiftK});
        f.prefs.setHotKey(kCtrlShiftK);
        QCOMPARE(f.backend->asked(), (QList{kCtrlShiftJ, kCtrlShiftK})); // J not asked again
        QCOMPARE(f.backend->held(), std::optional(kCtrlShiftJ));
        QCOMPARE(f.conflicts.size(), 1);
        QCOMPARE(f.conflicts.first().at(0).value<HotKeyCombo>(), kCtrlShiftK);
        QCOMPARE(f.conflicts.first().at(1).toString(), kKeptJ);
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlShiftJ));
        QCOMPARE(f.shortcut.status().outcome(), Outcome::Active);
        QCOMPARE(f.prefs.hotKey(), kCtrlShiftJ);

        // Writing the kept one again changes nothing and registers nothing.
        f.prefs.setHotKey(kCtrlShiftJ);
        QCOMPARE(f.backend->asked().size(), 2);
        QCOMPARE(f.conflicts.size(), 1);
    }

    void impossibleStoredShortcutFallsBackQuietly()
    {
        Fixture f;
        f.prefs.setHotKey({0xFFFF, HotKeyCombo::kCommand | 0x40}); // no such key or modifier
        f.shortcut.start();
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlShiftJ));
        QCOMPARE(f.prefs.hotKey(), kCtrlShiftJ);
        QCOMPARE(f.conflicts.size(), 0);
    }

    // While suspended a grab's keys are let go; a combination recorded meanwhile is
    // registered on resuming, or reported taken with the one held before taken back.
    void suspensionLetsTheKeysGo()
    {
        Fixture f;
        f.prefs.setHotKey(kCtrlAltN);
        f.shortcut.start();
        f.backend->press();
        QCOMPARE(f.activated.size(), 1);
        f.shortcut.setSuspended(true);
        QVERIFY(!f.backend->isBound());
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlAltN));

        f.backend->setTaken({kCtrlShiftJ});
        f.prefs.setHotKey(kCtrlShiftJ); // recorded, but held elsewhere
        QCOMPARE(f.backend->asked().size(), 1);
        f.shortcut.setSuspended(false);
        QCOMPARE(f.backend->asked(), (QList{kCtrlAltN, kCtrlShiftJ, kCtrlAltN}));
        QCOMPARE(f.conflicts.size(), 1);
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlAltN));
        QCOMPARE(f.prefs.hotKey(), kCtrlAltN);
        f.backend->press();
        QCOMPARE(f.activated.size(), 2);

        // Resuming with nothing new takes the same keys back; with both the old and
        // the default taken meanwhile, nothing is left, and the user is told.
        f.shortcut.setSuspended(true);
        f.shortcut.setSuspended(false);
        QCOMPARE(f.backend->held(), std::optional(kCtrlAltN));
        f.shortcut.setSuspended(true);
        f.backend->setTaken({kCtrlShiftK, kCtrlAltN, kCtrlShiftJ});
        f.prefs.setHotKey(kCtrlShiftK);
        f.shortcut.setSuspended(false);
        QCOMPARE(f.backend->asked().mid(4), (QList{kCtrlShiftK, kCtrlAltN, kCtrlShiftJ}));
        QCOMPARE(f.shortcut.registeredCombo(), std::nullopt);
        QCOMPARE(f.shortcut.status().outcome(), Outcome::Taken);
        QCOMPARE(f.conflicts.size(), 2);
        QCOMPARE(f.prefs.hotKey(), kCtrlShiftJ);
    }

    // A desktop answers later: the shortcut it is asked for is named meanwhile, presses
    // while the user records another do not count, and a refusal leaves nothing.
    void desktopAnswersLater()
    {
        Fixture f(Kind::Desktop);
        f.shortcut.start();
        QCOMPARE(f.shortcut.status().outcome(), Outcome::Waiting);
        QCOMPARE(f.shortcut.displayName(), QStringLiteral("Ctrl+Shift+J"));
        QVERIFY(f.shortcut.works());
        QTRY_COMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlShiftJ));
        QCOMPARE(f.shortcut.status().outcome(), Outcome::Active);
        f.backend->press();
        QCOMPARE(f.activated.size(), 1);
        f.shortcut.setSuspended(true); // the desktop keeps the keys meanwhile
        QVERIFY(f.backend->isBound());
        f.backend->press();
        QCOMPARE(f.activated.size(), 1);
        f.shortcut.setSuspended(false);
        QCOMPARE(f.backend->asked().size(), 1); // nothing new to ask for

        f.backend->setAnswer({{}, ShortcutBackend::Refusal::Declined, "The user said no."});
        f.prefs.setHotKey(kCtrlAltN);
        QTRY_COMPARE(f.shortcut.status().outcome(), Outcome::Declined);
        QCOMPARE(f.shortcut.status().reason(), QStringLiteral("The user said no."));
        QCOMPARE(f.shortcut.registeredCombo(), std::nullopt);
        QVERIFY(f.shortcut.activeName().isEmpty());
        QCOMPARE(f.conflicts.size() + f.unavailable.size(), 0);

        f.backend->setAnswer({{}, ShortcutBackend::Refusal::Unavailable, {}});
        f.prefs.setHotKey(kCtrlShiftK);
        QTRY_COMPARE(f.unavailable.size(), 1);
        QCOMPARE(f.shortcut.status().outcome(), Outcome::Unavailable);
    }

    // The desktop has the last word: what it binds, now or later from its own settings,
    // becomes the preference without asking again; a name Quelto cannot read is shown
    // as the desktop wrote it.
    void whatTheDesktopBindsIsTheShortcut()
    {
        Fixture f(Kind::Desktop);
        f.backend->setAnswer({QStringLiteral("Meta+N"), {}, {}});
        f.shortcut.start();
        QTRY_COMPARE(f.shortcut.registeredCombo(), std::optional(kMetaN));
        QCOMPARE(f.prefs.hotKey(), kMetaN);
        QCOMPARE(f.shortcut.activeName(), QStringLiteral("Meta+N"));

        f.backend->rebindElsewhere(QStringLiteral("Ctrl+Alt+K"));
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlAltK));
        QCOMPARE(f.prefs.hotKey(), kCtrlAltK);
        f.backend->rebindElsewhere(QStringLiteral("Hyper+J"));
        QCOMPARE(f.shortcut.registeredCombo(), std::nullopt);
        QCOMPARE(f.shortcut.activeName(), QStringLiteral("Hyper+J"));
        QCOMPARE(f.shortcut.status().outcome(), Outcome::Active);
        QCOMPARE(f.prefs.hotKey(), kCtrlAltK);
        QCOMPARE(f.backend->asked().size(), 1);

        f.prefs.setHotKey(kCtrlShiftK);
        QCOMPARE(f.backend->asked().last(), kCtrlShiftK);
        QTRY_COMPARE(f.prefs.hotKey(), kMetaN);
    }
};

QTEST_MAIN(TestShortcutCoordinator)

#include "tst_shortcutcoordinator.moc"
