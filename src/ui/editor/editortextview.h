// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The note editor: a QPlainTextEdit with Markdown-aware keys (lists continue on
// Return, Tab indents items, Ctrl+B/I/E wrap, Ctrl+K links, Ctrl+L ticks tasks,
// Ctrl+Shift+= writes the line's result), drawn task boxes and arithmetic results,
// clicks on boxes, links and results, and plain-text paste and copy. Every change it
// makes itself goes through applyEdit, as one undo step.

#include "core/text/listediting.h"
#include "ui/editor/editortheme.h"
#include "ui/editor/longlines.h"
#include "ui/editor/notehighlighter.h"

#include <QPlainTextEdit>

#include <functional>
#include <optional>

namespace quelto {

class EditorTextView : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr double kResultInset = 12;
    static constexpr double kContainerInset = 12;
    static constexpr double kMaxBoxSide = 16;

    EditorTextView(double fontSize, bool monospace, bool mathEnabled, QWidget* parent = nullptr);

    NoteHighlighter& highlighter() const { return *m_highlighter; }

    // Applies one edit as one undo step; ignored when read-only or out of range.
    void applyEdit(const TextEdit& edit);
    // Replaces the whole text and forgets undo, so undo never crosses into other text.
    void loadText(const QString& text);
    // The text as the note holds it (QTextEdit's own plain text turns non-breaking
    // spaces into spaces).
    QString noteText() const;
    QString noteText(TextRange range) const;
    // Where the result of the paragraph starting at `position` is drawn, in viewport
    // coordinates, with a little slack around it.
    std::optional<QRectF> resultRect(int position) const;
    // Where `length` characters from `position` are drawn, in viewport coordinates.
    QRectF characterRect(int position, int length) const;

    // The selection in note positions, which count no break between the pieces of a
    // long line (see LongLines); and a cursor or selection over a range of them.
    TextRange selection() const;
    QTextCursor cursorFor(TextRange range) const;
    void select(TextRange range);
    // Note position to document position and back (see LongLines::Breaks).
    int toNote(int position) const;
    int toDocument(int position, bool pastBreak = false) const;

    // http, https or mailto, after lower-casing.
    static bool isAllowedScheme(const QUrl& url);
    // No whitespace, parses as a URL, allowed scheme, and a host unless mailto.
    static bool isLink(const QString& text);

public slots:
    // Undo and redo that also put back the selection an applied edit had before or
    // after it: the document alone only places a caret. The main menu reaches these
    // by name.
    void undo();
    void redo();
    // Cut that keeps the pieces of long lines (see editAtCaret).
    void cut();

signals:
    // Ctrl+click on a link with an allowed scheme.
    void linkActivated(const QUrl& url);
    // A click on an arithmetic result put it on the clipboard.
    void resultCopied(const QString& result);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    // The Ctrl-key commands; nothing when the key is not one of them.
    std::optional<std::function<void()>> keyEquivalent(const QKeyEvent* event);
    const LongLines::Breaks& breaks() const;
    // Where an edit begins, followed through it, and the piece mark of the paragraph
    // that starts there, if one does.
    struct EditStart {
        QTextCursor at;
        std::optional<bool> continues;
    };
    EditStart editStart(int position) const;
    // After an edit from `start`: the paragraph there keeps its piece mark; those up to
    // the caret start new lines if `newLines` (they follow breaks the edit typed); and
    // the long lines around are kept in pieces. Joined into the edit's undo step.
    void settle(const EditStart& start, bool newLines, int last);
    // Undoes (or redoes) back to the last step that changed the text.
    void restoreStep(bool back);
    // Runs an edit at the caret, settled.
    void editAtCaret(const std::function<void()>& edit);
    // Settles what a drop removed (a move within the view) before its text goes in.
    void settleDropRemoval();
    void insertLineResult();
    // Tells assistive tools what the caret's line shows but its text does not say: the
    // state of its task box and its result.
    void describeCaretLine();
    std::optional<int> characterAt(const QPointF& viewportPoint) const;
    // The block's top left in viewport coordinates.
    QPointF blockOrigin(const QTextBlock& block) const;
    // The laid-out blocks that reach into `area` of the viewport, top to bottom.
    QList<QTextBlock> visibleBlocks(const QRect& area) const;
    void drawCheckboxes(QPainter& painter, const QRect& area) const;
    void drawResults(QPainter& painter, const QRect& area) const;

    NoteHighlighter* m_highlighter;
    // noteText() of the current content and its piece breaks, made at most once per
    // change.
    mutable std::optional<QString> m_noteText;
    mutable std::optional<LongLines::Breaks> m_breaks;
    // Time stamp and place of the last press, to tell a double click's second press.
    std::optional<std::pair<quint64, QPointF>> m_lastPress;
    // Set while an undo or redo runs by the applied edits it passes.
    std::optional<TextRange> m_restoredSelection;
    // While a drop runs: where the selection it may move away began.
    std::optional<EditStart> m_drop;
};

} // namespace quelto
