// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/lineendings.h"
#include "support/texttable.h"

#include <QTest>

using namespace quelto;
using quelto::testing::cell;
using quelto::testing::textColumns;
using quelto::testing::textRow;

// What an edit in the editor does to a note's line endings: the editor's text is
// split, edited, and joined back in the note's own endings.
class TestLineEndings : public QObject {
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestLineEndings)
#include "tst_lineendings.moc"
