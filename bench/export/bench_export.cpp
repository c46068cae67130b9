// Exports beside the program's own save: 100,000 entries written without
// tags or copies (goal: within 3x of the save of the same list), and the
// tags of 10,000 MP3s read on a warm cache (goal: 2,000 files/s or more).
#include "bench/common/bench_main.h"
#include "bench/common/mp3_copies.h"
#include "bench/common/track_paths.h"
#include "platform/files/durable_save.h"
#include "platform/tags/tag_cache.h"
#include "platform/work/long_work.h"
#include "playlist_io/export/export_format.h"
#include "playlist_io/export/export_run.h"
#include "playlist_io/playlist_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kEntries = bench::kListEntries;
constexpr int kTagFiles = 10000;

const QStringList &entries()
{
    static const QStringList list = bench::trackPaths(kEntries);
    return list;
}

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// 10,000 tagged MP3s (copies of the tests' fixture), made once, read once
// so the system's cache holds them.
const QStringList &mp3s()
{
    static const QStringList files = [] {
        const QStringList out = bench::mp3Copies(QStringLiteral("both.mp3"), scratch().path(), QStringLiteral("mp3"),
                                                 kTagFiles, QStringLiteral(" - track.mp3"));
        TagCache warm;
        warm.tagsFor(out);
        return out;
    }();
    return files;
}

void BM_SaveM3u(benchmark::State &state)
{
    const QString target = QDir(scratch().path()).filePath(QStringLiteral("save.m3u"));
    for (auto _ : state)
        if (writePlaylistFile(target, entries(), Qt::CaseSensitive).outcome != PlaylistWrite::Written)
            state.SkipWithError("not saved");
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_SaveM3u)->Unit(benchmark::kMillisecond);

// The export's bytes and the same durable save, tags unknown (none read).
void BM_ExportNoTags(benchmark::State &state)
{
    ExportOptions options;
    options.format = ExportFormat(state.range(0));
    options.paths = ExportPaths(state.range(1));
    const QString target = QDir(scratch().path()).filePath(QStringLiteral("export.m3u"));
    for (auto _ : state) {
        const ExportText text = formatExport(entries(), {}, options, scratch().path());
        if (saveFileDurably(target, text.bytes).outcome != DurableSave::Saved)
            state.SkipWithError("not saved");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ExportNoTags)
    ->ArgNames({"format", "paths"})
    ->Args({int(ExportFormat::M3u), int(ExportPaths::Absolute)})
    ->Args({int(ExportFormat::M3uPlain), int(ExportPaths::Absolute)})
    ->Args({int(ExportFormat::Pls), int(ExportPaths::Absolute)})
    ->Args({int(ExportFormat::M3u), int(ExportPaths::Name)})
    ->Args({int(ExportFormat::M3u), int(ExportPaths::Relative)})
    ->Args({int(ExportFormat::Xspf), int(ExportPaths::Absolute)})
    ->Unit(benchmark::kMillisecond);

// The whole run as the command line makes it, for a format without tags.
void BM_RunExportPlain(benchmark::State &state)
{
    ExportOptions options;
    options.format = ExportFormat::M3uPlain;
    const QString target = QDir(scratch().path()).filePath(QStringLiteral("run.m3u"));
    TagCache tags;
    for (auto _ : state) {
        WorkProgress progress;
        if (runExport({entries(), target, options}, tags, progress).outcome != ExportReport::Written)
            state.SkipWithError("not exported");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_RunExportPlain)->Unit(benchmark::kMillisecond);

// A fresh cache each time: every file is read by TagLib.
void BM_TagsWarm(benchmark::State &state)
{
    const QStringList &files = mp3s();
    for (auto _ : state) {
        TagCache cache;
        const QList<TrackTags> tags = cache.tagsFor(files);
        if (tags.constLast().title.isEmpty())
            state.SkipWithError("no tags read");
    }
    state.counters["files_per_s"] = benchmark::Counter(double(state.iterations()) * kTagFiles,
                                                       benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TagsWarm)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return bench::main(argc, argv, [] { mp3s(); });
}
