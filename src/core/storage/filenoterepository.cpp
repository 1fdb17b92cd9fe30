// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/filenoterepository.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace quelto {

namespace {

constexpr int kIndexVersion = 1;
const QString kNoteExtension = QStringLiteral("md");

enum class ReadStatus { Ok, Missing, Unreadable };

struct NoteFile {
    ReadStatus status = ReadStatus::Missing;
    QString text;
    QByteArray bytes;
    QDateTime modified; // invalid when unknown
    QDateTime created;
};

// The file's text if it exists and is valid UTF-8 to its last byte (a file cut off
// inside a character is unreadable), with its dates read from the open file. A
// byte-order mark is kept as text so that saving the note back writes the same bytes.
NoteFile readNoteFile(const QString& path)
{
    NoteFile note;
    QFile file(path);
    if (!file.exists())
        return note;
    note.status = ReadStatus::Unreadable;
    if (!file.open(QIODevice::ReadOnly))
        return note;
    note.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return note;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    note.text = decoder.decode(note.bytes);
    if (decoder.hasError())
        return note;
    note.modified = file.fileTime(QFileDevice::FileModificationTime).toUTC();
    note.created = file.fileTime(QFileDevice::FileBirthTime).toUTC();
    note.status = ReadStatus::Ok;
    return note;
}

size_t hashOf(const QByteArray& bytes)
{
    return qHashBits(bytes.constData(), size_t(bytes.size()));
}

// Where Qt put a trashed file is a real Trash only if it is in the "files" folder of
// the home Trash or of a volume's .Trash-UID or .Trash/UID.
bool isTrashLocation(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isAbsolute())
        return false;
    QDir files = info.dir();
    if (files.dirName() != QStringLiteral("files") || !files.cdUp())
        return false;
    const QString top = files.dirName();
    if (top == QStringLiteral("Trash") || top.startsWith(QStringLiteral(".Trash-")))
        return true;
    return files.cdUp() && files.dirName() == QStringLiteral(".Trash");
}

// Undoes a move into something that is no Trash, leaving nothing behind there.
void moveBack(const QString& moved, const QString& original)
{
    const QFileInfo info(moved);
    QFile::rename(moved, original);
    QDir root = info.dir();
    root.cdUp();
    QFile::remove(
        root.filePath(QStringLiteral("info/") + info.fileName() + QStringLiteral(".trashinfo")));
    root.rmdir(QStringLiteral("info"));
    root.rmdir(QStringLiteral("files"));
}

void writeAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Unbuffered: with a buffer, Qt 6.4 commits a file cut short by a failed flush
    // (full disk, size limit); written directly, the short write is seen here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw NoteRepositoryError{file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString message = file.errorString();
        file.cancelWriting();
        throw NoteRepositoryError{message};
    }
    if (!file.commit())
        throw NoteRepositoryError{file.errorString()};
}

bool isIntegral(const QJsonValue& value)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    return std::isfinite(d) && d == std::trunc(d);
}

std::optional<QUuid> uuidValue(const QJsonValue& value)
{
    return value.isString() ? parseUuid(value.toString()) : std::nullopt;
}

std::optional<QDateTime> dateValue(const QJsonValue& value)
{
    return value.isString() ? parseInternetDateTime(value.toString()) : std::nullopt;
}

// Missing and null both mean absent, as for any optional key.
bool isAbsent(const QJsonObject& object, const QString& key)
{
    const auto it = object.constFind(key);
    return it == object.constEnd() || it->isNull();
}

std::optional<Note> decodeEntry(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject entry = value.toObject();
    const std::optional<QUuid> id = uuidValue(entry.value(u"id"));
    const QJsonValue scratch = entry.value(u"isScratch");
    const std::optional<QDateTime> createdAt = dateValue(entry.value(u"createdAt"));
    const std::optional<QDateTime> updatedAt = dateValue(entry.value(u"updatedAt"));
    if (!id || !scratch.isBool() || !createdAt || !updatedAt)
        return std::nullopt;
    Note note{*id, std::nullopt, QString(), *createdAt, *updatedAt, scratch.toBool()};
    if (!isAbsent(entry, QStringLiteral("customTitle"))) {
        const QJsonValue title = entry.value(u"customTitle");
        if (!title.isString())
            return std::nullopt;
        note.customTitle = title.toString();
    }
    return note;
}

void sortNewestFirst(QList<Note>& notes)
{
    std::stable_sort(notes.begin(), notes.end(),
                     [](const Note& a, const Note& b) { return a.updatedAt > b.updatedAt; });
}

} // namespace

FileNoteRepository::FileNoteRepository(QString notesDirectory, QString indexPath)
    : m_notesDirectory(std::move(notesDirectory))
    , m_indexPath(std::move(indexPath))
{}

QString FileNoteRepository::notePath(const QUuid& id) const
{
    return m_paths.value(id, m_notesDirectory + u'/' + uuidText(id) + u'.' + kNoteExtension);
}

QByteArray FileNoteRepository::encodeIndex(const NoteIndex& index)
{
    QJsonArray entries;
    for (const Note& note : index.notes) {
        QJsonObject entry{
            {QStringLiteral("id"), uuidText(note.id)},
            {QStringLiteral("isScratch"), note.isScratch},
            {QStringLiteral("createdAt"), internetDateTime(note.createdAt)},
            {QStringLiteral("updatedAt"), internetDateTime(note.updatedAt)},
        };
        if (note.customTitle)
            entry.insert(QStringLiteral("customTitle"), *note.customTitle);
        entries.append(entry);
    }
    QJsonObject top{{QStringLiteral("notes"), entries}, {QStringLiteral("version"), kIndexVersion}};
    if (index.activeID)
        top.insert(QStringLiteral("activeID"), uuidText(*index.activeID));
    // QJsonObject keeps its keys sorted, which is the stored form.
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

std::optional<NoteIndex> FileNoteRepository::decodeIndex(const QByteArray& bytes)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject top = document.object();
    const QJsonValue notes = top.value(u"notes");
    if (!notes.isArray() || !isIntegral(top.value(u"version")))
        return std::nullopt;
    NoteIndex index;
    if (!isAbsent(top, QStringLiteral("activeID"))) {
        index.activeID = uuidValue(top.value(u"activeID"));
        if (!index.activeID)
            return std::nullopt;
    }
    for (const QJsonValue& value : notes.toArray()) {
        std::optional<Note> note = decodeEntry(value);
        if (!note)
            return std::nullopt;
        index.notes.append(*note);
    }
    return index;
}

// Note files by id. Two files can name the same note in different letter cases; only
// the newest counts, so one id never stands for two tabs.
QHash<QUuid, QString> FileNoteRepository::listNoteFiles() const
{
    QHash<QUuid, QString> paths;
    QHash<QUuid, QDateTime> modified;
    const QFileInfoList entries =
        QDir(m_notesDirectory)
            .entryInfoList({QStringLiteral("*.") + kNoteExtension},
                           QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive,
                           QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        const std::optional<QUuid> id = parseUuid(entry.completeBaseName());
        if (!id)
            continue;
        const QDateTime time = entry.lastModified();
        if (paths.contains(*id) && modified.value(*id) >= time)
            continue;
        paths.insert(*id, entry.filePath());
        modified.insert(*id, time);
    }
    return paths;
}

QList<Note> FileNoteRepository::scanDirectory(const QSet<QUuid>& skip)
{
    QList<Note> notes;
    const QHash<QUuid, QString> files = listNoteFiles();
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (skip.contains(it.key()))
            continue;
        NoteFile file = readNoteFile(it.value());
        if (file.status != ReadStatus::Ok)
            continue;
        remember(it.key(), it.value(), file.bytes);
        const QDateTime updatedAt =
            file.modified.isValid() ? file.modified : QDateTime::currentDateTimeUtc();
        const QDateTime createdAt = file.created.isValid() ? file.created : updatedAt;
        notes.append(
            Note{it.key(), std::nullopt, std::move(file.text), createdAt, updatedAt, false});
    }
    sortNewestFirst(notes);
    return notes;
}

void FileNoteRepository::remember(const QUuid& id, const QString& path, const QByteArray& bytes)
{
    m_paths.insert(id, path);
    const QFileInfo info(path);
    m_fingerprints.insert(id, Fingerprint{info.size(), info.lastModified(), hashOf(bytes)});
}

std::optional<NoteIndex> FileNoteRepository::readStoredIndex() const
{
    for (const QString& path : {m_indexPath, backupIndexPath()}) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (std::optional<NoteIndex> index = decodeIndex(file.readAll()))
            return index;
    }
    return std::nullopt;
}

NoteIndex FileNoteRepository::load()
{
    if (!QFileInfo::exists(m_notesDirectory))
        return {};
    m_held.clear();
    const QHash<QUuid, QString> files = listNoteFiles();
    const std::optional<NoteIndex> stored = readStoredIndex();
    if (!stored)
        return NoteIndex{scanDirectory({}), std::nullopt};

    NoteIndex result;
    QSet<QUuid> listed;
    QSet<QUuid> built;
    std::optional<QUuid> previous;
    for (const Note& entry : stored->notes) {
        if (listed.contains(entry.id))
            continue;
        const QString path = files.value(entry.id);
        NoteFile file = path.isEmpty() ? NoteFile{} : readNoteFile(path);
        if (file.status == ReadStatus::Missing)
            continue;
        listed.insert(entry.id);
        if (file.status == ReadStatus::Unreadable) {
            m_paths.insert(entry.id, path);
            m_held.append(HeldNote{entry, previous, QFileInfo(path).fileName()});
        } else {
            remember(entry.id, path, file.bytes);
            built.insert(entry.id);
            Note note = entry;
            note.text = std::move(file.text);
            result.notes.append(std::move(note));
        }
        previous = entry.id;
    }
    if (stored->activeID && built.contains(*stored->activeID))
        result.activeID = stored->activeID;
    result.notes.append(orphanNotes(listed));
    return result;
}

void FileNoteRepository::createNotesDirectory() const
{
    if (!QDir().mkpath(m_notesDirectory))
        throw NoteRepositoryError{
            QStringLiteral("Couldn't create the folder %1").arg(m_notesDirectory)};
}

void FileNoteRepository::save(const Note& note)
{
    createNotesDirectory();
    const QString path = notePath(note.id);
    const QByteArray bytes = note.text.toUtf8();
    writeAtomically(path, bytes);
    remember(note.id, path, bytes);
}

void FileNoteRepository::trash(const QUuid& id)
{
    const QString path = notePath(id);
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        // Qt falls back to a trash folder relative to the working directory when the
        // data location is missing; making it first keeps the note in the user's Trash.
        QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        QFile file(path);
        if (!file.moveToTrash())
            throw NoteRepositoryError{QStringLiteral("the Trash isn't available")};
        if (!isTrashLocation(file.fileName())) {
            moveBack(file.fileName(), path);
            throw NoteRepositoryError{QStringLiteral("the Trash isn't available")};
        }
    }
    m_paths.remove(id);
    m_fingerprints.remove(id);
}

void FileNoteRepository::saveIndex(const NoteIndex& index)
{
    createNotesDirectory();
    const QByteArray bytes = encodeIndex(index);
    QFile current(m_indexPath);
    QByteArray stored;
    if (current.open(QIODevice::ReadOnly))
        stored = current.readAll();
    if (stored == bytes)
        return;
    // The last good index stays beside the new one, so a damaged index costs nothing.
    if (decodeIndex(stored))
        writeAtomically(backupIndexPath(), stored);
    writeAtomically(m_indexPath, bytes);
}

QList<Note> FileNoteRepository::orphanNotes(const QSet<QUuid>& known)
{
    if (!QFileInfo::exists(m_notesDirectory))
        return {};
    // Known notes are passed over before their files are read.
    QList<Note> notes = scanDirectory(known);
    std::stable_sort(notes.begin(), notes.end(),
                     [](const Note& a, const Note& b) { return a.updatedAt < b.updatedAt; });
    return notes;
}

QList<ExternalChange> FileNoteRepository::externalChanges(const QList<QUuid>& ids)
{
    QList<ExternalChange> changes;
    for (const QUuid& id : ids) {
        const auto known = m_fingerprints.find(id);
        if (known == m_fingerprints.end())
            continue; // never read or written here: nothing to compare with
        const QString path = notePath(id);
        const QFileInfo info(path);
        if (!info.exists()) {
            m_fingerprints.erase(known);
            changes.append(ExternalChange{id, ExternalChange::Kind::Deleted, {}});
            continue;
        }
        if (info.size() == known->size && info.lastModified() == known->modified)
            continue;
        NoteFile file = readNoteFile(path);
        if (file.status != ReadStatus::Ok)
            continue; // half written, or not text: looked at again at the next change
        const size_t hash = hashOf(file.bytes);
        const bool sameText = hash == known->hash;
        *known = Fingerprint{info.size(), info.lastModified(), hash};
        if (!sameText)
            changes.append(ExternalChange{id, ExternalChange::Kind::Modified, file.text});
    }
    return changes;
}

QStringList FileNoteRepository::watchedPaths() const
{
    if (!QFileInfo::exists(m_notesDirectory)) {
        // Its return shows in the folder that holds it.
        const QString parent = QFileInfo(m_notesDirectory).absolutePath();
        return QFileInfo::exists(parent) ? QStringList{parent} : QStringList{};
    }
    QStringList paths{m_notesDirectory};
    for (const QString& path : m_paths) {
        if (QFileInfo::exists(path))
            paths.append(path);
    }
    return paths;
}

bool FileNoteRepository::isMissing() const
{
    return !QFileInfo::exists(m_notesDirectory) &&
           (QFileInfo::exists(m_indexPath) || QFileInfo::exists(backupIndexPath()));
}

} // namespace quelto
