// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/mathevaluator.h"
#include "ui/editor/notehighlighter.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace quelto;

// The results the highlighter keeps up to date edit by edit must always equal the
// results of the whole note computed afresh.
class TestIncrementalResults : public QObject {
    Q_OBJECT

private slots:
    void randomEditsMatchFullRecomputation();
};

namespace {

QMap<int, QString> recomputed(const QTextDocument& document, const icu::Locale& locale)
{
    const QString text = document.toPlainText();
    QMap<int, QString> expected;
    const QMap<int, Decimal> values = MathEvaluator::results(text, locale);
    for (auto it = values.begin(); it != values.end(); ++it) {
        const QTextBlock block = document.findBlockByNumber(it.key());
        expected.insert(block.position(), MathEvaluator::formatResult(*it, locale));
    }
    return expected;
}

} // namespace

void TestIncrementalResults::randomEditsMatchFullRecomputation()
{
    const icu::Locale locale("en_US");
    QTextDocument document;
    document.documentLayout(); // a document reports its changes once it has a layout
    NoteHighlighter highlighter(&document, EditorTheme{14, false}, true, QPalette());
    highlighter.setLocale(locale);
    const QStringList lines{"= 3",   "= 2.5 * 4", "= sum", "= total", "",       "   ",
                            "words", "= 1 +",     "= 7%",  "- [ ] a", "= (1+2", "=10"};
    const QStringList pieces{"1", "=", " ", "\n", "sum", "+2", "x"};
    QRandomGenerator random(7);
    for (int step = 0; step < 3000; ++step) {
        QTextCursor cursor(&document);
        const int length = document.characterCount() - 1;
        const int at = length > 0 ? int(random.bounded(length + 1)) : 0;
        cursor.setPosition(at);
        switch (random.bounded(5)) {
        case 0: // a whole line
            cursor.movePosition(QTextCursor::StartOfBlock);
            cursor.insertText(lines[random.bounded(lines.size())] + u'\n');
            break;
        case 1: // a line removed
            cursor.select(QTextCursor::BlockUnderCursor);
            cursor.removeSelectedText();
            break;
        case 2: // a span removed, maybe across lines
            cursor.setPosition(std::min(length, at + int(random.bounded(12))),
                               QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            break;
        default: // a few characters, or a line split
            cursor.insertText(pieces[random.bounded(pieces.size())]);
            break;
        }
        const QMap<int, QString> expected = recomputed(document, locale);
        if (highlighter.mathResults() != expected) {
            QCOMPARE(document.toPlainText(), QStringLiteral("(step %1)").arg(step));
            QCOMPARE(highlighter.mathResults(), expected);
        }
    }
    QVERIFY(!highlighter.mathResults().isEmpty());
}

QTEST_MAIN(TestIncrementalResults)
#include "tst_incrementalresults.moc"
