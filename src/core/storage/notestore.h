// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The open tabs while the application runs: the single source of truth the panel,
// the tab strip and the editor read and change. The Scratch note is always first.
// A note's text is written at most saveDelay after its first unsaved edit, however
// fast the user types; structural changes are written at once, and flush writes
// everything, the index included. Failed saves are retried by themselves. Files that
// other programs change are taken in live, or kept beside the local text when both
// changed. While the storage is missing nothing is written, and it is loaded when it
// comes back.

#include "core/clock.h"
#include "core/storage/noterepository.h"
#include "core/storage/notesyncmachine.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <chrono>
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
    // How soon a change in the notes folder is looked at, and how often failed saves
    // and a missing folder are tried again.
    static constexpr std::chrono::milliseconds kCheckDelay{50};
    static constexpr std::chrono::milliseconds kRetryInterval{3000};
    // How soon a file another program is still writing is looked at again.
    static constexpr std::chrono::milliseconds kBusyRetry{250};

    // Loads every note at once. `now` stamps edits and new notes (the system clock
    // when empty); a `saveDelay` of zero saves on every edit.
    NoteStore(std::shared_ptr<NoteRepository> repository, std::chrono::milliseconds saveDelay,
              Clock now = {}, QObject* parent = nullptr);
    ~NoteStore() override;

    QList<Note> notes() const { return m_notes; }
    void setNotes(const QList<Note>& notes);
    QUuid activeID() const { return m_activeID; }
    void setActiveID(const QUuid& id);
    QSet<QUuid> failedIDs() const;
    int saveFailureCount() const { return m_saveFailureCount; }
    // Stored notes that could not be read; they keep their place in the index.
    QList<HeldNote> heldNotes() const { return m_held; }
    bool isStorageMissing() const { return m_isOffline; }
    // Files named like notes that are never opened as notes, by name.
    QStringList refusedFiles() const { return m_refused; }

    const Note* note(const QUuid& id) const;
    const Note* activeNote() const { return note(m_activeID); }
    // The active note, or the first (Scratch) when the active id names none. Points into
    // the store's own list: valid until the store next changes.
    const Note* activeOrFirst() const;
    NoteRepository& repository() const { return *m_repository; }
    bool hasPendingSaves() const { return !m_sync.isEmpty(); }
    // Notes whose latest text is not on disk.
    QList<Note> unsavedNotes() const;

    void updateText(const QString& text, const QUuid& id);
    // The same for one edit: `removed` characters at `position` become `inserted`. The
    // work follows the edit, not the note; false when the range does not fit the text.
    bool editText(const QUuid& id, qsizetype position, qsizetype removed, QStringView inserted);
    // Writes every unsaved text now, then the index if it changed.
    void flush();
    // The new, active note, or nothing when kMaxNotes are open.
    std::optional<Note> createNote();
    // Saves the note's unsaved text, then moves it to the Trash; when that fails the
    // note stays open (closeFailed).
    void closeNote(const QUuid& id);
    void activate(const QUuid& id);
    void activateIndex(qsizetype position);
    void rename(const QUuid& id, const std::optional<QString>& title);
    // Moves the notes at `sources` before the note at `destination` (the count means
    // the end), keeping their order. Nothing moves away from or in front of Scratch.
    void move(const QSet<qsizetype>& sources, qsizetype destination);
    // Appends notes found in storage that no tab shows yet.
    void adoptOrphans();
    // Opens a sync tool's copy of a note as a new, active tab (its file is left as it
    // is, and the tab limit does not apply); nothing when it cannot be read.
    std::optional<Note> openSyncConflict(const SyncConflict& conflict);
    // Sync tools' copies not yet named to the user; naming them takes them.
    QList<SyncConflict> takeNewSyncConflicts();
    // Looks at the storage now: comes back from a missing folder, takes in what other
    // programs changed, retries failed saves (the watcher and a timer call this too).
    void checkStorage();

signals:
    // The tabs changed: added, removed, moved, retitled, or loaded anew.
    void notesChanged();
    // One note's text changed (typed here, or taken in from another program).
    void noteTextChanged(const QUuid& id);
    void activeIDChanged();
    void failedIDsChanged();
    void saveFailureCountChanged();
    // Another program changed a note that had unsaved edits here: its version is now
    // the note `copyID` (a tab, or a file waiting for adoption when the tabs are full).
    void conflictCopied(const QUuid& copyID);
    void closeFailed(const QString& reason);
    // The notes folder changed; new files may be waiting for adoption.
    void storageChanged();
    // Files named like notes that are left alone (not text, links, pipes, too large).
    void filesRefused(const QStringList& names);
    // A sync tool left new copies beside notes (takeNewSyncConflicts has them).
    void syncConflictsFound();

private:
    // Where a tab stands against its file; only tabs that are not Clean have one.
    struct SyncRecord {
        NoteSync::State state = NoteSync::State::Clean;
        QString otherVersion; // another program's text, held while it writes
    };

    qsizetype indexOf(const QUuid& id) const;
    QDateTime now() const;
    void load(const NoteIndex& loaded);
    // Feeds the note's state machine one event and carries out what it asks for;
    // `text` is the file's text for the events that bring one. Returns the actions.
    NoteSync::Actions apply(const QUuid& id, NoteSync::Event event, const QString& text = {});
    void setSyncState(const QUuid& id, NoteSync::State state);
    // `now`: nothing may be left for later (flush); else a file still being written
    // is waited for.
    void saveTexts(bool now);
    void scheduleSave(std::chrono::milliseconds delay);
    // Writes one note (a new tab, a new title) after taking in other programs' changes.
    void save(const QUuid& id);
    // Writes the note's text; the outcome goes back to its state machine.
    void write(const QUuid& id, bool now);
    void persistIndex();
    // Stamps an edited note and schedules its save.
    void didEdit(Note& note);
    // Returns the notes whose files are still being written.
    QSet<QUuid> applyExternalChanges(const QList<ExternalChange>& changes);
    void keepOtherVersion(const Note& original, const QString& text);
    void rehome(qsizetype i, bool hold);
    // The tab shows what the file holds.
    void takeText(qsizetype i, const QString& text);
    void reportRefusedFiles();
    // True when there are copies not seen before.
    bool lookForSyncConflicts();
    void comeBack();
    void watchStorage();

    std::shared_ptr<NoteRepository> m_repository;
    Clock m_now;
    std::chrono::milliseconds m_saveDelay;
    QList<Note> m_notes;
    QUuid m_activeID;
    QHash<QUuid, SyncRecord> m_sync;
    int m_saveFailureCount = 0;
    QList<HeldNote> m_held;
    QStringList m_refused;
    QSet<QString> m_namedConflicts;
    QList<SyncConflict> m_newConflicts;
    bool m_isOffline = false;
    QTimer m_saveTimer;
    QTimer m_checkTimer;
    QTimer m_retryTimer;
    QFileSystemWatcher m_watcher;
};

} // namespace quelto
