// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Arithmetic lines: a line whose first character other than spaces and tabs is "="
// is evaluated with decimal arithmetic; "= sum" and "= total" show the total of the
// results above them in their block. Results are formatted for the user's locale.

#include "core/text/decimal.h"

#include <QMap>
#include <QString>
#include <QStringView>

#include <unicode/locid.h>

#include <optional>

namespace quelto::MathEvaluator {

// Deeper nesting than this has no value instead of exhausting the stack.
inline constexpr int kMaxNesting = 200;
// Largest exponent magnitude "^" accepts.
inline constexpr int kMaxPower = 64;

bool isMathLine(QStringView line);
// The text after the "=", or nothing when the line is no arithmetic line.
std::optional<QStringView> mathExpression(QStringView line);
bool isSumKeyword(QStringView expression);
std::optional<Decimal> evaluate(QStringView expression, const icu::Locale& locale);
// What one line contributes to the results: a blank line ends a block, an arithmetic
// line has its value (none when it does not evaluate), a "sum" or "total" line shows
// the total of the values above it since the last blank line or total.
struct Line {
    enum class Kind { Other, Blank, Value, Sum };
    Kind kind = Kind::Other;
    std::optional<Decimal> value;

    friend bool operator==(const Line&, const Line&) = default;
};
Line classifyLine(QStringView line, const icu::Locale& locale);

// Adds up a block's values line by line; a total is shown only when it is a number.
class Totals {
public:
    // The value to show for `line`: its own value, or the total for a Sum line.
    std::optional<Decimal> add(const Line& line);

private:
    std::optional<Decimal> m_total;
};

// Results of the whole note, by 0-based line number (lines split at LF).
QMap<int, Decimal> results(const QString& text, const icu::Locale& locale);
QString formatResult(const Decimal& value, const icu::Locale& locale);

} // namespace quelto::MathEvaluator
