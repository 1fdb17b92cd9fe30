// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shows an onboarding guide in a titled window of fixed size. However the window
// closes (the finishing button, the title bar's close button, the window manager)
// the guide ends once, with `finished`.

#include "ui/onboarding/onboardingview.h"

#include <QObject>
#include <QPointer>
#include <QSize>

namespace quelto {

class OnboardingWindowController : public QObject {
    Q_OBJECT

public:
    OnboardingWindowController(QString title, QSize size, QObject* parent = nullptr);
    // Closes a window still open without ending the guide: quitting is not finishing.
    ~OnboardingWindowController() override;

    // Shows `steps` from `startIndex`, in a new window or replacing what the open one
    // shows, and brings the window to the front.
    void present(QList<OnboardingStep> steps, int startIndex, const QString& finishTitle);

    // Nothing before the first presentation and once the window closed.
    QWidget* window() const { return m_window; }
    OnboardingView* view() const { return m_view; }
    bool isFinished() const { return m_finished; }

signals:
    void finished();

private:
    void end();

    QString m_title;
    QSize m_size;
    QPointer<QWidget> m_window;
    QPointer<OnboardingView> m_view;
    bool m_finished = false;
};

} // namespace quelto
