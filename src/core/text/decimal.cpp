// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/decimal.h"

#include <boost/multiprecision/cpp_int.hpp>

#include <algorithm>

namespace quelto {

// Intermediate results: two 38-digit mantissas aligned by up to 39 places still fit
// below 10^77 < 2^256.
using Wide = boost::multiprecision::uint256_t;

namespace {

const Wide& powerOfTen(int n)
{
    static const auto table = [] {
        std::array<Wide, 78> t{};
        t[0] = 1;
        for (std::size_t i = 1; i < t.size(); ++i)
            t[i] = t[i - 1] * 10;
        return t;
    }();
    return table[static_cast<std::size_t>(n)];
}

int digitCount(const Wide& value)
{
    // Binary search over the powers of ten: comparisons of 256-bit values are not free.
    int low = 1;
    int high = 78;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (value >= powerOfTen(mid))
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

using Narrow = Decimal::Mantissa;

} // namespace

struct DecimalOps {
    // The canonical decimal nearest to (-1)^negative × mantissa × 10^exponent.
    static Decimal make(bool negative, Wide mantissa, std::int64_t exponent)
    {
        if (mantissa == 0)
            return Decimal();
        // Most results of typed arithmetic already fit: finish them in native 128 bits.
        if (mantissa < powerOfTen(Decimal::kDigits) && exponent >= Decimal::kMinExponent &&
            exponent <= Decimal::kMaxExponent) {
            auto m = static_cast<Narrow>(mantissa);
            int e = static_cast<int>(exponent);
            while (e < Decimal::kMaxExponent && m % 10 == 0) {
                m /= 10;
                ++e;
            }
            Decimal d;
            d.m_negative = negative;
            d.m_mantissa = m;
            d.m_exponent = e;
            return d;
        }
        auto dropDigits = [&](int k) {
            if (k <= 0)
                return;
            if (k > 77) {
                mantissa = 0;
                return;
            }
            const Wide& divisor = powerOfTen(k);
            Wide remainder;
            boost::multiprecision::divide_qr(mantissa, divisor, mantissa, remainder);
            if (remainder * 2 >= divisor) // halves away from zero
                ++mantissa;
            exponent += k;
        };
        dropDigits(digitCount(mantissa) - Decimal::kDigits);
        if (mantissa == powerOfTen(Decimal::kDigits)) { // rounding carried into a 39th digit
            mantissa /= 10;
            ++exponent;
        }
        if (exponent < Decimal::kMinExponent)
            dropDigits(
                static_cast<int>(std::min<std::int64_t>(Decimal::kMinExponent - exponent, 78)));
        if (mantissa == 0)
            return Decimal::nan(); // underflow: too small to represent
        while (exponent < Decimal::kMaxExponent && mantissa % 10 == 0) {
            mantissa /= 10;
            ++exponent;
        }
        while (exponent > Decimal::kMaxExponent && mantissa * 10 < powerOfTen(Decimal::kDigits)) {
            mantissa *= 10;
            --exponent;
        }
        if (exponent > Decimal::kMaxExponent)
            return Decimal::nan();
        Decimal d;
        d.m_negative = negative;
        d.m_mantissa = static_cast<Decimal::Mantissa>(mantissa);
        d.m_exponent = static_cast<int>(exponent);
        return d;
    }

    static Wide wide(const Decimal& d) { return Wide(d.m_mantissa); }

    // Mantissa scaled up to the full 38 digits, with the matching exponent.
    static std::pair<Wide, std::int64_t> leftAligned(const Decimal& d)
    {
        Wide m = wide(d);
        const int shift = Decimal::kDigits - digitCount(m);
        return {m * powerOfTen(shift), std::int64_t(d.m_exponent) - shift};
    }

    static int narrowDigits(Narrow m)
    {
        int n = 1;
        for (Narrow p = 10; n < Decimal::kDigits && m >= p; p *= 10)
            ++n;
        return n;
    }

    // Sums of short decimals, the usual case, line up within 38 digits: no 256-bit work.
    static std::optional<Decimal> addNarrow(const Decimal& a, const Decimal& b, bool bNegative)
    {
        const Decimal& high = a.m_exponent >= b.m_exponent ? a : b;
        const Decimal& low = a.m_exponent >= b.m_exponent ? b : a;
        const bool highNegative = &high == &a ? a.m_negative : bNegative;
        const bool lowNegative = &high == &a ? bNegative : a.m_negative;
        const int shift = high.m_exponent - low.m_exponent;
        if (shift > Decimal::kDigits - narrowDigits(high.m_mantissa))
            return std::nullopt;
        Narrow scaled = high.m_mantissa;
        for (int i = 0; i < shift; ++i)
            scaled *= 10;
        // Both below 10^38, so the sum stays below 2^128.
        if (highNegative == lowNegative)
            return make(highNegative, Wide(scaled + low.m_mantissa), low.m_exponent);
        if (scaled >= low.m_mantissa)
            return make(highNegative, Wide(scaled - low.m_mantissa), low.m_exponent);
        return make(lowNegative, Wide(low.m_mantissa - scaled), low.m_exponent);
    }

    static Decimal add(const Decimal& a, bool negateB, const Decimal& b)
    {
        if (a.m_nan || b.m_nan)
            return Decimal::nan();
        const bool bNegative = b.m_negative != negateB;
        if (b.isZero())
            return a;
        if (a.isZero())
            return make(bNegative, wide(b), b.m_exponent);
        if (const std::optional<Decimal> sum = addNarrow(a, b, bNegative))
            return *sum;
        auto [ma, ea] = leftAligned(a);
        auto [mb, eb] = leftAligned(b);
        bool na = a.m_negative;
        bool nb = bNegative;
        if (ea < eb) {
            std::swap(ma, mb);
            std::swap(ea, eb);
            std::swap(na, nb);
        }
        // The smaller operand is below a hundredth of the larger one's last digit.
        if (ea - eb > Decimal::kDigits + 1)
            return make(na, ma, ea);
        ma *= powerOfTen(static_cast<int>(ea - eb));
        if (na == nb)
            return make(na, ma + mb, eb);
        if (ma >= mb)
            return make(na, ma - mb, eb);
        return make(nb, mb - ma, eb);
    }
};

Decimal Decimal::nan()
{
    Decimal d;
    d.m_nan = true;
    return d;
}

Decimal Decimal::fromInt(std::int64_t value)
{
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t(0) - static_cast<std::uint64_t>(value) : std::uint64_t(value);
    return DecimalOps::make(negative, Wide(magnitude), 0);
}

std::optional<Decimal> Decimal::fromString(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    Wide mantissa = 0;
    std::int64_t exponent = 0;
    int kept = 0;
    bool seenPoint = false;
    bool seenDigit = false;
    bool roundUp = false;
    bool droppedAny = false;
    for (char c : text) {
        if (c == '.') {
            if (seenPoint)
                return std::nullopt;
            seenPoint = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        seenDigit = true;
        const int digit = c - '0';
        if (kept < kDigits) {
            if (kept > 0 || digit != 0) {
                mantissa = mantissa * 10 + digit;
                ++kept;
            }
            if (seenPoint)
                --exponent;
        } else {
            if (!droppedAny)
                roundUp = digit >= 5;
            droppedAny = true;
            if (!seenPoint)
                ++exponent;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    if (roundUp)
        ++mantissa;
    return DecimalOps::make(negative, mantissa, exponent);
}

bool Decimal::isInteger() const
{
    return !m_nan && (m_mantissa == 0 || m_exponent >= 0);
}

std::optional<std::int64_t> Decimal::toSmallInt(std::int64_t limit) const
{
    if (!isInteger() || m_exponent > 18)
        return std::nullopt;
    Wide value = DecimalOps::wide(*this) * powerOfTen(m_exponent);
    if (value > Wide(limit))
        return std::nullopt;
    const auto magnitude = static_cast<std::int64_t>(value);
    return m_negative ? -magnitude : magnitude;
}

std::string Decimal::toString() const
{
    if (m_nan)
        return "NaN";
    std::string digits = DecimalOps::wide(*this).str();
    if (m_exponent >= 0) {
        if (m_mantissa != 0)
            digits.append(static_cast<std::size_t>(m_exponent), '0');
    } else {
        const auto fraction = static_cast<std::size_t>(-m_exponent);
        if (digits.size() <= fraction)
            digits.insert(0, fraction - digits.size() + 1, '0');
        digits.insert(digits.size() - fraction, 1, '.');
    }
    return (m_negative && m_mantissa != 0 ? "-" : "") + digits;
}

Decimal Decimal::operator-() const
{
    Decimal d = *this;
    if (!d.m_nan && d.m_mantissa != 0)
        d.m_negative = !d.m_negative;
    return d;
}

Decimal operator+(const Decimal& a, const Decimal& b)
{
    return DecimalOps::add(a, false, b);
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    return DecimalOps::add(a, true, b);
}

Decimal operator*(const Decimal& a, const Decimal& b)
{
    if (a.m_nan || b.m_nan)
        return Decimal::nan();
    return DecimalOps::make(a.m_negative != b.m_negative, DecimalOps::wide(a) * DecimalOps::wide(b),
                            std::int64_t(a.m_exponent) + b.m_exponent);
}

Decimal operator/(const Decimal& a, const Decimal& b)
{
    if (a.m_nan || b.m_nan || b.isZero())
        return Decimal::nan();
    if (a.isZero())
        return Decimal();
    // 39 extra digits in the quotient leave enough to round to 38.
    constexpr int kExtra = Decimal::kDigits + 1;
    auto [ma, ea] = DecimalOps::leftAligned(a);
    const Wide quotient = ma * powerOfTen(kExtra) / DecimalOps::wide(b);
    return DecimalOps::make(a.m_negative != b.m_negative, quotient, ea - kExtra - b.m_exponent);
}

} // namespace quelto
