// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/recovery.h"

#include <QDir>
#include <QSaveFile>

namespace quelto {

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

QString recoveryFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Quelto/recovered");
}

QStringList writeRecoveryCopies(const QList<Note>& notes, const QString& folder,
                                const QDateTime& at)
{
    const QString stamp = at.toUTC().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    const bool folderUsable = QDir().mkpath(folder);
    QStringList written;
    for (const Note& note : notes) {
        const QString name = uuidText(note.id) + u' ' + stamp + QStringLiteral(".md");
        const QByteArray bytes = note.text.toUtf8();
        const QString first = folder + u'/' + name;
        if (folderUsable && writeFile(first, bytes)) {
            written.append(first);
            continue;
        }
        const QString fallback = QDir::homePath() + QStringLiteral("/Quelto recovered ") + name;
        if (writeFile(fallback, bytes))
            written.append(fallback);
    }
    return written;
}

} // namespace quelto
