// Bad and odd MP3 input. Every kind either opens with its error number, or
// plays to its end with figures that hold together: the decoder gives exactly
// the samples the length promises, one PlayEnded comes and the last
// FramePlayed is FrameCount(). No call, and no turn of the event loop while
// playing, takes as long as a second. The files are in tests/data/mp3/broken;
// make_fixtures.sh says how each is made, and so where its numbers come from.

#include "player/component/mp3_decoder.h"
#include "player/component/mp3_player.h"
#include "tests/player/component/loop_heartbeat.h"
#include "tests/player/component/mp3_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 LivenessMs = 1000;

QString brokenFixture(const QString &name)
{
    return QStringLiteral(MELVORA_TEST_DATA "/mp3/broken/") + name;
}

// The longest single call made through it.
class CallClock
{
public:
    template <typename Call>
    auto operator()(const char *what, Call &&call)
    {
        QElapsedTimer timer;
        timer.start();
        const auto record = [&] {
            if (timer.elapsed() > m_longestMs) {
                m_longestMs = timer.elapsed();
                m_longest = QLatin1String(what);
            }
        };
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            record();
        } else {
            auto result = call();
            record();
            return result;
        }
    }
    qint64 longestMs() const { return m_longestMs; }
    QString report() const { return QStringLiteral("%1 took %2 ms").arg(m_longest).arg(m_longestMs); }

private:
    qint64 m_longestMs = 0;
    QString m_longest;
};

// Turns a hang into a failure: if the guarded code is still running after
// the liveness bound, a reader blocked on the FIFO is released by opening it
// for writing (so the slow call returns and its time is reported); if it is
// still running ten seconds later, the run aborts.
class HangGuard
{
public:
    explicit HangGuard(const QString &fifo)
        : m_fifo(QFile::encodeName(fifo))
        , m_thread([this] { watch(); })
    {
    }
    ~HangGuard()
    {
        {
            const std::lock_guard<std::mutex> lock(m_lock);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    void watch()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(2 * LivenessMs), [this] { return m_done; }))
            return;
#ifdef Q_OS_UNIX
        if (!m_fifo.isEmpty()) {
            const int fd = ::open(m_fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
#endif
        if (!m_wake.wait_for(lock, std::chrono::seconds(10), [this] { return m_done; }))
            qFatal("a call into the player has not returned for 12 s");
    }

    QByteArray m_fifo;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

} // namespace

class BrokenMediaTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    // Files that give nothing to play: the error number, no figures, no events;
    // a good file on the same player afterwards opens with no error.
    void refused_data();
    void refused();
    // Damaged, odd and joined streams that still hold music: exact figures, a
    // full decode of exactly the promised samples, and a clean end of playback.
    void plays_data();
    void plays();
    // The file changes under the player while it plays: playback still ends
    // once at FrameCount(), the figures stay those of the open, and opening
    // the file again sees what it has become.
    void changedWhilePlaying_data();
    void changedWhilePlaying();

private:
    QString special(const QString &name) const;

    QTemporaryDir m_dir;
};

void BrokenMediaTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Random bytes around three MPEG 1 layer III frames (128 kbit/s, 44.1 kHz:
    // 417 bytes each), one after another: one short of a start of frames.
    const QByteArray random = readAll(fixture(QStringLiteral("random.mp3")));
    QVERIFY(random.size() >= 4096);
    QByteArray frames;
    for (int i = 0; i < 3; ++i)
        frames += QByteArray("\xFF\xFB\x90\x00", 4) + random.mid(100 + 417 * i, 413);
    const auto put = [this](const char *name, const QByteArray &bytes) {
        QFile file(m_dir.filePath(QLatin1String(name)));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QVERIFY(put("three_frames_amid.mp3", random.left(2000) + frames + '\0' + random.mid(2000)));
    QVERIFY(put("three_frames_at_end.mp3", random.left(2000) + frames));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.mp3")));
    QFile plain(m_dir.filePath(QStringLiteral("plain.mp3")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
#ifdef Q_OS_UNIX
    const auto path = [this](const char *name) { return QFile::encodeName(m_dir.filePath(QLatin1String(name))); };
    QCOMPARE(::mkfifo(path("fifo.mp3").constData(), 0644), 0);
    // A loop of links fails to open for every user, root included.
    QCOMPARE(::symlink(path("loop-b.mp3").constData(), path("loop-a.mp3").constData()), 0);
    QCOMPARE(::symlink(path("loop-a.mp3").constData(), path("loop-b.mp3").constData()), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(sock >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = path("socket.mp3");
    QVERIFY(size_t(socketPath.size()) < sizeof(address.sun_path));
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    QCOMPARE(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(sock);   // the socket file stays
#endif
}

// "@name": a special file made by initTestCase, or a system path.
QString BrokenMediaTest::special(const QString &name) const
{
    if (name.startsWith(QLatin1Char('/')))
        return name;
    return m_dir.filePath(name);
}

void BrokenMediaTest::refused_data()
{
    QTest::addColumn<QString>("file");   // in broken/, or "@" and a special path
    QTest::addColumn<int>("error");
    QTest::newRow("zero bytes") << "../empty.mp3" << 62;
    QTest::newRow("ID3v2 tag only") << "tag_id3v2_only.mp3" << 321;
    QTest::newRow("ID3v1 tag only") << "tag_id3v1_only.mp3" << 321;
    QTest::newRow("ID3v2 and ID3v1 tags, no audio") << "tags_only.mp3" << 321;
    QTest::newRow("tag size runs past the end") << "tag_size_past_end.mp3" << 321;
    QTest::newRow("random bytes") << "../random.mp3" << 321;
    QTest::newRow("three agreeing headers in random bytes") << "@three_frames_amid.mp3" << 321;
    QTest::newRow("three agreeing headers ending random bytes") << "@three_frames_at_end.mp3" << 321;
    QTest::newRow("PCM WAVE named .mp3") << "pcm_wave.mp3" << 321;
    QTest::newRow("cut inside the Info frame") << "cut_in_info_frame.mp3" << 321;
    QTest::newRow("cut inside the first audio frame") << "cut_in_first_frame.mp3" << 321;
    QTest::newRow("encoder output without samples") << "no_samples.mp3" << 321;
    QTest::newRow("gapless figures longer than the audio") << "gapless_past_audio.mp3" << 321;
    QTest::newRow("missing") << "@nothing-here.mp3" << 53;
    QTest::newRow("a file where a folder should be") << "@plain.mp3/song.mp3" << 53;
    QTest::newRow("folder") << "@folder.mp3" << 75;
#ifdef Q_OS_UNIX
    QTest::newRow("FIFO") << "@fifo.mp3" << 75;
    QTest::newRow("socket") << "@socket.mp3" << 75;
    QTest::newRow("links in a loop") << "@loop-a.mp3" << 75;
#endif
#ifdef Q_OS_LINUX
    QTest::newRow("endless device") << "@/dev/zero" << 75;
    QTest::newRow("random device") << "@/dev/urandom" << 75;
#endif
}

void BrokenMediaTest::refused()
{
    QFETCH(QString, file);
    QFETCH(int, error);
    const QString path = file.startsWith(QLatin1Char('@')) ? special(file.mid(1)) : brokenFixture(file);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QSignalSpy failed(&mp, &Mp3Player::OpenFailed);
    CallClock clock;
    {
        const HangGuard guard(path);
        // A file that is there is searched for a frame on the player's thread.
        const bool onceRead = error == Mp3Player::ErrNotMp3;
        QCOMPARE(clock("OpenFile", [&] { return int(mp.OpenFile(path)); }), onceRead ? 0 : error);
        clock("Play", [&] { mp.Play(); });
        QVERIFY(!onceRead || failed.wait(int(LivenessMs)));
    }
    QVERIFY2(clock.longestMs() < LivenessMs, qPrintable(clock.report()));
    QCOMPARE(mp.errorNumber(), error);
    QVERIFY(!mp.errorDescription().isEmpty());
    QCOMPARE(mp.FrameCount(), 0);
    QCOMPARE(mp.LengthMs(), 0);
    QCOMPARE(mp.SampleRate(), 0);
    QVERIFY(!mp.isPlaying());
    QTest::qWait(60);
    QCOMPARE(frames.size(), 0);
    QCOMPARE(ended.size(), 0);

    QCOMPARE(mp.OpenFile(fixture(QStringLiteral("mono22.mp3"))), qint16(0));
    QCOMPARE(mp.errorNumber(), 0);
    QCOMPARE(mp.errorDescription(), QString());
    QTRY_COMPARE(mp.FrameCount(), 41);
}

void BrokenMediaTest::plays_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("samplesPerFrame");
    QTest::addColumn<qint64>("samples");   // -1: frames x samples per frame, less at most two frames of gapless trim

    // The 1 s 22.05 kHz tone (41 frames) behind broken or lying bytes.
    QTest::newRow("tag claims less than it holds") << "tag_size_short.mp3" << 41 << 22050 << 576 << qint64(22050);
    QTest::newRow("garbage before the audio") << "garbage_before.mp3" << 41 << 22050 << 576 << qint64(22050);
    QTest::newRow("garbage after the audio") << "garbage_after.mp3" << 41 << 22050 << 576 << qint64(22050);
    QTest::newRow("cut mid-frame") << "../truncated.mp3" << 22 << 44100 << 1152 << qint64(-1);
    QTest::newRow("one frame") << "one_frame.mp3" << 1 << 44100 << 1152 << qint64(1152);
    // Other MPEG versions and layers; free format (no bit rate in the header).
    QTest::newRow("MPEG 2.5 at 8 kHz") << "../rate8k.mp3" << 16 << 8000 << 576 << qint64(-1);
    QTest::newRow("MPEG 2.5 at 11.025 kHz") << "mpeg25_11k.mp3" << 12 << 11025 << 576 << qint64(5512);
    QTest::newRow("free format") << "free_format.mp3" << 15 << 32000 << 1152 << qint64(16000);
    QTest::newRow("layer I") << "layer1.mp3" << 60 << 48000 << 384 << qint64(60 * 384);
    QTest::newRow("layer II") << "layer2.mp3" << 21 << 48000 << 1152 << qint64(21 * 1152);
    QTest::newRow("layer II, MPEG 2") << "layer2_mpeg2.mp3" << 11 << 24000 << 1152 << qint64(11 * 1152);
    QTest::newRow("in a RIFF/WAVE file") << "riff_wave.mp3" << 21 << 44100 << 1152 << qint64(22050);
    // 1 s of VBR, 40 frames: the scan counts them whatever the Xing header says.
    // The patched headers no longer match the LAME tag's checksum, so its
    // gapless figures are not used either.
    QTest::newRow("Xing header claims 2^31 frames") << "xing_too_many.mp3" << 40 << 44100 << 1152 << qint64(40 * 1152);
    QTest::newRow("Xing header claims 3 frames") << "xing_too_few.mp3" << 40 << 44100 << 1152 << qint64(44100);
    QTest::newRow("Xing header claims no frames") << "xing_zero.mp3" << 40 << 44100 << 1152 << qint64(40 * 1152);
    QTest::newRow("LAME tag claims 4095 + 4095 samples of delay and padding")
        << "gapless_long_lies.mp3" << 40 << 44100 << 1152 << qint64(40 * 1152 - 2 * 4095);
    // Joined streams: the track is the first one when the rate or frame size
    // changes, all of it otherwise (the second stream's Info frame counts as a
    // frame of silence).
    QTest::newRow("44.1 kHz then 22.05 kHz") << "rate_44_to_22.mp3" << 21 << 44100 << 1152 << qint64(22050);
    QTest::newRow("22.05 kHz then 44.1 kHz") << "rate_22_to_44.mp3" << 41 << 22050 << 576 << qint64(22050);
    QTest::newRow("44.1 kHz then 48 kHz") << "rate_44_to_48.mp3" << 21 << 44100 << 1152 << qint64(22050);
    QTest::newRow("layer I then layer II") << "layer1_to_2.mp3" << 60 << 48000 << 384 << qint64(60 * 384);
    QTest::newRow("mono then stereo") << "mono_to_stereo.mp3" << 21 + 1 + 21 << 44100 << 1152 << qint64(-1);
    QTest::newRow("two streams of one format") << "joined_same_format.mp3" << 21 + 1 + 21 << 44100 << 1152
                                               << qint64(-1);
}

void BrokenMediaTest::plays()
{
    QFETCH(QString, file);
    QFETCH(int, frames);
    QFETCH(int, rate);
    QFETCH(int, samplesPerFrame);
    QFETCH(qint64, samples);
    const QString path = brokenFixture(file);

    Mp3Decoder decoder;
    QCOMPARE(decoder.open(path), Mp3Decoder::OpenResult::Ok);
    QCOMPARE(decoder.frameCount(), frames);
    QCOMPARE(decoder.sampleRate(), rate);
    QCOMPARE(decoder.samplesPerFrame(), samplesPerFrame);
    if (samples >= 0) {
        QCOMPARE(decoder.sampleCount(), samples);
    } else {
        samples = decoder.sampleCount();
        QVERIFY2(samples <= qint64(frames) * samplesPerFrame && samples >= qint64(frames - 2) * samplesPerFrame,
                 qPrintable(QString::number(samples)));
    }
    QCOMPARE(decodedSamples(decoder), samples);
    QVERIFY(decoder.atEnd());
    QCOMPARE(decoder.frameAtSample(samples), frames);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy reported(&mp, &Mp3Player::FramePlayed);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    CallClock clock;
    const LoopHeartbeat heartbeat;
    QCOMPARE(clock("OpenFile", [&] { return mp.OpenFile(path); }), qint16(0));
    QVERIFY(QTest::qWaitFor([&] { return mp.figures().exact; }, int(LivenessMs)));
    QCOMPARE(mp.errorNumber(), 0);
    QCOMPARE(mp.FrameCount(), frames);
    QCOMPARE(mp.SampleRate(), rate);
    QCOMPARE(mp.MsPerFrame(), float(samplesPerFrame * 1000.0 / rate));
    QCOMPARE(mp.LengthMs(), qint32(samples * 1000 / rate));
    QVERIFY(mp.BitRate() > 0);
    clock("Play", [&] { mp.Play(); });
    QVERIFY(mp.isPlaying());
    // The whole stream was decoded above; the player needs only the last
    // 0.2 s to show its ending.
    const int tail = int(200 / mp.MsPerFrame()) + 1;
    if (frames > tail)
        clock("SeekFrame", [&] { mp.SeekFrame(frames - tail); });
    QVERIFY(ended.wait(mp.LengthMs() + 3000));
    QTest::qWait(100);
    QVERIFY2(clock.longestMs() < LivenessMs, qPrintable(clock.report()));
    QVERIFY2(heartbeat.longestGapMs() < LivenessMs, qPrintable(QString::number(heartbeat.longestGapMs())));
    QCOMPARE(ended.size(), 1);
    const QList<int> seen = framesOf(reported);
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), frames);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QVERIFY(*std::max_element(seen.begin(), seen.end()) <= frames);
}

void BrokenMediaTest::changedWhilePlaying_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("whole");     // all of the track still decodes
    QTest::addColumn<int>("reopened");   // OpenFile's answer afterwards
    QTest::newRow("cut to half") << "cut" << false << 0;
    QTest::newRow("cut to nothing") << "empty" << false << 62;
    QTest::newRow("overwritten with garbage") << "garbage" << false << 321;
    QTest::newRow("overwritten with a 22.05 kHz stream") << "other" << false << 0;
    QTest::newRow("grown by more of the same") << "grow" << true << 0;
    QTest::newRow("deleted") << "delete" << true << 53;
    QTest::newRow("replaced by another file") << "rename" << true << 0;
#ifdef Q_OS_UNIX
    QTest::newRow("replaced by a FIFO") << "fifo" << true << 75;
#endif
}

void BrokenMediaTest::changedWhilePlaying()
{
    QFETCH(QString, change);
    QFETCH(bool, whole);
    QFETCH(int, reopened);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.mp3"));
    const QByteArray original = readAll(fixture(QStringLiteral("cbr44s.mp3")));
    const QByteArray other = readAll(fixture(QStringLiteral("mono22.mp3")));
    QVERIFY(!original.isEmpty() && !other.isEmpty());
    const auto write = [](const QString &to, const QByteArray &bytes, QIODevice::OpenMode mode) {
        QFile f(to);
        return f.open(mode) && f.write(bytes) == bytes.size();
    };
    QVERIFY(write(path, original, QIODevice::WriteOnly));
    const auto applyChange = [&] {
        if (change == QLatin1String("cut"))
            return QFile::resize(path, original.size() / 2);
        if (change == QLatin1String("empty"))
            return QFile::resize(path, 0);
        if (change == QLatin1String("garbage")) {
            QByteArray noise(original.size(), Qt::Uninitialized);
            for (qsizetype i = 0; i < noise.size(); ++i)
                noise[i] = char((i * 7919 + 13) % 251);
            return write(path, noise, QIODevice::WriteOnly);   // same file, truncated and rewritten
        }
        if (change == QLatin1String("other"))
            return write(path, other + other + other, QIODevice::WriteOnly);
        if (change == QLatin1String("grow"))
            return write(path, original.mid(417), QIODevice::Append);
        if (change == QLatin1String("delete"))
            return QFile::remove(path);
        if (change == QLatin1String("rename")) {
            const QString next = dir.filePath(QStringLiteral("next.mp3"));
            return write(next, other, QIODevice::WriteOnly) && QFile::remove(path) && QFile::rename(next, path);
        }
#ifdef Q_OS_UNIX
        if (change == QLatin1String("fifo"))
            return QFile::remove(path) && ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
#endif
        return false;
    };

    // The decoder alone, changed after the open: never more than the track.
    {
        Mp3Decoder decoder;
        QCOMPARE(decoder.open(path), Mp3Decoder::OpenResult::Ok);
        const qint64 promised = decoder.sampleCount();
        QByteArray chunk(4096 * Mp3Decoder::BytesPerSampleFrame, Qt::Uninitialized);
        qint64 decoded = decoder.read(chunk.data(), chunk.size()) / Mp3Decoder::BytesPerSampleFrame;
        QVERIFY(applyChange());
        decoded += decodedSamples(decoder);
        QVERIFY(decoder.atEnd());
        if (whole)
            QCOMPARE(decoded, promised);
        else
            QVERIFY2(decoded < promised, qPrintable(QStringLiteral("%1 of %2").arg(decoded).arg(promised)));
    }

    // The player, changed while it plays.
    QFile::remove(path);
    QVERIFY(write(path, original, QIODevice::WriteOnly));
    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy reported(&mp, &Mp3Player::FramePlayed);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    CallClock clock;
    const LoopHeartbeat heartbeat;
    QCOMPARE(clock("OpenFile", [&] { return mp.OpenFile(path); }), qint16(0));
    QVERIFY(QTest::qWaitFor([&] { return mp.figures().exact; }, int(LivenessMs)));
    const int frames = mp.FrameCount();
    QCOMPARE(frames, 59);
    clock("Play", [&] { mp.Play(); });
    QTRY_VERIFY_WITH_TIMEOUT(!reported.isEmpty() && reported.last().at(0).toInt() >= 10, 3000);
    QVERIFY(applyChange());
    // A seek after the change reads where the old file had its frames.
    clock("SeekFrame", [&] { mp.SeekFrame(50); });
    QVERIFY(ended.wait(mp.LengthMs() + 3000));
    QTest::qWait(100);
    QVERIFY2(clock.longestMs() < LivenessMs, qPrintable(clock.report()));
    QVERIFY2(heartbeat.longestGapMs() < LivenessMs, qPrintable(QString::number(heartbeat.longestGapMs())));
    QCOMPARE(ended.size(), 1);
    QCOMPARE(mp.FrameCount(), frames);
    QCOMPARE(framesOf(reported).last(), frames);

    {
        const HangGuard guard(path);
        QSignalSpy failed(&mp, &Mp3Player::OpenFailed);
        const bool onceRead = reopened == Mp3Player::ErrNotMp3;
        QCOMPARE(clock("OpenFile again", [&] { return int(mp.OpenFile(path)); }), onceRead ? 0 : reopened);
        QVERIFY(!onceRead || failed.wait(int(LivenessMs)));
        QCOMPARE(mp.errorNumber(), reopened);
    }
    QVERIFY2(clock.longestMs() < LivenessMs, qPrintable(clock.report()));
}

QTEST_GUILESS_MAIN(BrokenMediaTest)
#include "tst_broken_media.moc"
