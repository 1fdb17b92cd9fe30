// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/tabscrollarea.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

namespace quelto {

namespace {

constexpr int kWheelNotch = 120; // angle delta of one notch, in eighths of a degree
constexpr double kSolidPart = 0.45;
constexpr double kChevronSize = 4.5;
constexpr double kChevronInset = 9;
constexpr double kChevronPen = 1.6;

// Fades the tabs out towards one end and shows a chevron there; clicks pass through.
class OverflowHint final : public QWidget {
public:
    OverflowHint(bool atStart, QWidget* parent)
        : QWidget(parent)
        , m_atStart(atStart)
    {
        setObjectName(atStart ? QStringLiteral("hiddenTabsBefore")
                              : QStringLiteral("hiddenTabsAfter"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        // Atop: the colour under the hint turns to the window colour while its
        // opacity stays, so the hint looks like the (maybe translucent) panel beneath.
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        const QColor solid = palette().color(QPalette::Window);
        QColor clear = solid;
        clear.setAlpha(0);
        QLinearGradient fade(rect().topLeft(), rect().topRight());
        fade.setColorAt(m_atStart ? kSolidPart : 1 - kSolidPart, solid);
        fade.setColorAt(m_atStart ? 1 : 0, clear);
        painter.fillRect(rect(), fade);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // A chevron pointing to where the hidden tabs are.
        const double x = m_atStart ? kChevronInset : width() - kChevronInset;
        const double tip = m_atStart ? x - kChevronSize / 2 : x + kChevronSize / 2;
        const double y = height() / 2.0;
        QPainterPath chevron;
        chevron.moveTo(x, y - kChevronSize);
        chevron.lineTo(tip, y);
        chevron.lineTo(x, y + kChevronSize);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.strokePath(chevron, QPen(palette().color(QPalette::WindowText), kChevronPen,
                                         Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }

private:
    bool m_atStart;
};

} // namespace

TabScrollArea::TabScrollArea(QWidget* parent)
    : QScrollArea(parent)
{
    m_before = new OverflowHint(true, viewport());
    m_after = new OverflowHint(false, viewport());
    QScrollBar* bar = horizontalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &TabScrollArea::updateHints);
    connect(bar, &QScrollBar::rangeChanged, this, &TabScrollArea::updateHints);
}

bool TabScrollArea::hidesBefore() const
{
    return horizontalScrollBar()->value() > horizontalScrollBar()->minimum();
}

bool TabScrollArea::hidesAfter() const
{
    return horizontalScrollBar()->value() < horizontalScrollBar()->maximum();
}

void TabScrollArea::reveal(QWidget* child)
{
    // A tab made, moved or widened just now has its place once the layouts waiting
    // for the event loop have run.
    QTimer::singleShot(0, this, [this, tab = QPointer<QWidget>(child)] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (!tab || !widget())
            return;
        // Clear of the hints too, which would cover its ends.
        const int left = tab->mapTo(widget(), QPoint()).x() - kHintWidth;
        const int right = left + tab->width() + 2 * kHintWidth;
        QScrollBar* bar = horizontalScrollBar();
        if (left < bar->value())
            bar->setValue(left);
        else if (right > bar->value() + viewport()->width())
            bar->setValue(right - viewport()->width());
    });
}

void TabScrollArea::wheelEvent(QWheelEvent* event)
{
    const QPoint pixels = event->pixelDelta();
    const QPoint angle = event->angleDelta();
    // Whichever direction the wheel turned most moves the tabs sideways.
    const auto along = [](QPoint p) { return std::abs(p.x()) > std::abs(p.y()) ? p.x() : p.y(); };
    const int step = !pixels.isNull() ? along(pixels) : along(angle) * kWheelStep / kWheelNotch;
    QScrollBar* bar = horizontalScrollBar();
    bar->setValue(bar->value() - step);
    event->accept();
}

bool TabScrollArea::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize)
        updateHints();
    return QScrollArea::viewportEvent(event);
}

void TabScrollArea::updateHints()
{
    const QRect area = viewport()->rect();
    m_before->setGeometry(area.left(), area.top(), kHintWidth, area.height());
    m_after->setGeometry(area.right() + 1 - kHintWidth, area.top(), kHintWidth, area.height());
    m_before->setVisible(hidesBefore());
    m_after->setVisible(hidesAfter());
    m_before->raise();
    m_after->raise();
}

} // namespace quelto
