// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/hovermenubutton.h"

#include "ui/editor/editortheme.h"
#include "ui/tray/closuremenu.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace quelto {

namespace {

constexpr double kHighlightRadius = 7;
constexpr double kHighlightAlpha = 0.1;
constexpr int kMenuGap = 4;
constexpr double kDotRadius = 1.6;
constexpr double kDotSpacing = 5;

} // namespace

HoverMenuButton::HoverMenuButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("More"));
    setAccessibleName(QStringLiteral("More"));
    setFixedSize(kSide, kSide);
    setAttribute(Qt::WA_Hover);
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

void HoverMenuButton::popMenu()
{
    m_hovering = false;
    update();
    QMenu* menu = buildMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(mapToGlobal(QPoint(0, height() + kMenuGap)));
}

void HoverMenuButton::mousePressEvent(QMouseEvent* event)
{
    // Opens on press, not release, like a menu button.
    if (event->button() == Qt::LeftButton) {
        popMenu();
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
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_hovering || isDown()) {
        QColor highlight = palette().color(QPalette::WindowText);
        highlight.setAlphaF(static_cast<float>(kHighlightAlpha));
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), kHighlightRadius, kHighlightRadius);
        painter.fillPath(path, highlight);
    }
    // The ellipsis, in the secondary text colour.
    painter.setPen(Qt::NoPen);
    painter.setBrush(EditorTheme::secondary(palette()));
    const QPointF centre = QRectF(rect()).center();
    for (int i = -1; i <= 1; ++i)
        painter.drawEllipse(centre + QPointF(i * kDotSpacing, 0), kDotRadius, kDotRadius);
}

} // namespace quelto
