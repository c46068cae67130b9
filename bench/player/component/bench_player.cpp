// Decoding throughput against the mpg123 program on the same five-minute file,
// and the CPU share of real-time playback. The file is made on first use in the
// temporary folder (sox + lame), never committed.

#include "bench/common/bench_main.h"
#include "bench/common/cpu_time.h"
#include "player/component/mp3_decoder.h"
#include "player/component/mp3_player.h"
#include "player/component/mpeg_frames.h"
#include "tests/common/throttled_file.h"
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

// Two hours of the five-minute file's frames (its Info frame left out), made
// once in the temporary folder: 115 MB at 128 kbit/s.
QString twoHourFile()
{
    static const QString path = [] {
        const QString out = QDir::temp().filePath(QStringLiteral("melvora-bench-2h.mp3"));
        if (QFile::exists(out))
            return out;
        QFile in(benchFile());
        if (!in.open(QIODevice::ReadOnly))
            return QString();
        const QByteArray bytes = in.readAll();
        qint64 first = MpegFrames::findFirstFrame(in);
        const auto info = first >= 0 ? MpegFrames::parse(reinterpret_cast<const uchar *>(bytes.constData()) + first)
                                     : std::nullopt;
        if (!info || info->size <= 0)
            return QString();
        const QByteArray frames = bytes.mid(first + info->size);
        QFile file(out + QStringLiteral(".part"));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        for (int i = 0; i < 24; ++i)
            file.write(frames);
        file.close();
        return QFile::rename(file.fileName(), out) ? out : QString();
    }();
    return path;
}

constexpr qint64 StickBytesPerSecond = 20 * 1000 * 1000;

// The monitor of the sound server's null sink (tests/player/component/
// real_audio_check.sh starts one), recorded while it lives.
class Monitor
{
public:
    Monitor()
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            return;
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] { m_raw += m_parec.readAllStandardOutput(); });
        m_parec.start(QStringLiteral("parec"), {QStringLiteral("--latency-msec=20"), QStringLiteral("-d"),
                                                QStringLiteral("nullsink.monitor"), QStringLiteral("--format=s16le"),
                                                QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
                                                QStringLiteral("--raw")});
        m_parec.waitForStarted(3000);
        QElapsedTimer wait;
        wait.start();
        while (m_raw.isEmpty() && wait.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    ~Monitor()
    {
        m_parec.kill();
        m_parec.waitForFinished(3000);
    }
    bool recording() const { return !m_raw.isEmpty(); }
    qsizetype frames() const { return m_raw.size() / 4; }
    // Milliseconds from frame `from` to the first 5 ms that sound; -1 when none.
    double firstSoundMs(qsizetype from) const
    {
        return firstWindowMs(from, [](int peak, int) { return peak > 200; });
    }
    // ... to the first 5 ms that are silent.
    double firstSilenceMs(qsizetype from) const
    {
        return firstWindowMs(from, [](int peak, int) { return peak <= 200; });
    }
    // ... to the first 5 ms whose pitch is above `hz` (zero crossings).
    double firstPitchAboveMs(qsizetype from, int hz) const
    {
        return firstWindowMs(from, [hz](int peak, int crossings) { return peak > 200 && crossings * 100 > hz; });
    }

private:
    template <typename Holds>
    double firstWindowMs(qsizetype from, Holds holds) const
    {
        const auto *s = reinterpret_cast<const qint16 *>(m_raw.constData());
        const qsizetype window = 44100 / 200;
        for (qsizetype w = from; w + window <= frames(); w += window / 4) {
            int peak = 0, crossings = 0;
            for (qsizetype i = w; i < w + window; ++i) {
                peak = std::max(peak, std::abs(int(s[2 * i])));
                crossings += i > w && (s[2 * i] < 0) != (s[2 * i - 2] < 0);
            }
            if (holds(peak, crossings))
                return (w - from) * 1000.0 / 44100;
        }
        return -1;
    }

public:

private:
    QProcess m_parec;
    QByteArray m_raw;
};

// A two-hour file on a stick read at 20 MB/s: the play command to the first
// sound the server's monitor hears (with a sound server; else to the first
// frame reported), the UI thread's longest stall until the scan has landed,
// and when it lands. scan_on_ui_thread_ms is the same scan done where the
// play command runs, as OpenFile did before the player had a thread.
void BM_StartTwoHourFileFromStick(benchmark::State &state)
{
    const QString path = twoHourFile();
    if (path.isEmpty()) {
        state.SkipWithError("the two-hour file could not be made");
        return;
    }
    for (auto _ : state) {
        Monitor monitor;
        Mp3Player mp(nullptr, monitor.recording() ? Mp3Player::Output::Device : Mp3Player::Output::Silent,
                     ThrottledFile::reader(StickBytesPerSecond));
        qint64 longestStall = 0;
        QElapsedTimer sinceTurn;
        QTimer probe;
        probe.setInterval(2);
        QObject::connect(&probe, &QTimer::timeout, [&] { longestStall = std::max(longestStall, sinceTurn.restart()); });
        qint64 firstFrameMs = -1, exactMs = -1;
        QElapsedTimer clock;
        QObject::connect(&mp, &Mp3Player::FramePlayed, [&] {
            if (firstFrameMs < 0)
                firstFrameMs = clock.elapsed();
        });
        QObject::connect(&mp, &Mp3Player::FiguresChanged, [&] {
            if (mp.figures().exact && exactMs < 0)
                exactMs = clock.elapsed();
        });
        QEventLoop loop;
        QTimer::singleShot(200, &loop, &QEventLoop::quit);   // the player's thread set up
        loop.exec();
        const qsizetype playedAt = monitor.frames();
        sinceTurn.start();
        probe.start();
        clock.start();
        mp.OpenFile(path);
        mp.Play();
        QTimer done;
        QObject::connect(&done, &QTimer::timeout, [&] {
            if ((exactMs >= 0 && clock.elapsed() > 1000) || clock.elapsed() > 30000)
                loop.quit();
        });
        done.start(50);
        loop.exec();
        mp.StopPlay();
        state.SetIterationTime(clock.elapsed() / 1000.0);
        state.counters["first_sound_ms"] = monitor.recording() ? monitor.firstSoundMs(playedAt) : double(firstFrameMs);
        state.counters["heard_on_monitor"] = monitor.recording();
        state.counters["longest_stall_ms"] = double(longestStall);
        state.counters["scan_landed_ms"] = double(exactMs);
        state.counters["frames"] = mp.FrameCount();
    }
    QElapsedTimer scan;
    scan.start();
    Mp3Decoder decoder(ThrottledFile::reader(StickBytesPerSecond));
    decoder.open(path);
    state.counters["scan_on_ui_thread_ms"] = double(scan.elapsed());
}
BENCHMARK(BM_StartTwoHourFileFromStick)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// 10 s of 300 Hz, then 10 s of 2 kHz, made once in the temporary folder.
QString twoToneFile()
{
    static const QString path = [] {
        const QString mp3 = QDir::temp().filePath(QStringLiteral("melvora-bench-two-tones.mp3"));
        const QString wav = QDir::temp().filePath(QStringLiteral("melvora-bench-two-tones.wav"));
        if (!QFile::exists(mp3)) {
            QProcess::execute(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                                                      QStringLiteral("-c"), QStringLiteral("2"), wav,
                                                      QStringLiteral("synth"), QStringLiteral("10"), QStringLiteral("sine"),
                                                      QStringLiteral("300"), QStringLiteral(":"), QStringLiteral("synth"),
                                                      QStringLiteral("10"), QStringLiteral("sine"), QStringLiteral("2000")});
            QProcess::execute(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"),
                                                       QStringLiteral("128"), wav, mp3});
            QFile::remove(wav);
        }
        return mp3;
    }();
    return path;
}

// How soon a seek and a stop are heard (needs a sound server: run through
// tests/player/component/real_audio_check.sh): from SeekFrame into the 2 kHz
// half to its first 5 ms at the monitor, and from StopPlay to the first
// silent 5 ms.
void BM_SeekAndStopHeard(benchmark::State &state)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        state.SkipWithError("no sound server");
        return;
    }
    for (auto _ : state) {
        Monitor monitor;
        Mp3Player mp;
        QEventLoop loop;
        const auto runFor = [&](int ms) {
            QTimer::singleShot(ms, &loop, &QEventLoop::quit);
            loop.exec();
        };
        mp.OpenFile(twoToneFile());
        mp.Play();
        runFor(1500);
        const qsizetype seekAt = monitor.frames();
        mp.SeekFrame(int(12000 / mp.MsPerFrame()));
        runFor(800);
        const qsizetype stopAt = monitor.frames();
        mp.StopPlay();
        runFor(500);
        state.SetIterationTime(3.0);
        state.counters["seek_heard_ms"] = monitor.firstPitchAboveMs(seekAt, 1000);
        state.counters["stop_silent_ms"] = monitor.firstSilenceMs(stopAt);
    }
}
BENCHMARK(BM_SeekAndStopHeard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);


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
