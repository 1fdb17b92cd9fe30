// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns one line of a note into style runs (headings, links, task boxes, dimmed
// punctuation, emphasis, code, bullets, rules, arithmetic lines) without changing the
// text. Pure apart from a process-wide cache of compiled patterns.

#include "core/text/textrange.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <unicode/regex.h>

#include <optional>

namespace quelto::MarkdownHighlighter {

struct Style {
    enum class Kind {
        Heading,
        Link,
        Checkbox,
        Marker,
        Bold,
        Italic,
        Strike,
        Code,
        ListBullet,
        Rule,
        Math
    };

    Kind kind = Kind::Marker;
    int level = 0;        // heading
    QUrl url;             // link
    bool checked = false; // checkbox

    static Style heading(int level) { return {Kind::Heading, level, {}, false}; }
    static Style link(QUrl url) { return {Kind::Link, 0, std::move(url), false}; }
    static Style checkbox(bool checked) { return {Kind::Checkbox, 0, {}, checked}; }
    static Style of(Kind kind) { return {kind, 0, {}, false}; }

    friend bool operator==(const Style&, const Style&) = default;
};

// Half-open [lower, upper) in UTF-16 units, relative to the start of the line.
struct StyleRun {
    qsizetype lower = 0;
    qsizetype upper = 0;
    Style style;

    friend bool operator==(const StyleRun&, const StyleRun&) = default;
};

// `line` may end with its LF or CR LF.
QList<StyleRun> runsForLine(QStringView line);
// Inline runs of text[start, end), relative to the start of `text`.
QList<StyleRun> inlineRuns(QStringView text, qsizetype start, qsizetype end);
// The "[ ]" of a dash or star task item.
std::optional<TextRange> checkboxRange(QStringView line);
// The whole paragraphs (with their terminators) that `range`, clamped to the text,
// touches.
TextRange paragraphRange(QStringView text, TextRange range);
// The compiled pattern, compiled once per process; safe from any thread.
const icu::RegexPattern& cachedRegex(const QString& pattern);

} // namespace quelto::MarkdownHighlighter

QDebug operator<<(QDebug debug, const quelto::MarkdownHighlighter::StyleRun& run);
