// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The translucent look of Quelto's floating windows. There is no system glass on
// Linux: windows paint their own rounded surface in the palette's window colour.
// With a compositing manager the surface sits inside a transparent margin with a
// painted soft shadow ("modern" metrics); without one, transparent pixels would be
// black, so the surface fills the window and a window mask cuts its corners round.

#include <QBitmap>
#include <QImage>
#include <QScrollBar>
#include <QSize>
#include <QWidget>

class QAbstractButton;
class QAbstractScrollArea;
class QPainter;

namespace quelto::GlassSurface {

inline constexpr double kModernRadius = 22;
inline constexpr double kEarlierRadius = 14;
inline constexpr int kModernMargin = 28;

// The corner radius and the shadow margin for whether a compositing manager runs.
double defaultRadius();
int shadowMargin();

// `colour` with its alpha set to `alpha` (0 to 1).
QColor withAlpha(QColor colour, double alpha);

// A rounded card: `ink` at `fillAlpha` inside, and a hairline of `ink` at `borderAlpha`
// just inside its edge. Key caps, cards and badges share it.
void paintCard(QPainter& painter, const QRectF& area, double radius, const QColor& ink,
               double fillAlpha, double borderAlpha, double borderWidth);

// A (2r + 1)-pixel square, opaque inside a rounded rectangle of radius r and clear
// outside: the four corners of any rounded mask, around a one-pixel centre that
// stretches.
QImage roundedMaskImage(double radius);
// The mask image stretched to `size`: its corners kept, its centre row and column
// repeated. Set on a window, it rounds the window's corners without a compositor.
QBitmap roundedMask(QSize size, double radius);

// Gives a titled window the glass look at a fixed `size`: `content` fills a surface in
// the palette's window colour. The window manager draws the title bar.
void configureWindow(QWidget* window, QWidget* content, QSize size);

// The prominent button of a page (filled with the accent colour) and its quieter
// companions (a light tint and hairline). `large` gives the taller size of a page's
// main actions.
void primaryButtonStyle(QAbstractButton* button, bool large = false);
void secondaryButtonStyle(QAbstractButton* button, bool large = false);

// A framed card: a faint tint of the text colour behind its children, with a hairline
// edge inside it.
class CardBackground : public QWidget {
public:
    static constexpr float kFillAlpha = 0.055f;
    static constexpr float kBorderAlpha = 0.09f;
    static constexpr double kBorderWidth = 0.75;

    explicit CardBackground(double radius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_radius;
};

// A thin, rounded scroll bar with no arrows or track that stays inside a rounded
// surface: it keeps clear of the surface's right edge (and its resize grip) and ends
// above the bottom corner. Colours follow the palette.
class ThinScrollBar : public QScrollBar {
public:
    static constexpr int kWidth = 14;
    static constexpr int kThumbWidth = 6;
    static constexpr int kEdgeGap = 6; // from the surface's edge to the thumb
    static constexpr int kCornerGap = 14;

    explicit ThinScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyLook();
};

// Gives `area` a vertical ThinScrollBar.
void useThinScrollBar(QAbstractScrollArea* area);

// Paints the rounded surface (and, in its margin, the shadow) behind its children.
class Surface : public QWidget {
public:
    Surface(int margin, double radius, QWidget* parent = nullptr);

    int margin() const { return m_margin; }
    double radius() const { return m_radius; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Without a margin the surface is the whole window: it rounds the window itself.
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void cutCorners();

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
