#include "panel/panelview.h"

#include <QPainter>
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

PanelView::PanelView(NoteStore& store, Preferences& prefs, PanelState& state, PanelActions actions,
                     EditorBridge::Toast toast, std::function<void()> focusEditor, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_state(state)
    , m_actions(std::move(actions))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(10, 10, 10, 6);
    header->setSpacing(6);
    m_tabs = new TabStrip(store);
    m_tabs->onClose = m_actions.closeTab;
    m_tabs->onClearScratch = m_actions.clearScratch;
    m_tabs->onRenameEnded = std::move(focusEditor);
    header->addWidget(m_tabs, 1);
    m_more = new HoverMenuButton;
    m_more->itemsProvider = [this] { return moreMenuItems(); };
    header->addWidget(m_more);
    column->addLayout(header);
    column->addWidget(new Divider);

    m_editor = new EditorBridge(store, prefs, std::move(toast), this);
    column->addWidget(m_editor->textView(), 1);

    connect(&store, &NoteStore::activeIDChanged, this, &PanelView::updateActiveIsScratch);
    updateActiveIsScratch();
}

void PanelView::updateActiveIsScratch()
{
    const Note* active = m_store.activeOrFirst();
    if (active)
        m_state.setActiveIsScratch(active->isScratch);
}

QList<MoreMenuItem> PanelView::moreMenuItems() const
{
    QList<MoreMenuItem> items{
        {QStringLiteral("Rename Tab…"), {}, !m_state.activeIsScratch(), m_actions.renameActive},
        {QStringLiteral("Clear Scratch"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), true,
         m_actions.clearScratch},
        MoreMenuItem::separator(),
        {QStringLiteral("Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), true,
         m_actions.openSettings},
    };
    if (m_actions.checkForUpdates)
        items.append({QStringLiteral("Check for Updates…"), {}, true, m_actions.checkForUpdates});
    items.append(MoreMenuItem::separator());
    items.append(
        {QStringLiteral("Quit Quelto"), QKeySequence(Qt::CTRL | Qt::Key_Q), true, m_actions.quit});
    return items;
}

} // namespace quelto
