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
    void triggersInTheDesktopsNotation_data()
    {
        QTest::addColumn<HotKeyCombo>("combo");
        QTest::addColumn<QString>("trigger");
        // clang-format off
        QTest::newRow("Ctrl+Shift+J") << kCtrlShiftJ << "CTRL+SHIFT+j";
        QTest::newRow("Super+Alt+Space") << HotKeyCombo{49, HotKeyCombo::kControl | HotKeyCombo::kOption} << "ALT+LOGO+space";
        QTest::newRow("F5 alone") << HotKeyCombo{96, 0} << "F5";
        // clang-format on
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
        // clang-format off
        QTest::newRow("KDE") << "Ctrl+Shift+J" << std::optional(kCtrlShiftJ);
        QTest::newRow("other words and case") << "control+ALT+n" << std::optional(kCtrlAltN);
        QTest::newRow("Meta is Super") << "Meta+Space" << std::optional(HotKeyCombo{49, HotKeyCombo::kControl});
        QTest::newRow("named key") << "Shift+F5" << std::optional(HotKeyCombo{96, HotKeyCombo::kShift});
        QTest::newRow("unknown modifier") << "Hyper+J" << std::optional<HotKeyCombo>();
        QTest::newRow("unknown key") << "Ctrl+Launch" << std::optional<HotKeyCombo>();
        QTest::newRow("nothing") << "" << std::optional<HotKeyCombo>();
        // clang-format on
    }

    void desktopDescriptionsReadBack()
    {
        QFETCH(QString, description);
        QFETCH(std::optional<HotKeyCombo>, combo);
        QCOMPARE(PortalTrigger::toCombo(description), combo);
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
