// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/mathevaluator.h"

#include "core/text/icutext.h"

#include <QHash>

#include <unicode/dcfmtsym.h>
#include <unicode/numberformatter.h>
#include <unicode/uchar.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quelto::MathEvaluator {

namespace {

using icutext::trimHorizontal;

struct Separators {
    char16_t decimal = u'.';
    char16_t grouping = u',';
};

const Separators& separatorsFor(const icu::Locale& locale)
{
    thread_local std::map<std::string, Separators> cache;
    const std::string key = locale.getName();
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    Separators s;
    UErrorCode status = U_ZERO_ERROR;
    const icu::DecimalFormatSymbols symbols(locale, status);
    if (U_SUCCESS(status)) {
        const icu::UnicodeString& sep =
            symbols.getConstSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol);
        if (!sep.isEmpty())
            s.decimal = sep.charAt(0);
    }
    // Grouping for reading is tied to the decimal separator, not the locale's own.
    s.grouping = s.decimal == u',' ? u'.' : u',';
    return cache.emplace(key, s).first->second;
}

bool isNumeric(char32_t c)
{
    return QChar::isNumber(c);
}

struct Token {
    enum Kind { Number, Op, LParen, RParen, Percent, Of } kind;
    Decimal value;
    char16_t op = 0;
};

// Code point at i (a lone surrogate stands for itself) and its length in UTF-16 units.
std::pair<char32_t, qsizetype> codePointAt(QStringView s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(c, s[i + 1].unicode()), 2};
    return {c, 1};
}

// Collected number characters into a plain number text with "." as the point.
std::optional<std::string> normaliseNumber(const std::u32string& chars, const Separators& seps)
{
    std::string out;
    bool hasPoint = false;
    auto addPoint = [&] {
        if (hasPoint)
            return false;
        hasPoint = true;
        out += '.';
        return true;
    };
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (c == seps.decimal) {
            if (!addPoint())
                return std::nullopt;
        } else if (c == seps.grouping) {
            std::size_t digits = 0;
            while (i + 1 + digits < chars.size() && isNumeric(chars[i + 1 + digits]))
                ++digits;
            const bool followedByGroup =
                digits == 3 && (i + 4 == chars.size() || !isNumeric(chars[i + 4]));
            if (!followedByGroup && !addPoint())
                return std::nullopt;
        } else if (c >= U'0' && c <= U'9') {
            out += static_cast<char>(c);
        } else {
            return std::nullopt; // numeric, but not a digit this reader knows
        }
    }
    return out;
}

std::optional<std::vector<Token>> tokenize(QStringView expr, const Separators& seps)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = expr.size();
    while (i < n) {
        const auto [c, width] = codePointAt(expr, i);
        const bool startsNumber = isNumeric(c) || (c == seps.decimal && i + 1 < n &&
                                                   isNumeric(codePointAt(expr, i + 1).first));
        if (c == u' ' || c == u'\t') {
            i += width;
        } else if (startsNumber) {
            std::u32string chars;
            while (i < n) {
                const auto [d, w] = codePointAt(expr, i);
                if (!(isNumeric(d) || d == seps.decimal || d == seps.grouping || d == u'_'))
                    break;
                if (d != u'_')
                    chars += d;
                i += w;
            }
            const std::optional<std::string> plain = normaliseNumber(chars, seps);
            if (!plain)
                return std::nullopt;
            std::optional<Decimal> value = Decimal::fromString(*plain);
            if (!value || value->isNaN())
                return std::nullopt;
            if (i < n) {
                const char16_t suffix = expr[i].unicode();
                if (suffix == u'k' || suffix == u'K') {
                    *value = *value * Decimal::fromInt(1000);
                    ++i;
                } else if (suffix == u'm' || suffix == u'M') {
                    *value = *value * Decimal::fromInt(1000000);
                    ++i;
                }
            }
            tokens.push_back({Token::Number, *value, 0});
        } else if (c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'^') {
            tokens.push_back({Token::Op, {}, static_cast<char16_t>(c)});
            ++i;
        } else if (c == U'×' || c == U'÷') {
            tokens.push_back({Token::Op, {}, c == U'×' ? u'*' : u'/'});
            ++i;
        } else if (c == u'(' || c == u')' || c == u'%') {
            tokens.push_back({c == u'('   ? Token::LParen
                              : c == u')' ? Token::RParen
                                          : Token::Percent,
                              {},
                              0});
            ++i;
        } else if ((c == u'o' || c == u'O') && i + 1 < n &&
                   (expr[i + 1] == u'f' || expr[i + 1] == u'F') &&
                   (i + 2 == n || expr[i + 2] == u' ')) {
            tokens.push_back({Token::Of, {}, 0});
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

struct Factor {
    Decimal value;
    bool isPercent = false;
};

// Recursive descent; any failure leaves `failed` set and the result meaningless.
class Parser {
public:
    explicit Parser(const std::vector<Token>& tokens)
        : m_tokens(tokens)
    {}

    std::optional<Decimal> parseAll()
    {
        const std::optional<Factor> f = expression();
        if (!f || m_pos != m_tokens.size())
            return std::nullopt;
        return f->value;
    }

private:
    const Token* peek() const { return m_pos < m_tokens.size() ? &m_tokens[m_pos] : nullptr; }
    bool peekOp(char16_t op) const
    {
        const Token* t = peek();
        return t && t->kind == Token::Op && t->op == op;
    }

    // One level per parenthesis, prefix minus or exponent: each is one more trip
    // through the recursion, so the stack stays bounded by kMaxNesting.
    struct DepthGuard {
        explicit DepthGuard(int& d)
            : depth(++d)
        {}
        ~DepthGuard() { --depth; }
        bool tooDeep() const { return depth > kMaxNesting; }
        int& depth;
    };

    std::optional<Factor> expression()
    {
        std::optional<Factor> left = term();
        while (left && (peekOp(u'+') || peekOp(u'-'))) {
            const bool plus = peek()->op == u'+';
            ++m_pos;
            std::optional<Factor> right = term();
            if (!right)
                return std::nullopt;
            // "200 + 10%" adds ten percent of 200.
            const Decimal r = right->isPercent ? left->value * right->value : right->value;
            left = Factor{plus ? left->value + r : left->value - r, false};
        }
        return left;
    }

    std::optional<Factor> term()
    {
        std::optional<Factor> left = unary();
        while (left) {
            const Token* t = peek();
            const bool times =
                t && ((t->kind == Token::Op && t->op == u'*') || t->kind == Token::Of);
            const bool divide = t && t->kind == Token::Op && t->op == u'/';
            if (!times && !divide)
                break;
            ++m_pos;
            std::optional<Factor> right = unary();
            if (!right || (divide && right->value.isZero()))
                return std::nullopt;
            left = Factor{times ? left->value * right->value : left->value / right->value, false};
        }
        return left;
    }

    std::optional<Factor> unary()
    {
        if (peekOp(u'-')) {
            ++m_pos;
            const DepthGuard guard(m_depth);
            if (guard.tooDeep())
                return std::nullopt;
            std::optional<Factor> inner = unary();
            if (!inner)
                return std::nullopt;
            return Factor{-inner->value, inner->isPercent};
        }
        std::optional<Factor> base = primary();
        if (!base || !peekOp(u'^'))
            return base;
        ++m_pos;
        const DepthGuard guard(m_depth);
        if (guard.tooDeep())
            return std::nullopt;
        const std::optional<Factor> exponent = unary();
        if (!exponent)
            return std::nullopt;
        const std::optional<std::int64_t> n = exponent->value.toSmallInt(kMaxPower);
        if (!n)
            return std::nullopt;
        Decimal product = Decimal::fromInt(1);
        for (std::int64_t k = 0; k < (*n < 0 ? -*n : *n); ++k)
            product = product * base->value;
        if (*n < 0) {
            if (product.isZero())
                return std::nullopt;
            product = Decimal::fromInt(1) / product;
        }
        return Factor{product, false};
    }

    std::optional<Factor> primary()
    {
        const Token* t = peek();
        if (!t)
            return std::nullopt;
        std::optional<Factor> result;
        if (t->kind == Token::Number) {
            ++m_pos;
            result = Factor{t->value, false};
        } else if (t->kind == Token::LParen) {
            ++m_pos;
            const DepthGuard guard(m_depth);
            if (guard.tooDeep())
                return std::nullopt;
            result = expression();
            if (!result || !peek() || peek()->kind != Token::RParen)
                return std::nullopt;
            ++m_pos;
        } else {
            return std::nullopt;
        }
        if (peek() && peek()->kind == Token::Percent) {
            ++m_pos;
            result = Factor{result->value / Decimal::fromInt(100), true};
        }
        return result;
    }

    const std::vector<Token>& m_tokens;
    std::size_t m_pos = 0;
    int m_depth = 0;
};

std::optional<Decimal> evaluateWith(QStringView expression, const Separators& seps)
{
    if (isSumKeyword(expression))
        return std::nullopt;
    const std::optional<std::vector<Token>> tokens = tokenize(expression, seps);
    if (!tokens || tokens->empty())
        return std::nullopt;
    const std::optional<Decimal> value = Parser(*tokens).parseAll();
    if (!value || value->isNaN())
        return std::nullopt;
    return value;
}

} // namespace

bool isMathLine(QStringView line)
{
    return mathExpression(line).has_value();
}

std::optional<QStringView> mathExpression(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u' ' || line[i] == u'\t')
            continue;
        if (line[i] == u'=')
            return line.mid(i + 1);
        return std::nullopt;
    }
    return std::nullopt;
}

bool isSumKeyword(QStringView expression)
{
    const QStringView word = trimHorizontal(expression);
    // Lower-cased, not case-folded: folding also turns "ſ" (long s) into "s".
    if (word.size() > 5)
        return false;
    const QString lower = word.toString().toLower();
    return lower == u"sum" || lower == u"total";
}

std::optional<Decimal> evaluate(QStringView expression, const icu::Locale& locale)
{
    return evaluateWith(expression, separatorsFor(locale));
}

namespace {

// Typing changes one line at a time while every line is evaluated again, so values
// are remembered by expression (and separators). The cache is dropped when it grows
// past kCachedExpressions, which bounds it however much is typed.
constexpr qsizetype kCachedExpressions = 20000;

std::optional<Decimal> evaluateCached(QStringView expression, const Separators& seps)
{
    thread_local QHash<QString, std::optional<Decimal>> cache;
    thread_local Separators cachedFor;
    if (cachedFor.decimal != seps.decimal || cache.size() >= kCachedExpressions) {
        cache.clear();
        cachedFor = seps;
    }
    // Looked up without copying the expression; only a new one is stored.
    const QString probe = QString::fromRawData(expression.data(), expression.size());
    if (const auto it = cache.constFind(probe); it != cache.constEnd())
        return *it;
    const std::optional<Decimal> value = evaluateWith(expression, seps);
    cache.insert(expression.toString(), value);
    return value;
}

} // namespace

Line classifyLine(QStringView line, const icu::Locale& locale)
{
    // A CR before the LF is part of the line end, not of the expression.
    if (line.endsWith(u'\r'))
        line.chop(1);
    if (trimHorizontal(line).isEmpty())
        return {Line::Kind::Blank, std::nullopt};
    const std::optional<QStringView> expression = mathExpression(line);
    if (!expression)
        return {};
    if (isSumKeyword(*expression))
        return {Line::Kind::Sum, std::nullopt};
    return {Line::Kind::Value, evaluateCached(*expression, separatorsFor(locale))};
}

std::optional<Decimal> Totals::add(const Line& line)
{
    switch (line.kind) {
    case Line::Kind::Blank:
        m_total.reset();
        return std::nullopt;
    case Line::Kind::Sum: {
        const std::optional<Decimal> total = std::exchange(m_total, std::nullopt);
        if (total && !total->isNaN())
            return total;
        return std::nullopt;
    }
    case Line::Kind::Value:
        if (line.value)
            m_total = m_total.value_or(Decimal()) + *line.value;
        return line.value;
    case Line::Kind::Other:
        break;
    }
    return std::nullopt;
}

QMap<int, Decimal> results(const QString& text, const icu::Locale& locale)
{
    QMap<int, Decimal> out;
    Totals totals;
    int number = 0;
    // Lines as '\n' ends them, and no other break: the keys of the result are these
    // line numbers, which is how a caller looks a result up.
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        if (const std::optional<Decimal> shown = totals.add(classifyLine(line, locale)))
            out.insert(number, *shown);
        ++number;
    }
    return out;
}

namespace {

QString formatUncached(const Decimal& value, const icu::Locale& locale)
{
    thread_local std::map<std::string, icu::number::LocalizedNumberFormatter> formatters;
    const std::string key = locale.getName();
    auto it = formatters.find(key);
    if (it == formatters.end()) {
        const auto formatter = icu::number::NumberFormatter::with()
                                   .precision(icu::number::Precision::minMaxFraction(0, 2))
                                   .roundingMode(UNUM_ROUND_HALFUP)
                                   .grouping(UNUM_GROUPING_ON_ALIGNED)
                                   .locale(locale);
        it = formatters.emplace(key, formatter).first;
    }
    const std::string plain = value.toString();
    UErrorCode status = U_ZERO_ERROR;
    const icu::number::FormattedNumber formatted = it->second.formatDecimal(
        icu::StringPiece(plain.data(), static_cast<int32_t>(plain.size())), status);
    const icu::UnicodeString text = formatted.toString(status);
    if (U_FAILURE(status) || text.isEmpty())
        return QString::fromStdString(plain);
    return icutext::toQString(text);
}

} // namespace

QString formatResult(const Decimal& value, const icu::Locale& locale)
{
    // Formatting through ICU is the slow part of showing results; the same values
    // come back on every keystroke.
    thread_local std::string shownLocale;
    thread_local QHash<Decimal, QString> shown;
    if (shownLocale != locale.getName() || shown.size() >= kCachedExpressions) {
        shown.clear();
        shownLocale = locale.getName();
    }
    if (const auto it = shown.constFind(value); it != shown.constEnd())
        return *it;
    const QString text = formatUncached(value, locale);
    shown.insert(value, text);
    return text;
}

} // namespace quelto::MathEvaluator
