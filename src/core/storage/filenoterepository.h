// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Notes on the local file system: one UTF-8 Markdown file per note, named by its id,
// plus a JSON index of tab order, titles, time stamps and the active tab, with the
// previous good index kept beside it. Reading is forgiving (a damaged index comes back
// from its copy or from the folder); writing is atomic. Other programs may change the
// files (sync tools, editors): the repository remembers what it last read or wrote of
// each note and tells the store what changed since.

#include "core/storage/noterepository.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

namespace quelto {

class FileNoteRepository final : public NoteRepository {
public:
    FileNoteRepository(QString notesDirectory, QString indexPath);

    NoteIndex load() override;
    QList<HeldNote> heldNotes() const override { return m_held; }
    void save(const Note& note) override;
    void trash(const QUuid& id) override;
    void saveIndex(const NoteIndex& index) override;
    QList<Note> orphanNotes(const QSet<QUuid>& known) override;
    QList<ExternalChange> externalChanges(const QList<QUuid>& ids) override;
    QStringList watchedPaths() const override;
    bool isMissing() const override;

    QString notesDirectory() const { return m_notesDirectory; }
    QString indexPath() const { return m_indexPath; }
    QString backupIndexPath() const { return m_indexPath + QStringLiteral(".bak"); }
    // The file the note was read from, whatever the letter case of its name, else the
    // canonical one.
    QString notePath(const QUuid& id) const;

    // The index file's bytes for `index`, and the reverse; decoding fails as a whole
    // (nullopt) on any missing key, wrong type, or malformed id or date.
    static QByteArray encodeIndex(const NoteIndex& index);
    static std::optional<NoteIndex> decodeIndex(const QByteArray& bytes);

private:
    // What the repository last read or wrote of a note's file.
    struct Fingerprint {
        qint64 size = -1;
        QDateTime modified;
        size_t hash = 0;
    };

    QHash<QUuid, QString> listNoteFiles() const;
    // Readable note files not in `skip`, newest first.
    QList<Note> scanDirectory(const QSet<QUuid>& skip);
    std::optional<NoteIndex> readStoredIndex() const;
    void createNotesDirectory() const;
    void remember(const QUuid& id, const QString& path, const QByteArray& bytes);

    QString m_notesDirectory;
    QString m_indexPath;
    QHash<QUuid, QString> m_paths;
    QHash<QUuid, Fingerprint> m_fingerprints;
    QList<HeldNote> m_held;
};

} // namespace quelto
