// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Markdown-aware editing rules: Return continues and ends lists, ordered lists are
// renumbered, Tab indents items, selections are wrapped in markers, task boxes are
// ticked, links are made. Each rule is a pure function of the text and selection that
// returns one edit to apply as a single undo step, or nothing when it does not apply.
//
// Positions are UTF-16 units of the whole text. Out-of-range selections are clamped,
// and a position inside a surrogate pair is moved to the pair's edge, so every edit
// applies to the text it was computed from and never splits a character.

#include "core/text/textrange.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace quelto {

struct TextEdit {
    TextRange range;     // what to replace in the current text
    QString replacement; // what goes there
    TextRange selection; // the selection afterwards, in the new text

    // The text with the edit applied.
    QString appliedTo(const QString& text) const;
    // One edit of `text` with the effect of this one and then `next`, which was computed
    // on the text this one makes; it ends with `next`'s selection.
    TextEdit followedBy(const QString& text, const TextEdit& next) const;

    friend bool operator==(const TextEdit&, const TextEdit&) = default;
};

namespace ListEditing {

struct Item {
    QString indent;
    std::optional<QString> bullet; // "-" or "*"
    std::optional<qint64> number;  // absent for bullets, or when the digits overflow
    bool checkbox = false;
    qsizetype prefixLength = 0;

    friend bool operator==(const Item&, const Item&) = default;
};

struct Line {
    TextRange range;         // with its terminator
    qsizetype contentLength; // without a final LF (or CR LF)
    QStringView content;
};

Line currentLine(QStringView text, qsizetype location);
std::optional<Item> parseItem(QStringView content);
std::optional<TextEdit> continueList(const QString& text, TextRange selection);
std::optional<TextEdit> renumberList(const QString& text, qsizetype caret);
std::optional<TextEdit> indentListItem(const QString& text, TextRange selection, bool outdent);
TextEdit wrapSelection(const QString& text, TextRange selection, const QString& marker);
TextEdit toggleCheckboxes(const QString& text, TextRange selection);
std::optional<TextEdit> checkboxClick(const QString& text, qsizetype index);
TextEdit makeLink(const QString& text, TextRange selection, const std::optional<QString>& address);

} // namespace ListEditing
} // namespace quelto

QDebug operator<<(QDebug debug, const quelto::TextEdit& edit);
