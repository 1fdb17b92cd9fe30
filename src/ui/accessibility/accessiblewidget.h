// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What assistive tools are told about widgets Qt cannot describe by itself: painted
// tabs, windows, toasts. Each is set on the widget, and an accessibility factory
// reads it back. Qt's bridge to the desktop forwards no announcements, so spoken
// messages go through a notification that shows.

#include <QAccessible>

#include <functional>

class QWidget;

namespace quelto::Accessible {

// Set before anything asks about the widget: Qt keeps the first description it made.
// The calls below take effect on widgets given a role.
void setRole(QWidget* widget, QAccessible::Role role);
// Leaves the widget, and what it holds, out of its parent's children (a label
// repeating its parent's name, an invisible resize grip).
void hide(QWidget* widget);
// Selectable, and whether it is selected now; a change is reported.
void setSelected(QWidget* widget, bool selected);
// Checkable, and whether it is checked now; a change is reported.
void setChecked(QWidget* widget, bool checked);
// What its Press action does.
void setPressAction(QWidget* widget, std::function<void()> press);
// Has a screen reader say `message` now, as it speaks a notification.
void announce(QWidget* window, const QString& message);

} // namespace quelto::Accessible
