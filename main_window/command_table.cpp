#include "main_window/command_table.h"

#include "aux_windows/aux_windows.h"
#include "main_window/command_names.h"
#include "main_window/export/list_export.h"
#include "main_window/find_bar.h"
#include "main_window/list_tools.h"
#include "main_window/main_window.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

constexpr MenuRow kMenus[] = {
    {Menu::File, "menufile", "文件(&F)", {}},
    {Menu::Edit, "menuedit", "编辑(&E)", {}},
    {Menu::InsertPlace, "menuinsertwei", "插入位置", Menu::Edit},
    {Menu::Window, "MENUKAN", "窗口(&W)", {}},
    // Commands of our own, beyond the list editor's: exports and list repairs.
    {Menu::Tools, "menutools", "工具(&T)", {}},
    {Menu::Sort, "menusort", "排序(&S)", Menu::Tools},
    {Menu::Help, "menuabout", "帮助(&H)", {}},
    {Menu::Popup, "POPLIST1", "list1", {}, false},
};

constexpr auto ctrl(Qt::Key key)
{
    return Qt::CTRL | key;
}

// One row per Command, in enum order; in each menu, items come in row order.
// Ctrl+C, Ctrl+Z and Ctrl+X are list commands here, not the clipboard. The
// toolbar's buttons are never disabled, so each handler checks its own
// precondition.
constexpr CommandRow kRows[] = {
    {.command = Command::NewList, .name = "menunew", .caption = "新建", .keys = ctrl(Qt::Key_N), .menu = Menu::File,
     .toolbar = {1, "TBNEW", "新建", 1}, .run = [](MainWindow &w) { w.workflow().newlist(); }},
    {.command = Command::OpenList, .name = "MENUOPEN", .caption = "读取列表...", .keys = ctrl(Qt::Key_O),
     .menu = Menu::File, .toolbar = {2, "TBOPEN", "读取列表", 2}, .run = [](MainWindow &w) { w.workflow().openlist(); }},
    {.command = Command::SaveList, .name = "menusave", .caption = "保存列表...", .keys = ctrl(Qt::Key_S),
     .menu = Menu::File, .toolbar = {3, "TBSAVE", "保存列表", 3}, .run = [](MainWindow &w) { w.workflow().savelist(); }},
    {.command = Command::SaveListAs, .name = "menusaveas", .caption = "另存为...", .menu = Menu::File,
     .toolbar = {5, "TBSAVEAS", "另存为...", 4}, .run = [](MainWindow &w) { w.workflow().saveaslist(); }},
    {.command = Command::PlaySelected, .name = "menuplay", .caption = "播放选中的文件...", .keys = ctrl(Qt::Key_P),
     .menu = Menu::File, .toolbar = {14, "TBPLAY", "播放", 10}, .run = [](MainWindow &w) { w.playSelected(); }},
    {.command = Command::Quit, .name = "menuquit", .caption = "退出", .keys = ctrl(Qt::Key_Q), .menu = Menu::File,
     .separatorBefore = "MENUBAR", .run = [](MainWindow &w) { w.workflow().quitprogram(); }},

    {.command = Command::AddAll, .name = "menuselec", .caption = "全选", .keys = ctrl(Qt::Key_A), .menu = Menu::Edit,
     .toolbar = {7, "TBSELEC", "全选", 5}, .run = [](MainWindow &w) { w.addAll(); }},
    {.command = Command::Delete, .name = "menudell", .caption = "删除", .keys = ctrl(Qt::Key_D), .menu = Menu::Edit,
     .toolbar = {8, "TBDELL", "删除", 6}, .run = [](MainWindow &w) { w.playlist().deleteentry(); }},
    {.command = Command::Clear, .name = "menuclear", .caption = "清空", .keys = ctrl(Qt::Key_C), .menu = Menu::Edit,
     .toolbar = {9, "TBCLEAR", "清空", 7}, .run = [](MainWindow &w) { w.playlist().clearlist(); }},
    {.command = Command::MoveUp, .name = "menuup", .caption = "上移", .keys = ctrl(Qt::Key_Z), .menu = Menu::Edit,
     .toolbar = {11, "TBUP", "上移", 8}, .run = [](MainWindow &w) { w.playlist().moveup(); }},
    {.command = Command::MoveDown, .name = "menudown", .caption = "下移", .keys = ctrl(Qt::Key_X), .menu = Menu::Edit,
     .toolbar = {12, "TBDOWN", "下移", 9}, .run = [](MainWindow &w) { w.playlist().movedown(); }},
    {.command = Command::MoveToTop, .name = "MENUFIRST", .caption = "移到顶端", .menu = Menu::Edit,
     .run = [](MainWindow &w) { w.playlist().movetotop(); }},
    {.command = Command::MoveToBottom, .name = "MENULAST", .caption = "移到最后", .menu = Menu::Edit,
     .run = [](MainWindow &w) { w.playlist().movetobottom(); }},
    {.command = Command::InsertListFile, .name = "menuinsert", .caption = "插入列表文件", .keys = ctrl(Qt::Key_I),
     .menu = Menu::Edit, .separatorBefore = "MENUBAR0", .run = [](MainWindow &w) { w.workflow().insertlistfile(); }},
    {.command = Command::InsertAfter, .name = "menuinsertback", .caption = "插入后面", .menu = Menu::InsertPlace,
     .checkable = true, .run = [](MainWindow &w) { w.playlist().setInsertAfterMode(); }},
    {.command = Command::InsertBefore, .name = "menuinsertfront", .caption = "插入前面", .menu = Menu::InsertPlace,
     .checkable = true, .run = [](MainWindow &w) { w.playlist().setInsertBeforeMode(); }},
    {.command = Command::Undo, .name = "menuundo", .caption = "撤销", .keys = ctrl(Qt::Key_U), .menu = Menu::Edit,
     .separatorBefore = "MENUBAR00", .run = [](MainWindow &w) { w.playlist().undo(); }},

    {.command = Command::ShowPlayer, .name = "MENUOPENFORM3", .caption = "显示播放窗口", .keys = Qt::Key_F2,
     .menu = Menu::Window, .run = [](MainWindow &w) { w.showPlayer(); }},
    {.command = Command::HidePlayer, .name = "MENUCLOSEFORM3", .caption = "隐藏播放窗口", .keys = Qt::Key_F3,
     .menu = Menu::Window, .run = [](MainWindow &w) { w.hidePlayer(); }},

    {.command = Command::Help, .name = "help", .caption = "帮助...", .keys = Qt::Key_F1, .menu = Menu::Help,
     .run = [](MainWindow &w) { w.auxWindows().openHelp(); }},
    {.command = Command::About, .name = "aboutme", .caption = "关于...", .menu = Menu::Help,
     .run = [](MainWindow &w) { w.auxWindows().showAbout(); }},
    {.command = Command::Declaration, .name = "xuanyan", .caption = "宣言...", .menu = Menu::Help,
     .separatorBefore = "MENUBAR000", .run = [](MainWindow &w) { w.auxWindows().showDeclaration(); }},

    {.command = Command::ExportList, .name = "menuexport", .caption = "导出列表(&E)…", .menu = Menu::Tools,
     .run = [](MainWindow &w) { w.listExport().open(); }},
    {.command = Command::ReopenInEncoding, .name = "menureopenencoding", .caption = "以其他编码重新打开(&C)",
     .menu = Menu::Tools, .fill = [](MainWindow &w, QMenu &menu) { w.fillEncodings(menu); }},
    {.command = Command::OutputDevice, .name = "menuoutputdevice", .caption = "预听输出设备(&O)", .menu = Menu::Tools,
     .fill = [](MainWindow &w, QMenu &menu) { w.fillOutputMenu(menu); }},

    // The pop-up runs the menus' operations, without shortcuts.
    {.command = Command::PopupUndo, .name = "poplist1undo", .caption = "撤销(&U)", .menu = Menu::Popup,
     .run = [](MainWindow &w) { w.playlist().undo(); }},
    {.command = Command::PopupDelete, .name = "poplist1del", .caption = "删除(&D)", .menu = Menu::Popup,
     .separatorBefore = "MENUBAR1", .run = [](MainWindow &w) { w.playlist().deleteentry(); }},
    {.command = Command::PopupPlay, .name = "poplist1play", .caption = "播放...(&P)", .menu = Menu::Popup,
     .run = [](MainWindow &w) { w.playSelected(); }},
    {.command = Command::PopupMoveToTop, .name = "POPLIST1FIRST", .caption = "移到顶端(&A)", .menu = Menu::Popup,
     .separatorBefore = "MENUBAR11", .run = [](MainWindow &w) { w.playlist().movetotop(); }},
    {.command = Command::PopupMoveToBottom, .name = "POPLIST1LAST", .caption = "移到最后(&Z)", .menu = Menu::Popup,
     .run = [](MainWindow &w) { w.playlist().movetobottom(); }},
    {.command = Command::PopupMoveUp, .name = "poplist1up", .caption = "上移(&W)", .menu = Menu::Popup,
     .run = [](MainWindow &w) { w.playlist().moveup(); }},
    {.command = Command::PopupMoveDown, .name = "poplist1down", .caption = "下移(&Q)", .menu = Menu::Popup,
     .run = [](MainWindow &w) { w.playlist().movedown(); }},

    // The list's repairs are a section of their own, after any command before
    // them (a leading separator is not drawn).
    {.command = Command::FindInList, .name = "menufind", .caption = "查找(&F)…", .keys = ctrl(Qt::Key_F),
     .menu = Menu::Tools, .separatorBefore = "menutoolsheal", .run = [](MainWindow &w) { w.findBar()->open(); }},
    {.command = Command::SelectNextMissing, .name = "menunextmissing", .caption = "选中下一个缺失的文件(&N)",
     .menu = Menu::Tools, .run = [](MainWindow &w) { w.listTools().selectNextMissing(); }},
    {.command = Command::RemoveMissing, .name = "menuremovemissing", .caption = "删除缺失的文件(&R)",
     .menu = Menu::Tools, .run = [](MainWindow &w) { w.listTools().removeMissing(); }},
    {.command = Command::RelocateMissing, .name = "menurelocate", .caption = "查找移动过的文件(&L)…",
     .menu = Menu::Tools, .run = [](MainWindow &w) { w.listTools().relocate(); }},
    {.command = Command::ReplacePrefix, .name = "menureplaceprefix", .caption = "替换路径开头(&P)…",
     .menu = Menu::Tools, .run = [](MainWindow &w) { w.listTools().replacePrefix(); }},
    {.command = Command::SortByPath, .name = "menusortpath", .caption = "按路径(&P)", .menu = Menu::Sort,
     .run = [](MainWindow &w) { w.listTools().sort(ListOrder::ByPath); }},
    {.command = Command::SortByFileName, .name = "menusortname", .caption = "按文件名(&N)", .menu = Menu::Sort,
     .run = [](MainWindow &w) { w.listTools().sort(ListOrder::ByFileName); }},
    {.command = Command::SortByFolder, .name = "menusortfolder", .caption = "按文件夹和文件名(&F)",
     .menu = Menu::Sort, .run = [](MainWindow &w) { w.listTools().sort(ListOrder::ByFolderAndFileName); }},
    {.command = Command::SortReversed, .name = "menusortreverse", .caption = "反转顺序(&V)", .menu = Menu::Sort,
     .run = [](MainWindow &w) { w.listTools().sort(ListOrder::Reversed); }},
    {.command = Command::SortShuffled, .name = "menusortshuffle", .caption = "随机打乱(&H)", .menu = Menu::Sort,
     .run = [](MainWindow &w) { w.listTools().sort(ListOrder::Shuffled); }},
};

constexpr int kToolbarSeparators[] = {4, 6, 10, 13};

// ---- checks of the tables ---------------------------------------------------

constexpr bool rowsComplete()
{
    if (std::size(kRows) != kCommandCount)
        return false;
    for (std::size_t i = 0; i < std::size(kRows); ++i)
        if (std::size_t(kRows[i].command) != i || !kRows[i].name || !kRows[i].caption)
            return false;
    return true;
}
static_assert(rowsComplete(), "every Command needs its row, in enum order, with a name and a caption");

constexpr bool oneWayToAct()
{
    for (const CommandRow &row : kRows)
        if ((row.run == nullptr) == (row.fill == nullptr) || (row.fill && (row.checkable || row.keys)))
            return false;
    return true;
}
static_assert(oneWayToAct(), "a row runs or fills a submenu (one that has no check mark or shortcut)");

constexpr bool menusComplete()
{
    if (std::size(kMenus) != kMenuCount)
        return false;
    for (std::size_t i = 0; i < std::size(kMenus); ++i) {
        const MenuRow &m = kMenus[i];
        if (std::size_t(m.menu) != i || (m.parent && (!m.inBar || std::size_t(*m.parent) >= i)))
            return false;
        bool holdsCommand = false;
        for (const CommandRow &row : kRows)
            holdsCommand = holdsCommand || row.menu == m.menu;
        if (m.parent && !holdsCommand)
            return false;   // a submenu is placed where its first command comes
    }
    return true;
}
static_assert(menusComplete(), "every Menu needs its row, in enum order, a submenu after its parent and with a command");

constexpr bool toolbarComplete()
{
    for (const CommandRow &row : kRows)
        if (row.toolbar.position < 0 || row.toolbar.position > kToolbarLength
            || (row.toolbar.position > 0 && (!row.toolbar.key || !row.toolbar.tip || row.toolbar.picture < 1)))
            return false;
    for (int position = 1; position <= kToolbarLength; ++position) {
        int holders = 0;
        for (int separator : kToolbarSeparators)
            holders += separator == position;
        for (const CommandRow &row : kRows)
            holders += row.toolbar.position == position;
        if (holders != 1)
            return false;
    }
    return true;
}
static_assert(toolbarComplete(), "every toolbar position holds one button or a separator");

} // namespace

std::span<const CommandRow> commandRows()
{
    return kRows;
}

const CommandRow &commandRow(Command command)
{
    return kRows[std::size_t(command)];
}

std::span<const MenuRow> menuRows()
{
    return kMenus;
}

const CommandRow *toolbarRow(int position)
{
    for (const CommandRow &row : kRows)
        if (position > 0 && row.toolbar.position == position)
            return &row;
    return nullptr;
}

QLatin1StringView commandName(Command command)
{
    return QLatin1StringView(commandRow(command).name);
}

CommandMenus buildCommandMenus(QWidget *owner, QMenuBar *bar, std::span<const MenuRow> menus,
                               std::span<const CommandRow> rows, const std::function<void(const CommandRow &)> &run,
                               const std::function<void(const CommandRow &, QMenu &)> &fill)
{
    CommandMenus made;
    std::array<bool, kMenuCount> placed{};
    for (const MenuRow &m : menus) {
        QWidget *parent = !m.parent ? (m.inBar ? static_cast<QWidget *>(bar) : owner) : made.menus[std::size_t(*m.parent)];
        auto *menu = new QMenu(QString::fromUtf8(m.title), parent);
        menu->setObjectName(QLatin1StringView(m.name));
        menu->menuAction()->setObjectName(QLatin1StringView(m.name));
        made.menus[std::size_t(m.menu)] = menu;
        if (!m.parent && m.inBar)
            bar->addMenu(menu);
        placed[std::size_t(m.menu)] = !m.parent;
    }
    const auto parentOf = [menus](Menu menu) {
        for (const MenuRow &m : menus)
            if (m.menu == menu)
                return *m.parent;
        Q_UNREACHABLE();
        return menu;
    };
    // A submenu not yet placed goes into its parent, itself placed first.
    const auto place = [&](Menu menu) {
        while (!placed[std::size_t(menu)]) {
            Menu outer = menu;
            while (!placed[std::size_t(parentOf(outer))])
                outer = parentOf(outer);
            made.menus[std::size_t(parentOf(outer))]->addMenu(made.menus[std::size_t(outer)]);
            placed[std::size_t(outer)] = true;
        }
    };

    for (const CommandRow &row : rows) {
        place(row.menu);
        QMenu *menu = made.menus[std::size_t(row.menu)];
        if (row.separatorBefore)
            menu->addSeparator()->setObjectName(QLatin1StringView(row.separatorBefore));
        QAction *action = nullptr;
        if (row.fill) {
            auto *submenu = new QMenu(QString::fromUtf8(row.caption), menu);
            submenu->setObjectName(QLatin1StringView(row.name));
            action = submenu->menuAction();
            QObject::connect(submenu, &QMenu::aboutToShow, submenu, [submenu, row, fill] {
                submenu->clear();
                fill(row, *submenu);
            });
        } else {
            action = new QAction(QString::fromUtf8(row.caption), owner);
            if (row.keys)
                action->setShortcut(QKeySequence(*row.keys));
            action->setCheckable(row.checkable);
            QObject::connect(action, &QAction::triggered, action, [action, row, run](bool checked) {
                if (row.checkable)
                    action->setChecked(!checked);
                run(row);
            });
        }
        action->setObjectName(QLatin1StringView(row.name));
        menu->addAction(action);
        made.actions[std::size_t(row.command)] = action;
    }
    return made;
}
