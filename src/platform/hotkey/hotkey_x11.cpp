// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/hotkey.h"

#include "platform/hotkey/keyboardlayout.h"

#include "platform/window/x11connection.h"

#include "core/settings/keytable.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <X11/keysym.h>

#include <cstdlib>
#include <optional>

namespace quelto {

namespace {

constexpr quint16 kRelevantModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr quint16 kFallbackNumLock = XCB_MOD_MASK_2;

struct Registration {
    quint8 keycode;
    quint16 modifiers;
    HotKey::Handler handler;
    // The grab is not owner events, so every release reaches the root window.
    RepeatFilter repeats{RepeatFilter::Releases::Reported};
};

QHash<quint32, Registration>& registrations()
{
    static QHash<quint32, Registration> table;
    return table;
}

quint32 takeNextId()
{
    static quint32 next = 1;
    return next++;
}

xcb_window_t rootWindow(xcb_connection_t* c)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.data ? it.data->root : XCB_NONE;
}

// The modifier bit that NumLock sets on this server (Mod2 almost everywhere).
quint16 numLockMask(xcb_connection_t* c)
{
    quint16 mask = kFallbackNumLock;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
    if (!symbols)
        return mask;
    xcb_keycode_t* numLockCodes = xcb_key_symbols_get_keycode(symbols, XK_Num_Lock);
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
    if (numLockCodes && reply) {
        const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int k = 0; k < perModifier; ++k) {
                const xcb_keycode_t code = map[modifier * perModifier + k];
                for (const xcb_keycode_t* n = numLockCodes; code && *n; ++n) {
                    if (*n == code)
                        mask = static_cast<quint16>(1u << modifier);
                }
            }
        }
    }
    std::free(reply);
    std::free(numLockCodes);
    xcb_key_symbols_free(symbols);
    return mask;
}

quint16 x11Modifiers(quint32 carbon)
{
    quint16 mask = 0;
    if (carbon & HotKeyCombo::kCommand)
        mask |= XCB_MOD_MASK_CONTROL;
    if (carbon & HotKeyCombo::kShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (carbon & HotKeyCombo::kOption)
        mask |= XCB_MOD_MASK_1;
    if (carbon & HotKeyCombo::kControl)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

// Presses of grabbed keys arrive as key events on the root window, and so do their
// releases while the grab lasts.
class PressFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const int kind = event->response_type & ~0x80;
        if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE)
            return false;
        // A release has the layout of a press.
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (key->event != key->root) // a key typed into one of our own windows
            return false;
        if (kind == XCB_KEY_RELEASE) {
            // Matched by key alone: the modifiers may have gone up first.
            for (Registration& registration : registrations()) {
                if (registration.keycode == key->detail)
                    registration.repeats.release(key->time);
            }
            return false;
        }
        const quint16 state = key->state & kRelevantModifiers;
        for (auto it = registrations().begin(); it != registrations().end(); ++it) {
            if (it->keycode != key->detail || it->modifiers != state)
                continue;
            // A held key repeats, as presses alone (detectable auto-repeat) or as
            // release and press with one time stamp; the handler runs once per press.
            if (!it->repeats.press(key->time))
                return true;
            const quint32 id = it.key();
            // Never inside the event dispatch: the handler may show windows or end the
            // registration itself.
            QMetaObject::invokeMethod(
                qApp,
                [id] {
                    const auto found = registrations().constFind(id);
                    if (found != registrations().constEnd() && found->handler)
                        found->handler();
                },
                Qt::QueuedConnection);
            return true;
        }
        return false;
    }
};

void installFilterOnce()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    static PressFilter filter;
    qApp->installNativeEventFilter(&filter);
}

} // namespace

HotKey::HotKey(quint32 id, HotKeyCombo combo, QList<Grab> grabs)
    : m_id(id)
    , m_combo(combo)
    , m_grabs(std::move(grabs))
{}

std::unique_ptr<HotKey> HotKey::create(const HotKeyCombo& combo, Handler handler)
{
    const quint32 id = takeNextId();
    xcb_connection_t* c = x11Connection();
    const std::optional<quint32> evdev = KeyTable::evdevCode(combo.keyCode);
    if (!c || !evdev || (combo.modifiers & ~HotKeyCombo::kAllModifiers))
        return nullptr;
    const auto keycode = static_cast<quint8>(*evdev + KeyTable::kX11Offset);
    const quint16 modifiers = x11Modifiers(combo.modifiers);
    const xcb_window_t root = rootWindow(c);
    const quint16 numLock = numLockMask(c);

    QList<Grab> grabs;
    bool refused = false;
    for (const quint16 lock :
         {quint16(0), quint16(XCB_MOD_MASK_LOCK), numLock, quint16(numLock | XCB_MOD_MASK_LOCK)}) {
        const Grab grab{keycode, static_cast<quint16>(modifiers | lock)};
        // Not owner events: the press and its release come to the root window even
        // while one of our own windows has the focus, so the shortcut works there too
        // and no release goes missing.
        xcb_generic_error_t* error =
            xcb_request_check(c, xcb_grab_key_checked(c, 0, root, grab.modifiers, grab.keycode,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error) { // BadAccess: another client holds this combination
            refused = true;
            std::free(error);
            break;
        }
        grabs.append(grab);
    }
    if (refused) {
        for (const Grab& grab : grabs)
            xcb_ungrab_key(c, grab.keycode, root, grab.modifiers);
        xcb_flush(c);
        return nullptr;
    }
    installFilterOnce();
    registrations().insert(id, Registration{keycode, modifiers, std::move(handler)});
    return std::unique_ptr<HotKey>(new HotKey(id, combo, std::move(grabs)));
}

HotKey::~HotKey()
{
    if (xcb_connection_t* c = x11Connection()) {
        const xcb_window_t root = rootWindow(c);
        for (const Grab& grab : m_grabs)
            xcb_ungrab_key(c, grab.keycode, root, grab.modifiers);
        xcb_flush(c);
    }
    registrations().remove(m_id);
}

X11GrabShortcut::~X11GrabShortcut() = default;

void X11GrabShortcut::bind(const HotKeyCombo& combo)
{
    // The grab held so far goes only once the new one is sure, so that no other client
    // can take it in between.
    if (std::unique_ptr<HotKey> next = HotKey::create(combo, [this] { emit activated(); })) {
        m_hotKey = std::move(next);
        emit bound(KeyboardLayout::displayString(combo), combo);
        return;
    }
    emit refused(Refusal::Taken, {});
}

} // namespace quelto
