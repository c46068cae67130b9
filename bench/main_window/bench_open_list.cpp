// Opening a 100,000-entry playlist: into the shown main window, and into the
// model alone. The window should stay within 1.5× of the model.
//
// Both runs allocate and free some 10 MB per iteration; whether glibc hands
// that back to the kernel between iterations (and page-faults it in again)
// differs between the two processes' heaps and swamps the difference. For
// figures that compare the work, keep the memory in the process:
//   GLIBC_TUNABLES=glibc.malloc.trim_threshold=1073741824:glibc.malloc.mmap_threshold=1073741824
#include "bench/common/bench_main.h"
#include "bench/main_window/window_bench.h"
#include "tests/common/desktop_fakes.h"
#include "main_window/workflow/list_file_workflow.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "main_window/main_window.h"
#include "main_window/browser/media_browser.h"
#include "main_window/playlist_view.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
constexpr int kEntries = 100000;

const QString &playlist()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("big.m3u"));
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(p));
        for (int i = 0; i < kEntries; ++i)
            f.write(QStringLiteral("/music/album %1/track %2.mp3\r\n").arg(i / 12).arg(i).toUtf8());
        return p;
    }();
    return path;
}

void BM_OpenIntoModel(benchmark::State &state)
{
    FakeMessageBox messages;
    FakeFileDialog dialog;
    Playlist list;
    WindowState windowState(list);
    ListFileWorkflow workflow(windowState, list, messages, dialog);
    for (auto _ : state) {
        state.PauseTiming();
        workflow.newlist();
        state.ResumeTiming();
        dialog.names << playlist();
        workflow.openlist();
        if (list.count() != kEntries)
            state.SkipWithError("list not read");
    }
}
BENCHMARK(BM_OpenIntoModel)->Unit(benchmark::kMillisecond);

using bench::ShownWindow;

void BM_OpenIntoWindow(benchmark::State &state)
{
    ShownWindow shown;
    MainWindow &window = shown.window;
    for (auto _ : state) {
        state.PauseTiming();
        window.workflow().newlist();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        shown.desktop.dialog.names << playlist();
        window.action(QStringLiteral("MENUOPEN"))->trigger();
        // Until the list is laid out and painted.
        QCoreApplication::processEvents();
        if (window.playlist().count() != kEntries)
            state.SkipWithError("list not read");
    }
}
BENCHMARK(BM_OpenIntoWindow)->Unit(benchmark::kMillisecond);
// One edit in a full list: the window's rows read the playlist itself, so an
// edit costs what the rows it changes cost.
void BM_MoveInModel(benchmark::State &state)
{
    FakeMessageBox messages;
    FakeFileDialog dialog;
    Playlist list;
    WindowState windowState(list);
    ListFileWorkflow workflow(windowState, list, messages, dialog);
    dialog.names << playlist();
    workflow.openlist();
    list.selectByUser(kEntries / 2);
    bool down = true;
    for (auto _ : state) {
        down ? list.movedown() : list.moveup();
        down = !down;
    }
}
BENCHMARK(BM_MoveInModel)->Unit(benchmark::kMicrosecond);

// The edit itself: the window's rows, labels and commands follow, the
// repaint that comes later is left out. Argument: also paint (1) or not (0).
void BM_MoveInWindow(benchmark::State &state)
{
    ShownWindow shown;
    MainWindow &window = shown.window;
    shown.desktop.dialog.names << playlist();
    window.workflow().openlist();
    window.playlist().selectByUser(kEntries / 2);
    QCoreApplication::processEvents();
    const bool paint = state.range(0) != 0;
    bool down = true;
    for (auto _ : state) {
        window.action(down ? Command::MoveDown : Command::MoveUp)->trigger();
        if (paint) {
            QCoreApplication::processEvents();
        } else {
            state.PauseTiming();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
        down = !down;
    }
}
BENCHMARK(BM_MoveInWindow)->ArgName("paint")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Ctrl+Z on one entry of an opened extended list in the shown window, the
// repaint left out: the delete of an entry in the middle put back with its lines.
void BM_UndoDeleteInWindow(benchmark::State &state)
{
    ShownWindow shown;
    MainWindow &window = shown.window;
    shown.desktop.dialog.names << bench::extendedPlaylist();
    window.workflow().openlist();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        window.playlist().selectByUser(kEntries / 2);
        window.action(Command::Delete)->trigger();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        window.action(Command::Undo)->trigger();
        state.PauseTiming();
        QCoreApplication::processEvents();
        if (window.playlist().count() != kEntries)
            state.SkipWithError("not put back");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoDeleteInWindow)->Unit(benchmark::kMicrosecond);

// `count` empty .mp3 files in a folder of their own, as file URLs.
QList<QUrl> mediaFiles(int count)
{
    static QTemporaryDir dir;
    QList<QUrl> urls;
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1/track %2.mp3").arg(count).arg(i));
        if (i == 0)
            QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (!f.exists() && !f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        urls << QUrl::fromLocalFile(path);
    }
    return urls;
}

// Files dropped from a file manager onto a list of 10,000 entries with the
// middle one selected, until the window has laid out and painted them. The
// cost should grow with the files dropped, not with their square.
// Argument: files dropped.
void BM_DropIntoWindow(benchmark::State &state)
{
    ShownWindow shown;
    MainWindow &window = shown.window;
    QStringList entries;
    for (int i = 0; i < 10000; ++i)
        entries << QStringLiteral("/music/album %1/track %2.mp3").arg(i / 12).arg(i);
    QMimeData data;
    data.setUrls(mediaFiles(int(state.range(0))));
    QWidget *target = window.list1()->viewport();
    const QPoint at = target->rect().center();
    for (auto _ : state) {
        state.PauseTiming();
        window.playlist().replaceEntries(entries);
        window.playlist().selectByUser(5000);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        while (window.isBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (window.playlist().count() != 10000 + state.range(0))
            state.SkipWithError("files not added");
    }
}
BENCHMARK(BM_DropIntoWindow)->ArgName("files")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// What the browser pays to read a folder of 100,000 files again, as it does
// once per burst of changes on disk (opening the folder reads it the same way).
void BM_ListBigFolder(benchmark::State &state)
{
    static QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big"));
    if (!QFileInfo(big).isDir()) {
        QDir().mkpath(big);
        for (int i = 0; i < 100000; ++i) {
            QFile f(QStringLiteral("%1/track %2.mp3").arg(big).arg(i));
            if (!f.open(QIODevice::WriteOnly))
                qFatal("cannot write %s", qPrintable(f.fileName()));
        }
    }
    ShownWindow shown;
    MediaBrowser *browser = shown.window.browser();
    for (auto _ : state) {
        state.PauseTiming();
        browser->openFolder(dir.path());
        while (browser->isReading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.ResumeTiming();
        browser->openFolder(big);
        while (browser->isReading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (browser->fileCount() != 100000)
            state.SkipWithError("folder not read");
    }
}
BENCHMARK(BM_ListBigFolder)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    bench::offscreenUnlessSet();
    return bench::main<QApplication>(argc, argv, [] { playlist(); });
}
