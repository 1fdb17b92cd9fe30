// SPDX-License-Identifier: GPL-3.0-or-later
// The real quelto binary in a Wayland session (headless weston with Xwayland), with
// no shortcut portal on its session bus and no tray: it starts without alerts, showing
// its panel, which floats above other windows through Xwayland, and on native Wayland keeps no
// frame that the compositor chose.

#include "support/appprocess.h"
#include "support/westonserver.h"

#include <QRegularExpression>
#include <QTest>

#include <cstdio>

using quelto::testing::AppProcess;
using quelto::testing::WestonServer;

class TestAppWayland : public QObject {
    Q_OBJECT

public:
    bool startSession(QString* why) { return m_weston.start(why); }

private slots:
    void init()
    {
        m_app = std::make_unique<AppProcess>(m_weston.clientEnvironment());
        // A user who has been through onboarding and told how to bind the command: only
        // the panel opens by itself, as there is no tray to open it from.
        QVERIFY(QDir().mkpath(m_app->homePath(".config/Quelto")));
        QVERIFY(quelto::testing::writeFile(
            m_app->configPath(),
            "[General]\nhasCompletedOnboarding=true\nnoShortcutExplained=true\n"));
    }

    void cleanup() { m_app.reset(); }

    void startsQuietlyAndFloatsThroughXwayland()
    {
        start();
        // Found on the X server: Qt chose xcb.
        QTRY_COMPARE_WITH_TIMEOUT(m_app->windows("^Quelto$").size(), 1, 5000);
        const QString window = m_app->windows("^Quelto$").first();
        // The type compositors float (weston's window manager keeps no "above" state).
        const QString type = quelto::testing::runProgram(
            "xprop", {"-id", window, "_NET_WM_WINDOW_TYPE"}, m_app->environment());
        QVERIFY2(type.contains("= _NET_WM_WINDOW_TYPE_UTILITY"), qPrintable(type));
        QTest::qWait(1000);
        QCOMPARE(m_app->windows("^Quelto$").size(), 1); // no alert
        QVERIFY(m_app->command({"--toggle"}));
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->panelVisible(), 5000);
        QVERIFY(m_app->command({})); // a second start shows the first one's panel and leaves
        QTRY_VERIFY_WITH_TIMEOUT(m_app->panelVisible(), 5000);
    }

    void nativeWaylandKeepsNoFrameTheCompositorChose()
    {
        m_app->environment().insert("QT_QPA_PLATFORM", "wayland");
        m_app->environment().insert("WAYLAND_DEBUG", "client");
        m_app->environment().remove("DISPLAY");
        start();
        // The panel becomes a Wayland toplevel (its protocol traffic shows it).
        static const QRegularExpression created(QStringLiteral("new id xdg_toplevel@(\\d+)"));
        QRegularExpressionMatch toplevel;
        QTRY_VERIFY_WITH_TIMEOUT(
            (toplevel = created.match(QString::fromUtf8(m_app->log()))).hasMatch(), 5000);
        const QByteArray panel = "xdg_toplevel@" + toplevel.captured(1).toLatin1();
        QTRY_VERIFY_WITH_TIMEOUT(m_app->log().contains(panel + ".set_title(\"Quelto\")"), 5000);
        // Hidden and shown again while its size is held fixed for the compositor: once
        // settled, it can be resized again (no upper limit).
        QVERIFY(m_app->command({"--toggle"}) && m_app->command({"--toggle"}));
        QTest::qWait(700);
        QVERIFY(m_app->log().lastIndexOf(".set_max_size(0, 0)") >
                m_app->log().lastIndexOf(".set_max_size(440, 380)"));
        QVERIFY(m_app->command({"--toggle"}));
        QTRY_VERIFY_WITH_TIMEOUT(m_app->log().contains(panel + ".destroy()"), 5000);
        QVERIFY(m_app->stop());
        const QByteArray saved = quelto::testing::readFile(m_app->configPath());
        QVERIFY2(!saved.contains("panel.frame"), saved.constData());
        QVERIFY2(!m_app->log().contains("already used"), m_app->log().right(300).constData());
    }

private:
    void start()
    {
        m_app->start(true);
        // Until it owns the notes, a second start would take over instead of handing on.
        QTest::qWait(1500);
    }

    WestonServer m_weston;
    std::unique_ptr<AppProcess> m_app;
};

// Reported as skipped (exit 77) when no Wayland session can be had.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestAppWayland test;
    QString why;
    if (!test.startSession(&why)) {
        std::printf("SKIP: no Wayland session: %s\n", qPrintable(why));
        return 77;
    }
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app_wayland.moc"
