// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A first-run guide's pages: one step at a time, page dots, a primary button that
// advances ("Continue", or the finishing title on the last page) and a "Skip for now"
// link while the current step waits for the user to do something.

#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

class QPushButton;
class QStackedWidget;

namespace quelto {

struct OnboardingStep {
    QString id;
    // Builds the page; the view owns what it returns.
    std::function<QWidget*()> content;
    // Empty: the step never blocks. Otherwise the step is blocked while this is false.
    std::function<bool()> isComplete;

    bool isBlocked() const { return isComplete && !isComplete(); }
};

class PageDots;

class OnboardingView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTickMs = 1000;

    // `startIndex` is clamped to the steps there are.
    static int clampedIndex(int startIndex, qsizetype stepCount);

    OnboardingView(QList<OnboardingStep> steps, QString finishTitle, int startIndex,
                   QWidget* parent = nullptr);

    int index() const { return m_index; }
    qsizetype stepCount() const { return m_steps.size(); }
    QPushButton* primaryButton() const { return m_primary; }
    QPushButton* skipButton() const { return m_skip; }
    // The page shown for the current step.
    QWidget* currentPage() const;

    // The next page, or on the last one the end of the guide.
    void advance();

signals:
    void finishRequested();

private:
    // Has a screen reader read the shown page.
    void announcePage();
    // Re-reads whether the current step is blocked and titles the buttons.
    void refresh();
    void showIndex(int index, bool animated);

    QList<OnboardingStep> m_steps;
    QString m_finishTitle;
    int m_index = 0;
    QStackedWidget* m_pages;
    PageDots* m_dots;
    QPushButton* m_skip;
    QPushButton* m_primary;
    QTimer m_tick;
};

} // namespace quelto
