// SPDX-License-Identifier: GPL-3.0-or-later
// The whole path a user hits: the real note panel (tab strip, editor, store over the
// real notes folder) on the offscreen platform, with 1 or 12 tabs open and a 10-line
// or 10,000-line note shown, or a note of one line of 100,000 or 1,000,000 characters.
// One typed character, from key event to styled document, results and store updated,
// at the end and in the middle of the note, with and without repainting: median and
// 99th percentile. Switching to a tab until its note is shown. Also a 5 MB paste's
// resident memory, and finding a word in 12 tabs of 100 KB.

#include "core/storage/filenoterepository.h"
#include "samplenote.h"
#include "ui/commands/commandtable.h"
#include "ui/panel/notepanelcontroller.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "resident.h"
#include "typing.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

using namespace quelto;
using namespace std::chrono_literals;

namespace {

using bench::residentMegabytes;

QString shortNote()
{
    return bench::sampleNote().section(u'\n', 0, 9);
}

struct Panel {
    QTemporaryDir dir;
    std::shared_ptr<FileNoteRepository> repo;
    std::unique_ptr<NoteStore> store;
    std::unique_ptr<Preferences> prefs;
    PanelState state;
    CommandTable commands;
    std::unique_ptr<NotePanelController> panel;

    Panel(int tabs, const QString& shown)
    {
        repo =
            std::make_shared<FileNoteRepository>(dir.filePath("Notes"), dir.filePath("index.json"));
        store = std::make_unique<NoteStore>(repo, NoteStore::kSaveDelay);
        for (int i = 1; i < tabs; ++i)
            store->updateText(shortNote(), store->createNote()->id);
        store->updateText(shown, store->notes().first().id);
        store->activateIndex(0);
        store->flush();
        prefs = std::make_unique<Preferences>(
            std::make_unique<QSettings>(dir.filePath("p.ini"), QSettings::IniFormat));
        panel = std::make_unique<NotePanelController>(*store, *prefs, state, commands);
        panel->showPanel();
        QApplication::processEvents();
    }

    EditorTextView& editor() { return *panel->view().editor().textView(); }
};

// Arguments: tabs, lines of the shown note, where (0 end, 1 middle), repaint (0, 1).
void BM_TypeInPanel(benchmark::State& state)
{
    const int tabs = int(state.range(0));
    const bool longNote = state.range(1) > 10;
    Panel panel(tabs, longNote ? bench::sampleNote() : shortNote());
    EditorTextView& view = panel.editor();
    QTextCursor caret(view.document());
    if (state.range(2) == 1) {
        caret = QTextCursor(view.document()->findBlockByNumber(view.document()->blockCount() / 2));
        caret.movePosition(QTextCursor::EndOfBlock);
    } else {
        caret.movePosition(QTextCursor::End);
    }
    view.setTextCursor(caret);
    view.setFocus();
    const bool repaint = state.range(3) == 1;
    bench::typeAndTime(state, view, repaint);
}

// A note of one long line (arguments: its characters) in the second tab, so its title
// is derived from that line too.
struct LongLinePanel : Panel {
    explicit LongLinePanel(qsizetype length)
        : Panel(2, shortNote())
    {
        store->updateText(bench::oneLongLine(length), store->notes()[1].id);
        store->flush();
    }
};

// Switching to the tab and the editor showing the note, styled and painted: the
// 10,000-line note (argument 0) or one line of that many characters.
void BM_ShowNoteInPanel(benchmark::State& state)
{
    LongLinePanel panel(std::max<qsizetype>(state.range(0), 1));
    if (state.range(0) == 0)
        panel.store->updateText(bench::sampleNote(), panel.store->notes()[1].id);
    EditorTextView& view = panel.editor();
    for (auto _ : state) {
        panel.store->activateIndex(1);
        QApplication::processEvents();
        view.viewport()->repaint();
        state.PauseTiming();
        panel.store->activateIndex(0);
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// Arguments: characters of the one line, where (0 end, 1 middle), repaint (0, 1).
void BM_TypeInLongLine(benchmark::State& state)
{
    LongLinePanel panel(state.range(0));
    panel.store->activateIndex(1);
    QApplication::processEvents();
    EditorTextView& view = panel.editor();
    QTextCursor caret(view.document());
    caret.movePosition(QTextCursor::End);
    if (state.range(1) == 1)
        caret.setPosition(caret.position() / 2);
    view.setTextCursor(caret);
    view.setFocus();
    bench::typeAndTime(state, view, state.range(2) == 1);
}

// Find in All Tabs over 12 tabs of 100 KB: typing the query's last letter, from key
// event to the matches counted and listed. A word on many lines (the list stops at its
// limit), one on a few, and one on none (every tab read to its end).
void BM_FindInAllTabs(benchmark::State& state)
{
    static const char* const queries[] = {"budget", "docs.example", "zebra"};
    const QString query = QString::fromLatin1(queries[state.range(0)]);
    const QString note = bench::sampleNote().left(100 * 1024);
    Panel panel(12, note);
    for (const Note& each : panel.store->notes())
        panel.store->updateText(note, each.id);
    panel.panel->view().find().openInAllTabs();
    QLineEdit* field = panel.panel->view().findBar()->field();
    field->setText(query.chopped(1));
    std::vector<double> micros;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(field, query.back().toLatin1());
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
        state.PauseTiming();
        QTest::keyClick(field, Qt::Key_Backspace);
        state.ResumeTiming();
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["max_us"] = micros.back();
    state.counters["listed"] = double(panel.panel->view().find().tabHits().size());
}

// A 5 MB paste into the panel, saved: what stays resident.
void BM_PasteFiveMegabytes(benchmark::State& state)
{
    QString big;
    while (big.size() < 5 * 1024 * 1024)
        big += bench::sampleNote();
    big.truncate(5 * 1024 * 1024);
    double resident = 0;
    for (auto _ : state) {
        Panel panel(12, shortNote());
        QApplication::clipboard()->setText(std::exchange(big, QString()));
        panel.editor().setFocus();
        QTest::keyClick(&panel.editor(), Qt::Key_V, Qt::ControlModifier);
        panel.store->flush();
        QApplication::clipboard()->clear();
        QApplication::processEvents();
        resident = residentMegabytes();
    }
    state.counters["rss_MB"] = resident;
}

BENCHMARK(BM_TypeInPanel)
    ->ArgNames({"tabs", "lines", "middle", "repaint"})
    ->ArgsProduct({{1, 12}, {10, bench::kSampleLines}, {0, 1}, {0, 1}})
    ->Iterations(1000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowNoteInPanel)
    ->ArgName("chars")
    ->Args({0})
    ->Args({100000})
    ->Args({1000000})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeInLongLine)
    ->ArgNames({"chars", "middle", "repaint"})
    ->ArgsProduct({{100000, 1000000}, {0, 1}, {0, 1}})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindInAllTabs)
    ->ArgName("query")
    ->DenseRange(0, 2)
    ->Iterations(50)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PasteFiveMegabytes)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
