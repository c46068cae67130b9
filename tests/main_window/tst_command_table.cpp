// The window's commands as they are laid out in its menus, and how a table of
// commands becomes menus: submenus, separators, check marks and submenus
// filled when they open.
#include "tests/common/desktop_fakes.h"
#include "main_window/command_table.h"
#include "main_window/main_window.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include <memory>

namespace {
QString itemNames(const QMenu *menu)
{
    QStringList names;
    for (const QAction *a : menu->actions())
        names << a->objectName();
    return names.join(QLatin1Char(','));
}

// Opens `menu` as a user would, then closes it.
void openAndClose(QMenu *menu)
{
    menu->popup(QPoint(0, 0));
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
}

// A small table of our own, made of the program's commands.
constexpr MenuRow kMenus[] = {
    {Menu::File, "first", "一", {}},
    {Menu::Edit, "second", "二", {}},
    {Menu::InsertPlace, "inner", "内", Menu::Edit},
    {Menu::Popup, "alone", "单", {}, false},
};
constexpr CommandRow kRows[] = {
    {.command = Command::NewList, .name = "plain", .caption = "甲", .menu = Menu::Edit},
    {.command = Command::OpenList, .name = "marked", .caption = "乙", .menu = Menu::InsertPlace, .checkable = true},
    {.command = Command::SaveList, .name = "after", .caption = "丙", .menu = Menu::Edit, .separatorBefore = "line"},
    {.command = Command::SaveListAs, .name = "filled", .caption = "丁", .menu = Menu::Edit,
     .fill = [](MainWindow &, QMenu &) {}},
    {.command = Command::Quit, .name = "popped", .caption = "戊", .menu = Menu::Popup},
};
} // namespace

class CommandTableTest : public QObject {
    Q_OBJECT
private slots:
    void windowMenus_data();
    void windowMenus();
    void builtFromRows();
    void filledEachTimeItOpens_data();
    void filledEachTimeItOpens();
};

void CommandTableTest::windowMenus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("items");
    QTest::newRow("file") << "menufile" << "menunew,MENUOPEN,menusave,menusaveas,menuplay,MENUBAR,menuquit";
    QTest::newRow("edit") << "menuedit"
                          << "menuselec,menudell,menuclear,menuup,menudown,MENUFIRST,MENULAST,MENUBAR0,menuinsert,"
                             "menuinsertwei,MENUBAR00,menuundo";
    QTest::newRow("insert place") << "menuinsertwei" << "menuinsertback,menuinsertfront";
    QTest::newRow("window") << "MENUKAN" << "MENUOPENFORM3,MENUCLOSEFORM3";
    QTest::newRow("tools") << "menutools"
                           << "menuexport,menureopenencoding,menuoutputdevice,menutoolsheal,menufind,menunextmissing,menuremovemissing,menurelocate,"
                              "menureplaceprefix,menusort";
    QTest::newRow("sort") << "menusort" << "menusortpath,menusortname,menusortfolder,menusortreverse,menusortshuffle";
    QTest::newRow("help") << "menuabout" << "help,aboutme,MENUBAR000,xuanyan";
    QTest::newRow("pop-up") << "POPLIST1"
                            << "poplist1undo,MENUBAR1,poplist1del,poplist1play,MENUBAR11,POPLIST1FIRST,POPLIST1LAST,"
                               "poplist1up,poplist1down";
}

// Each menu of the window holds its items, separators and submenus in order.
void CommandTableTest::windowMenus()
{
    QFETCH(QString, menu);
    QFETCH(QString, items);
    DesktopFakes desktop;
    AuxWindows aux(desktop.services());
    MainWindow window(desktop.messages, desktop.dialog, desktop.drives, desktop.keys, aux, desktop.disk,
                      desktop.repairs);
    const QList<QMenu *> found = window.findChildren<QMenu *>(menu);
    QCOMPARE(found.size(), 1);
    QCOMPARE(itemNames(found.first()), items);
}

// Menus of their own go to the bar unless kept apart; a submenu sits where its
// first command comes; a click on a checked item runs it but leaves its mark
// to the one the item tells.
void CommandTableTest::builtFromRows()
{
    QMainWindow owner;
    QList<Command> ran;
    const CommandMenus made = buildCommandMenus(
        &owner, owner.menuBar(), kMenus, kRows, [&ran](const CommandRow &row) { ran << row.command; },
        [](const CommandRow &, QMenu &) {});
    QStringList bar;
    for (const QAction *a : owner.menuBar()->actions())
        bar << a->objectName();
    QCOMPARE(bar, QStringList({"first", "second"}));
    QCOMPARE(itemNames(made.menus[std::size_t(Menu::Edit)]), QStringLiteral("plain,inner,line,after,filled"));
    QCOMPARE(itemNames(made.menus[std::size_t(Menu::Popup)]), QStringLiteral("popped"));

    QAction *marked = made.actions[std::size_t(Command::OpenList)];
    QVERIFY(marked->isCheckable());
    marked->trigger();
    QVERIFY(!marked->isChecked());
    marked->setChecked(true);
    marked->trigger();
    QVERIFY(marked->isChecked());
    made.actions[std::size_t(Command::NewList)]->trigger();
    QCOMPARE(ran, QList<Command>({Command::OpenList, Command::OpenList, Command::NewList}));
}

void CommandTableTest::filledEachTimeItOpens_data()
{
    QTest::addColumn<int>("opens");
    QTest::newRow("once") << 1;
    QTest::newRow("three times") << 3;
}

// A submenu row's items are made by its handler each time it opens, and only
// those of the last time are there.
void CommandTableTest::filledEachTimeItOpens()
{
    QFETCH(int, opens);
    QMainWindow owner;
    int filled = 0;
    const CommandMenus made = buildCommandMenus(
        &owner, owner.menuBar(), kMenus, kRows, [](const CommandRow &) {},
        [&filled](const CommandRow &row, QMenu &menu) {
            QCOMPARE(row.command, Command::SaveListAs);
            menu.addAction(QStringLiteral("第%1次").arg(++filled));
        });
    QMenu *submenu = made.actions[std::size_t(Command::SaveListAs)]->menu();
    QVERIFY(submenu);
    QCOMPARE(submenu->objectName(), QStringLiteral("filled"));
    QCOMPARE(submenu->title(), QStringLiteral("丁"));
    for (int i = 0; i < opens; ++i)
        openAndClose(submenu);
    QCOMPARE(filled, opens);
    QCOMPARE(submenu->actions().size(), 1);
    QCOMPARE(submenu->actions().first()->text(), QStringLiteral("第%1次").arg(opens));
}

QTEST_MAIN(CommandTableTest)
#include "tst_command_table.moc"
