// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application's own X connection, for the small X11 conversations Qt has no API
// for.

struct xcb_connection_t;

namespace quelto {

// Nothing unless a QGuiApplication runs on the xcb platform (offscreen and Wayland
// have none; a QCoreApplication is no GUI application at all).
xcb_connection_t* x11Connection();

} // namespace quelto
