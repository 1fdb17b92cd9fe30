// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/portaltrigger.h"

#include "platform/hotkey/keyboardlayout.h"

#include <QStringList>

namespace quelto::PortalTrigger {

namespace {

// Beyond the table's highest virtual key code.
constexpr quint32 kKeyCodeLimit = 128;

struct ModifierWord {
    const char16_t* word;
    quint32 mask;
};

// The freedesktop shortcuts names, in the order the trigger lists them.
constexpr ModifierWord kTriggerNames[] = {{u"CTRL", HotKeyCombo::kCommand},
                                          {u"ALT", HotKeyCombo::kOption},
                                          {u"SHIFT", HotKeyCombo::kShift},
                                          {u"LOGO", HotKeyCombo::kControl}};

// What desktops write in the descriptions they hand back.
constexpr ModifierWord kDescriptionNames[] = {
    {u"ctrl", HotKeyCombo::kCommand}, {u"control", HotKeyCombo::kCommand},
    {u"shift", HotKeyCombo::kShift},  {u"alt", HotKeyCombo::kOption},
    {u"meta", HotKeyCombo::kControl}, {u"super", HotKeyCombo::kControl},
    {u"logo", HotKeyCombo::kControl},
};

std::optional<quint32> modifierMask(const QString& word)
{
    for (const ModifierWord& m : kDescriptionNames) {
        if (word.compare(QString::fromUtf16(m.word), Qt::CaseInsensitive) == 0)
            return m.mask;
    }
    return std::nullopt;
}

std::optional<quint32> keyCodeNamed(const QString& name)
{
    for (quint32 code = 0; code < kKeyCodeLimit; ++code) {
        if (KeyTable::evdevCode(code) &&
            KeyboardLayout::keyName(code).compare(name, Qt::CaseInsensitive) == 0)
            return code;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> fromCombo(const HotKeyCombo& combo)
{
    const std::optional<QString> key = KeyboardLayout::keysymName(combo.keyCode);
    if (!key)
        return std::nullopt;
    QStringList parts;
    for (const ModifierWord& m : kTriggerNames) {
        if (combo.modifiers & m.mask)
            parts << QString::fromUtf16(m.word);
    }
    parts << *key;
    return parts.join(u'+');
}

std::optional<HotKeyCombo> toCombo(const QString& description)
{
    // "+" itself can be the key: "Ctrl++".
    QString text = description.trimmed();
    QString keyPart;
    if (text.endsWith(QStringLiteral("++"))) {
        keyPart = QStringLiteral("+");
        text.chop(2);
    } else {
        const qsizetype plus = text.lastIndexOf(u'+');
        keyPart = text.mid(plus + 1);
        text.truncate(plus < 0 ? 0 : plus);
    }
    HotKeyCombo combo;
    if (!text.isEmpty()) {
        for (const QString& word : text.split(u'+')) {
            const std::optional<quint32> mask = modifierMask(word.trimmed());
            if (!mask)
                return std::nullopt;
            combo.modifiers |= *mask;
        }
    }
    const std::optional<quint32> key = keyCodeNamed(keyPart.trimmed());
    if (!key)
        return std::nullopt;
    combo.keyCode = *key;
    return combo;
}

} // namespace quelto::PortalTrigger
