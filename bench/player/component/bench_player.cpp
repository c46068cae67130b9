// Decoding throughput against the mpg123 program on the same five-minute file,
// and the CPU share of real-time playback. The file is made on first use in the
// temporary folder (sox + lame), never committed.

#include "bench/common/bench_main.h"
#include "bench/common/cpu_time.h"
#include "player/component/mp3_decoder.h"
#include "player/component/mp3_player.h"
#include "player/component/pcm_volume.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <benchmark/benchmark.h>


namespace {

QString benchFile()
{
    static const QString path = [] {
        const QString mp3 = QDir::temp().filePath(QStringLiteral("melvora-bench-5min.mp3"));
        if (QFile::exists(mp3))
            return mp3;
        const QString wav = QDir::temp().filePath(QStringLiteral("melvora-bench-5min.wav"));
        // Five minutes of a chord with a slow sweep and a little noise, so the
        // encoder has real work and the decoder sees varied frames.
        QProcess::execute(QStringLiteral("sox"),
                          {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
                           QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), wav, QStringLiteral("synth"),
                           QStringLiteral("300"), QStringLiteral("sine"), QStringLiteral("220-880"),
                           QStringLiteral("sine"), QStringLiteral("330"), QStringLiteral("pinknoise"),
                           QStringLiteral("vol"), QStringLiteral("0.3")});
        QProcess::execute(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"),
                                                   QStringLiteral("192"), wav, mp3});
        QFile::remove(wav);
        return mp3;
    }();
    return path;
}

double mpg123Seconds()
{
    QElapsedTimer t;
    t.start();
    QProcess::execute(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-t"), benchFile()});
    return t.nsecsElapsed() / 1e9;
}

// The component's whole decoding path: open (with the scan), decode, volume.
qint64 decodeWithComponent()
{
    Mp3Decoder decoder;
    if (decoder.open(benchFile()) != Mp3Decoder::OpenResult::Ok)
        return -1;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    while (qint64 n = decoder.read(buffer.data(), buffer.size())) {
        PcmVolume::applyGains(reinterpret_cast<qint16 *>(buffer.data()), n / Mp3Decoder::BytesPerSampleFrame,
                              PcmVolume::gainForVolume(35), PcmVolume::gainForVolume(80));
        total += n;
    }
    return total;
}

void BM_DecodeMpg123Program(benchmark::State &state)
{
    benchFile();
    for (auto _ : state)
        state.SetIterationTime(mpg123Seconds());
}
BENCHMARK(BM_DecodeMpg123Program)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DecodeComponent(benchmark::State &state)
{
    benchFile();
    double best = 1e9, bestMpg123 = 1e9;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const qint64 bytes = decodeWithComponent();
        const double seconds = t.nsecsElapsed() / 1e9;
        if (bytes <= 0) {
            state.SkipWithError("the benchmark file does not decode");
            return;
        }
        state.SetIterationTime(seconds);
        best = std::min(best, seconds);
        state.PauseTiming();
        bestMpg123 = std::min(bestMpg123, mpg123Seconds());   // interleaved, same conditions
        state.ResumeTiming();
    }
    state.counters["best_ms"] = best * 1000;
    state.counters["mpg123_best_ms"] = bestMpg123 * 1000;
    state.counters["ratio_to_mpg123"] = best / bestMpg123;
}
BENCHMARK(BM_DecodeComponent)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Opening scans the whole file for exact figures; this is what a track start costs.
void BM_OpenFile(benchmark::State &state)
{
    benchFile();
    for (auto _ : state) {
        Mp3Player mp(nullptr, Mp3Player::Output::Silent);
        if (mp.OpenFile(benchFile()) != 0) {
            state.SkipWithError("the benchmark file does not open");
            return;
        }
        benchmark::DoNotOptimize(mp.FrameCount());
    }
}
BENCHMARK(BM_OpenFile)->Unit(benchmark::kMillisecond);


// Plays for a few seconds of real time; counters give the CPU share of one core.
void BM_PlaybackCpuShare(benchmark::State &state)
{
    const auto output = state.range(0) ? Mp3Player::Output::Device : Mp3Player::Output::Silent;
    benchFile();
    for (auto _ : state) {
        Mp3Player mp(nullptr, output);
        mp.SetVolume(35, 35);
        if (mp.OpenFile(benchFile()) != 0) {
            state.SkipWithError("the benchmark file does not open");
            return;
        }
        int reports = 0;
        QObject::connect(&mp, &Mp3Player::FramePlayed, [&] { ++reports; });
        mp.Play();
        // Let start-up settle, then measure.
        QEventLoop loop;
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        reports = 0;
        QTimer::singleShot(4000, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = cpuSeconds() - cpu0;
        const double seconds = wall.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        state.counters["cpu_percent"] = 100.0 * cpu / seconds;
        state.counters["silent"] = mp.isSilent();
        state.counters["reports_per_s"] = reports / seconds;
        mp.StopPlay();
    }
}
BENCHMARK(BM_PlaybackCpuShare)->Arg(1)->Arg(0)->ArgName("device")->UseManualTime()
    ->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return bench::main<QCoreApplication>(argc, argv);
}
