// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Notes kept in memory, with switches that make saves fail, for tests and benchmarks.

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
    QList<Note> orphanNotes(const QSet<QUuid>& known) override;

    QHash<QUuid, Note> saved;
    std::optional<NoteIndex> index;
    bool failNextSave = false;
    QList<Note> orphans;
    QSet<QUuid> failingIDs;
    int saveCount = 0;
};

} // namespace quelto
