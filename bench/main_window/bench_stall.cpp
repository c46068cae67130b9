// The UI thread's longest stall (the time between two turns of its event
// loop) while the main window takes in 100,000 files: a tree of them dropped
// on the list, and a folder of them opened in the browser. Goal: under 50 ms
// each.
#include "bench/main_window/window_bench.h"
#include "main_window/browser/media_browser.h"
#include "main_window/main_window.h"
#include "main_window/playlist_view.h"
#include "tests/common/desktop_fakes.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <functional>

namespace {
using namespace bench;

void BM_StallDroppingTree(benchmark::State &state)
{
    const QString root = tree();
    ShownWindow shown;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(root)});
    QWidget *target = shown.window.list1()->viewport();
    const QPoint at = target->rect().center();
    double worst = 0;
    for (auto _ : state) {
        shown.window.playlist().replaceEntries({});
        const double ms = longestStallMs(
            [&] {
                QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(target, &enter);
                QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(target, &drop);
            },
            [&] { return !shown.window.isBusy() && shown.window.playlist().count() == kFolders * kFilesEach; });
        worst = std::max(worst, ms);
        state.SetIterationTime(ms / 1000);
        if (shown.window.playlist().count() != kFolders * kFilesEach)
            state.SkipWithError("tree not added");
    }
    state.counters["longest_stall_ms"] = worst;
}
BENCHMARK(BM_StallDroppingTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StallBrowsingBigFolder(benchmark::State &state)
{
    static QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big"));
    if (!QDir(big).exists()) {
        QDir().mkpath(big);
        for (int i = 0; i < kFolders * kFilesEach; ++i) {
            QFile f(QStringLiteral("%1/track %2.mp3").arg(big).arg(i));
            if (!f.open(QIODevice::WriteOnly))
                qFatal("cannot write %s", qPrintable(f.fileName()));
        }
    }
    ShownWindow shown;
    MediaBrowser *browser = shown.window.browser();
    double worst = 0;
    for (auto _ : state) {
        browser->openFolder(dir.path());
        while (browser->isReading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double ms = longestStallMs([&] { browser->openFolder(big); },
                                         [&] { return !browser->isReading() && browser->fileCount() == kFolders * kFilesEach; });
        worst = std::max(worst, ms);
        state.SetIterationTime(ms / 1000);
    }
    state.counters["longest_stall_ms"] = worst;
}
BENCHMARK(BM_StallBrowsingBigFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace
