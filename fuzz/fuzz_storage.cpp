// SPDX-License-Identifier: GPL-3.0-or-later
// What a sync peer can hand over: an index file and note files of any bytes. An index
// that decodes is written back as the same index; a damaged one loses no readable
// note; a note's bytes come back unchanged when its text is written again.

#include "core/storage/filenoterepository.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool holds)
{
    if (!holds)
        std::abort();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using quelto::FileNoteRepository;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<quelto::NoteIndex> index = FileNoteRepository::decodeIndex(bytes))
        require(FileNoteRepository::decodeIndex(FileNoteRepository::encodeIndex(*index)) == index);

    // The same bytes as the index and as a note, beside a note that is fine.
    static QTemporaryDir dir;
    const QString notes = dir.filePath(QStringLiteral("Notes"));
    require(QDir(notes).removeRecursively() && QDir().mkpath(notes));
    const QUuid kept(QStringLiteral("AAAAAAAA-0000-4000-8000-000000000001"));
    const QUuid given(QStringLiteral("AAAAAAAA-0000-4000-8000-000000000002"));
    FileNoteRepository repository(notes, dir.filePath(QStringLiteral("index.json")),
                                  std::chrono::milliseconds(0));
    write(repository.notePath(kept), "kept");
    write(repository.notePath(given), bytes);
    write(dir.filePath(QStringLiteral("index.json")), bytes);
    bool keptLoaded = false;
    for (const quelto::Note& note : repository.load().notes) {
        if (note.id == kept)
            keptLoaded = note.text == QStringLiteral("kept");
        if (note.id == given) {
            repository.save(note);
            QFile saved(repository.notePath(given));
            require(saved.open(QIODevice::ReadOnly) && saved.readAll() == bytes);
        }
    }
    require(keptLoaded);
    return 0;
}
