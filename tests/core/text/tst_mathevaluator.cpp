#include "core/text/mathevaluator.h"

#include <QTest>

using namespace quelto;

namespace {

const icu::Locale kEnglish("en_US");
const icu::Locale kGerman("de_DE");

// "none" when there is no value, else the exact decimal text.
QString valueText(const std::optional<Decimal>& value)
{
    return value ? QString::fromStdString(value->toString()) : QStringLiteral("none");
}

// "line: shown result" for every line with a result.
QStringList shownResults(const QString& text, const icu::Locale& locale)
{
    QStringList out;
    const QMap<int, Decimal> results = MathEvaluator::results(text, locale);
    for (auto it = results.begin(); it != results.end(); ++it)
        out << QStringLiteral("%1: %2").arg(it.key()).arg(MathEvaluator::formatResult(*it, locale));
    return out;
}

} // namespace

class TestMathEvaluator : public QObject {
    Q_OBJECT

private slots:
    void evaluatesExpressions_data();
    void evaluatesExpressions();
    void readsNumbersWithLocaleSeparators_data();
    void readsNumbersWithLocaleSeparators();
    void recognisesMathAndSumLines();
    void totalsRunPerBlock_data();
    void totalsRunPerBlock();
    void formatsForLocale_data();
    void formatsForLocale();
    void decimalArithmeticIsExact();
    void hostileInputHasNoValue();
    void thousandsOfLinesAddUp();
};

void TestMathEvaluator::evaluatesExpressions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("value");
    QTest::newRow("precedence") << " 2 + 3 * 4"
                                << "14";
    QTest::newRow("parentheses") << "(2 + 3) * 4"
                                 << "20";
    QTest::newRow("power groups right") << "2^3^2"
                                        << "512";
    QTest::newRow("negative power") << "2^-2"
                                    << "0.25";
    QTest::newRow("unary minus binds looser than power") << "-2^2"
                                                         << "-4";
    QTest::newRow("fractional power") << "2^0.5"
                                      << "none";
    QTest::newRow("power too large") << "2^65"
                                     << "none";
    QTest::newRow("largest power") << "2^64"
                                   << "18446744073709551616";
    QTest::newRow("zero to negative power") << "0^-1"
                                            << "none";
    QTest::newRow("division by zero") << "5 / 0"
                                      << "none";
    QTest::newRow("thousands suffix") << "5k"
                                      << "5000";
    QTest::newRow("millions suffix") << "1.5M"
                                     << "1500000";
    QTest::newRow("suffix must touch") << "5 k"
                                       << "none";
    QTest::newRow("unknown operator") << "3 x 4"
                                      << "none";
    QTest::newRow("times and divide signs") << "6 × 2 ÷ 4"
                                            << "3";
    QTest::newRow("percent added") << "200 + 10%"
                                   << "220";
    QTest::newRow("percent subtracted") << "200 - 10%"
                                        << "180";
    QTest::newRow("percent first") << "10% + 200"
                                   << "200.1";
    QTest::newRow("percent multiplied") << "50 * 10%"
                                        << "5";
    QTest::newRow("percent of") << "(10)% of 300"
                                << "30";
    QTest::newRow("of after any value") << "3 of 4"
                                        << "12";
    QTest::newRow("of needs a space") << "3 of(4)"
                                      << "none";
    QTest::newRow("lone percent") << "10%"
                                  << "0.1";
    QTest::newRow("negated percent keeps flag") << "100 + -10%"
                                                << "90";
    QTest::newRow("underscores") << "1_000"
                                 << "1000";
    QTest::newRow("unary plus") << "+5"
                                << "none";
    QTest::newRow("leftover token") << "2 3"
                                    << "none";
    QTest::newRow("unbalanced close") << "4)"
                                      << "none";
    QTest::newRow("missing close") << "(4"
                                   << "none";
    QTest::newRow("empty") << "  "
                           << "none";
    QTest::newRow("sum keyword") << "sum"
                                 << "none";
    QTest::newRow("sum in expression") << "sum + 1"
                                       << "none";
    QTest::newRow("leading decimal point") << ".5 + 1"
                                           << "1.5";
    QTest::newRow("non-ASCII digits") << QString::fromUtf16(u"\u0663 + 1") << "none";
    QTest::newRow("digit outside the BMP") << QString::fromUtf16(u"\U0001D7D9") << "none";
}

void TestMathEvaluator::evaluatesExpressions()
{
    QFETCH(QString, expression);
    QFETCH(QString, value);
    QCOMPARE(valueText(MathEvaluator::evaluate(expression, kEnglish)), value);
}

void TestMathEvaluator::readsNumbersWithLocaleSeparators_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("value");
    QTest::newRow("grouped") << "en_US"
                             << "1,234.5"
                             << "1234.5";
    QTest::newRow("comma as point") << "en_US"
                                    << "1,5"
                                    << "1.5";
    QTest::newRow("four after comma") << "en_US"
                                      << "1,2345"
                                      << "1.2345";
    QTest::newRow("several groups") << "en_US"
                                    << "1,234,567"
                                    << "1234567";
    QTest::newRow("two points") << "en_US"
                                << "1.5.2"
                                << "none";
    QTest::newRow("short group then point") << "en_US"
                                            << "1,23.4"
                                            << "none";
    QTest::newRow("german grouped") << "de_DE"
                                    << "1.234,5"
                                    << "1234.5";
    QTest::newRow("german point as decimal") << "de_DE"
                                             << "1.5"
                                             << "1.5";
    QTest::newRow("german comma") << "de_DE"
                                  << "2,5 * 2"
                                  << "5";
}

void TestMathEvaluator::readsNumbersWithLocaleSeparators()
{
    QFETCH(QString, locale);
    QFETCH(QString, expression);
    QFETCH(QString, value);
    const icu::Locale loc(locale.toLatin1().constData());
    QCOMPARE(valueText(MathEvaluator::evaluate(expression, loc)), value);
}

void TestMathEvaluator::recognisesMathAndSumLines()
{
    QVERIFY(MathEvaluator::isMathLine(u"= 1"));
    QVERIFY(MathEvaluator::isMathLine(u" \t= 1"));
    QVERIFY(!MathEvaluator::isMathLine(u"a = 1"));
    QVERIFY(!MathEvaluator::isMathLine(u"   "));
    QCOMPARE(MathEvaluator::mathExpression(u"  =x y").value_or(u"<none>"), u"x y");
    QVERIFY(MathEvaluator::isSumKeyword(u" total "));
    QVERIFY(MathEvaluator::isSumKeyword(QString::fromUtf16(u"\u00A0  SUM\t")));
    QVERIFY(!MathEvaluator::isSumKeyword(u"sums"));
}

void TestMathEvaluator::totalsRunPerBlock_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("sum of a block")
        << "= 12.50\n= 7\n= 30\n= sum" << QStringList{"0: 12.5", "1: 7", "2: 30", "3: 49.5"};
    QTest::newRow("blank line starts a new block")
        << "= 1\n= 2\n  \n= 10\n= total" << QStringList{"0: 1", "1: 2", "3: 10", "4: 10"};
    QTest::newRow("text line keeps the block")
        << "= 1\nnote\n= 2\n=   SUM  " << QStringList{"0: 1", "2: 2", "3: 3"};
    QTest::newRow("sum without results") << "title\n= sum" << QStringList{};
    QTest::newRow("second sum is empty") << "= 4\n= sum\n= sum" << QStringList{"0: 4", "1: 4"};
    QTest::newRow("unreadable line is skipped")
        << "= 4\n= 4 apples\n= sum" << QStringList{"0: 4", "2: 4"};
    QTest::newRow("CR LF line ends") << "= 1\r\n= 2\r\n\r\n= 5\r\n= sum\r\n"
                                     << QStringList{"0: 1", "1: 2", "3: 5", "4: 5"};
    QTest::newRow("indented math") << "  = 1\na = 1" << QStringList{"0: 1"};
}

void TestMathEvaluator::totalsRunPerBlock()
{
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    QCOMPARE(shownResults(text, kEnglish), shown);
}

void TestMathEvaluator::formatsForLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("shown");
    QTest::newRow("grouping and two digits") << "en_US"
                                             << "1234.567"
                                             << "1,234.57";
    QTest::newRow("third") << "en_US"
                           << "1/3"
                           << "0.33";
    QTest::newRow("whole") << "en_US"
                           << "7"
                           << "7";
    QTest::newRow("decimal half rounds up") << "en_US"
                                            << "2.675"
                                            << "2.68";
    QTest::newRow("negative half away from zero") << "en_US"
                                                  << "-0.125"
                                                  << "-0.13";
    QTest::newRow("third times three") << "en_US"
                                       << "1/3*3"
                                       << "1";
    QTest::newRow("german") << "de_DE"
                            << "1234,567"
                            << "1.234,57";
    QTest::newRow("huge") << "en_US"
                          << "10^60"
                          << "1,000,000,000,000,000,000,000,000,000,"
                             "000,000,000,000,000,000,000,000,000,000,000";
}

void TestMathEvaluator::formatsForLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, expression);
    QFETCH(QString, shown);
    const icu::Locale loc(locale.toLatin1().constData());
    const std::optional<Decimal> value = MathEvaluator::evaluate(expression, loc);
    QVERIFY(value);
    QCOMPARE(MathEvaluator::formatResult(*value, loc), shown);
}

void TestMathEvaluator::decimalArithmeticIsExact()
{
    auto d = [](const char* s) { return *Decimal::fromString(s); };
    QCOMPARE(d("0.1") + d("0.2"), d("0.3"));
    QCOMPARE(d("1.10"), d("1.1"));
    QCOMPARE((d("1") / d("3")).toString(), std::string("0.") + std::string(38, '3'));
    QCOMPARE((d("2") / d("3")).toString(), std::string("0.") + std::string(37, '6') + "7");
    QCOMPARE((d("1") / d("3") * d("3")).toString(), std::string("0.") + std::string(38, '9'));
    // 39 significant digits round to 38, the half going away from zero.
    QCOMPARE(d("123456789012345678901234567890123456785").toString(),
             "123456789012345678901234567890123456790");
    QCOMPARE(d("1") - d("1"), Decimal());
    QCOMPARE(d("100000000000000000000000000000000000000000") + d("1"),
             d("100000000000000000000000000000000000000000"));
    QCOMPARE((d("1") - d("0.00000000000000000000000000000000000001")).toString(),
             "0." + std::string(38, '9'));
    QVERIFY((d("10") / Decimal()).isNaN());
    // The exponent range ends at 127 above and -128 below; past it there is no value.
    const Decimal big = *Decimal::fromString("1" + std::string(127 + 37, '0'));
    QVERIFY(!big.isNaN());
    QVERIFY((big * d("10")).isNaN());
    const Decimal tiny = d("1") / *Decimal::fromString("1" + std::string(128, '0'));
    QCOMPARE(tiny.toString(), "0." + std::string(127, '0') + "1");
    QVERIFY((tiny / d("10")).isNaN());
    QVERIFY(!Decimal::fromString("1.2.3"));
    QVERIFY(!Decimal::fromString("-"));
}

void TestMathEvaluator::hostileInputHasNoValue()
{
    QCOMPARE(valueText(MathEvaluator::evaluate(u"9^64^64", kEnglish)), u"none");
    QCOMPARE(valueText(MathEvaluator::evaluate(u"10^64 * 10^64 * 10^64", kEnglish)), u"none");
    QCOMPARE(valueText(MathEvaluator::evaluate(u"0.001^64", kEnglish)), u"none");
    QCOMPARE(valueText(MathEvaluator::evaluate(QString(400, u'9'), kEnglish)), u"none");
    QCOMPARE(
        valueText(MathEvaluator::evaluate(QStringLiteral("1.") + QString(400, u'1'), kEnglish)),
        QStringLiteral("1.") + QString(37, u'1'));
    const QString deep = QString(100000, u'(') + u'1' + QString(100000, u')');
    QCOMPARE(valueText(MathEvaluator::evaluate(deep, kEnglish)), u"none");
    QCOMPARE(valueText(MathEvaluator::evaluate(QString(100000, u'-') + u'1', kEnglish)), u"none");
    const QString nested = QString(50, u'(') + u'1' + QString(50, u')');
    QCOMPARE(valueText(MathEvaluator::evaluate(nested, kEnglish)), u"1");
    const QString junk = QString::fromUtf16(u"\0\xD800 1 \xDC00", 7);
    QCOMPARE(valueText(MathEvaluator::evaluate(junk, kEnglish)), u"none");
}

void TestMathEvaluator::thousandsOfLinesAddUp()
{
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("= 0.01\nnote %1\n").arg(i);
    text += QStringLiteral("= sum");
    const QMap<int, Decimal> results = MathEvaluator::results(text, kEnglish);
    QCOMPARE(results.size(), 5001);
    QCOMPARE(results.last().toString(), std::string("50"));
}

QTEST_GUILESS_MAIN(TestMathEvaluator)
#include "tst_mathevaluator.moc"
