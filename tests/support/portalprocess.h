// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs tests/support/portalservice.py on the test's session bus: a desktop portal that
// prints the calls it gets and presses the bound shortcut when told.

#include <QProcess>
#include <QStringList>
#include <QTest>

namespace quelto::testing {

class PortalProcess {
public:
    // Options as portalservice takes them (--refuse, --no-shortcuts, --bind-as TEXT).
    explicit PortalProcess(const QStringList& options = {})
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(QUELTO_PORTAL_SERVICE), options);
        m_ready = m_process.waitForReadyRead(5000) && m_process.readLine().trimmed() == "ready";
    }
    ~PortalProcess()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }
    bool ready() const { return m_ready; }

    // Every call the portal has had so far, one a line.
    QStringList calls()
    {
        while (m_process.canReadLine() || m_process.waitForReadyRead(20)) {
            while (m_process.canReadLine())
                m_calls << QString::fromUtf8(m_process.readLine().trimmed());
        }
        return m_calls;
    }
    void send(const QByteArray& command)
    {
        m_process.write(command + '\n');
        m_process.waitForBytesWritten(1000);
    }

private:
    QProcess m_process;
    QStringList m_calls;
    bool m_ready = false;
};

} // namespace quelto::testing
