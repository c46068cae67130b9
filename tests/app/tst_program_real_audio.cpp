// The program heard on a real sound server: the main window's play command
// starts the player window, whose real MP3 component plays the list onto a
// private PulseAudio null sink, and the sink's monitor is recorded and
// measured. Run by tests/player/component/real_audio_check.sh, which starts
// the server.

#include "aux_windows.h"
#include "fake_drives.h"
#include "fake_file_dialog.h"
#include "fake_key_state.h"
#include "fake_message_box.h"
#include "fake_process_starter.h"
#include "fake_registry.h"
#include "fake_url_opener.h"
#include "form3.h"
#include "mp3_player.h"
#include "mp3_player_control.h"
#include "program_windows.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QSlider>
#include <QTest>

#include <cmath>

namespace {

constexpr int Rate = 44100;
constexpr double ToneSeconds = 0.8;
constexpr int WindowFrames = Rate / 25;   // 40 ms
constexpr int Threshold = 200;            // sample value that counts as sound

QString tone(int hz)
{
    return QStringLiteral(MELVORA_PLAYER_TEST_DATA "/tone%1.mp3").arg(hz);
}

// Records the null sink's monitor while it lives.
class Recorder {
public:
    Recorder()
    {
        m_process.start(QStringLiteral("parec"),
                        {QStringLiteral("--latency-msec=20"), QStringLiteral("-d"), QStringLiteral("nullsink.monitor"),
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
    bool started() { return m_process.waitForStarted(5000); }
    QByteArray stop()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
        return m_process.readAllStandardOutput();
    }

private:
    QProcess m_process;
};

struct Run {
    int hz = 0;          // 440, 880, or 0 for another sound
    double seconds = 0;
};

int classify(double frequency)
{
    if (std::abs(frequency - 440) <= 40)
        return 440;
    if (std::abs(frequency - 880) <= 60)
        return 880;
    return 0;
}

// The recording as runs of one tone, in 40 ms windows; silence separates
// runs, and runs shorter than 120 ms (a device's start or tail) are dropped.
QList<Run> toneRuns(const QByteArray &raw)
{
    const auto *s = reinterpret_cast<const qint16 *>(raw.constData());
    const qsizetype frames = raw.size() / 4;
    QList<int> windows;
    for (qsizetype w = 1; w + WindowFrames <= frames; w += WindowFrames) {
        int peak = 0, crossings = 0;
        for (qsizetype i = w; i < w + WindowFrames; ++i) {
            peak = std::max(peak, std::abs(int(s[2 * i])));
            if ((s[2 * (i - 1)] < 0) != (s[2 * i] < 0))
                ++crossings;
        }
        windows << (peak > Threshold ? classify(crossings / 2.0 / (double(WindowFrames) / Rate)) : -1);
    }
    QList<Run> runs;
    int current = -1, length = 0;
    const auto flush = [&] {
        if (current >= 0 && length * WindowFrames >= Rate * 0.12)
            runs << Run{current, double(length * WindowFrames) / Rate};
    };
    for (int kind : windows) {
        if (kind != current) {
            flush();
            current = kind;
            length = 0;
        }
        ++length;
    }
    flush();
    return runs;
}

double channelDb(const QByteArray &raw, int channel)
{
    const auto *s = reinterpret_cast<const qint16 *>(raw.constData());
    const qsizetype frames = raw.size() / 4;
    double sum = 0;
    for (qsizetype i = 0; i < frames; ++i)
        sum += double(s[2 * i + channel]) * s[2 * i + channel];
    const double rms = frames ? std::sqrt(sum / double(frames)) : 0;
    return rms > 0 ? 20 * std::log10(rms / 32768.0) : -200;
}

// The part of the recording where the left channel sounds, without 0.2 s at
// either edge (the level of the device's first buffer may still be the old one).
QByteArray steadyPart(const QByteArray &raw)
{
    const auto *s = reinterpret_cast<const qint16 *>(raw.constData());
    const qsizetype frames = raw.size() / 4;
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < frames; ++i) {
        if (std::abs(s[2 * i]) > Threshold || std::abs(s[2 * i + 1]) > Threshold) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    const qsizetype edge = Rate / 5;
    if (first < 0 || last - first <= 2 * edge)
        return QByteArray();
    return raw.mid((first + edge) * 4, (last - first - 2 * edge) * 4);
}

// The real windows with the desktop answered by fakes, holding `entries`
// opened from a playlist file, with `selection` selected.
struct Program {
    explicit Program(const QStringList &entries, int selection)
    {
        drives.list = {{QStringLiteral("/"), QStringLiteral("/")}};
        QFile file(dir.filePath(QStringLiteral("tones.m3u")));
        if (!file.open(QIODevice::WriteOnly) || file.write((entries.join(QStringLiteral("\r\n")) + "\r\n").toUtf8()) <= 0)
            qFatal("cannot write the list");
        file.close();
        dialog.names << file.fileName();
        windows.mainWindow().action(Command::OpenList)->trigger();
        if (windows.mainWindow().playlist().count() != entries.size())
            qFatal("the list was not opened");
        if (selection < 0)
            windows.mainWindow().playlist().selectNone();
        else
            windows.mainWindow().playlist().selectByUser(selection);
    }
    QTemporaryDir dir;
    FakeMessageBox messages;
    FakeFileDialog dialog;
    FakeDrives drives;
    FakeKeyState keys;
    FakeRegistry registry;
    FakeProcessStarter processes;
    FakeUrlOpener urls;
    AuxWindows aux{AuxServices{registry, processes, urls, messages}};
    ProgramWindows windows{messages, dialog, drives, keys, aux};
    PlayerHost &host = windows.player();
};

} // namespace

class ProgramRealAudioTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    // [440 Hz, a non-MP3 entry, 880 Hz] played from its last entry is heard
    // as 880, then 440, then 880: the list goes on after the last entry and
    // skips the entry that is no MP3.
    void listOrder();
    // The balance slider at its "L" end leaves the right channel at least
    // 20 dB below the left one.
    void balanceToTheLeft();
};

void ProgramRealAudioTest::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "run through real_audio_check.sh");
}

void ProgramRealAudioTest::listOrder()
{
    Program program({tone(440), QDir::temp().filePath(QStringLiteral("not-a-song.wma")), tone(880)}, 2);
    PlayerHost &host = program.host;
    QVERIFY(host.isLoaded());   // loaded hidden at start-up
    QVERIFY(!host.window()->isVisible());
    QStringList started;
    connect(&host, &PlayerHost::playingPathChanged, this, [&](const QString &path) {
        started << path;
        if (started.size() == 4)   // the list came round again: enough heard
            QMetaObject::invokeMethod(&host, &PlayerHost::closeWindow, Qt::QueuedConnection);
    });
    Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);

    program.windows.mainWindow().action(Command::PlaySelected)->trigger();
    QVERIFY(host.isLoaded());
    QVERIFY(host.window()->isVisible());
    auto *mp = static_cast<Mp3PlayerControl *>(host.component());
    QVERIFY2(!mp->player()->isSilent(), "the player found no audio device");
    QTRY_VERIFY_WITH_TIMEOUT(!host.isLoaded(), 15000);
    QTest::qWait(400);
    const QList<Run> runs = toneRuns(recorder.stop());

    QCOMPARE(started, (QStringList{tone(880), tone(440), tone(880), tone(440)}));
    QString heard;
    for (const Run &r : runs)
        heard += QStringLiteral("%1 Hz %2 s; ").arg(r.hz).arg(r.seconds, 0, 'f', 2);
    qInfo("heard: %s", qPrintable(heard));
    QVERIFY2(runs.size() >= 3, qPrintable(heard));
    QCOMPARE(runs[0].hz, 880);
    QCOMPARE(runs[1].hz, 440);
    QCOMPARE(runs[2].hz, 880);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(std::abs(runs[i].seconds - ToneSeconds) <= 0.15, qPrintable(heard));
    // Closed as the fourth track began: nothing more worth the name.
    for (qsizetype i = 3; i < runs.size(); ++i)
        QVERIFY2(runs[i].seconds < 0.3, qPrintable(heard));
}

void ProgramRealAudioTest::balanceToTheLeft()
{
    Program program({tone(440), QDir::temp().filePath(QStringLiteral("not-a-song.wma")), tone(880)}, -1);
    PlayerHost &host = program.host;
    program.windows.mainWindow().action(Command::ShowPlayer)->trigger();   // nothing selected: the idle look
    QVERIFY(host.window()->isVisible());
    auto *balance = host.window()->findChild<QSlider *>(QStringLiteral("Slishengdaoo"));
    QTest::keyClick(balance, Qt::Key_Home);
    QCOMPARE(balance->value(), -45);

    Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);
    int starts = 0;
    connect(&host, &PlayerHost::playingPathChanged, this, [&] {
        if (++starts == 2)   // the last entry was heard to its end
            QMetaObject::invokeMethod(&host, &PlayerHost::closeWindow, Qt::QueuedConnection);
    });
    // The last button: entry 3 starts once the idle component reports its ending.
    QTest::mouseClick(host.window()->findChild<QWidget *>(QStringLiteral("Command4")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!host.isLoaded(), 10000);
    QTest::qWait(300);
    const QByteArray steady = steadyPart(recorder.stop());
    QVERIFY2(!steady.isEmpty(), "nothing heard");
    const double left = channelDb(steady, 0), right = channelDb(steady, 1);
    qInfo("left %.1f dB, right %.1f dB", left, right);
    QVERIFY2(left > -30, "the left channel sounds");
    QVERIFY2(left - right >= 20, qPrintable(QStringLiteral("left %1 dB, right %2 dB").arg(left).arg(right)));
}

QTEST_MAIN(ProgramRealAudioTest)
#include "tst_program_real_audio.moc"
