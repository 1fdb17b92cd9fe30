// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/hotkey.h"
#include "support/grabhelper.h"
#include "support/keypress.h"
#include "support/xvfbserver.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>
// xkb.h names struct fields "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

using namespace quelto;
using quelto::testing::press;

namespace {

const HotKeyCombo kCtrlShiftJ{38, HotKeyCombo::kCommand | HotKeyCombo::kShift};
const HotKeyCombo kCtrlShiftK{40, HotKeyCombo::kCommand | HotKeyCombo::kShift};

// Whether the server reports a held key's repeats to this client as presses alone
// (XKB's detectable auto-repeat) rather than as release and press pairs.
void setDetectableAutoRepeat(bool on)
{
    xcb_connection_t* c =
        qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
        c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
    std::free(use);
    xcb_xkb_per_client_flags_reply_t* reply = xcb_xkb_per_client_flags_reply(
        c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, on ? flag : 0, 0, 0, 0),
        nullptr);
    QVERIFY(reply && bool(reply->value & flag) == on);
    std::free(reply);
}

// Lets queued deliveries run, so a press that should do nothing has had its chance.
constexpr int kQuietMs = 300;

// Tells whether an X key press is being delivered right now: set when the press reaches
// the native event filters, cleared on the next turn of the event loop. Made after the
// hot key exists, so it sees each press before the hot key's own filter does.
class DeliveryWatch final : public QAbstractNativeEventFilter {
public:
    DeliveryWatch() { qApp->installNativeEventFilter(this); }
    ~DeliveryWatch() override { qApp->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if (type == "xcb_generic_event_t" && (event->response_type & ~0x80) == XCB_KEY_PRESS) {
            delivering = true;
            QMetaObject::invokeMethod(
                &m_context, [this] { delivering = false; }, Qt::QueuedConnection);
        }
        return false;
    }
    bool delivering = false;

private:
    QObject m_context; // drops a pending clear when the watch ends first
};

} // namespace

// Presses real keys with xdotool on a real X server (Xvfb when there is no display).
class TestHotKeyX11 : public QObject {
    Q_OBJECT

private slots:
    void eachPressRunsOnlyItsOwnHandler()
    {
        int j = 0;
        int k = 0;
        int altJ = 0;
        auto first = HotKey::create(kCtrlShiftJ, [&] { ++j; });
        auto second = HotKey::create(kCtrlShiftK, [&] { ++k; });
        // The same key with other modifiers is another shortcut.
        auto third =
            HotKey::create({38, HotKeyCombo::kCommand | HotKeyCombo::kOption}, [&] { ++altJ; });
        QVERIFY(first && second && third);
        press("ctrl+shift+j");
        QTRY_COMPARE(j, 1);
        press("ctrl+shift+k");
        press("ctrl+shift+k");
        QTRY_COMPARE(k, 2);
        press("ctrl+alt+j");
        QTRY_COMPARE(altJ, 1);
        press("ctrl+j"); // not the combination
        press("j");
        press("Num_Lock"); // NumLock on changes the modifier state, not the shortcut
        press("ctrl+shift+j");
        press("Num_Lock");
        QTRY_COMPARE(j, 2);
        first.reset(); // an ended hot key runs nothing and gives its grab back
        press("ctrl+shift+j");
        QTest::qWait(kQuietMs);
        QCOMPARE(j, 2);
        QCOMPARE(k, 2);
        QCOMPARE(altJ, 1);
        // With one of our windows focused the shortcut still counts, press after press.
        QWindow window;
        window.resize(200, 100);
        window.show();
        window.requestActivate();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(QGuiApplication::focusWindow(), &window);
        press("ctrl+shift+k");
        press("ctrl+shift+k");
        QTRY_COMPARE(k, 4);
        QVERIFY(HotKey::create(kCtrlShiftJ, [] {}));
    }

    void handlerRunsAfterTheEventsDelivery()
    {
        std::optional<bool> ranDuringDelivery;
        std::unique_ptr<DeliveryWatch> watch;
        auto hotKey = HotKey::create(kCtrlShiftJ, [&] { ranDuringDelivery = watch->delivering; });
        QVERIFY(hotKey);
        watch = std::make_unique<DeliveryWatch>();
        press("ctrl+shift+j");
        QTRY_VERIFY(ranDuringDelivery.has_value());
        QCOMPARE(*ranDuringDelivery, false); // not called from inside the X event's delivery
    }

    void heldShortcutRunsOnce_data()
    {
        QTest::addColumn<bool>("detectable");
        QTest::newRow("repeats as release and press") << false;
        QTest::newRow("repeats as presses alone") << true;
    }

    void heldShortcutRunsOnce()
    {
        QFETCH(bool, detectable);
        setDetectableAutoRepeat(detectable);
        const auto restore = qScopeGuard([] { setDetectableAutoRepeat(false); });
        int presses = 0;
        auto hotKey = HotKey::create(kCtrlShiftJ, [&] { ++presses; });
        QVERIFY(hotKey);
        // Held for a second: the server repeats the key many times meanwhile.
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"),
                      {"keydown", "ctrl+shift+j", "sleep", "1", "keyup", "ctrl+shift+j"});
        QTRY_VERIFY_WITH_TIMEOUT(xdotool.state() == QProcess::NotRunning, 5000);
        QTest::qWait(kQuietMs);
        QCOMPARE(presses, 1);
        press("ctrl+shift+j"); // the next press counts again
        QTRY_COMPARE(presses, 2);
    }

    void heldOrNonsenseCombosFail()
    {
        {
            quelto::testing::OtherClient other(45, 5); // K (evdev 37 + 8), Control|Shift
            QVERIFY(other.ready());
            QVERIFY(!HotKey::create(kCtrlShiftK, [] {}));
            QVERIFY(HotKey::create(kCtrlShiftJ, [] {})); // unrelated
        }
        // The server frees the grab once it has seen the other client go.
        QTRY_VERIFY(HotKey::create(kCtrlShiftK, [] {}));
        QVERIFY(!HotKey::create({52, HotKeyCombo::kCommand}, [] {}));    // no such key
        QVERIFY(!HotKey::create({70000, HotKeyCombo::kCommand}, [] {})); // beyond any key
        QVERIFY(!HotKey::create({38, 0x10000}, [] {}));                  // unknown modifier bit
    }
};

QUELTO_X11_TEST_MAIN(TestHotKeyX11, QGuiApplication)

#include "tst_hotkey_x11.moc"
