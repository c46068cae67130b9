#pragma once
#include "main_window/main_window.h"
#include "player/player_host.h"
#include "app/playlist_for_player.h"

class AuxWindows;
class Drives;
class FileDialog;
class KeyState;
class MessageBox;

// The program's windows wired together as at start-up: the main window, and
// the player window's host, which has loaded the player window hidden (it
// reads the main window's list and is told the playing track's position). The
// about and declaration windows come with `auxWindows`.
class ProgramWindows {
public:
    ProgramWindows(MessageBox &messages, FileDialog &dialog, Drives &drives, const KeyState &keys,
                   AuxWindows &auxWindows, const FileProbe &files, RepairDialogs &repairs,
                   PlayerHost::ComponentFactory component = {});

    MainWindow &mainWindow() { return m_main; }
    PlayerHost &player() { return m_player; }

private:
    MainWindow m_main;
    PlaylistForPlayer m_list;
    PlayerHost m_player;
};
