// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/session.h"

namespace quelto::Session {

bool isWayland(const QProcessEnvironment& env)
{
    return env.value(QStringLiteral("XDG_SESSION_TYPE")) == u"wayland" ||
           !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}

std::optional<QByteArray> preferredPlatform(const QProcessEnvironment& env,
                                            const QStringList& arguments)
{
    if (!isWayland(env) || env.value(QStringLiteral("DISPLAY")).isEmpty() ||
        !env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return std::nullopt;
    for (const QString& argument : arguments) {
        if (argument == u"-platform" || argument.startsWith(u"-platform=") ||
            argument == u"--platform" || argument.startsWith(u"--platform="))
            return std::nullopt;
    }
    return QByteArrayLiteral("xcb;wayland");
}

ShortcutBackend shortcutBackend(const QProcessEnvironment& env, const QString& platformName)
{
    return platformName == u"xcb" && !isWayland(env) ? ShortcutBackend::X11Grab
                                                     : ShortcutBackend::Portal;
}

} // namespace quelto::Session
