// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/textsearch.h"
#include "support/texttable.h"

#include <QTest>

using namespace quelto;
using quelto::testing::cell;
using quelto::testing::textColumns;
using quelto::testing::textRow;

namespace {

// "from+length" of each match.
QString shown(const QList<TextRange>& ranges)
{
    QStringList out;
    for (const TextRange& r : ranges)
        out << QStringLiteral("%1+%2").arg(r.location).arg(r.length);
    return out.join(u' ');
}

} // namespace

class TestTextSearch : public QObject {
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(TestTextSearch)
#include "tst_textsearch.moc"
