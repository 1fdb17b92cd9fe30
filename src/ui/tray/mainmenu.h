// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application's standard commands: Quit, the Edit commands (sent to whichever
// widget has the focus), Close Tab and Hide. Installed on the panel window so their keys work
// there; shown as a menu bar when Quelto runs as a regular application.

#include "ui/commands/commandtable.h"

#include <QMenuBar>
#include <QString>

namespace quelto::MainMenu {

QMenuBar* build(const QString& applicationName, const CommandTable& commands);

} // namespace quelto::MainMenu
