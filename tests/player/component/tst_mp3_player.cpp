#include "tests/common/throttled_file.h"
#include "tests/player/component/loop_heartbeat.h"
#include "tests/player/component/message_log.h"
#include "player/component/mp3_decoder.h"
#include "player/component/mp3_player.h"
#include "player/component/playback_thread.h"
#include "tests/player/component/mp3_fixtures.h"
#include "tests/player/component/mp3_walk.h"
#include "player/component/pcm_volume.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QScopeGuard>
#include <QTest>

#include <cmath>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Opened, with the exact figures the player found on its own thread.
bool openWhole(Mp3Player &mp, const QString &path)
{
    return mp.OpenFile(path) == 0 && QTest::qWaitFor([&] { return mp.figures().exact; }, 5000);
}

// 200 s of a slow sweep at 8 kHz, VBR without a Xing header: every moment
// sounds different, and the headers give no true total. Returns "" when sox
// or lame fail.
QString writeSweep(const QTemporaryDir &dir)
{
    const QString wav = dir.filePath(QStringLiteral("sweep.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("sweep.mp3"));
    if (QProcess::execute(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("8000"),
                                                  QStringLiteral("-c"), QStringLiteral("1"), wav, QStringLiteral("synth"),
                                                  QStringLiteral("200"), QStringLiteral("sine"), QStringLiteral("100-3500"),
                                                  QStringLiteral("vol"), QStringLiteral("0.5")})
            != 0
        || QProcess::execute(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-t"), QStringLiteral("-V"),
                                                      QStringLiteral("2"), wav, mp3})
               != 0)
        return QString();
    return mp3;
}


} // namespace

class Mp3PlayerTest : public QObject
{
    Q_OBJECT

private slots:
    // Figures agree with an independent walk over the frame headers and with
    // the sample counts the fixtures were made from.
    void figures_data();
    void figures();
    // Every kind of bad file gives an error number and description, no figures
    // and nothing to play.
    void badFile_data();
    void badFile();
    void unreadableFile();
    // Callers compare the error numbers with these literal values.
    void errorNumbers_data();
    void errorNumbers();
    // A seek lands on the frame asked: the samples after it are the samples of
    // a straight decode from that frame's start.
    void seekLanding_data();
    void seekLanding();
    // Gains scale each channel on its own; the curve's fixed points.
    void gains_data();
    void gains();
    void volumeCurve();
    // The volume reaches the decoded samples per channel, mono on both sides.
    void volumeOnDecodedAudio_data();
    void volumeOnDecodedAudio();
    // Playing to the end: frames rise to FrameCount, the run takes the file's
    // length, one PlayEnded, delivered from the event loop.
    void playToEnd_data();
    void playToEnd();
    // Each way of ending gives exactly one PlayEnded, never synchronously.
    void endings_data();
    void endings();
    // A seek while playing moves the reported frame there; frames past the end end.
    void seekWhilePlaying_data();
    void seekWhilePlaying();
    // A seek to FrameCount() itself ends playback at once, playing or paused:
    // the last report is FrameCount(), then one PlayEnded.
    void seekToEnd_data();
    void seekToEnd();
    // No FramePlayed while paused; resuming carries on from the same frame.
    void pauseHoldsPosition();
    // Opening another file stops the old one without PlayEnded.
    void openWhilePlayingIsSilent();
    // The track PlayEnded starts goes behind the sound still queued: its first
    // frame is heard once the track before has been heard to its end.
    void nextTrackFollowsQueuedSound_data();
    void nextTrackFollowsQueuedSound();
    // Frames beyond 16 bits: count, length, seek and report.
    void longFile();
    // A good file behind junk plays whole: the frames begin where four
    // headers in a row agree.
    void junkBeforeFrames_data();
    void junkBeforeFrames();
    // A long file read slowly: OpenFile and Play return at once and the loop
    // never stalls; the headers' totals come first and the scan's later; a
    // seek made before the scan lands is reported where it was made, and the
    // count goes on from there.
    void slowLongFile();
    // After a seek that had to guess its place, the scan's index makes the
    // sound go on from exactly the sample the decoder counts itself at.
    void guessedSeekMadeExact();
    // With no sound server the player plays silently, events come, and
    // nothing is printed.
    void noDeviceFallsBackQuietly();
};

void Mp3PlayerTest::figures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rate");
    QTest::addColumn<qint64>("samples");       // -1: no gapless info, frames x samples per frame
    QTest::addColumn<int>("bitRate");          // -1: average from the frame bytes
    QTest::newRow("44.1 kHz stereo CBR") << "cbr44s.mp3" << 44100 << qint64(66150) << 128000;
    QTest::newRow("22.05 kHz mono") << "mono22.mp3" << 22050 << qint64(22050) << 64000;
    QTest::newRow("VBR with Xing") << "vbr_xing.mp3" << 44100 << qint64(44100) << -1;
    QTest::newRow("VBR without Xing") << "vbr_noxing.mp3" << 44100 << qint64(-1) << -1;
    QTest::newRow("8 kHz") << "rate8k.mp3" << 8000 << qint64(-1) << 16000;
    QTest::newRow("truncated") << "truncated.mp3" << 44100 << qint64(-1) << -1;
    QTest::newRow("large ID3v2 tag") << "id3big.mp3" << 22050 << qint64(22050) << 64000;
}

void Mp3PlayerTest::figures()
{
    QFETCH(QString, file);
    QFETCH(int, rate);
    QFETCH(qint64, samples);
    QFETCH(int, bitRate);

    const Mp3Walk walk = walkMp3(readAll(fixture(file)));
    QVERIFY(walk.frames > 0);
    QCOMPARE(walk.sampleRate, rate);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QVERIFY(openWhole(mp, fixture(file)));
    QCOMPARE(mp.errorNumber(), 0);
    QCOMPARE(mp.errorDescription(), QString());
    QCOMPARE(mp.FrameCount(), walk.frames);
    QCOMPARE(mp.SampleRate(), rate);
    QCOMPARE(mp.MsPerFrame(), float(walk.samplesPerFrame * 1000.0 / rate));
    if (samples < 0)
        samples = qint64(walk.frames) * walk.samplesPerFrame;
    QCOMPARE(mp.LengthMs(), qint32(samples * 1000 / rate));

    if (bitRate < 0) {
        const double seconds = double(walk.frames) * walk.samplesPerFrame / rate;
        bitRate = int(std::lround(walk.audioBytes * 8 / seconds / 1000) * 1000);
    }
    QVERIFY2(std::abs(mp.BitRate() - bitRate) <= 1000,
             qPrintable(QStringLiteral("%1 vs %2").arg(mp.BitRate()).arg(bitRate)));

    // The decoded sample count is the reported length.
    Mp3Decoder decoder;
    QCOMPARE(decoder.open(fixture(file)), Mp3Decoder::OpenResult::Ok);
    QCOMPARE(qint64(decodeAll(decoder).size() / 2), samples);
    QVERIFY(decoder.atEnd());
}

void Mp3PlayerTest::badFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("onceRead");   // known only once the file was searched for a frame
    QTest::newRow("missing") << fixture("no-such-file.mp3") << 53 << false;
    QTest::newRow("empty path") << QString() << 53 << false;
    QTest::newRow("folder") << QStringLiteral(MELVORA_TEST_DATA "/mp3") << 75 << false;
    QTest::newRow("zero bytes") << fixture("empty.mp3") << 62 << false;
    QTest::newRow("random bytes") << fixture("random.mp3") << 321 << true;
    QTest::newRow("text named .mp3") << fixture("text.mp3") << 321 << true;
}

void Mp3PlayerTest::badFile()
{
    QFETCH(QString, path);
    QFETCH(int, error);
    QFETCH(bool, onceRead);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QSignalSpy failed(&mp, &Mp3Player::OpenFailed);
    // A good file first, so a failed open must also drop the previous one,
    // and the same again still being read, whose figures must not land later.
    QVERIFY(openWhole(mp, fixture("mono22.mp3")));
    mp.OpenFile(fixture("mono22.mp3"));
    QCOMPARE(mp.OpenFile(path, QString()), qint16(onceRead ? 0 : error));
    QCOMPARE(mp.FrameCount(), 0);
    mp.Play();
    if (onceRead) {
        QVERIFY(failed.wait(2000));
        QVERIFY(!mp.isPlaying());
    }
    QCOMPARE(failed.size(), onceRead ? 1 : 0);
    QCOMPARE(mp.errorNumber(), error);   // the open's error is still the one to see
    QVERIFY(!mp.errorDescription().isEmpty());
    QCOMPARE(mp.FrameCount(), 0);
    QCOMPARE(mp.LengthMs(), 0);
    QCOMPARE(mp.SampleRate(), 0);
    QCOMPARE(mp.BitRate(), 0);
    QVERIFY(!mp.isPlaying());
    QTest::qWait(150);
    QCOMPARE(mp.FrameCount(), 0);
    QCOMPARE(frames.size(), 0);
    QCOMPARE(ended.size(), 0);

    // A good file on the same player clears the error and plays.
    QVERIFY(openWhole(mp, fixture("mono22.mp3")));
    QCOMPARE(mp.errorNumber(), 0);
    QCOMPARE(mp.errorDescription(), QString());
    QCOMPARE(mp.FrameCount(), 41);
    mp.Play();
    QVERIFY(mp.isPlaying());
    QVERIFY(frames.wait(1000));
    mp.StopPlay();

    // Play with nothing ever opened is an error of its own.
    Mp3Player fresh(nullptr, Mp3Player::Output::Silent);
    fresh.Play();
    QCOMPARE(fresh.errorNumber(), 52);
    QVERIFY(!fresh.errorDescription().isEmpty());
}

void Mp3PlayerTest::unreadableFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("locked.mp3");
    QVERIFY(QFile::copy(fixture("mono22.mp3"), path));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        Mp3Player mp(nullptr, Mp3Player::Output::Silent);
        QCOMPARE(mp.OpenFile(path), qint16(75));
        QVERIFY(!mp.errorDescription().isEmpty());
        return;
    }
#ifdef Q_OS_UNIX
    // Permissions do not keep root out: open it as "nobody" in a child process,
    // which reports the error number as its exit status.
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                  | QFileDevice::ExeGroup | QFileDevice::ExeOther));
    const QByteArray nativePath = QFile::encodeName(path);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(200);
        QFile stillReadable(path);
        if (stillReadable.open(QIODevice::ReadOnly) || ::access(nativePath.constData(), R_OK) == 0)
            ::_exit(201);
        Mp3Player mp(nullptr, Mp3Player::Output::Silent);
        const int error = mp.OpenFile(path);
        ::_exit(mp.errorDescription().isEmpty() ? 202 : error);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 75);
#else
    QSKIP("permissions do not keep this user out");
#endif
}

void Mp3PlayerTest::errorNumbers_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("literal");
    QTest::newRow("none") << int(Mp3Player::NoError) << 0;
    QTest::newRow("decoder unavailable") << int(Mp3Player::ErrDecoderUnavailable) << 51;
    QTest::newRow("no file open") << int(Mp3Player::ErrNoFileOpen) << 52;
    QTest::newRow("file not found") << int(Mp3Player::ErrFileNotFound) << 53;
    QTest::newRow("empty file") << int(Mp3Player::ErrEmptyFile) << 62;
    QTest::newRow("file unreadable") << int(Mp3Player::ErrFileUnreadable) << 75;
    QTest::newRow("not an MP3") << int(Mp3Player::ErrNotMp3) << 321;
}

void Mp3PlayerTest::errorNumbers()
{
    QFETCH(int, number);
    QFETCH(int, literal);
    QCOMPARE(number, literal);
}

void Mp3PlayerTest::seekLanding_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("frame");
    QTest::newRow("CBR frame 1") << "cbr44s.mp3" << 1;
    QTest::newRow("CBR frame 20") << "cbr44s.mp3" << 20;
    QTest::newRow("CBR last frame") << "cbr44s.mp3" << 58;
    QTest::newRow("VBR no Xing frame 17") << "vbr_noxing.mp3" << 17;
    QTest::newRow("VBR Xing frame 33") << "vbr_xing.mp3" << 33;
    QTest::newRow("mono frame 12") << "mono22.mp3" << 12;
    QTest::newRow("8 kHz frame 9") << "rate8k.mp3" << 9;
}

void Mp3PlayerTest::seekLanding()
{
    QFETCH(QString, file);
    QFETCH(int, frame);

    Mp3Decoder decoder;
    QCOMPARE(decoder.open(fixture(file)), Mp3Decoder::OpenResult::Ok);
    const QList<qint16> whole = decodeAll(decoder);

    const qint64 at = decoder.seekFrame(frame);
    QVERIFY(at > 0);
    QCOMPARE(decoder.frameAtSample(at), frame);
    QCOMPARE(decoder.frameAtSample(at - 1), frame - 1);
    const QList<qint16> tail = decodeAll(decoder);
    QCOMPARE(qint64(tail.size()), qint64(whole.size()) - 2 * at);
    // Layer III borrows bits from earlier frames; after a seek they are decoded
    // again, so the samples match to within rounding.
    int worst = 0;
    for (qsizetype i = 0; i < tail.size(); ++i)
        worst = std::max(worst, std::abs(tail[i] - whole[2 * at + i]));
    QVERIFY2(worst <= 2, qPrintable(QStringLiteral("largest difference %1").arg(worst)));
}

void Mp3PlayerTest::gains_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<qint16>("inL");
    QTest::addColumn<qint16>("inR");
    QTest::addColumn<qint16>("outL");
    QTest::addColumn<qint16>("outR");
    QTest::newRow("full both") << 100 << 100 << qint16(-32768) << qint16(32767) << qint16(-32768) << qint16(32767);
    QTest::newRow("left only") << 100 << 0 << qint16(12000) << qint16(12000) << qint16(12000) << qint16(0);
    QTest::newRow("right only") << 0 << 100 << qint16(-12000) << qint16(-12000) << qint16(0) << qint16(-12000);
    QTest::newRow("half right") << 100 << 50 << qint16(20000) << qint16(20000) << qint16(20000) << qint16(5000);
    QTest::newRow("balance 100/10") << 100 << 10 << qint16(30000) << qint16(30000) << qint16(30000) << qint16(300);
    QTest::newRow("over 100 clamps") << 250 << -5 << qint16(1000) << qint16(1000) << qint16(1000) << qint16(0);
}

void Mp3PlayerTest::gains()
{
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(qint16, inL);
    QFETCH(qint16, inR);
    QFETCH(qint16, outL);
    QFETCH(qint16, outR);
    qint16 pcm[6] = {inL, inR, inL, inR, inL, inR};
    PcmVolume::applyGains(pcm, 3, PcmVolume::gainForVolume(left), PcmVolume::gainForVolume(right));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(pcm[2 * i], outL);
        QCOMPARE(pcm[2 * i + 1], outR);
    }
}

void Mp3PlayerTest::volumeCurve()
{
    QCOMPARE(PcmVolume::gainForVolume(0), 0);
    QCOMPARE(PcmVolume::gainForVolume(100), PcmVolume::UnityGain);
    QCOMPARE(PcmVolume::gainForVolume(50), PcmVolume::UnityGain / 4);   // -12 dB
    for (int v = 1; v <= 100; ++v)
        QVERIFY(PcmVolume::gainForVolume(v) > PcmVolume::gainForVolume(v - 1));
}

void Mp3PlayerTest::volumeOnDecodedAudio_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::newRow("stereo, left only") << "cbr44s.mp3" << 100 << 0;
    QTest::newRow("stereo, balance to the right") << "cbr44s.mp3" << 10 << 100;
    QTest::newRow("mono, both") << "mono22.mp3" << 100 << 100;
    QTest::newRow("mono, right only") << "mono22.mp3" << 0 << 100;
    QTest::newRow("mono, 35 both") << "mono22.mp3" << 35 << 35;
}

void Mp3PlayerTest::volumeOnDecodedAudio()
{
    QFETCH(QString, file);
    QFETCH(int, left);
    QFETCH(int, right);

    Mp3Decoder decoder;
    QCOMPARE(decoder.open(fixture(file)), Mp3Decoder::OpenResult::Ok);
    const QList<qint16> reference = decodeAll(decoder);
    QList<qint16> out = reference;
    PcmVolume::applyGains(out.data(), out.size() / 2, PcmVolume::gainForVolume(left), PcmVolume::gainForVolume(right));

    double energy[2] = {0, 0}, refEnergy[2] = {0, 0};
    for (qsizetype i = 0; i < reference.size(); ++i) {
        energy[i % 2] += double(out[i]) * out[i];
        refEnergy[i % 2] += double(reference[i]) * reference[i];
    }
    QVERIFY(refEnergy[0] > 0 && refEnergy[1] > 0);   // mono comes out on both channels
    const double expected[2] = {std::pow(left / 100.0, 4), std::pow(right / 100.0, 4)};
    for (int c = 0; c < 2; ++c) {
        const double ratio = energy[c] / refEnergy[c];
        QVERIFY2(std::abs(ratio - expected[c]) <= 0.01 * expected[c] + 1e-6,
                 qPrintable(QStringLiteral("channel %1: %2 vs %3").arg(c).arg(ratio).arg(expected[c])));
    }
}

void Mp3PlayerTest::playToEnd_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("44.1 kHz stereo CBR") << "cbr44s.mp3";
    QTest::newRow("8 kHz") << "rate8k.mp3";
    QTest::newRow("truncated") << "truncated.mp3";
    QTest::newRow("VBR without Xing") << "vbr_noxing.mp3";
}

void Mp3PlayerTest::playToEnd()
{
    QFETCH(QString, file);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QString order;   // f per FramePlayed, E per PlayEnded
    connect(&mp, &Mp3Player::FramePlayed, this, [&] { order += QLatin1Char('f'); });
    connect(&mp, &Mp3Player::PlayEnded, this, [&] { order += QLatin1Char('E'); });
    QVERIFY(openWhole(mp, fixture(file)));
    QElapsedTimer clock;
    clock.start();
    mp.Play();
    mp.SetVolume(35, 35);
    QVERIFY(mp.isPlaying());
    QVERIFY(ended.wait(mp.LengthMs() + 3000));
    const qint64 took = clock.elapsed();
    QTest::qWait(200);

    QCOMPARE(ended.size(), 1);
    QVERIFY(order.endsWith(QLatin1String("fE")));   // the last frame, then the end, then nothing
    QVERIFY(!mp.isPlaying());
    // The end comes when the last frame is decoded, the queue's lead before
    // the sound ends.
    const qint64 due = std::max<qint64>(0, mp.LengthMs() - PlaybackThread::LeadMs);
    QVERIFY2(took >= due - 60 && took <= due + mp.LengthMs() * 0.15 + 300,
             qPrintable(QStringLiteral("%1 ms for %2 ms").arg(took).arg(mp.LengthMs())));
    const QList<int> seen = framesOf(frames);
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), mp.FrameCount());
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    if (took < 300)
        return;
    QVERIFY(seen.first() <= 3);
    // About 10 to 20 reports a second.
    const double perSecond = seen.size() * 1000.0 / took;
    QVERIFY2(perSecond >= 8 && perSecond <= 22, qPrintable(QString::number(perSecond)));
}

void Mp3PlayerTest::endings_data()
{
    QTest::addColumn<QString>("steps");   // o open, p play, s StopPlay, e EndPlayback, w run events
    QTest::addColumn<int>("playEnded");
    QTest::newRow("stop while playing") << "opws" << 1;
    QTest::newRow("end while playing") << "opwe" << 1;
    QTest::newRow("end with nothing open") << "e" << 1;
    QTest::newRow("stop with nothing playing") << "os" << 1;
    QTest::newRow("end after stop, delivered between") << "opwswe" << 2;
    QTest::newRow("stop then end, one ending") << "opwse" << 1;
    QTest::newRow("end, play again, end") << "opewpwe" << 2;
    QTest::newRow("end, play again before it is delivered, end") << "opwepe" << 2;
    QTest::newRow("end while paused") << "opwTe" << 1;
}

void Mp3PlayerTest::endings()
{
    QFETCH(QString, steps);
    QFETCH(int, playEnded);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    for (const QChar step : steps) {
        const qsizetype before = ended.size();
        switch (step.unicode()) {
        case 'o': QVERIFY(openWhole(mp, fixture("cbr44s.mp3"))); break;
        case 'p': mp.Play(); break;
        case 'T': mp.TogglePause(); break;
        case 's': mp.StopPlay(); break;
        case 'e': mp.EndPlayback(); break;
        case 'w': QTest::qWait(120); break;
        }
        if (step == 's' || step == 'e') {
            QCOMPARE(ended.size(), before);   // queued, never inside the call
            QVERIFY(!mp.isPlaying() && !mp.isPaused());
        }
    }
    const qsizetype framesAtEnd = frames.size();
    QTest::qWait(300);
    QCOMPARE(ended.size(), playEnded);
    QCOMPARE(frames.size(), framesAtEnd);   // nothing reported after the ending
}

void Mp3PlayerTest::nextTrackFollowsQueuedSound_data()
{
    QTest::addColumn<QString>("next");
    QTest::newRow("the same track again") << "cbr44s.mp3";
    QTest::newRow("a track of another rate") << "mono22.mp3";
}

void Mp3PlayerTest::nextTrackFollowsQueuedSound()
{
    QFETCH(QString, next);
    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QVERIFY(openWhole(mp, fixture("cbr44s.mp3")));
    const qint32 firstMs = mp.LengthMs();
    QElapsedTimer clock;
    qint64 endedAt = -1, nextHeardAt = -1;
    connect(&mp, &Mp3Player::PlayEnded, this, [&] {
        if (endedAt >= 0)
            return;
        endedAt = clock.elapsed();
        mp.OpenFile(fixture(next));
        mp.Play();
    });
    connect(&mp, &Mp3Player::FramePlayed, this, [&] {
        if (endedAt >= 0 && nextHeardAt < 0)
            nextHeardAt = clock.elapsed();
    });
    clock.start();
    mp.Play();
    QTRY_VERIFY_WITH_TIMEOUT(nextHeardAt >= 0, firstMs + 5000);
    // The end is decoded the queue's lead before it is heard (at about
    // firstMs - LeadMs); a busy machine only makes the clock late, never early.
    QVERIFY2(nextHeardAt >= firstMs - 100,
             qPrintable(QStringLiteral("ended at %1 ms, next heard at %2 ms of %3 ms")
                            .arg(endedAt).arg(nextHeardAt).arg(firstMs)));
}

void Mp3PlayerTest::seekWhilePlaying_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("frame");
    QTest::addColumn<bool>("ends");
    QTest::newRow("forward") << "cbr44s.mp3" << 20 << false;
    QTest::newRow("back to the start") << "cbr44s.mp3" << 0 << false;
    QTest::newRow("mono") << "mono22.mp3" << 10 << false;
    QTest::newRow("negative is the start") << "mono22.mp3" << -7 << false;
    QTest::newRow("past the end") << "cbr44s.mp3" << 5000 << true;
}

void Mp3PlayerTest::seekWhilePlaying()
{
    QFETCH(QString, file);
    QFETCH(int, frame);
    QFETCH(bool, ends);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QVERIFY(openWhole(mp, fixture(file)));
    mp.Play();
    QTest::qWait(250);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QElapsedTimer sinceSeek;
    sinceSeek.start();
    mp.SeekFrame(frame);
    if (ends) {
        QVERIFY(ended.wait(1000));
        QCOMPARE(framesOf(frames).value(0), mp.FrameCount());
        return;
    }
    QVERIFY(frames.wait(1000));
    const int landed = std::max(frame, 0);
    const int first = frames.first().at(0).toInt();
    // The encoder delay (about two frames at 22.05 kHz) is skipped at the start,
    // so the first sample heard after seeking to 0 already lies in a later frame.
    QVERIFY2(first >= landed && first <= landed + int(sinceSeek.elapsed() / mp.MsPerFrame()) + 3,
             qPrintable(QStringLiteral("reported %1 after seeking %2").arg(first).arg(frame)));
    QCOMPARE(ended.size(), 0);
}

void Mp3PlayerTest::seekToEnd_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("paused");
    QTest::newRow("playing, CBR") << "cbr44s.mp3" << false;
    QTest::newRow("paused, CBR") << "cbr44s.mp3" << true;
    QTest::newRow("playing, mono 22.05 kHz") << "mono22.mp3" << false;
    QTest::newRow("paused, VBR") << "vbr_xing.mp3" << true;
}

void Mp3PlayerTest::seekToEnd()
{
    QFETCH(QString, file);
    QFETCH(bool, paused);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QVERIFY(openWhole(mp, fixture(file)));
    mp.Play();
    QVERIFY(frames.wait(1000));
    if (paused) {
        mp.TogglePause();
        QVERIFY(mp.isPaused());
    }
    const qsizetype before = frames.size();
    mp.SeekFrame(mp.FrameCount());
    // Over inside the call; the event follows from the event loop.
    QVERIFY(!mp.isPlaying());
    QVERIFY(!mp.isPaused());
    QCOMPARE(frames.size(), before + 1);
    QCOMPARE(frames.last().at(0).toInt(), mp.FrameCount());
    QCOMPARE(ended.size(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(ended.size(), 1);
    QTest::qWait(300);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(frames.size(), before + 1);
}

void Mp3PlayerTest::pauseHoldsPosition()
{
    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QVERIFY(openWhole(mp, fixture("cbr44s.mp3")));
    mp.Play();
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QTest::qWait(400);
    mp.TogglePause();
    QVERIFY(mp.isPaused());
    const int atPause = frames.last().at(0).toInt();
    const qsizetype count = frames.size();
    QTest::qWait(500);
    QCOMPARE(frames.size(), count);
    mp.SeekFrame(5);   // a seek while paused stays paused
    QVERIFY(mp.isPaused());
    QTest::qWait(200);
    QCOMPARE(frames.size(), count);
    mp.SeekFrame(atPause);
    QElapsedTimer sinceResume;
    sinceResume.start();
    mp.TogglePause();
    QVERIFY(mp.isPlaying());
    QVERIFY(frames.wait(1000));
    const int resumed = frames.at(count).at(0).toInt();
    QVERIFY2(resumed >= atPause && resumed <= atPause + int(sinceResume.elapsed() / mp.MsPerFrame()) + 1,
             qPrintable(QStringLiteral("paused at %1, resumed at %2").arg(atPause).arg(resumed)));
    QCOMPARE(ended.size(), 0);
}

void Mp3PlayerTest::openWhilePlayingIsSilent()
{
    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QVERIFY(openWhole(mp, fixture("cbr44s.mp3")));
    mp.Play();
    QTest::qWait(150);
    QVERIFY(openWhole(mp, fixture("mono22.mp3")));
    QVERIFY(!mp.isPlaying());
    QCOMPARE(mp.SampleRate(), 22050);
    QTest::qWait(200);
    QCOMPARE(ended.size(), 0);
}

void Mp3PlayerTest::longFile()
{
    // 8 kHz frames repeated past 16-bit frame numbers (72 ms each: 40,000 frames = 48 min).
    const Mp3Walk walk = walkMp3(readAll(fixture("rate8k.mp3")));
    QVERIFY(walk.frames > 0);
    const int copies = 40000 / walk.frames + 1;
    QTemporaryDir dir;
    const QString path = dir.filePath("long.mp3");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    for (int i = 0; i < copies; ++i)
        out.write(walk.frameBytes);
    out.close();
    const int total = copies * walk.frames;
    QVERIFY(total > 40000);

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QVERIFY(openWhole(mp, path));
    QCOMPARE(mp.FrameCount(), total);
    QCOMPARE(mp.LengthMs(), qint32(qint64(total) * 576 * 1000 / 8000));
    mp.Play();
    mp.SeekFrame(39000);
    QVERIFY(frames.wait(500));
    const int reported = frames.last().at(0).toInt();
    QVERIFY2(reported >= 39000 && reported <= 39010, qPrintable(QString::number(reported)));
    mp.StopPlay();
}

void Mp3PlayerTest::junkBeforeFrames_data()
{
    QTest::addColumn<QByteArray>("junk");
    QByteArray random(100 * 1024, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (char &c : random) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = char(x);
    }
    QTest::newRow("100 KB of random bytes") << random;
    QTest::newRow("100 KB of zeros") << QByteArray(100 * 1024, '\0');
    QTest::newRow("false headers: ff fb 90 64 every 64 bytes")
        << QByteArray::fromHex("fffb9064").leftJustified(64, 'x').repeated(1600);
}

void Mp3PlayerTest::junkBeforeFrames()
{
    QFETCH(QByteArray, junk);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("junk.mp3"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(junk + readAll(fixture("cbr44s.mp3"))) > 0);
    out.close();

    Mp3Decoder plain, behindJunk;
    QCOMPARE(plain.open(fixture("cbr44s.mp3")), Mp3Decoder::OpenResult::Ok);
    QCOMPARE(behindJunk.open(path), Mp3Decoder::OpenResult::Ok);
    QCOMPARE(decodeAll(behindJunk), decodeAll(plain));

    Mp3Player mp(nullptr, Mp3Player::Output::Silent);
    QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QVERIFY(openWhole(mp, path));
    QCOMPARE(mp.FrameCount(), 59);
    mp.Play();
    QVERIFY(ended.wait(3000));
    QCOMPARE(framesOf(frames).last(), 59);
}

void Mp3PlayerTest::slowLongFile()
{
    QTemporaryDir dir;
    const QString path = writeSweep(dir);
    QVERIFY(!path.isEmpty());
    Mp3Decoder exact;
    QCOMPARE(exact.open(path), Mp3Decoder::OpenResult::Ok);
    QVERIFY(QFileInfo(path).size() > Mp3Decoder::ScannedAtOnceBytes);

    const LoopHeartbeat heartbeat;
    // A scan of about a second.
    Mp3Player mp(nullptr, Mp3Player::Output::Silent, ThrottledFile::reader(400 * 1024));
    QSignalSpy figures(&mp, &Mp3Player::FiguresChanged);
    QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(mp.OpenFile(path), qint16(0));
    mp.Play();
    QVERIFY2(clock.elapsed() < 30, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(figures.wait(1000));
    QVERIFY(!mp.figures().exact);
    const qint32 fromHeaders = mp.FrameCount();
    QVERIFY2(fromHeaders != exact.frameCount(), "the headers had the true count: nothing to correct");
    QVERIFY(frames.wait(1000));
    QVERIFY2(clock.elapsed() < 300, qPrintable(QString::number(clock.elapsed())));

    const qint32 target = std::min(fromHeaders, exact.frameCount()) / 2;
    frames.clear();
    mp.SeekFrame(target);
    QVERIFY(frames.wait(1000));
    QVERIFY(!mp.figures().exact);
    QVERIFY2(frames.first().at(0).toInt() >= target && frames.first().at(0).toInt() <= target + 10,
             qPrintable(QString::number(frames.first().at(0).toInt())));

    QTRY_VERIFY_WITH_TIMEOUT(mp.figures().exact, 10000);
    QCOMPARE(mp.FrameCount(), exact.frameCount());
    QCOMPARE(mp.LengthMs(), exact.lengthMs());
    const int before = frames.last().at(0).toInt();
    frames.clear();
    QVERIFY(frames.wait(1000));
    const int after = frames.first().at(0).toInt();
    QVERIFY2(after >= before && after <= before + 10, qPrintable(QStringLiteral("%1 then %2").arg(before).arg(after)));
    mp.StopPlay();
    QVERIFY2(heartbeat.longestGapMs() < 50, qPrintable(QString::number(heartbeat.longestGapMs())));
}

void Mp3PlayerTest::guessedSeekMadeExact()
{
    QTemporaryDir dir;
    const QString path = writeSweep(dir);
    QVERIFY(!path.isEmpty());
    Mp3Decoder exact, guessing, reference;
    QCOMPARE(exact.open(path), Mp3Decoder::OpenResult::Ok);
    QCOMPARE(guessing.open(path, Mp3Decoder::Figures::FromHeaders), Mp3Decoder::OpenResult::Ok);
    QCOMPARE(reference.open(path), Mp3Decoder::OpenResult::Ok);
    QVERIFY(!guessing.figures().exact);

    // What a straight decode gives from `sample` on.
    const auto exactly = [&](qint64 sample, qsizetype frames) {
        QByteArray pcm(frames * 4, Qt::Uninitialized);
        const qint64 at = reference.seekFrame(reference.frameAtSample(sample));
        QByteArray skip((sample - at) * 4, Qt::Uninitialized);
        reference.read(skip.data(), skip.size());
        pcm.resize(reference.read(pcm.data(), pcm.size()));
        return pcm;
    };
    const auto worstDifference = [](const QByteArray &a, const QByteArray &b) {
        const auto *x = reinterpret_cast<const qint16 *>(a.constData());
        const auto *y = reinterpret_cast<const qint16 *>(b.constData());
        int worst = a.size() == b.size() ? 0 : 65536;
        for (qsizetype i = 0; i < std::min(a.size(), b.size()) / 2; ++i)
            worst = std::max(worst, std::abs(x[i] - y[i]));
        return worst;
    };

    const qint64 at = guessing.seekFrame(std::min(guessing.frameCount(), exact.frameCount()) / 2);
    QByteArray guessed(8192 * 4, Qt::Uninitialized);
    QCOMPARE(guessing.read(guessed.data(), guessed.size()), qint64(guessed.size()));
    QVERIFY2(worstDifference(guessed, exactly(at, 8192)) > 1000, "the guess was exact: nothing to correct");

    guessing.adopt(exact.scan());
    QVERIFY(guessing.figures().exact);
    QCOMPARE(guessing.frameCount(), exact.frameCount());
    QByteArray corrected(8192 * 4, Qt::Uninitialized);
    QCOMPARE(guessing.read(corrected.data(), corrected.size()), qint64(corrected.size()));
    QVERIFY(worstDifference(corrected, exactly(at + 8192, 8192)) <= 2);
}

void Mp3PlayerTest::noDeviceFallsBackQuietly()
{
    // main() points the sound client at a server that does not exist.
    MessageLog log;
    QTemporaryFile printed;
    QVERIFY(printed.open());
#ifdef Q_OS_UNIX
    // What the sound libraries print goes straight to standard error.
    const int savedStderr = ::dup(2);
    QVERIFY(savedStderr >= 0 && ::dup2(printed.handle(), 2) == 2);
    const auto restore = qScopeGuard([savedStderr] {
        ::dup2(savedStderr, 2);
        ::close(savedStderr);
    });
#endif
    {
        Mp3Player mp;   // wants the device
        QSignalSpy frames(&mp, &Mp3Player::FramePlayed);
        QSignalSpy ended(&mp, &Mp3Player::PlayEnded);
        QVERIFY(openWhole(mp, fixture("rate8k.mp3")));
        mp.Play();
        QVERIFY(mp.isPlaying());
        QVERIFY(mp.isSilent());
        QVERIFY(ended.wait(mp.LengthMs() + 3000));
        QVERIFY(!frames.isEmpty());
    }
    printed.seek(0);
    QCOMPARE(QString::fromUtf8(printed.readAll()), QString());
    QCOMPARE(log.lines().size(), 0);
}

int main(int argc, char **argv)
{
    // No sound server for these tests, wherever they run: the real device is
    // exercised by the recording check.
    qputenv("PULSE_SERVER", "unix:/nonexistent/melvora-test/native");
    QCoreApplication app(argc, argv);
    Mp3PlayerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mp3_player.moc"
