// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small icons of the settings window: the desktop's icon theme first (by the
// freedesktop name), Quelto's own monochrome symbols when the theme lacks one.

#include <QColor>
#include <QIcon>
#include <QPalette>

namespace quelto::SettingsIcon {

inline constexpr int kSidebarSize = 20;

// The theme's `themeName`, else the bundled symbol `bundledName` drawn in the
// palette's secondary text colour (a black symbol would vanish on a dark theme).
QIcon themed(const QString& themeName, const QString& bundledName,
             const QPalette& palette = QPalette());

// The tile beside a page title: the symbol (the theme's symbolic icon, else the
// bundled one) in white, 0.55 of `size`, on a rounded square filled with `tint`.
QIcon tile(const QString& themeName, const QString& bundledName, const QColor& tint,
           int size = kSidebarSize);

} // namespace quelto::SettingsIcon
