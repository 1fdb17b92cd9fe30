// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/settingswindow.h"

#include "ui/accessibility/focusringstyle.h"
#include "ui/settings/editorpage.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/settingsicon.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
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
    , m_sidebar(new QListWidget)
    , m_pages(new QStackedWidget)
    , m_general(new GeneralPage(context.prefs, context.shortcut, context.toggleCommand))
    , m_editor(new EditorPage(context.prefs, context.notesFolder))
    , m_about(new AboutPage(context.about, context.commands))
{
    setFixedSize(kSize);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    auto* sidebar = new QWidget;
    sidebar->setFixedWidth(kSidebarWidth);
    auto* sidebarColumn = new QVBoxLayout(sidebar);
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

    auto* line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);

    m_pages->setMinimumSize(kMinPageSize);
    m_pages->addWidget(m_general);
    m_pages->addWidget(m_editor);
    m_pages->addWidget(m_about);
    columns->addWidget(sidebar);
    columns->addWidget(line);
    columns->addWidget(m_pages, 1);

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

void SettingsWindow::showPage(SettingsPage page)
{
    const auto index = static_cast<int>(allSettingsPages().indexOf(page));
    m_sidebar->setCurrentRow(index);
    m_pages->setCurrentIndex(index);
    setWindowTitle(settingsPageInfo(page).title);
}

} // namespace quelto
