// SPDX-License-Identifier: GPL-3.0-or-later
// Which window system Quelto asks Qt for, and how it gets its shortcut, per session.

#include "platform/desktop/session.h"
#include "support/texttable.h"

#include <QTest>

using namespace quelto;
using quelto::testing::cell;
using quelto::testing::textColumns;
using quelto::testing::textRow;

class TestSession : public QObject {
    Q_OBJECT

private slots:
    // The environment and command line; the platform asked for (empty: Qt's own choice),
    // what Qt then runs on, and where the shortcut comes from.
    void platformAndShortcut_data()
    {
        textColumns({"variables", "arguments", "platform", "qtPlatform", "shortcut"});
        // clang-format off
        textRow("X11 session", "XDG_SESSION_TYPE=x11 DISPLAY=:0", "", "", "xcb", "grab");
        textRow("Wayland with Xwayland", "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "", "xcb;wayland", "xcb", "portal");
        textRow("compositor without a session type", "WAYLAND_DISPLAY=wayland-1 DISPLAY=:1", "", "xcb;wayland", "xcb", "portal");
        textRow("Wayland without Xwayland", "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0", "", "", "wayland", "portal");
        textRow("user chose Wayland", "WAYLAND_DISPLAY=wayland-0 DISPLAY=:0 QT_QPA_PLATFORM=wayland", "", "", "wayland", "portal");
        textRow("user chose on the command line", "WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "quelto -platform wayland", "", "wayland", "portal");
        textRow("no window system", "", "", "", "offscreen", "portal");
        // clang-format on
    }

    void platformAndShortcut()
    {
        QProcessEnvironment env;
        for (const QString& variable : cell("variables").split(u' ', Qt::SkipEmptyParts))
            env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        const QStringList arguments = cell("arguments").split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(
            QString::fromLatin1(Session::preferredPlatform(env, arguments).value_or(QByteArray())),
            cell("platform"));
        const bool grab =
            Session::shortcutBackend(env, cell("qtPlatform")) == Session::ShortcutBackend::X11Grab;
        QCOMPARE(QString(grab ? "grab" : "portal"), cell("shortcut"));
    }
};

QTEST_GUILESS_MAIN(TestSession)

#include "tst_session.moc"
