// The main window and the player window together, as the program wires them,
// with a scripted MP3 component: start-up, the menu pair from both windows,
// the play command, the track number after edits, and a track that fails.
#include "tests/common/desktop_fakes.h"
#include "player/fakes/fake_mp3_control.h"
#include "player/form3.h"
#include "platform/own_frame.h"
#include "player/player_state.h"
#include "app/program_windows.h"

#include <QPointer>
#include <QtTest>

#include <memory>

using Player::Text;

class ProgramWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsWithThePlayerLoadedAndHidden();
    void menuPairFromBothWindows();
    void playCommandStartsAFreshWindow_data();
    void playCommandStartsAFreshWindow();
    void trackNumberFollowsEdits();
    void failingTrackBringsTheMainWindowBack();

private:
    MainWindow &main() { return m_windows->mainWindow(); }
    PlayerHost &player() { return m_windows->player(); }
    void fill(const QStringList &entries, int selection);

    DesktopFakes m_desktop;
    std::unique_ptr<AuxWindows> m_aux;
    std::unique_ptr<ProgramWindows> m_windows;
    QPointer<FakeMp3Control> m_component;   // the latest window's
    QStringList m_tracks;                   // the paths the component can open
};

void ProgramWindowsTest::init()
{
    m_desktop.messages = FakeMessageBox();
    m_tracks = {QStringLiteral("/m/a.mp3"), QStringLiteral("/m/c.MP3")};
    m_aux = std::make_unique<AuxWindows>(m_desktop.services());
    const auto component = [this] {
        auto *c = new FakeMp3Control;
        for (const QString &t : m_tracks)
            c->addTrack(t);
        m_component = c;
        return c;
    };
    m_windows = std::make_unique<ProgramWindows>(m_desktop.messages, m_desktop.dialog, m_desktop.drives,
                                                 m_desktop.keys, *m_aux, m_desktop.disk, m_desktop.repairs, component);
    main().show();
    QVERIFY(QTest::qWaitForWindowExposed(&main()));
}

void ProgramWindowsTest::cleanup()
{
    m_windows.reset();
    m_aux.reset();
}

void ProgramWindowsTest::fill(const QStringList &entries, int selection)
{
    main().playlist().replaceEntries(entries);
    main().playlist().selectByUser(selection);
}

// At start-up the player window is loaded but hidden, in its idle look, and
// the menu offers to show it.
void ProgramWindowsTest::startsWithThePlayerLoadedAndHidden()
{
    QVERIFY(player().isLoaded());
    QVERIFY(!player().window()->isVisible());
    QCOMPARE(player().state()->playbackState(), Player::PlaybackState::Idle);
    QVERIFY(main().action(Command::ShowPlayer)->isEnabled());
    QVERIFY(!main().action(Command::HidePlayer)->isEnabled());
    QVERIFY(m_component->callsStartingWith("OpenFile").isEmpty());
}

// F2 and F3 show and hide the same window; a double-click on its background
// hides it from the player's side, and the main window's pair follows.
void ProgramWindowsTest::menuPairFromBothWindows()
{
    Form3 *form = player().window();
    QTest::keyClick(&main(), Qt::Key_F2);
    QVERIFY(form->isVisible());
    QCOMPARE(player().window(), form);
    QVERIFY(main().action(Command::HidePlayer)->isEnabled());
    QVERIFY(!main().action(Command::ShowPlayer)->isEnabled());

    QWidget *background = form->findChild<OwnFrame *>()->client();   // between the controls
    QTest::mouseDClick(background, Qt::LeftButton, {}, QPoint(300, 60));
    QVERIFY(!form->isVisible());
    QVERIFY(main().action(Command::ShowPlayer)->isEnabled());
    QVERIFY(!main().action(Command::HidePlayer)->isEnabled());

    QTest::keyClick(&main(), Qt::Key_F2);
    QVERIFY(form->isVisible());
    QTest::keyClick(&main(), Qt::Key_F3);
    QVERIFY(!form->isVisible());
    QCOMPARE(player().window(), form);
    QVERIFY(main().action(Command::ShowPlayer)->isEnabled());
}

// Playing an MP3 entry unloads the player window and shows a fresh one that
// starts the selected entry; other entries get the message and leave it alone.
void ProgramWindowsTest::playCommandStartsAFreshWindow_data()
{
    QTest::addColumn<int>("selection");
    QTest::addColumn<QString>("opened");    // empty: nothing played
    QTest::addColumn<QString>("caption");
    QTest::newRow("mp3") << 0 << "/m/a.mp3" << "播放窗口--A.MP3";
    QTest::newRow("mp3 in capitals") << 2 << "/m/c.MP3" << "播放窗口--C.MP3";
    QTest::newRow("not an mp3") << 1 << "" << "";
}

void ProgramWindowsTest::playCommandStartsAFreshWindow()
{
    QFETCH(int, selection);
    QFETCH(QString, opened);
    QFETCH(QString, caption);
    fill({"/m/a.mp3", "/m/b.wma", "/m/c.MP3"}, selection);
    const QPointer<Form3> before = player().window();
    main().action(Command::PlaySelected)->trigger();
    if (opened.isEmpty()) {
        QCOMPARE(m_desktop.messages.texts(), QStringList{"播放功能只支持MP3文件！"});
        QCOMPARE(player().window(), before.data());
        QVERIFY(!before->isVisible());
        return;
    }
    QTRY_VERIFY(!before);   // the old window is gone
    QVERIFY(player().window()->isVisible());
    QCOMPARE(m_component->callsStartingWith("OpenFile:"), QStringList{"OpenFile:" + opened});
    QCOMPARE(player().state()->playbackState(), Player::PlaybackState::Playing);
    QCOMPARE(player().window()->windowTitle(), caption);
    QCOMPARE(player().state()->text(Text::Label4), QString::number(selection + 1));
    QCOMPARE(player().state()->text(Text::Label6), QStringLiteral("/ 3"));
    QVERIFY(main().action(Command::HidePlayer)->isEnabled());
}

// Edits of the list move the playing track's number along, in the form the
// main window writes it; a removed track shows "0".
void ProgramWindowsTest::trackNumberFollowsEdits()
{
    fill({"/m/a.mp3", "/m/b.wma", "/m/c.MP3"}, 0);
    main().action(Command::PlaySelected)->trigger();
    QCOMPARE(player().state()->text(Text::Label4), QStringLiteral("1"));
    main().action(Command::MoveDown)->trigger();
    QCOMPARE(player().state()->text(Text::Label4), QStringLiteral(" 2"));
    main().action(Command::MoveToBottom)->trigger();
    QCOMPARE(player().state()->text(Text::Label4), QStringLiteral(" 3"));
    main().playlist().selectByUser(0);
    main().action(Command::Delete)->trigger();
    QCOMPARE(player().state()->text(Text::Label4), QStringLiteral(" 2"));
    QCOMPARE(player().state()->text(Text::Label6), QStringLiteral("/ 2"));
    main().playlist().selectByUser(1);
    main().action(Command::Delete)->trigger();   // the playing entry
    QCOMPARE(player().state()->text(Text::Label4), QStringLiteral("0"));
    QCOMPARE(player().state()->text(Text::Label6), QStringLiteral("/ 1"));
}

// A track that cannot be opened unloads the player window without a message
// and brings the main window back with the menu offering to show the player.
void ProgramWindowsTest::failingTrackBringsTheMainWindowBack()
{
    m_tracks = {QStringLiteral("/m/a.mp3")};
    fill({"/m/a.mp3", "/m/missing.mp3"}, 1);
    main().action(Command::PlaySelected)->trigger();
    QTRY_VERIFY(!player().isLoaded());
    QVERIFY(m_desktop.messages.shown.isEmpty());
    QTRY_VERIFY(main().action(Command::ShowPlayer)->isEnabled());
    QVERIFY(!main().action(Command::HidePlayer)->isEnabled());
    QVERIFY(main().isVisible());
    // The menu loads a fresh window again, which starts the selected entry.
    main().playlist().selectByUser(0);
    main().action(Command::ShowPlayer)->trigger();
    QVERIFY(player().isLoaded());
    QCOMPARE(player().state()->playbackState(), Player::PlaybackState::Playing);
}

QTEST_MAIN(ProgramWindowsTest)
#include "tst_program_windows.moc"
