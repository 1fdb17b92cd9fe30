// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt lays out a paragraph as a whole, so a key in a line of a million characters
// would cost the whole line. A line longer than kLongLine is therefore held as
// several paragraphs ("pieces") of about kPiece characters, each after the first
// marked as continuing the one before it: the note's text joins them without a line
// break. Document positions count one more for every piece break before them; these
// helpers convert, and keep the pieces in shape as the text changes.

#include "core/text/plainline.h"

#include <QString>

#include <QList>
#include <QTextBlock>

class QTextDocument;

namespace quelto::LongLines {

// A piece is cut at about this length (after a space where one is near), and cut
// again once it grows past twice this.
constexpr int kPiece = 4000;

// The paragraph continues the one before it on the same line.
bool isContinuation(const QTextBlock& block);
// The paragraph is one piece of a line held in pieces.
bool isPiece(const QTextBlock& block);

// Where to cut a line into pieces: offsets into it, ascending; none for a short line.
QList<int> cuts(QStringView line, int firstPiece = kPiece);

// The document positions of the breaks between pieces, ascending, and conversions
// between document and note positions that use them.
class Breaks {
public:
    explicit Breaks(const QTextDocument& document);
    bool isEmpty() const { return m_breaks.isEmpty(); }
    int toNote(int position) const;
    // A note position at a break is taken at the end of the piece before it, or with
    // `pastBreak` at the start of the next: where the character after it stands.
    int toDocument(int position, bool pastBreak = false) const;
    // The note's text out of the document's raw text, or out of a stretch of it that
    // starts at `position`.
    QString noteText(QString raw, int position = 0) const;

private:
    QList<int> m_breaks;
};

// Clears the piece mark of the paragraphs after `first` up to `last` (block numbers):
// they begin after line breaks just typed or pasted, which start new lines.
void unmarkNewLines(QTextDocument& document, int first, int last);
// Gives `block` back the piece mark it had before an edit that began at its start:
// Qt keeps the last paragraph's format when it joins paragraphs from such a place.
void keepMark(QTextDocument& document, const QTextBlock& block, bool continues);
// Cuts the long lines among blocks first to last (by number) into pieces, and joins
// pieces that grew short or empty; joined into the last undo step. True if it changed
// anything, or with `apply` false, if it would.
bool reshape(QTextDocument& document, int first, int last, bool apply = true);
// The text with a break at every cut of its long lines, and the block numbers that
// continue a line, for loading.
std::pair<QString, QList<int>> inPieces(const QString& text);
// Marks those blocks of a document just given that text.
void markContinuations(QTextDocument& document, const QList<int>& blocks);

} // namespace quelto::LongLines
