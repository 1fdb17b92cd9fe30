// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Quelto's own first-run pages: a welcome page with a picture of the panel, the
// global shortcut and a button to try it, and a page of editing tricks.

#include "platform/desktop/trayhost.h"
#include "ui/onboarding/onboardingview.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace quelto {

// What the pages say about the global shortcut: its display text, or empty while no
// shortcut works (then they point to the tray icon, where there is one, and
// `quelto --toggle`).
class ShortcutDisplay : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    QString text() const { return m_text; }
    void setText(const QString& text);

signals:
    void textChanged(const QString& text);

private:
    QString m_text;
};

// A shortcut shown as one large key label.
class ShortcutBadge : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPixelSize = 22;
    static constexpr int kPadX = 16;
    static constexpr int kPadY = 8;
    static constexpr double kRadius = 10;

    explicit ShortcutBadge(const QString& text, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

class WelcomeStep : public QWidget {
    Q_OBJECT

public:
    // Without `tray` the tray icon counts as shown.
    explicit WelcomeStep(const ShortcutDisplay& shortcut, const TrayHost* tray = nullptr,
                         QWidget* parent = nullptr);

    ShortcutBadge* badge() const { return m_badge; }
    QPushButton* tryButton() const { return m_try; }
    // The line that says how to open Quelto when no shortcut works.
    QLabel* noShortcutHint() const { return m_noShortcut; }

signals:
    void showPanelRequested();

private:
    void showShortcut(const QString& text);
    void showTray(bool shown);

    QWidget* m_pressRow;
    ShortcutBadge* m_badge;
    QLabel* m_noShortcut;
    QPushButton* m_try;
};

// The welcome page, then the tricks page. The welcome page's "Try it now" runs
// `showPanel`.
QList<OnboardingStep> onboardingSteps(const ShortcutDisplay& shortcut,
                                      std::function<void()> showPanel,
                                      const TrayHost* tray = nullptr);

inline const QString kOnboardingTitle = QStringLiteral("Welcome to Quelto");
inline const QString kOnboardingFinishTitle = QStringLiteral("Start Writing");
inline constexpr QSize kOnboardingSize{500, 400};

} // namespace quelto
