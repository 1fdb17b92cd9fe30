#include "ui/window/floatingpanel.h"

#include "ui/window/glasssurface.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

namespace quelto {

namespace {

constexpr int kResizeGrip = 6;

} // namespace

FloatingPanel::FloatingPanel(QSize size, bool resizable)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_resizable(resizable)
{
    setAttribute(Qt::WA_TranslucentBackground, GlassSurface::isCompositing());
    setAttribute(Qt::WA_DeleteOnClose, false);
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
            // Qt asks about shortcuts before it delivers the key; answering there lets
            // the panel's commands win over window shortcuts with the same keys. The
            // key press that follows an answered question is then swallowed.
            if (type == QEvent::KeyPress && m_answeredShortcut) {
                m_answeredShortcut = false;
                return true;
            }
            m_answeredShortcut = false;
            if (m_keyHandler(key)) {
                if (type == QEvent::ShortcutOverride) {
                    m_answeredShortcut = true;
                    key->accept();
                }
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool FloatingPanel::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate) {
        const bool handled = QWidget::event(event);
        emit deactivated();
        return handled;
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

Qt::Edges FloatingPanel::edgesAt(QPointF p) const
{
    if (!m_resizable)
        return {};
    const int margin = GlassSurface::shadowMargin();
    const QRectF surface = QRectF(rect()).adjusted(margin, margin, -margin, -margin);
    Qt::Edges edges;
    if (p.x() < surface.left() + kResizeGrip)
        edges |= Qt::LeftEdge;
    if (p.x() > surface.right() - kResizeGrip)
        edges |= Qt::RightEdge;
    if (p.y() < surface.top() + kResizeGrip)
        edges |= Qt::TopEdge;
    if (p.y() > surface.bottom() - kResizeGrip)
        edges |= Qt::BottomEdge;
    return edges;
}

void FloatingPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !windowHandle())
        return QWidget::mousePressEvent(event);
    const Qt::Edges edges = edgesAt(event->position());
    const bool started =
        edges ? windowHandle()->startSystemResize(edges) : windowHandle()->startSystemMove();
    // Without a window manager that moves windows, follow the pointer ourselves.
    if (!started && !edges)
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
