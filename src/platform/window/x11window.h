// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window system on X11: EWMH requests to the window manager, the X SHAPE
// extension, and the compositing manager's selection. Each call does nothing, or
// answers nothing, without an X connection.

#include "platform/window/windowsystem.h"

namespace quelto {

class X11WindowSystem final : public WindowSystem {
public:
    // _NET_ACTIVE_WINDOW on the root window.
    std::optional<quint32> activeWindow() const override;
    // A _NET_ACTIVE_WINDOW request from a pager, which window managers honour.
    void activate(quint32 window) override;
    // _NET_WM_DESKTOP 0xFFFFFFFF, as a property before mapping and a request after.
    void showOnAllDesktops(quint32 window) override;
    bool setShape(quint32 window, const QRegion& region) override;
    // Someone owns the _NET_WM_CM_S0 selection.
    bool isCompositing() const override;
};

} // namespace quelto
