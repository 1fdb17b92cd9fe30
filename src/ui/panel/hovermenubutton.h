// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The panel's "More" button: a small borderless button that highlights on hover and
// pops up a menu rebuilt from a list of items every time it opens, on a press of the
// pointer or from the keyboard (Space, Return, Down).

#include <QAbstractButton>
#include <QKeySequence>

#include <functional>
#include <optional>

namespace quelto {

struct MoreMenuItem {
    std::optional<QString> title; // none: a separator
    QKeySequence shortcut;
    bool isEnabled = true;
    std::function<void()> action;

    static MoreMenuItem separator() { return {}; }
};

class HoverMenuButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kSide = 28;

    explicit HoverMenuButton(QWidget* parent = nullptr);

    std::function<QList<MoreMenuItem>()> itemsProvider;
    bool isHovering() const { return m_hovering; }

    // Builds the menu from the current items (also what a press shows).
    QMenu* buildMenu(QWidget* parent) const;
    QSize sizeHint() const override { return {kSide, kSide}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void popMenu(bool fromKeyboard);
    bool m_hovering = false;
};

} // namespace quelto
