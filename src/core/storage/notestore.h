#pragma once
// The open tabs while the application runs: the single source of truth the panel,
// the tab strip and the editor read and change. The Scratch note is always first.
// Text edits are saved after a quiet period; structural changes are written at once.
// Failed saves are remembered and retried at the next flush.

#include "core/clock.h"
#include "core/storage/noterepository.h"

#include <QObject>
#include <QSet>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace quelto {

class NoteStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<quelto::Note> notes READ notes WRITE setNotes NOTIFY notesChanged)
    Q_PROPERTY(QUuid activeID READ activeID WRITE setActiveID NOTIFY activeIDChanged)
    Q_PROPERTY(QSet<QUuid> failedIDs READ failedIDs NOTIFY failedIDsChanged)
    Q_PROPERTY(int saveFailureCount READ saveFailureCount NOTIFY saveFailureCountChanged)

public:
    static constexpr int kMaxNotes = 12;
    static constexpr std::chrono::milliseconds kSaveDelay{500};

    // Loads every note at once. `now` stamps edits and new notes (the system clock
    // when empty); a `saveDelay` of zero saves on every edit.
    NoteStore(std::shared_ptr<NoteRepository> repository, std::chrono::milliseconds saveDelay,
              Clock now = {}, QObject* parent = nullptr);
    ~NoteStore() override;

    QList<Note> notes() const { return m_notes; }
    void setNotes(const QList<Note>& notes);
    QUuid activeID() const { return m_activeID; }
    void setActiveID(const QUuid& id);
    QSet<QUuid> failedIDs() const { return m_failedIDs; }
    int saveFailureCount() const { return m_saveFailureCount; }

    const Note* note(const QUuid& id) const;
    const Note* activeNote() const { return note(m_activeID); }
    // The active note, or the first (Scratch) when the active id names none. Points into
    // the store's own list: valid until the store next changes.
    const Note* activeOrFirst() const;
    NoteRepository& repository() const { return *m_repository; }
    bool hasPendingSaves() const { return !m_pending.isEmpty(); }

    void updateText(const QString& text, const QUuid& id);
    // Saves every pending text now; never writes the index.
    void flush();
    // The new, active note, or nothing when kMaxNotes are open.
    std::optional<Note> createNote();
    // Saves the note's unsaved text, then moves it to the Trash.
    void closeNote(const QUuid& id);
    void activate(const QUuid& id);
    void activateIndex(qsizetype position);
    void rename(const QUuid& id, const std::optional<QString>& title);
    // Moves the notes at `sources` before the note at `destination` (the count means
    // the end), keeping their order. Nothing moves away from or in front of Scratch.
    void move(const QSet<qsizetype>& sources, qsizetype destination);
    // Appends notes found in storage that no tab shows yet.
    void adoptOrphans();

signals:
    void notesChanged();
    void activeIDChanged();
    void failedIDsChanged();
    void saveFailureCountChanged();

private:
    qsizetype indexOf(const QUuid& id) const;
    QDateTime now() const;
    void persist(const Note& note);
    void persistIndex();
    void setFailed(const QUuid& id, bool failed);

    std::shared_ptr<NoteRepository> m_repository;
    Clock m_now;
    std::chrono::milliseconds m_saveDelay;
    QList<Note> m_notes;
    QUuid m_activeID;
    QSet<QUuid> m_failedIDs;
    int m_saveFailureCount = 0;
    QSet<QUuid> m_pending;
    QTimer m_saveTimer;
};

} // namespace quelto
