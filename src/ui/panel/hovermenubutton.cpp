// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/hovermenubutton.h"

#include "ui/accessibility/focusringstyle.h"
#include "ui/editor/editortheme.h"
#include "ui/tray/closuremenu.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace quelto {

namespace {

constexpr double kHighlightRadius = 7;
constexpr int kMenuGap = 4;
constexpr double kDotRadius = 1.6;
constexpr double kDotSpacing = 5;

} // namespace

HoverMenuButton::HoverMenuButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setToolTip(QStringLiteral("More"));
    setAccessibleName(QStringLiteral("More"));
    setFixedSize(kSide, kSide);
    setAttribute(Qt::WA_Hover);
    // Space, and an assistive tool's Press, click it; the pointer opens it on press.
    connect(this, &QAbstractButton::clicked, this, [this] { popMenu(true); });
}

QMenu* HoverMenuButton::buildMenu(QWidget* parent) const
{
    auto* menu = new QMenu(parent);
    for (const MoreMenuItem& item : itemsProvider ? itemsProvider() : QList<MoreMenuItem>{}) {
        if (!item.title) {
            menu->addSeparator();
            continue;
        }
        QAction* action = addClosureItem(menu, *item.title, item.shortcut, item.action);
        action->setEnabled(item.isEnabled);
    }
    return menu;
}

void HoverMenuButton::popMenu(bool fromKeyboard)
{
    m_hovering = false;
    update();
    QMenu* menu = buildMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(mapToGlobal(QPoint(0, height() + kMenuGap)));
    // From the keyboard the first item is current, as in a menu bar.
    for (QAction* action : menu->actions()) {
        if (fromKeyboard && !action->isSeparator() && action->isEnabled()) {
            menu->setActiveAction(action);
            break;
        }
    }
}

void HoverMenuButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Down) {
        popMenu(true);
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void HoverMenuButton::mousePressEvent(QMouseEvent* event)
{
    // Opens on press, not release, like a menu button.
    if (event->button() == Qt::LeftButton) {
        popMenu(false);
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void HoverMenuButton::enterEvent(QEnterEvent* event)
{
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void HoverMenuButton::leaveEvent(QEvent* event)
{
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void HoverMenuButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FocusRing::paintRoundedFace(painter, *this, kHighlightRadius, m_hovering || isDown());
    // The ellipsis, in the secondary text colour.
    painter.setPen(Qt::NoPen);
    painter.setBrush(EditorTheme::secondary(palette()));
    const QPointF centre = QRectF(rect()).center();
    for (int i = -1; i <= 1; ++i)
        painter.drawEllipse(centre + QPointF(i * kDotSpacing, 0), kDotRadius, kDotRadius);
}

} // namespace quelto
