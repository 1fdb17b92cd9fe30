// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/onboardingwindowcontroller.h"

#include "ui/accessibility/accessiblewidget.h"
#include "ui/window/glasssurface.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace quelto {

namespace {

// Tells its controller when it closes, however that happens.
class OnboardingWindow final : public QWidget {
public:
    explicit OnboardingWindow(std::function<void()> closing)
        : m_closing(std::move(closing))
    {
        Accessible::setRole(this, QAccessible::Dialog);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        QWidget::closeEvent(event);
        if (event->isAccepted() && m_closing)
            m_closing();
    }

private:
    std::function<void()> m_closing;
};

} // namespace

OnboardingWindowController::OnboardingWindowController(QString title, QSize size, QObject* parent)
    : QObject(parent)
    , m_title(std::move(title))
    , m_size(size)
{}

OnboardingWindowController::~OnboardingWindowController()
{
    delete m_window.data();
}

void OnboardingWindowController::present(QList<OnboardingStep> steps, int startIndex,
                                         const QString& finishTitle)
{
    const bool created = !m_window;
    if (created) {
        m_window = new OnboardingWindow([this] { end(); });
        m_window->setWindowTitle(m_title);
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    auto* view = new OnboardingView(std::move(steps), finishTitle, startIndex);
    view->setFixedSize(m_size);
    connect(view, &OnboardingView::finishRequested, this, [this] {
        if (m_window)
            m_window->close();
    });
    delete m_view.data();
    m_view = view;
    GlassSurface::configureWindow(m_window, view, m_size);
    if (created) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame(QPoint(), m_size);
            frame.moveCenter(screen->availableGeometry().center());
            m_window->move(frame.topLeft());
        }
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void OnboardingWindowController::end()
{
    if (m_finished)
        return;
    m_finished = true;
    // Not deleted here: the window is still inside its own close.
    if (QWidget* window = m_window.data()) {
        m_window = nullptr;
        window->deleteLater();
    }
    emit finished();
}

} // namespace quelto
