#pragma once
// Gives a test a real X server: the one in DISPLAY, or an Xvfb started for the test
// and stopped when the object ends.

#include <QByteArray>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>

#include <memory>

namespace quelto::testing {

// ctest reports this exit code as a skipped test.
inline constexpr int kSkipped = 77;

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
        for (int display = 87; display < 120; ++display) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
                continue;
            m_process = std::make_unique<QProcess>();
            m_process->setProgram(xvfb);
            m_process->setArguments({QStringLiteral(":%1").arg(display), "-screen", "0",
                                     "1280x800x24", "-nolisten", "tcp"});
            m_process->start();
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
            for (int waited = 0; waited < 100 && m_process->state() != QProcess::NotRunning;
                 ++waited) {
                if (QFileInfo::exists(socket)) {
                    qputenv("DISPLAY", QByteArray(":") + QByteArray::number(display));
                    return true;
                }
                QThread::msleep(50);
            }
            m_process->kill();
            m_process->waitForFinished();
        }
        *why = QStringLiteral("Xvfb did not start");
        return false;
    }

    ~XvfbServer()
    {
        if (m_process) {
            m_process->terminate();
            m_process->waitForFinished(3000);
        }
    }

private:
    std::unique_ptr<QProcess> m_process;
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
