// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/notestore.h"
#include "support/memorynoterepository.h"
#include "support/notes.h"
#include "support/texttable.h"

#include <QMetaEnum>
#include <QSignalSpy>
#include <QTest>

using namespace quelto;
using namespace std::chrono_literals;
using quelto::testing::cell;
using quelto::testing::plainNote;
using quelto::testing::textColumns;
using quelto::testing::textRow;

namespace {

QDateTime t0()
{
    return quelto::testing::noteTime();
}

QStringList textsOf(const NoteStore& store)
{
    return quelto::testing::textsOf(store.notes());
}

std::shared_ptr<MemoryNoteRepository> repoWith(QList<Note> notes, std::optional<QUuid> active = {})
{
    auto repo = std::make_shared<MemoryNoteRepository>();
    repo->index = NoteIndex{std::move(notes), active};
    return repo;
}

// Scratch "s", then "a", "b" and "c".
QList<Note> fourNotes()
{
    return {plainNote("s", true), plainNote("a"), plainNote("b"), plainNote("c")};
}

template <typename E> E enumValue(const QString& key)
{
    bool ok = false;
    const int value = QMetaEnum::fromType<E>().keyToValue(key.toUtf8().constData(), &ok);
    if (!ok)
        qFatal("no such key: %s", qPrintable(key));
    return E(value);
}

template <typename E> QString enumKeys(E value)
{
    const QMetaEnum meta = QMetaEnum::fromType<E>();
    if constexpr (requires { value.toInt(); })
        return QString::fromUtf8(meta.valueToKeys(value.toInt()));
    else
        return QString::fromUtf8(meta.valueToKey(int(value)));
}

} // namespace

class TestNoteStore : public QObject {
    Q_OBJECT

private slots:
    // Notes as stored and as loaded by text, Scratch with a leading "*" and the active note
    // in brackets ("[?]" for an ID no note has; "unreadable" for a repository that cannot be
    // read); then how many index and note writes the loading took.
    void loadingPutsScratchFirstAndWritesOnlyWhatChanged_data()
    {
        textColumns({"stored", "loaded", "writes"});
        textRow("empty repository", "", "[*]", "1 1");
        textRow("no Scratch among notes", "a [b]", "* a [b]", "1 1");
        textRow("unreadable", "unreadable", "[*]", "1 1");
        textRow("Scratch found later", "a [b] *s c", "*s a [b] c", "1 0");
        textRow("stale active ID", "*s a [?]", "[*s] a", "1 0");
        textRow("second Scratch flag stays", "*s [a] *s2", "*s [a] *s2", "0 0");
    }

    void loadingPutsScratchFirstAndWritesOnlyWhatChanged()
    {
        QFETCH(QString, stored);
        QList<Note> notes;
        std::optional<QUuid> activeID;
        for (QString text : stored.split(u' ', Qt::SkipEmptyParts)) {
            const bool active = text.startsWith(u'[');
            text.remove(u'[').remove(u']');
            if (text != u"?")
                notes << plainNote(text.startsWith(u'*') ? text.mid(1) : text,
                                   text.startsWith(u'*'));
            if (active)
                activeID = text == u"?" ? QUuid::createUuid() : notes.last().id;
        }
        auto repo = repoWith(notes, activeID);
        repo->failLoad = stored == u"unreadable";
        NoteStore store(repo, 0ms, [] { return t0().addDays(1); });

        QStringList shown;
        for (const Note& n : store.notes()) {
            const QString text = (n.isScratch ? "*" : "") + n.text;
            shown << (n.id == store.activeID() ? '[' + text + ']' : text);
        }
        QCOMPARE(shown.join(u' '), cell("loaded"));
        QCOMPARE(QStringLiteral("%1 %2").arg(repo->indexWrites).arg(repo->saveCount),
                 cell("writes"));
        if (repo->indexWrites > 0)
            QCOMPARE(repo->index, (NoteIndex{store.notes(), store.activeID()}));
        if (repo->saveCount > 0) { // a new Scratch, made now
            const Note scratch = store.notes().first();
            QCOMPARE(scratch.createdAt, t0().addDays(1));
            QCOMPARE(repo->saved.value(scratch.id), scratch);
        }
    }

    // A burst of typing saves once after it; typing that never pauses still saves meanwhile.
    void typingSavesAfterPausesAndWhileItGoesOn()
    {
        auto repo = std::make_shared<MemoryNoteRepository>();
        const QDateTime later = t0().addSecs(30);
        NoteStore store(repo, 300ms, [&] { return later; });
        const QUuid id = store.activeID();
        const int before = repo->saveCount;
        store.updateText(QStringLiteral("a"), id);
        store.updateText(QStringLiteral("ab"), id);
        QCOMPARE(repo->saveCount, before);
        QTRY_COMPARE_WITH_TIMEOUT(repo->saveCount, before + 1, 5000);
        QCOMPARE(repo->saved.value(id).text, QStringLiteral("ab"));
        QCOMPARE(repo->saved.value(id).updatedAt, later);
        // A key every 60 ms for 1.2 s never pauses for 300 ms.
        QString typed;
        QStringList seen;
        while (typed.size() < 20) {
            store.updateText(typed += u'k', id);
            QTest::qWait(60);
            seen << repo->saved.value(id).text;
        }
        seen.removeDuplicates();
        QVERIFY2(seen.size() >= 3, qPrintable(seen.join(" | ")));
        QTRY_COMPARE_WITH_TIMEOUT(repo->saved.value(id).text, typed, 5000);
        const int saves = repo->saveCount;
        QTest::qWait(500);
        QCOMPARE(repo->saveCount, saves);
    }

    void createNoteStopsAtTwelve()
    {
        auto repo = std::make_shared<MemoryNoteRepository>();
        NoteStore store(repo, 0ms, t0);
        std::optional<Note> last;
        while (store.notes().size() < NoteStore::kMaxNotes)
            QVERIFY(last = store.createNote());
        QCOMPARE(store.activeID(), last->id);
        QVERIFY(repo->saved.contains(last->id));
        QCOMPARE(repo->index->activeID, std::optional<QUuid>(last->id));
        const int writes = repo->indexWrites;
        QCOMPARE(store.createNote(), std::nullopt);
        QCOMPARE(store.notes().size(), 12);
        QCOMPARE(repo->indexWrites, writes);
    }

    // The active note and the one closed, by text; the note active afterwards.
    void closingPicksNeighbour_data()
    {
        textColumns({"active", "closed", "activeAfter"});
        textRow("active last", "c", "c", "b");
        textRow("active middle", "b", "b", "c");
        textRow("inactive", "a", "c", "a");
    }

    void closingPicksNeighbour()
    {
        QFETCH(QString, closed);
        const QList<Note> stored = fourNotes();
        const auto idOf = [&](const QString& text) {
            return stored[QStringLiteral("sabc").indexOf(text)].id;
        };
        auto repo = repoWith(stored, idOf(cell("active")));
        NoteStore store(repo, 0ms, t0);
        store.closeNote(idOf(closed));
        QCOMPARE(store.activeNote()->text, cell("activeAfter"));
        QVERIFY(!store.note(idOf(closed)));
        QCOMPARE(repo->trashed, QList<QUuid>{idOf(closed)});
        QCOMPARE(repo->index, (NoteIndex{store.notes(), store.activeID()}));
    }

    void scratchCannotBeClosedOrRenamed()
    {
        const QList<Note> stored = fourNotes();
        auto repo = repoWith(stored, stored[0].id);
        NoteStore store(repo, 0ms, t0);
        store.closeNote(stored[0].id);
        store.rename(stored[0].id, QStringLiteral("Mine"));
        QCOMPARE(store.notes(), stored);
        QCOMPARE(repo->indexWrites, 0);
        QVERIFY(repo->trashed.isEmpty());
    }

    // The positions moved, where to, and the order after it.
    void moveFollowsOffsetsRule_data()
    {
        textColumns({"sources", "destination", "order"});
        textRow("third over first", "3", "1", "s c a b");
        textRow("first to end", "1", "4", "s b c a");
        textRow("two together", "1 3", "3", "s b a c");
        textRow("in place", "2", "2", "s a b c");
        textRow("source out of range", "7", "1", "s a b c");
        textRow("destination past end", "1", "9", "s a b c");
        textRow("Scratch stays first", "0", "2", "s a b c");
        textRow("nothing goes before Scratch", "3", "0", "s a b c");
    }

    void moveFollowsOffsetsRule()
    {
        auto repo = repoWith(fourNotes());
        NoteStore store(repo, 0ms, t0);
        QSet<qsizetype> moved;
        for (const QString& source : cell("sources").split(u' '))
            moved.insert(source.toLongLong());
        store.move(moved, cell("destination").toLongLong());
        QCOMPARE(textsOf(store).join(u' '), cell("order"));
        if (repo->indexWrites > 0)
            QCOMPARE(repo->index->notes, store.notes());
    }

    // A note's life beside its file: "state event | state actions".
    void syncMachineTransitions_data()
    {
        textColumns({"from", "to"});
        for (const char* row : {
                 "Clean Edited | Edited ScheduleSave",
                 "Restoring Edited | Edited ScheduleSave",
                 "Failed Edited | Failed ScheduleSave",
                 "OtherWriting Edited | OtherWriting ScheduleSave",
                 "Clean SaveDue | Clean Write",
                 "OtherWriting SaveDue | OtherWriting Wait",
                 "OtherWriting FlushDue | Edited Write|KeepOtherVersion",
                 "Clean SaveDueWhileBusy | Edited Wait",
                 "Edited FlushDueWhileBusy | Clean Rehome",
                 "Restoring FlushDueWhileBusy | Restoring None",
                 "Failed Saved | Clean None",
                 "OtherWriting Saved | OtherWriting None",
                 "Restoring SaveFailed | Failed ReportFailure",
                 "Restoring Overtaken | Edited Wait",
                 "Edited OvertakenAtFlush | Clean Rehome",
                 "Restoring FileChanged | Clean TakeText",
                 "Failed FileChanged | Failed KeepOtherVersion",
                 "OtherWriting FileChanged | Edited KeepOtherVersion",
                 "Failed FileMatches | Clean TakeText",
                 "Clean FileSettling | Clean Wait|TakeText",
                 "Failed FileSettling | OtherWriting Wait|HoldOtherVersion",
                 "Edited FileBusy | Edited Wait",
                 "OtherWriting FileQuiet | Edited KeepOtherVersion",
                 "Edited FileQuiet | Edited None",
                 "Clean FileDeleted | Restoring ScheduleSave",
                 "Edited FileDeleted | Edited ScheduleSave",
                 "OtherWriting FileUnreadable | Clean Rehome|Hold",
                 "Failed Closed | Clean None",
             }) {
            const QStringList sides = QString::fromUtf8(row).split(QStringLiteral(" | "));
            QTest::newRow(row) << sides[0] << sides[1];
        }
    }

    void syncMachineTransitions()
    {
        const QStringList from = cell("from").split(u' ');
        const NoteSync::Step step = NoteSync::next(enumValue<NoteSync::State>(from[0]),
                                                   enumValue<NoteSync::Event>(from[1]));
        QCOMPARE(QStringLiteral("%1 %2").arg(enumKeys(step.state), enumKeys(step.actions)),
                 cell("to"));
    }

    // Whatever happens, a text typed here leaves memory only for the disk: written, found
    // there already, moved to a file of its own, or trashed with its tab. A held version
    // of another program's is kept or left in its file.
    void syncMachineNeverDropsATypedText()
    {
        using namespace NoteSync;
        const QMetaEnum states = QMetaEnum::fromType<State>();
        const QMetaEnum events = QMetaEnum::fromType<Event>();
        for (int s = 0; s < states.keyCount(); ++s) {
            for (int e = 0; e < events.keyCount(); ++e) {
                const auto state = State(states.value(s));
                const auto event = Event(events.value(e));
                const Step step = next(state, event);
                const bool safe = event == Event::Saved || event == Event::FileMatches ||
                                  event == Event::Closed || step.actions & Action::Rehome;
                const QString pair = QStringLiteral("%1 %2").arg(enumKeys(state), enumKeys(event));
                if (state == State::Edited || state == State::Failed)
                    QVERIFY2(isUnsaved(step.state) || safe, qPrintable(pair));
                if (state == State::Restoring) // no edits here: another program's text wins
                    QVERIFY2(isUnsaved(step.state) || safe || step.actions & Action::TakeText,
                             qPrintable(pair));
                if (state == State::OtherWriting && step.state != State::OtherWriting)
                    QVERIFY2(step.actions & Action::KeepOtherVersion || safe ||
                                 event == Event::FileUnreadable,
                             qPrintable(pair));
                if (step.actions & Action::Write)
                    QVERIFY2(step.state != State::OtherWriting, qPrintable(pair));
            }
        }
    }

    void activateFlushesAndIgnoresBadPositions()
    {
        const QList<Note> stored{plainNote("s", true), plainNote("a")};
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
        QCOMPARE(repo->saved.value(stored[0].id).text, QStringLiteral("left behind"));
        QCOMPARE(repo->index->activeID, std::optional<QUuid>(stored[1].id));
    }
};

QTEST_GUILESS_MAIN(TestNoteStore)
#include "tst_notestore.moc"
