// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/onboardingview.h"

#include "ui/accessibility/accessiblewidget.h"
#include "ui/window/glasssurface.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quelto {

namespace {

constexpr int kPadSides = 28;
// The window manager's title bar sits above the content, not over it.
constexpr int kPadTop = 16;
constexpr int kPadBottom = 24;
constexpr int kDot = 7;
constexpr int kDotGap = 6;
constexpr float kOtherDotAlpha = 0.25f;
// Close to a spring of half a second that barely overshoots.
constexpr int kPageChangeMs = 420;
constexpr double kPageSlide = 0.25; // of the page's width

} // namespace

// One dot per step, the current one in the accent colour.
class PageDots final : public QWidget {
public:
    PageDots(qsizetype count, QWidget* parent)
        : QWidget(parent)
        , m_count(int(count))
    {
        Accessible::setRole(this, QAccessible::StaticText);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    void setCurrent(int current)
    {
        m_current = current;
        setAccessibleName(QStringLiteral("Step %1 of %2").arg(current + 1).arg(m_count));
        update();
    }

    QSize sizeHint() const override
    {
        return {std::max(0, m_count * kDot + (m_count - 1) * kDotGap), kDot};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QColor other =
            GlassSurface::withAlpha(palette().color(QPalette::WindowText), kOtherDotAlpha);
        const int top = (height() - kDot) / 2;
        for (int i = 0; i < m_count; ++i) {
            painter.setBrush(i == m_current ? palette().color(QPalette::Highlight) : other);
            painter.drawEllipse(QRect(i * (kDot + kDotGap), top, kDot, kDot));
        }
    }

private:
    int m_count;
    int m_current = 0;
};

int OnboardingView::clampedIndex(int startIndex, qsizetype stepCount)
{
    if (stepCount <= 0)
        return 0;
    return std::clamp(startIndex, 0, int(stepCount) - 1);
}

OnboardingView::OnboardingView(QList<OnboardingStep> steps, QString finishTitle, int startIndex,
                               QWidget* parent)
    : QWidget(parent)
    , m_steps(std::move(steps))
    , m_finishTitle(std::move(finishTitle))
    , m_index(clampedIndex(startIndex, m_steps.size()))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadSides, kPadTop, kPadSides, kPadBottom);
    column->setSpacing(0);

    m_pages = new QStackedWidget(this);
    for (const OnboardingStep& step : std::as_const(m_steps)) {
        QWidget* page = step.content ? step.content() : new QWidget;
        page->setObjectName(step.id);
        m_pages->addWidget(page);
    }
    column->addWidget(m_pages, 1);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    m_dots = new PageDots(m_steps.size(), this);
    bar->addWidget(m_dots, 0, Qt::AlignVCenter);
    bar->addStretch(1);
    m_skip = new QPushButton(QStringLiteral("Skip for now"), this);
    m_skip->setFlat(true);
    m_skip->setCursor(Qt::PointingHandCursor);
    QPalette link = m_skip->palette();
    link.setColor(QPalette::ButtonText, link.color(QPalette::Link));
    m_skip->setPalette(link);
    bar->addWidget(m_skip, 0, Qt::AlignVCenter);
    m_primary = new QPushButton(this);
    GlassSurface::primaryButtonStyle(m_primary, true);
    m_primary->setDefault(true);
    bar->addWidget(m_primary, 0, Qt::AlignVCenter);
    column->addLayout(bar);

    connect(m_skip, &QPushButton::clicked, this, &OnboardingView::advance);
    connect(m_primary, &QPushButton::clicked, this, &OnboardingView::advance);
    // Return and Enter press the primary button wherever the focus is in the window.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        // A focused button of the page ("Try it now") is pressed rather than Continue.
        connect(shortcut, &QShortcut::activated, this, [this] {
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            (focused && isAncestorOf(focused) ? focused : m_primary)->animateClick();
        });
    }

    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &OnboardingView::refresh);
    m_tick.start();
    showIndex(m_index, false);
}

QWidget* OnboardingView::currentPage() const
{
    return m_pages->currentWidget();
}

void OnboardingView::advance()
{
    if (m_index < m_steps.size() - 1)
        showIndex(m_index + 1, true);
    else
        emit finishRequested();
}

void OnboardingView::showIndex(int index, bool animated)
{
    m_index = index;
    m_pages->setCurrentIndex(index);
    m_dots->setCurrent(index);
    refresh();
    QWidget* page = m_pages->currentWidget();
    if (isVisible()) {
        // The focus would stay on a control of the page gone. A screen reader reads
        // the dialog's text as it opens, not as its page changes: the new page is said.
        m_primary->setFocus(Qt::OtherFocusReason);
        announcePage();
    }
    if (!animated || !page || !isVisible())
        return;
    auto* slide = new QPropertyAnimation(page, "pos", page);
    slide->setDuration(kPageChangeMs);
    slide->setStartValue(QPoint(int(page->width() * kPageSlide), 0));
    slide->setEndValue(QPoint(0, 0));
    slide->setEasingCurve(QEasingCurve::OutCubic);
    slide->start(QAbstractAnimation::DeleteWhenStopped);
}

namespace {

// The text a page shows, as assistive tools see it: its texts and pictures in order.
void collectText(QAccessibleInterface* node, QStringList& out)
{
    if (!node || node->state().invisible)
        return;
    const QAccessible::Role role = node->role();
    if (role == QAccessible::StaticText || role == QAccessible::Graphic) {
        if (const QString text = node->text(QAccessible::Name); !text.isEmpty())
            out.append(text);
        return;
    }
    for (int i = 0; i < node->childCount(); ++i)
        collectText(node->child(i), out);
}

} // namespace

void OnboardingView::announcePage()
{
    QStringList text;
    collectText(QAccessible::queryAccessibleInterface(m_pages->currentWidget()), text);
    Accessible::announce(window(), text.join(u' '));
}

void OnboardingView::refresh()
{
    const bool last = m_index >= m_steps.size() - 1;
    m_primary->setText(last ? m_finishTitle : QStringLiteral("Continue"));
    const bool blocked = m_index < m_steps.size() && m_steps[m_index].isBlocked();
    m_skip->setVisible(blocked);
}

} // namespace quelto
