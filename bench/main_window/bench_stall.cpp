// The UI thread's longest stall (the time between two turns of its event
// loop) while the main window takes in 100,000 files: a tree of them dropped
// on the list, a folder of them opened in the browser, and a 10 MB list of
// them in Big5 opened from a stick that reads 20 MB/s. Goal: under 50 ms
// each.
#include "bench/main_window/window_bench.h"
#include "main_window/browser/media_browser.h"
#include "main_window/main_window.h"
#include "main_window/playlist_view.h"
#include "main_window/workflow/list_file_workflow.h"
#include "playlist_io/text_encoding.h"
#include "tests/common/desktop_fakes.h"
#include "tests/common/throttled_file.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
void BM_StallOpeningSlowBig5List(benchmark::State &state)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big5.m3u"));
    constexpr int kEntries = 100000;
    if (!QFileInfo::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        f.write("#EXTM3U\r\n");
        for (int i = 0; i < kEntries; ++i)
            f.write(encodeText(QStringLiteral("#EXTINF:269,周杰倫 - 晴天（現場版）%2\r\n"
                                              "D:\\音樂\\華語流行\\周杰倫 專輯 %1\\晴天 第 %2 首.mp3\r\n")
                                   .arg(i / 12, 4, 10, QLatin1Char('0'))
                                   .arg(i, 6, 10, QLatin1Char('0')),
                               TextEncoding::Big5));
    }
    ShownWindow shown;
    shown.window.listReading().setDevice(ThrottledFile::reader(20 * 1000 * 1000));
    double worst = 0;
    for (auto _ : state) {
        shown.window.workflow().newlist();
        QCoreApplication::processEvents();
        const double ms = longestStallMs([&] { shown.window.workflow().openlist(path); },
                                         [&] { return !shown.window.isBusy() && shown.window.playlist().count() > 0; });
        worst = std::max(worst, ms);
        state.SetIterationTime(ms / 1000);
        if (shown.window.playlist().count() != kEntries ||
            shown.window.workflow().form().encoding != TextEncoding::Big5)
            state.SkipWithError("list not read in Big5");
    }
    state.counters["longest_stall_ms"] = worst;
    state.counters["list_mb"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_StallOpeningSlowBig5List)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace
