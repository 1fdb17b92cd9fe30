// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/settingsicon.h"

#include "ui/editor/editortheme.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quelto::SettingsIcon {

namespace {

constexpr double kSymbolScale = 0.55;
constexpr double kRadiusScale = 0.26;
constexpr int kButtonIconSize = 16;
constexpr int kGradientLighter = 125;

QIcon bundled(const QString& name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

// `icon` at `side` device-independent pixels, every opaque pixel painted `colour`.
QPixmap recoloured(const QIcon& icon, int side, const QColor& colour)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap = icon.pixmap(QSize(side, side), ratio);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), colour);
    return pixmap;
}

} // namespace

QIcon themed(const QString& themeName, const QString& bundledName, const QPalette& palette)
{
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    const QIcon symbol = bundled(bundledName);
    QIcon icon;
    for (const int side : {kButtonIconSize, 2 * kButtonIconSize})
        icon.addPixmap(recoloured(symbol, side, EditorTheme::secondary(palette)));
    return icon;
}

QIcon tile(const QString& themeName, const QString& bundledName, const QColor& tint, int size)
{
    const QString symbolic = themeName + QStringLiteral("-symbolic");
    const QIcon symbol = !themeName.isEmpty() && QIcon::hasThemeIcon(symbolic)
                             ? QIcon::fromTheme(symbolic)
                             : bundled(bundledName);
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, tint.lighter(kGradientLighter));
    fill.setColorAt(1, tint);
    QPainterPath square;
    square.addRoundedRect(QRectF(0, 0, size, size), kRadiusScale * size, kRadiusScale * size);
    painter.fillPath(square, fill);
    const int side = qRound(kSymbolScale * size);
    const int offset = (size - side) / 2;
    painter.drawPixmap(QRect(offset, offset, side, side), recoloured(symbol, side, Qt::white));
    painter.end();
    return QIcon(pixmap);
}

} // namespace quelto::SettingsIcon
