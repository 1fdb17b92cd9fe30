// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/findcontroller.h"

#include "ui/accessibility/accessiblewidget.h"
#include "ui/editor/editortextview.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace quelto {

namespace {

constexpr double kMarkAlpha = 0.25;
constexpr double kCurrentAlpha = 0.55;
constexpr qsizetype kContext = 24; // characters shown before a listed match
constexpr qsizetype kExcerpt = 90; // characters of its line shown at most

QString excerpt(const QString& text, const TextSearch::Hit& hit)
{
    const qsizetype from = std::max(hit.lineRange.location, hit.range.location - kContext);
    QString shown = text.mid(from, std::min(kExcerpt, hit.lineRange.end() - from)).trimmed();
    if (from > hit.lineRange.location)
        shown.prepend(u'…');
    return shown;
}

} // namespace

FindController::FindController(NoteStore& store, EditorTextView& view, FindBar& bar,
                               QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_view(view)
    , m_bar(bar)
{
    m_bar.hide();
    m_view.installEventFilter(this);
    connect(&bar, &FindBar::queryChanged, this, &FindController::refresh);
    connect(&bar, &FindBar::nextRequested, this, &FindController::next);
    connect(&bar, &FindBar::previousRequested, this, &FindController::previous);
    connect(&bar, &FindBar::resultChosen, this, &FindController::choose);
    connect(&bar, &FindBar::closeRequested, this, &FindController::close);
    // Typing and switching tabs move the matches.
    connect(&store, &NoteStore::noteTextChanged, this, [this](const QUuid& id) {
        if (isOpen() && !m_allTabs && id == m_store.activeID())
            findInNote(true);
    });
    connect(&store, &NoteStore::activeIDChanged, this, [this] {
        if (isOpen() && !m_allTabs)
            findInNote(false);
    });
}

bool FindController::isOpen() const
{
    return !m_bar.isHidden();
}

void FindController::openInNote()
{
    open(false);
}

void FindController::openInAllTabs()
{
    open(true);
}

void FindController::open(bool allTabs)
{
    m_allTabs = allTabs;
    const QString name = allTabs ? QStringLiteral("Find in all tabs") : QStringLiteral("Find");
    m_bar.field()->setPlaceholderText(name);
    m_bar.field()->setAccessibleName(name);
    m_bar.results()->setVisible(allTabs);
    m_bar.show();
    // Focused for no reason a line edit selects on, so that assistive tools hear of
    // the focus before the selection and say where it went.
    m_bar.field()->setFocus(Qt::OtherFocusReason);
    m_bar.field()->selectAll();
    refresh();
}

void FindController::refresh()
{
    if (m_allTabs) {
        m_view.setExtraSelections({});
        searchAllTabs();
        listTabHits();
    } else {
        findInNote(false);
    }
}

void FindController::findInNote(bool keepPlace)
{
    const QString text = m_view.noteText();
    m_matches = TextSearch::findAll(text, m_bar.field()->text());
    // The current match is the first at or after the caret (or the selected match).
    const qsizetype from = m_view.selection().location;
    m_current = -1;
    for (qsizetype i = 0; i < m_matches.size(); ++i) {
        if (m_matches[i].location >= from) {
            m_current = i;
            break;
        }
    }
    if (m_current < 0 && !m_matches.isEmpty())
        m_current = 0;
    // While the user types in the note, the marks follow and the caret stays put.
    if (keepPlace)
        mark();
    else
        show(m_current);
}

void FindController::next()
{
    if (m_allTabs || m_matches.isEmpty())
        return;
    show((m_current + 1) % m_matches.size());
}

void FindController::previous()
{
    if (m_allTabs || m_matches.isEmpty())
        return;
    show((m_current - 1 + m_matches.size()) % m_matches.size());
}

void FindController::show(qsizetype index)
{
    m_current = index;
    if (index >= 0) {
        m_view.select(m_matches[index]);
        m_view.ensureCursorVisible();
    }
    mark();
}

void FindController::mark()
{
    const bool searched = !m_bar.field()->text().isEmpty();
    showCount(!searched ? QString()
              : m_matches.isEmpty()
                  ? QStringLiteral("No matches")
                  : QStringLiteral("%1 of %2").arg(m_current + 1).arg(m_matches.size()));
    QColor marked = m_view.palette().color(QPalette::Highlight);
    QList<QTextEdit::ExtraSelection> marks;
    const qsizetype shown = std::min(m_matches.size(), kMaxMarked);
    marks.reserve(shown);
    for (qsizetype i = 0; i < shown; ++i) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = m_view.cursorFor(m_matches[i]);
        marked.setAlphaF(static_cast<float>(i == m_current ? kCurrentAlpha : kMarkAlpha));
        mark.format.setBackground(marked);
        marks.append(mark);
    }
    m_view.setExtraSelections(marks);
}

void FindController::searchAllTabs()
{
    m_tabHits.clear();
    const QString query = m_bar.field()->text();
    for (const Note& note : m_store.notes()) {
        const QList<TextSearch::Hit> hits =
            TextSearch::hits(note.text, query, kMaxListed - m_tabHits.size());
        for (qsizetype i = 0; i < hits.size(); ++i)
            m_tabHits.append(TabHit{note.id, hits[i], i});
        if (m_tabHits.size() >= kMaxListed)
            break;
    }
}

void FindController::listTabHits()
{
    QListWidget* list = m_bar.results();
    list->clear();
    QSet<QUuid> tabs;
    for (const TabHit& tabHit : std::as_const(m_tabHits)) {
        const Note* note = m_store.note(tabHit.id);
        if (!note)
            continue;
        tabs.insert(tabHit.id);
        const QString title = note->title();
        const QString shown = excerpt(note->text, tabHit.hit);
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 · line %2 — %3").arg(title).arg(tabHit.hit.line + 1).arg(shown),
            list);
        // Matches on one line look alike; a screen reader tells them apart by column.
        item->setData(Qt::AccessibleTextRole,
                      QStringLiteral("%1, line %2, column %3: %4")
                          .arg(title)
                          .arg(tabHit.hit.line + 1)
                          .arg(tabHit.hit.range.location - tabHit.hit.lineRange.location + 1)
                          .arg(shown));
    }
    list->setCurrentRow(list->count() > 0 ? 0 : -1);
    // At the limit there may be more than are listed.
    const QString found = QString::number(m_tabHits.size()) +
                          (m_tabHits.size() >= kMaxListed ? QStringLiteral("+") : QString());
    QString counted;
    if (!m_bar.field()->text().isEmpty()) {
        counted = m_tabHits.isEmpty() ? QStringLiteral("No matches")
                  : tabs.size() == 1  ? QStringLiteral("%1 in 1 tab").arg(found)
                                      : QStringLiteral("%1 in %2 tabs").arg(found).arg(tabs.size());
    }
    showCount(counted);
}

void FindController::showCount(const QString& text)
{
    if (text == m_bar.count()->text())
        return;
    m_bar.count()->setText(text);
    Accessible::announce(m_bar.window(), text);
}

bool FindController::eventFilter(QObject* watched, QEvent* event)
{
    // Tabbing into the editor from the bar leaves the caret after the match rather
    // than the match selected, where the next key would type over it.
    const auto tabbedIn = [event] {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    };
    if (watched == &m_view && event->type() == QEvent::FocusIn && isOpen() && tabbedIn()) {
        QTextCursor cursor = m_view.textCursor();
        if (cursor.hasSelection()) {
            cursor.setPosition(cursor.selectionEnd());
            m_view.setTextCursor(cursor);
        }
    }
    return QObject::eventFilter(watched, event);
}

void FindController::choose(int row)
{
    if (!m_allTabs || row < 0 || row >= m_tabHits.size())
        return;
    const TabHit chosen = m_tabHits[row];
    // Finding goes on in the chosen note, from the chosen match.
    m_allTabs = false;
    m_bar.results()->hide();
    m_bar.field()->setPlaceholderText(QStringLiteral("Find"));
    m_bar.field()->setAccessibleName(QStringLiteral("Find"));
    m_store.activate(chosen.id);
    m_matches = TextSearch::findAll(m_view.noteText(), m_bar.field()->text());
    show(std::min(chosen.ordinal, m_matches.size() - 1));
}

void FindController::close()
{
    if (!isOpen())
        return;
    m_bar.hide();
    m_view.setExtraSelections({});
    m_matches.clear();
    m_current = -1;
    emit closed();
}

} // namespace quelto
