// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/editortheme.h"

#include "ui/window/glasssurface.h"

#include <QFontDatabase>

namespace quelto {

namespace {

constexpr double kSecondaryAlpha = 0.55;
constexpr double kTertiaryAlpha = 0.3;
constexpr double kSeparatorAlpha = 0.25;
constexpr double kCodeBackgroundAlpha = 0.07;
constexpr double kResultScale = 0.9;
constexpr double kHeadingGrowth[] = {6, 3, 1}; // points added for levels 1 to 3

QFont systemFont(QFontDatabase::SystemFont kind, double size)
{
    QFont font = QFontDatabase::systemFont(kind);
    font.setPointSizeF(size);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

QFont EditorTheme::baseFont() const
{
    return systemFont(monospace ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont, fontSize);
}

QFont EditorTheme::resultFont() const
{
    QFont font = systemFont(QFontDatabase::GeneralFont, fontSize * kResultScale);
    font.setWeight(QFont::Medium);
    return font;
}

QColor EditorTheme::secondary(const QPalette& palette)
{
    return GlassSurface::withAlpha(palette.color(QPalette::Text), kSecondaryAlpha);
}

QColor EditorTheme::tertiary(const QPalette& palette)
{
    return GlassSurface::withAlpha(palette.color(QPalette::Text), kTertiaryAlpha);
}

QTextCharFormat EditorTheme::baseFormat(const QPalette& palette) const
{
    QTextCharFormat format;
    format.setFont(baseFont());
    format.setForeground(palette.color(QPalette::Text));
    return format;
}

QTextCharFormat EditorTheme::format(const MarkdownHighlighter::Style& style,
                                    const QPalette& palette) const
{
    using Kind = MarkdownHighlighter::Style::Kind;
    QTextCharFormat f;
    switch (style.kind) {
    case Kind::Heading: {
        const double growth =
            style.level >= 1 && style.level <= 3 ? kHeadingGrowth[style.level - 1] : 0;
        QFont font = systemFont(QFontDatabase::GeneralFont, fontSize + growth);
        font.setWeight(QFont::DemiBold);
        f.setFont(font);
        break;
    }
    case Kind::Link:
        f.setForeground(palette.color(QPalette::Link));
        f.setFontUnderline(true);
        f.setProperty(NoteLink, style.url);
        f.setAnchor(true);
        f.setAnchorHref(style.url.toString());
        break;
    case Kind::Checkbox:
        f.setForeground(Qt::transparent);
        f.setProperty(NoteCheckbox, style.checked);
        break;
    case Kind::Marker:
        f.setForeground(tertiary(palette));
        f.setProperty(NoteMarker, true);
        break;
    case Kind::Bold:
        f.setFontWeight(QFont::Bold);
        break;
    case Kind::Italic:
        f.setFontItalic(true);
        break;
    case Kind::Strike:
        f.setFontStrikeOut(true);
        f.setForeground(secondary(palette));
        break;
    case Kind::Code:
        f.setFont(systemFont(QFontDatabase::FixedFont, fontSize - 1));
        f.setBackground(
            GlassSurface::withAlpha(palette.color(QPalette::Text), kCodeBackgroundAlpha));
        break;
    case Kind::ListBullet:
        f.setForeground(secondary(palette));
        break;
    case Kind::Rule:
        f.setForeground(GlassSurface::withAlpha(palette.color(QPalette::Text), kSeparatorAlpha));
        break;
    case Kind::Math:
        f.setFont(baseFont());
        break;
    }
    return f;
}

} // namespace quelto
