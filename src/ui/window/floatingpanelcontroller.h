// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shows the floating panel under the pointer at its remembered frame, hides it, and
// lets a client see every key first.

#include "core/settings/preferences.h"
#include "ui/window/floatingpanel.h"

#include <QSizeF>
#include <QTimer>

#include <optional>

namespace quelto {

struct PanelOptions {
    bool resizable = true;
    std::optional<QSizeF> minSize;
    // Where the frame the user left is remembered per screen; nowhere without.
    Preferences* frameMemory = nullptr;

    friend bool operator==(const PanelOptions&, const PanelOptions&) = default;
};

class FloatingPanelController : public QObject {
    Q_OBJECT

public:
    static constexpr double kDefaultHeightFraction = 0.4; // panel centre, from the top
    static constexpr int kAnchorGap = 12;                 // from a window the panel is shown beside

    // `content` becomes the panel's content, inside the glass surface.
    FloatingPanelController(QSize size, PanelOptions options, QWidget* content,
                            QObject* parent = nullptr);
    ~FloatingPanelController() override;

    FloatingPanel* panel() const { return m_panel; }
    // The window that was active before the last show, unless it was one of ours.
    std::optional<quint32> previousApp() const { return m_previousApp; }
    int shadowMargin() const { return m_shadowMargin; }
    const PanelOptions& options() const { return m_options; }

    void show();
    void hide();
    bool isVisible() const;
    // An input method is composing in the panel's focused text field.
    bool hasMarkedText() const;
    void saveFrame();

    void setKeyHandler(FloatingPanel::KeyHandler handler) { m_keyHandler = std::move(handler); }
    bool hidesOnResignKey = true;

signals:
    void willShow();
    void didHide();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rememberPreviousApp();
    void orderFront();
    QSizeF minimumFrame() const;
    // Pulls a visible panel back inside its screen's visible area after that changed.
    void keepOnScreen();
    void followScreen(QScreen* screen);

    FloatingPanel::KeyHandler m_keyHandler;
    PanelOptions m_options;
    int m_shadowMargin;
    FloatingPanel* m_panel;
    std::optional<quint32> m_previousApp;
    // A resize is over once no further one came for this long.
    QTimer m_resizeSettled;
};

} // namespace quelto
