// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/notestore.h"

#include <algorithm>

namespace quelto {

namespace {

QList<QUuid> idsOf(const QList<Note>& notes)
{
    QList<QUuid> ids;
    ids.reserve(notes.size());
    for (const Note& note : notes)
        ids.append(note.id);
    return ids;
}

} // namespace

NoteStore::NoteStore(std::shared_ptr<NoteRepository> repository,
                     std::chrono::milliseconds saveDelay, Clock now, QObject* parent)
    : QObject(parent)
    , m_repository(std::move(repository))
    , m_now(std::move(now))
    , m_saveDelay(saveDelay)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { saveTexts(false); });
    m_checkTimer.setSingleShot(true);
    m_checkTimer.setInterval(kCheckDelay);
    connect(&m_checkTimer, &QTimer::timeout, this, &NoteStore::checkStorage);
    m_retryTimer.setInterval(kRetryInterval);
    connect(&m_retryTimer, &QTimer::timeout, this, &NoteStore::checkStorage);
    const auto changed = [this] {
        if (!m_checkTimer.isActive())
            m_checkTimer.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, changed);

    // A notes folder that is not there now (a drive not mounted yet) is not replaced by
    // a fresh one: Scratch lives in memory until the folder comes back.
    m_isOffline = m_repository->isMissing();
    NoteIndex loaded;
    if (!m_isOffline) {
        try {
            loaded = m_repository->load();
        } catch (const NoteRepositoryError&) {
            loaded = {};
        }
    }
    load(loaded);
    const bool hadScratch = std::any_of(loaded.notes.begin(), loaded.notes.end(),
                                        [](const Note& n) { return n.isScratch; });
    if (m_isOffline) {
        m_retryTimer.start();
    } else if (!hadScratch) {
        try {
            m_repository->save(m_notes.first());
        } catch (const NoteRepositoryError&) {
            // The next edit saves it again; nothing the user typed is at stake yet.
        }
        persistIndex();
    } else if (idsOf(m_notes) != idsOf(loaded.notes) || loaded.activeID != m_activeID) {
        persistIndex();
    }
    m_refused = m_repository->takeRefusedFiles();
    lookForSyncConflicts();
    watchStorage();
}

// Whatever is still waiting is written before the store goes.
NoteStore::~NoteStore()
{
    flush();
}

// Takes what the repository loaded: the Scratch note first (a new one when there is
// none), the stored active note if it is there.
void NoteStore::load(const NoteIndex& loaded)
{
    QList<Note> notes = loaded.notes;
    const auto scratch =
        std::find_if(notes.begin(), notes.end(), [](const Note& n) { return n.isScratch; });
    if (scratch == notes.end()) {
        const QDateTime t = now();
        notes.prepend(Note{QUuid::createUuid(), std::nullopt, QString(), t, t, true});
    } else if (scratch != notes.begin()) {
        std::rotate(notes.begin(), scratch, scratch + 1);
    }
    m_notes = notes;
    m_held = m_repository->heldNotes();
    // Scratch is the tab in front; an unreadable one waiting on disk is a note like any
    // other, or it would come back as a second Scratch.
    for (HeldNote& held : m_held)
        held.entry.isScratch = false;
    const bool activeExists = loaded.activeID && indexOf(*loaded.activeID) >= 0;
    m_activeID = activeExists ? *loaded.activeID : m_notes.first().id;
}

void NoteStore::setNotes(const QList<Note>& notes)
{
    if (notes == m_notes)
        return;
    m_notes = notes;
    emit notesChanged();
}

void NoteStore::setActiveID(const QUuid& id)
{
    if (id == m_activeID)
        return;
    m_activeID = id;
    emit activeIDChanged();
}

const Note* NoteStore::note(const QUuid& id) const
{
    const qsizetype i = indexOf(id);
    return i < 0 ? nullptr : &m_notes[i];
}

const Note* NoteStore::activeOrFirst() const
{
    if (const Note* active = activeNote())
        return active;
    return m_notes.isEmpty() ? nullptr : &m_notes.first();
}

QList<Note> NoteStore::unsavedNotes() const
{
    QList<Note> unsaved;
    for (const Note& note : m_notes) {
        if (m_sync.contains(note.id))
            unsaved.append(note);
    }
    return unsaved;
}

qsizetype NoteStore::indexOf(const QUuid& id) const
{
    for (qsizetype i = 0; i < m_notes.size(); ++i) {
        if (m_notes[i].id == id)
            return i;
    }
    return -1;
}

QDateTime NoteStore::now() const
{
    return m_now ? m_now() : systemNow();
}

void NoteStore::updateText(const QString& text, const QUuid& id)
{
    const qsizetype i = indexOf(id);
    if (i < 0 || m_notes[i].text == text)
        return;
    m_notes[i].text = text;
    didEdit(m_notes[i]);
}

bool NoteStore::editText(const QUuid& id, qsizetype position, qsizetype removed,
                         QStringView inserted)
{
    const qsizetype i = indexOf(id);
    if (i < 0 || position < 0 || removed < 0 || position + removed > m_notes[i].text.size())
        return false;
    QString& text = m_notes[i].text;
    if (removed == inserted.size() && QStringView(text).sliced(position, removed) == inserted)
        return true;
    text.replace(position, removed, inserted.data(), inserted.size());
    didEdit(m_notes[i]);
    return true;
}

void NoteStore::didEdit(Note& note)
{
    note.updatedAt = now();
    const QUuid id = note.id;
    emit noteTextChanged(id);
    // Counted from the first unsaved edit: a steady typist still gets the text on disk
    // every saveDelay, so a crash loses at most that much.
    apply(id, NoteSync::Event::Edited);
    if (m_saveDelay.count() <= 0)
        saveTexts(false);
}

void NoteStore::scheduleSave(std::chrono::milliseconds delay)
{
    if (!m_saveTimer.isActive())
        m_saveTimer.start(delay);
}

QSet<QUuid> NoteStore::failedIDs() const
{
    QSet<QUuid> failed;
    for (auto it = m_sync.begin(); it != m_sync.end(); ++it) {
        if (it->state == NoteSync::State::Failed)
            failed.insert(it.key());
    }
    return failed;
}

void NoteStore::setSyncState(const QUuid& id, NoteSync::State state)
{
    using NoteSync::State;
    const State was = m_sync.value(id).state;
    if (state == State::Clean) {
        m_sync.remove(id);
    } else {
        SyncRecord& record = m_sync[id];
        record.state = state;
        if (state != State::OtherWriting)
            record.otherVersion.clear();
    }
    if ((was == State::Failed) != (state == State::Failed))
        emit failedIDsChanged();
}

NoteSync::Actions NoteStore::apply(const QUuid& id, NoteSync::Event event, const QString& text)
{
    using NoteSync::Action;
    if (indexOf(id) < 0)
        return {};
    const SyncRecord before = m_sync.value(id);
    const NoteSync::Step step = NoteSync::next(before.state, event);
    setSyncState(id, step.state);
    const NoteSync::Actions actions = step.actions;
    if (actions & Action::TakeText)
        takeText(indexOf(id), text);
    if (actions & Action::HoldOtherVersion)
        m_sync[id].otherVersion = text;
    if (actions & Action::KeepOtherVersion) {
        const QString& other = event == NoteSync::Event::FileChanged ? text : before.otherVersion;
        const Note* note = this->note(id);
        if (note && !other.isNull() && other != note->text)
            keepOtherVersion(*note, other);
    }
    if (actions & Action::Rehome) {
        rehome(indexOf(id), actions.testFlag(Action::Hold));
        return actions;
    }
    if (actions & Action::Write)
        write(id, event == NoteSync::Event::FlushDue);
    if (actions & Action::ScheduleSave)
        scheduleSave(m_saveDelay);
    if (actions & Action::ReportFailure) {
        ++m_saveFailureCount;
        m_retryTimer.start();
        emit saveFailureCountChanged();
    }
    if (actions.testFlag(Action::Wait) && m_sync.contains(id))
        scheduleSave(kBusyRetry);
    return actions;
}

void NoteStore::saveTexts(bool now)
{
    using NoteSync::Event;
    m_saveTimer.stop();
    if (m_sync.isEmpty())
        return;
    // Looked at just before writing, so another program's version is never overwritten.
    const QSet<QUuid> busy = applyExternalChanges(m_repository->externalChanges(m_sync.keys()));
    for (const QUuid& id : m_sync.keys()) {
        if (!m_sync.contains(id))
            continue; // moved to a file of its own meanwhile
        if (busy.contains(id))
            apply(id, now ? Event::FlushDueWhileBusy : Event::SaveDueWhileBusy);
        else
            apply(id, now ? Event::FlushDue : Event::SaveDue);
    }
}

void NoteStore::flush()
{
    saveTexts(true);
    persistIndex();
}

void NoteStore::save(const QUuid& id)
{
    // What another program did to the file is taken in before anything is written.
    const bool busy = applyExternalChanges(m_repository->externalChanges({id})).contains(id);
    apply(id, busy ? NoteSync::Event::SaveDueWhileBusy : NoteSync::Event::SaveDue);
}

void NoteStore::write(const QUuid& id, bool now)
{
    using NoteSync::Event;
    const Note* note = this->note(id);
    if (!note)
        return;
    try {
        if (m_isOffline)
            throw NoteRepositoryError{QStringLiteral("the notes folder is missing")};
        m_repository->save(*note);
        apply(id, Event::Saved);
    } catch (const NoteRepositoryError& error) {
        if (error.changedElsewhere)
            apply(id, now ? Event::OvertakenAtFlush : Event::Overtaken);
        else
            apply(id, Event::SaveFailed);
    }
}

void NoteStore::persistIndex()
{
    if (m_isOffline)
        return;
    // Unreadable notes keep their entries, after the note they followed.
    QList<Note> entries = m_notes;
    for (const HeldNote& held : m_held) {
        const auto anchor = std::find_if(entries.begin(), entries.end(), [&](const Note& n) {
            return held.after && n.id == *held.after;
        });
        const qsizetype at = anchor == entries.end() ? (held.after ? entries.size() : 1)
                                                     : anchor - entries.begin() + 1;
        entries.insert(std::min(at, entries.size()), held.entry);
    }
    try {
        m_repository->saveIndex(NoteIndex{entries, m_activeID});
    } catch (const NoteRepositoryError&) {
        // Written again at the next flush or structural change.
    }
}

std::optional<Note> NoteStore::createNote()
{
    if (m_notes.size() >= kMaxNotes)
        return std::nullopt;
    const QDateTime t = now();
    const Note created{QUuid::createUuid(), std::nullopt, QString(), t, t, false};
    m_notes.append(created);
    emit notesChanged();
    save(created.id);
    setActiveID(created.id);
    persistIndex();
    return created;
}

void NoteStore::closeNote(const QUuid& id)
{
    qsizetype i = indexOf(id);
    if (i < 0 || m_notes[i].isScratch)
        return;
    // Writing the text or trashing would recreate the folder in the missing one's place.
    if (m_isOffline) {
        emit closeFailed(QStringLiteral("the notes folder is missing"));
        return;
    }
    // Another program's version is kept (as a tab) before this one goes.
    if (!applyExternalChanges(m_repository->externalChanges({id})).isEmpty() ||
        (i = indexOf(id)) < 0) {
        emit closeFailed(QStringLiteral("the note is being changed by another program"));
        return;
    }
    // The last half second of typing goes into the Trash with the note, so getting
    // the note back gets all of it.
    if (m_sync.contains(id)) {
        try {
            m_repository->save(m_notes[i]);
        } catch (const NoteRepositoryError&) {
            // Trashed as it was last saved.
        }
    }
    try {
        m_repository->trash(id);
    } catch (const NoteRepositoryError& error) {
        emit closeFailed(error.message);
        return;
    }
    apply(id, NoteSync::Event::Closed);
    i = indexOf(id);
    m_notes.removeAt(i);
    emit notesChanged();
    if (m_activeID == id)
        setActiveID(m_notes[std::min(i, m_notes.size() - 1)].id);
    persistIndex();
}

void NoteStore::activate(const QUuid& id)
{
    if (indexOf(id) < 0)
        return;
    saveTexts(false);
    setActiveID(id);
    persistIndex();
}

void NoteStore::activateIndex(qsizetype position)
{
    if (position >= 0 && position < m_notes.size())
        activate(m_notes[position].id);
}

void NoteStore::rename(const QUuid& id, const std::optional<QString>& title)
{
    const qsizetype i = indexOf(id);
    if (i < 0 || m_notes[i].isScratch)
        return;
    std::optional<QString> newTitle;
    if (title) {
        const QString trimmed = title->trimmed();
        if (!trimmed.isEmpty())
            newTitle = trimmed;
    }
    if (m_notes[i].customTitle != newTitle) {
        m_notes[i].customTitle = newTitle;
        emit notesChanged();
    }
    save(m_notes[i].id);
    persistIndex();
}

void NoteStore::move(const QSet<qsizetype>& sources, qsizetype destination)
{
    if (sources.isEmpty() || sources.contains(0) || destination < 1 || destination > m_notes.size())
        return;
    QList<qsizetype> positions(sources.begin(), sources.end());
    std::sort(positions.begin(), positions.end());
    if (positions.last() >= m_notes.size())
        return;

    QList<Note> moving;
    QList<Note> staying;
    qsizetype insertAt = destination;
    for (qsizetype i = 0; i < m_notes.size(); ++i) {
        if (sources.contains(i)) {
            moving.append(m_notes[i]);
            if (i < destination)
                --insertAt;
        } else {
            staying.append(m_notes[i]);
        }
    }
    for (qsizetype k = 0; k < moving.size(); ++k)
        staying.insert(insertAt + k, moving[k]);
    setNotes(staying);
    persistIndex();
}

void NoteStore::adoptOrphans()
{
    if (m_isOffline)
        return;
    QSet<QUuid> known;
    for (const Note& n : m_notes)
        known.insert(n.id);
    for (const HeldNote& held : m_held)
        known.insert(held.entry.id);
    QList<Note> orphans;
    try {
        orphans = m_repository->orphanNotes(known);
    } catch (const NoteRepositoryError&) {
        return;
    }
    reportRefusedFiles(); // the files passed over
    if (orphans.isEmpty())
        return;
    m_notes.append(orphans);
    emit notesChanged();
    persistIndex();
    watchStorage();
}

void NoteStore::checkStorage()
{
    if (m_isOffline) {
        if (m_repository->isMissing()) {
            watchStorage();
            return;
        }
        comeBack();
    }
    if (!applyExternalChanges(m_repository->externalChanges(idsOf(m_notes))).isEmpty())
        m_checkTimer.start(kBusyRetry); // looked at again once it settles
    if (!failedIDs().isEmpty())
        saveTexts(false);
    if (failedIDs().isEmpty())
        m_retryTimer.stop();
    watchStorage();
    emit storageChanged();
    reportRefusedFiles();
    if (lookForSyncConflicts())
        emit syncConflictsFound();
}

bool NoteStore::lookForSyncConflicts()
{
    bool found = false;
    for (const SyncConflict& conflict : m_repository->syncConflicts()) {
        if (!m_namedConflicts.contains(conflict.fileName)) {
            m_namedConflicts.insert(conflict.fileName);
            m_newConflicts.append(conflict);
            found = true;
        }
    }
    return found;
}

QList<SyncConflict> NoteStore::takeNewSyncConflicts()
{
    return std::exchange(m_newConflicts, {});
}

std::optional<Note> NoteStore::openSyncConflict(const SyncConflict& conflict)
{
    // Asked for by the user, like notes adopted from the folder: not held to kMaxNotes.
    const std::optional<QString> text = m_repository->readSyncConflict(conflict.fileName);
    if (!text)
        return std::nullopt;
    const Note* original = note(conflict.id);
    const QString title = original ? original->title() : derivedTitle(*text);
    const QDateTime t = now();
    const Note opened{
        QUuid::createUuid(), title + QStringLiteral(" (sync conflict)"), *text, t, t, false};
    m_notes.append(opened);
    emit notesChanged();
    save(opened.id);
    setActiveID(opened.id);
    persistIndex();
    return opened;
}

void NoteStore::reportRefusedFiles()
{
    const QStringList refused = m_repository->takeRefusedFiles();
    if (refused.isEmpty())
        return;
    m_refused += refused;
    emit filesRefused(refused);
}

QSet<QUuid> NoteStore::applyExternalChanges(const QList<ExternalChange>& changes)
{
    using Event = NoteSync::Event;
    using Kind = ExternalChange::Kind;
    QSet<QUuid> busy;
    for (const ExternalChange& change : changes) {
        const Note* note = this->note(change.id);
        if (!note)
            continue;
        Event event = Event::FileBusy;
        switch (change.kind) {
        case Kind::Busy:
            break;
        case Kind::Settling:
            event = Event::FileSettling;
            break;
        case Kind::Deleted:
            event = Event::FileDeleted;
            break;
        case Kind::Unreadable:
            event = Event::FileUnreadable;
            break;
        case Kind::Modified:
            event = change.text == note->text ? Event::FileMatches : Event::FileChanged;
            break;
        }
        if (apply(change.id, event, change.text).testFlag(NoteSync::Action::Wait))
            busy.insert(change.id);
    }
    // What another program wrote while there were edits here, now that it is done.
    QList<QUuid> settled;
    for (auto it = m_sync.begin(); it != m_sync.end(); ++it) {
        if (it->state == NoteSync::State::OtherWriting && !busy.contains(it.key()))
            settled.append(it.key());
    }
    for (const QUuid& id : settled)
        apply(id, Event::FileQuiet);
    return busy;
}

void NoteStore::takeText(qsizetype i, const QString& text)
{
    const QUuid id = m_notes[i].id;
    if (m_notes[i].text == text)
        return;
    m_notes[i].text = text;
    m_notes[i].updatedAt = now();
    emit noteTextChanged(id);
}

// Both sides changed the note: the local text stays in its tab, the other program's
// becomes a note of its own, titled so the two can be told apart.
void NoteStore::keepOtherVersion(const Note& original, const QString& text)
{
    const QDateTime t = now();
    const Note copy{QUuid::createUuid(),
                    original.title() + QStringLiteral(" (other version)"),
                    text,
                    t,
                    t,
                    false};
    bool saved = true;
    try {
        m_repository->save(copy);
    } catch (const NoteRepositoryError&) {
        saved = false;
    }
    // A copy that is only in memory must be a tab, full or not, or it would be lost.
    if (m_notes.size() < kMaxNotes || !saved) {
        m_notes.append(copy);
        emit notesChanged();
        if (!saved)
            save(copy.id);
        persistIndex();
    }
    emit conflictCopied(copy.id);
}

// The tab goes on in a file of its own, leaving the note's file to another program:
// one that put what Quelto cannot read there (not text, a link, a pipe), which waits in
// the index like any unreadable note (`hold`), or one still writing it, whose version
// turns up as a note of its own once it is done.
void NoteStore::rehome(qsizetype i, bool hold)
{
    Note& note = m_notes[i];
    const QUuid old = note.id;
    if (hold) {
        Note left = note;
        left.isScratch = false;
        left.text.clear();
        const std::optional<QUuid> after = i > 0 ? std::optional(m_notes[i - 1].id) : std::nullopt;
        m_held.append(HeldNote{left, after, uuidText(old) + QStringLiteral(".md")});
    }
    const QUuid moved = QUuid::createUuid();
    note.id = moved;
    setSyncState(old, NoteSync::State::Clean);
    emit notesChanged();
    if (m_activeID == old)
        setActiveID(moved);
    save(moved);
    persistIndex();
    reportRefusedFiles();
}

// The missing folder is back: load it, and keep what was typed meanwhile.
void NoteStore::comeBack()
{
    NoteIndex loaded;
    try {
        loaded = m_repository->load();
    } catch (const NoteRepositoryError&) {
        return;
    }
    const QList<Note> typed = m_notes;
    m_isOffline = false;
    m_sync.clear(); // what was typed meanwhile is written anew below
    load(loaded);
    for (const Note& note : typed) {
        if (note.text.isEmpty())
            continue;
        if (note.isScratch && m_notes.first().text.isEmpty()) {
            m_notes.first().text = note.text;
            m_sync.insert(m_notes.first().id, {NoteSync::State::Edited, {}});
            continue;
        }
        Note kept = note;
        kept.isScratch = false;
        m_notes.append(kept);
        m_sync.insert(kept.id, {NoteSync::State::Edited, {}});
    }
    emit failedIDsChanged();
    emit notesChanged();
    emit activeIDChanged();
    flush();
}

void NoteStore::watchStorage()
{
    const QStringList wanted = m_repository->watchedPaths();
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList added;
    for (const QString& path : wanted) {
        if (!watched.contains(path))
            added.append(path);
    }
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

} // namespace quelto
