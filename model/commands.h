#pragma once
#include <cstddef>

// The main window's menu and pop-up commands. The window's table
// (main_window/command_table.cpp) gives each its row, with its object name (in
// brackets), in this order: a command is added as an enumerator here and a row
// with its handler there.
enum class Command {
    NewList,            // menunew
    OpenList,           // MENUOPEN
    SaveList,           // menusave
    SaveListAs,         // menusaveas
    PlaySelected,       // menuplay
    Quit,               // menuquit
    AddAll,             // menuselec
    Delete,             // menudell
    Clear,              // menuclear
    MoveUp,             // menuup
    MoveDown,           // menudown
    MoveToTop,          // MENUFIRST
    MoveToBottom,       // MENULAST
    InsertListFile,     // menuinsert
    InsertAfter,        // menuinsertback
    InsertBefore,       // menuinsertfront
    Undo,               // menuundo
    ShowPlayer,         // MENUOPENFORM3
    HidePlayer,         // MENUCLOSEFORM3
    Help,               // help
    About,              // aboutme
    Declaration,        // xuanyan
    ExportList,         // menuexport (工具)
    ReopenInEncoding,   // menureopenencoding (工具): a submenu of encodings
    OutputDevice,       // menuoutputdevice: the preview's output, a submenu
    PopupUndo,          // poplist1undo
    PopupDelete,        // poplist1del
    PopupPlay,          // poplist1play
    PopupMoveToTop,     // POPLIST1FIRST
    PopupMoveToBottom,  // POPLIST1LAST
    PopupMoveUp,        // poplist1up
    PopupMoveDown,      // poplist1down
    // The 工具 menu's list repairs, find and orders.
    FindInList,         // menufind
    SelectNextMissing,  // menunextmissing
    RemoveMissing,      // menuremovemissing
    RelocateMissing,    // menurelocate
    ReplacePrefix,      // menureplaceprefix
    SortByPath,         // menusortpath
    SortByFileName,     // menusortname
    SortByFolder,       // menusortfolder
    SortReversed,       // menusortreverse
    SortShuffled,       // menusortshuffle
};
inline constexpr std::size_t kCommandCount = std::size_t(Command::SortShuffled) + 1;

// The captioned labels of the main window, by what they show (object name in brackets).
enum class Label {
    CountPrefix,       // Label4: "现在一共"
    Count,             // Label5: the number of entries
    CountSuffix,       // Label6: "首歌曲"
    ListNameCaption,   // Label7 (hidden)
    ListPath,          // Label8 (hidden): four blanks and the list file's path
    PositionCaption,   // Label9: "当前位置"
    Position,          // Label10: the selected position, 1-based
};
inline constexpr std::size_t kLabelCount = std::size_t(Label::Position) + 1;
