#include "kits/panel/floatingpanel.h"

#include "common/preedit.h"

#include "kits/panel/glasssurface.h"
#include "kits/panel/panelframestore.h"
#include "kits/panel/x11window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QWindow>

namespace quelto {

namespace {

constexpr int kResizeGrip = 6;
constexpr int kResizeSettleMs = 250;

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
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && keyHandler) {
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
            if (keyHandler(key)) {
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
    if (event->type() == QEvent::WindowDeactivate && onResignKey) {
        const bool handled = QWidget::event(event);
        onResignKey();
        return handled;
    }
    return QWidget::event(event);
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

FloatingPanelController::FloatingPanelController(QSize size, std::optional<double> cornerRadius,
                                                 PanelOptions options, QSettings& defaults,
                                                 QWidget* content, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_defaults(defaults)
    , m_shadowMargin(GlassSurface::shadowMargin())
{
    m_panel = new FloatingPanel(size, m_options.resizable);
    const GlassSurface::PanelContent wrapped =
        GlassSurface::panelContent(content, size, cornerRadius.value_or(-1));
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped.surface);
    m_panel->resize(wrapped.windowSize);
    if (m_options.minSize) {
        const QSizeF minimum = *m_options.minSize + QSizeF(2 * m_shadowMargin, 2 * m_shadowMargin);
        m_panel->setMinimumSize(minimum.toSize());
    }

    QPointer<FloatingPanelController> self(this);
    m_panel->keyHandler = [self](QKeyEvent* event) {
        return self && self->keyHandler && self->keyHandler(event);
    };
    m_panel->onResignKey = [self] {
        if (self && self->hidesOnResignKey && self->isVisible())
            self->hide();
    };
    m_resizeSettled.setSingleShot(true);
    m_resizeSettled.setInterval(kResizeSettleMs);
    connect(&m_resizeSettled, &QTimer::timeout, this, &FloatingPanelController::saveFrame);
    if (m_options.frameAutosaveKey)
        m_panel->installEventFilter(this);
}

FloatingPanelController::~FloatingPanelController()
{
    delete m_panel;
}

bool FloatingPanelController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel && m_panel->isVisible()) {
        if (event->type() == QEvent::Move)
            saveFrame();
        else if (event->type() == QEvent::Resize)
            m_resizeSettled.start();
    }
    return QObject::eventFilter(watched, event);
}

void FloatingPanelController::rememberPreviousApp()
{
    m_previousApp = X11Window::activeWindow();
    if (m_previousApp) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->internalWinId() && quint32(window->internalWinId()) == *m_previousApp)
                m_previousApp.reset();
        }
    }
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

void FloatingPanelController::orderFront()
{
    m_panel->show();
    X11Window::showOnAllDesktops(quint32(m_panel->winId()));
    m_panel->raise();
    m_panel->activateWindow();
}

void FloatingPanelController::show()
{
    rememberPreviousApp();
    if (onWillShow)
        onWillShow();
    if (QScreen* screen = screenUnderPointer()) {
        const QRect visible = screen->availableGeometry();
        std::optional<QRectF> saved;
        if (m_options.frameAutosaveKey)
            saved = PanelFrameStore::load(*m_options.frameAutosaveKey,
                                          PanelFrameStore::screenKey(screen->name(),
                                                                     screen->geometry().width(),
                                                                     screen->geometry().height()),
                                          m_defaults);
        if (saved) {
            const QSizeF minimum =
                m_options.minSize
                    ? *m_options.minSize + QSizeF(2 * m_shadowMargin, 2 * m_shadowMargin)
                    : QSizeF(m_panel->size());
            m_panel->setGeometry(PanelFrameStore::clamp(*saved, visible, minimum).toRect());
        } else {
            const QSize size = m_panel->size();
            m_panel->move(visible.left() + (visible.width() - size.width()) / 2,
                          int(visible.top() + kDefaultHeightFraction * visible.height() -
                              size.height() / 2.0));
        }
    }
    orderFront();
}

void FloatingPanelController::showAnchored(const QRect& anchor)
{
    rememberPreviousApp();
    if (onWillShow)
        onWillShow();
    QScreen* screen = nullptr;
    for (QScreen* candidate : QGuiApplication::screens()) {
        if (candidate->geometry().intersects(anchor)) {
            screen = candidate;
            break;
        }
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect visible = screen->availableGeometry();
        const int w = m_panel->width();
        const int h = m_panel->height();
        int x = anchor.center().x() - w / 2;
        int y = anchor.bottom() + 1 + kAnchorGap; // below the anchor when it fits
        if (y + h > visible.bottom() + 1)
            y = anchor.top() - kAnchorGap - h;
        x = std::min(visible.right() + 1 - w, std::max(x, visible.left()));
        y = std::min(visible.bottom() + 1 - h, std::max(y, visible.top()));
        m_panel->move(x, y);
    }
    orderFront();
}

void FloatingPanelController::hide()
{
    if (!isVisible())
        return;
    saveFrame();
    m_panel->hide();
    if (onDidHide)
        onDidHide();
}

void FloatingPanelController::toggle()
{
    isVisible() ? hide() : show();
}

bool FloatingPanelController::isVisible() const
{
    return m_panel->isVisible();
}

bool FloatingPanelController::hasMarkedText() const
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != m_panel)
        return false;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
        return isComposing(plain->textCursor());
    if (auto* rich = qobject_cast<QTextEdit*>(focus))
        return isComposing(rich->textCursor());
    return false;
}

void FloatingPanelController::saveFrame()
{
    if (!m_options.frameAutosaveKey)
        return;
    QScreen* screen = m_panel->screen() ? m_panel->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    PanelFrameStore::save(QRectF(m_panel->geometry()), *m_options.frameAutosaveKey,
                          PanelFrameStore::screenKey(screen->name(), screen->geometry().width(),
                                                     screen->geometry().height()),
                          m_defaults);
}

} // namespace quelto
