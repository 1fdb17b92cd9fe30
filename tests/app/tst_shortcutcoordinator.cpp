// SPDX-License-Identifier: GPL-3.0-or-later
// The global shortcut through X11 key grabs, against another client holding keys:
// what is kept when the wanted combination is taken, what is written back, and that
// recording lets the keys go.

#include "app/shortcutcoordinator.h"
#include "support/grabhelper.h"
#include "support/xvfbserver.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;
using quelto::testing::OtherClient;
using Outcome = ShortcutStatus::Outcome;

namespace {

const HotKeyCombo kCtrlShiftJ = HotKeyCombo::defaultCombo();
const HotKeyCombo kCtrlShiftK{40, HotKeyCombo::kCommand | HotKeyCombo::kShift};
const HotKeyCombo kCtrlAltN{45, HotKeyCombo::kCommand | HotKeyCombo::kOption};
const QString kKeptJ = QStringLiteral("Quelto kept Ctrl+Shift+J. Pick a different shortcut in "
                                      "Settings → General.");

void press(const QString& keys)
{
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

// Every registration attempt takes the next id, so a probe tells how many were made
// in between.
quint32 probeId()
{
    const auto probe = HotKey::create({37, 0x300}, [] {}); // Ctrl+Shift+L
    return probe ? probe->id() : 0u;
}

} // namespace

class TestShortcutCoordinator : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prefs = std::make_unique<Preferences>(
            std::make_unique<QSettings>(m_dir->filePath("p.ini"), QSettings::IniFormat));
        m_shortcut =
            std::make_unique<ShortcutCoordinator>(*m_prefs, Session::ShortcutBackend::X11Grab);
        m_conflicts =
            std::make_unique<QSignalSpy>(m_shortcut.get(), &ShortcutCoordinator::conflict);
    }

    void cleanup()
    {
        m_conflicts.reset();
        m_shortcut.reset();
        m_prefs.reset();
        m_dir.reset();
    }

    void takenDefaultLeavesNoShortcut()
    {
        OtherClient holder(44, 5); // J with Control and Shift
        QVERIFY(holder.ready());
        m_shortcut->start();
        QCOMPARE(m_shortcut->registeredCombo(), std::nullopt);
        QCOMPARE(m_shortcut->status().outcome(), Outcome::Taken);
        QVERIFY(!m_shortcut->works());
        QVERIFY(m_shortcut->displayName().isEmpty());
        QCOMPARE(m_prefs->hotKey(), kCtrlShiftJ);
        QCOMPARE(m_conflicts->size(), 1);
        QCOMPARE(m_conflicts->first().first().value<HotKeyCombo>(), kCtrlShiftJ);
    }

    // The shortcut held so far is let go only once the new one is sure; a taken choice
    // keeps it, and the preference says so again without a second registration.
    void takenChoiceFallsBackToPrevious()
    {
        m_shortcut->start();
        QCOMPARE(m_shortcut->registeredCombo(), std::optional(kCtrlShiftJ));
        OtherClient holder(45, 5); // K with Control and Shift
        QVERIFY(holder.ready());
        const quint32 before = probeId();
        m_prefs->setHotKey(kCtrlShiftK);
        QCOMPARE(probeId(), before + 2); // one attempt for K, and J never taken again
        QCOMPARE(m_conflicts->size(), 1);
        QCOMPARE(m_conflicts->first().at(1).toString(), kKeptJ);
        QCOMPARE(m_shortcut->registeredCombo(), std::optional(kCtrlShiftJ));
        QCOMPARE(m_prefs->hotKey(), kCtrlShiftJ);

        // Writing the kept one again changes nothing and registers nothing.
        m_prefs->setHotKey(kCtrlShiftJ);
        QCOMPARE(probeId(), before + 3);
        QCOMPARE(m_conflicts->size(), 1);
    }

    void impossibleStoredShortcutFallsBackQuietly()
    {
        m_prefs->setHotKey({0xFFFF, HotKeyCombo::kCommand | 0x40}); // no such key or modifier
        m_shortcut->start();
        QCOMPARE(m_shortcut->registeredCombo(), std::optional(kCtrlShiftJ));
        QCOMPARE(m_prefs->hotKey(), kCtrlShiftJ);
        QCOMPARE(m_conflicts->size(), 0);
    }

    // While suspended the keys reach other clients; a combination recorded meanwhile is
    // registered on resuming, or reported taken with the active one kept.
    void suspensionLetsTheKeysGo()
    {
        QSignalSpy activated(m_shortcut.get(), &ShortcutCoordinator::activated);
        m_shortcut->start();
        press("ctrl+shift+j");
        QTRY_COMPARE(activated.size(), 1);
        m_shortcut->setSuspended(true);
        {
            OtherClient other(44, 5); // takes J while Quelto lets it go
            QVERIFY(other.ready());
        }
        press("ctrl+shift+j");
        QTest::qWait(200);
        QCOMPARE(activated.size(), 1);

        OtherClient holder(45, 5);
        QVERIFY(holder.ready());
        m_prefs->setHotKey(kCtrlShiftK); // recorded, but held elsewhere
        QCOMPARE(m_conflicts->size(), 0);
        m_shortcut->setSuspended(false);
        QCOMPARE(m_conflicts->size(), 1);
        QCOMPARE(m_shortcut->registeredCombo(), std::optional(kCtrlShiftJ));
        QCOMPARE(m_prefs->hotKey(), kCtrlShiftJ);
        press("ctrl+shift+j");
        QTRY_COMPARE(activated.size(), 2);

        m_shortcut->setSuspended(true);
        m_prefs->setHotKey(kCtrlAltN);
        m_shortcut->setSuspended(false);
        QCOMPARE(m_shortcut->registeredCombo(), std::optional(kCtrlAltN));
        QCOMPARE(m_shortcut->displayName(), QStringLiteral("Ctrl+Alt+N"));
        press("ctrl+alt+n");
        QTRY_COMPARE(activated.size(), 3);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<ShortcutCoordinator> m_shortcut;
    std::unique_ptr<QSignalSpy> m_conflicts;
};

QUELTO_X11_TEST_MAIN(TestShortcutCoordinator, QApplication)

#include "tst_shortcutcoordinator.moc"
