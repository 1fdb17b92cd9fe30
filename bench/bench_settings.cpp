// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the settings window on the offscreen platform: the first time in a process
// (building the window and its three pages, loading its icons, first layout and paint)
// with the resident memory it adds, and again after it was closed. Quelto has shown
// its panel, its (SVG) tray icon and its shortcut's name before settings can be
// opened, so a window with text, an SVG icon and a key name have been shown first:
// fonts, the style, the SVG renderer and the keyboard layout are loaded by then.

#include "core/settings/preferences.h"
#include "ui/commands/commandtable.h"
#include "ui/settings/settingswindowcontroller.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "resident.h"
#include "runningapp.h"

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace quelto;

namespace {

using bench::millisecondsSince;
using bench::residentMegabytes;

struct Settings {
    QTemporaryDir dir;
    Preferences prefs{std::make_unique<QSettings>(dir.filePath("p.ini"), QSettings::IniFormat)};
    CommandTable commands;
    SettingsWindowController controller{
        SettingsContext{prefs, commands, AboutInfo{"0.1.0", "1", {}, {}, {}}, dir.filePath("N")}};

    // Shown, laid out and painted.
    void open()
    {
        controller.show();
        QCoreApplication::processEvents();
    }
};

std::unique_ptr<Settings> g_settings;

// Registered first: nothing of the settings window has been loaded before it runs.
void BM_OpenFirstTime(benchmark::State& state)
{
    for (auto _ : state) {
        const double before = residentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        g_settings = std::make_unique<Settings>();
        g_settings->open();
        state.counters["first_ms"] = millisecondsSince(start);
        state.counters["added_MB"] = residentMegabytes() - before;
    }
}

void BM_OpenAgain(benchmark::State& state)
{
    std::vector<double> millis;
    for (auto _ : state) {
        g_settings->controller.window()->close();
        QCoreApplication::processEvents();
        const auto start = std::chrono::steady_clock::now();
        g_settings->open();
        millis.push_back(millisecondsSince(start));
    }
    std::sort(millis.begin(), millis.end());
    state.counters["median_ms"] = millis[millis.size() / 2];
    state.counters["max_ms"] = millis.back();
}

BENCHMARK(BM_OpenFirstTime)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpenAgain)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv, [] { g_settings.reset(); });
}
