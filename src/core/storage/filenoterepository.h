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
#include <QSet>
#include <QString>

#include <chrono>

namespace quelto {

class FileNoteRepository final : public NoteRepository {
public:
    // Larger files are no notes (a log or an image named like one): never read.
    static constexpr qint64 kMaxNoteBytes = 32 * 1024 * 1024;
    // A file changed more recently than this may still be being written (a program
    // that truncates first and writes later): it is left alone until it settles.
    static constexpr std::chrono::milliseconds kSettleTime{1000};

    FileNoteRepository(QString notesDirectory, QString indexPath,
                       std::chrono::milliseconds settleTime = kSettleTime);

    NoteIndex load() override;
    QList<HeldNote> heldNotes() const override { return m_held; }
    void save(const Note& note) override;
    void trash(const QUuid& id) override;
    void saveIndex(const NoteIndex& index) override;
    QList<Note> orphanNotes(const QSet<QUuid>& known) override;
    QList<ExternalChange> externalChanges(const QList<QUuid>& ids) override;
    QStringList takeRefusedFiles() override;
    QList<SyncConflict> syncConflicts() const override;
    std::optional<QString> readSyncConflict(const QString& fileName) const override;
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

    // Size and modification time of what is at `path` itself (a link is not followed).
    struct Stamp {
        bool exists = false;
        bool regular = false;
        qint64 size = 0;
        qint64 modifiedNs = 0;

        bool sameFile(const Stamp& other) const
        {
            return exists == other.exists && size == other.size && modifiedNs == other.modifiedNs;
        }
    };
    static Stamp stampOf(const QString& path);

private:
    // What the repository last read or wrote of a note's file; `gone` once it was seen
    // deleted, so a file that comes back is compared with what was there; `ours` when
    // this repository wrote it.
    struct Fingerprint {
        Stamp stamp;
        size_t hash = 0;
        bool gone = false;
        bool ours = false;
    };

    QHash<QUuid, QString> listNoteFiles() const;
    void refuse(const QString& path);
    // Readable note files not in `skip`, newest first.
    QList<Note> scanDirectory(const QSet<QUuid>& skip);
    std::optional<NoteIndex> readStoredIndex() const;
    void createNotesDirectory() const;
    void remember(const QUuid& id, const QString& path, const Stamp& stamp, const QByteArray& bytes,
                  bool ours = false);
    // Throws unless what is at the note's path is what was last read or written there
    // (or nothing is, where nothing was): text not read here is never written over.
    void checkUnchanged(const QUuid& id, const QString& path) const;

    QString m_notesDirectory;
    QString m_indexPath;
    std::chrono::milliseconds m_settleTime;
    QSet<QString> m_named;
    QStringList m_refused;
    QHash<QUuid, QString> m_paths;
    QHash<QUuid, Fingerprint> m_fingerprints;
    QList<HeldNote> m_held;
};

} // namespace quelto
