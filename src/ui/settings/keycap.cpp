// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/keycap.h"

#include "ui/window/glasssurface.h"

#include <QPainter>
#include <QPainterPath>

namespace quelto {

namespace {

constexpr float kFillAlpha = 0.07f;
constexpr float kBorderAlpha = 0.13f;
constexpr double kBorderWidth = 0.5;

} // namespace

KeyCap::KeyCap(const QString& text, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
{
    // The desktop's own font size, so caps match the labels around them.
    QFont capFont = font();
    capFont.setWeight(QFont::Medium);
    setFont(capFont);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

QSize KeyCap::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {std::max(kMinWidth, metrics.horizontalAdvance(m_text) + 2 * kPadding),
            std::max(kMinHeight, metrics.height() + 2)};
}

void KeyCap::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor text = palette().color(QPalette::WindowText);
    GlassSurface::paintCard(painter, rect(), kRadius, text, kFillAlpha, kBorderAlpha, kBorderWidth);
    painter.setPen(text);
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}

} // namespace quelto
