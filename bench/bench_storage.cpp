// SPDX-License-Identifier: GPL-3.0-or-later
// Storage figures: loading a full notes folder, saving one large note, and typing
// bursts that must collapse into one write. Each is paired with the bare file
// operations on the same bytes so the ratio is printed alongside.

#include "core/storage/filenoterepository.h"
#include "core/storage/notestore.h"
#include "support/memorynoterepository.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

using namespace quelto;
using namespace std::chrono_literals;

namespace {

constexpr int kNotes = 12;
constexpr int kOrphans = 200;
constexpr qsizetype kNoteBytes = 100 * 1024;

QString noteText(int seed)
{
    QString line =
        QStringLiteral("- [ ] item %1 with **bold** and a link https://example.com\n").arg(seed);
    QString text;
    while (text.size() < kNoteBytes)
        text += line;
    text.truncate(kNoteBytes);
    return text;
}

// A folder with 12 indexed notes of 100 KB and 200 small stray files.
struct Folder {
    QTemporaryDir dir;
    std::unique_ptr<FileNoteRepository> repo;
    QStringList files;

    Folder()
    {
        repo =
            std::make_unique<FileNoteRepository>(dir.filePath("Notes"), dir.filePath("index.json"));
        NoteIndex index;
        const QDateTime t = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < kNotes; ++i) {
            Note n{QUuid::createUuid(), std::nullopt, noteText(i), t, t, i == 0};
            repo->save(n);
            index.notes.append(n);
            files << repo->notePath(n.id);
        }
        repo->saveIndex(index);
        files << repo->indexPath();
        for (int i = 0; i < kOrphans; ++i) {
            const QString path = repo->notePath(QUuid::createUuid());
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write("stray note " + QByteArray::number(i));
            files << path;
        }
    }
};

void BM_LoadFolder(benchmark::State& state)
{
    Folder folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(folder.repo->load());
}

void BM_ReadSameBytesPlain(benchmark::State& state)
{
    Folder folder;
    for (auto _ : state) {
        for (const QString& path : folder.files) {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            benchmark::DoNotOptimize(f.readAll());
        }
    }
}

void BM_SaveNote(benchmark::State& state)
{
    QTemporaryDir dir;
    FileNoteRepository repo(dir.filePath("Notes"), dir.filePath("index.json"));
    const QDateTime t = QDateTime::currentDateTimeUtc();
    const Note note{QUuid::createUuid(), std::nullopt, noteText(1), t, t, false};
    for (auto _ : state)
        repo.save(note);
}

void BM_BareWriteFsyncRename(benchmark::State& state)
{
    QTemporaryDir dir;
    const QByteArray bytes = noteText(1).toUtf8();
    const QByteArray target = dir.filePath("note.md").toLocal8Bit();
    const QByteArray temp = dir.filePath("note.md.tmp").toLocal8Bit();
    for (auto _ : state) {
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::write(fd, bytes.constData(), bytes.size()) != bytes.size())
            state.SkipWithError("write failed");
        ::fsync(fd);
        ::close(fd);
        ::rename(temp.constData(), target.constData());
    }
}

// 10,000 edits within one quiet period, then the timer fires: one write in all.
void BM_UpdateTextBurst(benchmark::State& state)
{
    constexpr int kCalls = 10000;
    auto repo = std::make_shared<MemoryNoteRepository>();
    NoteStore store(repo, kCalls * 1ms);
    const QUuid id = store.activeID();
    QStringList texts;
    for (int i = 0; i < kCalls; ++i)
        texts << QStringLiteral("typing %1").arg(i);
    int writes = 0;
    for (auto _ : state) {
        const int before = repo->saveCount;
        for (const QString& t : texts)
            store.updateText(t, id);
        state.PauseTiming();
        store.flush();
        writes = repo->saveCount - before;
        store.updateText(QString(), id);
        store.flush();
        state.ResumeTiming();
    }
    state.counters["writes_per_burst"] = writes;
    state.counters["per_call"] =
        benchmark::Counter(double(kCalls) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The file repository, counting the writes and the processor time spent saving and
// looking for other programs' changes.
class MeasuredRepository final : public NoteRepository {
public:
    MeasuredRepository(const QString& notes, const QString& index)
        : m_inner(notes, index)
    {}
    NoteIndex load() override { return m_inner.load(); }
    void save(const Note& note) override
    {
        const double start = threadSeconds();
        m_inner.save(note);
        savingSeconds += threadSeconds() - start;
        ++writes;
    }
    void trash(const QUuid& id) override { m_inner.trash(id); }
    void saveIndex(const NoteIndex& index) override { m_inner.saveIndex(index); }
    QList<Note> orphanNotes(const QSet<QUuid>& known) override
    {
        return m_inner.orphanNotes(known);
    }
    QList<ExternalChange> externalChanges(const QList<QUuid>& ids) override
    {
        const double start = threadSeconds();
        QList<ExternalChange> changes = m_inner.externalChanges(ids);
        savingSeconds += threadSeconds() - start;
        return changes;
    }
    QStringList watchedPaths() const override { return m_inner.watchedPaths(); }

    static double threadSeconds()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
    }

    int writes = 0;
    double savingSeconds = 0;

private:
    FileNoteRepository m_inner;
};

// Typing at 10 keys a second for 3 seconds into a note of the given size, with the
// real store, timer and folder watcher: writes per second and the share of one core
// spent saving.
void BM_SaveWhileTyping(benchmark::State& state)
{
    constexpr int kKeys = 30;
    constexpr auto kKeyInterval = 100ms;
    const qsizetype bytes = state.range(0);
    QTemporaryDir dir;
    QString text;
    const QString line = QStringLiteral("- [ ] a line of a long note with **bold** text\n");
    while (text.size() < bytes)
        text += line;
    text.truncate(bytes);
    double writesPerSecond = 0;
    double savingShare = 0;
    for (auto _ : state) {
        auto repo =
            std::make_shared<MeasuredRepository>(dir.filePath("Notes"), dir.filePath("index.json"));
        NoteStore store(repo, NoteStore::kSaveDelay);
        const QUuid id = store.activeID();
        store.updateText(text, id);
        store.flush();
        repo->writes = 0;
        repo->savingSeconds = 0;
        QElapsedTimer typing;
        typing.start();
        for (int key = 0; key < kKeys; ++key) {
            text.insert(text.size() / 2, u'k');
            store.updateText(text, id);
            QEventLoop wait;
            QTimer::singleShot(kKeyInterval, &wait, &QEventLoop::quit);
            wait.exec();
        }
        const double seconds = double(typing.elapsed()) / 1000.0;
        writesPerSecond = repo->writes / seconds;
        savingShare = 100.0 * repo->savingSeconds / seconds;
    }
    state.counters["writes_per_s"] = writesPerSecond;
    state.counters["saving_cpu_pct"] = savingShare;
}

BENCHMARK(BM_LoadFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSameBytesPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveNote)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareWriteFsyncRename)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateTextBurst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveWhileTyping)
    ->Arg(100 * 1024)
    ->Arg(5 * 1024 * 1024)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
