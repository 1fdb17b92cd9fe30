// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The last resort when Quelto must stop while saves fail (logout, shutdown, a kill
// signal): every unsaved note goes to a recovery folder the user can find.

#include "core/storage/note.h"

#include <QStringList>

namespace quelto {

// $XDG_STATE_HOME/Quelto/recovered (~/.local/state/Quelto/recovered by default).
QString recoveryFolder();

// Writes each note's text to `folder` (made if needed) as "<id> <time>.md", or to the
// home folder when `folder` cannot be written; returns the files written.
QStringList writeRecoveryCopies(const QList<Note>& notes, const QString& folder,
                                const QDateTime& at);

} // namespace quelto
