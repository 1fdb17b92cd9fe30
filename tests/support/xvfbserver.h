// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Gives a test a real X server: the one in DISPLAY, or an Xvfb started for the test
// and stopped when the object ends. Real desktops have a window manager, which changes
// stacking, focus and alerts, so a started Xvfb gets openbox too: QUELTO_TEST_WM=openbox
// asks for it (the test is skipped without it), =none leaves the server bare, and
// unset means openbox when it is installed.

#include <QByteArray>
#include <QProcess>

#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>

#include <cstdio>

#include <memory>

namespace quelto::testing {

// ctest reports this exit code as a skipped test.
inline constexpr int kSkipped = 77;
// How long a window manager gets to finish starting once it has announced itself.
inline constexpr int kSettleMs = 300;

class XvfbServer {
public:
    // Must run before the QGuiApplication exists. Returns false (with a reason) when no
    // X server could be had.
    bool ensure(QString* why)
    {
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            return true;
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            *why = QStringLiteral("Xvfb is not installed (apt-get install xvfb)");
            return false;
        }
        // The server picks a free display itself and names it once it accepts clients.
        // Without -noreset it resets whenever its last client leaves, which without a
        // window manager is every time the app under test quits, and turns away a client
        // that connects meanwhile.
        m_process = std::make_unique<QProcess>();
        endsWithTest(*m_process);
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process->start(xvfb, {"-displayfd", "1", "-noreset", "-screen", "0", "1280x800x24",
                                "-nolisten", "tcp"});
        if (m_process->waitForReadyRead(10000)) {
            qputenv("DISPLAY", ':' + m_process->readLine().trimmed());
            return startWindowManager(why);
        }
        *why = QStringLiteral("Xvfb did not start");
        return false;
    }

    ~XvfbServer()
    {
        if (m_windowManager) {
            m_windowManager->terminate();
            m_windowManager->waitForFinished(3000);
        }
        if (m_process) {
            m_process->terminate();
            m_process->waitForFinished(3000);
        }
    }

private:
    bool startWindowManager(QString* why)
    {
        const QByteArray wanted = qgetenv("QUELTO_TEST_WM");
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (wanted == "none" || (wanted.isEmpty() && openbox.isEmpty()))
            return true;
        if (openbox.isEmpty()) {
            *why = QStringLiteral("openbox is not installed (apt-get install openbox)");
            return false;
        }
        // It gives up when the new server does not answer yet: start it again then.
        for (int attempt = 0; attempt < 5; ++attempt) {
            m_windowManager = std::make_unique<QProcess>();
            endsWithTest(*m_windowManager);
            m_windowManager->setProgram(openbox);
            m_windowManager->setArguments({QStringLiteral("--sm-disable")});
            m_windowManager->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            m_windowManager->start();
            m_windowManager->waitForStarted();
            // Ready once it has announced itself on the root window (EWMH).
            for (int waited = 0; waited < 100; ++waited) {
                QProcess check;
                check.start(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"});
                check.waitForFinished(2000);
                if (check.readAllStandardOutput().contains("window id")) {
                    // It announces itself before it has finished starting; a window
                    // shown in between can miss the focus it asked for.
                    QThread::msleep(kSettleMs);
                    return true;
                }
                if (m_windowManager->waitForFinished(50))
                    break;
            }
        }
        *why = QStringLiteral("openbox did not start");
        return false;
    }

    // A test that crashes runs no destructor: the server and the window manager go with
    // it all the same, instead of holding ctest's output open until its timeout.
    static void endsWithTest(QProcess& process)
    {
        process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }

    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<QProcess> m_windowManager;
};

} // namespace quelto::testing

// A test `main` for tests that need a real X server: the test is reported as skipped
// (exit 77, ctest's SKIP_RETURN_CODE) when none can be had; Qt then uses xcb.
#define QUELTO_X11_TEST_MAIN(TestClass, Application)                                               \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        quelto::testing::XvfbServer server;                                                        \
        QString why;                                                                               \
        if (!server.ensure(&why)) {                                                                \
            std::printf("SKIP: no X server for %s: %s\n", #TestClass, qPrintable(why));            \
            return quelto::testing::kSkipped;                                                      \
        }                                                                                          \
        qputenv("QT_QPA_PLATFORM", "xcb");                                                         \
        Application app(argc, argv);                                                               \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
