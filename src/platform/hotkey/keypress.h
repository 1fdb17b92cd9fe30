// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which stored key a key press means. Real presses carry the physical key as their
// native scan code (an XKB key code on X11 and Wayland), read through the positional
// key table, so the layout and held modifiers do not change the answer. Presses
// without one (synthesised, or from platforms that give none) are matched by the key
// Qt reports: a fixed table for keys that print nothing, otherwise the key that types
// it on the current layout.

#include <QtGlobal>

#include <optional>

class QKeyEvent;

namespace quelto::KeyPress {

// The virtual key code of the pressed key; nothing for keys the table lacks.
std::optional<quint32> virtualKeyCode(const QKeyEvent& event);
// Ctrl, Shift, Alt, Super and the lock keys: pressed on their own they name no key.
bool isModifierKey(const QKeyEvent& event);

} // namespace quelto::KeyPress
