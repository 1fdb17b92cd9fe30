// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The translucent look of Quelto's floating windows. There is no system glass on
// Linux: windows paint their own rounded surface in the palette's window colour.
// With a compositing manager the surface sits inside a transparent margin with a
// painted soft shadow ("modern" metrics); without one, transparent pixels would be
// black, so the surface fills the window and the corners stay square-backed.

#include <QSize>
#include <QWidget>

namespace quelto::GlassSurface {

inline constexpr double kModernRadius = 22;
inline constexpr double kEarlierRadius = 14;
inline constexpr int kModernMargin = 28;

// Whether a compositing manager runs on this display (always false off X11).
bool isCompositing();
double defaultRadius();
int shadowMargin();

// Paints the rounded surface (and, in its margin, the shadow) behind its children.
class Surface : public QWidget {
public:
    Surface(int margin, double radius, QWidget* parent = nullptr);

    int margin() const { return m_margin; }
    double radius() const { return m_radius; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_margin;
    double m_radius;
};

struct PanelContent {
    Surface* surface; // holds the content; install it as the window's only child
    QSize windowSize; // content size plus the margin on every side
};

// Wraps `content` (re-parented into the surface) for a floating window of
// `contentSize`; `radius` < 0 picks the default.
PanelContent panelContent(QWidget* content, QSize contentSize, double radius = -1);

} // namespace quelto::GlassSurface
