#pragma once
// The always-on-top window the note panel lives in, and the controller that shows it
// under the pointer at its remembered frame, hides it, and lets a client see every
// key first.

#include <QPointer>
#include <QSettings>
#include <QSizeF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;

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

    // Sees every key press for a widget in this window first; true consumes it.
    std::function<bool(QKeyEvent*)> keyHandler;
    // After the window lost activation.
    std::function<void()> onResignKey;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::Edges edgesAt(QPointF point) const;

    bool m_resizable;
    // The panel answered the shortcut question for the key press about to come.
    bool m_answeredShortcut = false;
    // Where a manual drag started (when the window manager cannot move windows).
    std::optional<QPointF> m_dragOffset;
};

struct PanelOptions {
    bool resizable = true;
    std::optional<QSizeF> minSize;
    std::optional<QString> frameAutosaveKey;

    friend bool operator==(const PanelOptions&, const PanelOptions&) = default;
};

class FloatingPanelController : public QObject {
    Q_OBJECT

public:
    static constexpr double kDefaultHeightFraction = 0.4; // panel centre, from the top
    static constexpr int kAnchorGap = 12;

    // `content` becomes the panel's content, inside the glass surface.
    FloatingPanelController(QSize size, std::optional<double> cornerRadius, PanelOptions options,
                            QSettings& defaults, QWidget* content, QObject* parent = nullptr);
    ~FloatingPanelController() override;

    FloatingPanel* panel() const { return m_panel; }
    // The window that was active before the last show, unless it was one of ours.
    std::optional<quint32> previousApp() const { return m_previousApp; }
    int shadowMargin() const { return m_shadowMargin; }
    const PanelOptions& options() const { return m_options; }

    void show();
    void showAnchored(const QRect& anchor);
    void hide();
    void toggle();
    bool isVisible() const;
    // An input method is composing in the panel's focused text field.
    bool hasMarkedText() const;
    void saveFrame();

    std::function<bool(QKeyEvent*)> keyHandler;
    std::function<void()> onWillShow;
    std::function<void()> onDidHide;
    bool hidesOnResignKey = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rememberPreviousApp();
    void orderFront();

    PanelOptions m_options;
    QSettings& m_defaults;
    int m_shadowMargin;
    FloatingPanel* m_panel;
    std::optional<quint32> m_previousApp;
    // A resize is over once no further one came for this long.
    QTimer m_resizeSettled;
};

} // namespace quelto
