// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/listediting.h"

#include "core/text/icutext.h"
#include "core/text/markdownhighlighter.h"

#include <QDebug>

#include <algorithm>
#include <limits>

namespace quelto {

QString TextEdit::appliedTo(const QString& text) const
{
    QString out = text;
    out.replace(range.location, range.length, replacement);
    return out;
}

TextEdit TextEdit::followedBy(const QString& text, const TextEdit& next) const
{
    const qsizetype grown = replacement.size() - range.length;
    // The stretch of the middle text that either edit touched.
    const qsizetype from = std::min(range.location, next.range.location);
    const qsizetype to = std::max(range.location + replacement.size(), next.range.end());
    const QString last = next.appliedTo(appliedTo(text));
    const qsizetype lastTo = to + next.replacement.size() - next.range.length;
    return TextEdit{{from, to - grown - from}, last.mid(from, lastTo - from), next.selection};
}

namespace ListEditing {

namespace {

using icutext::RegexScan;

const icu::RegexPattern& itemPattern()
{
    static const auto pattern =
        icutext::compile(QStringLiteral("^(\\s*)(?:([-*])|(\\d+)\\.) (\\[[ xX]\\] )?"));
    return *pattern;
}

const icu::RegexPattern& numberedItemPattern()
{
    static const auto pattern = icutext::compile(QStringLiteral("^(\\s*)(\\d+)\\. "));
    return *pattern;
}

bool splitsSurrogatePair(QStringView text, qsizetype i)
{
    return i > 0 && i < text.size() && text[i - 1].isHighSurrogate() && text[i].isLowSurrogate();
}

// The selection inside the text, its ends moved off the middle of a surrogate pair.
TextRange clamped(QStringView text, TextRange selection)
{
    qsizetype start = std::clamp<qsizetype>(selection.location, 0, text.size());
    qsizetype end = start + std::clamp<qsizetype>(selection.length, 0, text.size() - start);
    if (splitsSurrogatePair(text, start))
        --start;
    if (splitsSurrogatePair(text, end))
        ++end;
    return {start, end - start};
}

TextEdit insertion(qsizetype at, QString text, TextRange selection)
{
    return {{at, 0}, std::move(text), selection};
}

std::optional<qint64> readNumber(QStringView digits)
{
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

// The line a list edit works on ends where the editor starts a new line on screen:
// its paragraph breaks and the line and next-line separators it draws as breaks too.
// Vertical tab and form feed stay inside the line, as the editor shows them there.
bool isLineSeparator(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case 0x85:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

qsizetype leadingSpaceLength(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i].isSpace())
        ++i;
    return i;
}

// Empty once spaces and tabs (and a CR before the LF) are set aside.
bool isBlank(QStringView line)
{
    if (line.endsWith(u'\r'))
        line.chop(1);
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c == u' ' || c == u'\t'; });
}

struct Numbered {
    qsizetype indentLength;
    QStringView digits;
    qsizetype matchLength;
};

std::optional<Numbered> matchNumbered(QStringView line)
{
    if (line.isEmpty())
        return std::nullopt;
    RegexScan scan(numberedItemPattern(), line);
    if (!scan.next())
        return std::nullopt;
    return Numbered{scan.end(1), line.mid(scan.start(2), scan.end(2) - scan.start(2)), scan.end()};
}

} // namespace

Line currentLine(QStringView text, qsizetype location)
{
    const qsizetype at = std::clamp<qsizetype>(location, 0, text.size());
    qsizetype start = at;
    if (start > 0 && start < text.size() && text[start - 1] == u'\r' && text[start] == u'\n')
        --start;
    while (start > 0 && !isLineSeparator(text[start - 1]))
        --start;
    qsizetype end = at;
    while (end < text.size() && !isLineSeparator(text[end]))
        ++end;
    if (end < text.size()) {
        ++end;
        if (text[end - 1] == u'\r' && end < text.size() && text[end] == u'\n')
            ++end;
    }
    QStringView content = text.mid(start, end - start);
    if (content.endsWith(u"\r\n"))
        content.chop(2);
    else if (content.endsWith(u'\n'))
        content.chop(1);
    return {{start, end - start}, content.size(), content};
}

std::optional<Item> parseItem(QStringView content)
{
    if (content.isEmpty())
        return std::nullopt;
    RegexScan scan(itemPattern(), content);
    if (!scan.next())
        return std::nullopt;
    Item item;
    item.indent = content.first(scan.end(1)).toString();
    if (scan.hasGroup(2))
        item.bullet = content.mid(scan.start(2), 1).toString();
    else
        item.number = readNumber(content.mid(scan.start(3), scan.end(3) - scan.start(3)));
    item.checkbox = scan.hasGroup(4);
    item.prefixLength = scan.end();
    return item;
}

std::optional<TextEdit> continueList(const QString& text, TextRange selection)
{
    const TextRange sel = clamped(text, selection);
    if (sel.length != 0)
        return std::nullopt;
    const Line line = currentLine(text, sel.location);
    if (sel.location != line.range.location + line.contentLength)
        return std::nullopt;
    const std::optional<Item> item = parseItem(line.content);
    if (!item)
        return std::nullopt;
    if (line.contentLength == item->prefixLength) // an empty item ends the list
        return TextEdit{
            {line.range.location, line.contentLength}, QString(), {line.range.location, 0}};

    QString prefix = item->indent;
    if (item->bullet)
        prefix += *item->bullet + u' ';
    else if (item->number && *item->number < std::numeric_limits<qint64>::max())
        prefix += QString::number(*item->number + 1) + QStringLiteral(". ");
    if (item->checkbox)
        prefix += QStringLiteral("[ ] ");
    const QString inserted = u'\n' + prefix;
    return insertion(sel.location, inserted, {sel.location + inserted.size(), 0});
}

std::optional<TextEdit> renumberList(const QString& text, qsizetype caret)
{
    const qsizetype at = std::clamp<qsizetype>(caret, 0, text.size());
    QList<QStringView> lines;
    QList<qsizetype> starts;
    qsizetype start = 0;
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        lines.append(line);
        starts.append(start);
        start += line.size() + 1;
    }
    const qsizetype caretLine =
        std::upper_bound(starts.begin(), starts.end(), at) - starts.begin() - 1;
    const std::optional<Numbered> here = matchNumbered(lines[caretLine]);
    if (!here)
        return std::nullopt;
    const qsizetype base = here->indentLength;

    auto belongs = [&](qsizetype i) {
        const QStringView line = lines[i];
        if (isBlank(line))
            return false;
        if (const std::optional<Numbered> n = matchNumbered(line); n && n->indentLength == base)
            return true;
        return leadingSpaceLength(line) > base;
    };
    qsizetype first = caretLine;
    while (first > 0 && belongs(first - 1))
        --first;
    qsizetype last = caretLine;
    while (last + 1 < lines.size() && belongs(last + 1))
        ++last;

    QStringList rewritten;
    qsizetype firstItem = -1;
    qsizetype lastItem = -1;
    std::optional<qint64> number;
    bool changed = false;
    for (qsizetype i = first; i <= last; ++i) {
        const std::optional<Numbered> n = matchNumbered(lines[i]);
        if (!n || n->indentLength != base) {
            if (firstItem >= 0)
                rewritten.append(lines[i].toString());
            continue;
        }
        if (!number) {
            number = readNumber(n->digits).value_or(1);
        } else if (*number == std::numeric_limits<qint64>::max()) {
            break; // no next number to give
        } else {
            ++*number;
        }
        if (firstItem < 0)
            firstItem = i;
        lastItem = i;
        const QString renumbered = lines[i].first(n->indentLength).toString() +
                                   QString::number(*number) + QStringLiteral(". ") +
                                   lines[i].mid(n->matchLength).toString();
        changed = changed || renumbered != lines[i];
        rewritten.append(renumbered);
    }
    if (!changed)
        return std::nullopt;
    rewritten.resize(lastItem - firstItem + 1);
    const qsizetype from = starts[firstItem];
    const qsizetype to = starts[lastItem] + lines[lastItem].size();
    const QString replacement = rewritten.join(u'\n');
    const qsizetype newLength = text.size() - (to - from) + replacement.size();
    return TextEdit{{from, to - from}, replacement, {std::min(at, newLength), 0}};
}

std::optional<TextEdit> indentListItem(const QString& text, TextRange selection, bool outdent)
{
    const TextRange sel = clamped(text, selection);
    const Line line = currentLine(text, sel.location);
    const std::optional<Item> item = parseItem(line.content);
    if (!item)
        return std::nullopt;
    const qsizetype lineStart = line.range.location;
    if (!outdent)
        return insertion(lineStart, QStringLiteral("  "), {sel.location + 2, sel.length});
    const qsizetype n = std::min<qsizetype>(item->indent.size(), 2);
    if (n == 0)
        return insertion(lineStart, QString(), sel);
    // The selection keeps its length, except where that would reach past the new end.
    const qsizetype location = std::max(lineStart, sel.location - n);
    return TextEdit{
        {lineStart, n}, QString(), {location, std::min(sel.length, text.size() - n - location)}};
}

TextEdit wrapSelection(const QString& text, TextRange selection, const QString& marker)
{
    const TextRange sel = clamped(text, selection);
    const qsizetype m = marker.size();
    const QStringView selected = QStringView(text).mid(sel.location, sel.length);
    if (sel.length == 0)
        return insertion(sel.location, marker + marker, {sel.location + m, 0});
    if (sel.length >= 2 * m && selected.startsWith(marker) && selected.endsWith(marker))
        return TextEdit{sel,
                        selected.mid(m, sel.length - 2 * m).toString(),
                        {sel.location, sel.length - 2 * m}};
    if (sel.location >= m && sel.end() + m <= text.size() &&
        QStringView(text).mid(sel.location - m, m) == marker &&
        QStringView(text).mid(sel.end(), m) == marker)
        return TextEdit{{sel.location - m, sel.length + 2 * m},
                        selected.toString(),
                        {sel.location - m, sel.length}};
    return TextEdit{sel, marker + selected.toString() + marker, {sel.location + m, sel.length}};
}

TextEdit toggleCheckboxes(const QString& text, TextRange selection)
{
    const TextRange sel = clamped(text, selection);
    const Line line = currentLine(text, sel.location);
    const qsizetype lineStart = line.range.location;
    if (const std::optional<TextRange> box = MarkdownHighlighter::checkboxRange(line.content)) {
        const bool ticked =
            line.content.mid(box->location, box->length).compare(u"[x]", Qt::CaseInsensitive) == 0;
        return TextEdit{{lineStart + box->location, box->length},
                        ticked ? QStringLiteral("[ ]") : QStringLiteral("[x]"),
                        sel};
    }
    const std::optional<Item> item = parseItem(line.content);
    if (item && item->bullet)
        return insertion(lineStart + item->prefixLength, QStringLiteral("[ ] "),
                         {sel.location + 4, sel.length});
    qsizetype spaces = 0;
    while (spaces < line.contentLength && line.content[spaces] == u' ')
        ++spaces;
    return insertion(lineStart + spaces, QStringLiteral("- [ ] "), {sel.location + 6, sel.length});
}

std::optional<TextEdit> checkboxClick(const QString& text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return std::nullopt;
    const Line line = currentLine(text, index);
    const std::optional<TextRange> box = MarkdownHighlighter::checkboxRange(line.content);
    if (!box)
        return std::nullopt;
    const qsizetype boxStart = line.range.location + box->location;
    if (index < boxStart || index >= boxStart + box->length)
        return std::nullopt;
    return toggleCheckboxes(text, {index, 0});
}

TextEdit makeLink(const QString& text, TextRange selection, const std::optional<QString>& address)
{
    const TextRange sel = clamped(text, selection);
    const QStringView label = QStringView(text).mid(sel.location, sel.length);
    const QString replacement = QString(u'[') + label.toString() + QStringLiteral("](") +
                                address.value_or(QString()) + u')';
    qsizetype caret = sel.location + 1;
    if (sel.length > 0)
        caret = address ? sel.location + replacement.size() : sel.location + 1 + sel.length + 2;
    return TextEdit{sel, replacement, {caret, 0}};
}

} // namespace ListEditing
} // namespace quelto

QDebug operator<<(QDebug debug, const quelto::TextEdit& edit)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TextEdit(replace " << edit.range.location << '+' << edit.range.length
                    << " with " << edit.replacement << ", select " << edit.selection.location << '+'
                    << edit.selection.length << ')';
    return debug;
}
