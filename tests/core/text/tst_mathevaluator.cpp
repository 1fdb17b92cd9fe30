// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/mathevaluator.h"
#include "support/texttable.h"

#include <QTest>

using namespace quelto;
using quelto::testing::cell;

namespace {

// "none" when there is no value, else the exact decimal text.
QString valueText(const std::optional<Decimal>& value)
{
    return value ? QString::fromStdString(value->toString()) : QStringLiteral("none");
}

// "line: shown result" for every line with a result.
QString shownResults(const QString& text, const icu::Locale& locale)
{
    QStringList out;
    const QMap<int, Decimal> results = MathEvaluator::results(text, locale);
    for (auto it = results.begin(); it != results.end(); ++it)
        out << QStringLiteral("%1: %2").arg(it.key()).arg(MathEvaluator::formatResult(*it, locale));
    return out.join(QStringLiteral(", "));
}

struct Case {
    const char* name;
    const char* expression;
    const char* value;
    const char* locale = "en_US";
};

// One row per case; the locale reads the expression (and formats the value).
void addCases(std::initializer_list<Case> cases)
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("value");
    for (const Case& c : cases)
        QTest::newRow(c.name) << QString(c.locale) << QString::fromUtf8(c.expression)
                              << QString::fromUtf8(c.value);
}

} // namespace

class TestMathEvaluator : public QObject {
    Q_OBJECT

private slots:
    void evaluatesExpressions_data()
    {
        // clang-format off
        addCases({
            {"precedence", " 2 + 3 * 4", "14"},
            {"parentheses", "(2 + 3) * 4", "20"},
            {"power groups right", "2^3^2", "512"},
            {"negative power", "2^-2", "0.25"},
            {"unary minus binds looser than power", "-2^2", "-4"},
            {"fractional power", "2^0.5", "none"},
            {"power too large", "2^65", "none"},
            {"largest power", "2^64", "18446744073709551616"},
            {"zero to negative power", "0^-1", "none"},
            {"division by zero", "5 / 0", "none"},
            {"thousands suffix", "5k", "5000"},
            {"millions suffix", "1.5M", "1500000"},
            {"suffix must touch", "5 k", "none"},
            {"unknown operator", "3 x 4", "none"},
            {"times and divide signs", "6 × 2 ÷ 4", "3"},
            {"percent added", "200 + 10%", "220"},
            {"percent subtracted", "200 - 10%", "180"},
            {"percent first", "10% + 200", "200.1"},
            {"percent multiplied", "50 * 10%", "5"},
            {"percent of", "(10)% of 300", "30"},
            {"of after any value", "3 of 4", "12"},
            {"of needs a space", "3 of(4)", "none"},
            {"lone percent", "10%", "0.1"},
            {"negated percent keeps flag", "100 + -10%", "90"},
            {"underscores", "1_000", "1000"},
            {"unary plus", "+5", "none"},
            {"leftover token", "2 3", "none"},
            {"unbalanced close", "4)", "none"},
            {"missing close", "(4", "none"},
            {"empty", "  ", "none"},
            {"sum keyword", "sum", "none"},
            {"sum in expression", "sum + 1", "none"},
            {"leading decimal point", ".5 + 1", "1.5"},
            {"non-ASCII digits", "\u0663 + 1", "none"},
            {"digit outside the BMP", "\U0001D7D9", "none"},
            {"grouped", "1,234.5", "1234.5"},
            {"comma as point", "1,5", "1.5"},
            {"four after comma", "1,2345", "1.2345"},
            {"several groups", "1,234,567", "1234567"},
            {"two points", "1.5.2", "none"},
            {"short group then point", "1,23.4", "none"},
            {"german grouped", "1.234,5", "1234.5", "de_DE"},
            {"german point as decimal", "1.5", "1.5", "de_DE"},
            {"german comma", "2,5 * 2", "5", "de_DE"},
            // Hostile input has no value instead of exhausting time, memory or the stack.
            {"tower of powers", "9^64^64", "none"},
            {"product beyond the exponent range", "10^64 * 10^64 * 10^64", "none"},
            {"power below the exponent range", "0.001^64", "none"},
        });
        auto add = [](const char* name, const QString& expression, const QString& value) {
            QTest::newRow(name) << QStringLiteral("en_US") << expression << value;
        };
        add("400 digits", QString(400, u'9'), "none");
        add("400 decimals round", "1." + QString(400, u'1'), "1." + QString(37, u'1'));
        add("deep parentheses", QString(100000, u'(') + u'1' + QString(100000, u')'), "none");
        add("many minus signs", QString(100000, u'-') + u'1', "none");
        add("200 parentheses", QString(200, u'(') + u'1' + QString(200, u')'), "1");
        add("201 parentheses", QString(201, u'(') + u'1' + QString(201, u')'), "none");
        add("200 minus signs", QString(200, u'-') + u'1', "1");
        add("NUL and lone surrogates", QString::fromUtf16(u"\0\xD800 1 \xDC00", 7), "none");
        // Decimal arithmetic: exact, 38 significant digits, the half rounding away from zero.
        add("decimal sum is exact", "0.1 + 0.2 - 0.3", "0");
        add("trailing zero dropped", "1.10", "1.1");
        add("third", "1/3", "0." + QString(38, u'3'));
        add("two thirds round up", "2/3", "0." + QString(37, u'6') + u'7');
        add("third times three", "1/3*3", "0." + QString(38, u'9'));
        add("39 digits round to 38", "123456789012345678901234567890123456785", "123456789012345678901234567890123456790");
        add("one lost beside 10^41", "1" + QString(41, u'0') + " + 1", "1" + QString(41, u'0'));
        add("smallest step below one", "1 - 0." + QString(37, u'0') + u'1', "0." + QString(38, u'9'));
        // The exponent range ends at 127 above and -128 below; past it there is no value.
        add("largest exponent", "10^64 * 10^64 * 10^36", "1" + QString(164, u'0'));
        add("above the exponent range", "10^64 * 10^64 * 10^37", "none");
        add("smallest exponent", "1 / 10^64 / 10^64", "0." + QString(127, u'0') + u'1');
        add("below the exponent range", "1 / 10^64 / 10^64 / 10", "none");
        // clang-format on
    }

    void evaluatesExpressions()
    {
        const icu::Locale loc(cell("locale").toLatin1().constData());
        QCOMPARE(valueText(MathEvaluator::evaluate(cell("expression"), loc)), cell("value"));
    }

    void resultsShownPerLine_data()
    {
        // clang-format off
        addCases({
            {"sum of a block", "= 12.50\n= 7\n= 30\n= sum", "0: 12.5, 1: 7, 2: 30, 3: 49.5"},
            {"blank line starts a new block", "= 1\n= 2\n  \n= 10\n= total", "0: 1, 1: 2, 3: 10, 4: 10"},
            {"text line keeps the block", "= 1\nnote\n= 2\n=   SUM  ", "0: 1, 2: 2, 3: 3"},
            {"sum without results", "title\n= sum", ""},
            {"second sum is empty", "= 4\n= sum\n= sum", "0: 4, 1: 4"},
            {"unreadable line is skipped", "= 4\n= 4 apples\n= sum", "0: 4, 2: 4"},
            {"CR LF line ends", "= 1\r\n= 2\r\n\r\n= 5\r\n= sum\r\n", "0: 1, 1: 2, 3: 5, 4: 5"},
            {"indented math", "  = 1\na = 1", "0: 1"},
            {"tab before the sign, none after", " \t=2*3\n= sum", "0: 6, 1: 6"},
            {"sum among other spaces", "= 2\n=\u00A0 Sum\t", "0: 2, 1: 2"},
            {"sums is no keyword", "= 2\n= sums", "0: 2"},
            {"long s is no s", "= 2\n= \u017Fum", "0: 2"},
            {"german", "= 1,5\n= 2\n= sum", "0: 1,5, 1: 2, 2: 3,5", "de_DE"},
            // Shown rounded to two places, half away from zero, grouped for the locale.
            {"grouping and two digits", "= 1234.567", "0: 1,234.57"},
            {"third", "= 1/3", "0: 0.33"},
            {"whole", "= 7", "0: 7"},
            {"decimal half rounds up", "= 2.675", "0: 2.68"},
            {"negative half away from zero", "= -0.125", "0: -0.13"},
            {"third times three", "= 1/3*3", "0: 1"},
            {"german format", "= 1234,567", "0: 1.234,57", "de_DE"},
            {"huge", "= 10^60", "0: 1,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000"},
        });
        // clang-format on
    }

    void resultsShownPerLine()
    {
        QCOMPARE(
            shownResults(cell("expression"), icu::Locale(cell("locale").toLatin1().constData())),
            cell("value"));
    }
};

QTEST_GUILESS_MAIN(TestMathEvaluator)
#include "tst_mathevaluator.moc"
