// The program heard on a real sound server: the main window's play command
// starts the player window, whose real MP3 component plays the list onto a
// private PulseAudio null sink, and the sink's monitor is recorded and
// measured. Run by tests/player/component/real_audio_check.sh, which starts
// the server.

#include "tests/common/desktop_fakes.h"
#include "tests/common/heard_tones.h"
#include "player/form3.h"
#include "player/component/mp3_player.h"
#include "player/component/playback_thread.h"
#include "player/mp3_player_control.h"
#include "player/player_state.h"
#include "app/program_windows.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <QTest>

#include <cmath>
#include <optional>

namespace {

using heard::Rate;
using heard::Threshold;
constexpr double ToneSeconds = 0.8;
// A track's end is decoded this long before it is heard: the next track
// starts then, and a window closed at once would cut the last one short.
constexpr int HeardLaterMs = PlaybackThread::LeadMs;

QString tone(int hz)
{
    return QStringLiteral(MELVORA_PLAYER_TEST_DATA "/tone%1.mp3").arg(hz);
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
        QFile file(dir.filePath(QStringLiteral("tones.m3u")));
        if (!file.open(QIODevice::WriteOnly) || file.write((entries.join(QStringLiteral("\r\n")) + "\r\n").toUtf8()) <= 0)
            qFatal("cannot write the list");
        file.close();
        desktop.dialog.names << file.fileName();
        windows.mainWindow().action(Command::OpenList)->trigger();
        if (windows.mainWindow().playlist().count() != entries.size())
            qFatal("the list was not opened");
        if (selection < 0)
            windows.mainWindow().playlist().selectNone();
        else
            windows.mainWindow().playlist().selectByUser(selection);
    }
    QTemporaryDir dir;
    DesktopFakes desktop;
    AuxWindows aux{desktop.services()};
    ProgramWindows windows{desktop.messages, desktop.dialog, desktop.drives, desktop.keys, aux, desktop.disk, desktop.repairs};
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
    // Ten tones played from the first entry are heard in order, each whole,
    // and the list goes round to the first again, with no silence of 10 ms
    // between or inside them: every start of one window is heard, with the
    // machine quiet and with every core busy (MELVORA_LONG_ROUNDS=6: a soak
    // of 61 tracks).
    void backToBack_data();
    void backToBack();
    // Twenty-four moves of the position slider and of ">>" and "<<" within
    // one track of ten-second steps: after each, the step it went to is heard.
    void seeks_data();
    void seeks();
    // With "循环这一首" checked the track starts again at its end, heard
    // whole each time; unchecked, the list goes on.
    void loopRestarts();
    // "playerctl next" while a track plays: the next track is heard at once, whole.
    void nextFromTheDesktop();
    // Two null sinks: the second chosen while the preview plays on the
    // first, it is heard there at once and only there; its module unloaded,
    // the sound goes on on the default one; loaded again, it comes back.
    void chosenOutput();

private:
    QTemporaryDir m_tones;
};

void ProgramRealAudioTest::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "run through real_audio_check.sh");
    QVERIFY(m_tones.isValid());
}

namespace {

// Sines a fifth or more apart, so each is told from its neighbours.
const QList<int> kTones{300, 450, 675, 1010, 1515, 2270, 3400, 5100, 340, 510, 765, 1150};
const QList<int> kListTones = kTones.mid(0, 10);

// MELVORA_LONG_ROUNDS=N plays the list N times round (10 N starts) and
// seeks N times as often (20 N).
int rounds()
{
    return std::max(1, qEnvironmentVariableIntValue("MELVORA_LONG_ROUNDS"));
}

void addLoadRows()
{
    QTest::addColumn<int>("busy");
    QTest::newRow("quiet") << 0;
    QTest::newRow("every core busy") << QThread::idealThreadCount();
}

// No tone heard in pieces: each expected tone is one run of about its length.
void compareRuns(const QList<heard::Run> &runs, const QList<int> &expected, double seconds, double tolerance)
{
    const QString text = heard::describe(runs);
    qInfo("heard: %s", qPrintable(text));
    QVERIFY2(runs.size() >= expected.size(), qPrintable(QStringLiteral("%1 runs: %2").arg(runs.size()).arg(text)));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QVERIFY2(runs[i].hz == expected[i], qPrintable(QStringLiteral("run %1: %2").arg(i).arg(text)));
        QVERIFY2(std::abs(runs[i].seconds - seconds) <= tolerance,
                 qPrintable(QStringLiteral("run %1 lasted %2 s: %3").arg(i).arg(runs[i].seconds).arg(text)));
    }
}

} // namespace

void ProgramRealAudioTest::listOrder()
{
    Program program({tone(440), QDir::temp().filePath(QStringLiteral("not-a-song.wma")), tone(880)}, 2);
    PlayerHost &host = program.host;
    QVERIFY(host.isLoaded());   // loaded hidden at start-up
    QVERIFY(!host.window()->isVisible());
    QStringList started;
    connect(&host, &PlayerHost::playingPathChanged, this, [&](const QString &path) {
        started << path;
        // The list came round again: enough heard once the device has
        // played the end of the third track.
        if (started.size() == 4)
            QTimer::singleShot(300 + HeardLaterMs, &host, &PlayerHost::closeWindow);
    });
    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);

    program.windows.mainWindow().action(Command::PlaySelected)->trigger();
    QVERIFY(host.isLoaded());
    QVERIFY(host.window()->isVisible());
    auto *mp = static_cast<Mp3PlayerControl *>(host.component());
    QTRY_VERIFY2_WITH_TIMEOUT(!mp->player()->isSilent(), "the player found no audio device", 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!host.isLoaded(), 15000);
    QTest::qWait(400);
    const QList<heard::Run> runs = heard::toneRuns(recorder.stop(), {440, 880});

    QCOMPARE(started.mid(0, 4), (QStringList{tone(880), tone(440), tone(880), tone(440)}));
    const QString heard = heard::describe(runs);
    qInfo("heard: %s", qPrintable(heard));
    QVERIFY2(runs.size() >= 3, qPrintable(heard));
    QCOMPARE(runs[0].hz, 880);
    QCOMPARE(runs[1].hz, 440);
    QCOMPARE(runs[2].hz, 880);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(std::abs(runs[i].seconds - ToneSeconds) <= 0.15, qPrintable(heard));
    // Closed soon after the fourth track began: nothing more worth the name.
    for (qsizetype i = 3; i < runs.size(); ++i)
        QVERIFY2(runs[i].seconds < 0.5, qPrintable(heard));
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

    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);
    int starts = 0;
    connect(&host, &PlayerHost::playingPathChanged, this, [&] {
        if (++starts == 2)   // the last entry was heard to its end
            QTimer::singleShot(HeardLaterMs, &host, &PlayerHost::closeWindow);
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

void ProgramRealAudioTest::backToBack_data()
{
    addLoadRows();
}

void ProgramRealAudioTest::backToBack()
{
    QFETCH(int, busy);
    constexpr double Seconds = 0.6;
    QStringList entries;
    for (int hz : kListTones)
        entries << heard::writeTones(m_tones, QStringLiteral("t%1").arg(hz), {hz}, Seconds);
    QVERIFY(!entries.contains(QString()));
    Program program(entries, 0);
    PlayerHost &host = program.host;
    const qsizetype starts = entries.size() * rounds() + 1;
    qsizetype started = 0;
    connect(&host, &PlayerHost::playingPathChanged, this, [&] {
        if (++started == starts + 1)   // once the device has played the last one's end
            QTimer::singleShot(400 + HeardLaterMs, &host, &PlayerHost::closeWindow);
    });
    heard::CpuLoad load(busy);
    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);
    program.windows.mainWindow().action(Command::PlaySelected)->trigger();
    QTRY_VERIFY2_WITH_TIMEOUT(!static_cast<Mp3PlayerControl *>(host.component())->player()->isSilent(), "no audio device", 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!host.isLoaded(), int(starts * (Seconds + 2) * 1000) + 5000);
    QTest::qWait(300);
    QList<int> expected;
    for (qsizetype i = 0; i < starts; ++i)
        expected << kListTones[i % kListTones.size()];
    const QByteArray raw = recorder.stop();
    const QList<heard::Run> runs = heard::toneRuns(raw, kListTones);
    compareRuns(runs, expected, Seconds, 0.1);
    // The tracks follow each other without a gap, and none drops out: no
    // silence of 10 ms from the first tone to the last.
    const heard::Run &last = runs[expected.size() - 1];
    const double silence = heard::longestSilenceMs(raw, runs[0].start + 0.02, last.start + last.seconds - 0.02);
    qInfo("longest silence: %.1f ms", silence);
    QVERIFY2(silence < 10, qPrintable(QStringLiteral("%1 ms of silence").arg(silence)));
}

void ProgramRealAudioTest::seeks_data()
{
    addLoadRows();
}

void ProgramRealAudioTest::seeks()
{
    QFETCH(int, busy);
    constexpr double StepSeconds = 10;
    const QString steps = heard::writeTones(m_tones, QStringLiteral("steps"), kTones, StepSeconds);
    QVERIFY(!steps.isEmpty());
    Program program({steps}, 0);
    PlayerHost &host = program.host;
    heard::CpuLoad load(busy);
    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);
    program.windows.mainWindow().action(Command::PlaySelected)->trigger();
    auto *mp = static_cast<Mp3PlayerControl *>(host.component())->player();
    QTRY_VERIFY2_WITH_TIMEOUT(!mp->isSilent(), "no audio device", 2000);
    Form3 *window = host.window();
    auto *position = window->findChild<QSlider *>(QStringLiteral("Sliguocheng"));
    const auto frameOf = [&](double seconds) { return int(seconds * 1000 / mp->MsPerFrame()); };
    // Slider moves to the middle of a step, and ">>" / "<<" (about 9.3 s)
    // from there, which stay inside the next or previous step.
    const QList<int> order{5, 2, 9, 0, 7, 11, 3, 8, 1, 10, 4, 6, 0, 11, 2, 7};
    QList<int> expected{0};
    QTest::qWait(700);
    const auto hold = [&](int step) {
        expected << step;
        QTest::qWait(700);
    };
    // Sixteen slider moves and eight button seeks a round.
    const auto seekRound = [&] {
        for (int step : order) {
            position->setValue(frameOf((step + 0.3) * StepSeconds));
            hold(step);
            if (step == 2 || step == 7) {
                QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("kuaijin")), Qt::LeftButton);
                hold(step + 1);
                QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("kuaitui")), Qt::LeftButton);
                hold(step);
            }
        }
    };
    for (int round = 0; round < rounds(); ++round)
        seekRound();
    host.closeWindow();
    QTest::qWait(300);
    QList<int> hz;
    for (int step : expected)
        hz << kTones[step];
    // Each hold is 0.7 s: a seek may cost the device's buffer at its turn.
    // The first run, from the start to the first seek, has no set length.
    const QList<heard::Run> runs = heard::toneRuns(recorder.stop(), kTones);
    QVERIFY2(!runs.isEmpty() && runs[0].hz == kTones[0], qPrintable(heard::describe(runs)));
    compareRuns(runs.mid(1), hz.mid(1), 0.65, 0.2);
}

void ProgramRealAudioTest::loopRestarts()
{
    // Two steps to a track, so each start is heard as a new first step.
    const QString looped = heard::writeTones(m_tones, QStringLiteral("loop"), {kTones[0], kTones[3]}, 0.4);
    const QString after = heard::writeTones(m_tones, QStringLiteral("after"), {kTones[6]}, 0.4);
    Program program({looped, after}, 0);
    PlayerHost &host = program.host;
    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);
    program.windows.mainWindow().action(Command::PlaySelected)->trigger();
    QTest::mouseClick(host.window()->findChild<QWidget *>(QStringLiteral("Check1")), Qt::LeftButton);
    QVERIFY(host.state()->loop());
    // Unchecked in the fourth time round.
    QSignalSpy ends(static_cast<Mp3PlayerControl *>(host.component())->player(), &Mp3Player::PlayEnded);
    QTRY_VERIFY_WITH_TIMEOUT(ends.size() == 3, 10000);
    QTest::qWait(300);
    QTest::mouseClick(host.window()->findChild<QWidget *>(QStringLiteral("Check1")), Qt::LeftButton);
    QVERIFY(!host.state()->loop());
    QSignalSpy next(&host, &PlayerHost::playingPathChanged);
    QVERIFY(next.wait(3000));
    QTest::qWait(700 + HeardLaterMs);
    host.closeWindow();
    QTest::qWait(300);
    QList<int> expected;
    for (int i = 0; i < 4; ++i)
        expected << kTones[0] << kTones[3];
    expected << kTones[6];
    compareRuns(heard::toneRuns(recorder.stop(), {kTones[0], kTones[3], kTones[6]}), expected, 0.4, 0.1);
}

void ProgramRealAudioTest::nextFromTheDesktop()
{
    const QString first = heard::writeTones(m_tones, QStringLiteral("first"), {kTones[0]}, 3.0);
    const QString second = heard::writeTones(m_tones, QStringLiteral("second"), {kTones[3]}, 0.8);
    Program program({first, second}, 0);
    PlayerHost &host = program.host;
    QVERIFY2(program.windows.mpris().publish(QDBusConnection::sessionBus()), "no session bus");
    heard::Recorder recorder;
    QVERIFY2(recorder.started(), "parec did not start");
    QTest::qWait(400);
    program.windows.mainWindow().action(Command::PlaySelected)->trigger();
    QTest::qWait(1000);
    QSignalSpy started(&host, &PlayerHost::playingPathChanged);
    QProcess next;
    next.start(QStringLiteral("playerctl"),
               {QStringLiteral("--player=") + MprisService::busName().section(QLatin1Char('.'), 3), QStringLiteral("next")});
    QTRY_VERIFY_WITH_TIMEOUT(next.state() == QProcess::NotRunning, 10000);
    QCOMPARE(next.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!started.isEmpty(), 3000);
    QCOMPARE(started.first().first().toString(), second);
    QTest::qWait(800 + HeardLaterMs);
    host.closeWindow();
    QTest::qWait(300);
    const QList<heard::Run> runs = heard::toneRuns(recorder.stop(), {kTones[0], kTones[3]});
    const QString text = heard::describe(runs);
    qInfo("heard: %s", qPrintable(text));
    QVERIFY2(runs.size() >= 2, qPrintable(text));
    QVERIFY2(runs[0].hz == kTones[0] && runs[0].seconds < 2.0, qPrintable(text));   // cut short
    QVERIFY2(runs[1].hz == kTones[3] && std::abs(runs[1].seconds - 0.8) <= 0.15, qPrintable(text));
}

void ProgramRealAudioTest::chosenOutput()
{
    QString module = heard::loadPhones();
    QVERIFY(!module.isEmpty());
    const auto unload = qScopeGuard([&module] {
        if (!module.isEmpty())
            heard::pactl({QStringLiteral("unload-module"), module});
    });
    const QString track = heard::writeTones(m_tones, QStringLiteral("long"), {kTones[0]}, 6.0);
    Program program({track}, 0);
    QList<QString> notes;
    connect(&program.windows.outputChoice(), &OutputChoice::noteChanged, this, [&notes](const QString &n) { notes << n; });
    program.windows.outputChoice().refresh();
    const auto listed = [&program] {
        const QList<OutputDevice> offered = program.windows.outputChoice().offered();
        return std::any_of(offered.cbegin(), offered.cend(), [](const OutputDevice &d) { return d.name == QLatin1String("phones"); });
    };
    QTRY_VERIFY2(listed(), "the server's sinks are not listed");
    heard::Recorder main;
    auto phones = std::make_unique<heard::Recorder>(QStringLiteral("phones"));
    QVERIFY2(main.started() && phones->started(), "parec did not start");
    program.windows.mainWindow().action(Command::PlaySelected)->trigger();
    QTest::qWait(800);
    program.windows.outputChoice().choose(QStringLiteral("phones"));
    QTest::qWait(1500);
    const QByteArray onPhones = phones->stop();
    phones.reset();
    QVERIFY(heard::pactl({QStringLiteral("unload-module"), module}));
    module.clear();
    QTRY_COMPARE_WITH_TIMEOUT(notes, QList<QString>{OutputChoice::kUnavailableNote}, 3000);
    QTest::qWait(1500);
    module = heard::loadPhones();
    QVERIFY(!module.isEmpty());
    phones = std::make_unique<heard::Recorder>(QStringLiteral("phones"));
    QVERIFY(phones->started());
    QTRY_COMPARE_WITH_TIMEOUT(notes, (QList<QString>{OutputChoice::kUnavailableNote, QString()}), 3000);
    QTest::qWait(1000);
    const QByteArray back = phones->stop();
    const QByteArray onMain = main.stop();
    program.host.closeWindow();

    const auto seconds = [](const QByteArray &raw) {
        double total = 0;
        for (const heard::Run &run : heard::toneRuns(raw, {kTones[0]}))
            if (run.hz == kTones[0])
                total += run.seconds;
        return total;
    };
    qInfo("phones %.2f s, then the default %.2f s, then phones again %.2f s", seconds(onPhones), seconds(onMain),
          seconds(back));
    QVERIFY(seconds(onPhones) > 1.2 && seconds(onPhones) < 1.8);
    QVERIFY(seconds(back) > 0.6);
    // The default heard the start till the choice, then the time between.
    const QList<heard::Run> runs = heard::toneRuns(onMain, {kTones[0]});
    QVERIFY2(runs.size() == 2, qPrintable(heard::describe(runs)));
    QVERIFY2(runs[0].seconds < 1.1 && runs[1].start > runs[0].start + 2.0 && runs[1].seconds > 1.0
                 && runs[1].seconds < 2.0,
             qPrintable(heard::describe(runs)));
}

QTEST_MAIN(ProgramRealAudioTest)
#include "tst_program_real_audio.moc"
