// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/settingswindowcontroller.h"

#include "ui/settings/generalpage.h"
#include "ui/window/floatingpanel.h"

#include <QScreen>
#include <QWindow>

namespace quelto {

SettingsWindowController::SettingsWindowController(SettingsContext context, QObject* parent)
    : QObject(parent)
    , m_context(std::move(context))
{}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::create()
{
    m_window = std::make_unique<SettingsWindow>(m_router, m_context);
    connect(m_window->generalPage(), &GeneralPage::shortcutRecordingChanged, this,
            &SettingsWindowController::shortcutRecordingChanged);
    if (QScreen* screen = screenUnderPointer()) {
        fitOnto(*screen);
        QRect frame(QPoint(), m_window->size());
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
}

void SettingsWindowController::fitOnto(const QScreen& screen)
{
    // The window manager's frame is known only once the window is mapped.
    constexpr QSize kFrameAllowance(16, 48);
    const QRect visible = screen.availableGeometry();
    m_window->fitInto(visible.size() - kFrameAllowance);
    const QPoint at = m_window->pos();
    const QSize frame = m_window->size() + kFrameAllowance;
    m_window->move(std::clamp(at.x(), visible.left(), visible.right() + 1 - frame.width()),
                   std::clamp(at.y(), visible.top(), visible.bottom() + 1 - frame.height()));
}

void SettingsWindowController::stayAbove(QWidget* over)
{
    // Window managers keep a transient dialog above its parent, even one that floats
    // above everything else; X11 windows of the normal type are never transient, and
    // the relation is read when the window is mapped.
    QWindow* parent = over && over->isVisible() ? over->windowHandle() : nullptr;
    const Qt::WindowType type = parent ? Qt::Dialog : Qt::Window;
    if (m_window->windowType() == type && m_window->windowHandle() &&
        m_window->windowHandle()->transientParent() == parent)
        return;
    if (m_window->windowType() != type) {
        // A new native window: put it back where the old one was, frame included.
        const QPoint at = m_window->pos();
        m_window->setWindowFlags(type); // hides the window
        m_window->move(at);
    } else {
        m_window->hide();
    }
    m_window->winId();
    m_window->windowHandle()->setTransientParent(parent);
}

void SettingsWindowController::show(std::optional<SettingsPage> page, QWidget* over)
{
    if (page)
        m_router.setPage(*page);
    if (!m_window)
        create();
    stayAbove(over);
    if (m_window->screen())
        fitOnto(*m_window->screen()); // it may have moved to another screen since
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace quelto
