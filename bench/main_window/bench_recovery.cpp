// The recovery record of a list of 100,000 entries with kept lines, opened in
// the shown main window and edited in the middle.
// - UI-thread cost per record: the snapshot the UI thread takes, and the next
//   edit, which then copies the lists it shares with the snapshot, against the
//   same edit without a snapshot before it. Goal: the two together ≤ 5 ms.
// - The worker's part (serialize, seal) and the bytes of a record, beside the
//   list file's size.
// - The longest UI stall while editing (an edit every 50 ms for 10 s), records
//   on against records off, measured as bench_stall.cpp measures stalls.
//   Goal: ≤ 16 ms, within 2 ms of records off.
#include "bench/main_window/window_bench.h"
#include "main_window/workflow/recovery_recorder.h"
#include "platform/recovery/record_container.h"
#include "platform/recovery/recovery_store.h"
#include "playlist_io/recovery_record.h"

#include <QFileInfo>

#include <memory>

#include <benchmark/benchmark.h>

namespace {
using namespace bench;

// The window with the extended list opened and its middle entry selected.
struct EditedWindow {
    EditedWindow()
    {
        shown.desktop.dialog.names << extendedPlaylist();
        shown.window.workflow().openlist();
        QCoreApplication::processEvents();
        shown.window.playlist().selectByUser(50000);
    }
    // An edit of the middle, its undo record too.
    void edit()
    {
        Playlist &list = shown.window.playlist();
        up ? list.moveup() : list.movedown();
        up = !up;
    }
    ShownWindow shown;
    bool up = true;
};

void BM_RecordUiCost(benchmark::State &state)
{
    const bool snapshot = state.range(0) != 0;
    EditedWindow window;
    qint64 bytes = 0;
    for (auto _ : state) {
        if (snapshot) {
            auto record = std::make_unique<DocumentRecord>(window.shown.window.workflow().documentRecord());
            window.edit();
            // The worker writes it and lets it go: not the UI thread's cost.
            state.PauseTiming();
            bytes = sealRecord(writeDocumentRecord(*record)).size();
            record.reset();
            state.ResumeTiming();
        } else {
            window.edit();
        }
    }
    if (snapshot) {
        state.counters["record_bytes"] = double(bytes);
        state.counters["list_file_bytes"] = double(QFileInfo(extendedPlaylist()).size());
    }
}
BENCHMARK(BM_RecordUiCost)->ArgName("snapshot")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RecordWorker(benchmark::State &state)
{
    EditedWindow window;
    window.edit();
    const DocumentRecord record = window.shown.window.workflow().documentRecord();
    for (auto _ : state)
        benchmark::DoNotOptimize(sealRecord(writeDocumentRecord(record)));
}
BENCHMARK(BM_RecordWorker)->Unit(benchmark::kMillisecond);

void BM_StallEditingWithRecords(benchmark::State &state)
{
    const bool records = state.range(0) != 0;
    QTemporaryDir dir;
    RecoveryStore store(dir.filePath(QStringLiteral("recovery")));
    EditedWindow window;
    if (records)
        window.shown.window.startWithRecords(store, {});
    double worst = 0;
    for (auto _ : state) {
        QTimer edits;
        edits.setInterval(50);
        QObject::connect(&edits, &QTimer::timeout, [&] { window.edit(); });
        QElapsedTimer running;
        const double ms = longestStallMs(
            [&] {
                running.start();
                edits.start();
            },
            [&] { return running.isValid() && running.elapsed() >= 10000; });
        worst = std::max(worst, ms);
        state.SetIterationTime(ms / 1000);
    }
    state.counters["longest_stall_ms"] = worst;
}
BENCHMARK(BM_StallEditingWithRecords)->ArgName("records")->Arg(0)->Arg(1)->UseManualTime()
    ->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace
