// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A keyboard shortcut as stored: a layout-independent virtual key code (J is 38) and a
// modifier mask (command 0x100, shift 0x200, option 0x800, control 0x1000). On Linux
// "command" is the Ctrl key, "control" is Super (Qt's Meta), "option" is Alt.

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace quelto {

struct HotKeyCombo {
    static constexpr quint32 kCommand = 0x100;
    static constexpr quint32 kShift = 0x200;
    static constexpr quint32 kOption = 0x800;
    static constexpr quint32 kControl = 0x1000;
    static constexpr quint32 kAllModifiers = kCommand | kShift | kOption | kControl;

    quint32 keyCode = 0;
    quint32 modifiers = 0;

    // Ctrl+Shift+J on Linux.
    static constexpr HotKeyCombo defaultCombo() { return {38, kCommand | kShift}; }

    // Compact JSON: {"keyCode":38,"modifiers":768}.
    QByteArray toJson() const;
    // Both keys present and unsigned 32-bit integers; anything else fails.
    static std::optional<HotKeyCombo> fromJson(const QByteArray& json);
    // A key the key table knows and no modifier bits beyond the four: anything else
    // (a hand-edited or foreign preference) no keyboard can press.
    bool canExist() const;

    friend bool operator==(const HotKeyCombo&, const HotKeyCombo&) = default;
};

// The stored mask for Qt's modifier flags (keypad and group-switch flags are ignored).
quint32 carbonModifiers(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiers(quint32 carbonMask);

} // namespace quelto
