// The player window's logic without a screen, driven through a scripted MP3
// component and a fake list. Re-entrant endings are run in both orders:
// PlayEnded inside StopPlay/EndPlayback, and queued after it.
#include "player/fakes/fake_mp3_control.h"
#include "player/fakes/fake_player_list.h"
#include "player/player_state.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Player;
using Ending = FakeMp3Control::Ending;

Q_DECLARE_METATYPE(Player::Control)
Q_DECLARE_METATYPE(FakeMp3Control::Ending)

namespace {

// Enabled state of the transport controls, in this order, as 0/1 digits.
const Control kTransport[] = {Control::bofang,  Control::zanting,     Control::tingzhi, Control::kuaijin,
                              Control::kuaitui, Control::Sliguocheng, Control::Sliyin,  Control::Slishengdaoo};
const Control kNavigation[] = {Control::Command1, Control::Command2, Control::Command3, Control::Command4};
// Rows of the state table.
const QString kIdleOrStopped = QStringLiteral("10000011");
const QString kPlaying = QStringLiteral("01111111");
const QString kPaused = QStringLiteral("01000000");

template <size_t N>
QString enabledDigits(const PlayerState &state, const Control (&controls)[N])
{
    QString digits;
    for (Control c : controls)
        digits += state.isEnabled(c) ? QLatin1Char('1') : QLatin1Char('0');
    return digits;
}

// A list, a scripted component and the state over them. Every entry that is
// an MP3 entry is a playable track unless the test says otherwise.
struct Rig {
    explicit Rig(const QStringList &entries, int selected = -1, Ending ending = Ending::Queued,
                 PathRules rules = PathRules::windows())
        : list(entries, selected)
    {
        mp.ending = ending;
        for (const QString &e : entries)
            mp.addTrack(e);
        state = std::make_unique<PlayerState>(list, mp, rules);
        failed = std::make_unique<QSignalSpy>(state.get(), &PlayerState::failed);
    }
    QString text(Text t) const { return state->text(t); }
    QString transport() const { return enabledDigits(*state, kTransport); }
    QString navigation() const { return enabledDigits(*state, kNavigation); }
    // Lets queued endings arrive.
    static void settle() { QCoreApplication::processEvents(); QCoreApplication::processEvents(); }

    FakePlayerList list;
    FakeMp3Control mp;
    std::unique_ptr<PlayerState> state;
    std::unique_ptr<QSignalSpy> failed;
};

QStringList paths(std::initializer_list<const char *> names)
{
    QStringList out;
    for (const char *n : names)
        out << QStringLiteral("D:\\Music\\") + QString::fromUtf8(n);
    return out;
}

void addEndings()
{
    QTest::addColumn<Ending>("ending");
}

} // namespace

class PlayerStateTest : public QObject {
    Q_OBJECT

private slots:
    // A fresh window whose selected entry is no MP3 entry shows the idle look:
    // track number "0", status labels and loop box hidden, only play and the
    // volume sliders usable, first/last enabled when the list is not empty.
    void idleLook_data();
    void idleLook();
    // A selected MP3 entry plays at load, with every text as the window shows it.
    void loadPlaysSelectedEntry();
    // The navigation buttons follow position and count, later rules winning.
    void commenable_data();
    void commenable();
    // Pause disables the transport and navigation; continue restores them.
    void pauseAndContinue();
    // A list change while paused re-runs the navigation enabling; a track
    // started from there plays with the pause button reading ">|" again.
    void trackStartedWhilePaused();
    // Stop shows "0" in the played-time box, whichever order the end arrives in.
    void stop_data();
    void stop();
    // Navigation buttons skip non-MP3 entries forward and wrap.
    void navigation_data();
    void navigation();
    // After stop a navigation button starts the entry at once.
    void navigationWhenStopped();
    // The end of a track starts the next MP3 entry, wrapping, or the same one in loop mode.
    void trackEnd_data();
    void trackEnd();
    // A jump asked for is served before loop mode.
    void pendingJumpBeforeLoop_data();
    void pendingJumpBeforeLoop();
    // Every entry deleted: the track plays again, loop box checked.
    void emptiedList();
    // A list without an MP3 entry stops the player after one pass.
    void noMp3Pass_data();
    void noMp3Pass();
    // Slider moves of up to 355 frames are no seek; longer ones are.
    void positionSlider_data();
    void positionSlider();
    // While the user's move is not a seek, the next frame report puts the slider back.
    void positionSliderReturns();
    void fastForwardRewind_data();
    void fastForwardRewind();
    void volumeBalance_data();
    void volumeBalance();
    void playedTime_data();
    void playedTime();
    void totalTime_data();
    void totalTime();
    void streamInfo_data();
    void streamInfo();
    void caption_data();
    void caption();
    // Tracks of two hours and more: frames, time, seek and fast forward.
    void longTrack();
    // While the component looks for a file's first frame the boxes keep the
    // load's values; its figures then fill them and the slider's range, and
    // again when they become exact. A file found to hold no frame takes the
    // error path then.
    void figuresLater_data();
    void figuresLater();
    // The main window's writes: sign-blank number, count, re-run enabling.
    void trackPositionTexts();
    // A failed open or play unloads once; nothing runs afterwards.
    void errorPath_data();
    void errorPath();
};

// ---- idle look and load -------------------------------------------------------------

void PlayerStateTest::idleLook_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("navigation");
    QTest::newRow("empty list") << QStringList() << -1 << "0000";
    QTest::newRow("non-MP3 entry selected") << paths({"a.wma", "b.mp3"}) << 0 << "0011";
    QTest::newRow("nothing selected") << paths({"a.mp3", "b.mp3"}) << -1 << "0011";
    QTest::newRow(".mp3.txt is no MP3 entry") << paths({"a.mp3.txt"}) << 0 << "0011";
}

void PlayerStateTest::idleLook()
{
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    QFETCH(QString, navigation);
    Rig rig(entries, selected);
    rig.state->load();

    QCOMPARE(rig.state->playbackState(), PlaybackState::Idle);
    QCOMPARE(rig.text(Text::Label4), QStringLiteral("0"));
    for (Control c : {Control::Label2, Control::Label4, Control::Label5, Control::Label6, Control::Check1})
        QVERIFY2(!rig.state->isVisible(c), QMetaEnum::fromType<Control>().valueToKey(int(c)));
    QCOMPARE(rig.transport(), kIdleOrStopped);
    QCOMPARE(rig.navigation(), navigation);
    QCOMPARE(rig.mp.opened(), QStringList());
    QCOMPARE(rig.mp.calls, QStringList{QStringLiteral("SetVolume:35,35")});
    QCOMPARE(rig.text(Text::Text1), QStringLiteral("00:00"));
    QCOMPARE(rig.text(Text::Text2), QStringLiteral("00:00"));
    for (Text t : {Text::Text3, Text::Text4, Text::Text5, Text::Text6})
        QCOMPARE(rig.text(t), QStringLiteral("0"));
    QCOMPARE(rig.text(Text::Caption), QStringLiteral("播放窗口--"));
    QCOMPARE(rig.state->sliderValue(Slider::Sliyin), -35);
    QCOMPARE(rig.state->sliderValue(Slider::Slishengdaoo), 0);
    QCOMPARE(rig.state->positionMaximum(), 1);   // "0" total frames, plus one
}

void PlayerStateTest::loadPlaysSelectedEntry()
{
    QStringList entries = paths({"a.wma", "b.mp3", "song.mp3"});
    for (int i = 3; i < 12; ++i)
        entries << QStringLiteral("D:\\x%1.ogg").arg(i);
    Rig rig(entries, 2);
    FakeMp3Control::Track track;
    track.frames = 2335;
    track.lengthMs = 61000;
    rig.mp.addTrack(entries[2], track);
    QSignalSpy pathChanged(rig.state.get(), &PlayerState::playingPathChanged);
    rig.state->load();

    QCOMPARE(rig.mp.calls, (QStringList{QStringLiteral("SetVolume:35,35"), QStringLiteral("OpenFile:") + entries[2],
                                        QStringLiteral("Play"), QStringLiteral("SetVolume:35,35")}));
    QCOMPARE(rig.state->playbackState(), PlaybackState::Playing);
    QCOMPARE(rig.text(Text::Label2), QStringLiteral("正在播放第"));
    QCOMPARE(rig.text(Text::Label4), QStringLiteral("3"));
    QCOMPARE(rig.text(Text::Label6), QStringLiteral("/ 12"));
    QCOMPARE(rig.text(Text::Label3), entries[2]);
    QCOMPARE(rig.text(Text::Caption), QStringLiteral("播放窗口--SONG.MP3"));
    QCOMPARE(rig.text(Text::Text2), QStringLiteral("01:01"));
    QCOMPARE(rig.text(Text::Text4), QStringLiteral("2335"));
    QCOMPARE(rig.text(Text::Text5), QStringLiteral(" 44kHz"));
    QCOMPARE(rig.text(Text::Text6), QStringLiteral(" 128kbps"));
    QCOMPARE(rig.text(Text::ZantingCaption), QStringLiteral(">|"));
    QCOMPARE(rig.transport(), kPlaying);
    QCOMPARE(rig.navigation(), QStringLiteral("1111"));
    QCOMPARE(rig.state->positionMaximum(), 2336);
    QVERIFY(rig.state->isVisible(Control::Label2));
    QVERIFY(!rig.state->isVisible(Control::Label3));
    QCOMPARE(pathChanged.size(), 1);
    QCOMPARE(rig.failed->size(), 0);
}

// ---- commenable -------------------------------------------------------------------------

void PlayerStateTest::commenable_data()
{
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("navigation");   // previous, next, first, last
    QTest::newRow("only entry") << 1 << 1 << "0000";
    QTest::newRow("no current entry of five") << 0 << 5 << "0011";
    QTest::newRow("first of five") << 1 << 5 << "0101";
    QTest::newRow("middle of five") << 3 << 5 << "1111";
    QTest::newRow("last of five") << 5 << 5 << "1010";
    QTest::newRow("last of two") << 2 << 2 << "1010";
    QTest::newRow("empty list") << 0 << 0 << "0000";
}

void PlayerStateTest::commenable()
{
    QFETCH(int, pos);
    QFETCH(int, count);
    QFETCH(QString, navigation);
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries << QStringLiteral("D:\\t%1.mp3").arg(i + 1);
    Rig rig(entries);
    rig.state->load();
    rig.state->setTrackPosition(pos, count);
    QCOMPARE(rig.navigation(), navigation);
}

// ---- pause, stop --------------------------------------------------------------------------

void PlayerStateTest::pauseAndContinue()
{
    Rig rig(paths({"a.mp3", "b.mp3", "c.mp3"}), 1);
    rig.state->load();
    rig.state->click(Control::zanting);
    QCOMPARE(rig.state->playbackState(), PlaybackState::Paused);
    QVERIFY(rig.mp.paused);
    QCOMPARE(rig.text(Text::ZantingCaption), QStringLiteral(">"));
    QCOMPARE(rig.text(Text::ZantingToolTip), QStringLiteral("继续"));
    QCOMPARE(rig.text(Text::Label2), QStringLiteral("暂停播放第"));
    QCOMPARE(rig.transport(), kPaused);
    QCOMPARE(rig.navigation(), QStringLiteral("0000"));

    rig.state->click(Control::zanting);
    QCOMPARE(rig.state->playbackState(), PlaybackState::Playing);
    QVERIFY(!rig.mp.paused);
    QCOMPARE(rig.text(Text::ZantingCaption), QStringLiteral(">|"));
    QCOMPARE(rig.text(Text::ZantingToolTip), QStringLiteral("暂停"));
    QCOMPARE(rig.text(Text::Label2), QStringLiteral("正在播放第"));
    QCOMPARE(rig.transport(), kPlaying);
    QCOMPARE(rig.navigation(), QStringLiteral("1111"));
}

void PlayerStateTest::trackStartedWhilePaused()
{
    Rig rig(paths({"a.mp3", "b.mp3", "c.mp3"}), 1);
    rig.state->load();
    rig.state->click(Control::zanting);
    // The main window rewrites the number as " 2": a changed text.
    rig.state->setTrackPosition(2, 3);
    QCOMPARE(rig.navigation(), QStringLiteral("1111"));
    QCOMPARE(rig.state->playbackState(), PlaybackState::Paused);

    rig.state->click(Control::Command2);
    Rig::settle();
    QCOMPARE(rig.mp.opened().last(), rig.list.entries[2]);
    QCOMPARE(rig.state->playbackState(), PlaybackState::Playing);
    QCOMPARE(rig.text(Text::ZantingCaption), QStringLiteral(">|"));
    QCOMPARE(rig.text(Text::ZantingToolTip), QStringLiteral("暂停"));
    QCOMPARE(rig.transport(), kPlaying);
}

void PlayerStateTest::stop_data()
{
    addEndings();
    QTest::newRow("PlayEnded inside StopPlay") << Ending::Synchronous;
    QTest::newRow("PlayEnded queued") << Ending::Queued;
}

void PlayerStateTest::stop()
{
    QFETCH(Ending, ending);
    Rig rig(paths({"a.mp3", "b.mp3"}), 0, ending);
    rig.state->load();
    rig.mp.reportFrame(1000);
    QCOMPARE(rig.state->sliderValue(Slider::Sliguocheng), 1000);
    rig.state->click(Control::tingzhi);
    Rig::settle();

    QCOMPARE(rig.state->playbackState(), PlaybackState::Stopped);
    QCOMPARE(rig.text(Text::Text1), QStringLiteral("0"));
    QCOMPARE(rig.text(Text::Text3), QStringLiteral("0"));
    QCOMPARE(rig.text(Text::Label2), QStringLiteral("停止播放第"));
    QCOMPARE(rig.transport(), kIdleOrStopped);
    QCOMPARE(rig.state->sliderValue(Slider::Sliguocheng), 0);
    QVERIFY(rig.state->userstopped());
    QCOMPARE(rig.mp.seeks, QList<qint32>());
    QCOMPARE(rig.mp.opened().size(), 1);   // nothing else started
    QCOMPARE(rig.navigation(), QStringLiteral("0101"));

    // Play again: the same track from its beginning.
    rig.state->click(Control::bofang);
    QCOMPARE(rig.mp.opened(), QStringList(2, rig.list.entries[0]));
    QCOMPARE(rig.state->playbackState(), PlaybackState::Playing);
    QVERIFY(!rig.state->userstopped());
    QCOMPARE(rig.text(Text::Label2), QStringLiteral("正在播放第"));
}

// ---- navigation ---------------------------------------------------------------------------

void PlayerStateTest::navigation_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");
    QTest::addColumn<Control>("button");
    QTest::addColumn<int>("started");   // index of the entry that plays next
    QTest::addColumn<QString>("label4");
    addEndings();
    const QStringList abc = paths({"a.mp3", "b.wma", "c.mp3"});
    const QStringList three = paths({"a.mp3", "b.mp3", "c.mp3"});
    for (Ending e : {Ending::Synchronous, Ending::Queued}) {
        const char *order = e == Ending::Synchronous ? " (inside)" : " (queued)";
        QTest::addRow("previous skips a non-MP3 entry forward%s", order)
            << abc << 2 << Control::Command1 << 2 << "3" << e;
        QTest::addRow("next%s", order) << three << 0 << Control::Command2 << 1 << "2" << e;
        QTest::addRow("next over a non-MP3 entry%s", order) << abc << 0 << Control::Command2 << 2 << "3" << e;
        QTest::addRow("first%s", order) << three << 2 << Control::Command3 << 0 << "1" << e;
        QTest::addRow("last%s", order) << three << 0 << Control::Command4 << 2 << "3" << e;
        QTest::addRow("last is no MP3 entry: wraps to the first MP3 one%s", order)
            << paths({"x.wma", "a.mp3", "b.wma"}) << 1 << Control::Command4 << 1 << "2" << e;
        QTest::addRow("case and trailing blanks%s", order)
            << QStringList{QStringLiteral("D:\\a.mp3"), QStringLiteral("D:\\B.Mp3  ")} << 0 << Control::Command2
            << 1 << "2" << e;
    }
}

void PlayerStateTest::navigation()
{
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    QFETCH(Control, button);
    QFETCH(int, started);
    QFETCH(QString, label4);
    QFETCH(Ending, ending);
    Rig rig(entries, selected, ending);
    rig.state->load();
    rig.state->click(button);
    Rig::settle();

    QCOMPARE(rig.mp.callsStartingWith(QStringLiteral("EndPlayback")).size(), 1);
    QCOMPARE(rig.mp.opened(), (QStringList{entries[selected], entries[started]}));
    QCOMPARE(rig.text(Text::Label4), label4);
    QVERIFY(!rig.state->jumppending());
    QCOMPARE(rig.state->playbackState(), PlaybackState::Playing);
    QCOMPARE(rig.failed->size(), 0);
}

void PlayerStateTest::navigationWhenStopped()
{
    Rig rig(paths({"a.wma", "b.mp3", "c.mp3"}), 2);
    rig.state->load();
    rig.state->click(Control::tingzhi);
    Rig::settle();
    rig.state->click(Control::Command3);
    // At once, without waiting for an ending: entry 1 is no MP3 entry, so entry 2.
    QCOMPARE(rig.mp.callsStartingWith(QStringLiteral("EndPlayback")).size(), 0);
    QCOMPARE(rig.mp.opened().last(), rig.list.entries[1]);
    QCOMPARE(rig.text(Text::Label4), QStringLiteral("2"));
    QVERIFY(!rig.state->jumppending());
    QVERIFY(!rig.state->userstopped());
    QCOMPARE(rig.transport(), kPlaying);
}

// ---- end of a track -------------------------------------------------------------------------

void PlayerStateTest::trackEnd_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("loop");
    QTest::addColumn<int>("started");
    QTest::addColumn<QString>("label4");
    QTest::newRow("next MP3 entry") << paths({"a.mp3", "b.mp3"}) << 0 << false << 1 << "2";
    QTest::newRow("after the last, the first") << paths({"a.mp3", "b.mp3"}) << 1 << false << 0 << "1";
    QTest::newRow("non-MP3 entries skipped, wrapping")
        << paths({"a.wma", "b.mp3", "c.wma"}) << 1 << false << 1 << "2";
    QTest::newRow("only one MP3 entry among others") << paths({"a.mp3", "b.txt", "c.ogg"}) << 0 << false << 0
                                                     << "1";
    QTest::newRow("loop mode restarts the track") << paths({"a.mp3", "b.mp3"}) << 0 << true << 0 << "1";
}

void PlayerStateTest::trackEnd()
{
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    QFETCH(bool, loop);
    QFETCH(int, started);
    QFETCH(QString, label4);
    Rig rig(entries, selected);
    rig.state->load();
    rig.state->setLoop(loop);
    rig.mp.finishTrack();
    Rig::settle();
    QCOMPARE(rig.mp.opened(), (QStringList{entries[selected], entries[started]}));
    QCOMPARE(rig.text(Text::Label4), label4);
    QCOMPARE(rig.state->playbackState(), PlaybackState::Playing);
}

void PlayerStateTest::pendingJumpBeforeLoop_data()
{
    addEndings();
    QTest::newRow("inside") << Ending::Synchronous;
    QTest::newRow("queued") << Ending::Queued;
}

void PlayerStateTest::pendingJumpBeforeLoop()
{
    QFETCH(Ending, ending);
    Rig rig(paths({"a.mp3", "b.mp3", "c.mp3"}), 0, ending);
    rig.state->load();
    rig.state->setLoop(true);
    rig.state->click(Control::Command2);
    Rig::settle();
    QCOMPARE(rig.mp.opened().last(), rig.list.entries[1]);
    // The next end of a track loops on the new one.
    rig.mp.finishTrack();
    Rig::settle();
    QCOMPARE(rig.mp.opened(), (QStringList{rig.list.entries[0], rig.list.entries[1], rig.list.entries[1]}));
}

void PlayerStateTest::emptiedList()
{
    Rig rig(paths({"a.mp3", "b.mp3"}), 0);
    QSignalSpy loopChanged(rig.state.get(), &PlayerState::loopChanged);
    rig.state->load();
    rig.list.entries.clear();
    rig.state->setTrackPosition(0, 0);
    QCOMPARE(rig.navigation(), QStringLiteral("0000"));
    for (int round = 0; round < 2; ++round) {
        rig.mp.finishTrack();
        Rig::settle();
    }
    QCOMPARE(rig.mp.opened(), QStringList(3, QStringLiteral("D:\\Music\\a.mp3")));
    QVERIFY(rig.state->loop());
    QCOMPARE(loopChanged.size(), 1);
    QCOMPARE(rig.text(Text::Label6), QStringLiteral("/ 0"));
}

void PlayerStateTest::noMp3Pass_data()
{
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<Control>("button");   // Label2 for the end of the track
    QTest::newRow("track ends") << paths({"x.wma", "y.ogg"}) << Control::Label2;
    QTest::newRow("last button") << paths({"x.wma", "y.ogg"}) << Control::Command4;
    QTest::newRow("first button") << paths({"x.wma", "y.ogg", "z.txt"}) << Control::Command3;
    QTest::newRow("one entry") << paths({"x.wma"}) << Control::Label2;
}

void PlayerStateTest::noMp3Pass()
{
    QFETCH(QStringList, remaining);
    QFETCH(Control, button);
    Rig rig(paths({"a.mp3"}), 0);
    rig.state->load();
    rig.mp.reportFrame(200);
    // The playing entry was deleted and others added: no MP3 entry left.
    rig.list.entries = remaining;
    rig.state->setTrackPosition(0, int(remaining.size()));
    if (button == Control::Label2)
        rig.mp.finishTrack();
    else
        rig.state->click(button);
    Rig::settle();

    QCOMPARE(rig.mp.opened().size(), 1);
    QCOMPARE(rig.state->playbackState(), PlaybackState::Stopped);
    QCOMPARE(rig.text(Text::Label2), QStringLiteral("停止播放第"));
    QCOMPARE(rig.text(Text::Label4), QStringLiteral("0"));
    QCOMPARE(rig.text(Text::Text1), QStringLiteral("0"));
    QCOMPARE(rig.text(Text::Text3), QStringLiteral("0"));
    QCOMPARE(rig.state->sliderValue(Slider::Sliguocheng), 0);
    QCOMPARE(rig.transport(), kIdleOrStopped);
    QCOMPARE(rig.navigation(), QStringLiteral("0011"));
    QVERIFY(!rig.state->jumppending());
    // Play again replays the last track, as after the stop button.
    rig.state->click(Control::bofang);
    QCOMPARE(rig.mp.opened().last(), QStringLiteral("D:\\Music\\a.mp3"));
}

// ---- position slider, fast forward, rewind -------------------------------------------------

void PlayerStateTest::positionSlider_data()
{
    QTest::addColumn<int>("moveTo");
    QTest::addColumn<bool>("seeks");
    QTest::newRow("300 frames on: no seek") << 1300 << false;
    QTest::newRow("400 frames on: seek") << 1400 << true;
    QTest::newRow("300 frames back: no seek") << 700 << false;
    QTest::newRow("400 frames back: seek") << 600 << true;
    QTest::newRow("355 frames: no seek") << 1355 << false;
    QTest::newRow("356 frames: seek") << 1356 << true;
    QTest::newRow("-356 frames: seek") << 644 << true;
}

void PlayerStateTest::positionSlider()
{
    QFETCH(int, moveTo);
    QFETCH(bool, seeks);
    Rig rig(paths({"a.mp3"}), 0);
    FakeMp3Control::Track track;
    track.frames = 5000;
    rig.mp.addTrack(rig.list.entries[0], track);
    rig.state->load();
    rig.mp.reportFrame(1000);
    rig.state->userMovedSlider(Slider::Sliguocheng, moveTo);
    QCOMPARE(rig.mp.seeks, seeks ? QList<qint32>{moveTo} : QList<qint32>());
    QCOMPARE(rig.text(Text::Text3), QString::number(seeks ? moveTo : 1000));
    QCOMPARE(rig.state->sliderValue(Slider::Sliguocheng), moveTo);
}

void PlayerStateTest::positionSliderReturns()
{
    Rig rig(paths({"a.mp3"}), 0);
    rig.state->load();
    rig.mp.reportFrame(500);
    QSignalSpy moved(rig.state.get(), &PlayerState::sliderValueChanged);
    rig.state->userMovedSlider(Slider::Sliguocheng, 600);
    QCOMPARE(moved.size(), 0);   // the view already shows the user's value
    rig.mp.reportFrame(510);
    QCOMPARE(rig.state->sliderValue(Slider::Sliguocheng), 510);
    QCOMPARE(moved.size(), 1);
    QCOMPARE(moved.at(0).at(1).toInt(), 510);
}

void PlayerStateTest::fastForwardRewind_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("played");
    QTest::addColumn<Control>("button");
    QTest::addColumn<QList<qint32>>("seeks");
    QTest::newRow("forward") << 2000 << 1000 << Control::kuaijin << QList<qint32>{1355};
    QTest::newRow("forward to the last frame") << 2000 << 1644 << Control::kuaijin << QList<qint32>{1999};
    QTest::newRow("forward within 355 of the end") << 2000 << 1645 << Control::kuaijin << QList<qint32>();
    QTest::newRow("rewind") << 2000 << 1000 << Control::kuaitui << QList<qint32>{645};
    QTest::newRow("rewind to frame 1") << 2000 << 356 << Control::kuaitui << QList<qint32>{1};
    QTest::newRow("rewind within the first 355") << 2000 << 355 << Control::kuaitui << QList<qint32>();
    QTest::newRow("forward in a three-hour track") << 415000 << 400000 << Control::kuaijin
                                                   << QList<qint32>{400355};
}

void PlayerStateTest::fastForwardRewind()
{
    QFETCH(int, frames);
    QFETCH(int, played);
    QFETCH(Control, button);
    QFETCH(QList<qint32>, seeks);
    Rig rig(paths({"a.mp3"}), 0);
    FakeMp3Control::Track track;
    track.frames = frames;
    rig.mp.addTrack(rig.list.entries[0], track);
    rig.state->load();
    rig.mp.reportFrame(played);
    rig.state->click(button);
    QCOMPARE(rig.mp.seeks, seeks);
    QCOMPARE(rig.state->curframe(), played);   // the display waits for the next report
}

// ---- volume and balance -------------------------------------------------------------------

void PlayerStateTest::volumeBalance_data()
{
    QTest::addColumn<int>("volumeSlider");
    QTest::addColumn<int>("balance");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::newRow("full volume, balance to the left end") << -100 << -45 << 100 << 10;
    QTest::newRow("full volume, balance to the right end") << -100 << 45 << 10 << 100;
    QTest::newRow("volume 35, centred") << -35 << 0 << 35 << 35;
    QTest::newRow("silent, balance left: left still 90") << 0 << -45 << 90 << 0;
    QTest::newRow("silent, balance right") << 0 << 45 << 0 << 90;
    QTest::newRow("half, a little right") << -50 << 20 << 30 << 70;
    QTest::newRow("full volume, centred") << -100 << 0 << 100 << 100;
    QTest::newRow("left over 100") << -90 << -20 << 100 << 60;
    QTest::newRow("volume 35, balance left end") << -35 << -45 << 90 << 0;
}

void PlayerStateTest::volumeBalance()
{
    QFETCH(int, volumeSlider);
    QFETCH(int, balance);
    QFETCH(int, left);
    QFETCH(int, right);
    Rig rig(paths({"a.mp3"}), 0);
    rig.state->load();
    rig.state->userMovedSlider(Slider::Sliyin, volumeSlider);
    rig.state->userMovedSlider(Slider::Slishengdaoo, balance);
    QCOMPARE(rig.mp.calls.last(), QStringLiteral("SetVolume:%1,%2").arg(left).arg(right));
    QCOMPARE(rig.state->volume(), -volumeSlider);
    // A new track keeps them.
    rig.mp.finishTrack();
    Rig::settle();
    QCOMPARE(rig.mp.callsStartingWith(QStringLiteral("SetVolume")).last(),
             QStringLiteral("SetVolume:%1,%2").arg(left).arg(right));
}

// ---- time and stream boxes, caption ------------------------------------------------------------

void PlayerStateTest::playedTime_data()
{
    QTest::addColumn<float>("msPerFrame");
    QTest::addColumn<int>("frame");
    QTest::addColumn<QString>("text1");
    QTest::newRow("61 s") << 26.122449f << 2336 << "01:01";
    QTest::newRow("start") << 26.122449f << 0 << "00:00";
    QTest::newRow("rounded, not cut: 999.5 ms is one second") << 999.5f << 1 << "00:01";
    QTest::newRow("9 min 5 s") << 1000.0f << 545 << "09:05";
    QTest::newRow("99 min 59 s") << 1000.0f << 5999 << "99:59";
    QTest::newRow("100 min written whole") << 1000.0f << 6000 << "100:00";
    QTest::newRow("125 min 10 s written whole") << 26.122449f << 287500 << "125:10";
}

void PlayerStateTest::playedTime()
{
    QFETCH(float, msPerFrame);
    QFETCH(int, frame);
    QFETCH(QString, text1);
    Rig rig(paths({"a.mp3"}), 0);
    FakeMp3Control::Track track;
    track.msPerFrame = msPerFrame;
    track.frames = 400000;
    rig.mp.addTrack(rig.list.entries[0], track);
    rig.state->load();
    rig.mp.reportFrame(frame);
    QCOMPARE(rig.text(Text::Text1), text1);
    QCOMPARE(rig.text(Text::Text3), QString::number(frame));
    QCOMPARE(rig.state->curframe(), frame);
}

void PlayerStateTest::totalTime_data()
{
    QTest::addColumn<int>("lengthMs");
    QTest::addColumn<QString>("text2");
    QTest::newRow("61 s") << 61000 << "01:01";
    QTest::newRow("9 min 5 s") << 545000 << "09:05";
    QTest::newRow("99 min 59 s") << 5999000 << "99:59";
    QTest::newRow("100 min written whole") << 6000000 << "100:00";
    QTest::newRow("two hours") << 7200000 << "120:00";
    QTest::newRow("125 min 7 s") << 7507000 << "125:07";
    QTest::newRow("just under a minute") << 59999 << "00:59";
    QTest::newRow("nothing") << 0 << "00:00";
}

void PlayerStateTest::totalTime()
{
    QFETCH(int, lengthMs);
    QFETCH(QString, text2);
    Rig rig(paths({"a.mp3"}), 0);
    FakeMp3Control::Track track;
    track.lengthMs = lengthMs;
    rig.mp.addTrack(rig.list.entries[0], track);
    rig.state->load();
    QCOMPARE(rig.text(Text::Text2), text2);
}

void PlayerStateTest::streamInfo_data()
{
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("bitRate");
    QTest::addColumn<QString>("text5");
    QTest::addColumn<QString>("text6");
    QTest::newRow("44.1 kHz, 128 kbit/s") << 44100 << 128000 << " 44kHz" << " 128kbps";
    QTest::newRow("22.05 kHz, 64 kbit/s") << 22050 << 64000 << " 22kHz" << " 64kbps";
    QTest::newRow("8 kHz, 8 kbit/s") << 8000 << 8000 << " 8kHz" << " 8kbps";
    QTest::newRow("48 kHz, 320 kbit/s") << 48000 << 320000 << " 48kHz" << " 320kbps";
}

void PlayerStateTest::streamInfo()
{
    QFETCH(int, sampleRate);
    QFETCH(int, bitRate);
    QFETCH(QString, text5);
    QFETCH(QString, text6);
    Rig rig(paths({"a.mp3"}), 0);
    FakeMp3Control::Track track;
    track.sampleRate = sampleRate;
    track.bitRate = bitRate;
    rig.mp.addTrack(rig.list.entries[0], track);
    rig.state->load();
    QCOMPARE(rig.text(Text::Text5), text5);
    QCOMPARE(rig.text(Text::Text6), text6);
}

void PlayerStateTest::caption_data()
{
    QTest::addColumn<bool>("windowsRules");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Windows path") << true << "D:\\Music\\song.mp3" << "播放窗口--SONG.MP3";
    QTest::newRow("POSIX path") << false << "/home/u/Music/Song.mp3" << "播放窗口--SONG.MP3";
    QTest::newRow("POSIX: a backslash is part of the name") << false << "/m/a\\b.mp3" << "播放窗口--A\\B.MP3";
    QTest::newRow("no folder") << true << "song.mp3" << "播放窗口--SONG.MP3";
    QTest::newRow("Chinese name") << true << "D:\\歌\\月亮代表我的心.mp3" << "播放窗口--月亮代表我的心.MP3";
}

void PlayerStateTest::caption()
{
    QFETCH(bool, windowsRules);
    QFETCH(QString, path);
    QFETCH(QString, caption);
    Rig rig({path}, 0, Ending::Queued, windowsRules ? PathRules::windows() : PathRules::posix());
    rig.state->load();
    QCOMPARE(rig.text(Text::Caption), caption);
    QCOMPARE(rig.text(Text::Label3), path);
}

// ---- long tracks ---------------------------------------------------------------------------

void PlayerStateTest::longTrack()
{
    Rig rig(paths({"long.mp3"}), 0);
    FakeMp3Control::Track track;
    track.frames = 400000;          // about 2 h 54 min at 44.1 kHz
    track.lengthMs = 10449000;
    rig.mp.addTrack(rig.list.entries[0], track);
    rig.state->load();
    QCOMPARE(rig.text(Text::Text4), QStringLiteral("400000"));
    QCOMPARE(rig.text(Text::Text2), QStringLiteral("174:09"));
    QCOMPARE(rig.state->positionMaximum(), 400001);

    rig.mp.reportFrame(300000);
    QCOMPARE(rig.text(Text::Text3), QStringLiteral("300000"));
    QCOMPARE(rig.text(Text::Text1), QStringLiteral("130:36"));
    QCOMPARE(rig.state->sliderValue(Slider::Sliguocheng), 300000);

    rig.state->userMovedSlider(Slider::Sliguocheng, 350000);
    QCOMPARE(rig.mp.seeks, QList<qint32>{350000});
    rig.state->userMovedSlider(Slider::Sliguocheng, 349700);   // 300 back: no seek
    QCOMPARE(rig.mp.seeks, QList<qint32>{350000});
}

void PlayerStateTest::figuresLater_data()
{
    QTest::addColumn<bool>("playable");
    QTest::newRow("found") << true;
    QTest::newRow("no frame in it") << false;
}

void PlayerStateTest::figuresLater()
{
    QFETCH(bool, playable);
    Rig rig(paths({"junk.mp3"}), 0);
    rig.mp.figuresLater = true;
    rig.state->load();
    QCOMPARE(rig.state->playbackState(), PlaybackState::Playing);
    for (Text box : {Text::Text4, Text::Text5, Text::Text6})
        QCOMPARE(rig.text(box), QStringLiteral("0"));
    QCOMPARE(rig.text(Text::Text2), QStringLiteral("00:00"));
    QCOMPARE(rig.failed->size(), 0);
    if (!playable) {
        rig.mp.failOpenLater(321);
        QCOMPARE(rig.failed->size(), 1);
        return;
    }
    FakeMp3Control::Track header;   // what the headers say
    header.frames = 6000;
    header.lengthMs = 156734;
    rig.mp.revealFigures(header);
    QCOMPARE(rig.text(Text::Text4), QStringLiteral("6000"));
    QCOMPARE(rig.text(Text::Text2), QStringLiteral("02:36"));
    QCOMPARE(rig.text(Text::Text5), QStringLiteral(" 44kHz"));
    QCOMPARE(rig.text(Text::Text6), QStringLiteral(" 128kbps"));
    QCOMPARE(rig.state->positionMaximum(), 6001);
    FakeMp3Control::Track scanned = header;   // the scan's exact count
    scanned.frames = 6123;
    scanned.lengthMs = 159947;
    rig.mp.revealFigures(scanned);
    QCOMPARE(rig.text(Text::Text4), QStringLiteral("6123"));
    QCOMPARE(rig.text(Text::Text2), QStringLiteral("02:39"));
    QCOMPARE(rig.state->positionMaximum(), 6124);
    QCOMPARE(rig.failed->size(), 0);
}

// ---- main window writes ------------------------------------------------------------------------

void PlayerStateTest::trackPositionTexts()
{
    Rig rig(paths({"a.mp3", "b.mp3", "c.mp3"}), 1);
    rig.state->load();
    QCOMPARE(rig.text(Text::Label4), QStringLiteral("2"));
    QCOMPARE(rig.state->trackNumberForm(), NumberForm::Plain);
    QSignalSpy texts(rig.state.get(), &PlayerState::textChanged);

    rig.state->setTrackPosition(2, 3);
    QCOMPARE(rig.text(Text::Label4), QStringLiteral(" 2"));
    QCOMPARE(rig.state->trackNumberForm(), NumberForm::SignBlank);
    QCOMPARE(texts.size(), 1);   // Label4 only: "/ 3" was there already

    rig.state->setTrackPosition(0, 3);
    QCOMPARE(rig.text(Text::Label4), QStringLiteral("0"));

    // A count change alone re-runs the enabling: the list grew behind entry 3.
    rig.state->setTrackPosition(3, 3);
    QCOMPARE(rig.navigation(), QStringLiteral("1010"));
    rig.list.entries << QStringLiteral("D:\\d.mp3");
    rig.state->setTrackPosition(3, 4);
    QCOMPARE(rig.text(Text::Label6), QStringLiteral("/ 4"));
    QCOMPARE(rig.navigation(), QStringLiteral("1111"));
}

// ---- error path -----------------------------------------------------------------------------------

void PlayerStateTest::errorPath_data()
{
    QTest::addColumn<QString>("scenario");
    addEndings();
    for (Ending e : {Ending::Synchronous, Ending::Queued}) {
        const char *order = e == Ending::Synchronous ? " (inside)" : " (queued)";
        QTest::addRow("missing file at load%s", order) << "load" << e;
        QTest::addRow("next track cannot be opened%s", order) << "open" << e;
        QTest::addRow("next track cannot be played%s", order) << "play" << e;
        QTest::addRow("play button with no track yet%s", order) << "empty" << e;
        QTest::addRow("navigation to a bad track%s", order) << "jump" << e;
    }
}

void PlayerStateTest::errorPath()
{
    QFETCH(QString, scenario);
    QFETCH(Ending, ending);
    const QStringList entries = paths({"a.mp3", "b.mp3"});
    Rig rig(entries, scenario == QLatin1String("empty") ? -1 : 0, ending);
    FakeMp3Control::Track bad;
    if (scenario == QLatin1String("load"))
        rig.mp.tracks.remove(entries[0]);
    if (scenario == QLatin1String("open") || scenario == QLatin1String("jump"))
        bad.openError = 62;
    if (scenario == QLatin1String("play"))
        bad.playError = 321;
    if (bad.openError || bad.playError)
        rig.mp.addTrack(entries[1], bad);

    rig.state->load();
    if (scenario == QLatin1String("open") || scenario == QLatin1String("play"))
        rig.mp.finishTrack();
    else if (scenario == QLatin1String("empty"))
        rig.state->click(Control::bofang);
    else if (scenario == QLatin1String("jump"))
        rig.state->click(Control::Command2);
    Rig::settle();

    QCOMPARE(rig.failed->size(), 1);
    QVERIFY(rig.state->isFinished());
    // Nothing runs afterwards, whatever arrives.
    const QStringList calls = rig.mp.calls;
    rig.state->click(Control::bofang);
    rig.state->setTrackPosition(1, 2);
    rig.mp.reportFrame(10);
    rig.mp.finishTrack();
    rig.state->userMovedSlider(Slider::Sliyin, -80);
    Rig::settle();
    QCOMPARE(rig.mp.calls, calls);
    QCOMPARE(rig.failed->size(), 1);
}

QTEST_GUILESS_MAIN(PlayerStateTest)
#include "tst_player_state.moc"
