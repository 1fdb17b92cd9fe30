// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Find in the shown note and in every tab. In the note, every match is marked, the
// current one is selected and scrolled to, and "3 of 12" says where it is; the marks
// follow typing and tab switches. Across tabs, the matches are listed by tab and
// line; choosing one shows that tab with the match selected, and finding goes on in
// that note. Case is ignored.

#include "core/storage/notestore.h"
#include "core/text/textsearch.h"
#include "ui/panel/findbar.h"

#include <QObject>

namespace quelto {

class EditorTextView;

class FindController : public QObject {
    Q_OBJECT

public:
    // Marking more matches than this would slow painting down; they are still counted.
    static constexpr qsizetype kMaxMarked = 2000;
    // The list across tabs stops here.
    static constexpr qsizetype kMaxListed = 500;

    struct TabHit {
        QUuid id;
        TextSearch::Hit hit;
        // Which match of its note it is (line endings may differ in the editor).
        qsizetype ordinal = 0;
    };

    FindController(NoteStore& store, EditorTextView& view, FindBar& bar, QObject* parent = nullptr);

    bool isOpen() const;
    bool searchesAllTabs() const { return m_allTabs; }
    // Ctrl+F and Ctrl+Shift+F: show the bar (or switch it) with the field focused and
    // its text selected.
    void openInNote();
    void openInAllTabs();
    void next();
    void previous();
    void choose(int row);
    void close();

    QList<TextRange> matches() const { return m_matches; }
    qsizetype current() const { return m_current; }
    QList<TabHit> tabHits() const { return m_tabHits; }
    // Searches every tab's text for the bar's query (what Ctrl+Shift+F lists).
    void searchAllTabs();

signals:
    // The bar closed; the editor may take the focus back.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows how many matches there are, and has a screen reader say it.
    void showCount(const QString& text);
    void open(bool allTabs);
    void refresh();
    void findInNote(bool keepPlace);
    void show(qsizetype index);
    void mark();
    void listTabHits();

    NoteStore& m_store;
    EditorTextView& m_view;
    FindBar& m_bar;
    bool m_allTabs = false;
    QList<TextRange> m_matches;
    qsizetype m_current = -1;
    QList<TabHit> m_tabHits;
};

} // namespace quelto
