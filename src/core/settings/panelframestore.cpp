// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/panelframestore.h"

#include <QVariantList>

#include <algorithm>
#include <cmath>
#include <functional>

namespace quelto::PanelFrameStore {

namespace {

constexpr int kFrameValues = 4;

std::optional<double> number(const QVariant& value)
{
    bool ok = false;
    double d = 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::QString: // INI stores give numbers back as text
    case QMetaType::QByteArray:
        d = value.toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

} // namespace

QString screenKey(const QString& screenName, double width, double height)
{
    auto whole = [](double v) { return std::isfinite(v) ? qint64(std::trunc(v)) : 0; };
    return QStringLiteral("%1@%2x%3").arg(screenName).arg(whole(width)).arg(whole(height));
}

std::optional<QRectF> load(const QString& baseKey, const QString& screenKey, const QSettings& store)
{
    const QVariant value = store.value(baseKey + u'.' + screenKey);
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return std::nullopt;
    const QVariantList list = value.toList();
    if (list.size() != kFrameValues)
        return std::nullopt;
    double v[kFrameValues];
    for (int i = 0; i < kFrameValues; ++i) {
        const std::optional<double> n = number(list[i]);
        if (!n)
            return std::nullopt;
        v[i] = *n;
    }
    return QRectF(v[0], v[1], v[2], v[3]);
}

void save(const QRectF& frame, const QString& baseKey, const QString& screenKey, QSettings& store)
{
    store.setValue(baseKey + u'.' + screenKey,
                   QVariantList{frame.x(), frame.y(), frame.width(), frame.height()});
}

QRectF clamp(const QRectF& frame, const QRectF& visible, const QSizeF& minimum)
{
    const double w = std::min(visible.width(), std::max(frame.width(), minimum.width()));
    const double h = std::min(visible.height(), std::max(frame.height(), minimum.height()));
    double x = std::max(frame.x(), visible.x());
    x = std::min(visible.right() - w, x);
    double y = std::max(frame.y(), visible.y());
    y = std::min(visible.bottom() - h, y);
    return {x, y, w, h};
}

namespace {

std::optional<QRectF> besideAsItIs(const QRectF& panel, const QRectF& keep, const QRectF& visible,
                                   const QSizeF& minimum, double gap)
{
    // Room on each side of `keep`, and where a panel of a given size goes there.
    struct Side {
        double room;
        bool horizontal;
        std::function<QPointF(QSizeF)> at;
    };
    const Side sides[] = {
        {visible.right() - keep.right() - gap, true,
         [&](QSizeF) { return QPointF(keep.right() + gap, keep.top()); }},
        {keep.left() - visible.left() - gap, true,
         [&](QSizeF s) { return QPointF(keep.left() - gap - s.width(), keep.top()); }},
        {visible.bottom() - keep.bottom() - gap, false,
         [&](QSizeF) { return QPointF(keep.left(), keep.bottom() + gap); }},
        {keep.top() - visible.top() - gap, false,
         [&](QSizeF s) { return QPointF(keep.left(), keep.top() - gap - s.height()); }},
    };
    for (const bool shrink : {false, true}) {
        for (const Side& side : sides) {
            const double wanted = side.horizontal ? panel.width() : panel.height();
            const double least = side.horizontal ? minimum.width() : minimum.height();
            if (side.room < (shrink ? least : wanted))
                continue;
            QSizeF size = panel.size();
            (side.horizontal ? size.rwidth() : size.rheight()) = std::min(wanted, side.room);
            // Along the side the frame only shifts to fit, as a remembered one would.
            return clamp(QRectF(side.at(size), size), visible, size);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Beside> beside(const QRectF& panel, const QRectF& keep, const QRectF& visible,
                             const QSizeF& minimum, double gap)
{
    // Centred, the other window may leave too little room on every side; moved to the
    // left edge (and the top), it leaves all of it on one.
    const QRectF moves[] = {keep, QRectF(QPointF(visible.left(), keep.top()), keep.size()),
                            QRectF(visible.topLeft(), keep.size())};
    for (const QRectF& kept : moves) {
        if (std::optional<QRectF> frame = besideAsItIs(panel, kept, visible, minimum, gap))
            return Beside{*frame, kept};
    }
    return std::nullopt;
}

} // namespace quelto::PanelFrameStore
