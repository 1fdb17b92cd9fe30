// SPDX-License-Identifier: GPL-3.0-or-later
// The shortcut off X11: where it comes from per session, how it is named, and the portal
// route against a portal service on a private session bus (what is asked for, what the
// desktop answers, and presses). Off X11 the keyboard layout comes from the default XKB
// keymap, which XKB_DEFAULT_LAYOUT picks.

#include "platform/desktop/session.h"
#include "platform/hotkey/hotkey.h"
#include "platform/hotkey/keyboardlayout.h"
#include "platform/hotkey/portalshortcut.h"
#include "platform/hotkey/portaltrigger.h"
#include "support/portalprocess.h"
#include "support/texttable.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace quelto;
using KeyboardLayout::NameForm;
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
    PortalShortcut shortcut{QDBusConnection::sessionBus(), QStringLiteral("app.quelto.Quelto"),
                            QStringLiteral("quelto_test")};
    QSignalSpy bound{&shortcut, &ShortcutBackend::bound};
    QSignalSpy refused{&shortcut, &ShortcutBackend::refused};
    QSignalSpy activated{&shortcut, &ShortcutBackend::activated};

    // Each refusal as "declined:reason" or "unavailable".
    QStringList refusals() const
    {
        QStringList said;
        for (const QList<QVariant>& answer : refused) {
            const auto refusal = answer.at(0).value<ShortcutBackend::Refusal>();
            said << (refusal == ShortcutBackend::Refusal::Unavailable
                         ? QStringLiteral("unavailable")
                         : QStringLiteral("declined:") + answer.at(1).toString());
        }
        return said;
    }
};

} // namespace

class TestShortcut : public QObject {
    Q_OBJECT

private slots:
    void init() { qputenv("XKB_DEFAULT_LAYOUT", "us"); }

    // Key code and modifiers; the combination in text form, then in glyph form as one
    // string and as key caps.
    void namesCombosInBothForms_data()
    {
        textColumns({"code", "modifiers", "shown"});
        textRow("J", "38", "0", "J J J");
        textRow("Escape", "53", "0", "Esc ⎋ ⎋");
        textRow("Space", "49", "0", "Space Space Space");
        textRow("punctuation", "43", "0", ", , ,");
        textRow("keypad plus", "69", "0", "+ + +");
        textRow("modifier key", "55", "0", "#55 #55 #55");
        textRow("unknown code", "52", "0", "#52 #52 #52");
        textRow("beyond 16 bits", "70000", "0", "#70000 #70000 #70000");
        textRow("default", "38", "0x300", "Ctrl+Shift+J ⇧⌘J ⇧⌘J");
        textRow("all four", "40", "0x1B00", "Meta+Ctrl+Alt+Shift+K ⌃⌥⇧⌘K ⌃⌥⇧⌘K");
    }

    void namesCombosInBothForms()
    {
        const HotKeyCombo combo{cell("code").toUInt(), cell("modifiers").toUInt(nullptr, 16)};
        QCOMPARE(QStringList({KeyboardLayout::displayString(combo, NameForm::Text),
                              KeyboardLayout::displayString(combo, NameForm::Glyph),
                              KeyboardLayout::keyCapTexts(combo, NameForm::Glyph).join(QString())})
                     .join(u' '),
                 cell("shown"));
    }

    // Letters follow the layout that can type ASCII: the current one, else the first
    // such of the keymap, else a US keyboard.
    void lettersComeFromAnAsciiLayout_data()
    {
        textColumns({"layouts", "code", "name"});
        textRow("french", "fr", "12", "A"); // Q on a US keyboard
        textRow("german", "de", "16", "Z"); // Y on a US keyboard
        textRow("russian J", "ru", "38", "J");
        textRow("greek", "gr", "38", "J");
        textRow("russian then french", "ru,fr", "12", "A");
        textRow("fixed names stay", "ru", "53", "Esc");
        textRow("dead key as its accent", "de", "50", "^");
    }

    void lettersComeFromAnAsciiLayout()
    {
        qputenv("XKB_DEFAULT_LAYOUT", cell("layouts").toLatin1());
        QCOMPARE(KeyboardLayout::keyName(cell("code").toUInt()), cell("name"));
    }

    void registrationFailsCleanlyWithoutX11()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        bool ran = false;
        QVERIFY(!HotKey::create(HotKeyCombo::defaultCombo(), [&] { ran = true; }));
        QCoreApplication::processEvents();
        QVERIFY(!ran);
    }

    // The environment and command line; the platform asked for (empty: Qt's own choice),
    // what Qt then runs on, and where the shortcut comes from.
    void platformAndShortcut_data()
    {
        textColumns({"variables", "arguments", "platform", "qtPlatform", "shortcut"});
        // clang-format off
        textRow("X11 session", "XDG_SESSION_TYPE=x11 DISPLAY=:0", "", "", "xcb", "grab");
        textRow("Wayland with Xwayland", "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "", "xcb;wayland", "xcb", "portal");
        textRow("compositor without a session type", "WAYLAND_DISPLAY=wayland-1 DISPLAY=:1", "", "xcb;wayland", "xcb", "portal");
        textRow("Wayland without Xwayland", "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0", "", "", "wayland", "portal");
        textRow("user chose Wayland", "WAYLAND_DISPLAY=wayland-0 DISPLAY=:0 QT_QPA_PLATFORM=wayland", "", "", "wayland", "portal");
        textRow("user chose on the command line", "WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "quelto -platform wayland", "", "wayland", "portal");
        textRow("no window system", "", "", "", "offscreen", "portal");
        // clang-format on
    }

    void platformAndShortcut()
    {
        QProcessEnvironment env;
        for (const QString& variable : cell("variables").split(u' ', Qt::SkipEmptyParts))
            env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        const QStringList arguments = cell("arguments").split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(
            QString::fromLatin1(Session::preferredPlatform(env, arguments).value_or(QByteArray())),
            cell("platform"));
        const bool grab =
            Session::shortcutBackend(env, cell("qtPlatform")) == Session::ShortcutBackend::X11Grab;
        QCOMPARE(QString(grab ? "grab" : "portal"), cell("shortcut"));
    }

    // What the desktop shows for a shortcut; the combination read from it as key code and
    // modifiers (empty: none); the trigger asked for with that combination.
    void triggerNotations_data()
    {
        textColumns({"description", "combo", "trigger"});
        textRow("KDE", "Ctrl+Shift+J", "38 0x300", "CTRL+SHIFT+j");
        textRow("other words and case", "control+ALT+n", "45 0x900", "CTRL+ALT+n");
        textRow("Meta is Super", "Meta+Space", "49 0x1000", "LOGO+space");
        textRow("named key", "Shift+F5", "96 0x200", "SHIFT+F5");
        textRow("key alone", "F5", "96 0x0", "F5");
        textRow("unknown modifier", "Hyper+J", "", "");
        textRow("unknown key", "Ctrl+Launch", "", "");
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
        QCOMPARE(b.bound.first().at(1).value<std::optional<HotKeyCombo>>(), kCtrlShiftJ);
        // The portal's output may trail its answers on a busy machine.
        const QStringList first{"register app.quelto.Quelto", "create|CTRL+SHIFT+j",
                                "bind session|toggle-panel|Show or hide Quelto|CTRL+SHIFT+j"};
        QTRY_VERIFY2(b.portal->calls() == first, qPrintable(b.portal->calls().join(" / ")));
        b.portal->send("press");
        QTRY_COMPARE(b.activated.count(), 1);
        b.portal->send("press"); // the key held down repeats
        b.portal->send("press");
        b.portal->send("release");
        b.portal->send("press");
        QTRY_COMPARE(b.activated.count(), 2);
        QTest::qWait(200);
        QCOMPARE(b.activated.count(), 2);
        for (int i = 0; i < 3; ++i) // no time stamp, no release: each is a press
            b.portal->send("press0");
        QTRY_COMPARE(b.activated.count(), 5);

        b.shortcut.bind(kCtrlAltN);
        QTRY_COMPARE(b.bound.count(), 2);
        QCOMPARE(b.bound.last().first().toString(), QStringLiteral("Ctrl+Alt+N"));
        QTRY_COMPARE(b.portal->calls().size(), 6);
        const QStringList calls = b.portal->calls().mid(3);
        // The session keeps the install's own name, so the desktop keeps one entry.
        QVERIFY2(
            QRegularExpression("^close /org/freedesktop/portal/desktop/session/.*/quelto_test$")
                .match(calls.at(0))
                .hasMatch(),
            qPrintable(calls.join('\n')));
        QCOMPARE(calls.mid(1), (QStringList{"create|CTRL+ALT+n", "bind session|toggle-panel|Show "
                                                                 "or hide Quelto|CTRL+ALT+n"}));
        // Changes made later in the desktop's own settings are reported too.
        b.portal->send("change Ctrl+Alt+K");
        QTRY_COMPARE(b.bound.count(), 3);
        QCOMPARE(b.bound.last().first().toString(), QStringLiteral("Ctrl+Alt+K"));
        b.portal->send("change");
        QTRY_COMPARE(b.refusals(), QStringList{"declined:The desktop bound no key to it."});
    }

    void desktopAnswersOtherThanAsked_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("answer");
        // clang-format off
        QTest::newRow("desktop picks another") << QStringList{"--bind-as", "Meta+J"} << "Meta+J";
        QTest::newRow("user cancels the dialog") << QStringList{"--refuse"} << "declined:The request was cancelled.";
        QTest::newRow("bound without a trigger") << QStringList{"--bind-as", ""} << "declined:The desktop bound no key to it.";
        QTest::newRow("portal without global shortcuts") << QStringList{"--no-shortcuts"} << "unavailable";
        QTest::newRow("no portal at all") << QStringList{"<none>"} << "unavailable";
        // clang-format on
    }

    void desktopAnswersOtherThanAsked()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, answer);
        Binding b(options);
        QVERIFY(!b.portal || b.portal->ready());
        QTRY_COMPARE(b.bound.count() + b.refused.count(), 1);
        if (b.bound.isEmpty())
            QCOMPARE(b.refusals(), QStringList{answer});
        else
            QCOMPARE(b.bound.first().first().toString(), answer);
        QTest::qWait(100);
        QCOMPARE(b.bound.count() + b.refused.count(), 1);
    }
};

QTEST_MAIN(TestShortcut)

#include "tst_shortcut.moc"
