// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/toastcontroller.h"

#include "platform/window/windowsystem.h"
#include "ui/accessibility/accessiblewidget.h"
#include "ui/window/floatingpanel.h"
#include "ui/window/glasssurface.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
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

namespace {

// Runs the toast's action on a click, then closes it.
class ClickAction : public QObject {
public:
    ClickAction(QWidget* toast, std::function<void()> action)
        : QObject(toast)
        , m_action(std::move(action))
    {
        toast->installEventFilter(this);
        for (QWidget* child : toast->findChildren<QWidget*>())
            child->installEventFilter(this);
        toast->setCursor(Qt::PointingHandCursor);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        const std::function<void()> action = m_action; // the toast closes meanwhile
        static_cast<QWidget*>(parent())->close();
        action();
        return true;
    }

private:
    std::function<void()> m_action;
};

} // namespace

void ToastController::show(const QString& message)
{
    show(message, {});
}

void ToastController::show(const QString& message, std::function<void()> action)
{
    hide();
    auto* label = new QLabel(message);
    QFont font = label->font();
    font.setPointSize(kFontPoints);
    font.setWeight(QFont::Medium);
    label->setFont(font);
    label->setWordWrap(true);
    // A message cut after its second line keeps its first.
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setContentsMargins(kPadX, kPadY, kPadX, kPadY);
    // At most two lines: a longer message is cut after the second.
    const int lineHeight = label->fontMetrics().lineSpacing();
    label->setMaximumHeight(kMaxLines * lineHeight + 2 * kPadY);
    const QSize fitting = label->sizeHint();
    const QSize size(std::max(fitting.width(), kMinWidth),
                     std::clamp(fitting.height(), kMinHeight, kMaxLines * lineHeight + 2 * kPadY));

    // Clicks pass through unless the toast has something to do with them.
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                            Qt::WindowDoesNotAcceptFocus;
    if (!action)
        flags |= Qt::WindowTransparentForInput;
    auto* window = new QWidget(nullptr, flags);
    // Spoken as it shows, as a desktop notification is; its text is its name. Said in
    // the active window when there is one, where screen readers follow what happens.
    QWidget* active = QApplication::activeWindow();
    if (!active)
        Accessible::setRole(window, QAccessible::Notification);
    window->setAccessibleName(message);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_TransparentForMouseEvents, !action);
    window->setAttribute(Qt::WA_TranslucentBackground, WindowSystem::current().isCompositing());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("toast"));
    const GlassSurface::PanelContent wrapped =
        GlassSurface::panelContent(label, size, kCornerRadius);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped.surface);
    Accessible::hide(wrapped.surface);
    window->setFixedSize(wrapped.windowSize);

    if (QScreen* screen = screenUnderPointer()) {
        const QRect visible = screen->availableGeometry();
        window->move(visible.left() + (visible.width() - window->width()) / 2,
                     visible.top() + kTopGap);
    }
    if (action) {
        Accessible::setPressAction(window, [window, action] {
            window->close();
            action();
        });
        new ClickAction(window, std::move(action));
    }
    window->show();
    Accessible::announce(active, message);
    m_window = window;
    m_hideTimer.start(action ? kActionShowMs : kShowMs);
}

void ToastController::hide()
{
    m_hideTimer.stop();
    if (m_window)
        m_window->close();
    m_window = nullptr;
}

} // namespace quelto
