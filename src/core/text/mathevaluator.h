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
// Results of the whole note, by 0-based line number (lines split at LF).
QMap<int, Decimal> results(const QString& text, const icu::Locale& locale);
QString formatResult(const Decimal& value, const icu::Locale& locale);

} // namespace quelto::MathEvaluator
