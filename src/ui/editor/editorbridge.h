// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the editor and the note store in step. While the user types, the view is the
// source: every change goes to the store at once, under the note that was loaded.
// Otherwise the store is: a new active note replaces the text (caret at the end, undo
// forgotten), and a change of the shown note from elsewhere replaces it too (caret
// and scroll position kept where the new length allows). Each line keeps the line
// ending it was stored with. Editor preferences apply live.

#include "core/settings/preferences.h"
#include "core/storage/notestore.h"
#include "core/text/lineendings.h"
#include "ui/editor/editortextview.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

namespace quelto {

class EditorBridge : public QObject {
    Q_OBJECT

public:
    // Changes of at least this many characters are large (a paste, a load).
    static constexpr int kLargeChange = 1 << 20;

    // Opens a URL with the desktop; false when it could not.
    using UrlOpener = std::function<bool(const QUrl&)>;

    // Makes the text view (owned by `parent` widgets as the caller places it) with the
    // preferences' font and arithmetic settings, and loads the active note.
    EditorBridge(NoteStore& store, Preferences& prefs, QObject* parent = nullptr);

    EditorTextView* textView() const { return m_view; }
    std::optional<QUuid> loadedID() const { return m_loadedID; }
    void setEditable(bool editable);
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    // Brings the view in line with the store (runs on every store change).
    void update();

signals:
    // The desktop could not open a link the user activated.
    void linkOpenFailed(const QUrl& url);
    void resultCopied(const QString& result);

private:
    void load(const QUuid& id, bool keepSelection);
    void textDidChange(int position, int removed, int added);
    // Hands one edit of an LF-only note to the store; false when it must go whole.
    bool sendEdit(int position, int added);
    // The note's text as the view shows it now, in the note's own line endings.
    QString storedForm() const;
    void applyPreferences();
    void openLink(const QUrl& url);

    NoteStore& m_store;
    Preferences& m_prefs;
    UrlOpener m_openUrl;
    QPointer<EditorTextView> m_view;
    std::optional<QUuid> m_loadedID;
    bool m_isTyping = false;
    // Every line break is LF: edits go to the store one by one, and the store's text
    // is the view's. Otherwise the view's text after its last load or change, with
    // each line break's ending, is kept here.
    bool m_isLFOnly = true;
    QString m_shownView;
    // An LF-only view's text when the store changed under a composition.
    std::optional<QString> m_divergedView;
    LineEndings::Endings m_endings;
    // What a new line break gets: the note's most common ending.
    char m_newEnding = '\n';
    // m_shownView in the note's own line endings.
    QString m_shownText;
};

} // namespace quelto
