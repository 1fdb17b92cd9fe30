// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The note record (one tab), the ordered list of notes with the active one, and the
// text encodings the stored formats use for ids and time stamps.

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUuid>

#include <optional>

namespace quelto {

struct Note {
    QUuid id;
    std::optional<QString> customTitle;
    QString text;
    QDateTime createdAt;
    QDateTime updatedAt;
    bool isScratch = false;

    // The tab label: "Scratch", the user's title, or one derived from the text.
    QString title() const;

    friend bool operator==(const Note&, const Note&) = default;
};

// An index entry whose text exists but cannot be read (not UTF-8, cut off inside a
// character). It keeps its place after `after` (the front when absent) so the note
// returns there once its file is fixed.
struct HeldNote {
    Note entry;
    std::optional<QUuid> after;
    QString fileName;

    friend bool operator==(const HeldNote&, const HeldNote&) = default;
};

struct NoteIndex {
    QList<Note> notes;
    std::optional<QUuid> activeID;

    friend bool operator==(const NoteIndex&, const NoteIndex&) = default;
};

inline constexpr int kTitleLength = 40;

// The title of an untitled note: its first non-empty line without Markdown
// punctuation, at most 40 user-perceived characters, or "Untitled".
QString derivedTitle(const QString& text);

// Canonical upper-case 36-character form, without braces.
QString uuidText(const QUuid& id);
// Accepts exactly the 36-character hyphenated form, in either letter case.
std::optional<QUuid> parseUuid(QStringView text);

// RFC 3339 internet date-time in UTC with whole seconds, e.g. 2025-03-01T14:05:09Z.
QString internetDateTime(const QDateTime& dateTime);
// Accepts whole seconds with "Z" or a numeric offset; the result is in UTC.
std::optional<QDateTime> parseInternetDateTime(const QString& text);

} // namespace quelto

Q_DECLARE_METATYPE(quelto::Note)
