// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A stretch of text as (location, length) in UTF-16 code units, the unit QString counts.

#include <QtGlobal>

namespace quelto {

struct TextRange {
    qsizetype location = 0;
    qsizetype length = 0;

    qsizetype end() const { return location + length; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

} // namespace quelto
