// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The interface between the note store and where notes live.
//
// Failures are reported by throwing NoteRepositoryError; the store is the only caller
// and absorbs them, so exceptions never leave the storage layer.

#include "core/storage/note.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

namespace quelto {

struct NoteRepositoryError {
    QString message;
    // Another program changed the file since it was read: it must be read first.
    bool changedElsewhere = false;

    friend bool operator==(const NoteRepositoryError&, const NoteRepositoryError&) = default;
};

// What another program did to a stored note since the repository last read or wrote
// it. Each change is reported once; a file another program wrote a moment ago is
// reported while it settles, since that program may not be done with it.
struct ExternalChange {
    enum class Kind {
        Modified,   // new text, in `text`
        Deleted,    // the file is gone
        Unreadable, // replaced by what is no note: not UTF-8, a link, a pipe, too large
        Settling,   // new text, in `text`, that may still be being written
        Busy,       // no new text, but written a moment ago: not to be written over yet
    };

    QUuid id;
    Kind kind = Kind::Modified;
    QString text; // the stored text now, for Modified

    friend bool operator==(const ExternalChange&, const ExternalChange&) = default;
};

// A copy a sync tool left beside a note when two machines changed it at once
// ("<id>.sync-conflict-….md", "<id> (conflicted copy ….md"). Quelto only reads it.
struct SyncConflict {
    QUuid id;
    QString fileName;

    friend bool operator==(const SyncConflict&, const SyncConflict&) = default;
};

class NoteRepository {
public:
    virtual ~NoteRepository() = default;

    // Everything stored: notes in tab order with their texts, and the active id if it
    // names one of them. Entries whose text exists but cannot be read are held back.
    virtual NoteIndex load() = 0;
    // The entries the last load held back.
    virtual QList<HeldNote> heldNotes() const { return {}; }
    // Writes the note's text durably; never touches the index.
    virtual void save(const Note& note) = 0;
    // Moves the note's text to the desktop's Trash; fails when there is no usable Trash
    // (the text then stays where it is).
    virtual void trash(const QUuid& id) = 0;
    // Writes order, titles, flags, time stamps and active id; never touches texts.
    // Writing what is already stored may do nothing.
    virtual void saveIndex(const NoteIndex& index) = 0;
    // Stored notes whose ids are not in `known`.
    virtual QList<Note> orphanNotes(const QSet<QUuid>& known) = 0;

    // Changes other programs made to the stored notes of `ids`.
    virtual QList<ExternalChange> externalChanges(const QList<QUuid>& ids)
    {
        Q_UNUSED(ids);
        return {};
    }
    // Files in the storage that look like notes but are never opened as notes (links,
    // pipes, devices, files too large or not text), by name; each is named once.
    virtual QStringList takeRefusedFiles() { return {}; }
    // Sync tools' copies beside the notes, by file name.
    virtual QList<SyncConflict> syncConflicts() const { return {}; }
    virtual std::optional<QString> readSyncConflict(const QString& fileName) const
    {
        Q_UNUSED(fileName);
        return std::nullopt;
    }
    // Where such changes show first, for a file-system watcher.
    virtual QStringList watchedPaths() const { return {}; }
    // The storage exists but cannot be reached now (a folder on a drive that is not
    // mounted yet): nothing may be written until it is back.
    virtual bool isMissing() const { return false; }
};

} // namespace quelto
