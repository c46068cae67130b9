// Plays a tone through the player onto a real sound server and checks what the
// server's monitor recorded. Run by real_audio_check.sh, which starts a private
// PulseAudio with a null sink and points PULSE_SERVER at it.

#include "tests/common/heard_tones.h"
#include "tests/player/component/message_log.h"
#include "player/component/mp3_player.h"
#include "player/component/playback_thread.h"
#include "player/component/pulse_output.h"
#include "player/component/sdl_output.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace {

constexpr int Rate = 44100;
constexpr double ToneHz = 1000.0;
constexpr double ToneSeconds = 1.5;
// The tone is a sine at half of full scale: RMS 0.5 / sqrt(2) of full scale.
const double FullLevelDb = 20 * std::log10(0.5 / std::sqrt(2.0));

struct Channel
{
    double rmsDb = -200;
    double frequency = 0;
};

struct Recording
{
    qsizetype begin = 0;   // first and one past the last sample frame above the threshold
    qsizetype end = 0;
    double soundingSeconds = 0;   // 10 ms windows with sound in them
    Channel channel[2];
};

double toDb(double rms)
{
    return rms > 0 ? 20 * std::log10(rms / 32768.0) : -200;
}

Recording analyse(const QByteArray &raw)
{
    Recording rec;
    const auto *s = reinterpret_cast<const qint16 *>(raw.constData());
    const qsizetype frames = raw.size() / 4;
    const int threshold = 200;
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < frames; ++i) {
        if (std::abs(s[2 * i]) > threshold || std::abs(s[2 * i + 1]) > threshold) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return rec;
    rec.begin = first;
    rec.end = last + 1;
    // 10 ms windows: sounding when they peak above the threshold.
    const qsizetype window = Rate / 100;
    QList<bool> sounding;
    for (qsizetype w = rec.begin; w + window <= rec.end; w += window) {
        int peak = 0;
        for (qsizetype i = w; i < w + window; ++i)
            peak = std::max({peak, std::abs(int(s[2 * i])), std::abs(int(s[2 * i + 1]))});
        sounding << (peak > threshold);
    }
    rec.soundingSeconds = double(sounding.count(true)) * window / Rate;
    // Level and pitch from the steady inside of each sounding run, away from
    // the encoder's fade in and out and from the edges of a pause.
    const qsizetype edge = 10;
    double sum[2] = {0, 0};
    int crossings[2] = {0, 0};
    qsizetype measured = 0;
    for (qsizetype w = 0; w < sounding.size(); ++w) {
        bool steady = true;
        for (qsizetype k = w - edge; k <= w + edge && steady; ++k)
            steady = k >= 0 && k < sounding.size() && sounding[k];
        if (!steady)
            continue;
        const qsizetype from = rec.begin + w * window;
        for (int c = 0; c < 2; ++c) {
            for (qsizetype i = from; i < from + window; ++i) {
                const double v = s[2 * i + c];
                sum[c] += v * v;
                if ((s[2 * (i - 1) + c] < 0) != (v < 0))   // from > 0: steady windows follow others
                    ++crossings[c];
            }
        }
        measured += window;
    }
    if (measured == 0)
        return rec;
    for (int c = 0; c < 2; ++c) {
        rec.channel[c].rmsDb = toDb(std::sqrt(sum[c] / double(measured)));
        rec.channel[c].frequency = crossings[c] / 2.0 / (double(measured) / Rate);
    }
    return rec;
}

} // namespace

class RealAudioTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    // The tone comes out of the sound server at its frequency, for its length,
    // with each channel at the level its volume asks for; a pause is a gap.
    void tone_data();
    void tone();
    // Every rate libmpg123 decodes, mono and stereo, is heard at its speed:
    // one tone as long as the file, without a dropout.
    void rates_data();
    void rates();
    // Two tracks cut from one tone, the second started by the first one's
    // PlayEnded, are heard as one tone: no gap of more than 5 ms at the join,
    // 30 ms where the rate changes.
    void gapless_data();
    void gapless();
    // SDL's output lists the server's devices and plays on the one chosen; a
    // new choice moves the sound where it was, none of it lost or heard twice.
    void sdlChosenDevice();
    // A choice made while paused moves the server's stream at once.
    void pulseChosenWhilePaused();
    // When the sound server goes away mid-track the player carries on silently
    // from where it was, the track still ends, and nothing is logged. Runs
    // last: it stops the server.
    void serverLost();
};

void RealAudioTest::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "run through real_audio_check.sh");
}

void RealAudioTest::tone_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<int>("busyMs");   // the player's thread kept busy mid-track
    QTest::newRow("full volume") << 100 << 100 << 0 << 0;
    QTest::newRow("balance to the left") << 100 << 10 << 0 << 0;
    QTest::newRow("balance to the right, quieter") << 20 << 70 << 0 << 0;
    QTest::newRow("paused for 0.7 s") << 100 << 100 << 700 << 0;
    QTest::newRow("thread busy for 150 ms") << 100 << 100 << 0 << 150;
}

void RealAudioTest::tone()
{
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, pauseMs);
    QFETCH(int, busyMs);

    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);

    // Declared before the player: its events must never outlive what they write to.
    int silentReports = 0;
    QList<qint32> frames;
    Mp3Player mp;
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    connect(&mp, &Mp3Player::FramePlayed, this, [&](qint32 frame) {
        silentReports += mp.isSilent();
        frames << frame;
    });
    mp.SetVolume(qint16(left), qint16(right));
    QCOMPARE(mp.OpenFile(QStringLiteral(MELVORA_TEST_DATA "/mp3/cbr44s.mp3")), qint16(0));
    mp.Play();
    QTRY_VERIFY2_WITH_TIMEOUT(!mp.isSilent(), "the player found no audio device", 2000);
    if (pauseMs > 0) {
        // Pause once half a second has been heard: a sound server may take a
        // moment to start a stream.
        QTRY_VERIFY_WITH_TIMEOUT(frames.value(frames.size() - 1) * mp.MsPerFrame() >= 500, 5000);
        mp.TogglePause();
        QTest::qWait(pauseMs);
        mp.TogglePause();
    }
    if (busyMs > 0) {
        // A long piece of work on the UI thread (a big folder read, say)
        // must not be heard.
        QTRY_VERIFY_WITH_TIMEOUT(frames.value(frames.size() - 1) * mp.MsPerFrame() >= 500, 5000);
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < busyMs) {
        }
    }
    QVERIFY(ended.wait(int(ToneSeconds * 1000) + 5000));
    QCOMPARE(silentReports, 0);   // it never fell back to the silent clock
    QVERIFY(std::is_sorted(frames.begin(), frames.end()));
    QCOMPARE(frames.value(frames.size() - 1), mp.FrameCount());
    QTest::qWait(400 + PlaybackThread::LeadMs);   // the end is decoded ahead of the sound
    QCOMPARE(ended.size(), 1);
    const QByteArray raw = recorder.stop();
    QVERIFY2(raw.size() > Rate * 4, "nothing recorded");

    const Recording rec = analyse(raw);
    const double span = double(rec.end - rec.begin) / Rate;
    qInfo("heard %.3f s over %.3f s; left %.2f dB %.1f Hz; right %.2f dB %.1f Hz", rec.soundingSeconds, span,
          rec.channel[0].rmsDb, rec.channel[0].frequency, rec.channel[1].rmsDb, rec.channel[1].frequency);
    QVERIFY2(std::abs(rec.soundingSeconds - ToneSeconds) <= 0.1,
             qPrintable(QStringLiteral("heard %1 s of a %2 s tone").arg(rec.soundingSeconds).arg(ToneSeconds)));
    QVERIFY2(std::abs(span - ToneSeconds - pauseMs / 1000.0) <= 0.25,
             qPrintable(QStringLiteral("the tone took %1 s with a %2 ms pause").arg(span).arg(pauseMs)));
    const int volume[2] = {left, right};
    for (int c = 0; c < 2; ++c) {
        const double expectedDb = FullLevelDb + 40 * std::log10(volume[c] / 100.0);
        const Channel &ch = rec.channel[c];
        QVERIFY2(std::abs(ch.rmsDb - expectedDb) <= 1.0,
                 qPrintable(QStringLiteral("channel %1 at %2 dB, expected %3 dB").arg(c).arg(ch.rmsDb).arg(expectedDb)));
        QVERIFY2(std::abs(ch.frequency - ToneHz) <= ToneHz * 0.02,
                 qPrintable(QStringLiteral("channel %1 at %2 Hz").arg(c).arg(ch.frequency)));
    }
}

void RealAudioTest::rates_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    for (int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
        for (int channels : {1, 2})
            QTest::addRow("%d Hz, %s", rate, channels == 1 ? "mono" : "stereo") << rate << channels;
    }
}

void RealAudioTest::rates()
{
    QFETCH(int, rate);
    QFETCH(int, channels);
    QTemporaryDir dir;
    const QString mp3 = heard::writeTones(dir, QStringLiteral("tone"), {440}, 1.5, rate, channels);
    QVERIFY(!mp3.isEmpty());
    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(300);
    Mp3Player mp;
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QCOMPARE(mp.OpenFile(mp3), qint16(0));
    mp.Play();
    QTRY_VERIFY_WITH_TIMEOUT(!mp.isSilent(), 2000);
    QVERIFY(ended.wait(5000));
    QCOMPARE(mp.SampleRate(), rate);
    QTest::qWait(PlaybackThread::LeadMs + 400);
    const QByteArray raw = recorder.stop();
    const QList<heard::Run> runs = heard::toneRuns(raw, {440});
    const QString text = heard::describe(runs);
    QVERIFY2(runs.size() == 1 && runs[0].hz == 440, qPrintable(text));
    const double seconds = mp.LengthMs() / 1000.0;
    QVERIFY2(std::abs(runs[0].seconds - seconds) <= seconds * 0.05,
             qPrintable(QStringLiteral("%1 s of %2 s: %3").arg(runs[0].seconds).arg(seconds).arg(text)));
    const double silence = heard::longestSilenceMs(raw, runs[0].start + 0.03, runs[0].start + runs[0].seconds - 0.03);
    QVERIFY2(silence < 10, qPrintable(QStringLiteral("%1 ms of silence inside the tone").arg(silence)));
}

void RealAudioTest::gapless_data()
{
    QTest::addColumn<int>("firstRate");
    QTest::addColumn<int>("secondRate");
    QTest::addColumn<double>("gapMs");
    QTest::addColumn<double>("shortBy");   // seconds the whole may lack
    QTest::newRow("44.1 kHz") << 44100 << 44100 << 5.0 << 0.1;
    QTest::newRow("22.05 kHz") << 22050 << 22050 << 5.0 << 0.1;
    QTest::newRow("22.05 kHz, then 44.1 kHz") << 22050 << 44100 << 30.0 << 0.1;
    QTest::newRow("44.1 kHz, then 48 kHz") << 44100 << 48000 << 30.0 << 0.1;
}

void RealAudioTest::gapless()
{
    QFETCH(int, firstRate);
    QFETCH(int, secondRate);
    QFETCH(double, gapMs);
    QFETCH(double, shortBy);
    // One tone of two seconds, cut in the middle; the second half at its own rate.
    QTemporaryDir dir;
    const QString whole = dir.filePath(QStringLiteral("whole.wav"));
    const QString halves[2] = {dir.filePath(QStringLiteral("a.wav")), dir.filePath(QStringLiteral("b.wav"))};
    const auto sox = [](const QStringList &args) { return QProcess::execute(QStringLiteral("sox"), args) == 0; };
    QVERIFY(sox({QStringLiteral("-n"), QStringLiteral("-r"), QString::number(firstRate), QStringLiteral("-c"),
                 QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), whole, QStringLiteral("synth"),
                 QStringLiteral("2"), QStringLiteral("sine"), QStringLiteral("440"), QStringLiteral("vol"),
                 QStringLiteral("0.5")}));
    QVERIFY(sox({whole, halves[0], QStringLiteral("trim"), QStringLiteral("0"), QStringLiteral("1")}));
    QVERIFY(sox({whole, QStringLiteral("-r"), QString::number(secondRate), halves[1], QStringLiteral("trim"),
                 QStringLiteral("1")}));
    const QString first = heard::encode(halves[0], dir.filePath(QStringLiteral("a.mp3")), firstRate, 2);
    const QString second = heard::encode(halves[1], dir.filePath(QStringLiteral("b.mp3")), secondRate, 2);
    QVERIFY(!first.isEmpty() && !second.isEmpty());

    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(300);
    Mp3Player mp;
    int ends = 0;
    connect(&mp, &Mp3Player::PlayEnded, this, [&] {
        if (++ends == 1) {
            mp.OpenFile(second);
            mp.Play();
        }
    });
    QCOMPARE(mp.OpenFile(first), qint16(0));
    mp.Play();
    QTRY_VERIFY_WITH_TIMEOUT(!mp.isSilent(), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(ends, 2, 6000);
    QTest::qWait(PlaybackThread::LeadMs + 400);
    const QByteArray raw = recorder.stop();
    const QList<heard::Run> runs = heard::toneRuns(raw, {440});
    const QString text = heard::describe(runs);
    QVERIFY2(runs.size() == 1 && runs[0].seconds >= 2 - shortBy && runs[0].seconds <= 2.1, qPrintable(text));
    const double silence = heard::longestSilenceMs(raw, runs[0].start + 0.03, runs[0].start + runs[0].seconds - 0.03);
    qInfo("longest silence inside: %.2f ms", silence);
    QVERIFY2(silence <= gapMs, qPrintable(QStringLiteral("%1 ms of silence at the join").arg(silence)));
}

namespace {
// A second null sink while the guard lives.
auto phonesLoaded()
{
    return qScopeGuard([module = heard::loadPhones()] { heard::pactl({QStringLiteral("unload-module"), module}); });
}
// The name of the sink that the only stream plays on.
QString streamSink()
{
    const QStringList inputs = heard::pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")}).value_or(QString()).split(u'\n');
    if (inputs.size() != 1)
        return QString();
    const QString index = inputs[0].section(u'\t', 1, 1);
    for (const QString &sink : heard::pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")}).value_or(QString()).split(u'\n'))
        if (sink.section(u'\t', 0, 0) == index)
            return sink.section(u'\t', 1, 1);
    return QString();
}
} // namespace

void RealAudioTest::sdlChosenDevice()
{
    const auto unload = phonesLoaded();
    const QList<OutputDevice> listed = SdlOutput::devices();
    QVERIFY2(listed.contains(OutputDevice{QStringLiteral("Phones"), QStringLiteral("Phones")}),
             qPrintable(QStringLiteral("%1 devices listed").arg(listed.size())));

    heard::Recorder main, phones(QStringLiteral("phones"));
    QVERIFY2(main.started() && phones.started(), "parec did not start");
    auto target = std::make_shared<OutputTarget>();
    target->setWanted(QStringLiteral("Phones"));
    SdlOutput out(target);
    QVERIFY(out.prepare(Rate, true));
    // A tone written as the playback thread writes it, the choice changed
    // when half of it has been heard.
    constexpr qint64 Total = Rate * 12 / 5, Chunk = Rate / 100;
    std::vector<qint16> pcm(size_t(Chunk) * 2);
    qint64 made = 0, switchedAt = 0;
    QElapsedTimer playing;
    playing.start();
    while (made < Total) {
        QVERIFY2(playing.elapsed() < 10000, "the device does not take the sound");
        if (target->wanted() == QLatin1String("Phones") && out.heard() >= Total / 2) {
            switchedAt = out.heard();
            target->setWanted(QString());
        }
        out.follow();
        while (made < Total && out.written() - out.heard() < qint64(Rate) * PlaybackThread::LeadMs / 1000) {
            for (qint64 i = 0; i < Chunk; ++i)
                pcm[size_t(2 * i)] = pcm[size_t(2 * i + 1)] =
                    qint16(8000 * std::sin(2 * M_PI * ToneHz * double(made + i) / Rate));
            QVERIFY(out.write(pcm.data(), Chunk, Rate) == Chunk);
            made += Chunk;
        }
        QTest::qWait(10);
    }
    QTest::qWait(PlaybackThread::LeadMs + 400);   // what the ring, the device and the server hold
    QVERIFY(!out.failed());
    const auto seconds = [](const QByteArray &raw) {
        double total = 0;
        for (const heard::Run &run : heard::toneRuns(raw, {int(ToneHz)}))
            total += run.hz == int(ToneHz) ? run.seconds : 0;
        return total;
    };
    const double onPhones = seconds(phones.stop()), onMain = seconds(main.stop());
    const double before = double(switchedAt) / Rate;
    qInfo("phones %.3f s, then the default %.3f s, switched at %.3f s", onPhones, onMain, before);
    // The old device's sound comes a moment after heard() counts it.
    QVERIFY2(onPhones >= before - 0.05 && onPhones <= before + 0.2,
             qPrintable(QStringLiteral("phones %1 s, switched at %2 s").arg(onPhones).arg(before)));
    QVERIFY2(std::abs(onPhones + onMain - 2.4) <= 0.1,
             qPrintable(QStringLiteral("%1 s heard of 2.4 s").arg(onPhones + onMain)));
}

void RealAudioTest::pulseChosenWhilePaused()
{
    const auto unload = phonesLoaded();
    auto target = std::make_shared<OutputTarget>();
    PulseOutput out(target);
    QVERIFY(out.prepare(Rate, true));
    const std::vector<qint16> pcm(size_t(Rate) * 2 / 5, 1000);
    QCOMPARE(out.write(pcm.data(), Rate / 5, Rate), qint64(Rate / 5));
    QTRY_COMPARE(streamSink(), QStringLiteral("nullsink"));
    out.setPaused(true);
    target->setWanted(QStringLiteral("phones"));
    out.follow();
    QTRY_COMPARE_WITH_TIMEOUT(streamSink(), QStringLiteral("phones"), 2000);
}

void RealAudioTest::serverLost()
{
#ifdef Q_OS_UNIX
    const pid_t server = pid_t(qEnvironmentVariableIntValue("MELVORA_SOUND_SERVER_PID"));
    QVERIFY2(server > 0, "the check script names the server");

    MessageLog log;
    QList<qint32> frames;
    QList<bool> silent;
    Mp3Player mp;
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    connect(&mp, &Mp3Player::FramePlayed, this, [&](qint32 frame) {
        frames << frame;
        silent << mp.isSilent();
    });
    QCOMPARE(mp.OpenFile(QStringLiteral(MELVORA_TEST_DATA "/mp3/cbr44s.mp3")), qint16(0));
    mp.Play();
    QTRY_VERIFY_WITH_TIMEOUT(!mp.isSilent(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(frames.value(frames.size() - 1) * mp.MsPerFrame() >= 400, 5000);
    const qint32 beforeLoss = frames.last();
    QCOMPARE(::kill(server, SIGTERM), 0);
    QVERIFY(ended.wait(int(ToneSeconds * 1000) + 8000));
    QTest::qWait(200);
    QCOMPARE(ended.size(), 1);
    QVERIFY(silent.last());
    QCOMPARE(frames.last(), mp.FrameCount());
    // Silent play took over near the frame last heard, not from the start.
    const qsizetype firstSilent = silent.indexOf(true);
    QVERIFY(firstSilent > 0);
    QVERIFY2(frames[firstSilent] >= beforeLoss - 2,
             qPrintable(QStringLiteral("went on at %1 after %2").arg(frames[firstSilent]).arg(beforeLoss)));
    QCOMPARE(log.lines().size(), 0);
#else
    QSKIP("needs a POSIX sound server");
#endif
}

QTEST_GUILESS_MAIN(RealAudioTest)
#include "tst_real_audio.moc"
