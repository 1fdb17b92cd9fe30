// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding words in notes: every place a query occurs, ignoring case, and for a list
// across notes, the line each one is on.

#include "core/text/textrange.h"

#include <QList>
#include <QStringView>

namespace quelto::TextSearch {

struct Hit {
    TextRange range;     // the match in the whole text
    qsizetype line = 0;  // its line, counted from 0
    TextRange lineRange; // that line, without its line break

    friend bool operator==(const Hit&, const Hit&) = default;
};

// Where `query` occurs in `text`, ignoring case, left to right and not overlapping;
// nothing for an empty query.
QList<TextRange> findAll(QStringView text, QStringView query);
// The same with the line of each match, at most `limit` of them.
QList<Hit> hits(QStringView text, QStringView query, qsizetype limit);

} // namespace quelto::TextSearch
