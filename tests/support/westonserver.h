// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Gives a test a Wayland session: weston on its headless backend, with Xwayland for
// X11 clients, stopped when the object ends.

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace quelto::testing {

class WestonServer {
public:
    // Returns false (with a reason) when weston or Xwayland is missing or does not start.
    bool start(QString* why)
    {
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (weston.isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("Xwayland")).isEmpty()) {
            *why = QStringLiteral("weston or Xwayland is not installed (apt-get install weston "
                                  "xwayland)");
            return false;
        }
        m_runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (m_runtime.isEmpty()) {
            m_ownRuntime = std::make_unique<QTemporaryDir>();
            m_runtime = m_ownRuntime->path();
        }
        m_socket = QStringLiteral("quelto-test-%1").arg(QCoreApplication::applicationPid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("DISPLAY"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(weston,
                        {"--backend=headless-backend.so", "--use-pixman", "--xwayland",
                         "--width=1280", "--height=800", "--idle-time=0", "--socket=" + m_socket});
        // Ready once Xwayland's display is announced (the server itself starts with the
        // first X11 client).
        static const QRegularExpression announced(
            QStringLiteral("xserver listening on display (:\\d+)"));
        QByteArray log;
        while (m_process.waitForReadyRead(10000)) {
            log += m_process.readAll();
            const QRegularExpressionMatch match = announced.match(QString::fromUtf8(log));
            if (match.hasMatch()) {
                m_x11Display = match.captured(1);
                return true;
            }
        }
        *why = QStringLiteral("weston did not start: ") + QString::fromUtf8(log.right(400));
        return false;
    }

    ~WestonServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
        }
    }

    // The environment of a client in this session (a desktop's XDG_SESSION_TYPE too).
    QProcessEnvironment clientEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
        env.insert(QStringLiteral("DISPLAY"), m_x11Display);
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return env;
    }

private:
    QProcess m_process;
    std::unique_ptr<QTemporaryDir> m_ownRuntime;
    QString m_runtime;
    QString m_socket;
    QString m_x11Display;
};

} // namespace quelto::testing
