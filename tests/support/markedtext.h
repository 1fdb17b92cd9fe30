// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts with the selection written into them, so a case reads as before and after:
// "|" marks a caret, "{" and "}" a selection.

#include "core/text/textrange.h"

#include <QString>

#include <utility>

namespace quelto::testing {

inline std::pair<QString, TextRange> parseMarked(QString marked)
{
    if (const qsizetype caret = marked.indexOf(u'|'); caret >= 0)
        return {marked.remove(caret, 1), {caret, 0}};
    const qsizetype open = marked.indexOf(u'{');
    const qsizetype close = marked.indexOf(u'}');
    Q_ASSERT(open >= 0 && close > open);
    marked.remove(close, 1).remove(open, 1);
    return {marked, {open, close - open - 1}};
}

inline QString marked(QString text, TextRange sel)
{
    if (sel.length == 0)
        return text.insert(sel.location, u'|');
    return text.insert(sel.end(), u'}').insert(sel.location, u'{');
}

} // namespace quelto::testing
