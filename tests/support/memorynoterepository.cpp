// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/memorynoterepository.h"

namespace quelto {

NoteIndex MemoryNoteRepository::load()
{
    return index.value_or(NoteIndex{});
}

void MemoryNoteRepository::save(const Note& note)
{
    if (failNextSave || failingIDs.contains(note.id)) {
        failNextSave = false;
        throw NoteRepositoryError{QStringLiteral("disk full")};
    }
    saved.insert(note.id, note);
    ++saveCount;
}

void MemoryNoteRepository::trash(const QUuid& id)
{
    saved.remove(id);
}

void MemoryNoteRepository::saveIndex(const NoteIndex& newIndex)
{
    index = newIndex;
}

QList<Note> MemoryNoteRepository::orphanNotes(const QSet<QUuid>& known)
{
    QList<Note> result;
    for (const Note& note : orphans) {
        if (!known.contains(note.id))
            result.append(note);
    }
    return result;
}

} // namespace quelto
