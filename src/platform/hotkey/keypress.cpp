// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/keypress.h"

#include "core/settings/keytable.h"
#include "platform/hotkey/keyboardlayout.h"

#include <QKeyEvent>

#include <algorithm>
#include <iterator>

namespace quelto::KeyPress {

namespace {

struct QtKey {
    int key;
    quint32 virtualKey;
};

// Keys that type no character, by the virtual key code at their place.
constexpr QtKey kNonPrinting[] = {
    {Qt::Key_Return, 36},    {Qt::Key_Enter, 76},  {Qt::Key_Tab, 48},     {Qt::Key_Backtab, 48},
    {Qt::Key_Backspace, 51}, {Qt::Key_Escape, 53}, {Qt::Key_Delete, 117}, {Qt::Key_Insert, 114},
    {Qt::Key_Home, 115},     {Qt::Key_End, 119},   {Qt::Key_PageUp, 116}, {Qt::Key_PageDown, 121},
    {Qt::Key_Left, 123},     {Qt::Key_Right, 124}, {Qt::Key_Down, 125},   {Qt::Key_Up, 126},
    {Qt::Key_F1, 122},       {Qt::Key_F2, 120},    {Qt::Key_F3, 99},      {Qt::Key_F4, 118},
    {Qt::Key_F5, 96},        {Qt::Key_F6, 97},     {Qt::Key_F7, 98},      {Qt::Key_F8, 100},
    {Qt::Key_F9, 101},       {Qt::Key_F10, 109},   {Qt::Key_F11, 103},    {Qt::Key_F12, 111},
};

constexpr int kModifierKeys[] = {
    Qt::Key_Shift,   Qt::Key_Control,  Qt::Key_Meta,    Qt::Key_Alt,
    Qt::Key_AltGr,   Qt::Key_Super_L,  Qt::Key_Super_R, Qt::Key_Hyper_L,
    Qt::Key_Hyper_R, Qt::Key_CapsLock, Qt::Key_NumLock, Qt::Key_ScrollLock,
};

} // namespace

std::optional<quint32> virtualKeyCode(const QKeyEvent& event)
{
    if (const quint32 scanCode = event.nativeScanCode(); scanCode > KeyTable::kX11Offset)
        return KeyTable::virtualKeyCode(scanCode - KeyTable::kX11Offset);
    const int key = event.key();
    const auto fixed = std::find_if(std::begin(kNonPrinting), std::end(kNonPrinting),
                                    [key](const QtKey& k) { return k.key == key; });
    if (fixed != std::end(kNonPrinting))
        return fixed->virtualKey;
    // Below the special keys Qt's key is a character, upper case for letters; the key
    // types the lower case.
    if (key <= 0 || key >= Qt::Key_Escape)
        return std::nullopt;
    return KeyboardLayout::keyCodeTyping(QChar::toLower(char32_t(key)));
}

bool isModifierKey(const QKeyEvent& event)
{
    return std::find(std::begin(kModifierKeys), std::end(kModifierKeys), event.key()) !=
           std::end(kModifierKeys);
}

} // namespace quelto::KeyPress
