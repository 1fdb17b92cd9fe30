#pragma once
// The application's standard commands: Quit, the Edit commands (sent to whichever
// widget has the focus) and Close. Installed on the panel window so their keys work
// there; shown as a menu bar when Quelto runs as a regular application.

#include <QMenuBar>
#include <QString>

#include <functional>

namespace quelto::MainMenu {

QMenuBar* build(const QString& applicationName, std::function<void()> quit,
                std::function<void()> close);

} // namespace quelto::MainMenu
