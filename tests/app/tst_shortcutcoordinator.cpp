// SPDX-License-Identifier: GPL-3.0-or-later
// The global shortcut through X11 key grabs, against another client holding keys:
// what is kept when the wanted combination is taken, what is written back, and that
// recording lets the keys go.

#include "app/shortcutcoordinator.h"
#include "support/grabhelper.h"
#include "support/keypress.h"
#include "support/panelfixture.h"
#include "support/xvfbserver.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace quelto;
using quelto::testing::OtherClient;
using quelto::testing::press;
using Outcome = ShortcutStatus::Outcome;

namespace {

const HotKeyCombo kCtrlShiftJ = HotKeyCombo::defaultCombo();
const HotKeyCombo kCtrlShiftK{40, HotKeyCombo::kCommand | HotKeyCombo::kShift};
const HotKeyCombo kCtrlAltN{45, HotKeyCombo::kCommand | HotKeyCombo::kOption};
const QString kKeptJ = QStringLiteral("Quelto kept Ctrl+Shift+J. Pick a different shortcut in "
                                      "Settings → General.");

// Every registration attempt takes the next id, so a probe tells how many were made
// in between.
quint32 probeId()
{
    const auto probe = HotKey::create({37, 0x300}, [] {}); // Ctrl+Shift+L
    return probe ? probe->id() : 0u;
}

// Preferences in a folder of their own, and the coordinator over them.
struct Fixture : quelto::testing::StoreFixture {
    ShortcutCoordinator shortcut{prefs, Session::ShortcutBackend::X11Grab};
    QSignalSpy conflicts{&shortcut, &ShortcutCoordinator::conflict};
    QSignalSpy activated{&shortcut, &ShortcutCoordinator::activated};
};

} // namespace

class TestShortcutCoordinator : public QObject {
    Q_OBJECT

private slots:
    void takenDefaultLeavesNoShortcut()
    {
        Fixture f;
        OtherClient holder(44, 5); // J with Control and Shift
        QVERIFY(holder.ready());
        f.shortcut.start();
        QCOMPARE(f.shortcut.registeredCombo(), std::nullopt);
        QCOMPARE(f.shortcut.status().outcome(), Outcome::Taken);
        QVERIFY(f.shortcut.displayName().isEmpty());
        QCOMPARE(f.prefs.hotKey(), kCtrlShiftJ);
        QCOMPARE(f.conflicts.size(), 1);
    }

    // The shortcut held so far is let go only once the new one is sure; a taken choice
    // keeps it, and the preference says so again without a second registration.
    void takenChoiceFallsBackToPrevious()
    {
        Fixture f;
        f.shortcut.start();
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlShiftJ));
        OtherClient holder(45, 5); // K with Control and Shift
        QVERIFY(holder.ready());
        const quint32 before = probeId();
        f.prefs.setHotKey(kCtrlShiftK);
        QCOMPARE(probeId(), before + 2); // one attempt for K, and J never taken again
        QCOMPARE(f.conflicts.size(), 1);
        QCOMPARE(f.conflicts.first().at(1).toString(), kKeptJ);
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlShiftJ));
        QCOMPARE(f.prefs.hotKey(), kCtrlShiftJ);

        // Writing the kept one again changes nothing and registers nothing.
        f.prefs.setHotKey(kCtrlShiftJ);
        QCOMPARE(probeId(), before + 3);
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

    // While suspended the keys reach other clients; a combination recorded meanwhile is
    // registered on resuming, or reported taken with the active one kept.
    void suspensionLetsTheKeysGo()
    {
        Fixture f;
        f.shortcut.start();
        press("ctrl+shift+j");
        QTRY_COMPARE(f.activated.size(), 1);
        f.shortcut.setSuspended(true);
        {
            OtherClient other(44, 5); // takes J while Quelto lets it go
            QVERIFY(other.ready());
        }
        press("ctrl+shift+j");
        QTest::qWait(200);
        QCOMPARE(f.activated.size(), 1);

        OtherClient holder(45, 5);
        QVERIFY(holder.ready());
        f.prefs.setHotKey(kCtrlShiftK); // recorded, but held elsewhere
        QCOMPARE(f.conflicts.size(), 0);
        f.shortcut.setSuspended(false);
        QCOMPARE(f.conflicts.size(), 1);
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlShiftJ));
        QCOMPARE(f.prefs.hotKey(), kCtrlShiftJ);
        press("ctrl+shift+j");
        QTRY_COMPARE(f.activated.size(), 2);

        f.shortcut.setSuspended(true);
        f.prefs.setHotKey(kCtrlAltN);
        f.shortcut.setSuspended(false);
        QCOMPARE(f.shortcut.registeredCombo(), std::optional(kCtrlAltN));
        QCOMPARE(f.shortcut.displayName(), QStringLiteral("Ctrl+Alt+N"));
        press("ctrl+alt+n");
        QTRY_COMPARE(f.activated.size(), 3);
    }
};

QUELTO_X11_TEST_MAIN(TestShortcutCoordinator, QApplication)

#include "tst_shortcutcoordinator.moc"
