// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shortcuts as the desktop portal speaks of them: the trigger Quelto asks for, in the
// freedesktop shortcuts notation ("CTRL+SHIFT+j"), and the description of the one the
// desktop bound ("Ctrl+Shift+J"), read back into a stored combination.

#include "core/settings/hotkeycombo.h"

#include <QString>

#include <optional>

namespace quelto::PortalTrigger {

// Nothing for a key the current layout gives no keysym.
std::optional<QString> fromCombo(const HotKeyCombo& combo);
// Modifier names as desktops write them (Ctrl, Control, Shift, Alt, Meta, Super,
// Logo; any case), "+" between them, then a key name as Quelto shows it. Nothing
// when any part is not understood, so that a combination is never guessed.
std::optional<HotKeyCombo> toCombo(const QString& description);

} // namespace quelto::PortalTrigger
