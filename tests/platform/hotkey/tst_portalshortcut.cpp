// SPDX-License-Identifier: GPL-3.0-or-later
// The shortcut through the desktop portal, against a portal service on a private
// session bus: what is asked for, what the desktop answers, and presses.

#include "platform/hotkey/portalshortcut.h"
#include "platform/hotkey/portaltrigger.h"
#include "support/portalprocess.h"

#include <QSignalSpy>
#include <QTest>

using namespace quelto;
using quelto::testing::PortalProcess;

namespace {

constexpr quint32 kCommandShift = HotKeyCombo::kCommand | HotKeyCombo::kShift;
const HotKeyCombo kCtrlShiftJ = HotKeyCombo::defaultCombo();
const HotKeyCombo kCtrlAltN{45, HotKeyCombo::kCommand | HotKeyCombo::kOption};
const QString kAppId = QStringLiteral("app.quelto.Quelto");

} // namespace

class TestPortalShortcut : public QObject {
    Q_OBJECT

private slots:
    void triggersInTheDesktopsNotation_data()
    {
        QTest::addColumn<HotKeyCombo>("combo");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("Ctrl+Shift+J") << kCtrlShiftJ << "CTRL+SHIFT+j";
        QTest::newRow("Super+Alt+Space")
            << HotKeyCombo{49, HotKeyCombo::kControl | HotKeyCombo::kOption} << "ALT+LOGO+space";
        QTest::newRow("F5 alone") << HotKeyCombo{96, 0} << "F5";
    }

    void triggersInTheDesktopsNotation()
    {
        QFETCH(HotKeyCombo, combo);
        QFETCH(QString, trigger);
        QCOMPARE(PortalTrigger::fromCombo(combo), std::optional(trigger));
    }

    void desktopDescriptionsReadBack_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<std::optional<HotKeyCombo>>("combo");
        QTest::newRow("KDE") << "Ctrl+Shift+J" << std::optional(kCtrlShiftJ);
        QTest::newRow("other words and case") << "control+ALT+n" << std::optional(kCtrlAltN);
        QTest::newRow("Meta is Super")
            << "Meta+Space" << std::optional(HotKeyCombo{49, HotKeyCombo::kControl});
        QTest::newRow("named key")
            << "Shift+F5" << std::optional(HotKeyCombo{96, HotKeyCombo::kShift});
        QTest::newRow("unknown modifier") << "Hyper+J" << std::optional<HotKeyCombo>();
        QTest::newRow("unknown key") << "Ctrl+Launch" << std::optional<HotKeyCombo>();
        QTest::newRow("nothing") << "" << std::optional<HotKeyCombo>();
    }

    void desktopDescriptionsReadBack()
    {
        QFETCH(QString, description);
        QFETCH(std::optional<HotKeyCombo>, combo);
        QCOMPARE(PortalTrigger::toCombo(description), combo);
    }

    void bindAsksForTheStoredCombinationAndRebindsInANewSession()
    {
        PortalProcess portal;
        QVERIFY(portal.ready());
        PortalShortcut shortcut(QDBusConnection::sessionBus(), kAppId);
        QSignalSpy bound(&shortcut, &PortalShortcut::bound);
        shortcut.bind(kCtrlShiftJ);
        QTRY_COMPARE(bound.count(), 1);
        QCOMPARE(bound.first().first().toString(), QStringLiteral("Ctrl+Shift+J"));
        QCOMPARE(portal.calls(),
                 (QStringList{"register app.quelto.Quelto", "create",
                              "bind session|toggle-panel|Show or hide Quelto|CTRL+SHIFT+j"}));

        shortcut.bind(kCtrlAltN);
        QTRY_COMPARE(bound.count(), 2);
        QCOMPARE(bound.last().first().toString(), QStringLiteral("Ctrl+Alt+N"));
        const QStringList calls = portal.calls().mid(3);
        QCOMPARE(calls.size(), 3);
        QVERIFY2(calls.at(0).startsWith("close /org/freedesktop/portal/desktop/session/"),
                 qPrintable(calls.join('\n')));
        QCOMPARE(calls.mid(1), (QStringList{"create", "bind session|toggle-panel|Show or hide "
                                                      "Quelto|CTRL+ALT+n"}));
    }

    void eachPressActivatesOnce()
    {
        PortalProcess portal;
        QVERIFY(portal.ready());
        PortalShortcut shortcut(QDBusConnection::sessionBus(), kAppId);
        QSignalSpy bound(&shortcut, &PortalShortcut::bound);
        QSignalSpy activated(&shortcut, &PortalShortcut::activated);
        shortcut.bind(kCtrlShiftJ);
        QTRY_COMPARE(bound.count(), 1);
        portal.send("press");
        QTRY_COMPARE(activated.count(), 1);
        portal.send("press"); // the key held down repeats
        portal.send("press");
        portal.send("release");
        portal.send("press");
        QTRY_COMPARE(activated.count(), 2);
        QTest::qWait(200);
        QCOMPARE(activated.count(), 2);
    }

    void desktopAnswersOtherThanYes_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("answer");
        QTest::newRow("user cancels the dialog") << QStringList{"--refuse"} << "declined";
        QTest::newRow("bound without a trigger") << QStringList{"--bind-as", ""} << "declined";
        QTest::newRow("portal without global shortcuts")
            << QStringList{"--no-shortcuts"} << "unavailable";
        QTest::newRow("no portal at all") << QStringList{"<none>"} << "unavailable";
    }

    void desktopAnswersOtherThanYes()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, answer);
        std::unique_ptr<PortalProcess> portal;
        if (options != QStringList{"<none>"}) {
            portal = std::make_unique<PortalProcess>(options);
            QVERIFY(portal->ready());
        }
        PortalShortcut shortcut(QDBusConnection::sessionBus(), kAppId);
        QSignalSpy bound(&shortcut, &PortalShortcut::bound);
        QSignalSpy declined(&shortcut, &PortalShortcut::declined);
        QSignalSpy unavailable(&shortcut, &PortalShortcut::unavailable);
        shortcut.bind(kCtrlShiftJ);
        QSignalSpy& expected = answer == u"declined" ? declined : unavailable;
        QTRY_COMPARE(expected.count(), 1);
        QTest::qWait(100);
        QCOMPARE(bound.count() + declined.count() + unavailable.count(), 1);
    }

    void changesMadeInTheDesktopAreReported()
    {
        PortalProcess portal({"--bind-as", "Meta+J"});
        QVERIFY(portal.ready());
        PortalShortcut shortcut(QDBusConnection::sessionBus(), kAppId);
        QSignalSpy bound(&shortcut, &PortalShortcut::bound);
        QSignalSpy declined(&shortcut, &PortalShortcut::declined);
        shortcut.bind(kCtrlShiftJ);
        QTRY_COMPARE(bound.count(), 1);
        QCOMPARE(bound.last().first().toString(), QStringLiteral("Meta+J"));
        portal.send("change Ctrl+Alt+K");
        QTRY_COMPARE(bound.count(), 2);
        QCOMPARE(bound.last().first().toString(), QStringLiteral("Ctrl+Alt+K"));
        portal.send("change");
        QTRY_COMPARE(declined.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPortalShortcut)

#include "tst_portalshortcut.moc"
