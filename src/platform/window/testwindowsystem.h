// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window system in this process, for tests of which window gets the focus back: the
// test says which window is active and reads back what was asked of it.

#include "platform/window/windowsystem.h"

#include <QList>

namespace quelto {

class TestWindowSystem final : public WindowSystem {
public:
    std::optional<quint32> active;
    bool compositing = false;
    QList<quint32> onAllDesktops; // every window put on all desktops, in order

    std::optional<quint32> activeWindow() const override { return active; }
    void activate(quint32 window) override { active = window; }
    void showOnAllDesktops(quint32 window) override { onAllDesktops.append(window); }
    // As off X11: the caller masks the window itself.
    bool setShape(quint32, const QRegion&) override { return false; }
    bool isCompositing() const override { return compositing; }
};

} // namespace quelto
