// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/toastcontroller.h"

#include "ui/window/floatingpanel.h"
#include "ui/window/glasssurface.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace quelto {

namespace {

constexpr int kPadX = 16;
constexpr int kPadY = 10;
constexpr double kCornerRadius = 12;
constexpr int kFontPoints = 13;
constexpr int kMaxLines = 2;

} // namespace

ToastController::ToastController(QObject* parent)
    : QObject(parent)
{
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kShowMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &ToastController::hide);
}

ToastController::~ToastController()
{
    hide();
}

void ToastController::show(const QString& message)
{
    hide();
    auto* label = new QLabel(message);
    QFont font = label->font();
    font.setPointSize(kFontPoints);
    font.setWeight(QFont::Medium);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setContentsMargins(kPadX, kPadY, kPadX, kPadY);
    // At most two lines: a longer message is cut after the second.
    const int lineHeight = label->fontMetrics().lineSpacing();
    label->setMaximumHeight(kMaxLines * lineHeight + 2 * kPadY);
    const QSize fitting = label->sizeHint();
    const QSize size(std::max(fitting.width(), kMinWidth),
                     std::clamp(fitting.height(), kMinHeight, kMaxLines * lineHeight + 2 * kPadY));

    auto* window =
        new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                 Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_TransparentForMouseEvents);
    window->setAttribute(Qt::WA_TranslucentBackground, GlassSurface::isCompositing());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("toast"));
    const GlassSurface::PanelContent wrapped =
        GlassSurface::panelContent(label, size, kCornerRadius);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped.surface);
    window->setFixedSize(wrapped.windowSize);

    if (QScreen* screen = screenUnderPointer()) {
        const QRect visible = screen->availableGeometry();
        window->move(visible.left() + (visible.width() - window->width()) / 2,
                     visible.top() + kTopGap);
    }
    window->show();
    m_window = window;
    m_hideTimer.start();
}

void ToastController::hide()
{
    m_hideTimer.stop();
    if (m_window)
        m_window->close();
    m_window = nullptr;
}

} // namespace quelto
