// The main window on the offscreen platform: start-up state, commands by menu,
// shortcut, toolbar and pop-up, List1's mouse handling, the browser, files and layout.
#include "tests/common/desktop_fakes.h"
#include "tests/common/wait_idle.h"
#include "main_window/command_names.h"
#include "main_window/layout.h"
#include "main_window/main_window.h"
#include "main_window/browser/media_browser.h"
#include "player/player_link.h"
#include "main_window/playlist_view.h"
#include "main_window/status_bar.h"
#include "platform/twips.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QScreen>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {
class FakePlayer : public PlayerLink {
public:
    void closeWindow() override { calls << QStringLiteral("close"); }
    void showWindow() override { calls << QStringLiteral("show"); }
    void hideWindow() override { calls << QStringLiteral("hide"); }
    void setTrackPosition(int number, int count) override
    {
        track = number;
        tracks = count;
    }
    QStringList calls;
    int track = -1, tracks = -1;
};

QStringList split(const QString &s)
{
    return s.isEmpty() ? QStringList() : s.split(QLatin1Char(','));
}
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUp();
    void startUpEnabling_data();
    void startUpEnabling();
    void everyCommandAndLabelIsLive();
    void namedControls_data();
    void namedControls();
    void namedWidgets();
    void toolbarButtons_data();
    void toolbarButtons();
    void tabOrder();
    void listShortcuts_data();
    void listShortcuts();
    void commandShortcuts_data();
    void commandShortcuts();
    void undoShortcutAfterDelete();
    void toolbarByPosition_data();
    void toolbarByPosition();
    void popupActsOnSelectedEntry_data();
    void popupActsOnSelectedEntry();
    // The Menu key, Shift+F10 and a keyboard context-menu request open
    // POPLIST1 at the selected entry; other keys do not.
    void popupFromKeyboard_data();
    void popupFromKeyboard();
    // Past List1's edge a drag scrolls the faster the farther the pointer is.
    void dragScrollRate_data();
    void dragScrollRate();
    // Held still past the bottom edge, a drag goes on scrolling by itself.
    void dragScrollsWhileHeldPastTheEdge();
    void drag_data();
    void drag();
    void releaseWithoutPressMovesNothing();
    void selectionFollowsKeys();
    void keysNeverHideSelection_data();
    void keysNeverHideSelection();
    void label9ClearsSelection();
    void statusBarClick_data();
    void statusBarClick();
    void statusBarIndicators();
    void play_data();
    void play();
    void playerMenuPair();
    void openAndSaveThroughDialog();
    void slowOpen_data();
    void slowOpen();
    void listDroppedOnChangedList();
    void closingAsksToSave_data();
    void closingAsksToSave();
    void browserBuildsList();
    void browserFilterAndEnabling();
    void layoutFollowsSize_data();
    void layoutFollowsSize();
    void viewFollowsModel();
    void longestEntryFitsRow_data();
    void longestEntryFitsRow();

private:
    void fill(const QStringList &entries, int selection);
    QStringList viewRows() const;
    QPoint rowCenter(int row) const;
    void mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, const QPoint &at);
    QString effects() const;

    QTemporaryDir m_tmp;
    DesktopFakes m_desktop;
    FakePlayer m_player;
    std::unique_ptr<MainWindow> m_window;
    FakeMessageBox m_notices;
    std::unique_ptr<AuxWindows> m_aux;
    int m_ends = 0;
};

void MainWindowTest::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    QDir dir(m_tmp.path());
    QVERIFY(dir.mkpath(QStringLiteral("music/sub")));
    QVERIFY(dir.mkpath(QStringLiteral("empty")));
    for (const char *name : {"music/a.mp3", "music/b.MP3", "music/c.wav", "music/d.mov", "music/sub/e.mp3"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
}

void MainWindowTest::init()
{
    m_desktop.messages = FakeMessageBox();
    m_desktop.dialog = FakeFileDialog();
    m_player = FakePlayer();
    m_desktop.urls = FakeUrlOpener();
    m_ends = 0;
    m_aux = std::make_unique<AuxWindows>(m_desktop.services(m_notices));
    m_window = std::make_unique<MainWindow>(m_desktop.messages, m_desktop.dialog, m_desktop.drives, m_desktop.keys,
                                            *m_aux, m_desktop.disk, m_desktop.repairs);
    connect(&m_window->workflow(), &ListFileWorkflow::endProgram, this, [this] { ++m_ends; });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    m_aux.reset();
}

void MainWindowTest::fill(const QStringList &entries, int selection)
{
    Playlist &list = m_window->playlist();
    list.replaceEntries(entries);
    if (selection < 0)
        list.selectNone();
    else
        list.selectByUser(selection);
}

QStringList MainWindowTest::viewRows() const
{
    QStringList rows;
    const QAbstractItemModel *model = m_window->list1()->model();
    for (int i = 0; i < model->rowCount(); ++i)
        rows << model->index(i, 0).data().toString();
    return rows;
}

QPoint MainWindowTest::rowCenter(int row) const
{
    return m_window->list1()->visualRect(m_window->list1()->model()->index(row, 0)).center();
}

void MainWindowTest::mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, const QPoint &at)
{
    QWidget *viewport = m_window->list1()->viewport();
    QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

// What the commands did outside the list, as one comparable line.
QString MainWindowTest::effects() const
{
    return QStringLiteral("open=%1 save=%2 msg=%3 help=%4 about=%5 decl=%6 end=%7 player=%8")
        .arg(m_desktop.dialog.openCount)
        .arg(m_desktop.dialog.saveCount)
        .arg(m_desktop.messages.texts().join(QLatin1Char('|')))
        .arg(m_desktop.urls.opened.size())
        .arg(m_aux->aboutWindow() ? 1 : 0)
        .arg(m_aux->declarationWindow() ? 1 : 0)
        .arg(m_ends)
        .arg(m_player.calls.join(QLatin1Char('+')));
}

// A fresh window is unnamed, empty and shows no counts.
void MainWindowTest::startUp()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Melvora—— 未命名"));
    for (const char *name : {"Label4", "Label5", "Label6", "Label9", "Label10", "Label8"})
        QCOMPARE(m_window->findChild<QLabel *>(QString::fromLatin1(name))->text(), QString());
    auto *label7 = m_window->findChild<QLabel *>(QStringLiteral("Label7"));
    QCOMPARE(label7->text(), QStringLiteral("当前列表名："));
    QVERIFY(!label7->isVisible());
    QVERIFY(!m_window->findChild<QLabel *>(QStringLiteral("Label8"))->isVisible());
    QCOMPARE(m_window->statusBar1()->panelText(1), StatusBar::firstText());
    QVERIFY(m_window->action(QStringLiteral("menuinsertback"))->isChecked());
    QVERIFY(!m_window->action(QStringLiteral("menuinsertfront"))->isChecked());

    QStringList titles;
    for (QAction *a : m_window->menuBar()->actions())
        titles << a->text();
    QCOMPARE(titles, QStringList({QStringLiteral("文件(&F)"), QStringLiteral("编辑(&E)"),
                                  QStringLiteral("窗口(&W)"), QStringLiteral("工具(&T)"),
                                  QStringLiteral("帮助(&H)")}));
    QVERIFY(!m_window->menuBar()->actions().contains(m_window->popupMenu()->menuAction()));
    QCOMPARE(m_window->popupMenu()->objectName(), QStringLiteral("POPLIST1"));

    auto colour = [this](const char *name) {
        return m_window->findChild<QLabel *>(QString::fromLatin1(name))->palette().color(QPalette::WindowText);
    };
    QCOMPARE(colour("Label9"), QColor(255, 128, 0));
    QCOMPARE(colour("Label10"), QColor(192, 0, 192));
    QCOMPARE(m_window->outerWidthTwips(), 7410.0);
    QCOMPARE(m_window->outerHeightTwips(), 5100.0);

    // Placed centred across, a third of the way down to the centre.
    const QRect screen = m_window->screen()->geometry();
    const QPointF at = MainLayout::placement(Twips::fromPixels(screen.width()), Twips::fromPixels(screen.height()),
                                             7410, 5100);
    QCOMPARE(m_window->pos(), screen.topLeft() + QPoint(Twips::toPixels(at.x()), Twips::toPixels(at.y())));
}

void MainWindowTest::startUpEnabling_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("enabled");
    for (const char *n : {"menusave", "menusaveas", "menuclear", "menudell", "menuplay", "poplist1del",
                          "poplist1play", "menuup", "poplist1up", "MENUFIRST", "POPLIST1FIRST", "menudown",
                          "poplist1down", "MENULAST", "POPLIST1LAST", "menuundo", "poplist1undo",
                          "MENUCLOSEFORM3"})
        QTest::newRow(n) << QString::fromLatin1(n) << false;
    for (const char *n : {"menunew", "MENUOPEN", "menuinsert", "menuquit", "menuinsertback",
                          "menuinsertfront", "MENUOPENFORM3", "help", "aboutme", "xuanyan"})
        QTest::newRow(n) << QString::fromLatin1(n) << true;
}

void MainWindowTest::startUpEnabling()
{
    QFETCH(QString, name);
    QFETCH(bool, enabled);
    QAction *a = m_window->action(name);
    QVERIFY2(a, qPrintable(name));
    QCOMPARE(a->isEnabled(), enabled);
}

void MainWindowTest::namedControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    const char *rows[][3] = {
        {"menunew", "新建", "Ctrl+N"},           {"MENUOPEN", "读取列表...", "Ctrl+O"},
        {"menusave", "保存列表...", "Ctrl+S"},   {"menusaveas", "另存为...", ""},
        {"menuplay", "播放选中的文件...", "Ctrl+P"}, {"menuquit", "退出", "Ctrl+Q"},
        {"menuselec", "全选", "Ctrl+A"},         {"menudell", "删除", "Ctrl+D"},
        {"menuclear", "清空", "Ctrl+C"},         {"menuup", "上移", "Ctrl+Z"},
        {"menudown", "下移", "Ctrl+X"},          {"MENUFIRST", "移到顶端", ""},
        {"MENULAST", "移到最后", ""},            {"menuinsert", "插入列表文件", "Ctrl+I"},
        {"menuinsertback", "插入后面", ""},      {"menuinsertfront", "插入前面", ""},
        {"menuundo", "撤销", "Ctrl+U"},          {"MENUOPENFORM3", "显示播放窗口", "F2"},
        {"MENUCLOSEFORM3", "隐藏播放窗口", "F3"}, {"help", "帮助...", "F1"},
        {"aboutme", "关于...", ""},              {"xuanyan", "宣言...", ""},
        {"poplist1undo", "撤销(&U)", ""},        {"poplist1del", "删除(&D)", ""},
        {"poplist1play", "播放...(&P)", ""},     {"POPLIST1FIRST", "移到顶端(&A)", ""},
        {"POPLIST1LAST", "移到最后(&Z)", ""},    {"poplist1up", "上移(&W)", ""},
        {"poplist1down", "下移(&Q)", ""},
        {"MENUBAR", "", ""}, {"MENUBAR0", "", ""}, {"MENUBAR00", "", ""}, {"MENUBAR000", "", ""},
        {"MENUBAR1", "", ""}, {"MENUBAR11", "", ""},
    };
    for (const auto &r : rows)
        QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromUtf8(r[1]) << QString::fromLatin1(r[2]);
}

// Every menu item carries its name, caption and shortcut; separators are named too.
void MainWindowTest::namedControls()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QAction *a = m_window->findChild<QAction *>(name);
    QVERIFY2(a, qPrintable(name));
    QCOMPARE(a->isSeparator(), caption.isEmpty());
    if (!caption.isEmpty())
        QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut().toString(QKeySequence::PortableText), shortcut);
}

// The window and its controls carry their names.
void MainWindowTest::namedWidgets()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("liebiao"));
    for (const char *w : {"List1", "drive1", "Dir1", "Combo1", "File1", "Toolbar1", "StatusBar1", "Label4", "Label5",
                          "Label6", "Label7", "Label8", "Label9", "Label10"})
        QVERIFY2(m_window->findChild<QWidget *>(QString::fromLatin1(w)), w);
}

void MainWindowTest::toolbarButtons_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("tip");
    const char *rows[][2] = {{"TBNEW", "新建"}, {"TBOPEN", "读取列表"}, {"TBSAVE", "保存列表"}, {nullptr, nullptr},
                             {"TBSAVEAS", "另存为..."}, {nullptr, nullptr}, {"TBSELEC", "全选"}, {"TBDELL", "删除"},
                             {"TBCLEAR", "清空"}, {nullptr, nullptr}, {"TBUP", "上移"}, {"TBDOWN", "下移"},
                             {nullptr, nullptr}, {"TBPLAY", "播放"}};
    for (int i = 0; i < 14; ++i)
        if (rows[i][0])
            QTest::newRow(rows[i][0]) << i + 1 << QString::fromLatin1(rows[i][0]) << QString::fromUtf8(rows[i][1]);
}

// Each button sits at its position with its key, tool tip and a 16×16 picture.
void MainWindowTest::toolbarButtons()
{
    QFETCH(int, position);
    QFETCH(QString, key);
    QFETCH(QString, tip);
    QAction *a = m_window->toolbar1()->actions().at(position - 1);
    QCOMPARE(a->objectName(), key);
    QCOMPARE(a->toolTip(), tip);
    QVERIFY(!a->icon().isNull());
    QVERIFY(a->icon().availableSizes().contains(QSize(16, 16)));
    QVERIFY(a->isEnabled());
    QVERIFY(!m_window->windowIcon().isNull());
}

// Tab order: the browser top to bottom, then the list.
void MainWindowTest::tabOrder()
{
    QStringList chain;
    QWidget *w = m_window->findChild<QWidget *>(QStringLiteral("drive1"));
    for (int i = 0; i < 5 && w; ++i, w = w->nextInFocusChain()) {
        while (w && w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        chain << (w ? w->objectName() : QString());
    }
    QCOMPARE(chain, QStringList({"drive1", "Dir1", "Combo1", "File1", "List1"}));
}

void MainWindowTest::listShortcuts_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("selection");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("selectionAfter");
    QTest::newRow("Ctrl+C clears") << int(Qt::Key_C) << 1 << "" << -1;
    QTest::newRow("Ctrl+Z moves up") << int(Qt::Key_Z) << 2 << "A,C,B" << 1;
    QTest::newRow("Ctrl+Z at the top") << int(Qt::Key_Z) << 0 << "A,B,C" << 0;
    QTest::newRow("Ctrl+X moves down") << int(Qt::Key_X) << 0 << "B,A,C" << 1;
    QTest::newRow("Ctrl+D deletes") << int(Qt::Key_D) << 1 << "A,C" << 1;
    QTest::newRow("Ctrl+N empties") << int(Qt::Key_N) << 1 << "" << -1;
}

// The list's own copy / select shortcuts never win over the menu commands.
void MainWindowTest::listShortcuts()
{
    QFETCH(int, key);
    QFETCH(int, selection);
    QFETCH(QString, after);
    QFETCH(int, selectionAfter);
    for (bool listFocused : {true, false}) {
        init();
        fill({"A", "B", "C"}, selection);
        QWidget *target = listFocused ? static_cast<QWidget *>(m_window->list1()) : m_window->toolbar1();
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(m_window->playlist().entries(), split(after));
        QCOMPARE(m_window->playlist().selection(), selectionAfter);
        QCOMPARE(viewRows(), split(after));
        QCOMPARE(m_window->list1()->currentIndex().row(), selectionAfter);
    }
}

void MainWindowTest::commandShortcuts_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    const int ctrl = int(Qt::ControlModifier), none = 0;
    const QString base = QStringLiteral("open=%1 save=%2 msg=%3 help=%4 about=0 decl=0 end=%5 player=%6");
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << ctrl << "x.wav" << base.arg(1).arg(0).arg("").arg(0).arg(0).arg("");
    QTest::newRow("Ctrl+I") << int(Qt::Key_I) << ctrl << "x.wav" << base.arg(1).arg(0).arg("").arg(0).arg(0).arg("");
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << ctrl << "x.wav" << base.arg(0).arg(1).arg("").arg(0).arg(0).arg("");
    QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << ctrl << "x.wav" << base.arg(0).arg(0).arg("").arg(0).arg(1).arg("close");
    QTest::newRow("Ctrl+P other") << int(Qt::Key_P) << ctrl << "x.wav"
                                  << base.arg(0).arg(0).arg("播放功能只支持MP3文件！").arg(0).arg(0).arg("");
    QTest::newRow("Ctrl+P mp3") << int(Qt::Key_P) << ctrl << "x.Mp3" << base.arg(0).arg(0).arg("").arg(0).arg(0).arg("close+show");
    QTest::newRow("F1") << int(Qt::Key_F1) << none << "x.wav" << base.arg(0).arg(0).arg("").arg(1).arg(0).arg("");
    QTest::newRow("F2") << int(Qt::Key_F2) << none << "x.wav" << base.arg(0).arg(0).arg("").arg(0).arg(0).arg("show");
    QTest::newRow("F3 while hidden") << int(Qt::Key_F3) << none << "x.wav" << base.arg(0).arg(0).arg("").arg(0).arg(0).arg("");
}

// Shortcuts of the commands that leave the list alone, with List1 focused.
void MainWindowTest::commandShortcuts()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    m_window->setPlayerLink(&m_player);
    fill({entry}, 0);
    m_window->list1()->setFocus();
    QTest::keyClick(m_window->list1(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(effects(), expected);
}

void MainWindowTest::undoShortcutAfterDelete()
{
    fill({"A", "B", "C", "D"}, 1);
    m_window->list1()->setFocus();
    QTest::keyClick(m_window->list1(), Qt::Key_D, Qt::ControlModifier);
    QVERIFY(m_window->action(QStringLiteral("menuundo"))->isEnabled());
    QTest::keyClick(m_window->list1(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(viewRows(), split("A,B,C,D"));
    QCOMPARE(m_window->list1()->currentIndex().row(), 1);
    QVERIFY(!m_window->action(QStringLiteral("menuundo"))->isEnabled());
    // A disabled command's shortcut is inert.
    QTest::keyClick(m_window->list1(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(viewRows(), split("A,B,C,D"));
}

void MainWindowTest::toolbarByPosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("expected");
    const QString none = QStringLiteral("open=0 save=0 msg= help=0 about=0 decl=0 end=0 player=");
    QTest::newRow("1 new") << 1 << "" << none;
    QTest::newRow("2 open") << 2 << "A,B,C" << QStringLiteral("open=1 save=0 msg= help=0 about=0 decl=0 end=0 player=");
    QTest::newRow("3 save") << 3 << "A,B,C" << QStringLiteral("open=0 save=1 msg= help=0 about=0 decl=0 end=0 player=");
    QTest::newRow("5 save as") << 5 << "A,B,C" << QStringLiteral("open=0 save=1 msg= help=0 about=0 decl=0 end=0 player=");
    QTest::newRow("8 delete") << 8 << "A,C" << none;
    QTest::newRow("9 clear") << 9 << "" << none;
    QTest::newRow("11 up") << 11 << "B,A,C" << none;
    QTest::newRow("12 down") << 12 << "A,C,B" << none;
    QTest::newRow("14 play") << 14 << "A,B,C"
                             << QStringLiteral("open=0 save=0 msg=播放功能只支持MP3文件！ help=0 about=0 decl=0 end=0 player=");
    for (int sep : {4, 6, 10, 13})
        QTest::newRow(qPrintable(QStringLiteral("%1 separator").arg(sep))) << sep << "A,B,C" << none;
}

// The toolbar dispatches on the clicked button's position; separators do nothing.
void MainWindowTest::toolbarByPosition()
{
    QFETCH(int, position);
    QFETCH(QString, after);
    QFETCH(QString, expected);
    fill({"A", "B", "C"}, 1);
    const QList<QAction *> actions = m_window->toolbar1()->actions();
    QCOMPARE(actions.size(), 14);
    QCOMPARE(actions.at(position - 1)->isSeparator(), position == 4 || position == 6 || position == 10 || position == 13);
    QWidget *button = m_window->toolbar1()->widgetForAction(actions.at(position - 1));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    QCOMPARE(viewRows(), split(after));
    QCOMPARE(effects(), expected);
}

void MainWindowTest::popupActsOnSelectedEntry_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("after");
    QTest::newRow("delete") << "poplist1del" << "A,C,D";
    QTest::newRow("top") << "POPLIST1FIRST" << "B,A,C,D";
    QTest::newRow("bottom") << "POPLIST1LAST" << "A,C,D,B";
    QTest::newRow("up") << "poplist1up" << "B,A,C,D";
    QTest::newRow("down") << "poplist1down" << "A,C,B,D";
}

// A right click opens POPLIST1 without selecting the entry under the pointer.
void MainWindowTest::popupActsOnSelectedEntry()
{
    QFETCH(QString, item);
    QFETCH(QString, after);
    fill({"A", "B", "C", "D"}, 1);
    QTest::mouseClick(m_window->list1()->viewport(), Qt::RightButton, {}, rowCenter(3));
    QMenu *popup = m_window->popupMenu();
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(m_window->playlist().selection(), 1);
    QAction *a = m_window->action(item);
    QVERIFY(popup->actions().contains(a));
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(a).center());
    QTRY_VERIFY(!popup->isVisible());
    QCOMPARE(viewRows(), split(after));
}

void MainWindowTest::popupFromKeyboard_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Menu key") << "menu" << true;
    QTest::newRow("Shift+F10") << "shift+f10" << true;
    QTest::newRow("context-menu request from the keyboard") << "event" << true;
    QTest::newRow("F10 alone") << "f10" << false;
}

void MainWindowTest::popupFromKeyboard()
{
    QFETCH(QString, how);
    QFETCH(bool, opens);
    QStringList entries;
    for (int i = 0; i < 200; ++i)
        entries << QStringLiteral("/m/%1.mp3").arg(i);
    fill(entries, 150);
    PlaylistView *list = m_window->list1();
    list->setFocus();
    if (how == "menu") {
        QTest::keyClick(list, Qt::Key_Menu);
    } else if (how == "shift+f10") {
        QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    } else if (how == "f10") {
        QTest::keyClick(list, Qt::Key_F10);
    } else {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0), list->mapToGlobal(QPoint(0, 0)));
        QCoreApplication::sendEvent(list, &event);
    }
    QMenu *popup = m_window->popupMenu();
    if (!opens) {
        QTest::qWait(50);
        QVERIFY(!popup->isVisible());
        return;
    }
    QTRY_VERIFY(popup->isVisible());
    // At the selected entry, scrolled into view.
    const QRect row = list->visualRect(list->model()->index(150, 0));
    QVERIFY(list->viewport()->rect().contains(row));
    const QRect global(list->viewport()->mapToGlobal(row.topLeft()), row.size());
    QVERIFY2(popup->geometry().top() >= global.top() && popup->geometry().top() <= global.bottom(),
             qPrintable(QStringLiteral("menu at %1, row %2..%3").arg(popup->y()).arg(global.top()).arg(global.bottom())));
    QCOMPARE(m_window->playlist().selection(), 150);
    popup->close();
}

void MainWindowTest::dragScrollRate_data()
{
    QTest::addColumn<int>("nearer");
    QTest::addColumn<int>("farther");
    QTest::newRow("inside, then just past") << 0 << 1;
    QTest::newRow("1 and 10 pixels") << 1 << 10;
    QTest::newRow("10 and 40 pixels") << 10 << 40;
    QTest::newRow("40 and 100 pixels") << 40 << 100;
    QTest::newRow("100 and 160 pixels") << 100 << 160;
}

void MainWindowTest::dragScrollRate()
{
    QFETCH(int, nearer);
    QFETCH(int, farther);
    QCOMPARE(PlaylistView::dragScrollRate(0), 0.0);
    QCOMPARE(PlaylistView::dragScrollRate(-5), 0.0);
    QVERIFY2(PlaylistView::dragScrollRate(farther) > PlaylistView::dragScrollRate(nearer),
             qPrintable(QStringLiteral("%1 and %2 rows a second").arg(PlaylistView::dragScrollRate(nearer))
                            .arg(PlaylistView::dragScrollRate(farther))));
    // Just past the edge it is slow enough to aim: a few rows a second.
    QVERIFY(PlaylistView::dragScrollRate(1) <= 15);
    // A hand's width past the edge crosses 100,000 entries in a few seconds.
    QVERIFY(100000 / PlaylistView::dragScrollRate(200) <= 5);
}

void MainWindowTest::dragScrollsWhileHeldPastTheEdge()
{
    QStringList entries;
    for (int i = 0; i < 5000; ++i)
        entries << QStringLiteral("/m/%1.mp3").arg(i);
    fill(entries, -1);
    PlaylistView *list = m_window->list1();
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, rowCenter(0));
    const QPoint below(list->viewport()->width() / 2, list->viewport()->height() + 120);
    mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, below);
    const int first = m_window->playlist().selection();
    // No further pointer motion: the list scrolls on, and the selection with it.
    QTRY_VERIFY_WITH_TIMEOUT(m_window->playlist().selection() > first + 100, 3000);
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, below);
    const int after = m_window->playlist().selection();
    QTest::qWait(100);
    QCOMPARE(m_window->playlist().selection(), after);   // released: it stops
}

void MainWindowTest::drag_data()
{
    QTest::addColumn<bool>("insertAfter");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("selection");
    QTest::addColumn<bool>("undoable");
    QTest::newRow("after: A onto C") << true << 0 << 2 << "B,C,A,D" << 2 << true;
    QTest::newRow("after: D onto A") << true << 3 << 0 << "A,D,B,C" << 1 << true;
    QTest::newRow("after: C onto B") << true << 2 << 1 << "A,B,C,D" << 2 << false;
    QTest::newRow("after: A onto D") << true << 0 << 3 << "B,C,D,A" << 3 << true;
    QTest::newRow("before: A onto C") << false << 0 << 2 << "B,A,C,D" << 1 << true;
    QTest::newRow("before: D onto A") << false << 3 << 0 << "D,A,B,C" << 0 << true;
    QTest::newRow("before: B onto C") << false << 1 << 2 << "A,B,C,D" << 1 << false;
    QTest::newRow("same entry") << true << 1 << 1 << "A,B,C,D" << 1 << false;
}

// Press, move with the left button held (the selection follows), release: tuodong.
void MainWindowTest::drag()
{
    QFETCH(bool, insertAfter);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, after);
    QFETCH(int, selection);
    QFETCH(bool, undoable);
    fill({"A", "B", "C", "D"}, -1);
    m_window->action(insertAfter ? QStringLiteral("menuinsertback") : QStringLiteral("menuinsertfront"))->trigger();
    QCOMPARE(m_window->action(QStringLiteral("menuinsertback"))->isChecked(), insertAfter);
    QCOMPARE(m_window->action(QStringLiteral("menuinsertfront"))->isChecked(), !insertAfter);

    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, rowCenter(from));
    QCOMPARE(m_window->playlist().selection(), from);
    const int step = to > from ? 1 : -1;
    for (int row = from; row != to; row += step) {
        mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, rowCenter(row + step));
        QCOMPARE(m_window->playlist().selection(), row + step);
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("Label10"))->text(), QString::number(row + step + 1));
    }
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, rowCenter(to));
    QCOMPARE(viewRows(), split(after));
    QCOMPARE(m_window->playlist().selection(), selection);
    QCOMPARE(m_window->list1()->currentIndex().row(), selection);
    QCOMPARE(m_window->action(QStringLiteral("poplist1undo"))->isEnabled(), undoable);
    if (undoable) {
        m_window->action(QStringLiteral("menuundo"))->trigger();
        QCOMPARE(viewRows(), split("A,B,C,D"));
        QCOMPARE(m_window->playlist().selection(), from);
    }
}

void MainWindowTest::releaseWithoutPressMovesNothing()
{
    fill({"A", "B", "C"}, 2);
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, rowCenter(0));
    QCOMPARE(viewRows(), split("A,B,C"));
    // A right press neither selects nor starts a drag.
    mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, rowCenter(0));
    QCOMPARE(m_window->playlist().selection(), 2);
}

// Arrow keys in List1 change the selection as the user's, which ends undo.
void MainWindowTest::selectionFollowsKeys()
{
    fill({"A", "B", "C"}, 0);
    m_window->playlist().movedown();
    QVERIFY(m_window->action(QStringLiteral("menuundo"))->isEnabled());
    m_window->list1()->setFocus();
    QTest::keyClick(m_window->list1(), Qt::Key_Down);
    QCOMPARE(m_window->playlist().selection(), 2);
    QVERIFY(!m_window->action(QStringLiteral("menuundo"))->isEnabled());
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("Label10"))->text(), QStringLiteral("3"));
}

void MainWindowTest::keysNeverHideSelection_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("selectionAfter");
    QTest::newRow("Ctrl+Space") << int(Qt::Key_Space) << int(Qt::ControlModifier) << 1;
    QTest::newRow("Space") << int(Qt::Key_Space) << 0 << 1;
    QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << int(Qt::ControlModifier) << 2;
    QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << int(Qt::ControlModifier) << 0;
}

// The list's commands act on the selected entry, so List1 always shows it
// highlighted: no key clears the highlight behind the list state's back.
void MainWindowTest::keysNeverHideSelection()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, selectionAfter);
    fill({"A", "B", "C"}, 1);
    m_window->list1()->setFocus();
    QTest::keyClick(m_window->list1(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(m_window->playlist().selection(), selectionAfter);
    const QModelIndexList shown = m_window->list1()->selectionModel()->selectedRows();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().row(), selectionAfter);
}

void MainWindowTest::label9ClearsSelection()
{
    fill({"A", "B"}, 0);
    auto *label9 = m_window->findChild<QLabel *>(QStringLiteral("Label9"));
    QCOMPARE(label9->text(), QStringLiteral("当前位置"));
    QTest::mouseClick(label9, Qt::LeftButton);
    QCOMPARE(m_window->playlist().selection(), -1);
    QCOMPARE(label9->text(), QString());
    QVERIFY(!m_window->list1()->selectionModel()->hasSelection());
    QVERIFY(!m_window->action(QStringLiteral("menudell"))->isEnabled());
}

void MainWindowTest::statusBarClick_data()
{
    QTest::addColumn<int>("panel");
    for (int p = 1; p <= StatusBar::kPanels; ++p)
        QTest::newRow(qPrintable(QString::number(p))) << p;
}

// Any panel toggles the first panel's text.
void MainWindowTest::statusBarClick()
{
    QFETCH(int, panel);
    StatusBar *bar = m_window->statusBar1();
    const QString before = bar->panelText(panel);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->panelRect(panel).center());
    QCOMPARE(bar->panelText(1), StatusBar::secondText());
    if (panel != 1)
        QCOMPARE(bar->panelText(panel), before);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->panelRect(panel).center());
    QCOMPARE(bar->panelText(1), StatusBar::firstText());
}

void MainWindowTest::statusBarIndicators()
{
    StatusBar *bar = m_window->statusBar1();
    QCOMPARE(bar->font().bold(), true);
    QCOMPARE(bar->font().pointSizeF(), 9.75);
    QCOMPARE(bar->font().families().first(), QStringLiteral("楷体_GB2312"));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$")).match(bar->panelText(6)).hasMatch());
    QCOMPARE(bar->panelText(7), QDate::currentDate().toString(QStringLiteral("yyyy-M-d")));
    // Offscreen there is no X display to ask: unknown, drawn dimmed.
    const SystemKeyState system;
    for (KeyState::Key key : {KeyState::CapsLock, KeyState::NumLock, KeyState::ScrollLock})
        QCOMPARE(int(system.state(key)), int(KeyState::State::Unknown));
    QVERIFY(!bar->indicatorOn(2));
    m_desktop.keys.states[KeyState::CapsLock] = KeyState::State::On;
    m_desktop.keys.states[KeyState::ScrollLock] = KeyState::State::Off;
    bar->refresh();
    QVERIFY(bar->indicatorOn(2));
    QVERIFY(!bar->indicatorOn(3));
    QVERIFY(!bar->indicatorOn(5));
    m_desktop.keys.states[KeyState::CapsLock] = KeyState::State::Unknown;
    // Insert is the program's own toggle.
    QVERIFY(!bar->indicatorOn(4));
    QTest::keyClick(m_window->list1(), Qt::Key_Insert);
    QVERIFY(bar->indicatorOn(4));
    QTest::keyClick(m_window->list1(), Qt::Key_Insert);
    QVERIFY(!bar->indicatorOn(4));
    // Panel widths in twips; the first follows the layout.
    QCOMPARE(bar->panelWidth(1), 1700.64);
    QCOMPARE(bar->panelWidth(7), 1400.0);
}

void MainWindowTest::play_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("played");
    QTest::newRow("mixed case mp3") << "/music/song.Mp3" << true;
    QTest::newRow("wav in mp3 folder") << "/music.mp3/song.wav" << false;
    QTest::newRow("no extension") << "/music/song" << false;
    QTest::newRow("dot in folder only") << "/a.mp3/song" << false;
}

// Double-click plays the entry: MP3 goes to a fresh player window, others get the message.
void MainWindowTest::play()
{
    QFETCH(QString, entry);
    QFETCH(bool, played);
    m_window->setPlayerLink(&m_player);
    fill({QStringLiteral("/x/first.wav"), entry}, -1);
    QTest::mouseDClick(m_window->list1()->viewport(), Qt::LeftButton, {}, rowCenter(1));
    QCOMPARE(m_window->playlist().selection(), 1);
    QCOMPARE(m_player.calls, played ? QStringList({"close", "show"}) : QStringList());
    QCOMPARE(m_desktop.messages.texts(), played ? QStringList() : QStringList({"播放功能只支持MP3文件！"}));
    if (!played)
        QCOMPARE(m_desktop.messages.shown.first().title, QStringLiteral("提示"));
    QCOMPARE(m_window->action(QStringLiteral("MENUCLOSEFORM3"))->isEnabled(), played);
    QCOMPARE(m_window->action(QStringLiteral("MENUOPENFORM3"))->isEnabled(), !played);
}

void MainWindowTest::playerMenuPair()
{
    m_window->action(QStringLiteral("MENUOPENFORM3"))->trigger();   // no player yet: nothing
    QVERIFY(m_window->action(QStringLiteral("MENUOPENFORM3"))->isEnabled());
    m_window->setPlayerLink(&m_player);
    fill({"A", "B"}, 1);
    QCOMPARE(m_player.tracks, 2);
    QTest::keyClick(m_window.get(), Qt::Key_F2);
    QVERIFY(m_window->action(QStringLiteral("MENUCLOSEFORM3"))->isEnabled());
    QTest::keyClick(m_window.get(), Qt::Key_F3);
    QVERIFY(m_window->action(QStringLiteral("MENUOPENFORM3"))->isEnabled());
    QVERIFY(!m_window->action(QStringLiteral("MENUCLOSEFORM3"))->isEnabled());
    QCOMPARE(m_player.calls, QStringList({"show", "hide"}));
}

// Open a list through the dialog, save it under a new name, then save in place.
void MainWindowTest::openAndSaveThroughDialog()
{
    const QString in = m_tmp.filePath(QStringLiteral("My list.m3u"));
    {
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("/m/a.mp3\r\n/m/b.mp3\r\n/m/c.mp3\r\n");
    }
    m_desktop.dialog.names << in;
    m_window->action(QStringLiteral("MENUOPEN"))->trigger();
    QCOMPARE(viewRows(), QStringList({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"}));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Melvora——MY LIST.M3U"));
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("Label5"))->text(), QStringLiteral("3"));
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("Label4"))->text(), QStringLiteral("现在一共"));
    QVERIFY(m_window->action(QStringLiteral("menusave"))->isEnabled());

    const QString out = m_tmp.filePath(QStringLiteral("out.m3u"));
    m_desktop.dialog.names << out;
    m_window->list1()->setFocus();
    QCOMPARE(m_window->list1()->currentIndex().row(), 2);   // opening selects the last entry
    QTest::keyClick(m_window->list1(), Qt::Key_Home);
    QTest::keyClick(m_window->list1(), Qt::Key_X, Qt::ControlModifier);
    m_window->action(QStringLiteral("menusaveas"))->trigger();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Melvora——OUT.M3U"));
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QStringList written = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    written.removeIf([](const QString &line) { return line.startsWith(QLatin1Char('#')); });
    QCOMPARE(written, QStringList({"/m/b.mp3", "/m/a.mp3", "/m/c.mp3"}));
    QCOMPARE(m_desktop.messages.texts(), QStringList());
    QTest::keyClick(m_window->list1(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_desktop.messages.texts(), QStringList({QStringLiteral("列表已经保存为") + out + QStringLiteral("!")}));
    QCOMPARE(m_desktop.dialog.saveCount, 1);
}

void MainWindowTest::slowOpen_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("lands") << false;
    QTest::newRow("cancelled") << true;
}

// A list read from a slow device: the window goes on meanwhile, shows the
// reading with "取消" after a moment and takes no input but that; the list
// lands whole, or, cancelled, the one shown stays as it was, without a word.
void MainWindowTest::slowOpen()
{
    QFETCH(bool, cancel);
    const QString first = m_tmp.filePath(QStringLiteral("first.m3u"));
    const QString big5 = m_tmp.filePath(QStringLiteral("big5.m3u"));
    QDir(m_tmp.path()).mkpath(QStringLiteral("tw"));
    for (const auto &[name, bytes] : {std::pair{first, QByteArray("music/a.mp3\r\nmusic/b.MP3\r\n")},
                                      std::pair{big5, QByteArray("tw\\\xa9\x50\xaa\x4e\xad\xdb.mp3\r\n")}}) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QFile song(m_tmp.filePath(QStringLiteral("tw/周杰倫.mp3")));
    QVERIFY(song.open(QIODevice::WriteOnly));
    song.close();
    m_window->workflow().openlist(first);
    const QStringList before = viewRows();
    QCOMPARE(before.size(), 2);

    QSemaphore gate;
    m_window->listReading().setDevice([&gate](std::unique_ptr<QFile> file) -> std::unique_ptr<QIODevice> {
        gate.acquire();
        return file;
    });
    QStringList during;
    bool shown = false;
    QTimer::singleShot(LongWork::ShowAfterMs + 200, this, [&] {
        during = viewRows();
        QTest::keyClick(m_window->list1(), Qt::Key_Delete);   // held back: the list is not for editing now
        during += viewRows();
        auto *progress = m_window->findChild<QProgressDialog *>(QStringLiteral("workProgress"));
        shown = progress && progress->isVisible() && progress->labelText() == u"正在读取列表…";
        if (cancel && progress)
            progress->findChild<QPushButton *>()->click();
        gate.release();
    });
    m_window->workflow().openlist(big5);
    QCOMPARE(during, before + before);
    QVERIFY(shown);
    QCOMPARE(m_desktop.messages.texts(), QStringList());
    if (cancel) {
        QCOMPARE(viewRows(), before);
        QCOMPARE(m_window->state().listPath(), first);
        QCOMPARE(m_window->statusBar1()->note(), QString());
    } else {
        QCOMPARE(viewRows(), QStringList({song.fileName()}));
        QCOMPARE(m_window->state().listPath(), big5);
        QCOMPARE(m_window->statusBar1()->note(), QStringLiteral("编码：Big5"));
    }
}

// A list dropped on a changed one: "是" saves the changed one first, with the
// tags its new entry's line is made from, and the dropped list then opens.
void MainWindowTest::listDroppedOnChangedList()
{
    const QString changed = m_tmp.filePath(QStringLiteral("changed.m3u"));
    const QString dropped = m_tmp.filePath(QStringLiteral("dropped.m3u"));
    for (const auto &[name, bytes] : {std::pair{changed, QByteArray("#EXTM3U\n#EXTINF:1,A\nmusic/a.mp3\n")},
                                      std::pair{dropped, QByteArray("music/b.MP3\n")}}) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    m_window->workflow().openlist(changed);
    // Added before its file is there, so that its tags are read by the save.
    QVERIFY(QDir(m_tmp.path()).mkpath(QStringLiteral("late")));
    const QString added = m_tmp.filePath(QStringLiteral("late/late.mp3"));
    m_window->playlist().addFiles({added});
    QVERIFY(waitForIdle(m_window->work()));
    QFile late(added);
    QVERIFY(late.open(QIODevice::WriteOnly));
    late.close();
    m_desktop.messages.answers = {MessageBox::Answer::Yes};
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, [] { qFatal("the save before the drop's open never ended"); });
    watchdog.start(20000);
    m_window->openFiles({dropped});
    QVERIFY(waitForIdle(m_window->work()));
    watchdog.stop();
    QCOMPARE(m_desktop.messages.texts(), QStringList({"列表内容已改变!是否保存？", "列表已经保存为" + changed + "!"}));
    QFile saved(changed);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("#EXTM3U\n#EXTINF:1,A\nmusic/a.mp3\n#EXTINF:-1,late\nlate/late.mp3\n"));
    QCOMPARE(m_window->state().listPath(), dropped);
}

void MainWindowTest::closingAsksToSave_data()
{
    QTest::addColumn<MessageBox::Answer>("answer");
    QTest::addColumn<bool>("stays");
    // Closing the window runs quit: the save prompt, then the end of the program.
    QTest::newRow("no: quits") << MessageBox::Answer::No << false;
    // Escaping from the prompt keeps the window open, list and all.
    QTest::newRow("escape: the window stays") << MessageBox::Answer::Cancel << true;
}

void MainWindowTest::closingAsksToSave()
{
    QFETCH(MessageBox::Answer, answer);
    QFETCH(bool, stays);
    fill({"A", "B"}, 1);
    m_window->playlist().moveup();   // a change to save
    m_desktop.messages.answers = {answer};
    m_window->close();
    QCOMPARE(m_desktop.messages.texts(), QStringList({"列表内容已改变!是否保存？"}));
    QCOMPARE(m_ends, stays ? 0 : 1);
    QCOMPARE(m_window->isVisible(), stays);
    if (stays)
        QCOMPARE(viewRows(), split("B,A"));
}

// Files clicked in the browser join the list beside the selection; duplicates are refused.
void MainWindowTest::browserBuildsList()
{
    MediaBrowser *browser = m_window->browser();
    const QString music = m_tmp.filePath(QStringLiteral("music"));
    QVERIFY(browser->openFolder(music));
    QVERIFY(waitForIdle(m_window->work()));
    QListWidget *file1 = browser->file1();
    QCOMPARE(browser->fileNames(), QStringList({"a.mp3", "b.MP3"}));
    const auto click = [file1](int row) {
        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, file1->visualItemRect(file1->item(row)).center());
    };
    click(1);
    QCOMPARE(viewRows(), QStringList({music + "/b.MP3"}));
    QCOMPARE(m_window->playlist().selection(), 0);
    QVERIFY(m_window->state().listChanged());
    click(1);
    QCOMPARE(m_desktop.messages.texts(), QStringList({"该文件已经被选中过!"}));
    QCOMPARE(viewRows().size(), 1);

    // Insert-before keeps the selected entry selected and puts the new one above it.
    m_window->action(QStringLiteral("menuinsertfront"))->trigger();
    click(0);
    QCOMPARE(viewRows(), QStringList({music + "/a.mp3", music + "/b.MP3"}));
    QCOMPARE(m_window->playlist().selection(), 1);

    // Add all with the all-types filter: only the new ones, the last entry selected.
    browser->combo1()->setCurrentIndex(9);
    QVERIFY(waitForIdle(m_window->work()));
    QCOMPARE(browser->fileNames().size(), 4);
    m_window->list1()->setFocus();
    QTest::keyClick(m_window->list1(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(m_window->playlist().count(), 4);
    QCOMPARE(m_window->playlist().selection(), 3);
    QVERIFY(viewRows().contains(music + "/d.mov"));
}

// "全选" follows whether the file list shows anything.
void MainWindowTest::browserFilterAndEnabling()
{
    MediaBrowser *browser = m_window->browser();
    QVERIFY(browser->openFolder(m_tmp.filePath(QStringLiteral("music"))));
    QVERIFY(waitForIdle(m_window->work()));
    QVERIFY(m_window->action(QStringLiteral("menuselec"))->isEnabled());
    QVERIFY(browser->openFolder(m_tmp.filePath(QStringLiteral("empty"))));
    QVERIFY(waitForIdle(m_window->work()));
    QVERIFY(!m_window->action(QStringLiteral("menuselec"))->isEnabled());
    QVERIFY(browser->file1()->isVisible());
    // The toolbar button still runs, and does nothing.
    m_window->toolbarClicked(7);
    QCOMPARE(m_window->playlist().count(), 0);
    QVERIFY(browser->openFolder(m_tmp.filePath(QStringLiteral("music/sub"))));
    QVERIFY(waitForIdle(m_window->work()));
    QVERIFY(m_window->action(QStringLiteral("menuselec"))->isEnabled());
    // Ctrl+A is the window's "全选" also while the file list has the focus.
    browser->file1()->setFocus();
    QTest::keyClick(browser->file1(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(viewRows(), QStringList({m_tmp.filePath(QStringLiteral("music/sub/e.mp3"))}));
}

void MainWindowTest::layoutFollowsSize_data()
{
    QTest::addColumn<double>("W");
    QTest::addColumn<double>("H");
    QTest::newRow("base") << 7410.0 << 5100.0;
    QTest::newRow("wider") << 7710.0 << 5100.0;
    QTest::newRow("taller") << 7410.0 << 5700.0;
    QTest::newRow("both") << 10410.0 << 8100.0;
    QTest::newRow("smaller") << 6000.0 << 4200.0;
}

// Controls sit where the layout puts them, for the outer size given by the client.
void MainWindowTest::layoutFollowsSize()
{
    QFETCH(double, W);
    QFETCH(double, H);
    const int menu = m_window->menuBar()->height();
    m_window->resize(Twips::toPixels(W - 120), Twips::toPixels(H - 690) + menu);
    QTRY_COMPARE(m_window->centralWidget()->size(), QSize(Twips::toPixels(W - 120), Twips::toPixels(H - 690)));
    QCOMPARE(m_window->outerWidthTwips(), W);
    QCOMPARE(m_window->outerHeightTwips(), H);
    const MainLayout::Geometry g = MainLayout::compute(W, H);
    const auto rect = [](const QRectF &r) { return Twips::rect(r.left(), r.top(), r.width(), r.height()); };
    const auto widget = [this](const char *name) { return m_window->findChild<QWidget *>(QString::fromLatin1(name)); };
    QCOMPARE(widget("drive1")->geometry(), rect(g.drive1));
    QCOMPARE(widget("Dir1")->geometry(), rect(g.dir1));
    QCOMPARE(widget("Combo1")->geometry(), rect(g.combo1));
    QCOMPARE(widget("File1")->geometry(), rect(g.file1));
    QCOMPARE(widget("List1")->geometry(), rect(g.list1));
    QCOMPARE(widget("Label4")->geometry(), Twips::rect(g.label4Left, g.labelTop, 735, 255));
    QCOMPARE(widget("Label10")->geometry(), Twips::rect(g.label10Left, g.labelTop, 495, 255));
    QCOMPARE(m_window->statusBar1()->panelWidth(1), g.panel1Width);
    QCOMPARE(widget("StatusBar1")->geometry().bottom(), m_window->centralWidget()->height() - 1);
    QCOMPARE(widget("Toolbar1")->width(), m_window->centralWidget()->width());
    // The list-name labels never move.
    QCOMPARE(widget("Label8")->geometry(), Twips::rect(2880, 840, 4215, 375));
}

// List1's rows track the playlist through every kind of change.
void MainWindowTest::viewFollowsModel()
{
    QAbstractItemModelTester tester(m_window->list1()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    Playlist &s = m_window->playlist();
    const auto check = [&] {
        QCOMPARE(viewRows(), s.entries());
        QCOMPARE(m_window->list1()->currentIndex().row(), s.selection());
    };
    fill({"A", "B", "C", "D", "E"}, 1);
    check();
    s.movetobottom();
    check();
    s.movetotop();
    check();
    s.deleteentry();
    check();
    s.undo();
    check();
    s.moveup();
    check();
    QStringList many;
    for (int i = 0; i < 5000; ++i)
        many << QStringLiteral("/m/%1.mp3").arg(i);
    s.appendEntries(many);
    check();
    s.clearlist();
    check();
}

// Rows share one size; it must fit the longest entry wherever it stands, also
// after the entry that set it is deleted.
void MainWindowTest::longestEntryFitsRow_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("deleteAt");   // -1: delete nothing
    QTest::addColumn<QString>("widest");

    const QString longAscii = QStringLiteral("/music/") + QString(120, QLatin1Char('x')) + QStringLiteral(".mp3");
    const QString longCjk = QStringLiteral("/音乐/") + QString(80, QChar(0x6B4C)) + QStringLiteral(".mp3");
    QTest::newRow("longest last") << QStringList{"/a.mp3", longAscii} << -1 << longAscii;
    QTest::newRow("longest first") << QStringList{longAscii, "/a.mp3"} << -1 << longAscii;
    QTest::newRow("wide characters win") << QStringList{longAscii, longCjk, "/b.mp3"} << -1 << longCjk;
    QTest::newRow("longest deleted") << QStringList{"/a.mp3", longAscii, "/music/bb.mp3"} << 1
                                     << QStringLiteral("/music/bb.mp3");
    // Fewer characters can need more room: the widest row is the one the font
    // draws widest, not the one with most characters.
    const QString narrow = QStringLiteral("/m/") + QString(150, QLatin1Char('i')) + QStringLiteral(".mp3");
    const QString wide = QStringLiteral("/M/") + QString(70, QLatin1Char('W')) + QStringLiteral(".MP3");
    QTest::newRow("wide letters, fewer of them") << QStringList{narrow, wide} << -1 << wide;
    QTest::newRow("wide letters first") << QStringList{wide, narrow} << -1 << wide;
}

void MainWindowTest::longestEntryFitsRow()
{
    QFETCH(QStringList, entries);
    QFETCH(int, deleteAt);
    QFETCH(QString, widest);
    Playlist &s = m_window->playlist();
    s.replaceEntries(entries);
    if (deleteAt >= 0) {
        s.selectByUser(deleteAt);
        s.deleteentry();
    }
    PlaylistView *view = m_window->list1();
    const QFontMetrics fm(view->font());
    for (int row = 0; row < s.count(); ++row)
        QVERIFY(view->sizeHintForIndex(view->model()->index(row, 0)).width() >= fm.horizontalAdvance(widest));
    if (deleteAt >= 0)
        QVERIFY(view->sizeHintForIndex(view->model()->index(0, 0)).width()
                < fm.horizontalAdvance(entries.at(deleteAt)));
}

// Every command and label the window state speaks of is one live action or
// label of the window under its object name, in step with the state; and every
// command of the menus is one of them.
void MainWindowTest::everyCommandAndLabelIsLive()
{
    fill({"A", "B", "C"}, 1);
    QSet<QString> names;
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        const Command c = Command(i);
        QAction *a = m_window->action(c);
        QVERIFY2(a, qPrintable(QString::number(i)));
        QCOMPARE(a->objectName(), QString(commandName(c)));
        QCOMPARE(m_window->findChildren<QAction *>(a->objectName()).size(), 1);
        QVERIFY2(!a->associatedObjects().isEmpty(), qPrintable(a->objectName()));   // in a menu
        QCOMPARE(a->isEnabled(), m_window->state().isEnabled(c));
        names.insert(a->objectName());
    }
    QCOMPARE(names.size(), qsizetype(kCommandCount));
    QList<QMenu *> menus = m_window->menuBar()->findChildren<QMenu *>();
    menus << m_window->popupMenu();
    for (QMenu *menu : menus)
        for (QAction *a : menu->actions())
            if (!a->isSeparator() && !a->menu())
                QVERIFY2(names.contains(a->objectName()), qPrintable(a->objectName()));

    for (std::size_t i = 0; i < kLabelCount; ++i) {
        const Label l = Label(i);
        QLabel *label = m_window->label(l);
        QVERIFY(label);
        QCOMPARE(label->objectName(), QString(labelName(l)));
        QCOMPARE(m_window->findChildren<QLabel *>(label->objectName()).size(), 1);
        QCOMPARE(label->text(), m_window->state().label(l));
    }
}

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
