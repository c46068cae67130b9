// The UI thread's longest stall while the window exports 10,000 MP3s: their
// tags read for an M3U, and the same list copied, numbered, into a folder.
// Goal: under 50 ms each.
#include "bench/common/mp3_copies.h"
#include "bench/main_window/window_bench.h"
#include "main_window/export/export_dialog.h"
#include "main_window/main_window.h"
#include "tests/common/desktop_fakes.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {
using bench::longestStallMs;
constexpr int kFiles = 10000;

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// 10,000 tagged MP3s of 5 KB, made once.
const QStringList &mp3s()
{
    static const QStringList files =
        bench::mp3Copies(QStringLiteral("title_only.mp3"), scratch().path(), QStringLiteral("music"), kFiles,
                         QStringLiteral(".mp3"));
    return files;
}

void stallExporting(benchmark::State &state, bool copies)
{
    double worst = 0;
    int round = 0;
    for (auto _ : state) {
        // A fresh window: no tag read yet.
        DesktopFakes desktop;
        AuxWindows aux{desktop.services()};
        MainWindow window{desktop.messages, desktop.dialog, desktop.drives, desktop.keys, aux, desktop.disk, desktop.repairs};
        window.show();
        window.playlist().replaceEntries(mp3s());
        window.action(QStringLiteral("menuexport"))->trigger();
        auto *dialog = window.findChild<ExportDialog *>();
        while (window.isBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const QString target = QDir(scratch().path()).filePath(QStringLiteral("out%1/list.m3u").arg(++round));
        QDir().mkpath(QFileInfo(target).path());
        dialog->setTarget(target);
        dialog->copyBox()->setChecked(copies);
        dialog->numberedBox()->setChecked(copies);
        const double ms = longestStallMs([&] { dialog->exportButton()->click(); },
                                                [&] { return !window.isBusy() && !desktop.messages.shown.isEmpty(); });
        worst = std::max(worst, ms);
        state.SetIterationTime(ms / 1000);
        if (desktop.messages.texts() != QStringList{QStringLiteral("列表已经导出为%1!").arg(target)})
            state.SkipWithError(qPrintable(desktop.messages.texts().join(QLatin1Char('|'))));
        QDir(QFileInfo(target).path()).removeRecursively();
    }
    state.counters["longest_stall_ms"] = worst;
}

void BM_StallExportReadingTags(benchmark::State &state)
{
    stallExporting(state, false);
}
BENCHMARK(BM_StallExportReadingTags)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_StallExportCopying(benchmark::State &state)
{
    stallExporting(state, true);
}
BENCHMARK(BM_StallExportCopying)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
} // namespace
