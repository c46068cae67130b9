#pragma once
// What a real sound server played, as the ear would tell it: parec records the
// private null sink's monitor (the check scripts start the server), and the
// recording is cut into runs of one tone. The tones of a test are sines of
// known frequencies, far enough apart (a fifth or more) that zero crossings
// over 40 ms tell them apart.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <optional>

namespace heard {

constexpr int Rate = 44100;
constexpr int StepFrames = Rate / 100;   // 10 ms
constexpr int Threshold = 200;           // a sample value that counts as sound
// Silence this long or longer inside a tone breaks it in two: a dropout.
constexpr int LongestBridgedSteps = 4;   // 40 ms

// Records the null sink's monitor while it lives, at the latency the check
// script chose for its server (real_audio_check.sh says why).
class Recorder
{
public:
    // Records the monitor of `sink`.
    explicit Recorder(const QString &sink = QStringLiteral("nullsink"))
    {
        const QByteArray latency = qgetenv("MELVORA_RECORDER_LATENCY_MSEC");
        m_process.start(QStringLiteral("parec"),
                        {QStringLiteral("--latency-msec=") + QString::fromLatin1(latency.isEmpty() ? "20" : latency), QStringLiteral("-d"), sink + QStringLiteral(".monitor"),
                         QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                         QStringLiteral("--channels=2"), QStringLiteral("--raw")});
    }
    ~Recorder()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    // Started and recording: the first bytes have come.
    bool started() { return m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000); }
    QByteArray stop()
    {
        // What the server still holds for the recorder comes within its latency.
        QElapsedTimer tail;
        tail.start();
        while (tail.elapsed() < TailMs)
            m_process.waitForReadyRead(int(TailMs - tail.elapsed()));
        m_process.terminate();
        m_process.waitForFinished(5000);
        return m_process.readAllStandardOutput();
    }

private:
    static constexpr qint64 TailMs = 300;
    QProcess m_process;
};

// pactl's answer (trimmed); nothing when it failed.
inline std::optional<QString> pactl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// A second null sink, "phones" (shown as "Phones"): its module, "" when it
// could not be loaded.
inline QString loadPhones()
{
    return pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=phones"),
                  QStringLiteral("sink_properties=device.description=Phones")})
        .value_or(QString());
}

struct Run
{
    int hz = 0;            // the nearest of the expected tones; 0 for another sound
    double start = 0;      // seconds into the recording
    double seconds = 0;
};

// Frequency of the left channel over `frames` sample frames from `from`.
inline double zeroCrossingHz(const qint16 *s, qsizetype from, qsizetype frames)
{
    int crossings = 0;
    for (qsizetype i = from + 1; i < from + frames; ++i)
        crossings += (s[2 * (i - 1)] < 0) != (s[2 * i] < 0);
    return crossings / 2.0 / (double(frames) / Rate);
}

// The recording as runs of the tones in `tones` (Hz). A 10 ms step sounds when
// it peaks above the threshold; its tone is measured over the 40 ms around it.
// Gaps of up to 40 ms inside one tone are bridged; runs shorter than 100 ms
// (a stream's first or last buffer, a seek's turn) are dropped.
inline QList<Run> toneRuns(const QByteArray &raw, const QList<int> &tones)
{
    const auto *s = reinterpret_cast<const qint16 *>(raw.constData());
    const qsizetype steps = raw.size() / 4 / StepFrames;
    QList<int> kind(steps, -1);   // -1 silence, 0 another sound, else the tone
    for (qsizetype k = 2; k + 2 < steps; ++k) {
        int peak = 0;
        for (qsizetype i = k * StepFrames; i < (k + 1) * StepFrames; ++i)
            peak = std::max({peak, std::abs(int(s[2 * i])), std::abs(int(s[2 * i + 1]))});
        if (peak <= Threshold)
            continue;
        const double hz = zeroCrossingHz(s, (k - 2) * StepFrames, 4 * StepFrames);
        kind[k] = 0;
        for (int t : tones) {
            if (std::abs(hz - t) <= t * 0.08)
                kind[k] = t;
        }
    }
    QList<Run> runs;
    qsizetype k = 0;
    while (k < steps) {
        if (kind[k] < 0) {
            ++k;
            continue;
        }
        const int tone = kind[k];
        qsizetype end = k + 1;   // one past the last step of the tone
        for (qsizetype j = k + 1; j < steps; ++j) {
            if (kind[j] == tone)
                end = j + 1;
            else if (kind[j] >= 0 || j - end >= LongestBridgedSteps)
                break;
        }
        if ((end - k) * StepFrames >= Rate / 10)
            runs << Run{tone, double(k * StepFrames) / Rate, double((end - k) * StepFrames) / Rate};
        k = end;
    }
    return runs;
}

inline QString describe(const QList<Run> &runs)
{
    QString text;
    for (const Run &r : runs)
        text += QStringLiteral("%1 Hz at %2 s for %3 s; ").arg(r.hz).arg(r.start, 0, 'f', 2).arg(r.seconds, 0, 'f', 2);
    return text;
}

// Encodes a WAVE file as an MP3 at its own rate and channels (lame): 128 kbit/s
// CBR, 64 kbit/s below 32 kHz. Returns the MP3's path or "".
inline QString encode(const QString &wav, const QString &mp3, int rate, int channels)
{
    QStringList args{QStringLiteral("--quiet"), QStringLiteral("-b"),
                     rate < 32000 ? QStringLiteral("64") : QStringLiteral("128"), QStringLiteral("--cbr"),
                     QStringLiteral("--resample"), QString::number(rate / 1000.0)};
    if (channels == 1)
        args << QStringLiteral("-m") << QStringLiteral("m");
    if (QProcess::execute(QStringLiteral("lame"), args << wav << mp3) != 0)
        return QString();
    QFile::remove(wav);
    return mp3;
}

// Writes an MP3 of sines, `seconds` each, one after the other, at half of full
// scale, 44.1 kHz stereo unless told otherwise (sox and lame). Returns its
// path or "".
inline QString writeTones(const QTemporaryDir &dir, const QString &name, const QList<int> &tones, double seconds,
                          int rate = Rate, int channels = 2)
{
    const QString wav = dir.filePath(name + QStringLiteral(".wav"));
    // One synth effect per tone, spliced one after the other.
    QStringList args{QStringLiteral("-n"), QStringLiteral("-r"), QString::number(rate), QStringLiteral("-c"),
                     QString::number(channels), QStringLiteral("-b"), QStringLiteral("16"), wav};
    for (int hz : tones)
        args << QStringLiteral("synth") << QString::number(seconds) << QStringLiteral("sine") << QString::number(hz)
             << QStringLiteral("vol") << QStringLiteral("0.5") << QStringLiteral(":");
    args.removeLast();
    if (QProcess::execute(QStringLiteral("sox"), args) != 0)
        return QString();
    return encode(wav, dir.filePath(name + QStringLiteral(".mp3")), rate, channels);
}

// The longest stretch, in milliseconds, in which both channels stay at or
// below the threshold, between `from` and `to` seconds into the recording.
// Inside a sine that is a sample or two at each zero crossing; a dropout or a
// gap between two tracks is far longer.
inline double longestSilenceMs(const QByteArray &raw, double from, double to)
{
    const auto *s = reinterpret_cast<const qint16 *>(raw.constData());
    const qsizetype last = std::min<qsizetype>(raw.size() / 4, qsizetype(to * Rate));
    qsizetype longest = 0, run = 0;
    for (qsizetype i = std::max<qsizetype>(0, qsizetype(from * Rate)); i < last; ++i) {
        run = std::abs(s[2 * i]) <= Threshold && std::abs(s[2 * i + 1]) <= Threshold ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest * 1000.0 / Rate;
}

// Keeps every core busy while it lives (a shell loop per core), so the sound
// is measured on a loaded machine.
class CpuLoad
{
public:
    explicit CpuLoad(int processes)
    {
        for (int i = 0; i < processes; ++i) {
            auto *p = new QProcess;
            p->start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
            m_processes << p;
        }
    }
    ~CpuLoad()
    {
        for (QProcess *p : m_processes) {
            p->kill();
            p->waitForFinished(3000);
            delete p;
        }
    }
    CpuLoad(const CpuLoad &) = delete;
    CpuLoad &operator=(const CpuLoad &) = delete;

private:
    QList<QProcess *> m_processes;
};

} // namespace heard
