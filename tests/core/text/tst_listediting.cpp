// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/listediting.h"
#include "support/markedtext.h"
#include "support/texttable.h"

#include <QTest>

using namespace quelto;
using namespace quelto::ListEditing;
using quelto::testing::asText;
using quelto::testing::cell;
using quelto::testing::marked;
using quelto::testing::parseMarked;
using quelto::testing::textColumns;

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
};

QTEST_GUILESS_MAIN(TestListEditing)
#include "tst_listediting.moc"
