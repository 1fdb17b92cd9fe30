// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/lineendings.h"

#include <algorithm>
#include <array>

namespace quelto::LineEndings {

namespace {

constexpr char kLF = '\n';
constexpr char kCRLF = 'w';
constexpr char kCR = '\r';
constexpr char kParagraph = 'p';

QStringView spelling(char ending)
{
    switch (ending) {
    case kCRLF:
        return u"\r\n";
    case kCR:
        return u"\r";
    case kParagraph:
        return u"\u2029";
    default:
        return u"\n";
    }
}

bool onlyLF(const Endings& endings)
{
    return std::all_of(endings.begin(), endings.end(), [](char e) { return e == kLF; });
}

} // namespace

Split split(const QString& stored)
{
    Split result;
    result.text.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored[i];
        char ending = 0;
        if (c == u'\n') {
            ending = kLF;
        } else if (c == u'\r') {
            const bool pair = i + 1 < stored.size() && stored[i + 1] == u'\n';
            ending = pair ? kCRLF : kCR;
            i += pair ? 1 : 0;
        } else if (c == QChar::ParagraphSeparator) {
            ending = kParagraph;
        }
        if (ending) {
            result.text.append(u'\n');
            result.endings.append(ending);
        } else {
            result.text.append(c);
        }
    }
    return result;
}

QString join(const QString& text, const Endings& endings, char fallback)
{
    if (onlyLF(endings) && fallback == kLF)
        return text;
    QString stored;
    stored.reserve(text.size() + endings.size());
    qsizetype breaks = 0;
    for (const QChar c : text) {
        if (c != u'\n') {
            stored.append(c);
            continue;
        }
        stored.append(spelling(breaks < endings.size() ? endings[breaks] : fallback));
        ++breaks;
    }
    return stored;
}

char mostCommon(const Endings& endings)
{
    const std::array<char, 4> kinds{kLF, kCRLF, kCR, kParagraph};
    char best = kLF;
    qsizetype bestCount = endings.count(kLF);
    for (char kind : kinds) {
        const qsizetype count = endings.count(kind);
        if (count > bestCount) {
            best = kind;
            bestCount = count;
        }
    }
    return best;
}

Endings carry(const QString& before, const Endings& endings, const QString& after, char fallback)
{
    if (onlyLF(endings) && fallback == kLF)
        return Endings(after.count(u'\n'), kLF);
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const QStringView head = QStringView(before).first(prefix);
    const qsizetype keptFront = head.count(u'\n');
    const qsizetype keptBack = QStringView(before).last(suffix).count(u'\n');
    const qsizetype added =
        QStringView(after).sliced(prefix, after.size() - prefix - suffix).count(u'\n');
    Endings result = endings.first(keptFront);
    result.append(Endings(added, fallback));
    result.append(endings.last(keptBack));
    return result;
}

} // namespace quelto::LineEndings
