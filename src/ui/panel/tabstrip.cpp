#include "ui/panel/tabstrip.h"

#include "ui/commands/commandtable.h"
#include "ui/editor/editortheme.h"
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
#include <QPainterPath>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>

namespace quelto {

namespace {

constexpr int kTitleMaxWidth = 140;
constexpr int kRenameMinWidth = 40;
constexpr int kTitlePoints = 12;
constexpr double kTabRadius = 7;
constexpr double kActiveAlpha = 0.1;
constexpr int kButtonSide = 22;

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

class TabView final : public QWidget {
public:
    TabView(TabStrip& strip, const Note& note, bool active)
        : m_strip(strip)
        , m_id(note.id)
        , m_scratch(note.isScratch)
        , m_active(active)
    {
        setObjectName(QStringLiteral("tab"));
        setAcceptDrops(!note.isScratch);
        setFocusPolicy(Qt::NoFocus);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(9, 5, 9, 5);
        row->setSpacing(4);
        if (strip.renamingID() == note.id) {
            auto* field = new RenameField(strip);
            field->setPlaceholderText(QStringLiteral("Name"));
            field->setFont(tabFont(font(), false));
            field->setMinimumWidth(kRenameMinWidth);
            field->setMaximumWidth(kTitleMaxWidth);
            field->setFrame(false);
            row->addWidget(field);
            m_field = field;
        } else {
            auto* title = new QLabel;
            title->setFont(tabFont(font(), active));
            const QString text = note.title();
            title->setText(title->fontMetrics().elidedText(text, Qt::ElideRight, kTitleMaxWidth));
            title->setToolTip(text);
            QPalette p = title->palette();
            p.setColor(QPalette::WindowText, active ? palette().color(QPalette::WindowText)
                                                    : EditorTheme::secondary(palette()));
            title->setPalette(p);
            row->addWidget(title);
            m_title = title;
        }
        if (active && !note.isScratch) {
            auto* close = new QToolButton;
            close->setObjectName(QStringLiteral("close"));
            close->setText(QStringLiteral("✕"));
            close->setAutoRaise(true);
            close->setFocusPolicy(Qt::NoFocus);
            close->setToolTip(toolTipWithKeys(QStringLiteral("Close tab"), Command::CloseTab));
            close->setAccessibleName(QStringLiteral("Close tab"));
            QFont small = close->font();
            small.setPointSize(8);
            small.setBold(true);
            close->setFont(small);
            QObject::connect(close, &QToolButton::clicked, this,
                             [this] { emit m_strip.closeRequested(m_id); });
            row->addWidget(close);
        }
    }

    QLineEdit* field() const { return m_field; }
    QUuid id() const { return m_id; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!m_active)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(static_cast<float>(kActiveAlpha));
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), kTabRadius, kTabRadius);
        painter.fillPath(path, fill);
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
        if (!dragged.isNull()) {
            // Reordering rebuilds the strip, this tab included: do it after the event.
            QTimer::singleShot(0, &m_strip, [strip = &m_strip, dragged, target = m_id] {
                strip->dragEntered(dragged, target);
            });
        }
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
    bool m_active;
    QLabel* m_title = nullptr;
    QLineEdit* m_field = nullptr;
    std::optional<QPointF> m_pressAt;
};

} // namespace

TabStrip::TabStrip(NoteStore& store, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
{
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea;
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    m_row = new QHBoxLayout(content);
    m_row->setContentsMargins(2, 0, 2, 0);
    m_row->setSpacing(4);
    m_newTab = new QToolButton;
    m_newTab->setObjectName(QStringLiteral("newTab"));
    m_newTab->setText(QStringLiteral("+"));
    m_newTab->setAutoRaise(true);
    m_newTab->setFocusPolicy(Qt::NoFocus);
    m_newTab->setFixedSize(kButtonSide, kButtonSide);
    m_newTab->setAccessibleName(QStringLiteral("New tab"));
    connect(m_newTab, &QToolButton::clicked, this, [this] { m_store.createNote(); });
    m_row->addWidget(m_newTab);
    m_row->addStretch(1);
    scroll->setWidget(content);
    outer->addWidget(scroll);
    setFixedHeight(content->sizeHint().height() + 12);

    connect(&store, &NoteStore::notesChanged, this, &TabStrip::rebuild);
    connect(&store, &NoteStore::activeIDChanged, this, &TabStrip::rebuild);
    rebuild();
}

QWidget* TabStrip::tabFor(const QUuid& id) const
{
    for (QWidget* tab : m_tabs) {
        if (static_cast<TabView*>(tab)->id() == id)
            return tab;
    }
    return nullptr;
}

void TabStrip::rebuild()
{
    if (m_renameField)
        m_renameField->disconnect(this); // its focus loss while going away commits nothing
    for (QWidget* tab : std::as_const(m_tabs)) {
        tab->hide();
        tab->deleteLater();
    }
    m_tabs.clear();
    const QList<Note> notes = m_store.notes();
    for (qsizetype i = 0; i < notes.size(); ++i) {
        auto* tab = new TabView(*this, notes[i], notes[i].id == m_store.activeID());
        m_row->insertWidget(int(i), tab);
        m_tabs.append(tab);
        if (QLineEdit* field = tab->field()) {
            m_renameField = field;
            field->setText(m_draft);
            connect(field, &QLineEdit::textEdited, this, [this](const QString& t) { m_draft = t; });
            connect(field, &QLineEdit::editingFinished, this, &TabStrip::commitRename);
        }
    }
    const bool full = m_store.notes().size() >= NoteStore::kMaxNotes;
    m_newTab->setEnabled(canCreate && !full);
    m_newTab->setToolTip(full ? QStringLiteral("Up to 12 tabs")
                              : toolTipWithKeys(QStringLiteral("New tab"), Command::NewTab));
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
    m_draft = note->customTitle.value_or(note->title());
    m_renamingID = id;
    rebuild();
    // Focus once the field exists and the event that asked has finished.
    QTimer::singleShot(0, this, [this] {
        if (m_renameField) {
            m_renameField->setFocus();
            m_renameField->selectAll();
        }
    });
}

void TabStrip::activate(const QUuid& id)
{
    if (m_renamingID != id)
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
    m_renamingID.reset();
    if (m_renameField)
        m_renameField->disconnect(this);
    m_renameField = nullptr;
    rebuild();
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
