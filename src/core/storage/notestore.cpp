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
    connect(&m_saveTimer, &QTimer::timeout, this, &NoteStore::flush);

    NoteIndex loaded;
    try {
        loaded = m_repository->load();
    } catch (const NoteRepositoryError&) {
        loaded = {};
    }

    QList<Note> notes = loaded.notes;
    const auto scratch =
        std::find_if(notes.begin(), notes.end(), [](const Note& n) { return n.isScratch; });
    bool createdScratch = false;
    if (scratch == notes.end()) {
        const QDateTime t = this->now();
        notes.prepend(Note{QUuid::createUuid(), std::nullopt, QString(), t, t, true});
        createdScratch = true;
    } else if (scratch != notes.begin()) {
        std::rotate(notes.begin(), scratch, scratch + 1);
    }
    m_notes = notes;

    const bool activeExists = loaded.activeID && indexOf(*loaded.activeID) >= 0;
    m_activeID = activeExists ? *loaded.activeID : m_notes.first().id;

    if (createdScratch) {
        try {
            m_repository->save(m_notes.first());
        } catch (const NoteRepositoryError&) {
            // The next edit saves it again; nothing the user typed is at stake yet.
        }
        persistIndex();
    } else if (idsOf(m_notes) != idsOf(loaded.notes) || !activeExists ||
               *loaded.activeID != m_activeID) {
        persistIndex();
    }
}

// Whatever is still waiting for its quiet period is written before the store goes.
NoteStore::~NoteStore()
{
    flush();
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
    Note& note = m_notes[i];
    note.text = text;
    note.updatedAt = now();
    emit notesChanged();
    m_pending.insert(id);
    if (m_saveDelay.count() > 0)
        m_saveTimer.start(m_saveDelay);
    else
        flush();
}

void NoteStore::flush()
{
    m_saveTimer.stop();
    const QSet<QUuid> taken = std::exchange(m_pending, {});
    for (const QUuid& id : taken) {
        if (const Note* n = note(id))
            persist(*n);
    }
}

void NoteStore::setFailed(const QUuid& id, bool failed)
{
    const bool changed = failed ? !m_failedIDs.contains(id) : m_failedIDs.remove(id);
    if (failed)
        m_failedIDs.insert(id);
    if (changed)
        emit failedIDsChanged();
}

void NoteStore::persist(const Note& note)
{
    const QUuid id = note.id;
    try {
        m_repository->save(note);
        setFailed(id, false);
    } catch (const NoteRepositoryError&) {
        setFailed(id, true);
        ++m_saveFailureCount;
        m_pending.insert(id);
        emit saveFailureCountChanged();
    }
}

void NoteStore::persistIndex()
{
    try {
        m_repository->saveIndex(NoteIndex{m_notes, m_activeID});
    } catch (const NoteRepositoryError&) {
        // Written again at the next structural change.
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
    persist(created);
    setActiveID(created.id);
    persistIndex();
    return created;
}

void NoteStore::closeNote(const QUuid& id)
{
    const qsizetype i = indexOf(id);
    if (i < 0 || m_notes[i].isScratch)
        return;
    // The last half second of typing goes into the Trash with the note, so getting
    // the note back gets all of it.
    if (m_pending.contains(id)) {
        try {
            m_repository->save(m_notes[i]);
        } catch (const NoteRepositoryError&) {
            // The note is being closed either way, as when trashing fails.
        }
    }
    m_notes.removeAt(i);
    m_pending.remove(id);
    if (m_failedIDs.remove(id))
        emit failedIDsChanged();
    emit notesChanged();
    try {
        m_repository->trash(id);
    } catch (const NoteRepositoryError&) {
        // The file stays behind and comes back as an extra tab when next adopted.
    }
    if (m_activeID == id)
        setActiveID(m_notes[std::min(i, m_notes.size() - 1)].id);
    persistIndex();
}

void NoteStore::activate(const QUuid& id)
{
    if (indexOf(id) < 0)
        return;
    flush();
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
    persist(m_notes[i]);
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
    QSet<QUuid> known;
    for (const Note& n : m_notes)
        known.insert(n.id);
    QList<Note> orphans;
    try {
        orphans = m_repository->orphanNotes(known);
    } catch (const NoteRepositoryError&) {
        return;
    }
    if (orphans.isEmpty())
        return;
    m_notes.append(orphans);
    emit notesChanged();
    persistIndex();
}

} // namespace quelto
