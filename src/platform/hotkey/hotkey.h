// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The global shortcut as an X11 key grab, and only that: pressing the combination in
// any application runs the handler here, on the main thread, on a later turn of the
// event loop. The registration lasts exactly as long as the object.
//
// The key is grabbed on the root window (with its NumLock and CapsLock variants);
// another client holding the same combination makes registration fail. Without an
// X11 connection (Wayland, offscreen) registration fails cleanly.

#include "core/settings/hotkeycombo.h"
#include "platform/hotkey/shortcutbackend.h"

#include <QList>

#include <functional>
#include <memory>

namespace quelto {

class HotKey {
public:
    using Handler = std::function<void()>;

    // Nothing when the shortcut cannot be registered. Ids count up from 1 per process,
    // failed attempts included, and are never reused.
    static std::unique_ptr<HotKey> create(const HotKeyCombo& combo, Handler handler);
    ~HotKey();
    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;

    quint32 id() const { return m_id; }
    HotKeyCombo combo() const { return m_combo; }

private:
    struct Grab {
        quint8 keycode;
        quint16 modifiers;
    };
    HotKey(quint32 id, HotKeyCombo combo, QList<Grab> grabs);

    quint32 m_id;
    HotKeyCombo m_combo;
    QList<Grab> m_grabs;
};

// The grab as a shortcut backend: answers at once, and a combination another client
// holds leaves the grab held before in place.
class X11GrabShortcut final : public ShortcutBackend {
    Q_OBJECT

public:
    using ShortcutBackend::ShortcutBackend;
    ~X11GrabShortcut() override;

    bool grabsKeys() const override { return true; }
    void bind(const HotKeyCombo& combo) override;
    void release() override { m_hotKey.reset(); }

private:
    std::unique_ptr<HotKey> m_hotKey;
};

} // namespace quelto
