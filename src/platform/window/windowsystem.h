// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What Quelto's floating windows ask of the window system beyond Qt: which window the
// user was in before the panel showed and giving it back, showing on every virtual
// desktop, cutting a window's shape at device pixels, and whether a compositing
// manager draws translucency.
//
// One backend serves the process: the X11 one (EWMH and SHAPE), which answers
// nothing and does nothing off X11. Tests of the policy above it put a
// TestWindowSystem in its place for as long as they hold a WindowSystem::Override.

#include <QRegion>
#include <QtGlobal>

#include <optional>

namespace quelto {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The window the window manager reports as active.
    virtual std::optional<quint32> activeWindow() const = 0;
    // Asks the window manager to activate `window` again.
    virtual void activate(quint32 window) = 0;
    virtual void showOnAllDesktops(quint32 window) = 0;
    // Cuts `window` to `region`, in the window's device pixels; false where that
    // cannot be done, so the caller falls back to Qt's mask.
    virtual bool setShape(quint32 window, const QRegion& region) = 0;
    virtual bool isCompositing() const = 0;

    static WindowSystem& current();

    // Puts `replacement` in place of the session's backend until destroyed.
    class Override {
    public:
        explicit Override(WindowSystem& replacement);
        ~Override();
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        WindowSystem* m_previous;
    };

protected:
    WindowSystem() = default;
    WindowSystem(const WindowSystem&) = default;
    WindowSystem& operator=(const WindowSystem&) = default;
};

} // namespace quelto
