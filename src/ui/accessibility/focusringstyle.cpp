// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/accessibility/focusringstyle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

namespace quelto::FocusRing {

namespace {

constexpr double kWidth = 2;
constexpr double kRadius = 4;

class FocusRingStyle final : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_FrameFocusRect)
            drawRing(option, painter);
        else
            QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        if (element == CE_PushButton && button && (button->features & QStyleOptionButton::Flat) &&
            (option->state & State_HasFocus))
            drawRing(option, painter);
    }

private:
    static void drawRing(const QStyleOption* option, QPainter* painter)
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const double inset = kWidth / 2;
        QPainterPath ring;
        ring.addRoundedRect(QRectF(option->rect).adjusted(inset, inset, -inset, -inset), kRadius,
                            kRadius);
        // On a selected row, which is filled with the highlight, in its text colour.
        const QPalette::ColorRole colour =
            option->state & State_Selected ? QPalette::HighlightedText : QPalette::Highlight;
        painter->strokePath(ring, QPen(option->palette.color(colour), kWidth));
        painter->restore();
    }
};

} // namespace

void apply(QWidget* widget)
{
    static auto* style = [] {
        auto* made = new FocusRingStyle;
        made->setParent(qApp);
        return made;
    }();
    widget->setStyle(style);
}

void paintRoundedFace(QPainter& painter, const QWidget& widget, double radius, bool tinted)
{
    constexpr float kTintAlpha = 0.1f;
    constexpr double kRingWidth = 2;
    painter.setRenderHint(QPainter::Antialiasing);
    if (tinted) {
        QColor tint = widget.palette().color(QPalette::WindowText);
        tint.setAlphaF(kTintAlpha);
        QPainterPath face;
        face.addRoundedRect(QRectF(widget.rect()), radius, radius);
        painter.fillPath(face, tint);
    }
    if (widget.hasFocus()) {
        const double inset = kRingWidth / 2;
        QPainterPath ring;
        ring.addRoundedRect(QRectF(widget.rect()).adjusted(inset, inset, -inset, -inset), radius,
                            radius);
        painter.strokePath(ring, QPen(widget.palette().color(QPalette::Highlight), kRingWidth));
    }
}

} // namespace quelto::FocusRing
