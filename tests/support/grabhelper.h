// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Another X client holding a key combination (X11 key code, X modifier mask) for as
// long as the object lives: tests/support/grabhelper.cpp.

#include <QProcess>

namespace quelto::testing {

class OtherClient {
public:
    OtherClient(int keycode, int modifiers)
    {
        m_process.start(QStringLiteral(QUELTO_GRAB_HELPER),
                        {QString::number(keycode), QString::number(modifiers)});
        m_ready = m_process.waitForReadyRead(5000) && m_process.readLine().trimmed() == "ready";
    }
    ~OtherClient()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(5000);
    }
    bool ready() const { return m_ready; }

private:
    QProcess m_process;
    bool m_ready = false;
};

} // namespace quelto::testing
