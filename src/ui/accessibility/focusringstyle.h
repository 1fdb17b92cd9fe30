// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application's style with a focus ring that can be seen: a solid ring in the
// highlight colour where the style draws a faint one (switches, list rows), and one
// around flat buttons, which draw none.

class QPainter;
class QStyle;
class QWidget;

namespace quelto::FocusRing {

// Gives `widget` the visible ring (a style is not inherited by children).
void apply(QWidget* widget);
// The rounded face flat panel controls draw themselves: a faint tint of the text colour
// while `tinted` (active, hovered, pressed), and the focus ring while `widget` has focus.
void paintRoundedFace(QPainter& painter, const QWidget& widget, double radius, bool tinted);

} // namespace quelto::FocusRing
