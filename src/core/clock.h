// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The current time as the parts that stamp notes or throttle messages read it, so
// tests can set it.

#include <QDateTime>

#include <functional>

namespace quelto {

using Clock = std::function<QDateTime()>;

inline QDateTime systemNow()
{
    return QDateTime::currentDateTimeUtc();
}

} // namespace quelto
