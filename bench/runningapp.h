// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the running application has already loaded before a secondary window opens:
// a window with text, an SVG icon and a shortcut's name, so fonts, the style, the SVG
// renderer and the keyboard layout are in memory when the measured window opens.

#include "core/settings/hotkeycombo.h"
#include "platform/hotkey/keyboardlayout.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <chrono>

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

} // namespace quelto::bench
