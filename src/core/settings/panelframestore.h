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

struct Beside {
    QRectF panel;
    QRectF kept; // where the other window goes: moved only to make room
};
// A frame for `panel` inside `visible`, `gap` away from `keep` (another window that must
// stay readable): right of it, left, below or above, at the panel's size if there is
// room there, else shrunk towards `minimum`; if need be with `keep` moved to the left
// edge of `visible`, then to its top left corner. Nothing where there is no room even
// then.
std::optional<Beside> beside(const QRectF& panel, const QRectF& keep, const QRectF& visible,
                             const QSizeF& minimum, double gap);

} // namespace quelto::PanelFrameStore
