// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/glasssurface.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <xcb/xcb.h>

#include <cstdlib>

namespace quelto::GlassSurface {

namespace {

constexpr double kShadowOpacity = 0.28;
constexpr int kShadowBlur = 18;
constexpr int kShadowOffset = 8; // downwards
constexpr double kSurfaceOpacity = 0.96;

xcb_connection_t* x11Connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != u"xcb")
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

bool isCompositing()
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return false;
    // A compositing manager owns the _NET_WM_CM_S<screen> selection (EWMH).
    const QByteArray name = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return owned;
}

double defaultRadius()
{
    return isCompositing() ? kModernRadius : kEarlierRadius;
}

int shadowMargin()
{
    return isCompositing() ? kModernMargin : 0;
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
    if (m_margin > 0)
        path.addRoundedRect(surface, m_radius, m_radius);
    else
        path.addRect(surface);
    painter.fillPath(path, fill);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.12f);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(Qt::NoBrush);
    if (m_margin > 0)
        painter.drawRoundedRect(surface.adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
    else
        painter.drawRect(surface.adjusted(0.5, 0.5, -0.5, -0.5));
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
