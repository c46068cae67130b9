#include "app/program_windows.h"

ProgramWindows::ProgramWindows(MessageBox &messages, FileDialog &dialog, Drives &drives, const KeyState &keys,
                               AuxWindows &auxWindows, const FileProbe &files, RepairDialogs &repairs,
                               PlayerHost::ComponentFactory component)
    : m_main(messages, dialog, drives, keys, auxWindows, files, repairs),
      m_list(m_main.playlist()),
      m_player(m_list, std::move(component))
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
    // The player window is loaded with the main window and hidden at once.
    m_player.hideWindow();
}
