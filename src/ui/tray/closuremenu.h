// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Menu items built in code that run a function when chosen.

#include <QKeySequence>
#include <QMenu>

#include <functional>

namespace quelto {

// Appends an item that runs `handler` when chosen and returns it for further setup.
QAction* addClosureItem(QMenu* menu, const QString& title, const QKeySequence& shortcut,
                        std::function<void()> handler);

} // namespace quelto
