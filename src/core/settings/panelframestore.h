// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the user left a floating panel, remembered per screen in a QSettings store,
// and the fitting of a remembered frame back onto a screen.

#include <QRectF>
#include <QSettings>
#include <QSizeF>
#include <QString>

#include <optional>

namespace quelto::PanelFrameStore {

// "name@WIDTHxHEIGHT", the size truncated to whole numbers.
QString screenKey(const QString& screenName, double width, double height);
// Nothing for a missing entry or anything but exactly four finite numbers.
std::optional<QRectF> load(const QString& baseKey, const QString& screenKey,
                           const QSettings& store);
void save(const QRectF& frame, const QString& baseKey, const QString& screenKey, QSettings& store);
// The frame, at least `minimum` where the visible frame allows, at most the visible
// frame, and shifted (not shrunk) to lie inside it.
QRectF clamp(const QRectF& frame, const QRectF& visible, const QSizeF& minimum);

} // namespace quelto::PanelFrameStore
