// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Short messages ("Copied 48", "Couldn't save note") in a small window at the top
// centre of the screen under the pointer, for 2.5 seconds. A new one replaces the old
// at once; toasts never take focus and let clicks through.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace quelto {

class ToastController : public QObject {
    Q_OBJECT

public:
    static constexpr int kShowMs = 2500;
    static constexpr int kActionShowMs = 8000;
    static constexpr int kMinWidth = 200;
    static constexpr int kMinHeight = 40;
    static constexpr int kTopGap = 12;

    explicit ToastController(QObject* parent = nullptr);
    ~ToastController() override;

    void show(const QString& message);
    // A toast that stays longer and takes a click, which runs `action`.
    void show(const QString& message, std::function<void()> action);
    void hide();
    // The toast on screen, if any.
    QWidget* window() const { return m_window; }

private:
    QPointer<QWidget> m_window;
    QTimer m_hideTimer;
};

} // namespace quelto
