// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the first-run guide on the offscreen platform: building its two pages,
// showing, laying out and painting the window, with the resident memory it adds;
// then paging to the second page and closing it, and what memory stays after that.
// Quelto has built its panel and shown its tray icon by then (see runningapp.h).

#include "ui/onboarding/onboardingsteps.h"
#include "ui/onboarding/onboardingwindowcontroller.h"

#include <QApplication>
#include <QPushButton>

#include "resident.h"
#include "runningapp.h"

#include <benchmark/benchmark.h>

using namespace quelto;

namespace {

using bench::millisecondsSince;
using bench::residentMegabytes;

void BM_OpenGuide(benchmark::State& state)
{
    ShortcutDisplay shortcut;
    shortcut.setText(QStringLiteral("Ctrl+Shift+J"));
    for (auto _ : state) {
        const double before = residentMegabytes();
        auto start = std::chrono::steady_clock::now();
        OnboardingWindowController guide(kOnboardingTitle, kOnboardingSize);
        guide.present(onboardingSteps(shortcut, [] {}), 0, kOnboardingFinishTitle);
        QCoreApplication::processEvents();
        state.counters["open_ms"] = millisecondsSince(start);
        state.counters["added_MB"] = residentMegabytes() - before;

        start = std::chrono::steady_clock::now();
        guide.view()->primaryButton()->click();
        QCoreApplication::processEvents();
        state.counters["next_page_ms"] = millisecondsSince(start);
        guide.view()->primaryButton()->click(); // closes it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        state.counters["kept_after_close_MB"] = residentMegabytes() - before;
    }
}

// Once: the first opening in a process is the one a new user waits for.
BENCHMARK(BM_OpenGuide)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
