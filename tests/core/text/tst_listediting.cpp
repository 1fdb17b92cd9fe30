#include "core/text/listediting.h"

#include <QRandomGenerator>
#include <QTest>

using namespace quelto;
using namespace quelto::ListEditing;

namespace {

// Texts mark the caret with "|" or the selection with "{" and "}".
std::pair<QString, TextRange> parse(QString marked)
{
    if (const qsizetype caret = marked.indexOf(u'|'); caret >= 0)
        return {marked.remove(caret, 1), {caret, 0}};
    const qsizetype open = marked.indexOf(u'{');
    const qsizetype close = marked.indexOf(u'}');
    Q_ASSERT(open >= 0 && close > open);
    marked.remove(close, 1).remove(open, 1);
    return {marked, {open, close - open - 1}};
}

QString render(QString text, TextRange sel)
{
    if (sel.length == 0)
        return text.insert(sel.location, u'|');
    return text.insert(sel.end(), u'}').insert(sel.location, u'{');
}

// The marked text after the edit, or "<none>".
QString applied(const std::optional<TextEdit>& edit, const QString& text)
{
    return edit ? render(edit->appliedTo(text), edit->selection) : QStringLiteral("<none>");
}

void addRows(const QList<std::pair<const char*, const char*>>& rows)
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    for (const auto& [before, after] : rows)
        QTest::newRow(before) << QString::fromUtf8(before) << QString::fromUtf8(after);
}

} // namespace

class TestListEditing : public QObject {
    Q_OBJECT

private slots:
    void parsesItems();
    void returnContinuesOrEndsLists_data();
    void returnContinuesOrEndsLists();
    void renumbersOrderedBlocks_data();
    void renumbersOrderedBlocks();
    void tabIndentsItems_data();
    void tabIndentsItems();
    void wrapsAndUnwraps_data();
    void wrapsAndUnwraps();
    void togglesTaskBoxes_data();
    void togglesTaskBoxes();
    void clickTicksOnlyOnTheBox_data();
    void clickTicksOnlyOnTheBox();
    void makesLinks();
    void currentLineStopsAtTerminators();
    void anySelectionGivesApplicableEdits();
};

void TestListEditing::parsesItems()
{
    QCOMPARE(parseItem(u"  - [x] a"),
             (Item{QStringLiteral("  "), QStringLiteral("-"), std::nullopt, true, 8}));
    QCOMPARE(parseItem(u"12. b"), (Item{QString(), std::nullopt, 12, false, 4}));
    QCOMPARE(parseItem(u"99999999999999999999. big"),
             (Item{QString(), std::nullopt, std::nullopt, false, 22}));
    QCOMPARE(parseItem(u"-a"), std::nullopt);
    QCOMPARE(parseItem(u""), std::nullopt);
}

void TestListEditing::returnContinuesOrEndsLists_data()
{
    addRows({
        {"- item|", "- item\n- |"},
        {"  * item|", "  * item\n  * |"},
        {"9. item|", "9. item\n10. |"},
        {"- [x] done|", "- [x] done\n- [ ] |"},
        {"3. [ ] a|", "3. [ ] a\n4. [ ] |"},
        {"a\n- b|\nc", "a\n- b\n- |\nc"},
        {"- |", "|"},
        {"x\n- [ ] |\ny", "x\n|\ny"},
        {"1. |", "|"},
        {"- it|em", "<none>"},
        {"- {item}", "<none>"},
        {"plain|", "<none>"},
        {"9223372036854775807. max|", "9223372036854775807. max\n|"},
        {"- a|\r\nb", "- a\n- |\r\nb"},
    });
}

void TestListEditing::returnContinuesOrEndsLists()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    const auto [text, sel] = parse(before);
    QCOMPARE(applied(continueList(text, sel), text), after);
}

void TestListEditing::renumbersOrderedBlocks_data()
{
    addRows({
        {"1. a\n2. |\n2. b\n3. c", "1. a\n2. |\n3. b\n4. c"},
        {"1. a\n2. b\n\n1. x\n|1. y", "1. a\n2. b\n\n1. x\n|2. y"},
        {"5. a\n5. |b", "5. a\n6. |b"},
        {"1. a\n   text\n  1. nested\n1. |b", "1. a\n   text\n  1. nested\n2. |b"},
        {"1. a\nplain\n1. |b", "<none>"},
        {"1. a\n2. |b", "<none>"},
        {"- a|", "<none>"},
        // The caret keeps its offset even where numbers before it got shorter.
        {"007. a\n1. |b", "7. a\n8. b|"},
        {"99999999999999999999. a\n7. |b", "1. a\n2. b|"},
        {"1. a\r\n1. |b\r\n", "1. a\r\n2. |b\r\n"},
    });
}

void TestListEditing::renumbersOrderedBlocks()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    const auto [text, sel] = parse(before);
    QCOMPARE(applied(renumberList(text, sel.location), text), after);
}

void TestListEditing::tabIndentsItems_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("outdent");
    QTest::addColumn<QString>("after");
    QTest::newRow("indent") << "- a|" << false << "  - a|";
    QTest::newRow("indent keeps selection") << "x\n- {a}" << false << "x\n  - {a}";
    QTest::newRow("outdent two of three") << "   - a|" << true << " - a|";
    QTest::newRow("outdent one") << " - |a" << true << "- |a";
    QTest::newRow("outdent tab") << "\t- a|" << true << "- a|";
    QTest::newRow("outdent at margin") << "- a|" << true << "- a|";
    QTest::newRow("outdent clamps at line start") << "x\n  |- a" << true << "x\n|- a";
    QTest::newRow("outdent selection stays inside") << "{  1. }" << true << "{1. }";
    QTest::newRow("plain line") << "plain|" << false << "<none>";
}

void TestListEditing::tabIndentsItems()
{
    QFETCH(QString, before);
    QFETCH(bool, outdent);
    QFETCH(QString, after);
    const auto [text, sel] = parse(before);
    QCOMPARE(applied(indentListItem(text, sel, outdent), text), after);
}

void TestListEditing::wrapsAndUnwraps_data()
{
    addRows({
        {"a|b", "a**|**b"},
        {"{word}", "**{word}**"},
        {"{**word**}", "{word}"},
        {"**{word}**", "{word}"},
        {"{****}", "|"},
        {"x{**}", "x**{**}**"},
    });
}

void TestListEditing::wrapsAndUnwraps()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    const auto [text, sel] = parse(before);
    QCOMPARE(applied(wrapSelection(text, sel, QStringLiteral("**")), text), after);
}

void TestListEditing::togglesTaskBoxes_data()
{
    addRows({
        {"- [ ] a|", "- [x] a|"},
        {"- [X] a|", "- [ ] a|"},
        {"- a|", "- [ ] a|"},
        {"a|", "- [ ] a|"},
        {"  a|", "  - [ ] a|"},
        {"1. a|", "- [ ] 1. a|"},
        {"one\n{two}", "one\n- [ ] {two}"},
        {"|", "- [ ] |"},
    });
}

void TestListEditing::togglesTaskBoxes()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    const auto [text, sel] = parse(before);
    QCOMPARE(applied(toggleCheckboxes(text, sel), text), after);
}

void TestListEditing::clickTicksOnlyOnTheBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("index");
    QTest::addColumn<QString>("after");
    QTest::newRow("on the x") << "- [x] a" << qsizetype(3) << "- [ ] a";
    QTest::newRow("on the bracket") << "z\n- [ ] a" << qsizetype(4) << "z\n- [x] a";
    QTest::newRow("on the text") << "- [x] a" << qsizetype(6) << "<none>";
    QTest::newRow("past the end") << "- [x] a" << qsizetype(7) << "<none>";
    QTest::newRow("negative") << "- [x] a" << qsizetype(-1) << "<none>";
}

void TestListEditing::clickTicksOnlyOnTheBox()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, index);
    QFETCH(QString, after);
    const std::optional<TextEdit> edit = checkboxClick(text, index);
    QCOMPARE(edit ? edit->appliedTo(text) : QStringLiteral("<none>"), after);
    if (edit) // the caret lands where the click was
        QCOMPARE(edit->selection, (TextRange{index, 0}));
}

void TestListEditing::makesLinks()
{
    const QString address = QStringLiteral("https://example.com");
    auto link = [&](const char* marked, const std::optional<QString>& to) {
        const auto [text, sel] = parse(QString::fromUtf8(marked));
        return applied(makeLink(text, sel, to), text);
    };
    QCOMPARE(link("see {docs}!", address), QStringLiteral("see [docs](https://example.com)|!"));
    QCOMPARE(link("see {docs}!", std::nullopt), QStringLiteral("see [docs](|)!"));
    QCOMPARE(link("a|b", address), QStringLiteral("a[|](https://example.com)b"));
}

void TestListEditing::currentLineStopsAtTerminators()
{
    const QString text = QStringLiteral("ab\r\ncd\nef");
    const Line first = currentLine(text, 1);
    QCOMPARE(first.range, (TextRange{0, 4}));
    QCOMPARE(first.content, u"ab");
    const Line last = currentLine(text, 99);
    QCOMPARE(last.range, (TextRange{7, 2}));
    QCOMPARE(last.contentLength, 2);
    QCOMPARE(currentLine(QString::fromUtf16(u"a\u2028b"), 2).range, (TextRange{2, 1}));
}

// Random texts full of list syntax, surrogates and odd selections: every edit must lie
// inside its text, leave a selection inside the new text, and split no surrogate pair.
void TestListEditing::anySelectionGivesApplicableEdits()
{
    const QStringList pieces{"- ",
                             "* ",
                             "1. ",
                             "[ ] ",
                             "[x] ",
                             "  ",
                             "\t",
                             "\n",
                             "\r\n",
                             "a",
                             "**",
                             "_",
                             "`",
                             QString::fromUtf16(u"\U0001F600"),
                             QString(QChar(0xD800)),
                             "99999999999999999999. ",
                             "= 1",
                             "#"};
    QRandomGenerator random(20261206);
    auto check = [](const QString& text, const std::optional<TextEdit>& edit) {
        if (!edit)
            return;
        QVERIFY(edit->range.location >= 0 && edit->range.length >= 0);
        QVERIFY(edit->range.end() <= text.size());
        const QString after = edit->appliedTo(text);
        QVERIFY(edit->selection.location >= 0 && edit->selection.length >= 0);
        QVERIFY2(edit->selection.end() <= after.size(), qPrintable(QDebug::toString(*edit)));
        for (qsizetype i : {edit->range.location, edit->range.end()}) {
            QVERIFY(!(i > 0 && i < text.size() && text[i - 1].isHighSurrogate() &&
                      text[i].isLowSurrogate()));
        }
    };
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int count = random.bounded(12);
        for (int i = 0; i < count; ++i)
            text += pieces[random.bounded(pieces.size())];
        const qsizetype n = text.size();
        const TextRange sel{random.bounded(-3, int(n) + 4), random.bounded(-3, int(n) + 4)};
        check(text, continueList(text, sel));
        check(text, renumberList(text, sel.location));
        check(text, indentListItem(text, sel, round % 2 == 0));
        check(text, wrapSelection(text, sel, QStringLiteral("_")));
        check(text, toggleCheckboxes(text, sel));
        check(text, checkboxClick(text, sel.location));
        check(text, makeLink(text, sel, QStringLiteral("x:y")));
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("text %1 selection %2+%3")
                                 .arg(QString::fromLatin1(text.toUtf8().toPercentEncoding()))
                                 .arg(sel.location)
                                 .arg(sel.length)));
    }
}

QTEST_GUILESS_MAIN(TestListEditing)
#include "tst_listediting.moc"
