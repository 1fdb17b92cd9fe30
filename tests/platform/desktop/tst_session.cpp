// SPDX-License-Identifier: GPL-3.0-or-later
// Which window system Quelto asks Qt for, and how it gets its shortcut, per session.

#include "platform/desktop/session.h"

#include <QTest>

using namespace quelto;

namespace {

QProcessEnvironment environment(const QStringList& variables)
{
    QProcessEnvironment env;
    for (const QString& variable : variables)
        env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    return env;
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT

private slots:
    void platformAndShortcut_data()
    {
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("platform"); // empty: Qt's own choice
        QTest::addColumn<QString>("qtPlatform");  // what Qt then runs on
        QTest::addColumn<bool>("grab");

        QTest::newRow("X11 session") << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"}
                                     << QStringList{} << QByteArray() << "xcb" << true;
        QTest::newRow("Wayland with Xwayland")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
            << QStringList{} << QByteArray("xcb;wayland") << "xcb" << false;
        QTest::newRow("compositor without a session type")
            << QStringList{"WAYLAND_DISPLAY=wayland-1", "DISPLAY=:1"} << QStringList{}
            << QByteArray("xcb;wayland") << "xcb" << false;
        QTest::newRow("Wayland without Xwayland")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0"} << QStringList{}
            << QByteArray() << "wayland" << false;
        QTest::newRow("user chose Wayland")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0", "QT_QPA_PLATFORM=wayland"}
            << QStringList{} << QByteArray() << "wayland" << false;
        QTest::newRow("user chose on the command line")
            << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"}
            << QStringList{"quelto", "-platform", "wayland"} << QByteArray() << "wayland" << false;
        QTest::newRow("no window system")
            << QStringList{} << QStringList{} << QByteArray() << "offscreen" << false;
    }

    void platformAndShortcut()
    {
        QFETCH(QStringList, variables);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, platform);
        QFETCH(QString, qtPlatform);
        QFETCH(bool, grab);
        const QProcessEnvironment env = environment(variables);
        QCOMPARE(Session::preferredPlatform(env, arguments).value_or(QByteArray()), platform);
        QCOMPARE(Session::shortcutBackend(env, qtPlatform) == Session::ShortcutBackend::X11Grab,
                 grab);
    }
};

QTEST_GUILESS_MAIN(TestSession)

#include "tst_session.moc"
