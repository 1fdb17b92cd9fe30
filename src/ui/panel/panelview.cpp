// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/panelview.h"

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
