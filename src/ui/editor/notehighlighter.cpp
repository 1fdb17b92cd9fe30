#include "ui/editor/notehighlighter.h"

#include "core/text/mathevaluator.h"
#include "ui/editor/preedit.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace quelto {

icu::Locale userLocale()
{
    return icu::Locale(QLocale::system().name().toLatin1().constData());
}

namespace {

// A paragraph's part in the arithmetic, kept with the paragraph so that an edit
// elsewhere never has to find it again.
struct LineMath final : QTextBlockUserData {
    MathEvaluator::Line line;
    std::optional<QString> shown;
};

LineMath* lineMath(const QTextBlock& block)
{
    return static_cast<LineMath*>(block.userData());
}

} // namespace

NoteHighlighter::NoteHighlighter(QTextDocument* document, EditorTheme theme, bool mathEnabled,
                                 const QPalette& palette)
    : QSyntaxHighlighter(static_cast<QObject*>(nullptr))
    , m_theme(theme)
    , m_mathEnabled(mathEnabled)
    , m_palette(palette)
    , m_locale(userLocale())
{
    setDocument(document);
    // Qt styles a newly attached document on the next turn of the event loop and
    // ignores edits until then; delivering that styling now keeps every edit styled
    // (and its results known) the moment it is made.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    // Connected after the highlighter's own restyling, so the touched lines are known.
    connect(document, &QTextDocument::contentsChange, this, &NoteHighlighter::settleTotals);
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
    restyleAll();
}

void NoteHighlighter::restyleAll()
{
    if (document() && document()->defaultFont() != m_theme.baseFont())
        document()->setDefaultFont(m_theme.baseFont());
    rehighlight();
    settleTotals();
}

std::optional<QString> NoteHighlighter::resultFor(const QTextBlock& block) const
{
    const LineMath* math = lineMath(block);
    return math ? math->shown : std::nullopt;
}

QMap<int, QString> NoteHighlighter::mathResults() const
{
    QMap<int, QString> results;
    if (!document())
        return results;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (const std::optional<QString> shown = resultFor(block))
            results.insert(block.position(), *shown);
    }
    return results;
}

void NoteHighlighter::evaluateLine(const QString& text)
{
    auto* math = static_cast<LineMath*>(currentBlockUserData());
    if (!math) {
        math = new LineMath;
        setCurrentBlockUserData(math);
    }
    math->line =
        m_mathEnabled ? MathEvaluator::classifyLine(text, m_locale) : MathEvaluator::Line{};
    const int number = currentBlock().blockNumber();
    if (m_firstTouched < 0) {
        m_firstTouched = m_lastTouched = number;
        // Restyling outside an edit (a theme change, the first styling) settles later.
        QMetaObject::invokeMethod(this, &NoteHighlighter::settleTotals, Qt::QueuedConnection);
    }
    m_firstTouched = std::min(m_firstTouched, number);
    m_lastTouched = std::max(m_lastTouched, number);
}

// A line's own value depends only on its text; a total only on the lines above it
// back to the last blank line or total. So the styled lines get their values, and
// the totals among them and the first one after them are added up again, from the
// start of their block: the work follows the edit, not the note.
void NoteHighlighter::settleTotals()
{
    if (m_firstTouched < 0 || !document())
        return;
    const QTextBlock first = document()->findBlockByNumber(m_firstTouched);
    const int last = m_lastTouched;
    m_firstTouched = m_lastTouched = -1;
    using Kind = MathEvaluator::Line::Kind;
    const auto show = [this](LineMath* math, const std::optional<Decimal>& value) {
        std::optional<QString> shown;
        if (value)
            shown = MathEvaluator::formatResult(*value, m_locale);
        if (shown == math->shown)
            return;
        math->shown = std::move(shown);
        m_resultsChanged = true;
    };

    QTextBlock end;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        LineMath* math = lineMath(block);
        if (!math)
            continue; // not styled yet: it settles when it is
        const bool touched = block.blockNumber() <= last;
        const Kind kind = math->line.kind;
        if (touched && kind != Kind::Sum)
            show(math, kind == Kind::Value ? math->line.value : std::nullopt);
        if (kind == Kind::Sum)
            end = block;
        if (!touched && (kind == Kind::Sum || kind == Kind::Blank))
            break;
    }
    if (end.isValid()) {
        QTextBlock block = first;
        for (QTextBlock before = block.previous(); before.isValid(); before = before.previous()) {
            const LineMath* math = lineMath(before);
            if (math && (math->line.kind == Kind::Blank || math->line.kind == Kind::Sum))
                break;
            block = before;
        }
        MathEvaluator::Totals totals;
        for (; block.isValid(); block = block.next()) {
            LineMath* math = lineMath(block);
            if (!math)
                continue;
            const std::optional<Decimal> value = totals.add(math->line);
            if (math->line.kind == Kind::Sum)
                show(math, value);
            if (block == end)
                break;
        }
    }
    if (std::exchange(m_resultsChanged, false))
        emit mathResultsChanged();
}

void NoteHighlighter::highlightBlock(const QString& text)
{
    evaluateLine(text);
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

} // namespace quelto
