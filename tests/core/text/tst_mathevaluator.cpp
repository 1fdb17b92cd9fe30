// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/mathevaluator.h"
#include "support/texttable.h"

#include <QTest>

using namespace quelto;
using quelto::testing::cell;
using quelto::testing::textColumns;
using quelto::testing::textRow;

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

} // namespace

class TestMathEvaluator : public QObject {
    Q_OBJECT

private slots:
    void evaluatesExpressions_data()
    {
        textColumns({"locale", "expression", "value"});
        // clang-format off
        textRow("precedence", "en_US", " 2 + 3 * 4", "14");
        textRow("power groups right", "en_US", "2^3^2", "512");
        textRow("negative power", "en_US", "2^-2", "0.25");
        textRow("unary minus binds looser than power", "en_US", "-2^2", "-4");
        textRow("fractional power", "en_US", "2^0.5", "none");
        textRow("power too large", "en_US", "2^65", "none");
        textRow("largest power", "en_US", "2^64", "18446744073709551616");
        textRow("zero to negative power", "en_US", "0^-1", "none");
        textRow("division by zero", "en_US", "5 / 0", "none");
        textRow("thousands suffix", "en_US", "5k", "5000");
        textRow("millions suffix", "en_US", "1.5M", "1500000");
        textRow("suffix must touch", "en_US", "5 k", "none");
        textRow("unknown operator", "en_US", "3 x 4", "none");
        textRow("times and divide signs", "en_US", "6 × 2 ÷ 4", "3");
        textRow("percent added", "en_US", "200 + 10%", "220");
        textRow("percent subtracted", "en_US", "200 - 10%", "180");
        textRow("percent first", "en_US", "10% + 200", "200.1");
        textRow("percent multiplied", "en_US", "50 * 10%", "5");
        textRow("percent of", "en_US", "(10)% of 300", "30");
        textRow("of after any value", "en_US", "3 of 4", "12");
        textRow("of needs a space", "en_US", "3 of(4)", "none");
        textRow("lone percent", "en_US", "10%", "0.1");
        textRow("negated percent keeps flag", "en_US", "100 + -10%", "90");
        textRow("underscores", "en_US", "1_000", "1000");
        textRow("unary plus", "en_US", "+5", "none");
        textRow("leftover token", "en_US", "2 3", "none");
        textRow("unbalanced close", "en_US", "4)", "none");
        textRow("missing close", "en_US", "(4", "none");
        textRow("empty", "en_US", "  ", "none");
        textRow("sum keyword", "en_US", "sum", "none");
        textRow("leading decimal point", "en_US", ".5 + 1", "1.5");
        textRow("non-ASCII digits", "en_US", "\u0663 + 1", "none");
        textRow("digit outside the BMP", "en_US", "\U0001D7D9", "none");
        textRow("grouped", "en_US", "1,234.5", "1234.5");
        textRow("comma as point", "en_US", "1,5", "1.5");
        textRow("four after comma", "en_US", "1,2345", "1.2345");
        textRow("several groups", "en_US", "1,234,567", "1234567");
        textRow("two points", "en_US", "1.5.2", "none");
        textRow("short group then point", "en_US", "1,23.4", "none");
        textRow("german grouped", "de_DE", "1.234,5", "1234.5");
        textRow("german point as decimal", "de_DE", "1.5", "1.5");
        // Hostile input has no value instead of exhausting time, memory or the stack.
        textRow("tower of powers", "en_US", "9^64^64", "none");
        textRow("power below the exponent range", "en_US", "0.001^64", "none");
        textRow("400 digits", "en_US", QString(400, u'9'), "none");
        textRow("400 decimals round", "en_US", "1." + QString(400, u'1'), "1." + QString(37, u'1'));
        textRow("deep parentheses", "en_US", QString(100000, u'(') + u'1' + QString(100000, u')'), "none");
        textRow("many minus signs", "en_US", QString(100000, u'-') + u'1', "none");
        textRow("200 parentheses", "en_US", QString(200, u'(') + u'1' + QString(200, u')'), "1");
        textRow("201 parentheses", "en_US", QString(201, u'(') + u'1' + QString(201, u')'), "none");
        textRow("NUL and lone surrogates", "en_US", QString::fromUtf16(u"\0\xD800 1 \xDC00", 7), "none");
        // Decimal arithmetic: exact, 38 significant digits, the half rounding away from zero.
        textRow("decimal sum is exact", "en_US", "0.1 + 0.2 - 0.3", "0");
        textRow("third", "en_US", "1/3", "0." + QString(38, u'3'));
        textRow("two thirds round up", "en_US", "2/3", "0." + QString(37, u'6') + u'7');
        textRow("third times three", "en_US", "1/3*3", "0." + QString(38, u'9'));
        textRow("39 digits round to 38", "en_US", "123456789012345678901234567890123456785", "123456789012345678901234567890123456790");
        // The exponent range ends at 127 above and -128 below; past it there is no value.
        textRow("largest exponent", "en_US", "10^64 * 10^64 * 10^36", "1" + QString(164, u'0'));
        textRow("above the exponent range", "en_US", "10^64 * 10^64 * 10^37", "none");
        textRow("smallest exponent", "en_US", "1 / 10^64 / 10^64", "0." + QString(127, u'0') + u'1');
        textRow("below the exponent range", "en_US", "1 / 10^64 / 10^64 / 10", "none");
        // clang-format on
    }

    void evaluatesExpressions()
    {
        const icu::Locale loc(cell("locale").toLatin1().constData());
        QCOMPARE(valueText(MathEvaluator::evaluate(cell("expression"), loc)), cell("value"));
    }

    void resultsShownPerLine_data()
    {
        textColumns({"locale", "expression", "value"});
        // clang-format off
        textRow("sum of a block", "en_US", "= 12.50\n= 7\n= 30\n= sum", "0: 12.5, 1: 7, 2: 30, 3: 49.5");
        textRow("blank line starts a new block", "en_US", "= 1\n= 2\n  \n= 10\n= total", "0: 1, 1: 2, 3: 10, 4: 10");
        textRow("text line keeps the block", "en_US", "= 1\nnote\n= 2\n=   SUM  ", "0: 1, 2: 2, 3: 3");
        textRow("sum without results", "en_US", "title\n= sum", "");
        textRow("second sum is empty", "en_US", "= 4\n= sum\n= sum", "0: 4, 1: 4");
        textRow("unreadable line is skipped", "en_US", "= 4\n= 4 apples\n= sum", "0: 4, 2: 4");
        textRow("CR LF line ends", "en_US", "= 1\r\n= 2\r\n\r\n= 5\r\n= sum\r\n", "0: 1, 1: 2, 3: 5, 4: 5");
        textRow("indented math", "en_US", "  = 1\na = 1", "0: 1");
        textRow("tab before the sign, none after", "en_US", " \t=2*3\n= sum", "0: 6, 1: 6");
        textRow("sum among other spaces", "en_US", "= 2\n=\u00A0 Sum\t", "0: 2, 1: 2");
        textRow("sums is no keyword", "en_US", "= 2\n= sums", "0: 2");
        textRow("long s is no s", "en_US", "= 2\n= \u017Fum", "0: 2");
        textRow("german", "de_DE", "= 1,5\n= 2\n= sum", "0: 1,5, 1: 2, 2: 3,5");
        // Shown rounded to two places, half away from zero, grouped for the locale.
        textRow("grouping and two digits", "en_US", "= 1234.567", "0: 1,234.57");
        textRow("decimal half rounds up", "en_US", "= 2.675", "0: 2.68");
        textRow("negative half away from zero", "en_US", "= -0.125", "0: -0.13");
        textRow("third times three", "en_US", "= 1/3*3", "0: 1");
        textRow("german format", "de_DE", "= 1234,567", "0: 1.234,57");
        textRow("four digits grouped in spanish too", "es_ES", "= 1234,5", "0: 1.234,5");
        textRow("huge", "en_US", "= 10^60", "0: 1,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000,000");
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
