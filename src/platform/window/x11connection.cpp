// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/window/x11connection.h"

#include <QGuiApplication>

namespace quelto {

xcb_connection_t* x11Connection()
{
    // qGuiApp would be a bad downcast under a plain QCoreApplication.
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QGuiApplication::platformName() != u"xcb")
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace quelto
