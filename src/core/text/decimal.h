// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A decimal floating-point number: up to 38 significant digits, exponent -128 to 127,
// and a not-a-number state. Every operation rounds its exact result to 38 digits
// (halves away from zero), so sums of short decimals are exact and nothing passes
// through binary floating point. A result outside the exponent range is NaN.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelto {

class Decimal {
public:
    static constexpr int kDigits = 38;
    static constexpr int kMinExponent = -128;
    static constexpr int kMaxExponent = 127;

    Decimal() = default; // zero
    static Decimal nan();
    static Decimal fromInt(std::int64_t value);
    // Reads a plain decimal text: optional "-", ASCII digits, at most one ".".
    // More than 38 digits are rounded; an out-of-range value reads as NaN.
    static std::optional<Decimal> fromString(std::string_view text);

    bool isNaN() const { return m_nan; }
    bool isZero() const { return !m_nan && m_mantissa == 0; }
    bool isNegative() const { return m_negative; }
    bool isInteger() const;
    // The value as an integer when it is whole and within ±limit.
    std::optional<std::int64_t> toSmallInt(std::int64_t limit) const;

    // Plain decimal text without exponent ("-1234.5", "0.001"); "NaN" for NaN.
    std::string toString() const;

    Decimal operator-() const;
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    // Division by zero gives NaN.
    friend Decimal operator/(const Decimal& a, const Decimal& b);

    // Values are kept in one canonical form, so equal values compare equal; NaN equals
    // NaN here (a record comparison, not an arithmetic one).
    friend bool operator==(const Decimal&, const Decimal&) = default;
    friend std::size_t qHash(const Decimal& d, std::size_t seed = 0) noexcept
    {
        const auto low = static_cast<std::uint64_t>(d.m_mantissa);
        const auto high = static_cast<std::uint64_t>(d.m_mantissa >> 64);
        return seed ^ (low * 0x9E3779B97F4A7C15ull) ^ (high * 0xC2B2AE3D27D4EB4Full) ^
               (std::size_t(d.m_exponent) << 2) ^ std::size_t(d.m_negative) ^
               (std::size_t(d.m_nan) << 1);
    }

    __extension__ typedef unsigned __int128 Mantissa; // 10^38 fits below 2^128

private:
    bool m_nan = false;
    bool m_negative = false;
    Mantissa m_mantissa = 0;
    int m_exponent = 0;

    friend struct DecimalOps;
};

} // namespace quelto
