// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/notehighlighter.h"

#include "core/text/markdownhighlighter.h"
#include "core/text/plainline.h"
#include "ui/editor/longlines.h"
#include "ui/editor/preedit.h"

#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <limits>
#include <numeric>
#include <set>

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
    QList<QTextLayout::FormatRange> ranges = formatsFor(block.text(), LongLines::isPiece(block));
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
    for (QTextLayout::FormatRange range : formatsFor(block.text(), LongLines::isPiece(block))) {
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

QList<QTextLayout::FormatRange> NoteHighlighter::formatsFor(const QString& text, bool isPiece) const
{
    using MarkdownHighlighter::Style;
    QList<QTextLayout::FormatRange> ranges;
    if (isPiece || isShownPlain(text)) {
        // Plain, and without kerning or ligatures, which halves the time Qt takes to lay
        // the line out again on each key. The range's length is fixed, so that typing
        // leaves the formats equal and the line is not laid out a second time.
        QTextCharFormat plain;
        plain.setFontStyleStrategy(QFont::PreferNoShaping);
        plain.setFontKerning(false);
        ranges.append({0, std::numeric_limits<int>::max() / 2, plain});
        return ranges;
    }
    const QList<MarkdownHighlighter::StyleRun> runs = MarkdownHighlighter::runsForLine(text);
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

    // Sweeps the cuts keeping the runs that cover the piece, in their order, so a line
    // with thousands of runs costs no more than its runs.
    QList<qsizetype> byLower(runs.size());
    std::iota(byLower.begin(), byLower.end(), 0);
    QList<qsizetype> byUpper = byLower;
    std::stable_sort(byLower.begin(), byLower.end(),
                     [&](qsizetype a, qsizetype b) { return runs[a].lower < runs[b].lower; });
    std::stable_sort(byUpper.begin(), byUpper.end(),
                     [&](qsizetype a, qsizetype b) { return runs[a].upper < runs[b].upper; });
    std::set<qsizetype> covering;
    auto opening = byLower.cbegin();
    auto closing = byUpper.cbegin();
    for (qsizetype i = 0; i + 1 < cuts.size(); ++i) {
        const qsizetype from = cuts[i];
        const qsizetype to = cuts[i + 1];
        for (; closing != byUpper.cend() && runs[*closing].upper <= from; ++closing)
            covering.erase(*closing);
        for (; opening != byLower.cend() && runs[*opening].lower <= from; ++opening) {
            if (runs[*opening].upper > from)
                covering.insert(*opening);
        }
        QTextCharFormat merged;
        bool any = !covering.empty();
        for (const qsizetype r : covering)
            merged.merge(formats[r]);
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
