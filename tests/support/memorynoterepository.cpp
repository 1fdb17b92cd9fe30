// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/memorynoterepository.h"

namespace quelto {

NoteIndex MemoryNoteRepository::load()
{
    if (failLoad)
        throw NoteRepositoryError{QStringLiteral("unreadable")};
    return index.value_or(NoteIndex{});
}

void MemoryNoteRepository::save(const Note& note)
{
    if (failingIDs.contains(note.id))
        throw NoteRepositoryError{QStringLiteral("disk full")};
    saved.insert(note.id, note);
    ++saveCount;
}

void MemoryNoteRepository::trash(const QUuid& id)
{
    trashed.append(id);
    saved.remove(id);
}

void MemoryNoteRepository::saveIndex(const NoteIndex& newIndex)
{
    ++indexWrites;
    index = newIndex;
}

} // namespace quelto
