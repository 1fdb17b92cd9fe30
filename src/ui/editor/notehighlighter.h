#pragma once
// Styles the editor's document as the user types, without changing its text: each
// touched paragraph gets the formats of its style runs and its arithmetic value, and
// only the totals that can depend on it are added up again. Formats live in the
// layout, so what is saved and copied out stays plain Markdown.

#include "ui/editor/editortheme.h"

#include <QMap>
#include <QPalette>
#include <QSyntaxHighlighter>

#include <unicode/locid.h>

#include <optional>

namespace quelto {

class NoteHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    NoteHighlighter(QTextDocument* document, EditorTheme theme, bool mathEnabled,
                    const QPalette& palette);

    EditorTheme theme() const { return m_theme; }
    // Restyles the whole note only when the theme really changed.
    void setTheme(const EditorTheme& theme);
    bool mathEnabled() const { return m_mathEnabled; }
    void setMathEnabled(bool enabled);
    void setPalette(const QPalette& palette);
    void setLocale(const icu::Locale& locale);

    // The result drawn at the end of the paragraph, if any.
    std::optional<QString> resultFor(const QTextBlock& block) const;
    // Result text by the position at which its line starts (walks the whole note).
    QMap<int, QString> mathResults() const;

    void restyleAll();

signals:
    void mathResultsChanged();

protected:
    void highlightBlock(const QString& text) override;

private:
    void evaluateLine(const QString& text);
    // Adds up again the totals that the lines styled since the last call can change.
    void settleTotals();

    // The blocks styled since the totals were last settled (-1: none).
    int m_firstTouched = -1;
    int m_lastTouched = -1;
    bool m_resultsChanged = false;
    EditorTheme m_theme;
    bool m_mathEnabled;
    QPalette m_palette;
    icu::Locale m_locale;
};

// The user's locale for reading and formatting numbers.
icu::Locale userLocale();

} // namespace quelto
