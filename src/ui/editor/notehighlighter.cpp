// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/notehighlighter.h"

#include "core/text/markdownhighlighter.h"
#include "ui/editor/preedit.h"

#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace quelto {

NoteHighlighter::NoteHighlighter(QTextDocument* document, EditorTheme theme, bool mathEnabled,
                                 const QPalette& palette, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_results(document)
    , m_theme(theme)
    , m_palette(palette)
{
    m_results.setEnabled(mathEnabled);
    connect(&m_results, &NoteResults::changed, this, &NoteHighlighter::mathResultsChanged);
    connect(document, &QTextDocument::contentsChange, this, &NoteHighlighter::contentsChanged);
    restyleAll();
}

void NoteHighlighter::setTheme(const EditorTheme& theme)
{
    if (theme == m_theme)
        return;
    m_theme = theme;
    restyleAll();
}

void NoteHighlighter::setMathEnabled(bool enabled)
{
    m_results.setEnabled(enabled);
}

void NoteHighlighter::setPalette(const QPalette& palette)
{
    m_palette = palette;
    restyleAll();
}

void NoteHighlighter::setLocale(const icu::Locale& locale)
{
    m_results.setLocale(locale);
}

void NoteHighlighter::restyleAll()
{
    if (m_document->defaultFont() != m_theme.baseFont())
        m_document->setDefaultFont(m_theme.baseFont());
    ++m_generation;
    if (m_document->blockCount() > kStyleAtOnce) {
        emit stylingDeferred();
        return;
    }
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next())
        style(block);
}

void NoteHighlighter::contentsChanged(int position, int removed, int added)
{
    Q_UNUSED(removed);
    if (m_isStyling)
        return;
    const QTextBlock first = m_document->findBlock(position);
    QTextBlock last = m_document->findBlock(position + added);
    if (!last.isValid())
        last = m_document->lastBlock();
    if (!first.isValid())
        return;
    m_results.update(first.blockNumber(), last.blockNumber());
    const bool atOnce = last.blockNumber() - first.blockNumber() < kStyleAtOnce;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        QTextBlock changed = block;
        changed.setUserState(-1);
        if (atOnce)
            style(block);
        if (block == last)
            break;
    }
    if (!atOnce)
        emit stylingDeferred();
}

bool NoteHighlighter::style(const QTextBlock& block)
{
    // An input method is composing here: the styling stays as it was until the
    // composition is committed, which restyles the paragraph once.
    if (isStyled(block) || isComposing(QTextCursor(block)))
        return false;
    QTextLayout* layout = block.layout();
    QList<QTextLayout::FormatRange> ranges = formatsFor(block.text());
    QTextBlock styled = block;
    styled.setUserState(m_generation);
    if (ranges == layout->formats())
        return false;
    layout->setFormats(ranges);
    // The document lays the paragraph out again with its new formats; that is no edit.
    m_isStyling = true;
    m_document->markContentsDirty(block.position(), block.length());
    m_isStyling = false;
    return true;
}

void NoteHighlighter::styleAroundComposition(const QTextBlock& block)
{
    QTextLayout* layout = block.layout();
    if (!layout)
        return;
    const int composed = int(layout->preeditAreaText().size());
    if (composed == 0) {
        QTextBlock unstyled = block;
        unstyled.setUserState(-1);
        style(block);
        return;
    }
    // The layout counts the composed text in; runs after it move past it, and a run it
    // falls into covers both sides.
    const int at = layout->preeditAreaPosition();
    QList<QTextLayout::FormatRange> ranges;
    for (QTextLayout::FormatRange range : formatsFor(block.text())) {
        const int end = range.start + range.length;
        if (range.start >= at) {
            range.start += composed;
        } else if (end > at) {
            QTextLayout::FormatRange after = range;
            after.start = at + composed;
            after.length = end - at;
            range.length = at - range.start;
            ranges << range << after;
            continue;
        }
        ranges << range;
    }
    ranges << layout->formats(); // the composition's own, on top
    layout->setFormats(ranges);
    m_isStyling = true;
    m_document->markContentsDirty(block.position(), block.length());
    m_isStyling = false;
}

QList<QTextLayout::FormatRange> NoteHighlighter::formatsFor(const QString& text) const
{
    using MarkdownHighlighter::Style;
    const QList<MarkdownHighlighter::StyleRun> runs = MarkdownHighlighter::runsForLine(text);
    QList<QTextLayout::FormatRange> ranges;
    if (runs.isEmpty())
        return ranges;
    // Runs overlap (a bold inside a heading); each adds its properties on top of the
    // ones before it, so formats are merged piece by piece between run boundaries.
    QList<qsizetype> cuts;
    for (const auto& run : runs)
        cuts << run.lower << run.upper;
    bool ticked = false;
    std::optional<TextRange> box;
    for (const auto& run : runs) {
        if (run.style.kind == Style::Kind::Checkbox && run.style.checked)
            ticked = true;
    }
    if (ticked) {
        box = MarkdownHighlighter::checkboxRange(text);
        if (box && box->end() < text.size())
            cuts << box->end() << text.size();
        else
            ticked = false;
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    QList<QTextCharFormat> formats;
    formats.reserve(runs.size());
    for (const auto& run : runs)
        formats << m_theme.format(run.style, m_palette);

    for (qsizetype i = 0; i + 1 < cuts.size(); ++i) {
        const qsizetype from = cuts[i];
        const qsizetype to = cuts[i + 1];
        QTextCharFormat merged;
        bool any = false;
        for (qsizetype r = 0; r < runs.size(); ++r) {
            if (runs[r].lower <= from && to <= runs[r].upper) {
                merged.merge(formats[r]);
                any = true;
            }
        }
        // A ticked task's text (not its box) is greyed and struck through.
        if (ticked && box->end() <= from) {
            merged.setForeground(EditorTheme::secondary(m_palette));
            merged.setFontStrikeOut(true);
            any = true;
        }
        if (any)
            ranges.append({static_cast<int>(from), static_cast<int>(to - from), merged});
    }
    return ranges;
}

} // namespace quelto
