// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/filenoterepository.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelto {

namespace {

constexpr int kIndexVersion = 1;
const QString kNoteExtension = QStringLiteral("md");

enum class ReadStatus { Ok, Missing, Unreadable };

struct TextFile {
    ReadStatus status = ReadStatus::Missing;
    QString text;
    QByteArray bytes;
    FileNoteRepository::Stamp stamp;
    QDateTime modified; // invalid when unknown
    QDateTime created;
};

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// The file's text if it is a regular file (not reached through a link: a sync peer
// could point one anywhere; not a pipe or device, which would block or never end) of
// at most kMaxNoteBytes, valid UTF-8 to its last byte (a file cut off inside a
// character is unreadable). A byte-order mark is kept as text so that saving the note
// back writes the same bytes.
TextFile readTextFile(const QString& path)
{
    TextFile note;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            note.status = ReadStatus::Unreadable;
        return note;
    }
    note.status = ReadStatus::Unreadable;
    QFile file;
    struct stat info {};
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return note;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > FileNoteRepository::kMaxNoteBytes)
        return note;
    note.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError ||
        note.bytes.size() > FileNoteRepository::kMaxNoteBytes)
        return note;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    note.text = decoder.decode(note.bytes);
    if (decoder.hasError())
        return note;
    note.stamp = {true, true, qint64(info.st_size), nanoseconds(info.st_mtim)};
    note.modified = QDateTime::fromMSecsSinceEpoch(note.stamp.modifiedNs / 1'000'000, Qt::UTC);
    note.created = QFileInfo(path).birthTime().toUTC();
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

// Returns what was written, as the file's stamp will read: taken before the file is
// moved into place, so a program writing the file right after is not taken for us.
FileNoteRepository::Stamp writeAtomically(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes through a link to its target; a link (or pipe) in its place is
    // replaced instead, so nothing outside the notes folder is ever written.
    const FileNoteRepository::Stamp there = FileNoteRepository::stampOf(path);
    if (there.exists && !there.regular)
        QFile::remove(path);
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
    struct stat written {};
    if (!file.flush() || ::fstat(file.handle(), &written) != 0) {
        file.cancelWriting();
        throw NoteRepositoryError{file.errorString()};
    }
    if (!file.commit())
        throw NoteRepositoryError{file.errorString()};
    return {true, true, qint64(written.st_size), nanoseconds(written.st_mtim)};
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

FileNoteRepository::FileNoteRepository(QString notesDirectory, QString indexPath,
                                       std::chrono::milliseconds settleTime)
    : m_notesDirectory(std::move(notesDirectory))
    , m_indexPath(std::move(indexPath))
    , m_settleTime(settleTime)
{}

FileNoteRepository::Stamp FileNoteRepository::stampOf(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true, S_ISREG(info.st_mode), qint64(info.st_size), nanoseconds(info.st_mtim)};
}

void FileNoteRepository::refuse(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (!m_named.contains(name)) {
        m_named.insert(name);
        m_refused.append(name);
    }
}

QStringList FileNoteRepository::takeRefusedFiles()
{
    return std::exchange(m_refused, {});
}

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
    QHash<QUuid, qint64> modified;
    const QFileInfoList entries =
        QDir(m_notesDirectory)
            .entryInfoList({QStringLiteral("*.") + kNoteExtension},
                           QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive,
                           QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        const std::optional<QUuid> id = parseUuid(entry.completeBaseName());
        if (!id)
            continue;
        const qint64 time = stampOf(entry.filePath()).modifiedNs;
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
        TextFile file = readTextFile(it.value());
        if (file.status != ReadStatus::Ok) {
            if (file.status == ReadStatus::Unreadable)
                refuse(it.value());
            continue;
        }
        remember(it.key(), it.value(), file.stamp, file.bytes);
        const QDateTime updatedAt =
            file.modified.isValid() ? file.modified : QDateTime::currentDateTimeUtc();
        const QDateTime createdAt = file.created.isValid() ? file.created : updatedAt;
        notes.append(
            Note{it.key(), std::nullopt, std::move(file.text), createdAt, updatedAt, false});
    }
    sortNewestFirst(notes);
    return notes;
}

void FileNoteRepository::remember(const QUuid& id, const QString& path, const Stamp& stamp,
                                  const QByteArray& bytes, bool ours)
{
    m_paths.insert(id, path);
    m_fingerprints.insert(id, Fingerprint{stamp, hashOf(bytes), false, ours});
}

std::optional<NoteIndex> FileNoteRepository::readStoredIndex() const
{
    for (const QString& path : {m_indexPath, backupIndexPath()}) {
        // Read as a note is: a link or a pipe in its place is no index.
        const TextFile file = readTextFile(path);
        if (file.status != ReadStatus::Ok)
            continue;
        if (std::optional<NoteIndex> index = decodeIndex(file.bytes))
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
        TextFile file = path.isEmpty() ? TextFile{} : readTextFile(path);
        if (file.status == ReadStatus::Missing)
            continue;
        listed.insert(entry.id);
        if (file.status == ReadStatus::Unreadable) {
            m_paths.insert(entry.id, path);
            m_held.append(HeldNote{entry, previous, QFileInfo(path).fileName()});
        } else {
            remember(entry.id, path, file.stamp, file.bytes);
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

void FileNoteRepository::checkUnchanged(const QUuid& id, const QString& path) const
{
    const Stamp there = stampOf(path);
    if (!there.exists)
        return;
    const auto known = m_fingerprints.constFind(id);
    if (there.regular && known != m_fingerprints.constEnd() && !known->gone) {
        if (there.sameFile(known->stamp))
            return;
        // Touched without a change of text (a sync tool setting the time) is no change.
        const TextFile file = readTextFile(path);
        if (file.status == ReadStatus::Ok && hashOf(file.bytes) == known->hash)
            return;
    }
    throw NoteRepositoryError{
        QStringLiteral("%1 was changed by another program").arg(QFileInfo(path).fileName()), true};
}

void FileNoteRepository::save(const Note& note)
{
    createNotesDirectory();
    const QString path = notePath(note.id);
    checkUnchanged(note.id, path);
    const QByteArray bytes = note.text.toUtf8();
    remember(note.id, path, writeAtomically(path, bytes), bytes, true);
}

void FileNoteRepository::trash(const QUuid& id)
{
    const QString path = notePath(id);
    const QFileInfo info(path);
    const Stamp there = stampOf(path);
    // A tab never typed in: an empty file in the Trash would only be clutter.
    const bool removedEmpty = there.regular && there.size == 0 && QFile::remove(path);
    if (!removedEmpty && (info.exists() || info.isSymLink())) {
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
    const QByteArray stored = readTextFile(m_indexPath).bytes;
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
    using Kind = ExternalChange::Kind;
    QList<ExternalChange> changes;
    const qint64 nowNs = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    for (const QUuid& id : ids) {
        const auto known = m_fingerprints.find(id);
        if (known == m_fingerprints.end())
            continue; // never read or written here: nothing to compare with
        const QString path = notePath(id);
        const Stamp there = stampOf(path);
        if (!there.exists) {
            if (!known->gone)
                changes.append(ExternalChange{id, Kind::Deleted, {}});
            known->gone = true;
            continue;
        }
        // Written by another program a moment ago: it may not be done with it.
        const auto age = std::chrono::nanoseconds(std::abs(nowNs - there.modifiedNs));
        const bool recent = there.regular && age < m_settleTime;
        if (!known->gone && there.sameFile(known->stamp)) {
            if (recent && !known->ours)
                changes.append(ExternalChange{id, Kind::Busy, {}});
            continue;
        }
        TextFile file = readTextFile(path);
        if (file.status == ReadStatus::Missing) {
            known->gone = true;
            changes.append(ExternalChange{id, Kind::Deleted, {}});
        } else if (file.status == ReadStatus::Unreadable && recent) {
            changes.append(ExternalChange{id, Kind::Busy, {}}); // cut off inside a character
        } else if (file.status == ReadStatus::Unreadable) {
            // Its tab moves to a file of its own; this one is left as it is.
            refuse(path);
            m_fingerprints.erase(known);
            changes.append(ExternalChange{id, Kind::Unreadable, {}});
        } else {
            const size_t hash = hashOf(file.bytes);
            const bool sameText = hash == known->hash;
            *known = Fingerprint{file.stamp, hash, false, false};
            if (recent)
                changes.append(ExternalChange{id, sameText ? Kind::Busy : Kind::Settling,
                                              sameText ? QString() : file.text});
            else if (!sameText)
                changes.append(ExternalChange{id, Kind::Modified, file.text});
        }
    }
    return changes;
}

QList<SyncConflict> FileNoteRepository::syncConflicts() const
{
    // Syncthing: "<id>.sync-conflict-<date>-<time>-<device>.md"; Nextcloud and ownCloud:
    // "<id> (conflicted copy <date> <time>).md"; Dropbox: "<id> (<name>'s conflicted
    // copy <date>).md".
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9A-Fa-f-]{36})(?:\\.sync-conflict-[^/]*| \\([^)]*conflicted "
                       "copy[^)]*\\))\\.md$"));
    QList<SyncConflict> conflicts;
    const QStringList names =
        QDir(m_notesDirectory)
            .entryList({QStringLiteral("*.md")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (const std::optional<QUuid> id =
                match.hasMatch() ? parseUuid(match.captured(1)) : std::nullopt)
            conflicts.append(SyncConflict{*id, name});
    }
    return conflicts;
}

std::optional<QString> FileNoteRepository::readSyncConflict(const QString& fileName) const
{
    if (fileName.contains(u'/'))
        return std::nullopt;
    TextFile file = readTextFile(m_notesDirectory + u'/' + fileName);
    return file.status == ReadStatus::Ok ? std::optional(std::move(file.text)) : std::nullopt;
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
        if (stampOf(path).regular) // a link would have its target watched
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
