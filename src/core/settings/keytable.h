// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed facts about keys: which physical key a stored virtual key code means
// (as a Linux evdev code; the X11 key code is that plus 8), and the names of keys
// that print nothing.

#include <QString>
#include <QtGlobal>

#include <optional>

namespace quelto::KeyTable {

// X11 key codes are evdev codes shifted by this.
inline constexpr quint32 kX11Offset = 8;

std::optional<quint32> evdevCode(quint32 virtualKeyCode);
std::optional<quint32> virtualKeyCode(quint32 evdevCode);

enum class NameForm {
    Glyph, // "↩", "⎋", "Space", "F1"
    Text,  // "Return", "Esc", "Space", "F1", as Qt names keys on Linux
};

// The fixed name of a non-printing key, or nothing for keys named by the layout.
std::optional<QString> fixedName(quint32 virtualKeyCode, NameForm form);

} // namespace quelto::KeyTable
