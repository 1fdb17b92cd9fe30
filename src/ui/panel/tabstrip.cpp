// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/tabstrip.h"

#include "ui/accessibility/accessiblewidget.h"
#include "ui/accessibility/focusringstyle.h"
#include "ui/commands/commandtable.h"
#include "ui/editor/editortheme.h"
#include "ui/panel/tabscrollarea.h"
#include "ui/tray/closuremenu.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

namespace quelto {

namespace {

constexpr int kTitleMaxWidth = 140;
constexpr int kRenameMinWidth = 40;
constexpr int kTitlePoints = 12;
constexpr double kTabRadius = 7;
constexpr int kButtonSide = 22;
// Room for the field's own margins and the caret beside the text.
constexpr int kFieldPadding = 10;

QFont tabFont(const QFont& base, bool active)
{
    QFont font = base;
    font.setPointSize(kTitlePoints);
    font.setWeight(active ? QFont::DemiBold : QFont::Medium);
    return font;
}

// Esc cancels the rename; Return and focus loss commit it.
class RenameField final : public QLineEdit {
public:
    explicit RenameField(TabStrip& strip)
        : m_strip(strip)
    {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape) {
            m_strip.cancelRename();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

private:
    TabStrip& m_strip;
};

// One tab, made once for its note and updated in place, so that a drag or a rename
// that it hosts outlives every change of the store.
class TabView final : public QWidget {
public:
    TabView(TabStrip& strip, const Note& note)
        : m_strip(strip)
        , m_id(note.id)
        , m_scratch(note.isScratch)
    {
        Accessible::setRole(this, QAccessible::PageTab);
        Accessible::setPressAction(this, [this] { m_strip.activate(m_id); });
        setObjectName(QStringLiteral("tab"));
        setAcceptDrops(!note.isScratch);
        setFocusPolicy(Qt::TabFocus);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(9, 5, 9, 5);
        row->setSpacing(4);
        m_title = new QLabel(this);
        Accessible::hide(m_title); // the tab is named after the whole title
        row->addWidget(m_title);
        if (!note.isScratch) {
            m_close = new QToolButton;
            m_close->setObjectName(QStringLiteral("close"));
            m_close->setText(QStringLiteral("✕"));
            m_close->setAutoRaise(true);
            m_close->setFocusPolicy(Qt::TabFocus);
            FocusRing::apply(m_close);
            m_close->setToolTip(toolTipWithKeys(QStringLiteral("Close tab"), Command::CloseTab));
            m_close->setAccessibleName(QStringLiteral("Close tab"));
            QFont small = m_close->font();
            small.setPointSize(8);
            small.setBold(true);
            m_close->setFont(small);
            m_close->hide();
            QObject::connect(m_close, &QToolButton::clicked, this,
                             [this] { emit m_strip.closeRequested(m_id); });
            row->addWidget(m_close);
        }
        showNote(note, false);
    }

    QUuid id() const { return m_id; }
    QLineEdit* field() const { return m_field; }

    // Shows the note's title and whether it is the active tab; untouched when neither
    // changed.
    void showNote(const Note& note, bool active)
    {
        const QString text = note.title();
        if (text == m_text && active == m_active && !m_title->text().isEmpty())
            return;
        m_text = text;
        m_active = active;
        if (accessibleName() != text)
            setAccessibleName(text);
        Accessible::setSelected(this, active);
        m_title->setFont(tabFont(font(), active));
        m_title->setText(m_title->fontMetrics().elidedText(text, Qt::ElideRight, kTitleMaxWidth));
        m_title->setToolTip(text);
        QPalette p = m_title->palette();
        p.setColor(QPalette::WindowText, active ? palette().color(QPalette::WindowText)
                                                : EditorTheme::secondary(palette()));
        m_title->setPalette(p);
        if (m_close)
            m_close->setVisible(active);
        update();
    }

    // The rename field in place of the title, or the title again.
    QLineEdit* startRename(const QString& draft)
    {
        if (!m_field) {
            m_field = new RenameField(m_strip);
            m_field->setPlaceholderText(QStringLiteral("Name"));
            m_field->setFont(tabFont(font(), false));
            m_field->setFrame(false);
            static_cast<QHBoxLayout*>(layout())->insertWidget(0, m_field);
            // As wide as what it holds, within what the strip can show.
            QObject::connect(m_field, &QLineEdit::textChanged, m_field, [this] { fitField(); });
        }
        m_field->setText(draft);
        fitField();
        m_field->show();
        m_title->hide();
        return m_field;
    }

    void fitField()
    {
        const QString shown =
            m_field->text().isEmpty() ? m_field->placeholderText() : m_field->text();
        const int wanted = m_field->fontMetrics().horizontalAdvance(shown) + kFieldPadding;
        // What the tab holds besides the field: its padding and the close button.
        const QMargins margins = layout()->contentsMargins();
        int around = margins.left() + margins.right();
        if (m_close && m_close->isVisibleTo(this))
            around += layout()->spacing() + m_close->sizeHint().width();
        const int room = std::max(kRenameMinWidth, m_strip.roomForTab() - around);
        m_field->setFixedWidth(std::clamp(wanted, kRenameMinWidth, room));
        m_strip.scrollArea()->reveal(this);
    }

    void endRename()
    {
        if (!m_field)
            return;
        m_field->disconnect(&m_strip);
        m_field->hide();
        m_field->deleteLater();
        m_field = nullptr;
        m_title->show();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        FocusRing::paintRoundedFace(painter, *this, kTabRadius, m_active);
    }

    // Arrows, Home and End go to another tab; Return chooses this one for typing;
    // Shift+F10 opens its menu.
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
            m_strip.moveToTab(m_id, event->key());
            return;
        case Qt::Key_Space:
            m_strip.activate(m_id);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_strip.activate(m_id);
            emit m_strip.chosen();
            return;
        case Qt::Key_F10: // Shift+F10, the menu key's stand-in
            if (event->modifiers() & Qt::ShiftModifier) {
                QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(0, height()),
                                       mapToGlobal(QPoint(0, height())));
                contextMenuEvent(&menu);
                return;
            }
            break;
        default:
            break;
        }
        QWidget::keyPressEvent(event);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_pressAt = event->position();
        event->accept();
    }

    // A click activates on release, so that a press can still become a drag.
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && m_pressAt) {
            m_pressAt.reset();
            m_strip.activate(m_id);
        }
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (m_scratch || !m_pressAt || !(event->buttons() & Qt::LeftButton) ||
            (event->position() - *m_pressAt).manhattanLength() < QApplication::startDragDistance())
            return;
        m_pressAt.reset();
        auto* mime = new QMimeData;
        mime->setData(kTabMimeType, m_id.toString(QUuid::WithoutBraces).toUpper().toUtf8());
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->setPixmap(grab());
        drag->exec(Qt::MoveAction);
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (!m_scratch)
            m_strip.beginRename(m_id);
        event->accept();
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        QMenu* menu = m_strip.contextMenuFor(m_id, this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (!event->mimeData()->hasFormat(kTabMimeType))
            return;
        const QUuid dragged =
            QUuid::fromString(QString::fromUtf8(event->mimeData()->data(kTabMimeType)));
        event->setDropAction(Qt::MoveAction);
        event->accept();
        if (!dragged.isNull())
            m_strip.dragEntered(dragged, m_id);
    }

    void dragMoveEvent(QDragMoveEvent* event) override
    {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }

    void dropEvent(QDropEvent* event) override
    {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }

private:
    TabStrip& m_strip;
    QUuid m_id;
    bool m_scratch;
    bool m_active = false;
    QString m_text;
    QLabel* m_title = nullptr;
    QToolButton* m_close = nullptr;
    QLineEdit* m_field = nullptr;
    std::optional<QPointF> m_pressAt;
};

} // namespace

TabStrip::TabStrip(NoteStore& store, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
{
    Accessible::setRole(this, QAccessible::PageTabList);
    setAccessibleName(QStringLiteral("Tabs"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = m_scroll = new TabScrollArea;
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    m_row = new QHBoxLayout(content);
    m_row->setContentsMargins(2, 0, 2, 0);
    m_row->setSpacing(4);
    m_newTab = new QToolButton;
    m_newTab->setObjectName(QStringLiteral("newTab"));
    m_newTab->setText(QStringLiteral("+"));
    m_newTab->setAutoRaise(true);
    m_newTab->setFocusPolicy(Qt::TabFocus);
    FocusRing::apply(m_newTab);
    m_newTab->setFixedSize(kButtonSide, kButtonSide);
    m_newTab->setAccessibleName(QStringLiteral("New tab"));
    connect(m_newTab, &QToolButton::clicked, this, [this] { m_store.createNote(); });
    m_row->addStretch(1);
    scroll->setWidget(content);
    // After setWidget, which turns filling on: an opaque band would show on the
    // translucent surface.
    content->setAutoFillBackground(false);
    // + right after the last tab, and still in reach when the tabs fill the strip.
    outer->setSpacing(2);
    outer->addWidget(scroll);
    outer->addWidget(m_newTab);
    outer->addStretch(1);
    setFixedHeight(kButtonSide + 12);

    // The keyboard's focus is never on a tab or button scrolled out of sight.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && m_scroll->widget()->isAncestorOf(now))
            m_scroll->reveal(now->parentWidget() == m_scroll->widget() ? now : now->parentWidget());
    });
    connect(&store, &NoteStore::notesChanged, this, &TabStrip::sync);
    connect(&store, &NoteStore::activeIDChanged, this, &TabStrip::sync);
    connect(&store, &NoteStore::noteTextChanged, this, &TabStrip::showTitleOf);
    sync();
}

QWidget* TabStrip::tabFor(const QUuid& id) const
{
    return m_tabs.value(id);
}

void TabStrip::showTitleOf(const QUuid& id)
{
    TabView* tab = static_cast<TabView*>(m_tabs.value(id));
    if (const Note* note = m_store.note(id); tab && note) {
        tab->showNote(*note, id == m_store.activeID());
        // Typing widens the active tab: it stays whole, its close button too.
        if (id == m_store.activeID())
            m_scroll->reveal(tab);
    }
}

void TabStrip::sync()
{
    const QList<Note> notes = m_store.notes();
    QSet<QUuid> ids;
    for (const Note& note : notes)
        ids.insert(note.id);
    for (auto it = m_tabs.begin(); it != m_tabs.end();) {
        if (ids.contains(it.key())) {
            ++it;
            continue;
        }
        if (m_renamingID == it.key())
            endRename();
        it.value()->hide();
        it.value()->deleteLater();
        it = m_tabs.erase(it);
    }
    for (qsizetype i = 0; i < notes.size(); ++i) {
        auto* tab = static_cast<TabView*>(m_tabs.value(notes[i].id));
        if (!tab) {
            tab = new TabView(*this, notes[i]);
            m_tabs.insert(notes[i].id, tab);
        }
        // Moved within the row, never made again: a drag it runs goes on.
        if (m_row->indexOf(tab) != i) {
            m_row->removeWidget(tab);
            m_row->insertWidget(int(i), tab);
        }
        tab->showNote(notes[i], notes[i].id == m_store.activeID());
        tab->show();
    }
    emit focusOrderChanged();
    // Every switch, and every new tab, shows the active tab whole.
    if (m_shownActive != m_store.activeID())
        revealActive();
    const bool full = notes.size() >= NoteStore::kMaxNotes;
    m_newTab->setEnabled(canCreate && !full);
    m_newTab->setToolTip(full ? QStringLiteral("Up to 12 tabs")
                              : toolTipWithKeys(QStringLiteral("New tab"), Command::NewTab));
}

void TabStrip::moveToTab(const QUuid& from, int key)
{
    const QList<Note> notes = m_store.notes();
    qsizetype at = 0;
    while (at < notes.size() && notes[at].id != from)
        ++at;
    if (key == Qt::Key_Home || key == Qt::Key_End)
        at = key == Qt::Key_Home ? 0 : notes.size() - 1;
    else
        at = (at + (key == Qt::Key_Left ? -1 : 1) + notes.size()) % notes.size();
    activate(notes[at].id);
    if (QWidget* tab = m_tabs.value(notes[at].id))
        tab->setFocus(Qt::TabFocusReason);
}

void TabStrip::revealActive()
{
    if (QWidget* active = m_tabs.value(m_store.activeID())) {
        m_shownActive = m_store.activeID();
        m_scroll->reveal(active);
    }
}

void TabStrip::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    revealActive();
}

void TabStrip::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    revealActive();
}

int TabStrip::roomForTab() const
{
    return m_scroll->viewport()->width();
}

QMenu* TabStrip::contextMenuFor(const QUuid& id, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    const Note* note = m_store.note(id);
    if (!note)
        return menu;
    if (note->isScratch) {
        addClosureItem(menu, commandInfo(Command::ClearScratch).title, {},
                       [this] { emit clearScratchRequested(); });
    } else {
        addClosureItem(menu, QStringLiteral("Rename…"), {}, [this, id] { beginRename(id); });
        addClosureItem(menu, commandInfo(Command::CloseTab).title, {},
                       [this, id] { emit closeRequested(id); });
    }
    return menu;
}

void TabStrip::beginRename(const QUuid& id)
{
    const Note* note = m_store.note(id);
    if (!note || note->isScratch)
        return;
    if (m_renamingID && m_renamingID != id)
        endRename();
    auto* tab = static_cast<TabView*>(m_tabs.value(id));
    if (!tab)
        return;
    m_draft = note->customTitle.value_or(note->title());
    m_renamingID = id;
    m_renameField = tab->startRename(m_draft);
    connect(m_renameField, &QLineEdit::textEdited, this, [this](const QString& t) { m_draft = t; });
    connect(m_renameField, &QLineEdit::editingFinished, this, &TabStrip::commitRename);
    // Focus once the event that asked has finished.
    QTimer::singleShot(0, this, [this] {
        if (m_renameField) {
            m_renameField->setFocus();
            m_renameField->selectAll();
        }
    });
}

void TabStrip::activate(const QUuid& id)
{
    if (m_renamingID == id)
        return;
    // A clicked tab that is already in view stays under the pointer, so that the
    // second click of a double click still finds it.
    if (QWidget* tab = m_tabs.value(id);
        tab && m_scroll->viewport()->rect().contains(
                   QRect(tab->mapTo(m_scroll->viewport(), QPoint()), tab->size())))
        m_shownActive = id;
    m_store.activate(id);
}

void TabStrip::beginRenameActive()
{
    beginRename(m_store.activeID());
}

void TabStrip::commitRename()
{
    if (!m_renamingID)
        return;
    const QUuid id = *m_renamingID;
    const QString draft = m_draft;
    endRename();
    m_store.rename(id, draft);
}

void TabStrip::cancelRename()
{
    endRename();
}

void TabStrip::endRename()
{
    if (!m_renamingID)
        return;
    const QUuid id = *std::exchange(m_renamingID, std::nullopt);
    // Its focus loss while going away commits nothing.
    if (auto* tab = static_cast<TabView*>(m_tabs.value(id)))
        tab->endRename();
    m_renameField = nullptr;
    emit renameEnded();
}

void TabStrip::dragEntered(const QUuid& dragged, const QUuid& target)
{
    qsizetype from = -1;
    qsizetype to = -1;
    const QList<Note> notes = m_store.notes();
    for (qsizetype i = 0; i < notes.size(); ++i) {
        if (notes[i].id == dragged)
            from = i;
        if (notes[i].id == target)
            to = i;
    }
    if (from <= 0 || to <= 0 || from == to)
        return;
    m_store.move({from}, from < to ? to + 1 : to);
}

} // namespace quelto
