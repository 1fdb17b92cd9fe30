// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/markdownhighlighter.h"
#include "support/markedtext.h"
#include "support/texttable.h"

#include <QDebug>
#include <QTest>

using namespace quelto;
using namespace quelto::MarkdownHighlighter;
using quelto::testing::cell;
using quelto::testing::marked;
using quelto::testing::textColumns;
using quelto::testing::textRow;

namespace {

// "kind from..to [detail]" for each run, comma-separated.
QString describe(const QList<StyleRun>& runs)
{
    QStringList out;
    for (const StyleRun& run : runs) {
        QString s;
        QDebug(&s).noquote() << run;
        out << s.trimmed();
    }
    return out.join(QStringLiteral(", "));
}

} // namespace

class TestMarkdownHighlighter : public QObject {
    Q_OBJECT

private slots:
    void runsForLine_data()
    {
        textColumns({"line", "runs"});
        // clang-format off
        textRow("empty", "", "");
        textRow("only a terminator", "\r\n", "");
        textRow("math", "= 12 * 3\n", "math 0..8");
        textRow("indented math with emphasis inside", "   =x *y*", "math 0..9");
        textRow("not math", "a = 1", "");
        textRow("rule with blanks", "  ---  ", "rule 0..7");
        textRow("rule with other spaces", "\u00A0---\t", "rule 0..5");
        textRow("four hyphens", "----", "");
        textRow("rule with text", "--- x", "");
        textRow("heading with bold", "## Title **b**", "marker 0..3, heading 3..14 level 2, marker 9..11, bold 11..12, marker 12..14");
        textRow("empty heading", "# ", "marker 0..2, heading 2..2 level 1");
        textRow("four hashes", "#### Title", "");
        textRow("hash without space", "#Title", "");
        textRow("ticked task", "- [x] Done", "listBullet 0..1, checkbox 2..5 checked");
        textRow("upper-case tick", "- [X] Done", "listBullet 0..1, checkbox 2..5 checked");
        textRow("open task with emphasis", "- [ ] *now*", "listBullet 0..1, checkbox 2..5 unchecked, marker 6..7, italic 7..10, marker 10..11");
        textRow("indented star", "  * item", "listBullet 2..3");
        textRow("number", "12. item", "listBullet 0..3");
        textRow("dash without space", "-item", "");
        textRow("number without space", "1.item", "");
        textRow("numbered task has no box", "1. [ ] x", "listBullet 0..2");
        textRow("two spaces before box", "-  [ ] a", "listBullet 0..1");
        textRow("no space after box", "- [ ]a", "listBullet 0..1");
        textRow("other mark in box", "- [v] a", "listBullet 0..1");
        textRow("tab-indented task", "\t* [x] a", "listBullet 1..2, checkbox 3..6 checked");
        textRow("code hides bold", "`**x**`", "marker 0..1, code 1..6, marker 6..7");
        textRow("bold around code", "**a `b` c**", "marker 0..2, bold 2..9, marker 4..5, code 5..6, marker 6..7, marker 9..11");
        textRow("address in parentheses then full stop", "(see https://a.example/x).", "link 5..24 https://a.example/x");
        textRow("balanced parenthesis kept", "https://en.example/a_(b)", "link 0..24 https://en.example/a_(b)");
        textRow("www address", "go www.example.com!", "link 3..18 https://www.example.com");
        textRow("e-mail address", "mail ann@example.org.", "link 5..20 mailto:ann@example.org");
        textRow("markdown link", "[docs](https://example.com/d)", "marker 0..1, link 1..5 https://example.com/d, marker 5..29");
        textRow("link target not linked twice", "[https://a.example](https://b.example)", "marker 0..1, link 1..18 https://b.example, marker 18..38");
        textRow("link without scheme", "[a](notes.txt)", "");
        textRow("emphasis in link text not styled", "[*a*](https://x.example)", "marker 0..1, link 1..4 https://x.example, marker 4..24");
        textRow("snake case", "snake_case_name", "");
        textRow("stars between digits", "2*3*4", "");
        textRow("bold with leading blank", "** x**", "");
        textRow("bold with trailing blank", "**x **", "");
        textRow("nested emphasis only outer", "**a _b_ c**", "marker 0..2, bold 2..9, marker 9..11");
        textRow("underscore bold and strike", "__b__ ~~s~~", "marker 0..2, bold 2..3, marker 3..5, marker 6..8, strike 8..9, marker 9..11");
        // Offsets count UTF-16 units: the emoji is two, the combining accent one.
        textRow("after an emoji", "\U0001F600 *a*", "marker 3..4, italic 4..5, marker 5..6");
        textRow("after a combining mark", "e\u0301 `c`", "marker 3..4, code 4..5, marker 5..6");
        textRow("CR LF dropped", "# A\r\n", "marker 0..2, heading 2..3 level 1");
        // clang-format on
    }

    void runsForLine()
    {
        QCOMPARE(describe(MarkdownHighlighter::runsForLine(cell("line"))), cell("runs"));
    }

    void inlineRunsAreRelativeToTheLine()
    {
        const QString text = QStringLiteral("**a** and **b**");
        QCOMPARE(describe(inlineRuns(text, 6, text.size())),
                 "marker 10..12, bold 12..13, marker 13..15");
        QCOMPARE(inlineRuns(text, -5, 999).size(), 6);
        QCOMPARE(describe(inlineRuns(text, 9, 2)), QString());
    }

    // The range given as numbers (it may lie outside the text); the paragraphs marked.
    void paragraphRangeCoversWholeParagraphs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextRange>("range");
        QTest::addColumn<QString>("paragraphs");
        // clang-format off
        QTest::newRow("empty text") << QString("") << TextRange{3, 4} << QString("|");
        QTest::newRow("middle line") << QString("ab\ncd\nef") << TextRange{4, 0} << QString("ab\n{cd\n}ef");
        QTest::newRow("two lines") << QString("ab\ncd\nef") << TextRange{1, 3} << QString("{ab\ncd\n}ef");
        QTest::newRow("range ending on terminator") << QString("ab\ncd") << TextRange{0, 3} << QString("{ab\n}cd");
        QTest::newRow("past the end") << QString("ab\ncd") << TextRange{50, 5} << QString("ab\n{cd}");
        QTest::newRow("after final newline") << QString("ab\n") << TextRange{3, 0} << QString("ab\n|");
        QTest::newRow("CR LF kept whole") << QString("ab\r\ncd") << TextRange{0, 1} << QString("{ab\r\n}cd");
        QTest::newRow("between CR and LF") << QString("ab\r\ncd") << TextRange{3, 0} << QString("{ab\r\n}cd");
        QTest::newRow("negative") << QString("ab\ncd") << TextRange{-4, -1} << QString("{ab\n}cd");
        // clang-format on
    }

    void paragraphRangeCoversWholeParagraphs()
    {
        QFETCH(QString, text);
        QFETCH(TextRange, range);
        QCOMPARE(marked(text, paragraphRange(text, range)), cell("paragraphs"));
    }
};

QTEST_GUILESS_MAIN(TestMarkdownHighlighter)
#include "tst_markdownhighlighter.moc"
