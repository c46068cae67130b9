#include "app/program_windows.h"

#include "main_window/command_names.h"
#include "main_window/status_bar.h"
#include "player/component/device_output.h"
#include "player/mp3_player_control.h"

#include <QActionGroup>
#include <QMenu>
#include "main_window/list_tags.h"
#include "playlist_io/entry_facts.h"

namespace {
// The entry's own lines first, then what its file's tags were read to say.
MprisService::TrackText describeTrack(MainWindow &main, const QString &path)
{
    const Playlist &list = main.playlist();
    const int at = list.indexOf(path);
    const TrackTags kept =
        at >= 0 ? keptFacts(main.workflow().document().fileOf(list.lines(at)), list.lines(at)) : TrackTags{};
    const TrackTags read = main.listTags().known(path).value_or(TrackTags{});
    const auto first = [](const QString &a, const QString &b) { return a.isEmpty() ? b : a; };
    return {first(kept.title, read.title), first(kept.artist, read.artist), first(kept.album, read.album)};
}

// The outputs on offer, the one in use checked. They are asked for again as
// the submenu opens, and it is filled again when they come back different.
void fillOutputMenu(QMenu &menu, OutputChoice &choice)
{
    menu.clear();
    qDeleteAll(menu.findChildren<QActionGroup *>(Qt::FindDirectChildrenOnly));
    auto *group = new QActionGroup(&menu);
    const QList<OutputDevice> offered = choice.offered();
    const QString inUse = choice.inUse(offered);
    for (const OutputDevice &device : offered) {
        QAction *item = menu.addAction(device.description);
        item->setCheckable(true);
        item->setChecked(device.name == inUse);
        item->setActionGroup(group);
        QObject::connect(item, &QAction::triggered, &choice, [&choice, name = device.name] { choice.choose(name); });
    }
}

MprisService::MainCommands mainCommands(MainWindow &main)
{
    return {
        [&main] {
            if (main.selectedPlay() != MainWindow::SelectedPlay::Plays)
                return false;
            main.action(Command::PlaySelected)->trigger();
            return true;
        },
        [&main] { main.action(Command::ShowPlayer)->trigger(); },
        [&main](const QString &path) { return describeTrack(main, path); },
    };
}
} // namespace

ProgramWindows::ProgramWindows(MessageBox &messages, FileDialog &dialog, Drives &drives, const KeyState &keys,
                               AuxWindows &auxWindows, const FileProbe &files, RepairDialogs &repairs,
                               PlayerHost::ComponentFactory component, QSettings *settings,
                               OutputChoice::Lister outputs)
    : m_output(outputs ? std::move(outputs) : OutputChoice::Lister(&deviceOutputs), settings),
      m_main(messages, dialog, drives, keys, auxWindows, files, repairs),
      m_list(m_main.playlist()),
      m_player(m_list, component ? std::move(component) : PlayerHost::ComponentFactory([target = m_output.target()] {
          return new Mp3PlayerControl(target);
      })),
      m_mpris(m_player, mainCommands(m_main))
{
    m_main.setPlayerLink(&m_player);
    QObject::connect(&m_player, &PlayerHost::playingPathChanged, &m_main, &MainWindow::setPlayingPath);
    QObject::connect(&m_player, &PlayerHost::hiddenByUser, &m_main, &MainWindow::playerWindowHidden);
    // A track that cannot start unloads the player window and brings the main
    // window back. Queued: it may happen inside the play command, which
    // switches the menu pair to "hide" afterwards.
    QObject::connect(
        &m_player, &PlayerHost::showMainWindowRequested, &m_main,
        [this] {
            m_main.playerWindowHidden();
            m_main.showNormal();
            m_main.raise();
            m_main.activateWindow();
        },
        Qt::QueuedConnection);
    // What the desktop shows of the playing track: its tags, once read.
    QObject::connect(&m_player, &PlayerHost::playingPathChanged, &m_main,
                     [this](const QString &path) { m_main.listTags().prefetch({path}); });
    QObject::connect(&m_main.listTags(), &ListTags::tagsRead, &m_mpris, &MprisService::refresh);
    m_main.setOutputMenuFiller([this](QMenu &menu) {
        fillOutputMenu(menu, m_output);
        m_output.refresh();
    });
    QObject::connect(&m_output, &OutputChoice::offeredChanged, &m_main, [this] {
        if (auto *menu = m_main.action(Command::OutputDevice)->menu<QMenu *>(); menu && menu->isVisible())
            fillOutputMenu(*menu, m_output);
    });
    QObject::connect(&m_output, &OutputChoice::noteChanged, m_main.statusBar1(), &StatusBar::setNote);
    // The player window is loaded with the main window and hidden at once.
    m_player.hideWindow();
}
