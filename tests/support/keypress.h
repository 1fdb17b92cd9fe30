// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Real key presses on the X server, through its grabs and focus, as xdotool names
// them ("ctrl+shift+j").

#include <QProcess>
#include <QTest>

namespace quelto::testing {

inline void press(const QString& keys)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    QVERIFY(xdotool.waitForFinished(5000));
    QCOMPARE(xdotool.exitCode(), 0);
}

} // namespace quelto::testing
