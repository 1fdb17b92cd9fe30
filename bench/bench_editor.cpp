// SPDX-License-Identifier: GPL-3.0-or-later
// The editor on a 10,000-line note with about 1,000 "=" lines, on the offscreen
// platform: one typed character from key event to styled document, recomputed
// results and the store updated (median and 99th percentile), loading the note with
// its first full styling, and the resident memory of the process holding it.

#include "core/storage/filenoterepository.h"
#include "samplenote.h"
#include "support/memorynoterepository.h"
#include "ui/editor/editorbridge.h"

#include <QApplication>
#include <QFile>
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

struct Editor {
    QTemporaryDir dir;
    std::shared_ptr<MemoryNoteRepository> repo = std::make_shared<MemoryNoteRepository>();
    std::unique_ptr<NoteStore> store;
    std::unique_ptr<Preferences> prefs;
    std::unique_ptr<EditorBridge> bridge;

    Editor()
    {
        const QDateTime t = QDateTime::currentDateTimeUtc();
        repo->index =
            NoteIndex{{Note{QUuid::createUuid(), std::nullopt, bench::sampleNote(), t, t, true}},
                      std::nullopt};
        store = std::make_unique<NoteStore>(repo, 500ms);
        prefs = std::make_unique<Preferences>(
            std::make_unique<QSettings>(dir.filePath("p.ini"), QSettings::IniFormat));
    }
    ~Editor()
    {
        if (bridge)
            delete bridge->textView();
    }
    EditorTextView& open()
    {
        bridge = std::make_unique<EditorBridge>(*store, *prefs);
        EditorTextView& view = *bridge->textView();
        view.resize(700, 500);
        view.show();
        QCoreApplication::processEvents();
        return view;
    }
};

void BM_LoadNoteWithFirstStyling(benchmark::State& state)
{
    Editor editor;
    EditorTextView& view = editor.open();
    for (auto _ : state)
        view.loadText(bench::sampleNote());
    state.counters["lines"] = bench::kSampleLines;
    state.counters["results"] = double(view.highlighter().mathResults().size());
}

void typingBenchmark(benchmark::State& state, bool repaint)
{
    Editor editor;
    EditorTextView& view = editor.open();
    // Type in the middle of the note, at the end of a line.
    QTextCursor caret(view.document()->findBlockByNumber(bench::kSampleLines / 2));
    caret.movePosition(QTextCursor::EndOfBlock);
    view.setTextCursor(caret);
    view.setFocus();
    bench::typeAndTime(state, view, repaint);
    state.counters["rss_MB"] = residentMegabytes();
}

void BM_TypeOneCharacter(benchmark::State& state)
{
    typingBenchmark(state, false);
}

void BM_TypeOneCharacterAndRepaint(benchmark::State& state)
{
    typingBenchmark(state, true);
}

// Another program rewrites the shown 100 KB note: from the file's write to the editor
// showing the new text, through the folder watcher, the store and the bridge.
void BM_ExternalChangeShown(benchmark::State& state)
{
    QTemporaryDir dir;
    auto repo =
        std::make_shared<FileNoteRepository>(dir.filePath("Notes"), dir.filePath("index.json"));
    NoteStore store(repo, 500ms);
    Preferences prefs(std::make_unique<QSettings>(dir.filePath("p.ini"), QSettings::IniFormat));
    const QString base = bench::sampleNote().left(100 * 1024);
    store.updateText(base, store.activeID());
    store.flush();
    EditorBridge bridge(store, prefs);
    std::unique_ptr<EditorTextView> view(bridge.textView());
    view->resize(700, 500);
    view->show();
    QCoreApplication::processEvents();
    const QString path = repo->notePath(store.activeID());
    std::vector<double> millis;
    int round = 0;
    for (auto _ : state) {
        const QString changed = base + QStringLiteral("\nchanged elsewhere %1").arg(++round);
        const auto start = std::chrono::steady_clock::now();
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(changed.toUtf8());
        file.close();
        while (view->noteText() != changed)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        millis.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(millis.begin(), millis.end());
    state.counters["median_ms"] = millis[millis.size() / 2];
    state.counters["max_ms"] = millis.back();
}

BENCHMARK(BM_ExternalChangeShown)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();
BENCHMARK(BM_LoadNoteWithFirstStyling)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_TypeOneCharacter)->Unit(benchmark::kMicrosecond)->Iterations(2000);
BENCHMARK(BM_TypeOneCharacterAndRepaint)->Unit(benchmark::kMicrosecond)->Iterations(1000);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("resident memory after all runs: %.1f MB\n", residentMegabytes());
    return 0;
}
