// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/editoraccessible.h"

#include "ui/editor/editortextview.h"

#include <QAccessibleWidget>
#include <QTextBlock>
#include <QTextLayout>

namespace quelto::EditorAccessible {

namespace {

class EditorInterface final : public QAccessibleWidget,
                              public QAccessibleTextInterface,
                              public QAccessibleEditableTextInterface {
public:
    explicit EditorInterface(EditorTextView* view)
        : QAccessibleWidget(view, QAccessible::EditableText)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.multiLine = true;
        state.selectableText = true;
        state.editable = !view()->isReadOnly();
        state.readOnly = view()->isReadOnly();
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Value ? view()->noteText() : QAccessibleWidget::text(kind);
    }

    // Offsets are the note's, which count no break between the pieces of a long line.
    // Selection and caret.
    void selection(int index, int* start, int* end) const override
    {
        const TextRange selected = view()->selection();
        *start = *end = 0;
        if (index == 0 && selected.length > 0) {
            *start = int(selected.location);
            *end = int(selected.end());
        }
    }
    int selectionCount() const override { return view()->selection().length > 0 ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { setCursorPosition(cursorPosition()); }
    void setSelection(int, int start, int end) override
    {
        QTextCursor cursor = view()->textCursor();
        cursor.setPosition(view()->toDocument(clamped(start), start < end));
        cursor.setPosition(view()->toDocument(clamped(end), end < start), QTextCursor::KeepAnchor);
        view()->setTextCursor(cursor);
    }
    int cursorPosition() const override { return view()->toNote(view()->textCursor().position()); }
    void setCursorPosition(int position) override
    {
        QTextCursor cursor = view()->textCursor();
        cursor.setPosition(view()->toDocument(clamped(position)));
        view()->setTextCursor(cursor);
    }

    // Text.
    QString text(int start, int end) const override
    {
        return view()->noteText().mid(start, end - start);
    }
    int characterCount() const override { return int(view()->noteText().size()); }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                         int* end) const override
    {
        if (boundary != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textAtOffset(offset, boundary, start, end);
        // A line as it wraps on screen, not the paragraph.
        const int at = view()->toDocument(clamped(offset), true);
        const QTextBlock block = view()->document()->findBlock(at);
        const QTextLine line = block.layout()
                                   ? block.layout()->lineForTextPosition(at - block.position())
                                   : QTextLine();
        if (!line.isValid())
            return QAccessibleTextInterface::textAtOffset(offset, boundary, start, end);
        *start = view()->toNote(block.position() + line.textStart());
        *end = *start + line.textLength();
        if (!block.next().isValid() || line.lineNumber() < block.layout()->lineCount() - 1 ||
            LongLines::isContinuation(block.next()))
            return text(*start, *end);
        *end += 1; // the paragraph's end
        return text(*start, *end);
    }

    // Geometry, on screen.
    QRect characterRect(int offset) const override
    {
        const QRectF drawn = view()->characterRect(view()->toDocument(clamped(offset), true), 1);
        if (drawn.isNull())
            return {};
        return QRect(view()->viewport()->mapToGlobal(drawn.topLeft().toPoint()),
                     drawn.size().toSize());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint local = view()->viewport()->mapFromGlobal(point);
        return view()->viewport()->rect().contains(local)
                   ? view()->toNote(view()->cursorForPosition(local).position())
                   : -1;
    }
    void scrollToSubstring(int start, int) override
    {
        setCursorPosition(start);
        view()->ensureCursorVisible();
    }
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Editing, as typing would.
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override
    {
        if (view()->isReadOnly())
            return;
        const int from = clamped(std::min(start, end));
        const int to = clamped(std::max(start, end));
        view()->applyEdit({{from, to - from}, text, {from + text.size(), 0}});
    }

private:
    EditorTextView* view() const { return static_cast<EditorTextView*>(widget()); }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
};

QAccessibleInterface* editors(const QString&, QObject* object)
{
    auto* view = qobject_cast<EditorTextView*>(object);
    return view ? new EditorInterface(view) : nullptr;
}

} // namespace

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(editors);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace quelto::EditorAccessible
