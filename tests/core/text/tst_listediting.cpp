// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/listediting.h"
#include "support/markedtext.h"
#include "support/texttable.h"

#include <QTest>

using namespace quelto;
using namespace quelto::ListEditing;
using quelto::testing::cell;
using quelto::testing::marked;
using quelto::testing::parseMarked;

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

} // namespace

class TestListEditing : public QObject {
    Q_OBJECT

private slots:
    // Before and after with the selection marked; "<none>" where the rule does not apply.
    void editsText_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        struct Case {
            const char* op;
            const char* before;
            const char* after;
        };
        const Case cases[] = {
            {"return", "- item|", "- item\n- |"},
            {"return", "  * item|", "  * item\n  * |"},
            {"return", "9. item|", "9. item\n10. |"},
            {"return", "- [x] done|", "- [x] done\n- [ ] |"},
            {"return", "3. [ ] a|", "3. [ ] a\n4. [ ] |"},
            {"return", "a\n- b|\nc", "a\n- b\n- |\nc"},
            {"return", "- |", "|"}, // an empty item ends the list
            {"return", "x\n- [ ] |\ny", "x\n|\ny"},
            {"return", "1. |", "|"},
            {"return", "- it|em", "<none>"},
            {"return", "- {item}", "<none>"},
            {"return", "plain|", "<none>"},
            {"return", "9223372036854775807. max|", "9223372036854775807. max\n|"},
            {"return", "- a|\r\nb", "- a\n- |\r\nb"},
            {"return", "x\u2028- a|", "x\u2028- a\n- |"}, // a line separator starts a line
            {"renumber", "1. a\n2. |\n2. b\n3. c", "1. a\n2. |\n3. b\n4. c"},
            {"renumber", "1. a\n2. b\n\n1. x\n|1. y", "1. a\n2. b\n\n1. x\n|2. y"},
            {"renumber", "5. a\n5. |b", "5. a\n6. |b"},
            {"renumber", "1. a\n   text\n  1. nested\n1. |b", "1. a\n   text\n  1. nested\n2. |b"},
            {"renumber", "1. a\nplain\n1. |b", "<none>"},
            {"renumber", "1. a\n2. |b", "<none>"},
            {"renumber", "- a|", "<none>"},
            // The caret keeps its offset even where numbers before it got shorter.
            {"renumber", "007. a\n1. |b", "7. a\n8. b|"},
            {"renumber", "99999999999999999999. a\n7. |b", "1. a\n2. b|"},
            {"renumber", "1. a\r\n1. |b\r\n", "1. a\r\n2. |b\r\n"},
            {"tab", "- a|", "  - a|"},
            {"tab", "x\n- {a}", "x\n  - {a}"},
            {"tab", "plain|", "<none>"},
            {"backtab", "   - a|", " - a|"},
            {"backtab", " - |a", "- |a"},
            {"backtab", "\t- a|", "- a|"},
            {"backtab", "- a|", "- a|"},
            {"backtab", "x\n  |- a", "x\n|- a"}, // the caret stops at the line start
            {"backtab", "{  1. }", "{1. }"},     // the selection stays inside the text
            {"**", "a|b", "a**|**b"},
            {"**", "{word}", "**{word}**"},
            {"**", "{**word**}", "{word}"},
            {"**", "**{word}**", "{word}"},
            {"**", "{****}", "|"},
            {"**", "x{**}", "x**{**}**"},
            {"task", "- [ ] a|", "- [x] a|"},
            {"task", "- [X] a|", "- [ ] a|"},
            {"task", "- a|", "- [ ] a|"},
            {"task", "a|", "- [ ] a|"},
            {"task", "  a|", "  - [ ] a|"},
            {"task", "1. a|", "- [ ] 1. a|"},
            {"task", "one\n{two}", "one\n- [ ] {two}"},
            {"task", "|", "- [ ] |"},
            // A click ticks only on the box itself, and leaves the caret where it was.
            {"click", "- [|x] a", "- [| ] a"},
            {"click", "z\n- |[ ] a", "z\n- |[x] a"},
            {"click", "- [x] |a", "<none>"},
            {"click", "- [x] a|", "<none>"},
            {"link", "see {docs}!", "see [docs](https://example.com)|!"},
            {"link?", "see {docs}!", "see [docs](|)!"},
            {"link", "a|b", "a[|](https://example.com)b"},
        };
        for (const Case& c : cases)
            QTest::addRow("%s %s", c.op, c.before)
                << QString::fromUtf8(c.op) << QString::fromUtf8(c.before)
                << QString::fromUtf8(c.after);
    }

    void editsText()
    {
        const auto [text, sel] = parseMarked(cell("before"));
        const std::optional<TextEdit> result = edit(cell("op"), text, sel);
        QCOMPARE(result ? marked(result->appliedTo(text), result->selection) : "<none>",
                 cell("after"));
    }
};

QTEST_GUILESS_MAIN(TestListEditing)
#include "tst_listediting.moc"
