// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the running application has already loaded before a secondary window opens:
// a window with text, an SVG icon and a shortcut's name, so fonts, the style, the SVG
// renderer and the keyboard layout are in memory when the measured window opens.

#include "core/settings/hotkeycombo.h"
#include "platform/hotkey/keyboardlayout.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

namespace quelto::bench {

inline double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Stands in for the panel and the tray icon the running application already shows.
inline void showPanelLikeWindow(QWidget& window, const QString& svgIcon)
{
    window.setWindowIcon(QIcon(svgIcon).pixmap(QSize(22, 22)));
    window.setWindowTitle(KeyboardLayout::displayString(HotKeyCombo::defaultCombo()));
    auto* column = new QVBoxLayout(&window);
    column->addWidget(new QLabel(QStringLiteral("Scratch")));
    column->addWidget(new QPlainTextEdit(QStringLiteral("# Welcome\n- [ ] a task\n= 12 * 4")));
    window.resize(440, 380);
    window.show();
    QCoreApplication::processEvents();
}

// Runs the registered benchmarks on the offscreen platform, with a panel-like window
// shown first; `tearDown` runs while the application still exists.
inline int runBenchmarks(int argc, char** argv, const std::function<void()>& tearDown = {})
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns at every raise().
    qputenv("QT_LOGGING_RULES", "default.warning=false");
    QApplication app(argc, argv);
    QWidget panel;
    showPanelLikeWindow(panel, QStringLiteral(":/icons/about.svg"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (tearDown)
        tearDown();
    return 0;
}

} // namespace quelto::bench
