// The player on a private session bus, driven by real clients (playerctl,
// dbus-send) as the desktop drives it: the program's windows wired as at
// start-up with a scripted MP3 component. Runs under dbus-run-session; fails
// when there is no bus.
#include "tests/common/desktop_fakes.h"
#include "tests/common/wait_idle.h"
#include "player/fakes/fake_mp3_control.h"
#include "player/form3.h"
#include "player/player_state.h"
#include "app/program_windows.h"

#include <QCheckBox>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Player::Control;
using Player::Text;

// What a second connection on the bus hears from the player.
class BusWatcher : public QObject {
    Q_OBJECT
public:
    QStringList announced;   // property names, in the order told
    QVariantMap last;        // the latest value of each
    QList<qlonglong> seeked;

public slots:
    void propertiesChanged(const QString &, const QVariantMap &changed, const QStringList &)
    {
        for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
            announced << it.key();
            last.insert(it.key(), it.value());
        }
    }
    void seekedTo(qlonglong position) { seeked << position; }
};

class MprisTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commands_data();
    void commands();
    void announcements_data();
    void announcements();
    void metadata();
    void twoProgramsTwoInstances();

private:
    MainWindow &main() { return m_windows->mainWindow(); }
    PlayerHost &player() { return m_windows->player(); }
    void step(const QString &what);
    int client(QStringList command, QString *output = nullptr);
    QString summary() const;

    DesktopFakes m_desktop;
    std::unique_ptr<AuxWindows> m_aux;
    std::unique_ptr<ProgramWindows> m_windows;
    QPointer<FakeMp3Control> m_component;   // the latest window's
};

void MprisTest::initTestCase()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: run under dbus-run-session");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty(), "playerctl is not installed");
}

void MprisTest::init()
{
    m_desktop.messages = FakeMessageBox();
    m_aux = std::make_unique<AuxWindows>(m_desktop.services());
    const auto component = [this] {
        auto *c = new FakeMp3Control;
        for (const char *t : {"/m/a.mp3", "/m/c.MP3", "/m/d.mp3"})
            c->addTrack(QString::fromLatin1(t));
        m_component = c;
        return c;
    };
    m_windows = std::make_unique<ProgramWindows>(m_desktop.messages, m_desktop.dialog, m_desktop.drives,
                                                 m_desktop.keys, *m_aux, m_desktop.disk, m_desktop.repairs, component);
    QVERIFY(m_windows->mpris().publish(QDBusConnection::sessionBus()));
    main().playlist().replaceEntries({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.wav"), QStringLiteral("/m/c.MP3"),
                                      QStringLiteral("/m/d.mp3")});
}

void MprisTest::cleanup()
{
    m_windows.reset();
    m_aux.reset();
    QDBusConnection::sessionBus().unregisterService(MprisService::busName());
}

// A step of a scene: "select:<n>" (-1: none), "play" (Ctrl+P), a button by
// its name, "frame:<n>" (the component reports it heard), "loopbox" (a click
// on the loop box), "slider:<n>" (the user lets the position slider go there).
void MprisTest::step(const QString &what)
{
    const QString name = what.section(QLatin1Char(':'), 0, 0);
    const int value = what.section(QLatin1Char(':'), 1).toInt();
    if (name == QLatin1String("select")) {
        main().playlist().selectByUser(value);
        if (value < 0)
            main().playlist().selectNone();
    } else if (name == QLatin1String("play")) {
        main().playSelected();
    } else if (name == QLatin1String("frame")) {
        m_component->reportFrame(value);
    } else if (name == QLatin1String("loopbox")) {
        static_cast<QCheckBox *>(player().window()->control(Control::Check1))->click();
    } else if (name == QLatin1String("slider")) {
        player().state()->userMovedSlider(Player::Slider::Sliguocheng, value);
    } else {
        bool known = false;
        const auto control = Control(QMetaEnum::fromType<Control>().keyToValue(name.toLatin1(), &known));
        QVERIFY2(known, qPrintable(what));
        player().state()->click(control);
    }
    QCoreApplication::processEvents();
}

// Runs a client against this player while the event loop turns (the player
// answers from it); its exit code.
int MprisTest::client(QStringList command, QString *output)
{
    const QString program = command.takeFirst();
    if (program == QLatin1String("playerctl"))
        command.prepend(QStringLiteral("--player=") + MprisService::busName().section(QLatin1Char('.'), 3));
    else
        command = QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                              QStringLiteral("--dest=") + MprisService::busName(), MprisService::kObjectPath}
                  + command;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, command);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    QCoreApplication::processEvents();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The player as the window shows it and as its state holds it.
QString MprisTest::summary() const
{
    const PlayerState *s = m_windows->player().state();
    const Form3 *w = m_windows->player().window();
    QStringList seeks;
    for (qint32 frame : std::as_const(m_component->seeks))
        seeks << QString::number(frame);
    return QStringLiteral("%1 #%2 %3 %4 f%5 v%6 %7 %8%9")
        .arg(QString::fromLatin1(QMetaEnum::fromType<Player::PlaybackState>().valueToKey(int(s->playbackState()))))
        .arg(s->trackNumber())
        .arg(static_cast<QLabel *>(w->control(Control::Label2))->text(),
             static_cast<QPushButton *>(w->control(Control::zanting))->text(), s->text(Text::Text3))
        .arg(static_cast<QSlider *>(w->control(Control::Sliyin))->value())
        .arg(static_cast<QCheckBox *>(w->control(Control::Check1))->isChecked() ? QStringLiteral("loop")
                                                                               : QStringLiteral("once"),
             s->playingPath(), seeks.isEmpty() ? QString() : QStringLiteral(" seeks:") + seeks.join(QLatin1Char(',')));
}

void MprisTest::commands_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");

    const QStringList playing{QStringLiteral("select:0"), QStringLiteral("play")};
    const QStringList paused = playing + QStringList{QStringLiteral("zanting")};
    const QStringList stopped = playing + QStringList{QStringLiteral("tingzhi")};
    const QStringList heard100 = playing + QStringList{QStringLiteral("frame:100")};
    const QString dbusPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player.");
    const auto call = [&](const char *method) { return QStringList{QStringLiteral("dbus-send"), dbusPlayer + QLatin1String(method)}; };
    const auto ctl = [](const QString &args) { return QStringList{QStringLiteral("playerctl")} + args.split(QLatin1Char(' ')); };
    const QString idle = QStringLiteral("Idle #0 正在播放第 >| f0 v-35 once ");

    QTest::newRow("play before any track: the play command")
        << QStringList{QStringLiteral("select:2")} << ctl("play") << 0
        << QStringLiteral("Playing #3 正在播放第 >| f0 v-35 once /m/c.MP3");
    QTest::newRow("play-pause before any track: the play command")
        << QStringList{QStringLiteral("select:0")} << ctl("play-pause") << 0
        << QStringLiteral("Playing #1 正在播放第 >| f0 v-35 once /m/a.mp3");
    QTest::newRow("raise shows the window as its menu item does")
        << QStringList{} << QStringList{QStringLiteral("dbus-send"), QStringLiteral("org.mpris.MediaPlayer2.Raise")} << 0
        << idle;
    QTest::newRow("play with nothing selected: refused")
        << QStringList{QStringLiteral("select:-1")} << ctl("play") << 1 << idle;
    QTest::newRow("play-pause on an entry that is no MP3: refused")
        << QStringList{QStringLiteral("select:1")} << ctl("play-pause") << 1 << idle;
    QTest::newRow("pause") << playing << ctl("pause") << 0 << QStringLiteral("Paused #1 暂停播放第 > f0 v-35 once /m/a.mp3");
    QTest::newRow("play-pause while playing")
        << playing << ctl("play-pause") << 0 << QStringLiteral("Paused #1 暂停播放第 > f0 v-35 once /m/a.mp3");
    QTest::newRow("play-pause continues")
        << paused << ctl("play-pause") << 0 << QStringLiteral("Playing #1 正在播放第 >| f0 v-35 once /m/a.mp3");
    QTest::newRow("play continues") << paused << ctl("play") << 0
                                    << QStringLiteral("Playing #1 正在播放第 >| f0 v-35 once /m/a.mp3");
    QTest::newRow("pause while paused: refused")
        << paused << call("Pause") << 1 << QStringLiteral("Paused #1 暂停播放第 > f0 v-35 once /m/a.mp3");
    QTest::newRow("stop") << heard100 << ctl("stop") << 0 << QStringLiteral("Stopped #1 停止播放第 >| f0 v-35 once /m/a.mp3");
    QTest::newRow("stop while stopped: refused")
        << stopped << call("Stop") << 1 << QStringLiteral("Stopped #1 停止播放第 >| f0 v-35 once /m/a.mp3");
    QTest::newRow("play after a stop starts again")
        << stopped << ctl("play") << 0 << QStringLiteral("Playing #1 正在播放第 >| f0 v-35 once /m/a.mp3");
    QTest::newRow("next skips what is no MP3")
        << playing << ctl("next") << 0 << QStringLiteral("Playing #3 正在播放第 >| f0 v-35 once /m/c.MP3");
    QTest::newRow("previous")
        << QStringList{QStringLiteral("select:3"), QStringLiteral("play")} << ctl("previous") << 0
        << QStringLiteral("Playing #3 正在播放第 >| f0 v-35 once /m/c.MP3");
    QTest::newRow("previous on the first entry: refused")
        << playing << call("Previous") << 1 << QStringLiteral("Playing #1 正在播放第 >| f0 v-35 once /m/a.mp3");
    QTest::newRow("next while paused: refused")
        << paused << call("Next") << 1 << QStringLiteral("Paused #1 暂停播放第 > f0 v-35 once /m/a.mp3");
    QTest::newRow("position absolute") << heard100 << ctl("position 10") << 0
                                       << QStringLiteral("Playing #1 正在播放第 >| f383 v-35 once /m/a.mp3 seeks:383");
    QTest::newRow("position forward, under 355 frames")
        << heard100 << ctl("position 2+") << 0 << QStringLiteral("Playing #1 正在播放第 >| f177 v-35 once /m/a.mp3 seeks:177");
    QTest::newRow("seek back before the start: 0")
        << heard100 << QStringList{QStringLiteral("dbus-send"), dbusPlayer + QLatin1String("Seek"), QStringLiteral("int64:-30000000")}
        << 0 << QStringLiteral("Playing #1 正在播放第 >| f0 v-35 once /m/a.mp3 seeks:0");
    QTest::newRow("position past the end: next")
        << heard100 << ctl("position 100") << 0 << QStringLiteral("Playing #3 正在播放第 >| f100 v-35 once /m/c.MP3");
    QTest::newRow("seek while stopped: refused")
        << stopped << QStringList{QStringLiteral("dbus-send"), dbusPlayer + QLatin1String("Seek"), QStringLiteral("int64:1000000")}
        << 1 << QStringLiteral("Stopped #1 停止播放第 >| f0 v-35 once /m/a.mp3");
    QTest::newRow("volume") << playing << ctl("volume 0.5") << 0
                            << QStringLiteral("Playing #1 正在播放第 >| f0 v-50 once /m/a.mp3");
    QTest::newRow("volume above 1: the slider's top")
        << playing
        << QStringList{QStringLiteral("dbus-send"), QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                       QStringLiteral("string:org.mpris.MediaPlayer2.Player"), QStringLiteral("string:Volume"),
                       QStringLiteral("variant:double:1.5")}
        << 0 << QStringLiteral("Playing #1 正在播放第 >| f0 v-100 once /m/a.mp3");
    QTest::newRow("volume while its slider is disabled: ignored")
        << paused << ctl("volume 0.9") << 0 << QStringLiteral("Paused #1 暂停播放第 > f0 v-35 once /m/a.mp3");
    QTest::newRow("loop Track ticks the box")
        << playing << ctl("loop Track") << 0 << QStringLiteral("Playing #1 正在播放第 >| f0 v-35 loop /m/a.mp3");
    QTest::newRow("loop None unticks it")
        << playing + QStringList{QStringLiteral("loopbox")} << ctl("loop None") << 0
        << QStringLiteral("Playing #1 正在播放第 >| f0 v-35 once /m/a.mp3");
}

void MprisTest::commands()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    for (const QString &s : before)
        step(s);
    const qsizetype boxes = m_desktop.messages.shown.size();
    QCOMPARE(client(command), exitCode);
    QCOMPARE(summary(), expected);
    QCOMPARE(m_desktop.messages.shown.size(), boxes);
    const bool raised = command.last().endsWith(QLatin1String(".Raise"));
    QCOMPARE(player().window()->isVisible(), raised || !expected.startsWith(QLatin1String("Idle")));
    QCOMPARE(main().action(Command::HidePlayer)->isEnabled(), player().window()->isVisible());
}

void MprisTest::announcements_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("announced");   // sorted; Position never
    QTest::addColumn<QList<qlonglong>>("seeked");

    const QStringList playing{QStringLiteral("select:0"), QStringLiteral("play"), QStringLiteral("frame:100")};
    const auto us = [](qint64 frame) { return qlonglong(std::llround(double(frame) * double(FakeMp3Control::Track().msPerFrame) * 1000)); };
    QTest::newRow("a start") << QStringList{QStringLiteral("select:0")} << QStringList{QStringLiteral("play")}
                             << QStringList{"CanGoNext", "CanPause", "CanSeek", "Metadata", "PlaybackStatus"} << QList<qlonglong>{};
    QTest::newRow("pause") << playing << QStringList{QStringLiteral("zanting")}
                           << QStringList{"CanGoNext", "CanSeek", "PlaybackStatus"} << QList<qlonglong>{};
    QTest::newRow("progress is no seek") << playing << QStringList{QStringLiteral("frame:300")} << QStringList{}
                                         << QList<qlonglong>{};
    QTest::newRow("the slider") << playing << QStringList{QStringLiteral("slider:800")} << QStringList{}
                                << QList<qlonglong>{us(800)};
    QTest::newRow(">> and <<") << playing << QStringList{QStringLiteral("kuaijin"), QStringLiteral("frame:455"), QStringLiteral("kuaitui")}
                               << QStringList{} << QList<qlonglong>{us(455), us(100)};
    QTest::newRow("the loop box") << playing << QStringList{QStringLiteral("loopbox")} << QStringList{"LoopStatus"}
                                  << QList<qlonglong>{};
}

void MprisTest::announcements()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, announced);
    QFETCH(QList<qlonglong>, seeked);
    for (const QString &s : before)
        step(s);
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("watcher"));
    const auto done = qScopeGuard([] { QDBusConnection::disconnectFromBus(QStringLiteral("watcher")); });
    BusWatcher watcher;
    const QString name = MprisService::busName();
    QVERIFY(other.connect(name, MprisService::kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                          QStringLiteral("PropertiesChanged"), &watcher,
                          SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
    QVERIFY(other.connect(name, MprisService::kObjectPath, QStringLiteral("org.mpris.MediaPlayer2.Player"),
                          QStringLiteral("Seeked"), &watcher, SLOT(seekedTo(qlonglong))));
    QCOMPARE(client({QStringLiteral("playerctl"), QStringLiteral("status")}), 0);   // the match rules are in place
    for (const QString &s : steps)
        step(s);
    QCOMPARE(client({QStringLiteral("playerctl"), QStringLiteral("status")}), 0);   // all told has arrived
    QStringList heard = watcher.announced;
    heard.removeDuplicates();
    heard.sort();
    QCOMPARE(heard.join(QLatin1Char(' ')), announced.join(QLatin1Char(' ')));
    QCOMPARE(watcher.seeked, seeked);
    // What was told is what is read.
    for (auto it = watcher.last.cbegin(); it != watcher.last.cend(); ++it) {
        const QVariant told = it.value().canConvert<QDBusArgument>()
                                  ? QVariant(qdbus_cast<QVariantMap>(it.value().value<QDBusArgument>()))
                                  : it.value();
        QCOMPARE(told, m_windows->mpris().announcedProperties().value(it.key()));
    }
}

// What the desktop shows of a track: the list's own title line first, a new
// track id at every start, the total the window shows.
void MprisTest::metadata()
{
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("set.m3u"));
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#EXTM3U\r\n#EXTINF:26,Kept Title\r\n/m/a.mp3\r\n/m/c.MP3\r\n");
    file.close();
    main().openFiles({list});
    QVERIFY(waitForIdle(main().work()));
    QCOMPARE(main().playlist().count(), 2);
    const QStringList format{QStringLiteral("playerctl"), QStringLiteral("metadata"), QStringLiteral("--format"),
                             QStringLiteral("{{mpris:trackid}}|{{xesam:url}}|{{xesam:title}}|{{mpris:length}}")};
    QString shown;
    QCOMPARE(client(format, &shown), 0);
    QCOMPARE(shown, QStringLiteral("'/org/mpris/MediaPlayer2/TrackList/NoTrack'|||"));
    step(QStringLiteral("select:0"));
    QCOMPARE(client({QStringLiteral("playerctl"), QStringLiteral("play")}), 0);
    QCOMPARE(client(format, &shown), 0);
    QCOMPARE(shown, QStringLiteral("'/org/melvora/Track/1'|file:///m/a.mp3|Kept Title|26122000"));
    FakeMp3Control::Track scanned;
    scanned.lengthMs = 30000;
    m_component->revealFigures(scanned);
    step(QStringLiteral("bofang"));   // disabled while playing: nothing
    QCOMPARE(client(format, &shown), 0);
    QCOMPARE(shown, QStringLiteral("'/org/melvora/Track/1'|file:///m/a.mp3|Kept Title|30000000"));
    QCOMPARE(client({QStringLiteral("playerctl"), QStringLiteral("next")}), 0);
    QCOMPARE(client(format, &shown), 0);
    QCOMPARE(shown, QStringLiteral("'/org/melvora/Track/2'|file:///m/c.MP3||26122000"));
    // A position for the track before is ignored.
    step(QStringLiteral("frame:100"));
    QCOMPARE(client({QStringLiteral("dbus-send"), QStringLiteral("org.mpris.MediaPlayer2.Player.SetPosition"),
                     QStringLiteral("objpath:/org/melvora/Track/1"), QStringLiteral("int64:10000000")}),
             0);
    QCOMPARE(m_component->seeks, QList<qint32>{});
}

// Each program is an instance of its own, by its process id.
void MprisTest::twoProgramsTwoInstances()
{
    QList<std::shared_ptr<QProcess>> programs;
    const auto stop = qScopeGuard([&programs] {
        for (const auto &p : std::as_const(programs)) {
            p->kill();
            p->waitForFinished();
        }
    });
    QStringList expected{MprisService::busName().section(QLatin1Char('.'), 3)};
    for (int i = 0; i < 2; ++i) {
        auto p = std::make_shared<QProcess>();
        p->start(QStringLiteral(MELVORA_EXECUTABLE), {});
        QVERIFY(p->waitForStarted());
        expected << QStringLiteral("melvora.instance%1").arg(p->processId());
        programs << p;
    }
    expected.sort();
    QVERIFY(QTest::qWaitFor([&] {
        QProcess list;
        list.start(QStringLiteral("playerctl"), {QStringLiteral("--list-all")});
        if (!QTest::qWaitFor([&] { return list.state() == QProcess::NotRunning; }, 5000))
            return false;
        QStringList names = QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        names.sort();
        return names == expected;
    }, 20000));
}

QTEST_MAIN(MprisTest)
#include "tst_mpris.moc"
