// Text engine figures on a realistic 10,000-line note: styling every line, the
// arithmetic results of the whole note, and Return at the end of a long ordered list.

#include "editor/listediting.h"
#include "editor/markdownhighlighter.h"
#include "editor/mathevaluator.h"

#include <QRandomGenerator>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

using namespace quelto;

namespace {

constexpr int kLines = 10000;

// Headings, lists, tasks, links, emphasis, code and about one "=" line in ten.
QString realisticNote()
{
    QRandomGenerator random(42);
    const QStringList words{"meeting", "budget", "draft", "review", "notes",  "ship", "call",
                            "plan",    "fix",    "idea",  "email",  "weekly", "sync", "design"};
    auto phrase = [&](int n) {
        QStringList out;
        for (int i = 0; i < n; ++i)
            out << words[random.bounded(words.size())];
        return out.join(u' ');
    };
    QString text;
    int ordered = 0;
    for (int i = 0; i < kLines; ++i) {
        const int kind = random.bounded(20);
        QString line;
        if (kind < 2)
            line = QStringLiteral("= %1 * %2 + %3%")
                       .arg(random.bounded(1000))
                       .arg(random.bounded(50))
                       .arg(random.bounded(20));
        else if (i % 50 == 49)
            line = QStringLiteral("= sum");
        else if (kind == 2)
            line = QStringLiteral("## ") + phrase(3);
        else if (kind < 5)
            line = QStringLiteral("- [%1] ").arg(random.bounded(2) ? u'x' : u' ') + phrase(4) +
                   QStringLiteral(" **") + phrase(1) + QStringLiteral("**");
        else if (kind < 8)
            line = QStringLiteral("- ") + phrase(5) + QStringLiteral(" _") + phrase(2) + u'_';
        else if (kind < 10)
            line = QStringLiteral("%1. ").arg(++ordered) + phrase(6);
        else if (kind == 10)
            line = QStringLiteral("See [") + phrase(2) + QStringLiteral("](https://example.com/") +
                   phrase(1) + QStringLiteral(") and https://docs.example.org/a_(b).");
        else if (kind == 11)
            line = QStringLiteral("Run `") + phrase(2) + QStringLiteral("` then ~~") + phrase(1) +
                   QStringLiteral("~~ mail ann@example.com");
        else if (kind == 12)
            line = QString();
        else
            line = phrase(8) + QStringLiteral(" *") + phrase(1) + QStringLiteral("* ") + phrase(3);
        text += line;
        text += u'\n';
    }
    return text;
}

const QString& note()
{
    static const QString text = realisticNote();
    return text;
}

void BM_RunsForEveryLine(benchmark::State& state)
{
    const QList<QStringView> lines = QStringView(note()).split(u'\n');
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
        const QMap<int, Decimal> results = MathEvaluator::results(note(), locale);
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
