// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/settingswindow.h"

#include "ui/accessibility/focusringstyle.h"
#include "ui/settings/editorpage.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/settingsicon.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>

namespace quelto {

namespace {

constexpr int kSidebarInset = 8;
constexpr int kSidebarTopInset = 4;
constexpr int kRowHeight = 30;

} // namespace

SettingsWindow::SettingsWindow(SettingsRouter& router, const SettingsContext& context,
                               QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_router(router)
    , m_sidebarColumn(new QWidget)
    , m_sidebar(new QListWidget)
    , m_divider(new QFrame)
    , m_scroll(new QScrollArea)
    , m_pages(new QStackedWidget)
    , m_general(
          new GeneralPage(context.prefs, context.shortcut, context.toggleCommand, context.tray))
    , m_editor(new EditorPage(context.prefs, context.notesFolder))
    , m_about(new AboutPage(context.about, context.commands))
{
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    auto* sidebarColumn = new QVBoxLayout(m_sidebarColumn);
    sidebarColumn->setContentsMargins(kSidebarInset, kSidebarInset + kSidebarTopInset,
                                      kSidebarInset, kSidebarInset);
    sidebarColumn->addWidget(m_sidebar);
    m_sidebar->setFrameShape(QFrame::NoFrame);
    FocusRing::apply(m_sidebar);
    m_sidebar->setIconSize(QSize(SettingsIcon::kSidebarSize, SettingsIcon::kSidebarSize));
    // The list blends into the window (whatever its palette now); only the selection shows.
    m_sidebar->viewport()->setBackgroundRole(QPalette::Window);
    m_sidebar->setAccessibleName(QStringLiteral("Settings pages"));
    for (const SettingsPage page : allSettingsPages()) {
        const SettingsPageInfo& info = settingsPageInfo(page);
        auto* item = new QListWidgetItem(
            SettingsIcon::tile(info.themeIcon, info.bundledIcon, info.tint), info.title, m_sidebar);
        item->setSizeHint(QSize(0, kRowHeight));
    }

    m_divider->setFrameShape(QFrame::VLine);
    m_divider->setFrameShadow(QFrame::Plain);
    m_divider->setForegroundRole(QPalette::Mid);

    m_pages->setMinimumSize(kMinPageSize);
    m_pages->addWidget(m_general);
    m_pages->addWidget(m_editor);
    m_pages->addWidget(m_about);
    m_scroll->setWidget(m_pages);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // rows wrap instead
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->viewport()->setBackgroundRole(QPalette::Window);
    columns->addWidget(m_sidebarColumn);
    columns->addWidget(m_divider);
    columns->addWidget(m_scroll, 1);
    fitInto(kSize);

    connect(m_sidebar, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < allSettingsPages().size())
            m_router.setPage(allSettingsPages().at(row));
    });
    connect(&m_router, &SettingsRouter::pageChanged, this, &SettingsWindow::showPage);
    showPage(m_router.page());

    // What closes a window on every Linux desktop; recording a shortcut claims them first.
    for (const QKeySequence& keys :
         {QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}

void SettingsWindow::fitInto(QSize room)
{
    const QSize size = kSize.boundedTo(room);
    setFixedSize(size);
    // The pages keep their width as long as the sidebar can give some up; then they
    // narrow too, and always scroll down where they are too tall.
    const int pagesAndSidebar = size.width() - m_divider->sizeHint().width() -
                                m_scroll->verticalScrollBar()->sizeHint().width();
    const int sidebar =
        std::clamp(pagesAndSidebar - kMinPageSize.width(), kMinSidebarWidth, kSidebarWidth);
    m_sidebarColumn->setFixedWidth(sidebar);
    m_pages->setMinimumWidth(std::min(kMinPageSize.width(), pagesAndSidebar - sidebar));
    layout()->activate(); // laid out at once, not on a later turn
}

void SettingsWindow::showPage(SettingsPage page)
{
    const auto index = static_cast<int>(allSettingsPages().indexOf(page));
    m_sidebar->setCurrentRow(index);
    m_pages->setCurrentIndex(index);
    setWindowTitle(settingsPageInfo(page).title);
}

} // namespace quelto
