// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/glasssurface.h"

#include "platform/window/windowsystem.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace quelto::GlassSurface {

namespace {

constexpr double kShadowOpacity = 0.28;
constexpr int kShadowBlur = 18;
constexpr int kShadowOffset = 8; // downwards
constexpr double kSurfaceOpacity = 0.96;

const char* const kButtonRole = "queltoGlassButton";
const char* const kButtonLarge = "queltoGlassButtonLarge";
constexpr int kLargeButtonHeight = 32;
constexpr int kButtonPadding = 14;
constexpr double kLargeButtonRadius = 8;
constexpr double kButtonRadius = 6;

// Paints the buttons marked primary or secondary; everything else is left to the
// application's style.
class GlassButtonStyle final : public QProxyStyle {
public:
    static GlassButtonStyle* instance()
    {
        static QPointer<GlassButtonStyle> style;
        if (!style) {
            style = new GlassButtonStyle;
            style->setParent(qApp);
        }
        return style;
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        const QVariant role = widget ? widget->property(kButtonRole) : QVariant();
        if (!button || !role.isValid())
            return QProxyStyle::drawControl(element, option, painter, widget);
        const bool primary = role.toString() == u"primary";
        if (element == CE_PushButtonBevel) {
            paintBevel(*button, primary, widget->property(kButtonLarge).toBool(), painter);
            return;
        }
        if (element == CE_PushButtonLabel && primary) {
            QStyleOptionButton label = *button;
            label.palette.setColor(QPalette::ButtonText,
                                   option->palette.color(QPalette::HighlightedText));
            return QProxyStyle::drawControl(element, &label, painter, widget);
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        // The bevel shows focus itself.
        if (element == PE_FrameFocusRect && widget && widget->property(kButtonRole).isValid())
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override
    {
        QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
        if (type == CT_PushButton && widget && widget->property(kButtonRole).isValid()) {
            size.setWidth(std::max(size.width(), contents.width() + 2 * kButtonPadding));
            if (widget->property(kButtonLarge).toBool())
                size.setHeight(std::max(size.height(), kLargeButtonHeight));
        }
        return size;
    }

private:
    static void paintBevel(const QStyleOptionButton& option, bool primary, bool large,
                           QPainter* painter)
    {
        const double radius = large ? kLargeButtonRadius : kButtonRadius;
        const QRectF frame = QRectF(option.rect).adjusted(1.5, 1.5, -1.5, -1.5);
        const bool enabled = option.state & State_Enabled;
        const bool down = option.state & (State_Sunken | State_On);
        const bool hover = option.state & State_MouseOver;
        const QColor text = option.palette.color(QPalette::WindowText);
        const QColor accent = option.palette.color(QPalette::Highlight);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QColor fill;
        if (primary) {
            fill = down ? accent.darker(115) : hover ? accent.lighter(108) : accent;
            if (!enabled)
                fill.setAlphaF(0.45f);
        } else {
            fill = withAlpha(text, down ? 0.18f : hover ? 0.12f : 0.08f);
        }
        painter->setPen(primary ? QPen(Qt::NoPen) : QPen(withAlpha(text, 0.15f), 0.75));
        painter->setBrush(fill);
        painter->drawRoundedRect(frame, radius, radius);
        if (option.state & State_HasFocus) {
            painter->setPen(QPen(withAlpha(accent, 0.6f), 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(frame.adjusted(-0.5, -0.5, 0.5, 0.5), radius + 1, radius + 1);
        }
        painter->restore();
    }
};

void styleButton(QAbstractButton* button, const char* role, bool large)
{
    button->setProperty(kButtonRole, QString::fromLatin1(role));
    button->setProperty(kButtonLarge, large);
    button->setAttribute(Qt::WA_Hover);
    button->setStyle(GlassButtonStyle::instance());
}

} // namespace

double defaultRadius()
{
    return WindowSystem::current().isCompositing() ? kModernRadius : kEarlierRadius;
}

int shadowMargin()
{
    return WindowSystem::current().isCompositing() ? kModernMargin : 0;
}

QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(static_cast<float>(alpha));
    return colour;
}

void paintCard(QPainter& painter, const QRectF& area, double radius, const QColor& ink,
               double fillAlpha, double borderAlpha, double borderWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double inset = borderWidth / 2;
    QPainterPath card;
    card.addRoundedRect(area.adjusted(inset, inset, -inset, -inset), radius, radius);
    painter.fillPath(card, withAlpha(ink, fillAlpha));
    if (borderAlpha > 0) {
        painter.setPen(QPen(withAlpha(ink, borderAlpha), borderWidth));
        painter.drawPath(card);
    }
    painter.restore();
}

QImage roundedMaskImage(double radius)
{
    const int corner = std::max(0, int(std::ceil(radius)));
    const int side = 2 * corner + 1;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(0, 0, side, side), radius, radius);
    return image;
}

QBitmap roundedMask(QSize size, double radius)
{
    // A radius the size cannot hold would make the corners overlap.
    radius = std::min(radius, std::min(size.width(), size.height()) / 2.0);
    const QImage corners = roundedMaskImage(radius);
    const int k = (corners.width() - 1) / 2;
    const int w = size.width();
    const int h = size.height();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const int far = corners.width() - k;
    painter.drawImage(QPoint(0, 0), corners, QRect(0, 0, k, k));
    painter.drawImage(QPoint(w - k, 0), corners, QRect(far, 0, k, k));
    painter.drawImage(QPoint(0, h - k), corners, QRect(0, far, k, k));
    painter.drawImage(QPoint(w - k, h - k), corners, QRect(far, far, k, k));
    painter.fillRect(QRect(k, 0, w - 2 * k, h), Qt::black);
    painter.fillRect(QRect(0, k, w, h - 2 * k), Qt::black);
    painter.end();
    return QBitmap::fromImage(image.createAlphaMask());
}

void configureWindow(QWidget* window, QWidget* content, QSize size)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
    window->setAutoFillBackground(true);
    window->setBackgroundRole(QPalette::Window);
    delete window->layout();
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(content);
    window->setFixedSize(size);
}

void primaryButtonStyle(QAbstractButton* button, bool large)
{
    styleButton(button, "primary", large);
}

void secondaryButtonStyle(QAbstractButton* button, bool large)
{
    styleButton(button, "secondary", large);
}

CardBackground::CardBackground(double radius, QWidget* parent)
    : QWidget(parent)
    , m_radius(radius)
{}

void CardBackground::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintCard(painter, rect(), m_radius, palette().color(QPalette::WindowText), kFillAlpha,
              kBorderAlpha, kBorderWidth);
}

ThinScrollBar::ThinScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
{
    applyLook();
}

void ThinScrollBar::changeEvent(QEvent* event)
{
    QScrollBar::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyLook();
}

void ThinScrollBar::applyLook()
{
    // A style sheet keeps the painted thumb and the one the mouse drags the same.
    const QColor text = palette().color(QPalette::WindowText);
    const auto rgba = [&text](double alpha) {
        return QStringLiteral("rgba(%1, %2, %3, %4)")
            .arg(text.red())
            .arg(text.green())
            .arg(text.blue())
            .arg(alpha);
    };
    const bool vertical = orientation() == Qt::Vertical;
    const QString axis = vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal");
    const QString length = vertical ? QStringLiteral("height") : QStringLiteral("width");
    const QString across = vertical ? QStringLiteral("width") : QStringLiteral("height");
    const QString bar = vertical ? QStringLiteral("4px 0px %1px 0px").arg(kCornerGap)
                                 : QStringLiteral("0px %1px 0px 4px").arg(kCornerGap);
    const int inner = kWidth - kThumbWidth - kEdgeGap;
    const QString thumb = vertical ? QStringLiteral("0px %1px 0px %2px").arg(kEdgeGap).arg(inner)
                                   : QStringLiteral("%2px 0px %1px 0px").arg(kEdgeGap).arg(inner);
    const QString sheet =
        QStringLiteral(
            "QScrollBar:%1 { background: transparent; border: none; %3: %4px; margin: %5; }"
            "QScrollBar::handle:%1 { background: %6; border-radius: %7px; min-%2: 32px;"
            " margin: %8; }"
            "QScrollBar::handle:%1:hover, QScrollBar::handle:%1:pressed { background: %9; }"
            "QScrollBar::add-line:%1, QScrollBar::sub-line:%1 { %2: 0px; border: none;"
            " background: none; }"
            "QScrollBar::add-page:%1, QScrollBar::sub-page:%1 { background: none; }")
            .arg(axis, length, across)
            .arg(kWidth)
            .arg(bar, rgba(0.28))
            .arg(kThumbWidth / 2)
            .arg(thumb, rgba(0.45));
    // Setting a sheet can announce a palette change itself: only set a new one.
    if (styleSheet() != sheet)
        setStyleSheet(sheet);
}

void useThinScrollBar(QAbstractScrollArea* area)
{
    area->setVerticalScrollBar(new ThinScrollBar(Qt::Vertical, area));
}

Surface::Surface(int margin, double radius, QWidget* parent)
    : QWidget(parent)
    , m_margin(margin)
    , m_radius(radius)
{
    setAttribute(Qt::WA_TranslucentBackground, margin > 0);
}

void Surface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF surface = QRectF(rect()).adjusted(m_margin, m_margin, -m_margin, -m_margin);
    if (m_margin > 0) {
        // A soft shadow: concentric rounded outlines fading outwards, below the surface.
        for (int i = kShadowBlur; i > 0; --i) {
            const double t = 1.0 - double(i) / kShadowBlur;
            QColor shade(0, 0, 0);
            shade.setAlphaF(static_cast<float>(kShadowOpacity * t * t / 6));
            painter.setPen(Qt::NoPen);
            painter.setBrush(shade);
            painter.drawRoundedRect(surface.adjusted(-i, -i + kShadowOffset, i, i + kShadowOffset),
                                    m_radius + i, m_radius + i);
        }
    }
    QColor fill = palette().color(QPalette::Window);
    if (m_margin > 0)
        fill.setAlphaF(static_cast<float>(kSurfaceOpacity));
    QPainterPath path;
    path.addRoundedRect(surface, m_radius, m_radius);
    painter.fillPath(path, fill);
    painter.setPen(QPen(withAlpha(palette().color(QPalette::WindowText), 0.12f), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(surface.adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
}

void Surface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    cutCorners();
}

bool Surface::event(QEvent* event)
{
    // A new native window (shown again after a flag change) or a new scale.
    if (event->type() == QEvent::Show || event->type() == QEvent::ScreenChangeInternal)
        cutCorners();
    return QWidget::event(event);
}

void Surface::cutCorners()
{
    QWidget* top = window();
    if (m_margin > 0 || top == this || top->size() != size())
        return;
    // Cut at device pixels: a mask in the window's own units steps in blocks of the
    // scale factor (2 x 2 at scale 2).
    const double ratio = top->devicePixelRatioF();
    if (top->internalWinId() && ratio != 1.0) {
        if (!top->mask().isEmpty())
            top->clearMask();
        const QSize device(qRound(width() * ratio), qRound(height() * ratio));
        if (WindowSystem::current().setShape(quint32(top->internalWinId()),
                                             QRegion(roundedMask(device, m_radius * ratio))))
            return;
    }
    top->setMask(roundedMask(size(), m_radius));
}

PanelContent panelContent(QWidget* content, QSize contentSize, double radius)
{
    const int margin = shadowMargin();
    auto* surface = new Surface(margin, radius < 0 ? defaultRadius() : radius);
    auto* layout = new QVBoxLayout(surface);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    layout->addWidget(content);
    const QSize windowSize = contentSize + QSize(2 * margin, 2 * margin);
    surface->resize(windowSize);
    return {surface, windowSize};
}

} // namespace quelto::GlassSurface
