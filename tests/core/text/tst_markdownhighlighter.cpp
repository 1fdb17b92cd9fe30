#include "core/text/markdownhighlighter.h"

#include <QDebug>
#include <QTest>

#include <thread>

using namespace quelto;
using namespace quelto::MarkdownHighlighter;

namespace {

QStringList describe(const QList<StyleRun>& runs)
{
    QStringList out;
    for (const StyleRun& run : runs) {
        QString s;
        QDebug(&s).noquote() << run;
        out << s.trimmed();
    }
    return out;
}

} // namespace

class TestMarkdownHighlighter : public QObject {
    Q_OBJECT

private slots:
    void runsForLine_data();
    void runsForLine();
    void inlineRunsAreRelativeToTheLine();
    void checkboxNeedsSingleSpaces_data();
    void checkboxNeedsSingleSpaces();
    void paragraphRangeCoversWholeParagraphs_data();
    void paragraphRangeCoversWholeParagraphs();
    void cacheHandsOutOnePatternAcrossThreads();
};

void TestMarkdownHighlighter::runsForLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("runs");

    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("only a terminator") << "\r\n" << QStringList{};
    QTest::newRow("math") << "= 12 * 3\n" << QStringList{"math 0..8"};
    QTest::newRow("indented math with emphasis inside") << "   =x *y*" << QStringList{"math 0..9"};
    QTest::newRow("not math") << "a = 1" << QStringList{};
    QTest::newRow("rule with blanks") << "  ---  " << QStringList{"rule 0..7"};
    QTest::newRow("rule with other spaces")
        << QString::fromUtf16(u"\u00A0---\t") << QStringList{"rule 0..5"};
    QTest::newRow("four hyphens") << "----" << QStringList{};
    QTest::newRow("rule with text") << "--- x" << QStringList{};
    QTest::newRow("heading with bold")
        << "## Title **b**"
        << QStringList{"marker 0..3", "heading 3..14 level 2", "marker 9..11", "bold 11..12",
                       "marker 12..14"};
    QTest::newRow("empty heading") << "# " << QStringList{"marker 0..2", "heading 2..2 level 1"};
    QTest::newRow("four hashes") << "#### Title" << QStringList{};
    QTest::newRow("hash without space") << "#Title" << QStringList{};
    QTest::newRow("ticked task") << "- [x] Done"
                                 << QStringList{"listBullet 0..1", "checkbox 2..5 checked"};
    QTest::newRow("upper-case tick")
        << "- [X] Done" << QStringList{"listBullet 0..1", "checkbox 2..5 checked"};
    QTest::newRow("open task with emphasis")
        << "- [ ] *now*"
        << QStringList{"listBullet 0..1", "checkbox 2..5 unchecked", "marker 6..7", "italic 7..10",
                       "marker 10..11"};
    QTest::newRow("indented star") << "  * item" << QStringList{"listBullet 2..3"};
    QTest::newRow("number") << "12. item" << QStringList{"listBullet 0..3"};
    QTest::newRow("dash without space") << "-item" << QStringList{};
    QTest::newRow("number without space") << "1.item" << QStringList{};
    QTest::newRow("numbered task has no box") << "1. [ ] x" << QStringList{"listBullet 0..2"};
    QTest::newRow("code hides bold")
        << "`**x**`" << QStringList{"marker 0..1", "code 1..6", "marker 6..7"};
    QTest::newRow("bold around code")
        << "**a `b` c**" << QStringList{"marker 0..2", "bold 2..9",   "marker 4..5",
                                        "code 5..6",   "marker 6..7", "marker 9..11"};
    QTest::newRow("address in parentheses then full stop")
        << "(see https://a.example/x)." << QStringList{"link 5..24 https://a.example/x"};
    QTest::newRow("balanced parenthesis kept")
        << "https://en.example/a_(b)" << QStringList{"link 0..24 https://en.example/a_(b)"};
    QTest::newRow("www address") << "go www.example.com!"
                                 << QStringList{"link 3..18 https://www.example.com"};
    QTest::newRow("e-mail address")
        << "mail ann@example.org." << QStringList{"link 5..20 mailto:ann@example.org"};
    QTest::newRow("markdown link")
        << "[docs](https://example.com/d)"
        << QStringList{"marker 0..1", "link 1..5 https://example.com/d", "marker 5..29"};
    QTest::newRow("link target not linked twice")
        << "[https://a.example](https://b.example)"
        << QStringList{"marker 0..1", "link 1..18 https://b.example", "marker 18..38"};
    QTest::newRow("link without scheme") << "[a](notes.txt)" << QStringList{};
    QTest::newRow("emphasis in link text not styled")
        << "[*a*](https://x.example)"
        << QStringList{"marker 0..1", "link 1..4 https://x.example", "marker 4..24"};
    QTest::newRow("snake case") << "snake_case_name" << QStringList{};
    QTest::newRow("stars between digits") << "2*3*4" << QStringList{};
    QTest::newRow("bold with leading blank") << "** x**" << QStringList{};
    QTest::newRow("bold with trailing blank") << "**x **" << QStringList{};
    QTest::newRow("nested emphasis only outer")
        << "**a _b_ c**" << QStringList{"marker 0..2", "bold 2..9", "marker 9..11"};
    QTest::newRow("underscore bold and strike")
        << "__b__ ~~s~~" << QStringList{"marker 0..2", "bold 2..3",   "marker 3..5",
                                        "marker 6..8", "strike 8..9", "marker 9..11"};
    // Offsets count UTF-16 units: the emoji is two, the combining accent one.
    QTest::newRow("after an emoji") << QString::fromUtf16(u"\U0001F600 *a*")
                                    << QStringList{"marker 3..4", "italic 4..5", "marker 5..6"};
    QTest::newRow("after a combining mark")
        << QString::fromUtf16(u"e\u0301 `c`")
        << QStringList{"marker 3..4", "code 4..5", "marker 5..6"};
    QTest::newRow("CR LF dropped") << "# A\r\n"
                                   << QStringList{"marker 0..2", "heading 2..3 level 1"};
}

void TestMarkdownHighlighter::runsForLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, runs);
    QCOMPARE(describe(MarkdownHighlighter::runsForLine(line)), runs);
}

void TestMarkdownHighlighter::inlineRunsAreRelativeToTheLine()
{
    const QString text = QStringLiteral("**a** and **b**");
    QCOMPARE(describe(inlineRuns(text, 6, text.size())),
             (QStringList{"marker 10..12", "bold 12..13", "marker 13..15"}));
    QCOMPARE(describe(inlineRuns(text, -5, 999)).size(), 6);
    QCOMPARE(describe(inlineRuns(text, 9, 2)), QStringList{});
}

void TestMarkdownHighlighter::checkboxNeedsSingleSpaces_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<qsizetype>("location"); // -1: no box
    QTest::newRow("dash") << "- [ ] a" << qsizetype(2);
    QTest::newRow("indented star") << "\t* [x] a" << qsizetype(3);
    QTest::newRow("two spaces before box") << "-  [ ] a" << qsizetype(-1);
    QTest::newRow("no space after box") << "- [ ]a" << qsizetype(-1);
    QTest::newRow("numbered") << "1. [ ] a" << qsizetype(-1);
    QTest::newRow("other mark") << "- [v] a" << qsizetype(-1);
}

void TestMarkdownHighlighter::checkboxNeedsSingleSpaces()
{
    QFETCH(QString, line);
    QFETCH(qsizetype, location);
    const std::optional<TextRange> box = checkboxRange(line);
    QCOMPARE(box ? box->location : -1, location);
    if (box)
        QCOMPARE(box->length, 3);
}

void TestMarkdownHighlighter::paragraphRangeCoversWholeParagraphs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("location");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<qsizetype>("expectedLocation");
    QTest::addColumn<qsizetype>("expectedLength");
    QTest::newRow("empty text") << "" << qsizetype(3) << qsizetype(4) << qsizetype(0)
                                << qsizetype(0);
    QTest::newRow("middle line") << "ab\ncd\nef" << qsizetype(4) << qsizetype(0) << qsizetype(3)
                                 << qsizetype(3);
    QTest::newRow("two lines") << "ab\ncd\nef" << qsizetype(1) << qsizetype(3) << qsizetype(0)
                               << qsizetype(6);
    QTest::newRow("range ending on terminator")
        << "ab\ncd" << qsizetype(0) << qsizetype(3) << qsizetype(0) << qsizetype(3);
    QTest::newRow("past the end") << "ab\ncd" << qsizetype(50) << qsizetype(5) << qsizetype(3)
                                  << qsizetype(2);
    QTest::newRow("after final newline")
        << "ab\n"
        << qsizetype(3) << qsizetype(0) << qsizetype(3) << qsizetype(0);
    QTest::newRow("CR LF kept whole")
        << "ab\r\ncd" << qsizetype(0) << qsizetype(1) << qsizetype(0) << qsizetype(4);
    QTest::newRow("between CR and LF")
        << "ab\r\ncd" << qsizetype(3) << qsizetype(0) << qsizetype(0) << qsizetype(4);
    QTest::newRow("negative") << "ab\ncd" << qsizetype(-4) << qsizetype(-1) << qsizetype(0)
                              << qsizetype(3);
}

void TestMarkdownHighlighter::paragraphRangeCoversWholeParagraphs()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, location);
    QFETCH(qsizetype, length);
    QFETCH(qsizetype, expectedLocation);
    QFETCH(qsizetype, expectedLength);
    QCOMPARE(paragraphRange(text, {location, length}),
             (TextRange{expectedLocation, expectedLength}));
}

void TestMarkdownHighlighter::cacheHandsOutOnePatternAcrossThreads()
{
    const QString pattern = QStringLiteral("x(y)z-threads");
    std::vector<const icu::RegexPattern*> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] {
            seen[i] = &cachedRegex(pattern);
            for (int k = 0; k < 200; ++k)
                MarkdownHighlighter::runsForLine(u"- [ ] **a** `b` https://c.example _d_");
        });
    for (auto& t : threads)
        t.join();
    for (const auto* p : seen)
        QCOMPARE(p, seen.front());
}

QTEST_GUILESS_MAIN(TestMarkdownHighlighter)
#include "tst_markdownhighlighter.moc"
