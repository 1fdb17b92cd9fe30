// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A note keeps the line endings it was written with. The editor sees every line break
// as LF; these helpers remember each break's own ending (LF, CR LF, CR or U+2029) and
// carry it through edits, so only the breaks the user touched change, and new ones
// take the note's most common ending.

#include <QByteArray>
#include <QString>

namespace quelto::LineEndings {

// One byte per line break, in order: '\n' LF, 'w' CR LF, '\r' CR, 'p' U+2029.
using Endings = QByteArray;

struct Split {
    QString text; // every line break as LF
    Endings endings;

    friend bool operator==(const Split&, const Split&) = default;
};

Split split(const QString& stored);
// The stored form of `text`; breaks past the end of `endings` take `fallback`.
QString join(const QString& text, const Endings& endings, char fallback);
// The ending most breaks use (LF on a tie with it, or without breaks).
char mostCommon(const Endings& endings);
// The endings of `after`, an edit of `before`: breaks in the unchanged start and end
// keep theirs, breaks in between take `fallback`.
Endings carry(const QString& before, const Endings& endings, const QString& after, char fallback);

} // namespace quelto::LineEndings
