#pragma once
#include "main_window/main_window.h"
#include "player/mpris_service.h"
#include "player/output_choice.h"
#include "player/player_host.h"
#include "app/playlist_for_player.h"

class AuxWindows;
class Drives;
class FileDialog;
class KeyState;
class MessageBox;
class QSettings;

// The program's windows wired together as at start-up: the main window, and
// the player window's host, which has loaded the player window hidden (it
// reads the main window's list and is told the playing track's position). The
// about and declaration windows come with `auxWindows`. The MPRIS service
// drives the player through the main window's play and show commands.
class ProgramWindows {
public:
    ProgramWindows(MessageBox &messages, FileDialog &dialog, Drives &drives, const KeyState &keys,
                   AuxWindows &auxWindows, const FileProbe &files, RepairDialogs &repairs,
                   PlayerHost::ComponentFactory component = {}, QSettings *settings = nullptr,
                   OutputChoice::Lister outputs = {});

    MainWindow &mainWindow() { return m_main; }
    PlayerHost &player() { return m_player; }
    // The player as the desktop sees it (published by main() where a session bus answers).
    MprisService &mpris() { return m_mpris; }
    // The preview's output (the tools menu's «预听输出设备(&O)»); remembered
    // in `settings` where given. Without a component factory the players
    // play on it; `outputs` lists the system's (by default the sound server's).
    OutputChoice &outputChoice() { return m_output; }

private:
    OutputChoice m_output;   // before the player, whose components follow it
    MainWindow m_main;
    PlaylistForPlayer m_list;
    PlayerHost m_player;
    MprisService m_mpris;
};
