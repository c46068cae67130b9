// The player window's cost: CPU while it plays and updates against the MP3
// component playing alone, and the time from the play command to the first
// reported frame of a 60-minute VBR file. Files are made on first use in the
// temporary folder (sox + lame), never committed. Run with
// QT_QPA_PLATFORM=offscreen where there is no display.

#include "bench/common/bench_main.h"
#include "bench/common/cpu_time.h"
#include "player/fakes/fake_player_list.h"
#include "player/form3.h"
#include "player/component/mp3_player.h"
#include "player/mp3_player_control.h"
#include "player/player_host.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>


namespace {

// sox's output piped into lame; returns the MP3's path, or "" when the tools fail.
QString encoded(const QString &name, const QStringList &soxSynth, const QStringList &lameOptions)
{
    const QString mp3 = QDir::temp().filePath(name);
    if (QFile::exists(mp3))
        return mp3;
    QProcess sox, lame;
    sox.setStandardOutputProcess(&lame);
    sox.start(QStringLiteral("sox"), QStringList{QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                                                 QStringLiteral("-c"), QStringLiteral("2"), QStringLiteral("-b"),
                                                 QStringLiteral("16"), QStringLiteral("-t"), QStringLiteral("wav"),
                                                 QStringLiteral("-"), QStringLiteral("synth")}
                                         + soxSynth);
    const QString partial = mp3 + QStringLiteral(".part");
    lame.start(QStringLiteral("lame"), QStringList{QStringLiteral("--quiet")} + lameOptions
                                           + QStringList{QStringLiteral("-"), partial});
    sox.waitForFinished(-1);
    lame.waitForFinished(-1);
    if (sox.exitCode() != 0 || lame.exitCode() != 0 || !QFile::rename(partial, mp3)) {
        QFile::remove(partial);
        return QString();
    }
    return mp3;
}

const QStringList kMusic = {QStringLiteral("sine"), QStringLiteral("220-880"), QStringLiteral("sine"),
                            QStringLiteral("330"), QStringLiteral("pinknoise"), QStringLiteral("vol"),
                            QStringLiteral("0.3")};

QString fiveMinuteFile()
{
    static const QString path = encoded(QStringLiteral("melvora-bench-window-5min.mp3"),
                                        QStringList{QStringLiteral("300")} + kMusic,
                                        {QStringLiteral("-b"), QStringLiteral("192")});
    return path;
}

QString sixtyMinuteVbrFile()
{
    static const QString path = encoded(QStringLiteral("melvora-bench-60min-vbr.mp3"),
                                        QStringList{QStringLiteral("3600")} + kMusic,
                                        {QStringLiteral("-q"), QStringLiteral("7"), QStringLiteral("-V"),
                                         QStringLiteral("5")});
    return path;
}


void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU share of one core over `ms` of playing, after half a second to settle.
double cpuPercentWhile(int ms)
{
    runEventLoop(500);
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runEventLoop(ms);
    return 100.0 * (cpuSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9);
}

constexpr int MeasureMs = 5000;

// CPU share while the component alone plays the file.
double componentAlone(const QString &file, bool silent, bool &wasSilent)
{
    Mp3Player mp(nullptr, silent ? Mp3Player::Output::Silent : Mp3Player::Output::Device);
    mp.SetVolume(35, 35);
    mp.OpenFile(file);
    mp.Play();
    const double percent = cpuPercentWhile(MeasureMs);
    wasSilent = mp.isSilent();
    mp.StopPlay();
    return percent;
}

// CPU share while the shown window plays the file through its logic and the
// same component.
double windowPlaying(const QString &file, bool silent, int &reports)
{
    FakePlayerList list({file}, 0);
    PlayerHost host(list, [silent] { return new Mp3PlayerControl(silent, nullptr); });
    host.showWindow();
    reports = 0;
    QObject::connect(host.component(), &Mp3Control::FramePlayed, [&] { ++reports; });
    const double percent = host.window()->isVisible() ? cpuPercentWhile(MeasureMs) : -1;
    host.closeWindow();
    return percent;
}

// The component alone and the window, alternating which goes first; the
// counters are the means over the iterations.
void BM_WindowPlaybackCpu(benchmark::State &state)
{
    const bool silent = state.range(0) == 0;
    const QString file = fiveMinuteFile();
    if (file.isEmpty()) {
        state.SkipWithError("sox or lame failed");
        return;
    }
    double component = 0, window = 0;
    int reports = 0, runs = 0;
    bool wasSilent = true;
    for (auto _ : state) {
        const bool windowFirst = runs % 2;
        if (windowFirst)
            window += windowPlaying(file, silent, reports);
        component += componentAlone(file, silent, wasSilent);
        if (!windowFirst)
            window += windowPlaying(file, silent, reports);
        ++runs;
        state.SetIterationTime(2 * (MeasureMs + 500) / 1000.0);
    }
    if (window < 0) {
        state.SkipWithError("the window was not shown");
        return;
    }
    state.counters["component_cpu_percent"] = component / runs;
    state.counters["window_cpu_percent"] = window / runs;
    state.counters["ratio"] = component > 0 ? window / component : 0;
    state.counters["reports_per_s"] = reports * 1000.0 / (MeasureMs + 500);
    state.counters["silent"] = wasSilent;
}
BENCHMARK(BM_WindowPlaybackCpu)->Arg(1)->Arg(0)->ArgName("device")->UseManualTime()
    ->Unit(benchmark::kMillisecond)->Iterations(6);

// What the main window's play command does: unload the player window and show
// a fresh one on the selected entry; timed until its first frame report.
void BM_PlayCommandToFirstFrame(benchmark::State &state)
{
    const QString file = sixtyMinuteVbrFile();
    if (file.isEmpty()) {
        state.SkipWithError("sox or lame failed");
        return;
    }
    FakePlayerList list({file}, 0);
    PlayerHost host(list);
    double best = 1e9, worst = 0, openMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        host.closeWindow();
        host.showWindow();
        openMs = timer.nsecsElapsed() / 1e6;
        QEventLoop loop;
        QObject::connect(host.component(), &Mp3Control::FramePlayed, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        const double seconds = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        best = std::min(best, seconds);
        worst = std::max(worst, seconds);
        state.PauseTiming();
        runEventLoop(300);
        state.ResumeTiming();
    }
    host.closeWindow();
    state.counters["best_ms"] = best * 1000;
    state.counters["worst_ms"] = worst * 1000;
    state.counters["last_show_ms"] = openMs;
}
BENCHMARK(BM_PlayCommandToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace

int main(int argc, char **argv)
{
    return bench::main<QApplication>(argc, argv);
}
