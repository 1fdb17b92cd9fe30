// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/floatingpanelcontroller.h"

#include "core/settings/panelframestore.h"
#include "platform/window/windowsystem.h"
#include "ui/editor/preedit.h"
#include "ui/window/glasssurface.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWindow>

namespace quelto {

namespace {

constexpr int kResizeSettleMs = 250;

QString keyOf(const QScreen* screen)
{
    return PanelFrameStore::screenKey(screen->name(), screen->geometry().width(),
                                      screen->geometry().height());
}

} // namespace

FloatingPanelController::FloatingPanelController(QSize size, PanelOptions options, QWidget* content,
                                                 QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_shadowMargin(GlassSurface::shadowMargin())
{
    m_panel = new FloatingPanel(size, m_options.resizable);
    const GlassSurface::PanelContent wrapped = GlassSurface::panelContent(content, size);
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped.surface);
    m_panel->resize(wrapped.windowSize);
    if (m_options.minSize) {
        const QSizeF minimum = *m_options.minSize + QSizeF(2 * m_shadowMargin, 2 * m_shadowMargin);
        m_panel->setMinimumSize(minimum.toSize());
    }

    m_panel->setKeyHandler([this](QKeyEvent* event, bool perform) {
        return m_keyHandler && m_keyHandler(event, perform);
    });
    connect(m_panel, &FloatingPanel::closeRequested, this, &FloatingPanelController::hide);
    connect(m_panel, &FloatingPanel::deactivated, this, [this] {
        // A window opened over the panel (Settings from its menu) is part of it, not a
        // click away; decided once the focus has landed.
        QTimer::singleShot(0, this, [this] {
            const QWindow* focus = QGuiApplication::focusWindow();
            if (focus && focus->transientParent() == m_panel->windowHandle())
                return;
            if (hidesOnResignKey && isVisible() && !m_panel->isActiveWindow())
                hide();
        });
    });
    m_resizeSettled.setSingleShot(true);
    m_resizeSettled.setInterval(kResizeSettleMs);
    connect(&m_resizeSettled, &QTimer::timeout, this, &FloatingPanelController::saveFrame);
    if (m_options.frameMemory)
        m_panel->installEventFilter(this);
    // A new resolution, scale or panel layout (a taskbar) can leave the panel off screen.
    for (QScreen* screen : QGuiApplication::screens())
        followScreen(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, &FloatingPanelController::followScreen);
}

void FloatingPanelController::followScreen(QScreen* screen)
{
    connect(screen, &QScreen::availableGeometryChanged, this,
            &FloatingPanelController::keepOnScreen, Qt::QueuedConnection);
}

void FloatingPanelController::keepOnScreen()
{
    if (!isVisible())
        return;
    QScreen* screen = m_panel->screen();
    if (!screen)
        return;
    const QRect fitted = PanelFrameStore::clamp(QRectF(m_panel->geometry()),
                                                screen->availableGeometry(), minimumFrame())
                             .toRect();
    if (fitted != m_panel->geometry())
        m_panel->setGeometry(fitted);
}

QSizeF FloatingPanelController::minimumFrame() const
{
    return m_options.minSize ? *m_options.minSize + QSizeF(2 * m_shadowMargin, 2 * m_shadowMargin)
                             : QSizeF(m_panel->size());
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
    m_previousApp = WindowSystem::current().activeWindow();
    if (m_previousApp) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->internalWinId() && quint32(window->internalWinId()) == *m_previousApp)
                m_previousApp.reset();
        }
    }
}

void FloatingPanelController::orderFront()
{
    m_panel->forgetUserChange();
    m_panel->showFloating();
    WindowSystem::current().showOnAllDesktops(quint32(m_panel->winId()));
    m_panel->raise();
    m_panel->activateWindow();
}

void FloatingPanelController::show()
{
    rememberPreviousApp();
    emit willShow();
    if (QScreen* screen = screenUnderPointer()) {
        const QRect visible = screen->availableGeometry();
        std::optional<QRectF> saved;
        if (m_options.frameMemory)
            saved = m_options.frameMemory->panelFrame(keyOf(screen));
        if (saved) {
            m_panel->setGeometry(PanelFrameStore::clamp(*saved, visible, minimumFrame()).toRect());
        } else {
            // Clamped too: on a small screen, or at a large scale, the centred panel would
            // reach above the top.
            const QSizeF size(m_panel->size());
            const QRectF centred(visible.left() + (visible.width() - size.width()) / 2,
                                 visible.top() + kDefaultHeightFraction * visible.height() -
                                     size.height() / 2.0,
                                 size.width(), size.height());
            m_panel->setGeometry(PanelFrameStore::clamp(centred, visible, minimumFrame()).toRect());
        }
    }
    orderFront();
}

void FloatingPanelController::hide()
{
    if (!isVisible())
        return;
    saveFrame();
    m_panel->hide();
    emit didHide();
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
    if (!m_options.frameMemory)
        return;
    // Where the compositor places and sizes windows (tiling one, say), the frame is its
    // choice unless the user moved or resized the panel: keep only the user's.
    if (FloatingPanel::isPlacedByCompositor() && !m_panel->userChangedFrame())
        return;
    QScreen* screen = m_panel->screen() ? m_panel->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    m_options.frameMemory->setPanelFrame(keyOf(screen), QRectF(m_panel->geometry()));
}

} // namespace quelto
