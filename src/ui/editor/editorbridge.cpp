// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/editorbridge.h"

#include "ui/editor/preedit.h"

#include <QDesktopServices>
#include <QScrollBar>
#include <QTimer>

#include <QTextBlock>
#include <QTextLayout>
#include <malloc.h>

namespace quelto {

namespace {

// A large paste or load leaves the copies it passed through freed but still held by
// the allocator; once the event is over they go back to the system.
void releaseFreedMemory()
{
    QTimer::singleShot(0, [] { malloc_trim(0); });
}

} // namespace

EditorBridge::EditorBridge(NoteStore& store, Preferences& prefs, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_prefs(prefs)
    , m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    m_view = new EditorTextView(prefs.fontSize(), prefs.useMonospace(), prefs.mathEnabled());
    connect(m_view, &EditorTextView::linkActivated, this, &EditorBridge::openLink);
    connect(m_view, &EditorTextView::resultCopied, this, &EditorBridge::resultCopied);
    connect(m_view->document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) {
                if (removed > 0 || added > 0)
                    textDidChange(position, removed, added);
            });
    connect(&store, &NoteStore::notesChanged, this, &EditorBridge::update);
    connect(&store, &NoteStore::noteTextChanged, this, [this](const QUuid& id) {
        if (id == m_loadedID)
            update();
    });
    connect(&store, &NoteStore::activeIDChanged, this, &EditorBridge::update);
    connect(&prefs, &Preferences::queltoEditorPrefsChanged, this, &EditorBridge::applyPreferences);
    connect(m_view, &QObject::destroyed, this, [this] { m_loadedID.reset(); });
    load(store.activeID(), false);
}

void EditorBridge::setEditable(bool editable)
{
    if (m_view)
        m_view->setReadOnly(!editable);
}

void EditorBridge::openLink(const QUrl& url)
{
    if (!EditorTextView::isAllowedScheme(url))
        return;
    if (!m_openUrl(url))
        emit linkOpenFailed(url);
}

void EditorBridge::load(const QUuid& id, bool keepSelection)
{
    if (!m_view)
        return;
    const int previous = m_view->textCursor().position();
    // A caret at the end stays at the end, as when text arrives in an empty note.
    const bool wasAtEnd = previous == m_view->document()->characterCount() - 1;
    const int scrolled = m_view->verticalScrollBar()->value();
    m_loadedID = id;
    const Note* note = m_store.note(id);
    m_shownText = note ? note->text : QString();
    LineEndings::Split split = LineEndings::split(m_shownText);
    m_endings = std::move(split.endings);
    m_newEnding = LineEndings::mostCommon(m_endings);
    m_isLFOnly = m_newEnding == '\n' && !m_endings.contains('w') && !m_endings.contains('\r') &&
                 !m_endings.contains('p');
    m_isTyping = true; // the view is only taking the store's text, not changing it
    m_view->loadText(split.text);
    m_isTyping = false;
    m_divergedView.reset();
    m_shownView = m_isLFOnly ? QString() : m_view->noteText();
    if (m_isLFOnly)
        m_shownText.clear();
    const int length = m_view->document()->characterCount() - 1;
    QTextCursor caret(m_view->document());
    caret.setPosition(keepSelection && !wasAtEnd ? std::min(previous, length) : length);
    m_view->setTextCursor(caret);
    if (keepSelection)
        m_view->verticalScrollBar()->setValue(scrolled);
    else
        m_view->ensureCursorVisible();
    m_view->viewport()->update();
}

void EditorBridge::update()
{
    if (!m_view)
        return;
    if (m_loadedID != m_store.activeID()) {
        load(m_store.activeID(), false);
        return;
    }
    if (m_isTyping)
        return;
    if (isComposing(m_view->textCursor())) {
        // The store moved on under a composition: the view is no longer the store's
        // text plus its edits until it is loaded again or its own text wins.
        if (m_isLFOnly && !m_divergedView)
            m_divergedView = m_view->noteText();
        return;
    }
    const Note* active = m_store.activeOrFirst();
    if (active && active->text != storedForm())
        load(active->id, true);
}

QString EditorBridge::storedForm() const
{
    return m_isLFOnly ? m_view->noteText() : m_shownText;
}

bool EditorBridge::sendEdit(int position, int added)
{
    const Note* note = m_store.note(*m_loadedID);
    if (!note)
        return false;
    const int documentLength = m_view->document()->characterCount() - 1;
    // Qt may count the document's final paragraph end into a change; the lengths
    // before and after tell how much of the note really went. Positions are the
    // note's, which count no break between the pieces of a long line.
    const qsizetype length = m_view->toNote(documentLength);
    const qsizetype end = m_view->toNote(std::min(position + added, documentLength));
    position = m_view->toNote(position);
    const qsizetype removed = note->text.size() - (length - (end - position));
    if (position > length || removed < 0 || position + removed > note->text.size())
        return false;
    const QString inserted = m_view->noteText({position, end - position});
    // Qt also reports restyling and input-method previews as content changes: the
    // store sees those as no change.
    return m_store.editText(*m_loadedID, position, removed, inserted);
}

void EditorBridge::textDidChange(int position, int removed, int added)
{
    if (std::max(removed, added) >= kLargeChange)
        releaseFreedMemory();
    if (!m_view || !m_loadedID || m_isTyping)
        return;
    if (m_isLFOnly && m_divergedView) {
        QString view = m_view->noteText();
        if (view == *m_divergedView)
            return; // restyling or a preview, not typing
        m_divergedView.reset();
        m_isTyping = true;
        m_store.updateText(view, *m_loadedID);
        m_isTyping = false;
        return;
    }
    if (m_isLFOnly) {
        m_isTyping = true;
        const bool sent = sendEdit(position, added);
        if (!sent)
            m_store.updateText(m_view->noteText(), *m_loadedID);
        m_isTyping = false;
        return;
    }
    // Qt also reports restyling and input-method previews as content changes; only a
    // real change of the text may reach the store, or stale text would overwrite it.
    QString view = m_view->noteText();
    if (view == m_shownView)
        return;
    m_endings = LineEndings::carry(m_shownView, m_endings, view, m_newEnding);
    m_shownText = LineEndings::join(view, m_endings, m_newEnding);
    m_shownView = std::move(view);
    m_isTyping = true;
    m_store.updateText(m_shownText, *m_loadedID);
    m_isTyping = false;
}

void EditorBridge::applyPreferences()
{
    if (!m_view)
        return;
    NoteHighlighter& highlighter = m_view->highlighter();
    highlighter.setTheme(EditorTheme{double(m_prefs.fontSize()), m_prefs.useMonospace()});
    highlighter.setMathEnabled(m_prefs.mathEnabled());
    m_view->viewport()->update();
}

} // namespace quelto
