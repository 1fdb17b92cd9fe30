// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/filenoterepository.h"
#include "support/notes.h"
#include "support/texttable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace quelto;

namespace {

using quelto::testing::cell;
using quelto::testing::readFile;
using quelto::testing::textColumns;
using quelto::testing::textRow;
using quelto::testing::textsOf;
using quelto::testing::writeFile;

const QUuid kA = QUuid::fromString(u"AAAAAAAA-0000-4000-8000-000000000001");
const QUuid kB = QUuid::fromString(u"BBBBBBBB-0000-4000-8000-000000000002");
const QUuid kC = QUuid::fromString(u"CCCCCCCC-0000-4000-8000-000000000003");

QDateTime utc(int day, int hour = 12)
{
    return QDateTime(QDate(2025, 3, day), QTime(hour, 0), Qt::UTC);
}

Note makeNote(const QUuid& id, const QString& text, int day, bool scratch = false,
              std::optional<QString> title = std::nullopt)
{
    return Note{id, std::move(title), text, utc(day), utc(day, 13), scratch};
}

void setModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

class TestFileNoteRepository : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        // The Trash lives under the data location; keep it inside the test's own folder.
        qputenv("XDG_DATA_HOME", m_dir->filePath(QStringLiteral("share")).toUtf8());
        m_notes = m_dir->filePath(QStringLiteral("Quelto/Notes"));
        m_index = m_dir->filePath(QStringLiteral("Quelto/index.json"));
        m_repo = std::make_unique<FileNoteRepository>(m_notes, m_index);
    }

    // The index as other copies of the program and sync tools read it: sorted keys,
    // upper-case IDs, whole seconds in UTC, no key for what is absent.
    void notesAndIndexRoundTrip()
    {
        Note fractional = makeNote(kA, "a", 1, true);
        fractional.updatedAt = fractional.updatedAt.addMSecs(640);
        m_repo->save(fractional);
        m_repo->saveIndex({{fractional}, std::nullopt});
        QCOMPARE(readFile(m_index), QByteArray(R"({
    "notes": [
        {
            "createdAt": "2025-03-01T12:00:00Z",
            "id": "AAAAAAAA-0000-4000-8000-000000000001",
            "isScratch": true,
            "updatedAt": "2025-03-01T13:00:00Z"
        }
    ],
    "version": 1
}
)"));
        QCOMPARE(m_repo->load().notes.value(0).updatedAt, utc(1, 13));

        const QString groceries = QString::fromUtf8("# Groceries\n- milk 🥛");
        const NoteIndex index{{makeNote(kA, "a", 1, true),
                               makeNote(kB, groceries, 2, false, "Groceries"), makeNote(kC, "", 3)},
                              kB};
        for (const Note& n : index.notes)
            m_repo->save(n);
        m_repo->saveIndex(index);
        QCOMPARE(m_repo->load(), index);
        QCOMPARE(readFile(m_repo->notePath(kB)), groceries.toUtf8());
        setModified(m_index, utc(5));
        m_repo->saveIndex(index); // unchanged: not written again
        QCOMPARE(QFileInfo(m_index).lastModified(), utc(5));
    }

    void indexEntryWithoutFileIsDropped()
    {
        const QList<Note> notes{makeNote(kA, "a", 1, true), makeNote(kB, "b", 2),
                                makeNote(kC, "c", 3)};
        for (const Note& n : notes)
            m_repo->save(n);
        m_repo->saveIndex({notes, kB});
        QVERIFY(QFile::remove(m_repo->notePath(kB)));
        QCOMPARE(m_repo->load(), (NoteIndex{{notes[0], notes[2]}, std::nullopt}));
        m_repo->saveIndex({notes, kC});
        QCOMPARE(m_repo->load(), (NoteIndex{{notes[0], notes[2]}, kC}));
    }

    void strayUuidFilesJoinAfterIndexedNotesOldestFirst()
    {
        const Note a = makeNote(kA, "a", 1, true);
        m_repo->save(a);
        m_repo->saveIndex({{a}, kA});
        const QString newer = m_notes + "/cccccccc-0000-4000-8000-000000000003.md";
        const QString older = m_notes + "/bbbbbbbb-0000-4000-8000-000000000002.md";
        QVERIFY(writeFile(newer, "newer"));
        QVERIFY(writeFile(older, "older"));
        setModified(newer, utc(20));
        setModified(older, utc(10));

        const NoteIndex loaded = m_repo->load();
        QCOMPARE(textsOf(loaded.notes), (QStringList{"a", "older", "newer"}));
        const Note stray = loaded.notes[1];
        QCOMPARE(stray, (Note{kB, std::nullopt, "older", stray.createdAt, utc(10), false}));
        QCOMPARE(loaded.activeID, std::optional<QUuid>(kA));
        QCOMPARE(textsOf(m_repo->orphanNotes({kA, kB})), QStringList{"newer"});
    }

    void foreignFilesAreIgnoredAndNeverTouched()
    {
        QVERIFY(QDir().mkpath(m_notes));
        const QMap<QString, QByteArray> foreign{
            {"readme.md", "not a uuid"},
            {"AAAAAAAA-0000-4000-8000-000000000001.txt", "other extension"},
            {"AAAAAAAA-0000-4000-8000-000000000001.MD", "upper-case extension"},
            {"{CCCCCCCC-0000-4000-8000-000000000003}.md", "braces"},
            // What sync tools and editors leave beside a note.
            {"CCCCCCCC-0000-4000-8000-000000000003.sync-conflict-20250301-120000-ABCDEFG.md",
             "conflict copy"},
            {".syncthing.CCCCCCCC-0000-4000-8000-000000000003.md.tmp", "half a download"},
            {"~CCCCCCCC-0000-4000-8000-000000000003.md", "backup"},
        };
        for (auto it = foreign.begin(); it != foreign.end(); ++it)
            QVERIFY(writeFile(m_notes + '/' + it.key(), it.value()));

        QCOMPARE(m_repo->load(), NoteIndex{}); // no index: recovery from the folder
        const Note c = makeNote(kC, "c", 3, true);
        m_repo->save(c);
        m_repo->saveIndex({{c}, kC});
        QCOMPARE(m_repo->load(), (NoteIndex{{c}, kC}));
        QCOMPARE(textsOf(m_repo->orphanNotes({})), QStringList{"c"});
        m_repo->trash(kA); // A has no note file: nothing to do, and no error
        m_repo->save(makeNote(kB, "", 2));
        m_repo->trash(kB); // empty: nothing worth a place in the Trash
        QVERIFY(!QFile::exists(m_repo->notePath(kB)));
        QVERIFY(!QFile::exists(m_dir->filePath("share/Trash/files")));

        for (auto it = foreign.begin(); it != foreign.end(); ++it)
            QCOMPARE(readFile(m_notes + '/' + it.key()), it.value());
    }

    void damagedIndexRecoversFromFolder_data()
    {
        QTest::addColumn<QByteArray>("index");
        const QByteArray entry =
            R"({"id": "AAAAAAAA-0000-4000-8000-000000000001", "isScratch": true,
            "createdAt": "2025-03-01T12:00:00Z", "updatedAt": "2025-03-01T12:00:00Z"})";
        auto with = [&](const QByteArray& e) { return "{\"notes\": [" + e + "], \"version\": 1}"; };
        auto changed = [&](const char* from, const char* to) {
            return with(QByteArray(entry).replace(from, to));
        };
        // clang-format off
        QTest::newRow("missing file") << QByteArray("<none>");
        QTest::newRow("empty object") << QByteArray("{}");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("not json") << QByteArray("notes: A, B");
        QTest::newRow("truncated") << with(entry).left(60);
        QTest::newRow("no version") << QByteArray("{\"notes\": []}");
        QTest::newRow("version as text") << QByteArray("{\"notes\": [], \"version\": \"1\"}");
        QTest::newRow("notes not an array") << QByteArray("{\"notes\": {}, \"version\": 1}");
        QTest::newRow("entry not an object") << with("42");
        QTest::newRow("missing isScratch") << changed("\"isScratch\": true,", "");
        QTest::newRow("isScratch as number") << changed("true", "1");
        QTest::newRow("malformed id") << changed("AAAAAAAA-", "AAAAAAAA");
        QTest::newRow("title as number") << changed("{", "{\"customTitle\": 3,");
        QTest::newRow("active id malformed") << QByteArray("{\"activeID\": \"x\", \"notes\": [], \"version\": 1}");
        // clang-format on
    }

    void damagedIndexRecoversFromFolder()
    {
        QFETCH(QByteArray, index);
        const QList<Note> notes{makeNote(kA, "a", 1, true, QStringLiteral("kept?")),
                                makeNote(kB, "b", 2), makeNote(kC, "c", 3)};
        for (const Note& n : notes) {
            m_repo->save(n);
            setModified(m_repo->notePath(n.id), n.updatedAt);
        }
        if (index != "<none>")
            QVERIFY(writeFile(m_index, index));

        const NoteIndex loaded = m_repo->load();
        QCOMPARE(textsOf(loaded.notes), (QStringList{"c", "b", "a"}));
        QCOMPARE(loaded.activeID, std::nullopt);
        for (const Note& n : loaded.notes) {
            QVERIFY(!n.isScratch);
            QCOMPARE(n.customTitle, std::nullopt);
        }
        for (const Note& n : notes)
            QCOMPARE(readFile(m_repo->notePath(n.id)), n.text.toUtf8());
        QCOMPARE(readFile(m_index), index == "<none>" ? QByteArray("<missing>") : index);
    }

    void damagedIndexRecoversFromPreviousCopy()
    {
        const QList<Note> notes{makeNote(kA, "a", 1, true), makeNote(kB, "b", 2, false, "Bee")};
        for (const Note& n : notes)
            m_repo->save(n);
        m_repo->saveIndex({notes, kB});
        m_repo->saveIndex({{notes[0], notes[1], makeNote(kC, "c", 3)}, kA}); // keeps the first
        QVERIFY(writeFile(m_index, "{\"notes\": [tru"));
        QCOMPARE(m_repo->load(), (NoteIndex{notes, kB}));
    }

    void failedWriteLeavesOldContentWhole()
    {
        m_repo->save(makeNote(kA, "old content", 1));
        // A file size limit makes the write itself fail halfway, as a full disk would.
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, previousHandler);
        });
        const rlimit small{1024, old.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QVERIFY_THROWS_EXCEPTION(NoteRepositoryError,
                                 m_repo->save(makeNote(kA, QString(8192, u'n'), 1)));
        QCOMPARE(readFile(m_repo->notePath(kA)), QByteArray("old content"));
        QCOMPARE(QDir(m_notes).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"AAAAAAAA-0000-4000-8000-000000000001.md"});
        // Nor is a file another program changed since it was read written over.
        QVERIFY(writeFile(m_repo->notePath(kA), "changed elsewhere"));
        QVERIFY_THROWS_EXCEPTION(NoteRepositoryError, m_repo->save(makeNote(kA, "stale", 1)));
        QCOMPARE(readFile(m_repo->notePath(kA)), QByteArray("changed elsewhere"));
    }

    void byteOrderMarkSurvivesRoundTrip()
    {
        QVERIFY(QDir().mkpath(m_notes));
        const QByteArray bytes = "\xEF\xBB\xBFwith bom";
        QVERIFY(writeFile(m_repo->notePath(kA), bytes));
        const NoteIndex loaded = m_repo->load();
        QCOMPARE(loaded.notes.size(), 1);
        m_repo->save(loaded.notes[0]);
        QCOMPARE(readFile(m_repo->notePath(kA)), bytes);
    }

    void derivedTitleStripsMarkdown_data()
    {
        textColumns({"text", "title"});
        textRow("empty", "", "Untitled");
        textRow("only blanks", " \t\n\r\n  ", "Untitled");
        textRow("heading after empty lines", "\n\n   # Shopping list  \nmilk", "Shopping list");
        textRow("task with emphasis", "- [x] **Call** _home_", "Call home");
        textRow("math line keeps spaces", "= 12 * 3", "12  3");
        textRow("hash and space is trimmed first", "# ", "#");
        textRow("all markers, later lines ignored", "***\nsecond line", "Untitled");
        textRow("numbered item", "12. eggs", "eggs");
        textRow("CR line ends", "\r\rfirst\rsecond", "first");
        textRow("unicode line separator", "\u2028title\u2029x", "title");
        QTest::newRow("41 characters") << QString(41, u'a') << QString(40, u'a');
        // 41 flags: each is two code points and four UTF-16 units, counted as one character.
        const QString flag = QString::fromUtf16(u"\U0001F1E9\U0001F1EA");
        QTest::newRow("grapheme clusters count once") << flag.repeated(41) << flag.repeated(40);
        // A long line is stripped a stretch at a time, as far as its title needs.
        QTest::newRow("long line cut inside a flag")
            << 'a' + flag.repeated(20000) << 'a' + flag.repeated(39);
        QTest::newRow("markers past the first stretch")
            << QString(1000, u'*') + " starred" + QString(99999, u'x')
            << "starred" + QString(33, u'x');
        QTest::newRow("heading space past the first stretch") << "#" + QString(3000, u' ') + "Deep"
                                                              << "Deep";
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

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_notes;
    QString m_index;
    std::unique_ptr<FileNoteRepository> m_repo;
};

QTEST_GUILESS_MAIN(TestFileNoteRepository)
#include "tst_filenoterepository.moc"
