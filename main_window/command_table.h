#pragma once
#include "model/commands.h"

#include <QKeyCombination>

#include <array>
#include <functional>
#include <optional>
#include <span>

class MainWindow;
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The menus the window's commands sit in. File to Help are the menu bar's,
// in its order; InsertPlace (插入位置) opens from Edit, Sort (排序) from Tools;
// Popup is List1's pop-up menu and never enters the menu bar.
enum class Menu { File, Edit, InsertPlace, Window, Tools, Sort, Help, Popup };
inline constexpr std::size_t kMenuCount = std::size_t(Menu::Popup) + 1;

struct MenuRow {
    Menu menu;
    const char *name;   // object name of the QMenu and of its menu action
    const char *title;
    std::optional<Menu> parent;   // none: a menu of its own (the menu bar's unless `inBar` is off)
    bool inBar = true;
};

// A button of Toolbar1. Positions count from 1, separators included.
struct ToolbarSlot {
    int position = 0;   // 0: not on the toolbar
    const char *key = nullptr;
    const char *tip = nullptr;
    int picture = 0;   // in the toolbar's pictures, from 1
};

// One command of the window: its action and where it shows, and what it does.
// A row has either `run` (an item that runs it) or `fill` (a submenu whose
// items are made each time it opens).
struct CommandRow {
    Command command;
    const char *name;      // object name of its action
    const char *caption;   // UTF-8
    std::optional<QKeyCombination> keys = {};
    Menu menu;
    const char *separatorBefore = nullptr;   // object name of a separator drawn just before it
    // Its check mark shows a state its handler's object keeps: a click does
    // not toggle the mark by itself.
    bool checkable = false;
    ToolbarSlot toolbar = {};
    void (*run)(MainWindow &) = nullptr;
    // Handed the submenu, emptied, each time it is about to show.
    void (*fill)(MainWindow &, QMenu &) = nullptr;
};

// The window's tables: every Command once, in enum order; every Menu once.
std::span<const CommandRow> commandRows();
const CommandRow &commandRow(Command command);
std::span<const MenuRow> menuRows();

inline constexpr int kToolbarLength = 14;
// The row of the button at `position` (1 to kToolbarLength); null for a separator.
const CommandRow *toolbarRow(int position);

struct CommandMenus {
    std::array<QAction *, kCommandCount> actions{};   // by Command; null where no row names it
    std::array<QMenu *, kMenuCount> menus{};          // by Menu; null where `menus` has no row
};
// Makes the menus of `menus` (those of the bar added to `bar`, in order) and
// an action for each of `rows`, owned by `owner`, under its name, caption and
// shortcut, appended to its menu in row order after the separator named
// before it. A submenu takes its place in its parent where its first command
// comes. A triggered item calls `run` with its row; a `fill` row is a submenu
// instead, emptied and handed to `fill` each time it is about to show.
CommandMenus buildCommandMenus(QWidget *owner, QMenuBar *bar, std::span<const MenuRow> menus,
                               std::span<const CommandRow> rows, const std::function<void(const CommandRow &)> &run,
                               const std::function<void(const CommandRow &, QMenu &)> &fill);
