// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/keyboardlayout.h"

#include "platform/window/x11connection.h"

#include <QGuiApplication>
#include <QTimer>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <bitset>
#include <memory>

namespace quelto::KeyboardLayout {

namespace {

constexpr quint32 kMaxDisplayedKeyCode = 0xFFFF;
constexpr std::size_t kLatinLetters = 26;
// Longer than any keysym name xkbcommon knows.
constexpr std::size_t kMaxKeysymName = 64;

struct XkbDeleter {
    void operator()(xkb_context* c) const { xkb_context_unref(c); }
    void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
    void operator()(xkb_state* s) const { xkb_state_unref(s); }
};
template <typename T> using XkbPtr = std::unique_ptr<T, XkbDeleter>;

xkb_context* context()
{
    static XkbPtr<xkb_context> ctx(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    return ctx.get();
}

// The letter a to z that `code` types in `group` with no modifiers, if any.
std::optional<char> asciiLetter(xkb_keymap* keymap, xkb_layout_index_t group, xkb_keycode_t code)
{
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, code, group, 0, &syms) != 1)
        return std::nullopt;
    const uint32_t c = xkb_keysym_to_utf32(syms[0]);
    if (c >= 'A' && c <= 'Z')
        return char(c - 'A' + 'a');
    if (c >= 'a' && c <= 'z')
        return char(c);
    return std::nullopt;
}

// A group that types every letter a to z without modifiers (wherever it puts them, as
// AZERTY or Dvorak do) can type ASCII; Cyrillic or Greek groups cannot.
bool isAsciiCapable(xkb_keymap* keymap, xkb_layout_index_t group)
{
    std::bitset<kLatinLetters> seen;
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap);
         code <= xkb_keymap_max_keycode(keymap); ++code) {
        if (const std::optional<char> letter = asciiLetter(keymap, group, code))
            seen.set(std::size_t(*letter - 'a'));
    }
    return seen.all();
}

XkbPtr<xkb_keymap> usKeymap()
{
    const xkb_rule_names us{nullptr, nullptr, "us", nullptr, nullptr};
    return XkbPtr<xkb_keymap>(
        xkb_keymap_new_from_names(context(), &us, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

// The keymap (the X server's when there is one) and the group keys are named from:
// the active group when it can type ASCII, else the first group that can, else the
// US positions. So J stays J while a Russian or Greek layout is active.
std::pair<XkbPtr<xkb_keymap>, xkb_layout_index_t> namingKeymap()
{
    if (!context())
        return {nullptr, 0};
    XkbPtr<xkb_keymap> keymap;
    xkb_layout_index_t active = 0;
    if (xcb_connection_t* connection = x11Connection()) {
        const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
        if (device >= 0) {
            keymap.reset(xkb_x11_keymap_new_from_device(context(), connection, device,
                                                        XKB_KEYMAP_COMPILE_NO_FLAGS));
            if (keymap) {
                XkbPtr<xkb_state> state(
                    xkb_x11_state_new_from_device(keymap.get(), connection, device));
                if (state)
                    active = xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE);
            }
        }
    }
    if (!keymap)
        keymap.reset(xkb_keymap_new_from_names(context(), nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return {usKeymap(), 0};
    if (isAsciiCapable(keymap.get(), active))
        return {std::move(keymap), active};
    for (xkb_layout_index_t group = 0; group < xkb_keymap_num_layouts(keymap.get()); ++group) {
        if (isAsciiCapable(keymap.get(), group))
            return {std::move(keymap), group};
    }
    return {usKeymap(), 0};
}

struct ModifierName {
    quint32 mask;
    const char16_t* glyph;
};

// Glyph order ⌃⌥⇧⌘; text order as Qt writes key sequences: Meta, Ctrl, Alt, Shift.
constexpr ModifierName kGlyphOrder[] = {{HotKeyCombo::kControl, u"⌃"},
                                        {HotKeyCombo::kOption, u"⌥"},
                                        {HotKeyCombo::kShift, u"⇧"},
                                        {HotKeyCombo::kCommand, u"⌘"}};
constexpr ModifierName kTextOrder[] = {{HotKeyCombo::kControl, u"Meta"},
                                       {HotKeyCombo::kCommand, u"Ctrl"},
                                       {HotKeyCombo::kOption, u"Alt"},
                                       {HotKeyCombo::kShift, u"Shift"}};

// The naming keymap with no modifiers held (the state keeps the keymap alive). Building
// one costs X round trips or a keymap compile, so one serves every key named until the
// event loop runs again (where a layout switch would be noticed) or the default layout
// changes.
xkb_state* unmodifiedState()
{
    static QByteArray cachedFor;
    static XkbPtr<xkb_state> cached;
    const QByteArray key = qgetenv("XKB_DEFAULT_LAYOUT") + '|' + qgetenv("XKB_DEFAULT_VARIANT") +
                           '|' + QByteArray::number(quintptr(x11Connection()));
    if (cached && cachedFor == key)
        return cached.get();
    const auto [keymap, group] = namingKeymap();
    cached.reset(keymap ? xkb_state_new(keymap.get()) : nullptr);
    cachedFor = key;
    if (cached) {
        xkb_state_update_mask(cached.get(), 0, 0, 0, 0, 0, group);
        if (QCoreApplication::instance())
            QTimer::singleShot(0, QCoreApplication::instance(), [] { cached.reset(); });
    }
    return cached.get();
}

// A dead key types the accent it puts on the next letter: shown as that accent.
char32_t deadKeyAccent(xkb_keysym_t sym)
{
    static constexpr std::pair<xkb_keysym_t, char32_t> kAccents[] = {
        {XKB_KEY_dead_grave, U'`'},      {XKB_KEY_dead_acute, U'´'},
        {XKB_KEY_dead_circumflex, U'^'}, {XKB_KEY_dead_tilde, U'~'},
        {XKB_KEY_dead_macron, U'¯'},     {XKB_KEY_dead_breve, U'˘'},
        {XKB_KEY_dead_abovedot, U'˙'},   {XKB_KEY_dead_diaeresis, U'¨'},
        {XKB_KEY_dead_abovering, U'˚'},  {XKB_KEY_dead_doubleacute, U'˝'},
        {XKB_KEY_dead_caron, U'ˇ'},      {XKB_KEY_dead_cedilla, U'¸'},
        {XKB_KEY_dead_ogonek, U'˛'},
    };
    for (const auto& [dead, accent] : kAccents) {
        if (dead == sym)
            return accent;
    }
    return 0;
}

// What the key of a stored key code types with no modifiers.
std::optional<xkb_keysym_t> unmodifiedKeysym(quint32 keyCode)
{
    const std::optional<quint32> evdev = KeyTable::evdevCode(keyCode);
    if (!evdev)
        return std::nullopt;
    xkb_state* state = unmodifiedState();
    if (!state)
        return std::nullopt;
    return xkb_state_key_get_one_sym(state, *evdev + KeyTable::kX11Offset);
}

} // namespace

std::optional<QString> layoutCharacter(quint32 keyCode)
{
    const std::optional<xkb_keysym_t> sym = unmodifiedKeysym(keyCode);
    if (!sym)
        return std::nullopt;
    uint32_t codePoint = xkb_keysym_to_utf32(*sym);
    if (codePoint == 0)
        codePoint = deadKeyAccent(*sym);
    if (codePoint == 0 || QChar::isNonCharacter(codePoint) || !QChar::isPrint(codePoint))
        return std::nullopt;
    const char32_t units[] = {codePoint};
    return QString::fromUcs4(units, 1);
}

std::optional<quint32> keyCodeTyping(char32_t character)
{
    xkb_state* state = unmodifiedState();
    if (!state)
        return std::nullopt;
    xkb_keymap* keymap = xkb_state_get_keymap(state);
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap); code <= last; ++code) {
        if (code < KeyTable::kX11Offset ||
            xkb_keysym_to_utf32(xkb_state_key_get_one_sym(state, code)) != character)
            continue;
        if (const std::optional<quint32> key =
                KeyTable::virtualKeyCode(code - KeyTable::kX11Offset))
            return key;
    }
    return std::nullopt;
}

std::optional<QString> keysymName(quint32 keyCode)
{
    const std::optional<xkb_keysym_t> sym = unmodifiedKeysym(keyCode);
    char name[kMaxKeysymName];
    if (!sym || *sym == XKB_KEY_NoSymbol || xkb_keysym_get_name(*sym, name, sizeof name) <= 0)
        return std::nullopt;
    return QString::fromLatin1(name);
}

QString keyName(quint32 keyCode, NameForm form)
{
    if (keyCode <= kMaxDisplayedKeyCode) {
        if (std::optional<QString> fixed = KeyTable::fixedName(keyCode, form))
            return *fixed;
        if (std::optional<QString> typed = layoutCharacter(keyCode))
            return typed->toUpper();
    }
    return u'#' + QString::number(keyCode);
}

QStringList keyCapTexts(const HotKeyCombo& combo, NameForm form)
{
    QStringList texts;
    for (const ModifierName& m : form == NameForm::Glyph ? kGlyphOrder : kTextOrder) {
        if (combo.modifiers & m.mask)
            texts << QString::fromUtf16(m.glyph);
    }
    texts << keyName(combo.keyCode, form);
    return texts;
}

QString displayString(const HotKeyCombo& combo, NameForm form)
{
    return keyCapTexts(combo, form).join(form == NameForm::Glyph ? QString() : QStringLiteral("+"));
}

} // namespace quelto::KeyboardLayout
