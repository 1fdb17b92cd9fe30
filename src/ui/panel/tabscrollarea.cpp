// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/tabscrollarea.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

namespace quelto {

namespace {

constexpr int kWheelNotch = 120; // angle delta of one notch, in eighths of a degree
constexpr double kChevronSize = 4.5;
constexpr double kChevronPen = 1.6;
constexpr double kDisabledAlpha = 0.3;

// A chevron pointing to where hidden tabs are; faint when none are hidden that way.
class ChevronButton final : public QAbstractButton {
public:
    ChevronButton(bool back, QWidget* parent)
        : QAbstractButton(parent)
        , m_back(back)
    {
        setObjectName(back ? QStringLiteral("hiddenTabsBefore")
                           : QStringLiteral("hiddenTabsAfter"));
        setAccessibleName(back ? QStringLiteral("Show earlier tabs")
                               : QStringLiteral("Show later tabs"));
        setToolTip(accessibleName());
        // The tabs themselves take arrow keys; the chevrons are for the pointer.
        setFocusPolicy(Qt::NoFocus);
        setAutoRepeat(true);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor pen = palette().color(QPalette::WindowText);
        if (!isEnabled())
            pen.setAlphaF(static_cast<float>(kDisabledAlpha));
        const double x = width() / 2.0 + (m_back ? kChevronSize / 4 : -kChevronSize / 4);
        const double tip = m_back ? x - kChevronSize / 2 : x + kChevronSize / 2;
        const double y = height() / 2.0;
        QPainterPath chevron;
        chevron.moveTo(x, y - kChevronSize);
        chevron.lineTo(tip, y);
        chevron.lineTo(x, y + kChevronSize);
        painter.strokePath(chevron,
                           QPen(pen, kChevronPen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }

private:
    bool m_back;
};

} // namespace

TabScrollArea::TabScrollArea(QWidget* parent)
    : QScrollArea(parent)
    , m_back(new ChevronButton(true, this))
    , m_forward(new ChevronButton(false, this))
{
    QScrollBar* bar = horizontalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &TabScrollArea::updateChevrons);
    // The tabs settle over more than one layout pass: the tab last revealed stays whole
    // through them, until the user scrolls elsewhere.
    connect(bar, &QScrollBar::rangeChanged, this, &TabScrollArea::showRevealed);
    connect(bar, &QScrollBar::rangeChanged, this, &TabScrollArea::updateChevrons);
    connect(m_back, &QAbstractButton::clicked, this, &TabScrollArea::stepBack);
    connect(m_forward, &QAbstractButton::clicked, this, &TabScrollArea::stepForward);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

bool TabScrollArea::hidesBefore() const
{
    return horizontalScrollBar()->value() > horizontalScrollBar()->minimum();
}

bool TabScrollArea::hidesAfter() const
{
    return horizontalScrollBar()->value() < horizontalScrollBar()->maximum();
}

QSize TabScrollArea::sizeHint() const
{
    const QSize content = widget() ? widget()->sizeHint() : QSize();
    return {content.width(), content.height()};
}

QSize TabScrollArea::minimumSizeHint() const
{
    return {4 * kChevronWidth, sizeHint().height()};
}

void TabScrollArea::reveal(QWidget* child)
{
    m_revealed = child;
    // A tab made, moved or widened just now has its place once the layouts waiting
    // for the event loop have run.
    QTimer::singleShot(0, this, [this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        showRevealed();
    });
}

void TabScrollArea::showRevealed()
{
    if (!m_revealed || !widget())
        return;
    const int left = m_revealed->mapTo(widget(), QPoint()).x();
    const int right = left + m_revealed->width();
    const int shown = horizontalScrollBar()->value();
    if (left < shown)
        scrollTo(left);
    else if (right > shown + viewport()->width())
        scrollTo(right - viewport()->width());
}

QList<std::pair<int, int>> TabScrollArea::tabEdges() const
{
    QList<std::pair<int, int>> edges;
    if (!widget())
        return edges;
    for (const QWidget* child : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden())
            edges.append({child->x(), child->x() + child->width()});
    }
    std::sort(edges.begin(), edges.end());
    return edges;
}

void TabScrollArea::scrollTo(int value)
{
    // The first and last tabs go all the way to the ends, margins included, so that
    // nothing is left to scroll to beyond them.
    QScrollBar* bar = horizontalScrollBar();
    const QList<std::pair<int, int>> edges = tabEdges();
    if (!edges.isEmpty() && value <= edges.first().first)
        value = bar->minimum();
    else if (!edges.isEmpty() && value + viewport()->width() >= edges.last().second)
        value = bar->maximum();
    bar->setValue(value);
}

void TabScrollArea::stepBack()
{
    m_revealed = nullptr;
    const int shown = horizontalScrollBar()->value();
    const QList<std::pair<int, int>> edges = tabEdges();
    // The last tab that starts before the view does: it becomes the first shown whole.
    for (auto it = edges.crbegin(); it != edges.crend(); ++it) {
        if (it->first < shown) {
            scrollTo(it->first);
            return;
        }
    }
}

void TabScrollArea::stepForward()
{
    m_revealed = nullptr;
    const int end = horizontalScrollBar()->value() + viewport()->width();
    for (const auto& [left, right] : tabEdges()) {
        if (right > end) {
            scrollTo(right - viewport()->width());
            return;
        }
    }
}

void TabScrollArea::wheelEvent(QWheelEvent* event)
{
    const QPoint pixels = event->pixelDelta();
    const QPoint angle = event->angleDelta();
    // Whichever direction the wheel turned most moves the tabs sideways.
    const auto along = [](QPoint p) { return std::abs(p.x()) > std::abs(p.y()) ? p.x() : p.y(); };
    const int step = !pixels.isNull() ? along(pixels) : along(angle) * kWheelStep / kWheelNotch;
    QScrollBar* bar = horizontalScrollBar();
    m_revealed = nullptr;
    bar->setValue(bar->value() - step);
    event->accept();
}

bool TabScrollArea::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize)
        updateChevrons();
    return QScrollArea::viewportEvent(event);
}

bool TabScrollArea::eventFilter(QObject* watched, QEvent* event)
{
    // A tab more or less changes how wide the strip wants to be.
    if (watched == widget() && event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        updateChevrons();
    }
    return QScrollArea::eventFilter(watched, event);
}

void TabScrollArea::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    updateChevrons();
}

void TabScrollArea::updateChevrons()
{
    // Whether the tabs overflow the whole area, chevrons or not, so that making room
    // for them cannot change the answer.
    const bool overflows = widget() && widget()->sizeHint().width() > width();
    const int side = overflows ? kChevronWidth : 0;
    if (viewportMargins().left() != side)
        setViewportMargins(side, 0, side, 0);
    m_back->setGeometry(0, 0, kChevronWidth, height());
    m_forward->setGeometry(width() - kChevronWidth, 0, kChevronWidth, height());
    m_back->setVisible(overflows);
    m_forward->setVisible(overflows);
    m_back->setEnabled(hidesBefore());
    m_forward->setEnabled(hidesAfter());
}

} // namespace quelto
