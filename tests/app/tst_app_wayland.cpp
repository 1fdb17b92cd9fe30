// SPDX-License-Identifier: GPL-3.0-or-later
// The real quelto binary in a Wayland session (headless weston with Xwayland), with
// no shortcut portal on its session bus: it starts without alerts, floats its panel
// above other windows through Xwayland, and on native Wayland keeps no frame that the
// compositor chose.

#include "support/westonserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using quelto::testing::WestonServer;

class TestAppWayland : public QObject {
    Q_OBJECT

public:
    bool startSession(QString* why) { return m_weston.start(why); }

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        // A user who has been through onboarding and told how to bind the command: no
        // window should open by itself.
        QVERIFY(QDir().mkpath(m_home->filePath(".config/Quelto")));
        QFile conf(configPath());
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[General]\nhasCompletedOnboarding=true\nnoShortcutExplained=true\n");
    }

    void cleanup()
    {
        if (m_app && m_app->state() != QProcess::NotRunning) {
            m_app->terminate();
            m_app->waitForFinished(5000);
        }
        m_app.reset();
    }

    void startsQuietlyAndFloatsThroughXwayland()
    {
        start(environment());
        toggle(); // answered only once the first instance listens, after its launch
        // Found on the X server: Qt chose xcb.
        QTRY_COMPARE_WITH_TIMEOUT(x11("search", {"--onlyvisible", "--name", "^Quelto$"}).size(), 1,
                                  5000);
        const QString window = x11("search", {"--onlyvisible", "--name", "^Quelto$"}).first();
        // The type compositors float (weston's window manager keeps no "above" state).
        const QString type = run("xprop", {"-id", window, "_NET_WM_WINDOW_TYPE"});
        QVERIFY2(type.contains("= _NET_WM_WINDOW_TYPE_UTILITY"), qPrintable(type));
        const QString geometry = x11("getwindowgeometry", {window}).join(' ');
        QVERIFY2(geometry.contains("Geometry: 496x436") || geometry.contains("Geometry: 440x380"),
                 qPrintable(geometry));
        QTest::qWait(1000);
        QCOMPARE(x11("search", {"--onlyvisible", "--name", "^Quelto$"}).size(), 1); // no alert
        toggle();
        QTRY_VERIFY_WITH_TIMEOUT(x11("search", {"--onlyvisible", "--name", "^Quelto$"}).isEmpty(),
                                 5000);
    }

    void nativeWaylandKeepsNoFrameTheCompositorChose()
    {
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "wayland");
        env.insert("WAYLAND_DEBUG", "client");
        env.remove("DISPLAY");
        start(env);
        toggle();
        // The panel becomes a Wayland toplevel (its protocol traffic shows it).
        static const QRegularExpression created(QStringLiteral("new id xdg_toplevel@(\\d+)"));
        QRegularExpressionMatch toplevel;
        QTRY_VERIFY_WITH_TIMEOUT((toplevel = created.match(QString::fromUtf8(m_log))).hasMatch(),
                                 5000);
        const QByteArray panel = "xdg_toplevel@" + toplevel.captured(1).toLatin1();
        QTRY_VERIFY_WITH_TIMEOUT(m_log.contains(panel + ".set_title(\"Quelto\")"), 5000);
        QTest::qWait(700); // shown, and past the settling of its size
        toggle();
        QTRY_VERIFY_WITH_TIMEOUT(m_log.contains(panel + ".destroy()"), 5000);
        m_app->terminate();
        QVERIFY(m_app->waitForFinished(5000));
        QFile conf(configPath());
        QVERIFY(conf.open(QIODevice::ReadOnly));
        const QByteArray saved = conf.readAll();
        QVERIFY2(!saved.contains("panel.frame"), saved.constData());
        QVERIFY2(!m_log.contains("already used"), m_log.right(300).constData());
    }

private:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = m_weston.clientEnvironment();
        env.insert("HOME", m_home->path());
        env.insert("XDG_DATA_HOME", m_home->filePath(".local/share"));
        env.insert("XDG_CONFIG_HOME", m_home->filePath(".config"));
        return env;
    }
    QString configPath() const { return m_home->filePath(".config/Quelto/Quelto.conf"); }

    void start(const QProcessEnvironment& env)
    {
        m_env = env;
        m_log.clear();
        m_app = std::make_unique<QProcess>();
        m_app->setProcessEnvironment(env);
        m_app->setProcessChannelMode(QProcess::MergedChannels);
        connect(m_app.get(), &QProcess::readyRead, this, [this] { m_log += m_app->readAll(); });
        m_app->start(QStringLiteral(QUELTO_BINARY), {});
        QVERIFY(m_app->waitForStarted());
        // Until it owns the notes, a second start would take over instead of handing on.
        QTest::qWait(1500);
    }

    void toggle()
    {
        // Until the first instance listens, a second one would take over instead.
        for (int attempt = 0; attempt < 50; ++attempt) {
            QProcess p;
            p.setProcessEnvironment(m_env);
            p.start(QStringLiteral(QUELTO_BINARY), {"--toggle"});
            QVERIFY(p.waitForFinished(10000));
            if (p.exitCode() == 0)
                return;
            QTest::qWait(100);
        }
        QFAIL("quelto --toggle never reached the running instance");
    }

    QStringList x11(const QString& command, const QStringList& args) const
    {
        const QString out = run("xdotool", QStringList{command} + args);
        return out.isEmpty() ? QStringList() : out.split('\n');
    }

    QString run(const QString& program, const QStringList& args) const
    {
        QProcess p;
        p.setProcessEnvironment(m_weston.clientEnvironment());
        p.start(program, args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    WestonServer m_weston;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QProcess> m_app;
    QProcessEnvironment m_env;
    QByteArray m_log;
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
