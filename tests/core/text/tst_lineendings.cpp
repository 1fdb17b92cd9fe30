// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/lineendings.h"

#include <QTest>

using namespace quelto;

// What an edit in the editor does to a note's line endings: the editor's text is
// split, edited, and joined back in the note's own endings.
class TestLineEndings : public QObject {
    Q_OBJECT

private slots:
    void splitAndJoinRoundTrip_data();
    void splitAndJoinRoundTrip();
    void editsKeepUntouchedEndings_data();
    void editsKeepUntouchedEndings();
};

void TestLineEndings::splitAndJoinRoundTrip_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("endings");
    QTest::newRow("lf") << "a\nb\n"
                        << "a\nb\n"
                        << QByteArray("\n\n");
    QTest::newRow("mixed") << "a\r\nb\nc\rd\u2029e"
                           << "a\nb\nc\nd\ne" << QByteArray("w\n\rp");
    QTest::newRow("cr before lf is one break") << "\r\n\r\n"
                                               << "\n\n"
                                               << QByteArray("ww");
    QTest::newRow("line separator stays text") << "a\u2028b"
                                               << "a\u2028b" << QByteArray();
    QTest::newRow("lone cr at end") << "end\r"
                                    << "end\n"
                                    << QByteArray("\r");
}

void TestLineEndings::splitAndJoinRoundTrip()
{
    QFETCH(QString, stored);
    QFETCH(QString, text);
    QFETCH(QByteArray, endings);
    const LineEndings::Split split = LineEndings::split(stored);
    QCOMPARE(split, (LineEndings::Split{text, endings}));
    QCOMPARE(LineEndings::join(split.text, split.endings, '\n'), stored);
}

void TestLineEndings::editsKeepUntouchedEndings_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("edited"); // the editor's text after the edit
    QTest::addColumn<QString>("expected");
    QTest::newRow("typing in a crlf note") << "one\r\ntwo\r\nthree"
                                           << "one\ntwo!\nthree"
                                           << "one\r\ntwo!\r\nthree";
    QTest::newRow("new break takes the most common ending") << "a\r\nb\r\nc\nd"
                                                            << "a\nb\nnew\nc\nd"
                                                            << "a\r\nb\r\nnew\r\nc\nd";
    QTest::newRow("a tie goes to lf") << "a\r\nb\nc"
                                      << "a\nb\nc\nd"
                                      << "a\r\nb\nc\nd";
    QTest::newRow("deleting one break keeps the others") << "a\r\nb\nc\rd"
                                                         << "ab\nc\nd"
                                                         << "ab\nc\rd";
    QTest::newRow("paragraph separators survive") << "x\u2029y\u2029z"
                                                  << "x\ny\nz!"
                                                  << "x\u2029y\u2029z!";
    QTest::newRow("lf note stays lf") << "a\nb"
                                      << "a\n\nb"
                                      << "a\n\nb";
    QTest::newRow("edit spanning breaks") << "a\rb\r\nc\rd"
                                          << "a\nX\nY\nd"
                                          << "a\rX\rY\rd";
}

void TestLineEndings::editsKeepUntouchedEndings()
{
    QFETCH(QString, stored);
    QFETCH(QString, edited);
    QFETCH(QString, expected);
    const LineEndings::Split before = LineEndings::split(stored);
    const char fallback = LineEndings::mostCommon(before.endings);
    const LineEndings::Endings after =
        LineEndings::carry(before.text, before.endings, edited, fallback);
    QCOMPARE(LineEndings::join(edited, after, fallback), expected);
}

QTEST_GUILESS_MAIN(TestLineEndings)
#include "tst_lineendings.moc"
