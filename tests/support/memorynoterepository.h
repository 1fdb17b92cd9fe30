// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Notes kept in memory, counting writes and with switches that make loads and saves
// fail, for tests and benchmarks.

#include "core/storage/noterepository.h"

#include <QHash>

#include <optional>

namespace quelto {

class MemoryNoteRepository final : public NoteRepository {
public:
    NoteIndex load() override;
    void save(const Note& note) override;
    void trash(const QUuid& id) override;
    void saveIndex(const NoteIndex& index) override;
    QList<Note> orphanNotes(const QSet<QUuid>&) override { return {}; }

    QHash<QUuid, Note> saved;
    std::optional<NoteIndex> index;
    QSet<QUuid> failingIDs;
    bool failLoad = false;
    int saveCount = 0;
    int indexWrites = 0;
    QList<QUuid> trashed;
};

} // namespace quelto
