// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for screenshot tests: palettes as desktops hand them over, grabbing and
// keeping shots for a person to look at, and counts of the pixels that stand out.

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <cstdlib>

namespace quelto::testing {

inline constexpr int kTextContrast = 60;
inline constexpr int kShapeContrast = 15;

// Light: the style's own. Dark: Adwaita's colours as Qt's GTK theme hands them over,
// fields (base) darker than the window.
inline QPalette themePalette(bool dark)
{
    if (!dark)
        return QApplication::style()->standardPalette();
    QPalette p;
    for (const auto role : {QPalette::Window, QPalette::Button})
        p.setColor(role, QColor(0x32, 0x32, 0x32));
    for (const auto role : {QPalette::Base, QPalette::AlternateBase})
        p.setColor(role, QColor(0x24, 0x24, 0x24));
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(role, QColor(0xee, 0xee, 0xec));
    p.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    p.setColor(QPalette::Mid, QColor(0x28, 0x28, 0x28));
    return p;
}

inline QImage grab(const QWidget* window)
{
    return window->screen()->grabWindow(window->winId()).toImage();
}

// Kept in QUELTO_SCREENSHOT_DIR, or the working directory, as `name`.png.
inline bool keepShot(const QImage& shot, const QString& name)
{
    const QString dir = qEnvironmentVariable("QUELTO_SCREENSHOT_DIR", QDir::currentPath());
    const QString path = QStringLiteral("%1/%2.png").arg(dir, name);
    if (!shot.save(path))
        return false;
    qInfo("screenshot: %s", qPrintable(path));
    return true;
}

enum class Ink { Lighter, Darker, Either };

// Pixels of `area` lighter or darker than the area's most common colour by a clear
// margin: what the eye reads as ink (lighter on dark palettes, darker on light ones),
// or as a shape of its own (either way, by less).
inline int inkPixels(const QImage& shot, const QRect& area, Ink ink)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[shot.pixel(x, y)];
    QRgb background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > counts.value(background))
            background = it.key();
    }
    const int paper = qGray(background);
    int pixels = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const int difference = qGray(it.key()) - paper;
        if ((ink == Ink::Lighter && difference > kTextContrast) ||
            (ink == Ink::Darker && difference < -kTextContrast) ||
            (ink == Ink::Either && std::abs(difference) > kShapeContrast))
            pixels += it.value();
    }
    return pixels;
}

inline QRect areaIn(const QWidget* widget, const QWidget* window)
{
    return QRect(widget->mapTo(window, QPoint()), widget->size());
}

} // namespace quelto::testing
