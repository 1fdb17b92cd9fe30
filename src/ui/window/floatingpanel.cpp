// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/floatingpanel.h"

#include "platform/window/windowsystem.h"
#include "ui/accessibility/accessiblewidget.h"
#include "ui/window/glasssurface.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace quelto {

namespace {

constexpr int kResizeGrip = 6;
constexpr int kCornerGrip = 2 * kResizeGrip;
// How long the size stays fixed after showing: until the compositor has mapped the
// window and decided to float it.
constexpr int kFloatingSettleMs = 500;

constexpr Qt::Edges kGripEdges[] = {
    Qt::LeftEdge,
    Qt::RightEdge,
    Qt::TopEdge,
    Qt::BottomEdge,
    Qt::TopEdge | Qt::LeftEdge,
    Qt::TopEdge | Qt::RightEdge,
    Qt::BottomEdge | Qt::LeftEdge,
    Qt::BottomEdge | Qt::RightEdge,
};

Qt::CursorShape resizeCursor(Qt::Edges edges)
{
    if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge))
        return Qt::SizeFDiagCursor;
    if (edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::BottomEdge | Qt::LeftEdge))
        return Qt::SizeBDiagCursor;
    return edges & (Qt::LeftEdge | Qt::RightEdge) ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

// An invisible strip along one edge or a corner of the surface that shows the resize
// cursor and resizes from there; the content below it fills the surface to its edges.
class EdgeGrip final : public QWidget {
public:
    EdgeGrip(FloatingPanel& panel, Qt::Edges edges)
        : QWidget(&panel)
        , m_panel(panel)
        , m_edges(edges)
    {
        setObjectName(QStringLiteral("resizeGrip"));
        Accessible::hide(this); // for the pointer only: nothing to tell assistive tools
        setCursor(resizeCursor(edges));
    }

    Qt::Edges edges() const { return m_edges; }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_panel.beginResize(m_edges, event->globalPosition());
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        m_panel.followResize(event->globalPosition());
    }
    void mouseReleaseEvent(QMouseEvent*) override { m_panel.endResize(); }

private:
    FloatingPanel& m_panel;
    Qt::Edges m_edges;
};

} // namespace

FloatingPanel::FloatingPanel(QSize size, bool resizable)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    Accessible::setRole(this, QAccessible::Window); // a frame, as a stock window is
    setAttribute(Qt::WA_TranslucentBackground, WindowSystem::current().isCompositing());
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (resizable) {
        for (Qt::Edges edges : kGripEdges)
            m_grips.append(new EdgeGrip(*this, edges));
    }
    resize(size);
    qApp->installEventFilter(this);
}

FloatingPanel::~FloatingPanel()
{
    qApp->removeEventFilter(this);
}

bool FloatingPanel::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && m_keyHandler) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Each key reaches the filter once per event, for the widget it is meant for.
        if (widget && widget->window() == this && widget == QApplication::focusWidget()) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Qt asks about shortcuts before it delivers the key; claiming the key there
            // lets the panel's commands win over window shortcuts with the same keys.
            // The command runs on the press alone: Qt asks again for every delivery of
            // a press, and an accessibility bridge delivers each press a second time
            // after a screen reader has seen it.
            if (type == QEvent::ShortcutOverride) {
                if (!m_keyHandler(key, false))
                    return QWidget::eventFilter(watched, event);
                key->accept();
                return true;
            }
            if (m_keyHandler(key, true))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool FloatingPanel::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate: {
        const bool handled = QWidget::event(event);
        // The window manager takes the pointer (and with some, the focus) while it moves
        // or resizes the panel: that is no click away.
        if (!m_windowManagerDrags)
            emit deactivated();
        return handled;
    }
    case QEvent::Close:
        // The window manager's close (Alt+F4, a taskbar) hides it the way Esc does, so
        // that it saves and forgets its alerts. Quitting closes it for real, or the
        // application would refuse to quit.
        if (event->spontaneous()) {
            event->ignore();
            emit closeRequested();
            return true;
        }
        break;
    case QEvent::WindowActivate:
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        // The drag is over once the panel sees the pointer or the focus again.
        if (std::exchange(m_windowManagerDrags, false) && !isActiveWindow())
            activateWindow();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void FloatingPanel::keepAbove(QWidget& dialog)
{
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (!isVisible())
        return;
    dialog.winId(); // the native window must exist to name its parent
    if (QWindow* window = dialog.windowHandle())
        window->setTransientParent(windowHandle());
}

void FloatingPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeGrips();
}

void FloatingPanel::placeGrips()
{
    // From the window's edge (across any shadow margin) to a little inside the surface.
    const int margin = GlassSurface::shadowMargin();
    const int band = margin + kResizeGrip;
    const int corner = margin + kCornerGrip;
    const int w = width();
    const int h = height();
    for (QWidget* grip : std::as_const(m_grips)) {
        const Qt::Edges edges = static_cast<EdgeGrip*>(grip)->edges();
        const bool left = edges & Qt::LeftEdge;
        const bool right = edges & Qt::RightEdge;
        const bool top = edges & Qt::TopEdge;
        const bool bottom = edges & Qt::BottomEdge;
        QRect area;
        if ((left || right) && (top || bottom))
            area = QRect(left ? 0 : w - corner, top ? 0 : h - corner, corner, corner);
        else if (left || right)
            area = QRect(left ? 0 : w - band, corner, band, h - 2 * corner);
        else
            area = QRect(corner, top ? 0 : h - band, w - 2 * corner, band);
        grip->setGeometry(area);
        grip->raise();
    }
}

bool FloatingPanel::isPlacedByCompositor()
{
    return QGuiApplication::platformName().startsWith(u"wayland");
}

void FloatingPanel::showFloating()
{
    if (!isPlacedByCompositor() || isVisible()) {
        show();
        return;
    }
    // sway and other wlroots compositors float a toplevel whose minimum and maximum
    // sizes agree when it maps; they do not tile it again when the limits change. The
    // limits to go back to are taken once: shown again before they are back, the
    // panel's limits are the fixed ones.
    if (!m_limitsToRestore)
        m_limitsToRestore = std::pair(minimumSize(), maximumSize());
    setFixedSize(size());
    show();
    if (!m_floatingSettled) {
        m_floatingSettled = new QTimer(this);
        m_floatingSettled->setSingleShot(true);
        m_floatingSettled->setInterval(kFloatingSettleMs);
        connect(m_floatingSettled, &QTimer::timeout, this, [this] {
            setMinimumSize(m_limitsToRestore->first);
            setMaximumSize(m_limitsToRestore->second);
            m_limitsToRestore.reset();
        });
    }
    m_floatingSettled->start();
}

void FloatingPanel::beginResize(Qt::Edges edges, QPointF global)
{
    m_userChangedFrame = true;
    if (windowHandle() && windowHandle()->startSystemResize(edges)) {
        m_windowManagerDrags = true;
        return;
    }
    // Without a window manager that resizes windows, follow the pointer ourselves.
    m_resize = ManualResize{edges, global, geometry()};
}

void FloatingPanel::followResize(QPointF global)
{
    if (!m_resize)
        return;
    const QPoint delta = (global - m_resize->start).toPoint();
    const QSize minimum = minimumSize();
    QRect frame = m_resize->frame;
    if (m_resize->edges & Qt::LeftEdge)
        frame.setLeft(std::min(frame.left() + delta.x(), frame.right() + 1 - minimum.width()));
    if (m_resize->edges & Qt::RightEdge)
        frame.setRight(std::max(frame.right() + delta.x(), frame.left() + minimum.width() - 1));
    if (m_resize->edges & Qt::TopEdge)
        frame.setTop(std::min(frame.top() + delta.y(), frame.bottom() + 1 - minimum.height()));
    if (m_resize->edges & Qt::BottomEdge)
        frame.setBottom(std::max(frame.bottom() + delta.y(), frame.top() + minimum.height() - 1));
    setGeometry(frame);
}

void FloatingPanel::endResize()
{
    m_resize.reset();
}

void FloatingPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !windowHandle())
        return QWidget::mousePressEvent(event);
    m_userChangedFrame = true;
    // Without a window manager that moves windows, follow the pointer ourselves.
    if (windowHandle()->startSystemMove())
        m_windowManagerDrags = true;
    else
        m_dragOffset = event->globalPosition() - QPointF(pos());
    event->accept();
}

void FloatingPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragOffset)
        move((event->globalPosition() - *m_dragOffset).toPoint());
    QWidget::mouseMoveEvent(event);
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragOffset.reset();
    QWidget::mouseReleaseEvent(event);
}

QScreen* screenUnderPointer()
{
    const QPoint pointer = QCursor::pos();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(pointer))
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

} // namespace quelto
