#include "main_window/command_names.h"

#include <array>
#include <utility>

namespace {

constexpr QLatin1StringView name(const char *text)
{
    return QLatin1StringView(text);
}

// One row per enumerator, in enum order; the checks below refuse to compile a
// table with a row missing, added or out of place.
constexpr std::array kCommands = {
    std::pair{Command::NewList, name("menunew")},
    std::pair{Command::OpenList, name("MENUOPEN")},
    std::pair{Command::SaveList, name("menusave")},
    std::pair{Command::SaveListAs, name("menusaveas")},
    std::pair{Command::PlaySelected, name("menuplay")},
    std::pair{Command::Quit, name("menuquit")},
    std::pair{Command::AddAll, name("menuselec")},
    std::pair{Command::Delete, name("menudell")},
    std::pair{Command::Clear, name("menuclear")},
    std::pair{Command::MoveUp, name("menuup")},
    std::pair{Command::MoveDown, name("menudown")},
    std::pair{Command::MoveToTop, name("MENUFIRST")},
    std::pair{Command::MoveToBottom, name("MENULAST")},
    std::pair{Command::InsertListFile, name("menuinsert")},
    std::pair{Command::InsertAfter, name("menuinsertback")},
    std::pair{Command::InsertBefore, name("menuinsertfront")},
    std::pair{Command::Undo, name("menuundo")},
    std::pair{Command::ShowPlayer, name("MENUOPENFORM3")},
    std::pair{Command::HidePlayer, name("MENUCLOSEFORM3")},
    std::pair{Command::Help, name("help")},
    std::pair{Command::About, name("aboutme")},
    std::pair{Command::Declaration, name("xuanyan")},
    std::pair{Command::ExportList, name("menuexport")},
    std::pair{Command::PopupUndo, name("poplist1undo")},
    std::pair{Command::PopupDelete, name("poplist1del")},
    std::pair{Command::PopupPlay, name("poplist1play")},
    std::pair{Command::PopupMoveToTop, name("POPLIST1FIRST")},
    std::pair{Command::PopupMoveToBottom, name("POPLIST1LAST")},
    std::pair{Command::PopupMoveUp, name("poplist1up")},
    std::pair{Command::PopupMoveDown, name("poplist1down")},
    std::pair{Command::FindInList, name("menufind")},
    std::pair{Command::SelectNextMissing, name("menunextmissing")},
    std::pair{Command::RemoveMissing, name("menuremovemissing")},
    std::pair{Command::RelocateMissing, name("menurelocate")},
    std::pair{Command::ReplacePrefix, name("menureplaceprefix")},
    std::pair{Command::SortByPath, name("menusortpath")},
    std::pair{Command::SortByFileName, name("menusortname")},
    std::pair{Command::SortByFolder, name("menusortfolder")},
    std::pair{Command::SortReversed, name("menusortreverse")},
    std::pair{Command::SortShuffled, name("menusortshuffle")},
};

constexpr std::array kLabels = {
    std::pair{Label::CountPrefix, name("Label4")},
    std::pair{Label::Count, name("Label5")},
    std::pair{Label::CountSuffix, name("Label6")},
    std::pair{Label::ListNameCaption, name("Label7")},
    std::pair{Label::ListPath, name("Label8")},
    std::pair{Label::PositionCaption, name("Label9")},
    std::pair{Label::Position, name("Label10")},
};

template <typename Table>
constexpr bool inEnumOrder(const Table &table)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (std::size_t(table[i].first) != i)
            return false;
    return true;
}
static_assert(kCommands.size() == kCommandCount && inEnumOrder(kCommands),
              "every Command needs its row, in enum order");
static_assert(kLabels.size() == kLabelCount && inEnumOrder(kLabels),
              "every Label needs its row, in enum order");

} // namespace

QLatin1StringView commandName(Command command)
{
    return kCommands[std::size_t(command)].second;
}

QLatin1StringView labelName(Label label)
{
    return kLabels[std::size_t(label)].second;
}
