// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Notes and note files as the storage and panel tests make and read them.

#include "core/storage/note.h"

#include <QFile>
#include <QStringList>

#include <optional>

namespace quelto::testing {

// A fixed moment, so stored and reloaded time stamps compare equal.
inline QDateTime noteTime()
{
    return QDateTime(QDate(2025, 3, 1), QTime(9, 0), Qt::UTC);
}

inline Note plainNote(const QString& text, bool scratch = false,
                      std::optional<QString> title = std::nullopt)
{
    return Note{QUuid::createUuid(), std::move(title), text, noteTime(), noteTime(), scratch};
}

inline QStringList textsOf(const QList<Note>& notes)
{
    QStringList texts;
    for (const Note& n : notes)
        texts << n.text;
    return texts;
}

// A file's bytes, or "<missing>" when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace quelto::testing
