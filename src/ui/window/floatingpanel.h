// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The always-on-top window the note panel lives in.

#include <QWidget>

#include <functional>
#include <optional>
#include <utility>

class QKeyEvent;

class QTimer;

namespace quelto {

// The first screen (in Qt's order) holding the mouse pointer, else the primary one.
QScreen* screenUnderPointer();

// A frameless tool window on top of others and on every desktop, movable by its
// background and resizable at its edges.
class FloatingPanel : public QWidget {
    Q_OBJECT

public:
    FloatingPanel(QSize size, bool resizable);
    ~FloatingPanel() override;

    // Sees every key press for a widget in this window first: true when the key is the
    // panel's, whose command runs only when `perform` (the press itself, not Qt's
    // question whether a shortcut may have it).
    using KeyHandler = std::function<bool(QKeyEvent*, bool perform)>;
    void setKeyHandler(KeyHandler handler) { m_keyHandler = std::move(handler); }

    // Makes `dialog` stay on top as the panel does and, while the panel is shown, a
    // transient of it: a window manager then stacks the dialog above the panel instead
    // of behind it, where a modal one would leave the panel taking no clicks.
    void keepAbove(QWidget& dialog);

    // Resizes at `edges` from a press at `global`: through the window manager when it
    // can, else by following the pointer until the button is released.
    void beginResize(Qt::Edges edges, QPointF global);
    void followResize(QPointF global);
    void endResize();

    // Shows the panel so that tiling compositors float it: on native Wayland, where
    // they tile every ordinary window, its size is fixed while it appears and freed
    // again once it is on screen.
    void showFloating();
    // Whether the window system, not Quelto, decides where windows go (native Wayland).
    static bool isPlacedByCompositor();
    // The user moved or resized the panel since it was last shown.
    bool userChangedFrame() const { return m_userChangedFrame; }
    void forgetUserChange() { m_userChangedFrame = false; }

signals:
    // The window lost activation.
    void deactivated();
    // The window manager was asked to close the panel (Alt+F4, a taskbar's close).
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct ManualResize {
        Qt::Edges edges;
        QPointF start;
        QRect frame;
    };
    void placeGrips();

    KeyHandler m_keyHandler;
    // Along each edge and corner, above the content, which fills the surface.
    QList<QWidget*> m_grips;
    bool m_userChangedFrame = false;
    // On a compositor that places the panel: its size limits while it maps fixed.
    std::optional<std::pair<QSize, QSize>> m_limitsToRestore;
    QTimer* m_floatingSettled = nullptr;
    // The window manager is moving or resizing the panel for the user.
    bool m_windowManagerDrags = false;
    // Where a manual drag started (when the window manager cannot move windows).
    std::optional<QPointF> m_dragOffset;
    std::optional<ManualResize> m_resize;
};

} // namespace quelto
