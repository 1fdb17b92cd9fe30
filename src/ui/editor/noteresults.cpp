// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/noteresults.h"

#include "ui/editor/longlines.h"

#include <QLocale>
#include <QTextDocument>

namespace quelto {

namespace {

using Kind = MathEvaluator::Line::Kind;

// A paragraph's part in the arithmetic. Plain text lines carry none, which keeps a
// long note small.
struct LineMath final : QTextBlockUserData {
    MathEvaluator::Line line;
    std::optional<QString> shown;
};

LineMath* lineMath(const QTextBlock& block)
{
    return static_cast<LineMath*>(block.userData());
}

bool endsBlock(const LineMath* math)
{
    return math && (math->line.kind == Kind::Blank || math->line.kind == Kind::Sum);
}

} // namespace

icu::Locale userLocale()
{
    return icu::Locale(QLocale::system().name().toLatin1().constData());
}

NoteResults::NoteResults(QTextDocument* document, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_locale(userLocale())
{}

void NoteResults::setEnabled(bool enabled)
{
    if (enabled == m_isEnabled)
        return;
    m_isEnabled = enabled;
    updateAll();
}

void NoteResults::setLocale(const icu::Locale& locale)
{
    m_locale = locale;
    updateAll();
}

std::optional<QString> NoteResults::resultFor(const QTextBlock& block) const
{
    const LineMath* math = lineMath(block);
    return math ? math->shown : std::nullopt;
}

QMap<int, QString> NoteResults::all() const
{
    QMap<int, QString> results;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        if (const std::optional<QString> shown = resultFor(block))
            results.insert(block.position(), *shown);
    }
    return results;
}

void NoteResults::updateAll()
{
    update(0, m_document->blockCount() - 1);
}

void NoteResults::update(int first, int last)
{
    const QTextBlock start = m_document->findBlockByNumber(first);
    QTextBlock block = start;
    for (; block.isValid() && block.blockNumber() <= last; block = block.next())
        evaluate(block);
    settle(start, last);
    if (std::exchange(m_hasChanged, false))
        emit changed();
}

void NoteResults::evaluate(QTextBlock block)
{
    MathEvaluator::Line line = m_isEnabled && !LongLines::isPiece(block)
                                   ? MathEvaluator::classifyLine(block.text(), m_locale)
                                   : MathEvaluator::Line{};
    LineMath* math = lineMath(block);
    if (!math && line.kind == Kind::Other)
        return;
    if (!math) {
        math = new LineMath;
        block.setUserData(math);
    }
    math->line = std::move(line);
}

// A line's own value depends only on its text; a total only on the lines above it
// back to the last blank line or total. So the touched lines get their values, and
// the totals among them and the first one after them are added up again, from the
// start of their block.
void NoteResults::settle(const QTextBlock& first, int last)
{
    const auto show = [this](LineMath* math, const std::optional<Decimal>& value) {
        std::optional<QString> shown;
        if (value)
            shown = MathEvaluator::formatResult(*value, m_locale);
        if (shown == math->shown)
            return;
        math->shown = std::move(shown);
        m_hasChanged = true;
    };
    QTextBlock end;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        LineMath* math = lineMath(block);
        if (!math)
            continue;
        const bool touched = block.blockNumber() <= last;
        const Kind kind = math->line.kind;
        if (touched && kind != Kind::Sum)
            show(math, kind == Kind::Value ? math->line.value : std::nullopt);
        if (kind == Kind::Sum)
            end = block;
        if (!touched && endsBlock(math))
            break;
    }
    if (!end.isValid())
        return;
    QTextBlock block = first;
    for (QTextBlock before = block.previous(); before.isValid() && !endsBlock(lineMath(before));
         before = before.previous())
        block = before;
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

} // namespace quelto
