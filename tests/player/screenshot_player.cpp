// Saves pictures of the player window while it plays, for people to look at:
// run under a display (tools/screenshot.sh starts one, with a window manager
// when there is one). Not a test.
#include "tests/common/screenshots.h"
#include "player/fakes/fake_player_list.h"
#include "platform/fonts.h"
#include "player/form3.h"
#include "player/player_host.h"
#include "player/player_state.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// A three-minute tone, so the boxes show a real length; the short test tone
// when sox or lame is missing.
QString makeTrack(const QDir &dir, const QString &name)
{
    const QString mp3 = dir.filePath(name);
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    const bool made =
        QProcess::execute(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                                                  QStringLiteral("-c"), QStringLiteral("2"), wav,
                                                  QStringLiteral("synth"), QStringLiteral("185"),
                                                  QStringLiteral("sine"), QStringLiteral("440"),
                                                  QStringLiteral("vol"), QStringLiteral("0.3")}) == 0
        && QProcess::execute(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"),
                                                      QStringLiteral("128"), wav, mp3}) == 0;
    QFile::remove(wav);
    if (!made)
        QFile::copy(QStringLiteral(MELVORA_PLAYER_TEST_DATA "/tone440.mp3"), mp3);
    return mp3;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(Fonts::interfaceFont());
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);

    QTemporaryDir tmp;
    QDir music(tmp.path());
    FakePlayerList list;
    list.entries << music.filePath(QStringLiteral("甜蜜蜜.wma"))
                 << makeTrack(music, QStringLiteral("月亮代表我的心.mp3"))
                 << music.filePath(QStringLiteral("夜来香.mp3"));
    list.selected = 1;

    PlayerHost host(list);
    host.showWindow();
    host.setTrackPosition(2, int(list.entries.size()));
    settle(600);
    // Forward a little, so the boxes and the slider show some progress.
    for (int i = 0; i < 5; ++i)
        host.state()->click(Player::Control::kuaijin), settle(150);
    settle(700);

    bool ok = save(host.window()->grab(), out + QStringLiteral("/melvora-player.png"));
    // The whole screen: the window with its frame, docked at the bottom right.
    ok = save(host.window()->screen()->grabWindow(0), out + QStringLiteral("/melvora-player-screen.png")) && ok;

    // Paused: the pause button reads ">", navigation and sliders are off.
    host.state()->click(Player::Control::zanting);
    settle(300);
    ok = save(host.window()->grab(), out + QStringLiteral("/melvora-player-paused.png")) && ok;
    host.closeWindow();
    return ok ? 0 : 1;
}
