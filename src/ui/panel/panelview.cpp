// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/panelview.h"

#include "ui/accessibility/accessiblewidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace quelto {

namespace {

constexpr double kDividerAlpha = 0.5 * 0.2;

class Divider final : public QWidget {
public:
    Divider() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QColor line = palette().color(QPalette::WindowText);
        line.setAlphaF(static_cast<float>(kDividerAlpha));
        painter.fillRect(rect(), line);
    }
};

} // namespace

PanelView::PanelView(NoteStore& store, Preferences& prefs, PanelState& state,
                     const CommandTable& commands, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_state(state)
    , m_commands(commands)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(10, 10, 10, 6);
    header->setSpacing(6);
    m_tabs = new TabStrip(store);
    header->addWidget(m_tabs, 1);
    m_more = new HoverMenuButton;
    m_more->itemsProvider = [this] { return moreMenuItems(); };
    header->addWidget(m_more);
    column->addLayout(header);
    column->addWidget(new Divider);

    m_editor = new EditorBridge(store, prefs, this);
    m_findBar = new FindBar;
    column->addWidget(m_findBar);
    column->addWidget(m_editor->textView(), 1);
    m_find = new FindController(store, *m_editor->textView(), *m_findBar, this);

    connect(&store, &NoteStore::activeIDChanged, this, &PanelView::updateActiveIsScratch);
    updateActiveIsScratch();
    // A screen reader names the editor after the note it shows.
    connect(&store, &NoteStore::activeIDChanged, this, &PanelView::nameEditor);
    connect(&store, &NoteStore::activeIDChanged, this, &PanelView::announceTab);
    connect(&store, &NoteStore::noteTextChanged, this, &PanelView::nameEditor);
    connect(&store, &NoteStore::notesChanged, this, &PanelView::nameEditor);
    nameEditor();
    connect(m_tabs, &TabStrip::focusOrderChanged, this, &PanelView::orderFocus);
    orderFocus();
}

void PanelView::nameEditor()
{
    const Note* active = m_store.activeOrFirst();
    if (active && active->title() != m_editor->textView()->accessibleName())
        m_editor->textView()->setAccessibleName(active->title());
}

void PanelView::announceTab()
{
    // A focused tab is spoken as it takes the focus; elsewhere the switch is said, as
    // screen readers do not speak the editor's new name.
    QWidget* focus = QApplication::focusWidget();
    if (!isVisible() || (focus && m_tabs->isAncestorOf(focus)))
        return;
    const QList<Note> notes = m_store.notes();
    for (qsizetype i = 0; i < notes.size(); ++i) {
        if (notes[i].id == m_store.activeID())
            Accessible::announce(window(), QStringLiteral("%1, tab %2 of %3")
                                               .arg(notes[i].title())
                                               .arg(i + 1)
                                               .arg(notes.size()));
    }
}

QList<QWidget*> PanelView::focusOrder() const
{
    QList<QWidget*> order;
    for (const Note& note : m_store.notes()) {
        if (QWidget* tab = m_tabs->tabFor(note.id))
            order << tab << tab->findChild<QAbstractButton*>();
    }
    order << m_tabs->newTabButton() << m_more << m_findBar->focusOrder() << m_editor->textView();
    order.removeAll(nullptr);
    return order;
}

void PanelView::orderFocus()
{
    // Qt's order is the order widgets were made in; tabs come and go.
    const QList<QWidget*> order = focusOrder();
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void PanelView::moveFocus(bool forward, bool byArea)
{
    QWidget* from = QApplication::focusWidget();
    if (!from || from->window() != window())
        return;
    // Each stop is where the focus goes and what counts as being there.
    QList<std::pair<QWidget*, QWidget*>> stops;
    if (byArea) {
        stops.append(std::pair<QWidget*, QWidget*>{m_tabs->tabFor(m_store.activeID()), m_tabs});
        if (m_find->isOpen())
            stops.append(std::pair<QWidget*, QWidget*>{m_findBar->field(), m_findBar});
        stops.append(std::pair<QWidget*, QWidget*>{m_editor->textView(), m_editor->textView()});
    } else {
        for (QWidget* widget : focusOrder()) {
            if (widget->isVisible() && widget->isEnabled())
                stops.append(std::pair<QWidget*, QWidget*>{widget, widget});
        }
    }
    qsizetype at = byArea && from == m_more ? 0 : -1; // More is in the tabs' row
    for (qsizetype i = 0; i < stops.size(); ++i) {
        if (stops[i].second == from || stops[i].second->isAncestorOf(from))
            at = i;
    }
    const qsizetype count = stops.size();
    const qsizetype to = at < 0 ? 0 : (at + (forward ? 1 : -1) + count) % count;
    if (QWidget* target = stops.value(to).first)
        target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void PanelView::updateActiveIsScratch()
{
    const Note* active = m_store.activeOrFirst();
    if (active)
        m_state.setActiveIsScratch(active->isScratch);
}

QList<MoreMenuItem> PanelView::moreMenuItems() const
{
    const auto item = [this](Command command, bool enabled = true) {
        return MoreMenuItem{commandInfo(command).title, commandKeys(command), enabled,
                            m_commands.handler(command)};
    };
    QList<MoreMenuItem> items{
        item(Command::RenameTab, !m_state.activeIsScratch()),
        item(Command::ClearScratch),
        MoreMenuItem::separator(),
        item(Command::Settings),
    };
    if (m_commands.isBound(Command::CheckForUpdates))
        items.append(item(Command::CheckForUpdates));
    items.append(MoreMenuItem::separator());
    items.append(item(Command::Quit));
    return items;
}

} // namespace quelto
