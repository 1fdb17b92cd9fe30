// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/textsearch.h"

#include <algorithm>

namespace quelto::TextSearch {

namespace {

// Calls `found` with each match until it returns false.
template <typename Found> void eachMatch(QStringView text, QStringView query, Found found)
{
    if (query.isEmpty())
        return;
    for (qsizetype at = text.indexOf(query, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(query, at + query.size(), Qt::CaseInsensitive)) {
        if (!found(TextRange{at, query.size()}))
            return;
    }
}

} // namespace

QList<TextRange> findAll(QStringView text, QStringView query)
{
    QList<TextRange> ranges;
    eachMatch(text, query, [&](TextRange range) {
        ranges.append(range);
        return true;
    });
    return ranges;
}

QList<Hit> hits(QStringView text, QStringView query, qsizetype limit)
{
    QList<Hit> found;
    // Lines are counted only between matches, so a long note costs one pass.
    qsizetype line = 0;
    qsizetype counted = 0;
    qsizetype lineStart = 0;
    eachMatch(text, query, [&](TextRange range) {
        if (found.size() >= limit)
            return false;
        const QStringView passed = text.sliced(counted, range.location - counted);
        const qsizetype breaks = std::count(passed.begin(), passed.end(), u'\n');
        if (breaks > 0) {
            line += breaks;
            lineStart = text.lastIndexOf(u'\n', range.location - 1) + 1;
        }
        counted = range.location;
        qsizetype lineEnd = text.indexOf(u'\n', range.location);
        if (lineEnd < 0)
            lineEnd = text.size();
        found.append(Hit{range, line, {lineStart, lineEnd - lineStart}});
        return true;
    });
    return found;
}

} // namespace quelto::TextSearch
