// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/note.h"
#include "support/texttable.h"

#include <QTest>

using namespace quelto;
using quelto::testing::cell;
using quelto::testing::textColumns;
using quelto::testing::textRow;

class TestNote : public QObject {
    Q_OBJECT

private slots:
    void derivedTitleStripsMarkdown_data()
    {
        textColumns({"text", "title"});
        textRow("empty", "", "Untitled");
        textRow("only blanks", " \t\n\r\n  ", "Untitled");
        textRow("heading after empty lines", "\n\n   # Shopping list  \nmilk", "Shopping list");
        textRow("task with emphasis", "- [x] **Call** _home_", "Call home");
        textRow("math line keeps spaces", "= 12 * 3", "12  3");
        textRow("lone hash", "#", "#");
        textRow("hash and space is trimmed first", "# ", "#");
        textRow("all markers, later lines ignored", "***\nsecond line", "Untitled");
        textRow("numbered item", "12. eggs", "eggs");
        textRow("bullet", "* milk", "milk");
        textRow("CR line ends", "\r\rfirst\rsecond", "first");
        textRow("unicode line separator", "\u2028title\u2029x", "title");
        QTest::newRow("41 characters") << QString(41, u'a') << QString(40, u'a');
        // 41 flags: each is two code points and four UTF-16 units, counted as one character.
        const QString flag = QString::fromUtf16(u"\U0001F1E9\U0001F1EA");
        QTest::newRow("grapheme clusters count once") << flag.repeated(41) << flag.repeated(40);
        // clang-format off
        QTest::newRow("combining marks stay with their letter") << QString(39, u'x') + QString::fromUtf16(u"e\u0301z") << QString(39, u'x') + QString::fromUtf16(u"e\u0301");
        // clang-format on
    }

    void derivedTitleStripsMarkdown() { QCOMPARE(derivedTitle(cell("text")), cell("title")); }

    // Empty where the text is rejected.
    void dateTimesAreWholeSecondsInUtc_data()
    {
        textColumns({"text", "utc"});
        textRow("zulu", "2025-03-01T14:05:09Z", "2025-03-01T14:05:09Z");
        textRow("offset", "2025-03-01T15:05:09+01:00", "2025-03-01T14:05:09Z");
        textRow("negative offset", "2025-03-01T23:30:00-02:30", "2025-03-02T02:00:00Z");
        textRow("fraction", "2025-03-01T14:05:09.5Z", "");
        textRow("no zone", "2025-03-01T14:05:09", "");
        textRow("bad month", "2025-13-01T14:05:09Z", "");
        textRow("date only", "2025-03-01", "");
        textRow("trailing text", "2025-03-01T14:05:09Zx", "");
    }

    void dateTimesAreWholeSecondsInUtc()
    {
        const std::optional<QDateTime> parsed = parseInternetDateTime(cell("text"));
        QCOMPARE(parsed ? internetDateTime(*parsed) : QString(), cell("utc"));
    }
};

QTEST_GUILESS_MAIN(TestNote)
#include "tst_note.moc"
