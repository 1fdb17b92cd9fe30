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
#include <QUuid>

namespace quelto {

struct NoteRepositoryError {
    QString message;

    friend bool operator==(const NoteRepositoryError&, const NoteRepositoryError&) = default;
};

class NoteRepository {
public:
    virtual ~NoteRepository() = default;

    // Everything stored: notes in tab order with their texts, and the active id if it
    // names one of them.
    virtual NoteIndex load() = 0;
    // Writes the note's text durably; never touches the index.
    virtual void save(const Note& note) = 0;
    // Removes the note's text, recoverably where the desktop allows.
    virtual void trash(const QUuid& id) = 0;
    // Writes order, titles, flags, time stamps and active id; never touches texts.
    virtual void saveIndex(const NoteIndex& index) = 0;
    // Stored notes whose ids are not in `known`.
    virtual QList<Note> orphanNotes(const QSet<QUuid>& known) = 0;
};

} // namespace quelto
