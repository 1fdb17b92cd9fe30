// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Styles the editor's document without changing its text: each paragraph gets the
// formats of its style runs, in its layout, so what is saved and copied out stays
// plain Markdown. Small edits are styled at once; a large paste or load is styled as
// its paragraphs come into view, so a long note costs only what is shown. The "="
// results follow every edit (NoteResults).

#include "ui/editor/editortheme.h"
#include "ui/editor/noteresults.h"

#include <QObject>
#include <QPalette>
#include <QTextBlock>

namespace quelto {

class NoteHighlighter : public QObject {
    Q_OBJECT

public:
    // More paragraphs than this in one change are styled when they are shown.
    static constexpr int kStyleAtOnce = 64;

    NoteHighlighter(QTextDocument* document, EditorTheme theme, bool mathEnabled,
                    const QPalette& palette, QObject* parent = nullptr);

    QTextDocument* document() const { return m_document; }
    EditorTheme theme() const { return m_theme; }
    // Restyles the whole note only when the theme really changed.
    void setTheme(const EditorTheme& theme);
    bool mathEnabled() const { return m_results.isEnabled(); }
    void setMathEnabled(bool enabled);
    void setPalette(const QPalette& palette);
    void setLocale(const icu::Locale& locale);

    std::optional<QString> resultFor(const QTextBlock& block) const
    {
        return m_results.resultFor(block);
    }
    QMap<int, QString> mathResults() const { return m_results.all(); }

    // Styles the paragraph now unless it is up to date (or an input method is
    // composing in it); true when its formats changed.
    bool style(const QTextBlock& block);
    bool isStyled(const QTextBlock& block) const { return block.userState() == m_generation; }
    // An input method's event gave the paragraph only the composition's formats: while
    // it composes, its styling goes back under the composed text; once the composition
    // is committed or cancelled, the paragraph is styled (once, if not already).
    void styleAroundComposition(const QTextBlock& block);
    void restyleAll();

signals:
    void mathResultsChanged();
    // Paragraphs were left to be styled when they are shown.
    void stylingDeferred();

private:
    void contentsChanged(int position, int removed, int added);
    // A piece of a long line (see LongLines) is as long as its line: plain.
    QList<QTextLayout::FormatRange> formatsFor(const QString& text, bool isPiece) const;

    QTextDocument* m_document;
    NoteResults m_results;
    EditorTheme m_theme;
    QPalette m_palette;
    // Paragraphs styled with the current theme carry this number as their state.
    int m_generation = 0;
    bool m_isStyling = false;
};

} // namespace quelto
