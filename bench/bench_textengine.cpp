// SPDX-License-Identifier: GPL-3.0-or-later
// Text engine figures on a realistic 10,000-line note: styling every line, the
// arithmetic results of the whole note, and Return at the end of a long ordered list.

#include "core/text/listediting.h"
#include "core/text/markdownhighlighter.h"
#include "core/text/mathevaluator.h"

#include "samplenote.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

using namespace quelto;
using quelto::bench::sampleNote;

namespace {

void BM_RunsForEveryLine(benchmark::State& state)
{
    const QList<QStringView> lines = QStringView(sampleNote()).split(u'\n');
    std::vector<double> perLine;
    perLine.reserve(lines.size());
    for (auto _ : state) {
        perLine.clear();
        for (QStringView line : lines) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(MarkdownHighlighter::runsForLine(line));
            perLine.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::sort(perLine.begin(), perLine.end());
    state.counters["lines"] = double(lines.size());
    state.counters["median_us"] = perLine[perLine.size() / 2];
    state.counters["p99_us"] = perLine[perLine.size() * 99 / 100];
}

void BM_ResultsOfWholeNote(benchmark::State& state)
{
    const icu::Locale locale("en_US");
    qsizetype count = 0;
    for (auto _ : state) {
        const QMap<int, Decimal> results = MathEvaluator::results(sampleNote(), locale);
        count = results.size();
        benchmark::DoNotOptimize(results);
    }
    state.counters["results"] = double(count);
}

void BM_ReturnAtEndOfOrderedList(benchmark::State& state)
{
    QString text;
    for (int i = 1; i <= 500; ++i)
        text += QStringLiteral("%1. item number %1\n").arg(i);
    text.chop(1);
    // Return after the first item: every later item needs a new number.
    const qsizetype caret = text.indexOf(u'\n');
    for (auto _ : state) {
        const std::optional<TextEdit> edit = ListEditing::continueList(text, {caret, 0});
        const QString after = edit->appliedTo(text);
        benchmark::DoNotOptimize(ListEditing::renumberList(after, edit->selection.location));
    }
}

void BM_ReturnAfterLastItem(benchmark::State& state)
{
    QString text;
    for (int i = 1; i <= 500; ++i)
        text += QStringLiteral("%1. item number %1\n").arg(i);
    text.chop(1);
    for (auto _ : state) {
        const std::optional<TextEdit> edit = ListEditing::continueList(text, {text.size(), 0});
        const QString after = edit->appliedTo(text);
        benchmark::DoNotOptimize(ListEditing::renumberList(after, edit->selection.location));
    }
}

BENCHMARK(BM_RunsForEveryLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultsOfWholeNote)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReturnAtEndOfOrderedList)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReturnAfterLastItem)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
