// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Quelto's command line, read before any window system is touched, so that --help
// and --version work anywhere (a build machine, a terminal without a display).

#include <QStringList>

#include <variant>

namespace quelto {

struct CommandLine {
    bool toggle = false;

    // What to run, or the exit code when the arguments were all there is to do:
    // 0 after --help or --version (printed to stdout), 2 after a line on stderr that
    // names a bad option or a stray argument.
    static std::variant<CommandLine, int> parse(const QStringList& arguments);
};

} // namespace quelto
