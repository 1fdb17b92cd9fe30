// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// When a line is shown plain: a line over kLongLine characters gets no styling, task
// boxes or "=" results, as code editors do, because finding its runs and laying it
// out again on every key would outgrow typing. Every view asks here.

#include <QStringView>

namespace quelto {

// Lines longer than this, in UTF-16 code units, are shown plain.
constexpr int kLongLine = 10000;

constexpr bool isShownPlain(qsizetype lineLength)
{
    return lineLength > kLongLine;
}

constexpr bool isShownPlain(QStringView line)
{
    return isShownPlain(line.size());
}

} // namespace quelto
