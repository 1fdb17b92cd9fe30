// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What kind of desktop session Quelto runs in, and what follows for the window system
// it talks to and for how it gets its global shortcut.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace quelto::Session {

// A Wayland compositor runs the session, whichever platform Qt ends up using.
bool isWayland(const QProcessEnvironment& env);

// The platform Qt should use when the user chose none: in a Wayland session with
// Xwayland at hand, X11 first, so the panel can float above other windows on every
// desktop (Wayland lets no client do that), and native Wayland if X11 fails to open.
// Nothing where Qt's own choice is right or the user made one (QT_QPA_PLATFORM or
// -platform among `arguments`).
std::optional<QByteArray> preferredPlatform(const QProcessEnvironment& env,
                                            const QStringList& arguments);

enum class ShortcutBackend {
    X11Grab, // a grab on the X server's root window
    Portal,  // the desktop's GlobalShortcuts portal, where there is one
};

// The X11 grab only where X11 is the whole session: under Xwayland it would see keys
// only while an X11 window has the focus, so there it never counts.
ShortcutBackend shortcutBackend(const QProcessEnvironment& env, const QString& platformName);

} // namespace quelto::Session
