// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The resident memory of this process, as the benchmarks report it.

#include <QByteArray>
#include <QFile>

namespace quelto::bench {

inline double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

} // namespace quelto::bench
