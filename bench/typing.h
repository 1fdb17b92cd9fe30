// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One benchmark iteration is one key typed into the editor (a letter, then Backspace,
// so the note keeps its size), timed from key event to everything it updates, with or
// without painting; the median and the 99th percentile go into the counters.

#include "ui/editor/editortextview.h"

#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace quelto::bench {

inline void typeAndTime(benchmark::State& state, EditorTextView& view, bool repaint)
{
    std::vector<double> micros;
    int typed = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(&view, typed % 2 ? Qt::Key_Backspace : Qt::Key_A, Qt::NoModifier);
        if (repaint)
            view.viewport()->repaint();
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
        ++typed;
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}

} // namespace quelto::bench
