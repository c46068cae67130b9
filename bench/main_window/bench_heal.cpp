// The list repairs on 100,000 entries in the real window: the check of a
// list opened (every file on disk, on a warm cache) until its result shows,
// with the UI thread's longest stall meanwhile (goal: within 1 s, the window
// answering), and a keystroke in the find bar that matches nothing, so every
// entry is looked at (goal: within 50 ms).
#include "bench/main_window/window_bench.h"
#include "main_window/find_bar.h"
#include "main_window/main_window.h"
#include "main_window/missing_entries.h"
#include "tests/common/desktop_fakes.h"

#include <QApplication>
#include <QDirIterator>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {
using namespace bench;

// The tree's files, and as many again that are not there.
QStringList treeEntries(bool withMissing)
{
    QStringList entries;
    QDirIterator it(tree(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        entries << it.next();
        if (withMissing && entries.size() % 100 == 0)
            entries.last() += QStringLiteral(".gone");
    }
    return entries;
}

void BM_CheckOpenedList(benchmark::State &state)
{
    const QStringList entries = treeEntries(true);
    ShownWindow w;
    double worstStall = 0;
    for (auto _ : state) {
        w.window.playlist().replaceEntries({});
        QElapsedTimer took;
        const double stall = longestStallMs(
            [&] {
                took.start();
                w.window.playlist().replaceEntries(entries);
            },
            [&] { return !w.window.missingEntries().isChecking(); });
        state.SetIterationTime(double(took.elapsed()) / 1000);
        worstStall = std::max(worstStall, stall);
        if (w.window.missingEntries().missingCount() != entries.size() / 100)
            state.SkipWithError("wrong count");
    }
    state.counters["longest_stall_ms"] = worstStall;
    state.counters["entries"] = double(entries.size());
}
BENCHMARK(BM_CheckOpenedList)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindKeystrokeNoMatch(benchmark::State &state)
{
    ShownWindow w;
    w.window.playlist().replaceEntries(treeEntries(false));
    w.window.findBar()->open();
    QLineEdit *text = w.window.findBar()->text();
    QTest::keyClicks(text, QStringLiteral("track"));
    for (auto _ : state) {
        QTest::keyClick(text, Qt::Key_Q);   // "trackq…" is in no entry
        state.PauseTiming();
        QTest::keyClick(text, Qt::Key_Backspace);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FindKeystrokeNoMatch)->Unit(benchmark::kMillisecond)->Iterations(20);
} // namespace
