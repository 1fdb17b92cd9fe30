#include "ui/editor/editorbridge.h"

#include "ui/editor/preedit.h"

#include <QDesktopServices>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

namespace quelto {

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
            [this](int, int removed, int added) {
                if (removed > 0 || added > 0)
                    textDidChange();
            });
    connect(&store, &NoteStore::notesChanged, this, &EditorBridge::update);
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
    const int scrolled = m_view->verticalScrollBar()->value();
    m_loadedID = id;
    const Note* note = m_store.note(id);
    m_shownText = note ? note->text : QString();
    LineEndings::Split split = LineEndings::split(m_shownText);
    m_endings = std::move(split.endings);
    m_newEnding = LineEndings::mostCommon(m_endings);
    m_isTyping = true; // the view is only taking the store's text, not changing it
    m_view->loadText(split.text);
    m_isTyping = false;
    m_shownView = m_view->noteText();
    const int length = m_view->document()->characterCount() - 1;
    QTextCursor caret(m_view->document());
    caret.setPosition(keepSelection ? std::min(previous, length) : length);
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
    if (m_isTyping || isComposing(m_view->textCursor()))
        return;
    const Note* active = m_store.activeOrFirst();
    if (active && active->text != m_shownText)
        load(active->id, true);
}

void EditorBridge::textDidChange()
{
    if (!m_view || !m_loadedID || m_isTyping)
        return;
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
