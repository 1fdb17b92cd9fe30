// SPDX-License-Identifier: GPL-3.0-or-later
// The shortcut through the desktop portal, against a portal service on a private
// session bus: what is asked for, what the desktop answers, and presses.

#include "platform/hotkey/portalshortcut.h"
#include "platform/hotkey/portaltrigger.h"
#include "support/portalprocess.h"
#include "support/texttable.h"

#include <QSignalSpy>
#include <QTest>

using namespace quelto;
using quelto::testing::cell;
using quelto::testing::PortalProcess;
using quelto::testing::textColumns;
using quelto::testing::textRow;

namespace {

const HotKeyCombo kCtrlShiftJ = HotKeyCombo::defaultCombo();
const HotKeyCombo kCtrlAltN{45, HotKeyCombo::kCommand | HotKeyCombo::kOption};

// Our shortcut on the session bus, with what it reports, asking a portal service started
// with the given options ("<none>": no portal at all) for Ctrl+Shift+J.
struct Binding {
    explicit Binding(const QStringList& options = {})
        : portal(options == QStringList{"<none>"}
                     ? std::nullopt
                     : std::optional<PortalProcess>(std::in_place, options))
    {
        shortcut.bind(kCtrlShiftJ);
    }
    bool portalReady() const { return portal && portal->ready(); }

    std::optional<PortalProcess> portal; // started before the shortcut asks for it
    PortalShortcut shortcut{QDBusConnection::sessionBus(), QStringLiteral("app.quelto.Quelto")};
    QSignalSpy bound{&shortcut, &PortalShortcut::bound};
    QSignalSpy declined{&shortcut, &PortalShortcut::declined};
    QSignalSpy unavailable{&shortcut, &PortalShortcut::unavailable};
    QSignalSpy activated{&shortcut, &PortalShortcut::activated};
};

} // namespace

class TestPortalShortcut : public QObject {
    Q_OBJECT

private slots:
    // What the desktop shows for a shortcut; the combination read from it as key code and
    // modifiers (empty: none); the trigger asked for with that combination.
    void triggerNotations_data()
    {
        textColumns({"description", "combo", "trigger"});
        textRow("KDE", "Ctrl+Shift+J", "38 0x300", "CTRL+SHIFT+j");
        textRow("other words and case", "control+ALT+n", "45 0x900", "CTRL+ALT+n");
        textRow("Meta is Super", "Meta+Space", "49 0x1000", "LOGO+space");
        textRow("Super and Alt", "Meta+Alt+Space", "49 0x1800", "ALT+LOGO+space");
        textRow("named key", "Shift+F5", "96 0x200", "SHIFT+F5");
        textRow("key alone", "F5", "96 0x0", "F5");
        textRow("unknown modifier", "Hyper+J", "", "");
        textRow("unknown key", "Ctrl+Launch", "", "");
        textRow("nothing", "", "", "");
    }

    void triggerNotations()
    {
        const std::optional<HotKeyCombo> combo = PortalTrigger::toCombo(cell("description"));
        QCOMPARE(combo ? QStringLiteral("%1 0x%2").arg(combo->keyCode).arg(combo->modifiers, 0, 16)
                       : QString(),
                 cell("combo"));
        if (combo)
            QCOMPARE(PortalTrigger::fromCombo(*combo).value_or("<none>"), cell("trigger"));
    }

    void bindActivatesOncePerPressAndRebindsInANewSession()
    {
        Binding b;
        QVERIFY(b.portalReady());
        QTRY_COMPARE(b.bound.count(), 1);
        QCOMPARE(b.bound.first().first().toString(), QStringLiteral("Ctrl+Shift+J"));
        QCOMPARE(b.portal->calls(),
                 (QStringList{"register app.quelto.Quelto", "create",
                              "bind session|toggle-panel|Show or hide Quelto|CTRL+SHIFT+j"}));
        b.portal->send("press");
        QTRY_COMPARE(b.activated.count(), 1);
        b.portal->send("press"); // the key held down repeats
        b.portal->send("press");
        b.portal->send("release");
        b.portal->send("press");
        QTRY_COMPARE(b.activated.count(), 2);
        QTest::qWait(200);
        QCOMPARE(b.activated.count(), 2);

        b.shortcut.bind(kCtrlAltN);
        QTRY_COMPARE(b.bound.count(), 2);
        QCOMPARE(b.bound.last().first().toString(), QStringLiteral("Ctrl+Alt+N"));
        const QStringList calls = b.portal->calls().mid(3);
        QCOMPARE(calls.size(), 3);
        QVERIFY2(calls.at(0).startsWith("close /org/freedesktop/portal/desktop/session/"),
                 qPrintable(calls.join('\n')));
        QCOMPARE(calls.mid(1), (QStringList{"create", "bind session|toggle-panel|Show or hide "
                                                      "Quelto|CTRL+ALT+n"}));
    }

    void desktopAnswersOtherThanYes_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("answer");
        // clang-format off
        QTest::newRow("user cancels the dialog") << QStringList{"--refuse"} << "declined";
        QTest::newRow("bound without a trigger") << QStringList{"--bind-as", ""} << "declined";
        QTest::newRow("portal without global shortcuts") << QStringList{"--no-shortcuts"} << "unavailable";
        QTest::newRow("no portal at all") << QStringList{"<none>"} << "unavailable";
        // clang-format on
    }

    void desktopAnswersOtherThanYes()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, answer);
        Binding b(options);
        QVERIFY(!b.portal || b.portal->ready());
        QTRY_COMPARE((answer == u"declined" ? b.declined : b.unavailable).count(), 1);
        QTest::qWait(100);
        QCOMPARE(b.bound.count() + b.declined.count() + b.unavailable.count(), 1);
    }

    void changesMadeInTheDesktopAreReported()
    {
        Binding b({"--bind-as", "Meta+J"});
        QVERIFY(b.portalReady());
        QTRY_COMPARE(b.bound.count(), 1);
        QCOMPARE(b.bound.last().first().toString(), QStringLiteral("Meta+J"));
        b.portal->send("change Ctrl+Alt+K");
        QTRY_COMPARE(b.bound.count(), 2);
        QCOMPARE(b.bound.last().first().toString(), QStringLiteral("Ctrl+Alt+K"));
        b.portal->send("change");
        QTRY_COMPARE(b.declined.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPortalShortcut)

#include "tst_portalshortcut.moc"
