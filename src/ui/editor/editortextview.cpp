// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/editortextview.h"

#include "ui/accessibility/accessiblewidget.h"
#include "ui/commands/commandtable.h"
#include "ui/editor/editoraccessible.h"

#include "core/text/markdownhighlighter.h"
#include "ui/editor/preedit.h"
#include "ui/window/glasssurface.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextDocumentLayout>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextLayout>

namespace quelto {

namespace {

constexpr double kBoxScale = 0.62;
constexpr double kBoxRadius = 3.5;
constexpr double kOutlineWidth = 1.2;
constexpr double kCheckWidth = 1.8;
constexpr double kResultSlack = 4;

std::optional<QTextLayout::FormatRange> formatRangeAt(const QTextBlock& block, int position,
                                                      int property)
{
    const int relative = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (range.start <= relative && relative < range.start + range.length &&
            range.format.hasProperty(property))
            return range;
    }
    return std::nullopt;
}

// Rides in the undo step of an applied edit and tells the view which selection to
// show once that step is undone or redone.
class SelectionRecord final : public QAbstractUndoItem {
public:
    SelectionRecord(std::optional<TextRange>& target, TextRange before, TextRange after)
        : m_target(target)
        , m_before(before)
        , m_after(after)
    {}
    void undo() override { m_target = m_before; }
    void redo() override { m_target = m_after; }

private:
    // The view owns the document and with it this record.
    std::optional<TextRange>& m_target;
    TextRange m_before;
    TextRange m_after;
};

// QPlainTextEdit lays out only what changed, which keeps typing fast in long notes,
// but ignores line-height formats. This layout spreads each laid-out line to the
// theme's line height, centring the text in the taller line.
class SpacedLayout final : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

    QRectF blockBoundingRect(const QTextBlock& block) const override
    {
        QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block);
        QTextLayout* layout = block.layout();
        if (!block.isVisible() || !layout || layout->lineCount() == 0)
            return rect;
        qreal y = 0;
        for (int i = 0; i < layout->lineCount(); ++i) {
            QTextLine line = layout->lineAt(i);
            const qreal extra = line.height() * (EditorTheme::kLineHeight - 1);
            const QPointF wanted(line.position().x(), y + extra / 2);
            if (line.position() != wanted)
                line.setPosition(wanted);
            y += line.height() + extra;
        }
        rect.setHeight(y + (block.next().isValid() ? 0 : document()->documentMargin()));
        return rect;
    }
};

// Results are drawn with every digit in a cell of one width, so that a column of them
// lines up whatever figures the font has by default (Qt 6.4 cannot ask a font for its
// tabular figures).
qreal digitCell(const QFontMetricsF& metrics)
{
    qreal widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(digit)));
    return widest;
}

qreal tabularWidth(const QFontMetricsF& metrics, QStringView text)
{
    const qreal cell = digitCell(metrics);
    qreal width = 0;
    for (const QChar c : text)
        width += c.isDigit() ? cell : metrics.horizontalAdvance(c);
    return width;
}

void drawTabular(QPainter& painter, QPointF origin, QStringView text, const QFontMetricsF& metrics)
{
    const qreal cell = digitCell(metrics);
    for (const QChar c : text) {
        const qreal advance = metrics.horizontalAdvance(c);
        const qreal width = c.isDigit() ? cell : advance;
        painter.drawText(QPointF(origin.x() + (width - advance) / 2, origin.y()), QString(c));
        origin.rx() += width;
    }
}

} // namespace

EditorTextView::EditorTextView(double fontSize, bool monospace, bool mathEnabled, QWidget* parent)
    : QPlainTextEdit(parent)
{
    EditorAccessible::install();
    auto* text = new QTextDocument(this);
    text->setDocumentLayout(new SpacedLayout(text));
    setDocument(text);
    setUndoRedoEnabled(true);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The panel's surface is rounded: a default square bar would stick out of it.
    GlassSurface::useThinScrollBar(this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true); // the pointer changes over links
    setAutoFillBackground(false);
    document()->setDocumentMargin(kContainerInset);
    // Lines scrolled past the bottom stop an inset above it, clear of the rounded corners,
    // as they do at the top.
    setViewportMargins(0, 0, 0, int(kContainerInset));
    const EditorTheme theme{fontSize, monospace};
    document()->setDefaultFont(theme.baseFont());
    // Connected before anyone reads the text after a change.
    connect(document(), &QTextDocument::contentsChange, this, [this] {
        m_noteText.reset();
        m_breaks.reset();
    });
    m_highlighter = new NoteHighlighter(document(), theme, mathEnabled, palette(), this);
    for (auto changed : {&NoteHighlighter::mathResultsChanged, &NoteHighlighter::stylingDeferred})
        connect(m_highlighter, changed, viewport(), qOverload<>(&QWidget::update));
    // Once the edit that moved the caret or changed its line is over.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &EditorTextView::describeCaretLine,
            Qt::QueuedConnection);
    connect(document(), &QTextDocument::contentsChanged, this, &EditorTextView::describeCaretLine,
            Qt::QueuedConnection);
    connect(m_highlighter, &NoteHighlighter::mathResultsChanged, this,
            &EditorTextView::describeCaretLine, Qt::QueuedConnection);
    loadText(QString());
}

void EditorTextView::describeCaretLine()
{
    const QTextBlock block = textCursor().block();
    if (!block.isValid() || !block.layout())
        return;
    QStringList said;
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (range.format.hasProperty(NoteCheckbox)) {
            said << (range.format.property(NoteCheckbox).toBool()
                         ? QStringLiteral("Task, done")
                         : QStringLiteral("Task, not done"));
            break;
        }
    }
    if (const std::optional<QString> result = m_highlighter->resultFor(block))
        said << QStringLiteral("Result: ") + *result;
    const QString description = said.join(QStringLiteral(", "));
    if (description != accessibleDescription())
        setAccessibleDescription(description);
}

void EditorTextView::loadText(const QString& text)
{
    document()->setUndoRedoEnabled(false);
    const auto [shaped, continuing] = LongLines::inPieces(text);
    setPlainText(shaped);
    LongLines::markContinuations(*document(), continuing);
    document()->setUndoRedoEnabled(true);
}

const LongLines::Breaks& EditorTextView::breaks() const
{
    if (!m_breaks)
        m_breaks.emplace(*document());
    return *m_breaks;
}

QString EditorTextView::noteText() const
{
    if (!m_noteText)
        m_noteText = breaks().noteText(document()->toRawText());
    return *m_noteText;
}

QString EditorTextView::noteText(TextRange range) const
{
    // A short stretch of a long note need not copy the whole note.
    const QTextCursor cursor = cursorFor(range);
    return breaks().noteText(cursor.selectedText(), cursor.selectionStart());
}

int EditorTextView::toNote(int position) const
{
    return breaks().toNote(position);
}

int EditorTextView::toDocument(int position, bool pastBreak) const
{
    return breaks().toDocument(position, pastBreak);
}

TextRange EditorTextView::selection() const
{
    const QTextCursor cursor = textCursor();
    const int start = toNote(cursor.selectionStart());
    return {start, toNote(cursor.selectionEnd()) - start};
}

QTextCursor EditorTextView::cursorFor(TextRange range) const
{
    QTextCursor cursor(document());
    // A selection that begins at a break leaves it out, or it would show as selected.
    cursor.setPosition(toDocument(static_cast<int>(range.location), range.length > 0));
    cursor.setPosition(toDocument(static_cast<int>(range.end())), QTextCursor::KeepAnchor);
    return cursor;
}

EditorTextView::EditStart EditorTextView::editStart(int position) const
{
    QTextCursor at(document());
    at.setPosition(position);
    at.setKeepPositionOnInsert(true);
    return {at, at.atBlockStart() ? std::optional(LongLines::isContinuation(at.block()))
                                  : std::nullopt};
}

void EditorTextView::settle(const EditStart& start, bool newLines, int last)
{
    if (start.continues && start.at.atBlockStart())
        LongLines::keepMark(*document(), start.at.block(), *start.continues);
    const int first = start.at.blockNumber();
    if (newLines)
        LongLines::unmarkNewLines(*document(), first, last);
    LongLines::reshape(*document(), std::min(first, last), std::max(first, last));
}

void EditorTextView::editAtCaret(const std::function<void()>& edit)
{
    // Not inside an edit block of our own: Qt's edits show the caret, which needs the
    // layout an open block holds back.
    const EditStart start = editStart(textCursor().selectionStart());
    edit();
    settle(start, true, textCursor().blockNumber());
}

void EditorTextView::cut()
{
    editAtCaret([this] { QPlainTextEdit::cut(); });
}

void EditorTextView::dropEvent(QDropEvent* event)
{
    // A move within this view removes the selection first; the dropped text then goes
    // in through insertFromMimeData, which settles the removal before it inserts.
    // Settled afterwards, the mark taken here would land on whatever the insertion
    // put at that place.
    m_drop = editStart(textCursor().selectionStart());
    QPlainTextEdit::dropEvent(event);
    settleDropRemoval();
}

void EditorTextView::settleDropRemoval()
{
    if (!m_drop)
        return;
    // Where nothing was removed, this finds nothing to change.
    const EditStart start = *std::exchange(m_drop, std::nullopt);
    settle(start, false, start.at.blockNumber());
}

void EditorTextView::applyEdit(const TextEdit& edit)
{
    if (isReadOnly())
        return;
    const qsizetype length = toNote(document()->characterCount() - 1);
    if (edit.range.location < 0 || edit.range.length < 0 || edit.range.end() > length)
        return;
    const TextRange before = selection();
    // Begun at the caret, so that even an undo that bypasses the view leaves it there.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    const QTextCursor range = cursorFor(edit.range);
    cursor.setPosition(range.anchor());
    cursor.setPosition(range.position(), QTextCursor::KeepAnchor);
    const EditStart start = editStart(cursor.selectionStart());
    cursor.insertText(edit.replacement);
    settle(start, true, cursor.blockNumber());

    const qsizetype newLength = toNote(document()->characterCount() - 1);
    const qsizetype location = std::min(newLength, std::max<qsizetype>(0, edit.selection.location));
    const qsizetype selected =
        std::min(std::max<qsizetype>(0, edit.selection.length), newLength - location);
    document()->appendUndoItem(
        new SelectionRecord(m_restoredSelection, before, TextRange{location, selected}));
    cursor.endEditBlock();
    select({location, selected});
    viewport()->update();
}

void EditorTextView::select(TextRange range)
{
    setTextCursor(cursorFor(range));
}

void EditorTextView::undo()
{
    restoreStep(true);
}

void EditorTextView::redo()
{
    restoreStep(false);
}

void EditorTextView::restoreStep(bool back)
{
    m_restoredSelection.reset();
    // Qt cannot join the cut or join of pieces that a lone key (a typed character, a
    // Backspace) made into that key's step, so it is a step of its own that changes no
    // text. An undo passes over it to the key, and a redo takes it after the key:
    // otherwise a press would seem to do nothing, and the pieces would be left unshaped.
    const QString before = noteText();
    do
        back ? QPlainTextEdit::undo() : QPlainTextEdit::redo();
    while (noteText() == before &&
           (back ? document()->isUndoAvailable() : document()->isRedoAvailable()));
    const std::optional<TextRange> restored = std::exchange(m_restoredSelection, {});
    const int block = textCursor().blockNumber();
    while (!back && document()->isRedoAvailable() &&
           LongLines::reshape(*document(), block, block, false)) {
        const QTextCursor caret = textCursor();
        const QString after = noteText();
        QPlainTextEdit::redo();
        const bool shapeOnly = noteText() == after;
        if (!shapeOnly)
            QPlainTextEdit::undo(); // an edit of its own, left for the next redo
        setTextCursor(caret);
        if (!shapeOnly)
            break;
    }
    m_restoredSelection.reset();
    if (restored)
        select(*restored);
}

void EditorTextView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu(event->pos());
    // Its undo, redo, cut and delete items go to the document directly; send them
    // through the view.
    const QMap<QString, std::function<void()>> ours{
        {QStringLiteral("edit-undo"), [this] { undo(); }},
        {QStringLiteral("edit-redo"), [this] { redo(); }},
        {QStringLiteral("edit-cut"), [this] { cut(); }},
        {QStringLiteral("edit-delete"),
         [this] { editAtCaret([this] { textCursor().removeSelectedText(); }); }},
    };
    for (QAction* action : menu->actions()) {
        if (!ours.contains(action->objectName()))
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, ours[action->objectName()]);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool EditorTextView::isAllowedScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == u"http" || scheme == u"https" || scheme == u"mailto";
}

bool EditorTextView::isLink(const QString& text)
{
    if (text.isEmpty() ||
        std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); }))
        return false;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || !isAllowedScheme(url))
        return false;
    return url.scheme().toLower() == u"mailto" || !url.host().isEmpty();
}

std::optional<std::function<void()>> EditorTextView::keyEquivalent(const QKeyEvent* event)
{
    if (isReadOnly())
        return std::nullopt; // left to the menus
    const std::optional<Command> command = commandForKey(event, CommandInfo::Scope::Editor);
    if (!command)
        return std::nullopt;
    // The text is read only when a command runs: every key press passes through here.
    auto wrap = [this](const QString& marker) {
        return [this, marker] {
            applyEdit(ListEditing::wrapSelection(noteText(), selection(), marker));
        };
    };
    switch (*command) {
    case Command::Bold:
        return wrap(QStringLiteral("**"));
    case Command::Italic:
        return wrap(QStringLiteral("_"));
    case Command::InlineCode:
        return wrap(QStringLiteral("`"));
    case Command::Link:
        return [this] {
            const QString pasted = QGuiApplication::clipboard()->text().trimmed();
            const std::optional<QString> address =
                isLink(pasted) ? std::optional(pasted) : std::nullopt;
            applyEdit(ListEditing::makeLink(noteText(), selection(), address));
        };
    case Command::ToggleTask:
        return [this] {
            applyEdit(ListEditing::toggleCheckboxes(noteText(), selection()));
            describeCaretLine();
            Accessible::announce(window(), accessibleDescription());
        };
    case Command::InsertResult:
        return [this] { insertLineResult(); };
    default:
        return std::nullopt;
    }
}

void EditorTextView::insertLineResult()
{
    const QString text = noteText();
    const TextRange paragraph =
        MarkdownHighlighter::paragraphRange(text, {std::min(text.size(), selection().location), 0});
    const std::optional<QString> result =
        m_highlighter->resultFor(document()->findBlock(toDocument(int(paragraph.location))));
    if (!result) {
        QApplication::beep();
        return;
    }
    qsizetype end = paragraph.end();
    if (end > paragraph.location && text[end - 1] == u'\n')
        --end;
    if (end > paragraph.location && text[end - 1] == u'\r')
        --end;
    const QString inserted = QStringLiteral(" = ") + *result;
    applyEdit(TextEdit{{end, 0}, inserted, {end + inserted.size(), 0}});
}

bool EditorTextView::event(QEvent* event)
{
    // Claim our Ctrl keys before any window shortcut with the same keys fires.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!isComposing(textCursor()) && keyEquivalent(key)) {
            event->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void EditorTextView::keyPressEvent(QKeyEvent* event)
{
    if (isReadOnly() || isComposing(textCursor())) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        event->matches(QKeySequence::Undo) ? undo() : redo();
        return;
    }
    if (const auto action = keyEquivalent(event)) {
        (*action)();
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & kCommandModifiers;
    const int key = event->key();
    if (key == Qt::Key_Tab && modifiers == Qt::NoModifier) {
        if (auto edit = ListEditing::indentListItem(noteText(), selection(), false)) {
            applyEdit(*edit);
            return;
        }
    } else if (key == Qt::Key_Backtab && modifiers == Qt::ShiftModifier) {
        // Shift+Tab outside a list does nothing at all.
        if (auto edit = ListEditing::indentListItem(noteText(), selection(), true))
            applyEdit(*edit);
        return;
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (modifiers == Qt::NoModifier) {
            const QString text = noteText();
            if (auto edit = ListEditing::continueList(text, selection())) {
                // One undo step for the new item and the numbers after it.
                const QString continued = edit->appliedTo(text);
                if (auto renumber = ListEditing::renumberList(continued, edit->selection.location))
                    edit = edit->followedBy(text, *renumber);
                applyEdit(*edit);
                return;
            }
        }
        // A plain line break: never the soft line separator Qt inserts for
        // Shift+Return, which a Markdown file would keep as a stray character.
        editAtCaret([this] { textCursor().insertText(QStringLiteral("\n")); });
        ensureCursorVisible();
        return;
    }
    // Deleting at a break between pieces deletes the character beyond it.
    // A selection of nothing but such a break is none.
    QTextCursor caret = textCursor();
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && selection().length == 0) {
        const QTextCursor at = caret;
        caret.clearSelection();
        while (key == Qt::Key_Backspace && caret.atBlockStart() &&
               LongLines::isContinuation(caret.block()))
            caret.movePosition(QTextCursor::PreviousCharacter);
        while (key == Qt::Key_Delete && caret.atBlockEnd() &&
               LongLines::isContinuation(caret.block().next()))
            caret.movePosition(QTextCursor::NextCharacter);
        if (caret.position() != at.position() || at.hasSelection())
            setTextCursor(caret);
    }
    const int revision = document()->revision();
    const int from = caret.position();
    const EditStart start = editStart(textCursor().selectionStart());
    QPlainTextEdit::keyPressEvent(event);
    if (document()->revision() != revision) {
        settle(start, false, textCursor().blockNumber());
        return;
    }
    // A move that only crossed a break between pieces stayed where it was in the note.
    const int to = textCursor().position();
    if (to != from && toNote(to) == toNote(from))
        QPlainTextEdit::keyPressEvent(event);
}

QPointF EditorTextView::blockOrigin(const QTextBlock& block) const
{
    return blockBoundingGeometry(block).translated(contentOffset()).topLeft() +
           block.layout()->position();
}

QRectF EditorTextView::characterRect(int position, int length) const
{
    const QTextBlock block = document()->findBlock(position);
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return {};
    const int relative = position - block.position();
    const QTextLine line = layout->lineForTextPosition(relative);
    if (!line.isValid())
        return {};
    const qreal x1 = line.cursorToX(relative);
    const qreal x2 = line.cursorToX(relative + length);
    const QPointF origin = blockOrigin(block);
    return QRectF(origin.x() + std::min(x1, x2), origin.y() + line.y(), std::abs(x2 - x1),
                  line.height());
}

std::optional<int> EditorTextView::characterAt(const QPointF& point) const
{
    const int nearest = cursorForPosition(point.toPoint()).position();
    const int length = document()->characterCount() - 1;
    for (int candidate : {nearest, nearest - 1}) {
        if (candidate >= 0 && candidate < length && characterRect(candidate, 1).contains(point))
            return candidate;
    }
    return std::nullopt;
}

void EditorTextView::mousePressEvent(QMouseEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & kCommandModifiers;
    const QPointF point = event->position();
    // -1: no character under the pointer.
    const int character = event->button() == Qt::LeftButton ? characterAt(point).value_or(-1) : -1;

    if (modifiers == Qt::ControlModifier && character >= 0) {
        const QTextBlock block = document()->findBlock(character);
        if (const auto link = formatRangeAt(block, character, NoteLink)) {
            const QUrl url = link->format.property(NoteLink).toUrl();
            if (isAllowedScheme(url)) {
                emit linkActivated(url);
            } else {
                QApplication::beep();
            }
            event->accept();
            return;
        }
    }
    // A double click delivers a second press; only a first click ticks a box.
    const bool firstClick =
        !m_lastPress ||
        event->timestamp() - m_lastPress->first >
            quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval()) ||
        (point - m_lastPress->second).manhattanLength() >
            QGuiApplication::styleHints()->startDragDistance();
    m_lastPress = std::pair(event->timestamp(), point);
    if (modifiers == Qt::NoModifier && !isReadOnly() && character >= 0 && firstClick) {
        if (auto edit = ListEditing::checkboxClick(noteText(), toNote(character))) {
            applyEdit(*edit);
            event->accept();
            return;
        }
    }
    if (event->button() == Qt::LeftButton) {
        const QTextBlock block = cursorForPosition(point.toPoint()).block();
        const std::optional<QString> result = m_highlighter->resultFor(block);
        const std::optional<QRectF> rect = resultRect(block.position());
        if (result && rect && rect->contains(point)) {
            QGuiApplication::clipboard()->setText(*result);
            emit resultCopied(*result);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::mousePressEvent(event);
}

void EditorTextView::inputMethodEvent(QInputMethodEvent* event)
{
    const EditStart start = editStart(textCursor().selectionStart());
    QPlainTextEdit::inputMethodEvent(event);
    if (!event->commitString().isEmpty() && !isReadOnly())
        settle(start, true, textCursor().blockNumber());
    // Qt gives the paragraph the composition's formats in place of ours.
    if (!isReadOnly())
        m_highlighter->styleAroundComposition(textCursor().block());
}

void EditorTextView::mouseMoveEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    if (event->buttons() != Qt::NoButton)
        return;
    const std::optional<int> character = characterAt(event->position());
    const bool overLink =
        character &&
        formatRangeAt(document()->findBlock(*character), *character, NoteLink).has_value();
    const Qt::CursorShape shape = overLink ? Qt::PointingHandCursor : Qt::IBeamCursor;
    if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
}

std::optional<QRectF> EditorTextView::resultRect(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    const std::optional<QString> result = m_highlighter->resultFor(block);
    if (!result || block.position() != position)
        return std::nullopt;
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return std::nullopt;
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    const QFontMetricsF metrics(m_highlighter->theme().resultFont());
    const qreal width = tabularWidth(metrics, *result);
    const qreal right =
        contentOffset().x() + viewport()->width() - document()->documentMargin() - kResultInset;
    const qreal top = blockOrigin(block).y() + last.y();
    return QRectF(right - width - kResultSlack, top, width + 2 * kResultSlack, last.height());
}

void EditorTextView::paintEvent(QPaintEvent* event)
{
    // Paragraphs a long paste or load left unstyled are styled as they come into view.
    bool restyled = false;
    for (const QTextBlock& block : visibleBlocks(event->rect()))
        restyled |= m_highlighter->style(block);
    if (restyled)
        viewport()->update(); // their new formats may break their lines differently
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    drawCheckboxes(painter, event->rect());
    drawResults(painter, event->rect());
}

QList<QTextBlock> EditorTextView::visibleBlocks(const QRect& area) const
{
    QList<QTextBlock> blocks;
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        if (!block.layout() || !block.isVisible())
            continue;
        if (blockOrigin(block).y() > area.bottom())
            break;
        blocks.append(block);
    }
    return blocks;
}

void EditorTextView::drawCheckboxes(QPainter& painter, const QRect& area) const
{
    const QColor accent = palette().color(QPalette::Highlight);
    const QColor outline = EditorTheme::secondary(palette());
    for (const QTextBlock& block : visibleBlocks(area)) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (!range.format.hasProperty(NoteCheckbox))
                continue;
            const QRectF glyphs = characterRect(block.position() + range.start, range.length);
            const qreal side = std::min(glyphs.height() * kBoxScale, kMaxBoxSide);
            const QRectF box(glyphs.left() + 1, glyphs.center().y() - side / 2, side, side);
            QPainterPath path;
            path.addRoundedRect(box, kBoxRadius, kBoxRadius);
            if (range.format.property(NoteCheckbox).toBool()) {
                painter.fillPath(path, accent);
                QPainterPath check;
                check.moveTo(box.left() + 0.26 * side, box.center().y());
                check.lineTo(box.left() + 0.44 * side, box.bottom() - 0.3 * side);
                check.lineTo(box.right() - 0.22 * side, box.top() + 0.3 * side);
                painter.strokePath(check, QPen(Qt::white, kCheckWidth, Qt::SolidLine, Qt::RoundCap,
                                               Qt::RoundJoin));
            } else {
                painter.strokePath(path, QPen(outline, kOutlineWidth));
            }
        }
    }
}

void EditorTextView::drawResults(QPainter& painter, const QRect& area) const
{
    const QFont font = m_highlighter->theme().resultFont();
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(EditorTheme::secondary(palette()));
    for (const QTextBlock& block : visibleBlocks(area)) {
        const std::optional<QString> result = m_highlighter->resultFor(block);
        if (!result)
            continue;
        const std::optional<QRectF> slot = resultRect(block.position());
        if (!slot)
            continue;
        const qreal y = slot->top() + (slot->height() - metrics.height()) / 2 + metrics.ascent();
        drawTabular(painter, QPointF(slot->left() + kResultSlack, y), *result, metrics);
    }
}

void EditorTextView::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        m_highlighter->setPalette(palette());
}

bool EditorTextView::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText();
}

void EditorTextView::insertFromMimeData(const QMimeData* source)
{
    settleDropRemoval();
    if (isReadOnly() || !source->hasText())
        return;
    const QString pasted = source->text();
    const TextRange sel = selection();
    if (sel.length > 0 && isLink(pasted.trimmed())) {
        applyEdit(ListEditing::makeLink(noteText(), sel, pasted.trimmed()));
        return;
    }
    QMimeData plain;
    plain.setText(pasted);
    editAtCaret([&] { QPlainTextEdit::insertFromMimeData(&plain); });
}

QMimeData* EditorTextView::createMimeDataFromSelection() const
{
    auto* mime = new QMimeData;
    mime->setText(noteText(selection()));
    return mime;
}

} // namespace quelto
