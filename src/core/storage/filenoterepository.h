#pragma once
// Notes on the local file system: one UTF-8 Markdown file per note, named by its id,
// plus a JSON index of tab order, titles, time stamps and the active tab. Reading is
// forgiving (a damaged index is rebuilt from the folder); writing is atomic.

#include "core/storage/noterepository.h"

#include <QByteArray>
#include <QString>

namespace quelto {

class FileNoteRepository final : public NoteRepository {
public:
    FileNoteRepository(QString notesDirectory, QString indexPath);

    NoteIndex load() override;
    void save(const Note& note) override;
    void trash(const QUuid& id) override;
    void saveIndex(const NoteIndex& index) override;
    QList<Note> orphanNotes(const QSet<QUuid>& known) override;

    QString notesDirectory() const { return m_notesDirectory; }
    QString indexPath() const { return m_indexPath; }
    QString notePath(const QUuid& id) const;

    // The index file's bytes for `index`, and the reverse; decoding fails as a whole
    // (nullopt) on any missing key, wrong type, or malformed id or date.
    static QByteArray encodeIndex(const NoteIndex& index);
    static std::optional<NoteIndex> decodeIndex(const QByteArray& bytes);

private:
    QList<Note> scanDirectory(const QSet<QUuid>& skip) const;
    QList<Note> scanNewestFirst(const QSet<QUuid>& skip = {}) const;
    void createNotesDirectory() const;

    QString m_notesDirectory;
    QString m_indexPath;
};

} // namespace quelto
