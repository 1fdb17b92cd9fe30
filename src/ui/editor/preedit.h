// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether an input method is composing at the cursor: its preedit text is shown in
// the layout but is not yet part of the document.

#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

namespace quelto {

inline bool isComposing(const QTextCursor& cursor)
{
    const QTextLayout* layout = cursor.block().layout();
    return layout && !layout->preeditAreaText().isEmpty();
}

} // namespace quelto
