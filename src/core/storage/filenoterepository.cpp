#include "core/storage/filenoterepository.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

struct NoteFile {
    QString text;
    QDateTime modified; // invalid when unknown
    QDateTime created;
};

// The file's text if it exists and is valid UTF-8, with its dates read from the open
// file. A byte-order mark is kept as text so that saving the note back writes the
// same bytes.
std::optional<NoteFile> readNoteFile(const QString& path, bool withDates)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    NoteFile note{decoder.decode(bytes), {}, {}};
    if (decoder.hasError())
        return std::nullopt;
    if (withDates) {
        note.modified = file.fileTime(QFileDevice::FileModificationTime).toUTC();
        note.created = file.fileTime(QFileDevice::FileBirthTime).toUTC();
    }
    return note;
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
    return m_notesDirectory + u'/' + uuidText(id) + u'.' + kNoteExtension;
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

QList<Note> FileNoteRepository::scanDirectory(const QSet<QUuid>& skip) const
{
    QList<Note> notes;
    const QStringList names =
        QDir(m_notesDirectory)
            .entryList({QStringLiteral("*.") + kNoteExtension},
                       QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive,
                       QDir::Unsorted);
    for (const QString& name : names) {
        const std::optional<QUuid> id =
            parseUuid(QStringView(name).chopped(kNoteExtension.size() + 1));
        if (!id || skip.contains(*id))
            continue;
        std::optional<NoteFile> file = readNoteFile(m_notesDirectory + u'/' + name, true);
        if (!file)
            continue;
        const QDateTime updatedAt =
            file->modified.isValid() ? file->modified : QDateTime::currentDateTimeUtc();
        const QDateTime createdAt = file->created.isValid() ? file->created : updatedAt;
        notes.append(Note{*id, std::nullopt, std::move(file->text), createdAt, updatedAt, false});
    }
    return notes;
}

// Two files can name the same note in different letter cases; only the newest is
// kept, so one id never stands for two tabs.
QList<Note> FileNoteRepository::scanNewestFirst(const QSet<QUuid>& skip) const
{
    QList<Note> notes = scanDirectory(skip);
    sortNewestFirst(notes);
    QSet<QUuid> seen;
    notes.removeIf([&seen](const Note& note) {
        if (seen.contains(note.id))
            return true;
        seen.insert(note.id);
        return false;
    });
    return notes;
}

NoteIndex FileNoteRepository::load()
{
    if (!QFileInfo::exists(m_notesDirectory))
        return {};
    QFile indexFile(m_indexPath);
    std::optional<NoteIndex> stored;
    if (indexFile.open(QIODevice::ReadOnly))
        stored = decodeIndex(indexFile.readAll());
    if (!stored)
        return NoteIndex{scanNewestFirst(), std::nullopt};

    NoteIndex result;
    QSet<QUuid> built;
    for (Note& note : stored->notes) {
        if (built.contains(note.id))
            continue;
        std::optional<NoteFile> file = readNoteFile(notePath(note.id), false);
        if (!file)
            continue;
        note.text = std::move(file->text);
        built.insert(note.id);
        result.notes.append(std::move(note));
    }
    if (stored->activeID && built.contains(*stored->activeID))
        result.activeID = stored->activeID;
    result.notes.append(orphanNotes(built));
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
    writeAtomically(notePath(note.id), note.text.toUtf8());
}

void FileNoteRepository::trash(const QUuid& id)
{
    const QString path = notePath(id);
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    // Qt falls back to a trash folder relative to the working directory when the data
    // location is missing; making it first keeps the note in the user's own Trash.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QFile file(path);
    if (file.moveToTrash()) {
        if (QFileInfo(file.fileName()).isAbsolute())
            return;
        // Moved somewhere that is no Trash: that copy is the one to delete.
        if (QFile::remove(file.fileName()))
            return;
        throw NoteRepositoryError{QStringLiteral("Couldn't delete %1").arg(path)};
    }
    if (!QFile::remove(path))
        throw NoteRepositoryError{file.errorString()};
}

void FileNoteRepository::saveIndex(const NoteIndex& index)
{
    createNotesDirectory();
    writeAtomically(m_indexPath, encodeIndex(index));
}

QList<Note> FileNoteRepository::orphanNotes(const QSet<QUuid>& known)
{
    if (!QFileInfo::exists(m_notesDirectory))
        return {};
    // Known notes are passed over before their files are read.
    QList<Note> notes = scanNewestFirst(known);
    std::stable_sort(notes.begin(), notes.end(),
                     [](const Note& a, const Note& b) { return a.updatedAt < b.updatedAt; });
    return notes;
}

} // namespace quelto
