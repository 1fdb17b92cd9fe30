// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns a style run into character formats for the user's font size and monospace
// choice. Colours come from the widget palette, so light and dark both read well.

#include "core/text/markdownhighlighter.h"

#include <QFont>
#include <QPalette>
#include <QTextCharFormat>

namespace quelto {

// Character-format properties of our own (QTextFormat::UserProperty and up).
enum NoteFormatProperty {
    NoteLink = QTextFormat::UserProperty + 1, // QUrl of a link run
    NoteCheckbox,                             // bool: the box is ticked
    NoteMarker,                               // bool: dimmed Markdown punctuation
};

struct EditorTheme {
    static constexpr double kLineHeight = 1.25;

    double fontSize = 14;
    bool monospace = false;

    QFont baseFont() const;
    // The font results are drawn in: digits of even width, 0.9 of the body size.
    QFont resultFont() const;
    QTextCharFormat baseFormat(const QPalette& palette) const;
    // What a style adds on top of the base format.
    QTextCharFormat format(const MarkdownHighlighter::Style& style, const QPalette& palette) const;

    // Colours of the quieter text levels, derived from the palette's text colour.
    static QColor secondary(const QPalette& palette);
    static QColor tertiary(const QPalette& palette);

    friend bool operator==(const EditorTheme&, const EditorTheme&) = default;
};

} // namespace quelto
