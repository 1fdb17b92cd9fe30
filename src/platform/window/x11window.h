// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few window-manager conversations the floating panel needs on X11 (EWMH).
// Each does nothing, or answers nothing, off X11.

#include <QRegion>
#include <QtGlobal>

#include <optional>

namespace quelto::X11Window {

// The window the window manager reports as active (_NET_ACTIVE_WINDOW).
std::optional<quint32> activeWindow();
// Asks the window manager to activate `window` again (a _NET_ACTIVE_WINDOW request).
void activate(quint32 window);
// Shows `window` on every virtual desktop (_NET_WM_DESKTOP 0xFFFFFFFF).
void showOnAllDesktops(quint32 window);
// Cuts `window` to `region`, given in the window's device pixels (X SHAPE); false
// where that cannot be done (off X11).
bool setShape(quint32 window, const QRegion& region);

} // namespace quelto::X11Window
