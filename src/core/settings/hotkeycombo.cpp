// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/hotkeycombo.h"

#include "core/settings/keytable.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace quelto {

namespace {

std::optional<quint32> unsigned32(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!(d >= 0 && d <= std::numeric_limits<quint32>::max()) || d != std::trunc(d))
        return std::nullopt;
    return static_cast<quint32>(d);
}

struct ModifierPair {
    quint32 carbon;
    Qt::KeyboardModifier qt;
};

constexpr ModifierPair kModifierPairs[] = {
    {HotKeyCombo::kCommand, Qt::ControlModifier},
    {HotKeyCombo::kShift, Qt::ShiftModifier},
    {HotKeyCombo::kOption, Qt::AltModifier},
    {HotKeyCombo::kControl, Qt::MetaModifier},
};

} // namespace

QByteArray HotKeyCombo::toJson() const
{
    const QJsonObject object{{QStringLiteral("keyCode"), qint64(keyCode)},
                             {QStringLiteral("modifiers"), qint64(modifiers)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<HotKeyCombo> HotKeyCombo::fromJson(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const std::optional<quint32> keyCode = unsigned32(document.object().value(u"keyCode"));
    const std::optional<quint32> modifiers = unsigned32(document.object().value(u"modifiers"));
    if (!keyCode || !modifiers)
        return std::nullopt;
    return HotKeyCombo{*keyCode, *modifiers};
}

bool HotKeyCombo::canExist() const
{
    return KeyTable::evdevCode(keyCode).has_value() && (modifiers & ~kAllModifiers) == 0;
}

quint32 carbonModifiers(Qt::KeyboardModifiers modifiers)
{
    quint32 mask = 0;
    for (const ModifierPair& pair : kModifierPairs) {
        if (modifiers.testFlag(pair.qt))
            mask |= pair.carbon;
    }
    return mask;
}

Qt::KeyboardModifiers qtModifiers(quint32 carbonMask)
{
    Qt::KeyboardModifiers modifiers;
    for (const ModifierPair& pair : kModifierPairs) {
        if (carbonMask & pair.carbon)
            modifiers |= pair.qt;
    }
    return modifiers;
}

} // namespace quelto
