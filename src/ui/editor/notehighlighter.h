#pragma once
// Styles the editor's document as the user types, without changing its text: each
// touched paragraph gets the formats of its style runs, and the arithmetic results
// of the whole note are recomputed. Formats live in the layout, so what is saved and
// copied out stays plain Markdown.

#include "ui/editor/editortheme.h"

#include <QMap>
#include <QPalette>
#include <QSyntaxHighlighter>

#include <unicode/locid.h>

#include <functional>

namespace quelto {

class NoteHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    // `text` gives the note's current text (the editor keeps one copy per change).
    NoteHighlighter(QTextDocument* document, EditorTheme theme, bool mathEnabled,
                    const QPalette& palette, std::function<QString()> text);

    EditorTheme theme() const { return m_theme; }
    // Restyles the whole note only when the theme really changed.
    void setTheme(const EditorTheme& theme);
    bool mathEnabled() const { return m_mathEnabled; }
    void setMathEnabled(bool enabled);
    void setPalette(const QPalette& palette);
    void setLocale(const icu::Locale& locale);

    // Result text by the position at which its line starts.
    const QMap<int, QString>& mathResults() const { return m_mathResults; }

    void restyleAll();

signals:
    void mathResultsChanged();

protected:
    void highlightBlock(const QString& text) override;

private:
    void recomputeMathResults();

    std::function<QString()> m_text;
    EditorTheme m_theme;
    bool m_mathEnabled;
    QPalette m_palette;
    icu::Locale m_locale;
    QMap<int, QString> m_mathResults;
};

// The user's locale for reading and formatting numbers.
icu::Locale userLocale();

} // namespace quelto
