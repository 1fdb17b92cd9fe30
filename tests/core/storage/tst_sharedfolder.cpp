// SPDX-License-Identifier: GPL-3.0-or-later
// The note store over a real notes folder that other programs share: sync tools and
// editors change files, folders go missing and come back, files cannot be read, the
// Trash cannot be used. Nothing the user typed may be lost in any of these.

#include "core/storage/filenoterepository.h"
#include "core/storage/notestore.h"
#include "core/storage/recovery.h"
#include "support/notes.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace quelto;
using namespace std::chrono_literals;

namespace {

using quelto::testing::readFile;
using quelto::testing::writeFile;

QStringList textsOf(const NoteStore& store)
{
    return quelto::testing::textsOf(store.notes());
}

} // namespace

class TestSharedFolder : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_dir->filePath("share").toUtf8());
    }

    void conflictKeepsBothVersions_data()
    {
        QTest::addColumn<int>("openTabs");
        QTest::addColumn<bool>("waitForWatcher");
        QTest::newRow("seen by the watcher") << 1 << true;
        QTest::newRow("seen just before writing") << 1 << false;
        QTest::newRow("tabs full") << NoteStore::kMaxNotes << true;
    }

    void conflictKeepsBothVersions()
    {
        QFETCH(int, openTabs);
        QFETCH(bool, waitForWatcher);
        auto store = makeStore();
        while (store->notes().size() < openTabs)
            store->createNote();
        const QUuid id = store->notes().first().id;
        store->updateText("before", id);
        store->flush();
        QSignalSpy conflicts(store.get(), &NoteStore::conflictCopied);
        store->updateText("typed here", id);
        QVERIFY(writeFile(path(id), "synced from the laptop"));
        if (waitForWatcher)
            QTRY_COMPARE(conflicts.count(), 1);
        store->flush();
        QCOMPARE(conflicts.count(), 1);

        const QUuid copy = conflicts.first().first().toUuid();
        QCOMPARE(readFile(path(id)), QByteArray("typed here"));
        QCOMPARE(readFile(path(copy)), QByteArray("synced from the laptop"));
        QCOMPARE(store->note(id)->text, QStringLiteral("typed here"));
        const bool full = openTabs >= NoteStore::kMaxNotes;
        QCOMPARE(store->note(copy) != nullptr, !full);
        if (full) {
            store->adoptOrphans(); // the next adoption brings it in
            QCOMPARE(store->notes().last().text, QStringLiteral("synced from the laptop"));
        }
    }

    // A file another program edits follows it while the note has no edits of its own; one
    // it deletes is written again by itself, unless another takes its place first.
    void otherProgramsEditAndDeleteFiles()
    {
        auto store = makeStore(100ms);
        const QUuid id = store->activeID();
        store->updateText("mine", id);
        store->flush();
        QSignalSpy conflicts(store.get(), &NoteStore::conflictCopied);
        QVERIFY(writeFile(path(id), "edited in another editor"));
        QTRY_COMPARE(store->activeNote()->text, QStringLiteral("edited in another editor"));
        QVERIFY(!store->hasPendingSaves());
        QCOMPARE(store->notes().size(), 1);

        QVERIFY(QFile::remove(path(id)));
        QTRY_COMPARE(readFile(path(id)), QByteArray("edited in another editor"));
        QVERIFY(QFile::remove(path(id)));
        store->checkStorage();
        QVERIFY(writeFile(path(id), "recreated"));
        store->flush();
        QCOMPARE(store->note(id)->text, QStringLiteral("recreated"));
        QCOMPARE(readFile(path(id)), QByteArray("recreated"));
        QCOMPARE(conflicts.count(), 0);
    }

    // What Quelto cannot read as a note (a link out of the folder or to a device, a pipe,
    // bytes that are not text) is never read through, written or waited on: the tab goes
    // on in a file of its own, and the thing is named and kept in the index.
    void unreadableReplacementsAreLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"link out", "link to a device", "pipe", "not text"})
            QTest::newRow(kind) << QString(kind);
    }

    void unreadableReplacementsAreLeftAlone()
    {
        QFETCH(QString, kind);
        const QString outside = m_dir->filePath("outside.txt");
        QVERIFY(writeFile(outside, "not a note"));
        const auto place = [&](const QString& at) {
            if (kind == "pipe")
                return ::mkfifo(QFile::encodeName(at).constData(), 0600) == 0;
            if (kind == "not text")
                return writeFile(at, "\xFF\xFE not UTF-8");
            return QFile::link(kind == "link out" ? outside : "/dev/zero", at);
        };
        auto store = makeStore();
        const QUuid id = store->activeID();
        store->updateText("mine", id);
        store->flush();
        QVERIFY(QFile::remove(path(id)));
        QVERIFY(place(path(id)));
        const QString orphan = uuidText(QUuid::createUuid()) + ".md";
        QVERIFY(place(notes() + '/' + orphan));
        store->updateText("mine, typed on", id);
        store->flush();
        const QUuid moved = store->activeID();
        QVERIFY(moved != id);
        QCOMPARE(readFile(path(moved)), QByteArray("mine, typed on"));
        QCOMPARE(store->refusedFiles(), QStringList{uuidText(id) + ".md"});

        // Started again: what is there is named, not opened; an index that became a link
        // is written in the link's place.
        store.reset();
        store = makeStore();
        QCOMPARE(textsOf(*store), QStringList{"mine, typed on"});
        QCOMPARE(store->heldNotes().size(), 1);
        QCOMPARE(store->refusedFiles(), QStringList{orphan});
        QVERIFY(QFile::remove(index()) && QFile::link(outside, index()));
        store->createNote(); // writes the index
        QVERIFY(!QFileInfo(index()).isSymLink());
        QCOMPARE(readFile(outside), QByteArray("not a note"));
    }

    // A program that empties the file and writes it a second later is waited for; its
    // text and the one typed meanwhile are both kept.
    void slowWriterIsWaitedFor()
    {
        auto store = makeStore(100ms, FileNoteRepository::kSettleTime);
        const QUuid id = store->activeID();
        store->updateText("before", id);
        store->flush();
        QFile slow(path(id));
        QVERIFY(slow.open(QIODevice::WriteOnly)); // empties it
        store->updateText("typed here", id);
        QTest::qWait(1000);
        slow.write("slow output");
        slow.close();
        QTRY_COMPARE_WITH_TIMEOUT(readFile(path(id)), QByteArray("typed here"), 5000);
        QCOMPARE(textsOf(*store), (QStringList{"typed here", "slow output"}));
    }

    // Copies sync tools leave beside a note are named once and open as tabs; they are
    // never adopted, written or deleted.
    void syncConflictCopiesAreOfferedNotTouched()
    {
        auto store = makeStore();
        const QUuid id = store->activeID();
        while (store->createNote()) { // all tabs open: asked for, the copies open all the same
        }
        QSignalSpy found(store.get(), &NoteStore::syncConflictsFound);
        const QString name = uuidText(id);
        const QStringList copies{name + " (conflicted copy 2026-12-01 101010).md",
                                 name + ".sync-conflict-20261201-101010-ABCDEFG.md"};
        for (const QString& copy : copies)
            QVERIFY(writeFile(notes() + '/' + copy, "from the laptop"));
        QVERIFY(writeFile(notes() + '/' + name + ".sync-tmp.md", "not a copy"));
        store->checkStorage();
        store->checkStorage();
        QCOMPARE(found.count(), 1);
        const QList<SyncConflict> conflicts = store->takeNewSyncConflicts();
        QCOMPARE(conflicts, (QList<SyncConflict>{{id, copies[0]}, {id, copies[1]}}));
        store->adoptOrphans();
        QCOMPARE(store->notes().size(), NoteStore::kMaxNotes);
        const std::optional<Note> opened = store->openSyncConflict(conflicts[1]);
        QCOMPARE(store->activeNote()->text, QStringLiteral("from the laptop"));
        QCOMPARE(opened->customTitle, std::optional<QString>("Scratch (sync conflict)"));
        store->flush();
        QCOMPARE(QDir(notes()).entryList({"*.md"}).size(), NoteStore::kMaxNotes + 4);
    }

    void lowerCaseFileIsSavedAndTrashedInPlace()
    {
        auto store = makeStore();
        const QUuid id = QUuid::createUuid();
        const QString lower = notes() + '/' + uuidText(id).toLower() + ".md";
        QVERIFY(writeFile(lower, "dropped by hand"));
        store->adoptOrphans();
        QCOMPARE(store->notes().last().id, id);
        store->updateText("edited", id);
        store->flush();
        QCOMPARE(readFile(lower), QByteArray("edited"));
        QVERIFY(!QFile::exists(path(id)));
        store->closeNote(id);
        QVERIFY(!QFile::exists(lower));
        QVERIFY(!store->note(id));
    }

    void missingFolderWritesNothingUntilItIsBack()
    {
        QUuid plans;
        {
            auto store = makeStore();
            store->updateText("scratch text", store->activeID());
            plans = store->createNote()->id;
            store->rename(plans, "Plans");
        }
        const QByteArray storedIndex = readFile(index());
        const QString away = m_dir->filePath("unmounted");
        QVERIFY(QDir().rename(notes(), away));

        auto store = makeStore();
        QVERIFY(store->isStorageMissing());
        QCOMPARE(textsOf(*store), QStringList{""});
        store->updateText("typed meanwhile", store->activeID());
        store->flush();
        store->checkStorage();
        QVERIFY(!QFile::exists(notes()));
        QCOMPARE(readFile(index()), storedIndex);

        QVERIFY(QDir().rename(away, notes()));
        store->checkStorage();
        QVERIFY(!store->isStorageMissing());
        QCOMPARE(textsOf(*store), (QStringList{"scratch text", "", "typed meanwhile"}));
        QCOMPARE(store->notes()[1].customTitle, std::optional<QString>("Plans"));
        QVERIFY(store->failedIDs().isEmpty());
        QCOMPARE(readFile(path(store->notes()[2].id)), QByteArray("typed meanwhile"));
    }

    void unreadableNoteKeepsItsPlace()
    {
        QList<QUuid> ids;
        {
            auto store = makeStore();
            for (const char* text : {"a", "b", "c"}) {
                ids << store->createNote()->id;
                store->updateText(text, ids.last());
            }
        }
        const QByteArray cutOff = "caf\xC3"; // ends inside a two-byte character
        QVERIFY(writeFile(path(ids[1]), cutOff));

        auto store = makeStore();
        QCOMPARE(textsOf(*store), (QStringList{"", "a", "c"}));
        QCOMPARE(store->heldNotes().size(), 1);
        QCOMPARE(store->heldNotes().first().fileName, uuidText(ids[1]) + ".md");
        store->rename(ids[2], "Third");
        store->flush();
        QCOMPARE(readFile(path(ids[1])), cutOff);

        QVERIFY(writeFile(path(ids[1]), "café, fixed"));
        auto reopened = makeStore();
        QCOMPARE(textsOf(*reopened), (QStringList{"", "a", "café, fixed", "c"}));
    }

    void unusableTrashKeepsNoteOpen()
    {
        // A file where the data location should be leaves Qt no Trash but one relative to
        // the working directory.
        QVERIFY(writeFile(m_dir->filePath("share"), "in the way"));
        QTemporaryDir workingDir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workingDir.path()));
        auto store = makeStore();
        const Note note = *store->createNote();
        store->updateText("important", note.id);
        QSignalSpy failed(store.get(), &NoteStore::closeFailed);
        store->closeNote(note.id);
        QDir::setCurrent(previous);

        QCOMPARE(failed.count(), 1);
        QVERIFY(store->note(note.id));
        QCOMPARE(readFile(path(note.id)), QByteArray("important"));
        QCOMPARE(QDir(workingDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{});
    }

    void failedSavesRetryByThemselves()
    {
        QVERIFY(QDir().mkpath(m_dir->filePath("Quelto")));
        QVERIFY(writeFile(notes(), "a file where the folder should be"));
        auto store = makeStore(0ms);
        const QUuid id = store->activeID();
        store->updateText("precious", id);
        QCOMPARE(store->failedIDs(), QSet<QUuid>{id});
        QCOMPARE(store->saveFailureCount(), 1);
        QCOMPARE(store->activeNote()->text, QStringLiteral("precious"));
        QVERIFY(QFile::remove(notes()));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(path(id)), QByteArray("precious"),
                                  int(NoteStore::kRetryInterval.count()) * 3);
        QVERIFY(store->failedIDs().isEmpty());
        QCOMPARE(store->saveFailureCount(), 1); // counts failures met, not ones still open
    }

    void recoveryCopiesFallBackToHome()
    {
        const QDateTime at(QDate(2025, 3, 1), QTime(9, 30, 5), Qt::UTC);
        const Note note{QUuid::createUuid(), std::nullopt, "rescued", at, at, false};
        const QString name = uuidText(note.id) + " 2025-03-01 09.30.05.md";
        const QString folder = m_dir->filePath("state/Quelto/recovered");
        QCOMPARE(writeRecoveryCopies({note}, folder, at), QStringList{folder + '/' + name});
        QCOMPARE(readFile(folder + '/' + name), QByteArray("rescued"));

        QVERIFY(writeFile(m_dir->filePath("blocked"), ""));
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", m_dir->path().toUtf8());
        const QStringList written = writeRecoveryCopies({note}, m_dir->filePath("blocked/r"), at);
        qputenv("HOME", home);
        QCOMPARE(written, QStringList{m_dir->filePath("Quelto recovered " + name)});
        QCOMPARE(readFile(written.value(0)), QByteArray("rescued"));
    }

private:
    std::unique_ptr<NoteStore> makeStore(std::chrono::milliseconds delay = 10s,
                                         std::chrono::milliseconds settle = 0ms)
    {
        m_repo = std::make_shared<FileNoteRepository>(notes(), index(), settle);
        return std::make_unique<NoteStore>(m_repo, delay, quelto::testing::noteTime);
    }
    QString notes() const { return m_dir->filePath("Quelto/Notes"); }
    QString index() const { return m_dir->filePath("Quelto/index.json"); }
    QString path(const QUuid& id) const { return notes() + '/' + uuidText(id) + ".md"; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<FileNoteRepository> m_repo;
};

QTEST_GUILESS_MAIN(TestSharedFolder)
#include "tst_sharedfolder.moc"
