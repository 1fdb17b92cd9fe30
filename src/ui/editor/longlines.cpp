// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/longlines.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace quelto::LongLines {

namespace {

// A block-format property: the paragraph continues the line of the one before it.
constexpr int kContinues = QTextFormat::UserProperty + 100;
// A document property, set once a paragraph was marked: a document without it has no
// pieces, and finding its breaks need not walk its paragraphs on every key.
constexpr char kHasPieces[] = "quelto-has-pieces";

QTextBlockFormat marked(QTextBlockFormat format, bool continues)
{
    if (continues)
        format.setProperty(kContinues, true);
    else
        format.clearProperty(kContinues);
    return format;
}

void setContinues(QTextCursor& cursor, const QTextBlock& block, bool continues)
{
    if (continues)
        cursor.document()->setProperty(kHasPieces, true);
    cursor.setPosition(block.position());
    cursor.setBlockFormat(marked(block.blockFormat(), continues));
    // The paragraph before became or stopped being a piece too: setting its format
    // again reports it changed, and so it is styled and computed anew.
    const QTextBlock previous = block.previous();
    if (previous.isValid()) {
        cursor.setPosition(previous.position());
        cursor.setBlockFormat(previous.blockFormat());
    }
}

// Removes the break before `block`, joining it to the paragraph before, whose
// format the joined paragraph keeps (Qt keeps the second's when the first is empty).
void join(QTextCursor& cursor, const QTextBlock& block)
{
    const QTextBlockFormat kept = block.previous().blockFormat();
    cursor.setPosition(block.position() - 1);
    cursor.deleteChar();
    if (cursor.blockFormat() != kept)
        cursor.setBlockFormat(kept);
}

void cut(QTextCursor& cursor, const QTextBlock& block)
{
    const QList<int> offsets = cuts(block.text());
    const QTextBlockFormat format = marked(block.blockFormat(), true);
    cursor.document()->setProperty(kHasPieces, true);
    const int start = block.position();
    for (auto offset = offsets.crbegin(); offset != offsets.crend(); ++offset) {
        cursor.setPosition(start + *offset);
        cursor.insertBlock(format);
    }
}

} // namespace

bool isContinuation(const QTextBlock& block)
{
    return block.isValid() && block.previous().isValid() &&
           block.blockFormat().boolProperty(kContinues);
}

bool isPiece(const QTextBlock& block)
{
    return isContinuation(block) || isContinuation(block.next());
}

QList<int> cuts(QStringView text, int firstPiece)
{
    QList<int> offsets;
    int start = 0;
    int piece = firstPiece;
    while (text.size() - start > piece + piece / 2) {
        int at = start + piece;
        // After the last space in the second half of the piece, so that words stay
        // whole for Find and for the eye.
        const qsizetype space = text.sliced(start + piece / 2, piece / 2).lastIndexOf(u' ');
        if (space >= 0) {
            at = start + piece / 2 + int(space) + 1;
        } else {
            // Never between the halves of a surrogate pair or before a combining mark.
            while (at > start + 1 &&
                   (text[at].isLowSurrogate() || text[at].category() == QChar::Mark_NonSpacing ||
                    text[at].category() == QChar::Mark_Enclosing ||
                    text[at].category() == QChar::Mark_SpacingCombining))
                --at;
        }
        offsets << at;
        start = at;
        piece = kPiece;
    }
    return offsets;
}

Breaks::Breaks(const QTextDocument& document)
{
    if (!document.property(kHasPieces).toBool())
        return;
    for (QTextBlock block = document.begin().next(); block.isValid(); block = block.next()) {
        if (isContinuation(block))
            m_breaks << block.position() - 1;
    }
}

int Breaks::toNote(int position) const
{
    return position -
           int(std::lower_bound(m_breaks.cbegin(), m_breaks.cend(), position) - m_breaks.cbegin());
}

int Breaks::toDocument(int position, bool pastBreak) const
{
    for (const int at : m_breaks) {
        if (at > position || (at == position && !pastBreak))
            break;
        ++position;
    }
    return position;
}

QString Breaks::noteText(QString raw, int position) const
{
    const auto first = std::lower_bound(m_breaks.cbegin(), m_breaks.cend(), position);
    const auto last = std::lower_bound(first, m_breaks.cend(), position + raw.size());
    if (first != last) {
        QString joined;
        joined.reserve(raw.size() - (last - first));
        qsizetype from = 0;
        for (auto at = first; at != last; ++at) {
            joined.append(QStringView(raw).sliced(from, *at - position - from));
            from = *at - position + 1;
        }
        joined.append(QStringView(raw).sliced(from));
        raw = std::move(joined);
    }
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

void unmarkNewLines(QTextDocument& document, int first, int last)
{
    QTextCursor cursor(&document);
    bool begun = false;
    for (QTextBlock block = document.findBlockByNumber(first + 1);
         block.isValid() && block.blockNumber() <= last; block = block.next()) {
        if (!block.blockFormat().hasProperty(kContinues))
            continue;
        if (!std::exchange(begun, true))
            cursor.joinPreviousEditBlock();
        setContinues(cursor, block, false);
    }
    if (begun)
        cursor.endEditBlock();
}

void keepMark(QTextDocument& document, const QTextBlock& block, bool continues)
{
    if (!block.isValid() || isContinuation(block) == continues || !block.previous().isValid())
        return;
    QTextCursor cursor(&document);
    cursor.joinPreviousEditBlock();
    setContinues(cursor, block, continues);
    cursor.endEditBlock();
}

bool reshape(QTextDocument& document, int first, int last, bool apply)
{
    QTextBlock tail = document.findBlockByNumber(std::min(last + 1, document.blockCount() - 1));
    while (isContinuation(tail.next()))
        tail = tail.next();
    QTextBlock stop = document.findBlockByNumber(std::max(first - 1, 0));
    while (isContinuation(stop))
        stop = stop.previous();
    QTextCursor cursor(&document);
    bool begun = false;
    // False when only asked whether anything would change: it would.
    const auto begin = [&] {
        if (!std::exchange(begun, true) && apply)
            cursor.joinPreviousEditBlock();
        return apply;
    };
    while (tail.isValid()) {
        QTextBlock head = tail;
        qsizetype length = head.length() - 1;
        while (isContinuation(head)) {
            head = head.previous();
            length += head.length() - 1;
        }
        const bool stopHere = head.blockNumber() <= stop.blockNumber();
        const QTextBlock before = head.previous();
        if (head.blockFormat().hasProperty(kContinues)) {
            if (!begin()) // a line's first paragraph continues nothing
                return true;
            setContinues(cursor, head, false);
        }
        // From the line's end back, so that what is still to be seen stays in place.
        for (QTextBlock block = tail; block.isValid();) {
            const QTextBlock previous = block.previous();
            const int size = block.length() - 1;
            if (isContinuation(block) &&
                (!isShownPlain(length) || size == 0 || size + previous.length() - 1 <= kPiece)) {
                if (!begin())
                    return true;
                join(cursor, block);
            } else if (size > (isShownPlain(length) ? 2 * kPiece : kLongLine)) {
                if (!begin())
                    return true;
                cut(cursor, block);
            }
            if (block == head)
                break;
            block = previous;
        }
        if (stopHere)
            break;
        tail = before;
    }
    if (begun)
        cursor.endEditBlock();
    return begun;
}

std::pair<QString, QList<int>> inPieces(const QString& text)
{
    QString shaped;
    QList<int> continuing;
    int block = 0;
    qsizetype from = 0;
    while (from <= text.size()) {
        qsizetype end = text.indexOf(u'\n', from);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).sliced(from, end - from);
        const QList<int> offsets = isShownPlain(line) ? cuts(line) : QList<int>();
        int start = 0;
        for (const int offset : offsets) {
            shaped.append(line.sliced(start, offset - start)).append(u'\n');
            continuing << ++block;
            start = offset;
        }
        shaped.append(line.sliced(start));
        if (end < text.size()) {
            shaped.append(u'\n');
            ++block;
        }
        from = end + 1;
    }
    return {continuing.isEmpty() ? text : shaped, continuing};
}

void markContinuations(QTextDocument& document, const QList<int>& blocks)
{
    // The text was just replaced, and with it every mark.
    document.setProperty(kHasPieces, !blocks.isEmpty());
    // One change for them all, so that only what is shown is laid out and styled.
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (const int number : blocks)
        setContinues(cursor, document.findBlockByNumber(number), true);
    cursor.endEditBlock();
}

} // namespace quelto::LongLines
