// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/filenoterepository.h"
#include "core/storage/notestore.h"
#include "support/memorynoterepository.h"
#include "support/notes.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;
using namespace std::chrono_literals;

namespace {

using quelto::testing::plainNote;
using quelto::testing::readFile;

// The in-memory repository, counting index writes so tests can see when none happen.
class CountingRepository : public NoteRepository {
public:
    NoteIndex load() override
    {
        if (failLoad)
            throw NoteRepositoryError{QStringLiteral("unreadable")};
        return memory.load();
    }
    void save(const Note& note) override { memory.save(note); }
    void trash(const QUuid& id) override
    {
        trashed.append(id);
        memory.trash(id);
    }
    void saveIndex(const NoteIndex& index) override
    {
        ++indexWrites;
        memory.saveIndex(index);
    }
    QList<Note> orphanNotes(const QSet<QUuid>& known) override { return memory.orphanNotes(known); }

    MemoryNoteRepository memory;
    int indexWrites = 0;
    bool failLoad = false;
    QList<QUuid> trashed;
};

QDateTime t0()
{
    return quelto::testing::noteTime();
}

Note plain(const QString& text, bool scratch = false)
{
    return plainNote(text, scratch);
}

QStringList textsOf(const NoteStore& store)
{
    return quelto::testing::textsOf(store.notes());
}

} // namespace

class TestNoteStore : public QObject {
    Q_OBJECT

private slots:
    void loadingPutsScratchFirstAndWritesOnlyWhatChanged_data();
    void loadingPutsScratchFirstAndWritesOnlyWhatChanged();
    void sameTextChangesNothing();
    void burstOfTypingSavesOnce();
    void failedSaveIsRecordedAndRetried();
    void createNoteStopsAtTwelve();
    void closingPicksNeighbour_data();
    void closingPicksNeighbour();
    void scratchCannotBeClosedRenamedOrMoved();
    void renameTrimsAndClears();
    void moveFollowsOffsetsRule_data();
    void moveFollowsOffsetsRule();
    void activateFlushesAndIgnoresBadPositions();
    void adoptOrphansAppendsAndWritesIndex();
    void propertiesNotifyOnlyOnChange();
    void closingPendingNoteSavesBeforeTrash();
    void destroyingStoreWritesPendingText();

private:
    static std::shared_ptr<CountingRepository> repoWith(QList<Note> notes,
                                                        std::optional<QUuid> active = {});
};

std::shared_ptr<CountingRepository> TestNoteStore::repoWith(QList<Note> notes,
                                                            std::optional<QUuid> active)
{
    auto repo = std::make_shared<CountingRepository>();
    repo->memory.index = NoteIndex{std::move(notes), active};
    return repo;
}

// Notes as stored and as loaded, by text, Scratch with a leading "*"; the active note by
// text ("?" for an ID no note has); how many index and note writes the loading took.
void TestNoteStore::loadingPutsScratchFirstAndWritesOnlyWhatChanged_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("active");
    QTest::addColumn<bool>("loadFails");
    QTest::addColumn<QStringList>("loaded");
    QTest::addColumn<QString>("loadedActive");
    QTest::addColumn<int>("indexWrites");
    QTest::addColumn<int>("noteWrites");
    const auto row = [](const char* name, const QStringList& stored, const char* active,
                        bool loadFails, const QStringList& loaded, const char* loadedActive,
                        int indexWrites, int noteWrites) {
        QTest::newRow(name) << stored << QString(active) << loadFails << loaded
                            << QString(loadedActive) << indexWrites << noteWrites;
    };
    row("empty repository", {}, "", false, {"*"}, "*", 1, 1);
    row("no Scratch among notes", {"a", "b"}, "b", false, {"*", "a", "b"}, "b", 1, 1);
    row("unreadable", {"*s", "a"}, "a", true, {"*"}, "*", 1, 1);
    row("Scratch found later", {"a", "b", "*s", "c"}, "b", false, {"*s", "a", "b", "c"}, "b", 1, 0);
    row("stale active ID", {"*s", "a"}, "?", false, {"*s", "a"}, "*s", 1, 0);
    row("no active ID", {"*s", "a"}, "", false, {"*s", "a"}, "*s", 1, 0);
    // A second Scratch flag stays where it is.
    row("consistent", {"*s", "a", "*s2"}, "a", false, {"*s", "a", "*s2"}, "a", 0, 0);
}

void TestNoteStore::loadingPutsScratchFirstAndWritesOnlyWhatChanged()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, active);
    QFETCH(bool, loadFails);
    QFETCH(QStringList, loaded);
    QFETCH(QString, loadedActive);
    QFETCH(int, indexWrites);
    QFETCH(int, noteWrites);
    const auto shown = [](const Note& n) { return (n.isScratch ? "*" : "") + n.text; };
    QList<Note> notes;
    std::optional<QUuid> activeID;
    for (const QString& text : stored) {
        notes << plain(text.startsWith(u'*') ? text.mid(1) : text, text.startsWith(u'*'));
        if (text == active)
            activeID = notes.last().id;
    }
    if (active == u"?")
        activeID = QUuid::createUuid();
    auto repo = repoWith(notes, activeID);
    repo->failLoad = loadFails;
    NoteStore store(repo, 0ms, [] { return t0().addDays(1); });

    QStringList order;
    for (const Note& n : store.notes())
        order << shown(n);
    QCOMPARE(order, loaded);
    QCOMPARE(shown(*store.activeNote()), loadedActive);
    QCOMPARE(repo->indexWrites, indexWrites);
    QCOMPARE(repo->memory.saveCount, noteWrites);
    if (indexWrites > 0)
        QCOMPARE(repo->memory.index, (NoteIndex{store.notes(), store.activeID()}));
    if (noteWrites > 0) { // a new Scratch, made now
        const Note scratch = store.notes().first();
        QCOMPARE(scratch.createdAt, t0().addDays(1));
        QCOMPARE(repo->memory.saved.value(scratch.id), scratch);
    }
}

void TestNoteStore::sameTextChangesNothing()
{
    const QList<Note> stored{plain("same", true)};
    auto repo = repoWith(stored, stored[0].id);
    NoteStore store(repo, 500ms, [] { return t0().addDays(1); });
    QSignalSpy notesSpy(&store, &NoteStore::notesChanged);
    store.updateText(QStringLiteral("same"), stored[0].id);
    store.updateText(QStringLiteral("x"), QUuid::createUuid());
    QVERIFY(!store.hasPendingSaves());
    QCOMPARE(store.notes(), stored);
    QCOMPARE(notesSpy.count(), 0);
}

void TestNoteStore::burstOfTypingSavesOnce()
{
    auto repo = std::make_shared<CountingRepository>();
    const QDateTime later = t0().addSecs(30);
    NoteStore store(repo, 400ms, [&] { return later; });
    const QUuid id = store.activeID();
    const int before = repo->memory.saveCount;
    store.updateText(QStringLiteral("a"), id);
    store.updateText(QStringLiteral("ab"), id);
    QCOMPARE(repo->memory.saveCount, before);
    QTRY_COMPARE_WITH_TIMEOUT(repo->memory.saveCount, before + 1, 5000);
    QCOMPARE(repo->memory.saved.value(id).text, QStringLiteral("ab"));
    QCOMPARE(repo->memory.saved.value(id).updatedAt, later);
    QTest::qWait(500);
    QCOMPARE(repo->memory.saveCount, before + 1);
}

void TestNoteStore::failedSaveIsRecordedAndRetried()
{
    auto repo = std::make_shared<CountingRepository>();
    NoteStore store(repo, 0ms, t0);
    const QUuid id = store.activeID();
    QSignalSpy failedSpy(&store, &NoteStore::failedIDsChanged);
    QSignalSpy countSpy(&store, &NoteStore::saveFailureCountChanged);

    repo->memory.failNextSave = true;
    store.updateText(QStringLiteral("typed"), id);
    QCOMPARE(store.failedIDs(), QSet<QUuid>{id});
    QCOMPARE(store.saveFailureCount(), 1);
    QVERIFY(store.hasPendingSaves());
    QCOMPARE(store.notes()[0].text, QStringLiteral("typed"));

    store.flush();
    QCOMPARE(store.failedIDs(), QSet<QUuid>{});
    QCOMPARE(store.saveFailureCount(), 1);
    QCOMPARE(repo->memory.saved.value(id).text, QStringLiteral("typed"));
    QCOMPARE(failedSpy.count(), 2);
    QCOMPARE(countSpy.count(), 1);
}

void TestNoteStore::createNoteStopsAtTwelve()
{
    auto repo = std::make_shared<CountingRepository>();
    NoteStore store(repo, 0ms, t0);
    for (int i = 1; i < NoteStore::kMaxNotes - 1; ++i)
        QVERIFY(store.createNote());
    QCOMPARE(store.notes().size(), 11);
    const std::optional<Note> twelfth = store.createNote();
    QVERIFY(twelfth);
    QCOMPARE(store.notes().size(), 12);
    QCOMPARE(store.activeID(), twelfth->id);
    QVERIFY(repo->memory.saved.contains(twelfth->id));
    QCOMPARE(repo->memory.index->activeID, std::optional<QUuid>(twelfth->id));

    const int writes = repo->indexWrites;
    QCOMPARE(store.createNote(), std::nullopt);
    QCOMPARE(store.notes().size(), 12);
    QCOMPARE(repo->indexWrites, writes);
}

void TestNoteStore::closingPicksNeighbour_data()
{
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("closed");
    QTest::addColumn<QString>("expectedActive");
    QTest::newRow("active last") << 3 << 3 << "b";
    QTest::newRow("active middle") << 2 << 2 << "c";
    QTest::newRow("inactive") << 1 << 3 << "a";
}

void TestNoteStore::closingPicksNeighbour()
{
    QFETCH(int, active);
    QFETCH(int, closed);
    QFETCH(QString, expectedActive);
    const QList<Note> stored{plain("s", true), plain("a"), plain("b"), plain("c")};
    auto repo = repoWith(stored, stored[active].id);
    NoteStore store(repo, 0ms, t0);
    store.closeNote(stored[closed].id);
    QCOMPARE(store.notes().size(), 3);
    QCOMPARE(store.activeNote()->text, expectedActive);
    QCOMPARE(repo->trashed, QList<QUuid>{stored[closed].id});
    QCOMPARE(repo->memory.index, (NoteIndex{store.notes(), store.activeID()}));
}

void TestNoteStore::scratchCannotBeClosedRenamedOrMoved()
{
    const QList<Note> stored{plain("s", true), plain("a"), plain("b")};
    auto repo = repoWith(stored, stored[0].id);
    NoteStore store(repo, 0ms, t0);
    store.closeNote(stored[0].id);
    store.rename(stored[0].id, QStringLiteral("Mine"));
    store.move({0}, 2);
    store.move({2}, 0);
    QCOMPARE(store.notes(), stored);
    QCOMPARE(repo->indexWrites, 0);
    QVERIFY(repo->trashed.isEmpty());
}

void TestNoteStore::renameTrimsAndClears()
{
    const QList<Note> stored{plain("s", true), plain("a")};
    auto repo = repoWith(stored, stored[0].id);
    NoteStore store(repo, 0ms, [] { return t0().addDays(3); });
    store.rename(stored[1].id, QStringLiteral("  Groceries \n"));
    QCOMPARE(store.notes()[1].customTitle, std::optional<QString>(QStringLiteral("Groceries")));
    QCOMPARE(store.notes()[1].updatedAt, t0());
    QCOMPARE(repo->memory.index->notes[1].customTitle, store.notes()[1].customTitle);
    store.rename(stored[1].id, QStringLiteral("   "));
    QCOMPARE(store.notes()[1].customTitle, std::nullopt);
    store.rename(stored[1].id, QStringLiteral("x"));
    store.rename(stored[1].id, std::nullopt);
    QCOMPARE(store.notes()[1].customTitle, std::nullopt);
}

void TestNoteStore::moveFollowsOffsetsRule_data()
{
    QTest::addColumn<QList<qsizetype>>("sources");
    QTest::addColumn<qsizetype>("destination");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("third over first")
        << QList<qsizetype>{3} << qsizetype(1) << QStringList{"s", "c", "a", "b"};
    QTest::newRow("first to end") << QList<qsizetype>{1} << qsizetype(4)
                                  << QStringList{"s", "b", "c", "a"};
    QTest::newRow("two together") << QList<qsizetype>{1, 3} << qsizetype(3)
                                  << QStringList{"s", "b", "a", "c"};
    QTest::newRow("in place") << QList<qsizetype>{2} << qsizetype(2)
                              << QStringList{"s", "a", "b", "c"};
    QTest::newRow("destination zero")
        << QList<qsizetype>{2} << qsizetype(0) << QStringList{"s", "a", "b", "c"};
    QTest::newRow("source out of range")
        << QList<qsizetype>{7} << qsizetype(1) << QStringList{"s", "a", "b", "c"};
    QTest::newRow("destination past end")
        << QList<qsizetype>{1} << qsizetype(9) << QStringList{"s", "a", "b", "c"};
}

void TestNoteStore::moveFollowsOffsetsRule()
{
    QFETCH(QList<qsizetype>, sources);
    QFETCH(qsizetype, destination);
    QFETCH(QStringList, order);
    const QList<Note> stored{plain("s", true), plain("a"), plain("b"), plain("c")};
    auto repo = repoWith(stored, stored[0].id);
    NoteStore store(repo, 0ms, t0);
    store.move(QSet<qsizetype>(sources.begin(), sources.end()), destination);
    QCOMPARE(textsOf(store), order);
    if (repo->indexWrites > 0)
        QCOMPARE(repo->memory.index->notes, store.notes());
}

void TestNoteStore::activateFlushesAndIgnoresBadPositions()
{
    const QList<Note> stored{plain("s", true), plain("a")};
    auto repo = repoWith(stored, stored[0].id);
    NoteStore store(repo, 10s, t0);
    store.updateText(QStringLiteral("left behind"), stored[0].id);
    store.activateIndex(-1);
    store.activateIndex(2);
    QCOMPARE(store.activeID(), stored[0].id);
    QVERIFY(store.hasPendingSaves());
    QSignalSpy activeSpy(&store, &NoteStore::activeIDChanged);
    store.activateIndex(1);
    QCOMPARE(store.activeID(), stored[1].id);
    QCOMPARE(activeSpy.count(), 1);
    QCOMPARE(repo->memory.saved.value(stored[0].id).text, QStringLiteral("left behind"));
    QCOMPARE(repo->memory.index->activeID, std::optional<QUuid>(stored[1].id));
}

void TestNoteStore::adoptOrphansAppendsAndWritesIndex()
{
    const QList<Note> stored{plain("s", true)};
    auto repo = repoWith(stored, stored[0].id);
    const Note stray = plain("stray");
    repo->memory.orphans = {stored[0], stray};
    NoteStore store(repo, 0ms, t0);
    store.adoptOrphans();
    QCOMPARE(textsOf(store), (QStringList{"s", "stray"}));
    QCOMPARE(repo->indexWrites, 1);
    store.adoptOrphans();
    QCOMPARE(store.notes().size(), 2);
    QCOMPARE(repo->indexWrites, 1);
}

void TestNoteStore::propertiesNotifyOnlyOnChange()
{
    auto repo = std::make_shared<CountingRepository>();
    NoteStore store(repo, 0ms, t0);
    QSignalSpy notesSpy(&store, &NoteStore::notesChanged);
    QSignalSpy activeSpy(&store, &NoteStore::activeIDChanged);
    store.setNotes(store.notes());
    store.setActiveID(store.activeID());
    QCOMPARE(notesSpy.count(), 0);
    QCOMPARE(activeSpy.count(), 0);
    QVERIFY(store.setProperty("activeID", QVariant::fromValue(QUuid::createUuid())));
    QCOMPARE(activeSpy.count(), 1);
    const int writes = repo->indexWrites;
    QList<Note> notes = store.notes();
    notes.append(plain("set from outside"));
    store.setNotes(notes);
    QCOMPARE(notesSpy.count(), 1);
    QCOMPARE(repo->indexWrites, writes);
}

void TestNoteStore::closingPendingNoteSavesBeforeTrash()
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("share")).toUtf8());
    auto repo =
        std::make_shared<FileNoteRepository>(dir.filePath("Notes"), dir.filePath("index.json"));
    NoteStore store(repo, 10s);
    const Note note = *store.createNote();
    store.updateText(QStringLiteral("the last half second"), note.id);
    store.closeNote(note.id);
    QCOMPARE(store.notes().size(), 1);
    QVERIFY(!QFile::exists(repo->notePath(note.id)));
    const QString trashed = dir.filePath("share/Trash/files/") + uuidText(note.id) + ".md";
    QCOMPARE(readFile(trashed), QByteArray("the last half second"));
    QVERIFY(!store.hasPendingSaves());
}

void TestNoteStore::destroyingStoreWritesPendingText()
{
    auto repo = std::make_shared<CountingRepository>();
    QUuid id;
    {
        NoteStore store(repo, 10s, t0);
        id = store.activeID();
        store.updateText(QStringLiteral("typed just before quitting"), id);
    }
    QCOMPARE(repo->memory.saved.value(id).text, QStringLiteral("typed just before quitting"));
}

QTEST_GUILESS_MAIN(TestNoteStore)
#include "tst_notestore.moc"
