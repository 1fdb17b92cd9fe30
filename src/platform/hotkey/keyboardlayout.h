// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Names of keys as the user sees them: a fixed name for keys that print nothing,
// otherwise what the key types on the current ASCII-capable keyboard layout (read
// through XKB), upper-cased, otherwise "#" and the key code.

#include "core/settings/hotkeycombo.h"
#include "core/settings/keytable.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quelto::KeyboardLayout {

using KeyTable::NameForm;

// What the key types with no modifiers on the current layout when it can type ASCII,
// else on the keymap's first layout that can, else on a US keyboard. The keymap is the
// X server's when running on X11, else the default XKB keymap (honouring
// XKB_DEFAULT_LAYOUT).
std::optional<QString> layoutCharacter(quint32 keyCode);
// The virtual key code of the key that types `character` with no modifiers on the
// current layout, if one in the key table does.
std::optional<quint32> keyCodeTyping(char32_t character);
// The XKB keysym name of what the key types with no modifiers on that same layout
// ("j", "space", "F1", "Return"): how desktops' shortcut settings name keys.
std::optional<QString> keysymName(quint32 keyCode);
QString keyName(quint32 keyCode, NameForm form = NameForm::Text);
// One entry per modifier, then the key: ["Ctrl", "Shift", "J"] in text form (Qt's
// order Meta, Ctrl, Alt, Shift), ["⇧", "⌘", "J"] in glyph form (order ⌃⌥⇧⌘).
QStringList keyCapTexts(const HotKeyCombo& combo, NameForm form = NameForm::Text);
// "Ctrl+Shift+J" in text form, "⇧⌘J" in glyph form.
QString displayString(const HotKeyCombo& combo, NameForm form = NameForm::Text);

} // namespace quelto::KeyboardLayout
