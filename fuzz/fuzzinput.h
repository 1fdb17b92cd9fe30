// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns fuzzer bytes into UTF-16 text as the editor holds it: pairs of bytes become
// code units, so lone surrogates, NULs and odd line ends all occur.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quelto::fuzz {

inline QString textFrom(const std::uint8_t* data, std::size_t size)
{
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, (size / 2) * 2);
    return text;
}

} // namespace quelto::fuzz
