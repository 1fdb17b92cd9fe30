// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/lineendings.h"
#include "core/text/listediting.h"
#include "core/text/markdownhighlighter.h"
#include "core/text/textsearch.h"
#include "support/markedtext.h"
#include "support/texttable.h"

#include <QDebug>
#include <QTest>

using namespace quelto;
using namespace quelto::ListEditing;
using namespace quelto::MarkdownHighlighter;
using quelto::testing::asText;
using quelto::testing::cell;
using quelto::testing::marked;
using quelto::testing::parseMarked;
using quelto::testing::textColumns;
using quelto::testing::textRow;

namespace {

const QString kAddress = QStringLiteral("https://example.com");

// One rule by name: an editor key or click, or any other name as a wrap marker.
std::optional<TextEdit> edit(const QString& op, const QString& text, TextRange sel)
{
    if (op == u"return")
        return continueList(text, sel);
    if (op == u"renumber")
        return renumberList(text, sel.location);
    if (op == u"tab" || op == u"backtab")
        return indentListItem(text, sel, op == u"backtab");
    if (op == u"task")
        return toggleCheckboxes(text, sel);
    if (op == u"click")
        return checkboxClick(text, sel.location);
    if (op == u"link" || op == u"link?")
        return makeLink(text, sel, op == u"link" ? std::optional(kAddress) : std::nullopt);
    return wrapSelection(text, sel, op);
}

// "from+length" of each match.
QString shown(const QList<TextRange>& ranges)
{
    QStringList out;
    for (const TextRange& r : ranges)
        out << QStringLiteral("%1+%2").arg(r.location).arg(r.length);
    return out.join(u' ');
}

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

// What the editor does with a note's text: highlighting, list and wrap rules, line
// endings kept through edits, and search.
class TestTextEditing : public QObject {
    Q_OBJECT

private slots:
    void runsForLine_data()
    {
        textColumns({"line", "runs"});
        // clang-format off
        textRow("empty", "", "");
        textRow("math", "= 12 * 3\n", "math 0..8");
        textRow("not math", "a = 1", "");
        textRow("rule with blanks", "  ---  ", "rule 0..7");
        textRow("four hyphens", "----", "");
        textRow("rule with text", "--- x", "");
        textRow("heading with bold", "## Title **b**", "marker 0..3, heading 3..14 level 2, marker 9..11, bold 11..12, marker 12..14");
        textRow("hash without space", "#Title", "");
        textRow("ticked task", "- [x] Done", "listBullet 0..1, checkbox 2..5 checked");
        textRow("open task with emphasis", "- [ ] *now*", "listBullet 0..1, checkbox 2..5 unchecked, marker 6..7, italic 7..10, marker 10..11");
        textRow("number", "12. item", "listBullet 0..3");
        textRow("dash without space", "-item", "");
        textRow("numbered task has no box", "1. [ ] x", "listBullet 0..2");
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
        textRow("bold with leading blank", "** x**", "");
        textRow("nested emphasis only outer", "**a _b_ c**", "marker 0..2, bold 2..9, marker 9..11");
        textRow("underscore bold and strike", "__b__ ~~s~~", "marker 0..2, bold 2..3, marker 3..5, marker 6..8, strike 8..9, marker 9..11");
        // Offsets count UTF-16 units: the emoji is two, the combining accent one.
        textRow("after an emoji", "\U0001F600 *a*", "marker 3..4, italic 4..5, marker 5..6");
        textRow("CR LF dropped", "# A\r\n", "marker 0..2, heading 2..3 level 1");
        // clang-format on
    }

    void runsForLine()
    {
        QCOMPARE(describe(MarkdownHighlighter::runsForLine(cell("line"))), cell("runs"));
    }

    void inlineRunsAndParagraphsAreRelativeToTheText()
    {
        const QString text = QStringLiteral("**a** and **b**");
        QCOMPARE(describe(inlineRuns(text, 6, text.size())),
                 "marker 10..12, bold 12..13, marker 13..15");
        QCOMPARE(inlineRuns(text, -5, 999).size(), 6);
        QCOMPARE(describe(inlineRuns(text, 9, 2)), QString());
        // A change rehighlights whole paragraphs, a CR LF pair never split.
        QCOMPARE(marked(text + "\r\nx", paragraphRange(text + "\r\nx", {16, 0})),
                 "{" + text + "\r\n}x");
        QCOMPARE(marked("ab\ncd", paragraphRange(u"ab\ncd", {50, 5})), "ab\n{cd}");
    }

    // Before and after with the selection marked; "<none>" where the rule does not apply.
    void editsText_data()
    {
        textColumns({"op", "before", "after"});
        const auto row = [](const char* op, const char* before, const char* after) {
            QTest::addRow("%s %s", op, before) << asText(op) << asText(before) << asText(after);
        };
        // clang-format off
        row("return", "- item|", "- item\n- |");
        row("return", "  * item|", "  * item\n  * |");
        row("return", "9. item|", "9. item\n10. |");
        row("return", "- [x] done|", "- [x] done\n- [ ] |");
        row("return", "3. [ ] a|", "3. [ ] a\n4. [ ] |");
        row("return", "a\n- b|\nc", "a\n- b\n- |\nc");
        row("return", "- |", "|"); // an empty item ends the list
        row("return", "x\n- [ ] |\ny", "x\n|\ny");
        row("return", "1. |", "|");
        row("return", "- it|em", "<none>");
        row("return", "- {item}", "<none>");
        row("return", "plain|", "<none>");
        row("return", "9223372036854775807. max|", "9223372036854775807. max\n|");
        row("return", "- a|\r\nb", "- a\n- |\r\nb");
        row("return", "x\u2028- a|", "x\u2028- a\n- |"); // a line separator starts a line
        row("renumber", "1. a\n2. |\n2. b\n3. c", "1. a\n2. |\n3. b\n4. c");
        row("renumber", "1. a\n2. b\n\n1. x\n|1. y", "1. a\n2. b\n\n1. x\n|2. y");
        row("renumber", "5. a\n5. |b", "5. a\n6. |b");
        row("renumber", "1. a\n   text\n  1. nested\n1. |b", "1. a\n   text\n  1. nested\n2. |b");
        row("renumber", "1. a\nplain\n1. |b", "<none>");
        row("renumber", "1. a\n2. |b", "<none>");
        row("renumber", "- a|", "<none>");
        // The caret keeps its offset even where numbers before it got shorter.
        row("renumber", "007. a\n1. |b", "7. a\n8. b|");
        row("renumber", "99999999999999999999. a\n7. |b", "1. a\n2. b|");
        row("renumber", "1. a\r\n1. |b\r\n", "1. a\r\n2. |b\r\n");
        row("tab", "- a|", "  - a|");
        row("tab", "x\n- {a}", "x\n  - {a}");
        row("tab", "plain|", "<none>");
        row("backtab", "   - a|", " - a|");
        row("backtab", " - |a", "- |a");
        row("backtab", "\t- a|", "- a|");
        row("backtab", "- a|", "- a|");
        row("backtab", "x\n  |- a", "x\n|- a"); // the caret stops at the line start
        row("backtab", "{  1. }", "{1. }");     // the selection stays inside the text
        row("**", "a|b", "a**|**b");
        row("**", "{word}", "**{word}**");
        row("**", "{**word**}", "{word}");
        row("**", "**{word}**", "{word}");
        row("**", "{****}", "|");
        row("**", "x{**}", "x**{**}**");
        row("task", "- [ ] a|", "- [x] a|");
        row("task", "- [X] a|", "- [ ] a|");
        row("task", "- a|", "- [ ] a|");
        row("task", "a|", "- [ ] a|");
        row("task", "  a|", "  - [ ] a|");
        row("task", "1. a|", "- [ ] 1. a|");
        row("task", "one\n{two}", "one\n- [ ] {two}");
        row("task", "|", "- [ ] |");
        // A click ticks only on the box itself, and leaves the caret where it was.
        row("click", "- [|x] a", "- [| ] a");
        row("click", "z\n- |[ ] a", "z\n- |[x] a");
        row("click", "- [x] |a", "<none>");
        row("click", "- [x] a|", "<none>");
        row("link", "see {docs}!", "see [docs](https://example.com)|!");
        row("link?", "see {docs}!", "see [docs](|)!");
        row("link", "a|b", "a[|](https://example.com)b");
        // clang-format on
    }

    void editsText()
    {
        const auto [text, sel] = parseMarked(cell("before"));
        const std::optional<TextEdit> result = edit(cell("op"), text, sel);
        QCOMPARE(result ? marked(result->appliedTo(text), result->selection) : "<none>",
                 cell("after"));
    }

    // The note as stored, the editor's text after the edit, the note after it. An edit that
    // changes nothing gives the stored note back, whatever its endings.
    void editsKeepUntouchedEndings_data()
    {
        textColumns({"stored", "edited", "expected"});
        // clang-format off
        textRow("unchanged lf", "a\nb\n", "a\nb\n", "a\nb\n");
        textRow("unchanged mixed", "a\r\nb\nc\rd\u2029e", "a\nb\nc\nd\ne", "a\r\nb\nc\rd\u2029e");
        textRow("cr before lf is one break", "\r\n\r\n", "\n\n", "\r\n\r\n");
        textRow("line separator stays text", "a\u2028b", "a\u2028b", "a\u2028b");
        textRow("lone cr at end", "end\r", "end\n", "end\r");
        textRow("typing in a crlf note", "one\r\ntwo\r\nthree", "one\ntwo!\nthree", "one\r\ntwo!\r\nthree");
        textRow("new break takes the most common ending", "a\r\nb\r\nc\nd", "a\nb\nnew\nc\nd", "a\r\nb\r\nnew\r\nc\nd");
        textRow("a tie goes to lf", "a\r\nb\nc", "a\nb\nc\nd", "a\r\nb\nc\nd");
        textRow("deleting one break keeps the others", "a\r\nb\nc\rd", "ab\nc\nd", "ab\nc\rd");
        textRow("paragraph separators survive", "x\u2029y\u2029z", "x\ny\nz!", "x\u2029y\u2029z!");
        textRow("lf note stays lf", "a\nb", "a\n\nb", "a\n\nb");
        textRow("edit spanning breaks", "a\rb\r\nc\rd", "a\nX\nY\nd", "a\rX\rY\rd");
        // clang-format on
    }

    void editsKeepUntouchedEndings()
    {
        QFETCH(QString, edited);
        const LineEndings::Split before = LineEndings::split(cell("stored"));
        const char fallback = LineEndings::mostCommon(before.endings);
        const LineEndings::Endings after =
            LineEndings::carry(before.text, before.endings, edited, fallback);
        QCOMPARE(LineEndings::join(edited, after, fallback), cell("expected"));
    }

    void findsEveryMatchIgnoringCase_data()
    {
        textColumns({"text", "query", "found"});
        textRow("case ignored", "Milk, milk, MILK", "milk", "0+4 6+4 12+4");
        textRow("accented letters", "Élan and élan", "ÉLAN", "0+4 9+4");
        textRow("no overlaps", "aaaaa", "aa", "0+2 2+2");
        textRow("none", "bread", "milk", "");
        textRow("empty query", "bread", "", "");
        textRow("across no line break", "a\nb", "ab", "");
    }

    void findsEveryMatchIgnoringCase()
    {
        QCOMPARE(shown(TextSearch::findAll(cell("text"), cell("query"))), cell("found"));
    }

    void hitsKnowTheirLines()
    {
        const QString text = QStringLiteral("# Trip\r\nbuy milk\n\nmilk and more milk\nend");
        const QList<TextSearch::Hit> hits = TextSearch::hits(text, u"MILK", 10);
        QStringList lines;
        for (const TextSearch::Hit& hit : hits)
            lines << QStringLiteral("%1: %2").arg(hit.line).arg(
                text.mid(hit.lineRange.location, hit.lineRange.length));
        QCOMPARE(lines,
                 (QStringList{"1: buy milk", "3: milk and more milk", "3: milk and more milk"}));
        QCOMPARE(hits[2].range, (TextRange{32, 4}));
        QCOMPARE(TextSearch::hits(text, u"milk", 2).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestTextEditing)
#include "tst_textediting.moc"
