#include "ui/editor/notehighlighter.h"

#include "core/text/mathevaluator.h"
#include "ui/editor/preedit.h"

#include <QLocale>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace quelto {

icu::Locale userLocale()
{
    return icu::Locale(QLocale::system().name().toLatin1().constData());
}

NoteHighlighter::NoteHighlighter(QTextDocument* document, EditorTheme theme, bool mathEnabled,
                                 const QPalette& palette, std::function<QString()> text)
    : QSyntaxHighlighter(static_cast<QObject*>(nullptr))
    , m_text(std::move(text))
    , m_theme(theme)
    , m_mathEnabled(mathEnabled)
    , m_palette(palette)
    , m_locale(userLocale())
{
    setDocument(document);
    // Results follow every change of characters, typed or loaded.
    connect(document, &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed != added || added > 0)
            recomputeMathResults();
    });
    recomputeMathResults();
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
    if (enabled == m_mathEnabled)
        return;
    m_mathEnabled = enabled;
    restyleAll();
}

void NoteHighlighter::setPalette(const QPalette& palette)
{
    m_palette = palette;
    restyleAll();
}

void NoteHighlighter::setLocale(const icu::Locale& locale)
{
    m_locale = locale;
    recomputeMathResults();
}

void NoteHighlighter::restyleAll()
{
    if (document() && document()->defaultFont() != m_theme.baseFont())
        document()->setDefaultFont(m_theme.baseFont());
    rehighlight();
    recomputeMathResults();
}

void NoteHighlighter::highlightBlock(const QString& text)
{
    // An input method is composing here: keep the styling as it was until the
    // composition is committed, which restyles the paragraph once.
    const QTextBlock block = currentBlock();
    if (isComposing(QTextCursor(block))) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            setFormat(range.start, range.length, range.format);
        return;
    }

    using MarkdownHighlighter::Style;
    const QList<MarkdownHighlighter::StyleRun> runs = MarkdownHighlighter::runsForLine(text);
    if (runs.isEmpty())
        return;
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
            setFormat(static_cast<int>(from), static_cast<int>(to - from), merged);
    }
}

void NoteHighlighter::recomputeMathResults()
{
    QMap<int, QString> results;
    const QString text = m_text ? m_text() : QString();
    if (m_mathEnabled && text.contains(u'=')) {
        const QMap<int, Decimal> values = MathEvaluator::results(text, m_locale);
        if (!values.isEmpty()) {
            int line = 0;
            int offset = 0;
            auto next = values.constBegin();
            for (QStringView piece : QStringView(text).tokenize(u'\n')) {
                if (next == values.constEnd())
                    break;
                if (next.key() == line) {
                    results.insert(offset, MathEvaluator::formatResult(*next, m_locale));
                    ++next;
                }
                offset += static_cast<int>(piece.size()) + 1;
                ++line;
            }
        }
    }
    if (results != m_mathResults) {
        m_mathResults = std::move(results);
        emit mathResultsChanged();
    }
}

} // namespace quelto
