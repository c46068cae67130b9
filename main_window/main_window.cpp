#include "main_window.h"

#include "file_dialog.h"
#include "message_box.h"
#include "player_link.h"
#include "playlist_model.h"
#include "playlist_view.h"
#include "status_bar.h"
#include "twips.h"

#include "aux_windows.h"
#include "media_browser.h"
#include "pictures.h"

#include <QComboBox>
#include <QListWidget>
#include <QTreeWidget>

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>

namespace {
// Design geometry of the labels (twips).
struct LabelDef {
    const char *name;
    const char *text;
    double left, top, width, height;
};
const LabelDef kLabels[] = {
    {"Label7", "Label7", 2880, 600, 2295, 255},
    {"Label8", "Label8", 2880, 840, 4215, 375},
    {"Label4", "现在一共", 2760, 3840, 735, 255},
    {"Label5", "000000", 3600, 3840, 615, 255},
    {"Label6", "首歌曲", 4200, 3840, 615, 255},
    {"Label9", "当前位置", 5520, 3840, 735, 255},
    {"Label10", "00000", 6360, 3840, 495, 255},
};

// The count and position were drawn for five digits; the list holds more, so
// a longer number widens its label instead of losing digits.
void widenToText(QLabel *label)
{
    const int needed = label->sizeHint().width();
    if (label->width() < needed)
        label->resize(needed, label->height());
}
bool showsNumber(const QString &name)
{
    return name == QLatin1String("Label5") || name == QLatin1String("Label10");
}
} // namespace

MainWindow::MainWindow(MessageBox &messages, FileDialog &dialog, Drives &drives, const KeyState &keys,
                       QWidget *parent)
    : QMainWindow(parent),
      m_messages(messages),
      m_state(PathRules::native()),
      m_workflow(m_state, messages, dialog),
      m_drives(drives),
      m_keys(keys)
{
    setObjectName(QStringLiteral("liebiao"));
    setWindowTitle(QStringLiteral("Melvora"));
    setWindowIcon(applicationIcon());
    showAbout = [] { AuxWindows::showAbout(); };
    showDeclaration = [] { AuxWindows::showDeclaration(); };
    openHelp = [] { AuxWindows::openHelp(); };
    m_workflow.closeOtherWindows = [this] {
        if (m_player)
            m_player->closeWindow();
        AuxWindows::closeDeclaration();
        AuxWindows::closeAbout();
    };
    m_workflow.endProgram = [this] {
        m_ending = true;
        QCoreApplication::exit(0);
    };

    createActions();
    createMenus();
    createControls();
    createToolbar();
    connectState();
    setTabOrder();
    load();
}

MainWindow::~MainWindow()
{
    // The controls talk to the list state: let them go while it still exists.
    delete m_client;
}

QAction *MainWindow::makeAction(const QString &name, const QString &caption, const QKeySequence &shortcut)
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    m_actions.insert(name, a);
    return a;
}

void MainWindow::createActions()
{
    const auto ctrl = [](Qt::Key key) { return QKeySequence(Qt::CTRL | key); };
    // File
    connect(makeAction(QStringLiteral("menunew"), QStringLiteral("新建"), ctrl(Qt::Key_N)),
            &QAction::triggered, this, [this] { m_workflow.newlist(); });
    connect(makeAction(QStringLiteral("MENUOPEN"), QStringLiteral("读取列表..."), ctrl(Qt::Key_O)),
            &QAction::triggered, this, [this] { m_workflow.openlist(); });
    connect(makeAction(QStringLiteral("menusave"), QStringLiteral("保存列表..."), ctrl(Qt::Key_S)),
            &QAction::triggered, this, [this] { m_workflow.savelist(); });
    connect(makeAction(QStringLiteral("menusaveas"), QStringLiteral("另存为...")),
            &QAction::triggered, this, [this] { m_workflow.saveaslist(); });
    connect(makeAction(QStringLiteral("menuplay"), QStringLiteral("播放选中的文件..."), ctrl(Qt::Key_P)),
            &QAction::triggered, this, &MainWindow::playSelected);
    connect(makeAction(QStringLiteral("menuquit"), QStringLiteral("退出"), ctrl(Qt::Key_Q)),
            &QAction::triggered, this, [this] { m_workflow.quitprogram(); });
    // Edit. Ctrl+C, Ctrl+Z and Ctrl+X are list commands here, not the clipboard.
    connect(makeAction(QStringLiteral("menuselec"), QStringLiteral("全选"), ctrl(Qt::Key_A)),
            &QAction::triggered, this, &MainWindow::addAll);
    connect(makeAction(QStringLiteral("menudell"), QStringLiteral("删除"), ctrl(Qt::Key_D)),
            &QAction::triggered, this, [this] { m_state.deleteentry(); });
    connect(makeAction(QStringLiteral("menuclear"), QStringLiteral("清空"), ctrl(Qt::Key_C)),
            &QAction::triggered, this, [this] { m_state.clearlist(); });
    connect(makeAction(QStringLiteral("menuup"), QStringLiteral("上移"), ctrl(Qt::Key_Z)),
            &QAction::triggered, this, [this] { m_state.moveup(); });
    connect(makeAction(QStringLiteral("menudown"), QStringLiteral("下移"), ctrl(Qt::Key_X)),
            &QAction::triggered, this, [this] { m_state.movedown(); });
    connect(makeAction(QStringLiteral("MENUFIRST"), QStringLiteral("移到顶端")),
            &QAction::triggered, this, [this] { m_state.movetotop(); });
    connect(makeAction(QStringLiteral("MENULAST"), QStringLiteral("移到最后")),
            &QAction::triggered, this, [this] { m_state.movetobottom(); });
    connect(makeAction(QStringLiteral("menuinsert"), QStringLiteral("插入列表文件"), ctrl(Qt::Key_I)),
            &QAction::triggered, this, [this] { m_workflow.insertlistfile(); });
    QAction *back = makeAction(QStringLiteral("menuinsertback"), QStringLiteral("插入后面"));
    QAction *front = makeAction(QStringLiteral("menuinsertfront"), QStringLiteral("插入前面"));
    back->setCheckable(true);
    front->setCheckable(true);
    back->setChecked(true);
    // The check marks are the list state's; a click must not toggle them by itself.
    connect(back, &QAction::triggered, this, [this, back] {
        back->setChecked(m_state.insertAfter());
        m_state.setInsertAfterMode();
    });
    connect(front, &QAction::triggered, this, [this, front] {
        front->setChecked(!m_state.insertAfter());
        m_state.setInsertBeforeMode();
    });
    connect(makeAction(QStringLiteral("menuundo"), QStringLiteral("撤销"), ctrl(Qt::Key_U)),
            &QAction::triggered, this, [this] { m_state.undo(); });
    // Window
    connect(makeAction(QStringLiteral("MENUOPENFORM3"), QStringLiteral("显示播放窗口"), QKeySequence(Qt::Key_F2)),
            &QAction::triggered, this, &MainWindow::showPlayer);
    connect(makeAction(QStringLiteral("MENUCLOSEFORM3"), QStringLiteral("隐藏播放窗口"), QKeySequence(Qt::Key_F3)),
            &QAction::triggered, this, &MainWindow::hidePlayer);
    // Help
    connect(makeAction(QStringLiteral("help"), QStringLiteral("帮助..."), QKeySequence(Qt::Key_F1)),
            &QAction::triggered, this, [this] { if (openHelp) openHelp(); });
    connect(makeAction(QStringLiteral("aboutme"), QStringLiteral("关于...")),
            &QAction::triggered, this, [this] { if (showAbout) showAbout(); });
    connect(makeAction(QStringLiteral("xuanyan"), QStringLiteral("宣言...")),
            &QAction::triggered, this, [this] { if (showDeclaration) showDeclaration(); });
    // Pop-up of List1: same operations as the menu, no shortcuts.
    connect(makeAction(QStringLiteral("poplist1undo"), QStringLiteral("撤销(&U)")),
            &QAction::triggered, this, [this] { m_state.undo(); });
    connect(makeAction(QStringLiteral("poplist1del"), QStringLiteral("删除(&D)")),
            &QAction::triggered, this, [this] { m_state.deleteentry(); });
    connect(makeAction(QStringLiteral("poplist1play"), QStringLiteral("播放...(&P)")),
            &QAction::triggered, this, &MainWindow::playSelected);
    connect(makeAction(QStringLiteral("POPLIST1FIRST"), QStringLiteral("移到顶端(&A)")),
            &QAction::triggered, this, [this] { m_state.movetotop(); });
    connect(makeAction(QStringLiteral("POPLIST1LAST"), QStringLiteral("移到最后(&Z)")),
            &QAction::triggered, this, [this] { m_state.movetobottom(); });
    connect(makeAction(QStringLiteral("poplist1up"), QStringLiteral("上移(&W)")),
            &QAction::triggered, this, [this] { m_state.moveup(); });
    connect(makeAction(QStringLiteral("poplist1down"), QStringLiteral("下移(&Q)")),
            &QAction::triggered, this, [this] { m_state.movedown(); });
}

void MainWindow::createMenus()
{
    const auto menu = [](QWidget *parent, const char *name, const QString &title) {
        auto *m = new QMenu(title, parent);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    const auto add = [this](QMenu *m, const char *name) { m->addAction(m_actions.value(QString::fromLatin1(name))); };
    const auto separator = [this](QMenu *m, const char *name) {
        QAction *s = m->addSeparator();
        s->setObjectName(QString::fromLatin1(name));
        m_actions.insert(s->objectName(), s);
    };

    QMenuBar *bar = menuBar();
    QMenu *file = menu(bar, "menufile", QStringLiteral("文件(&F)"));
    for (const char *n : {"menunew", "MENUOPEN", "menusave", "menusaveas", "menuplay"})
        add(file, n);
    separator(file, "MENUBAR");
    add(file, "menuquit");

    QMenu *edit = menu(bar, "menuedit", QStringLiteral("编辑(&E)"));
    for (const char *n : {"menuselec", "menudell", "menuclear", "menuup", "menudown", "MENUFIRST", "MENULAST"})
        add(edit, n);
    separator(edit, "MENUBAR0");
    add(edit, "menuinsert");
    QMenu *where = menu(edit, "menuinsertwei", QStringLiteral("插入位置"));
    add(where, "menuinsertback");
    add(where, "menuinsertfront");
    edit->addMenu(where);
    separator(edit, "MENUBAR00");
    add(edit, "menuundo");

    QMenu *window = menu(bar, "MENUKAN", QStringLiteral("窗口(&W)"));
    add(window, "MENUOPENFORM3");
    add(window, "MENUCLOSEFORM3");

    QMenu *helpMenu = menu(bar, "menuabout", QStringLiteral("帮助(&H)"));
    add(helpMenu, "help");
    add(helpMenu, "aboutme");
    separator(helpMenu, "MENUBAR000");
    add(helpMenu, "xuanyan");

    for (QMenu *m : {file, edit, window, helpMenu})
        bar->addMenu(m);

    // POPLIST1 never enters the menu bar; it is only List1's pop-up.
    m_popup = menu(this, "POPLIST1", QStringLiteral("list1"));
    add(m_popup, "poplist1undo");
    separator(m_popup, "MENUBAR1");
    add(m_popup, "poplist1del");
    add(m_popup, "poplist1play");
    separator(m_popup, "MENUBAR11");
    for (const char *n : {"POPLIST1FIRST", "POPLIST1LAST", "poplist1up", "poplist1down"})
        add(m_popup, n);
}

void MainWindow::createToolbar()
{
    struct Button {
        const char *key;
        const char *tip;
        int picture;   // 0: separator
    };
    static const Button buttons[] = {
        {"TBNEW", "新建", 1},      {"TBOPEN", "读取列表", 2}, {"TBSAVE", "保存列表", 3},
        {nullptr, nullptr, 0},     {"TBSAVEAS", "另存为...", 4}, {nullptr, nullptr, 0},
        {"TBSELEC", "全选", 5},    {"TBDELL", "删除", 6},     {"TBCLEAR", "清空", 7},
        {nullptr, nullptr, 0},     {"TBUP", "上移", 8},       {"TBDOWN", "下移", 9},
        {nullptr, nullptr, 0},     {"TBPLAY", "播放", 10},
    };
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setContentsMargins(0, 0, 0, 0);
    for (const Button &b : buttons) {
        if (!b.key) {
            m_toolbar->addSeparator();
            continue;
        }
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(b.key));
        a->setToolTip(QString::fromUtf8(b.tip));
        a->setIconText(QString::fromUtf8(b.tip));
        a->setIcon(QIcon(toolbarPicture(b.picture)));
        m_toolbar->addAction(a);
        if (QWidget *w = m_toolbar->widgetForAction(a))
            w->setFixedSize(23, 22);   // 345 × 330 twips
        m_actions.insert(a->objectName(), a);
    }
    // The command is chosen by the button's position, not by its key.
    connect(m_toolbar, &QToolBar::actionTriggered, this,
            [this](QAction *a) { toolbarClicked(int(m_toolbar->actions().indexOf(a)) + 1); });
}

void MainWindow::toolbarClicked(int position)
{
    switch (position) {
    case 1: m_workflow.newlist(); break;
    case 2: m_workflow.openlist(); break;
    case 3: m_workflow.savelist(); break;
    case 5: m_workflow.saveaslist(); break;
    case 7: addAll(); break;
    case 8: m_state.deleteentry(); break;
    case 9: m_state.clearlist(); break;
    case 11: m_state.moveup(); break;
    case 12: m_state.movedown(); break;
    case 14: playSelected(); break;
    default: break;   // separators
    }
}

void MainWindow::createControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    m_client->installEventFilter(this);

    m_browser = new MediaBrowser(m_client, m_messages, m_drives);
    m_drive1 = m_browser->drive1();
    m_dir1 = m_browser->dir1();
    m_combo1 = m_browser->combo1();
    m_file1 = m_browser->file1();
    connect(m_browser, &MediaBrowser::fileClicked, this, &MainWindow::onFileClicked);
    connect(m_browser, &MediaBrowser::fileListChanged, this,
            [this](int files) { m_state.setBrowserFileCount(files); });
    m_model = new PlaylistModel(m_state, this);
    m_list = new PlaylistView(m_state, m_client);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setModel(m_model);
    connect(m_list, &PlaylistView::popupRequested, this, [this](const QPoint &at) { m_popup->popup(at); });
    connect(m_list, &PlaylistView::playRequested, this, &MainWindow::playSelected);

    for (const LabelDef &def : kLabels) {
        auto *label = new QLabel(QString::fromUtf8(def.text), m_client);
        label->setObjectName(QString::fromLatin1(def.name));
        label->setGeometry(Twips::rect(def.left, def.top, def.width, def.height));
        m_labels.insert(label->objectName(), label);
    }
    // Label7 and Label8 only hold texts; the title shows the list name.
    m_labels.value(QStringLiteral("Label7"))->hide();
    m_labels.value(QStringLiteral("Label8"))->hide();
    const auto colour = [this](const char *name, QColor c) {
        QLabel *label = m_labels.value(QString::fromLatin1(name));
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, c);
        label->setPalette(pal);
    };
    colour("Label9", QColor(255, 128, 0));
    colour("Label10", QColor(192, 0, 192));
    m_labels.value(QStringLiteral("Label9"))->installEventFilter(this);

    m_status = new StatusBar(m_keys, m_client);
    connect(m_status, &StatusBar::panelClicked, m_status, &StatusBar::togglePanel1Text);
    // Insert has no lock light: the program keeps its own toggle.
    auto *insert = new QShortcut(QKeySequence(Qt::Key_Insert), this);
    insert->setAutoRepeat(false);
    connect(insert, &QShortcut::activated, m_status, &StatusBar::toggleInsert);
}

void MainWindow::setTabOrder()
{
    const QList<QWidget *> chain = {m_drive1, m_dir1, m_combo1, m_file1, m_list};
    for (int i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}

void MainWindow::connectState()
{
    connect(&m_state, &ListState::entriesChanged, this, &MainWindow::applyEntriesChange);
    connect(&m_state, &ListState::selectionChanged, m_list, &PlaylistView::showSelection);
    connect(&m_state, &ListState::labelChanged, this, [this](const QString &name, const QString &text) {
        if (QLabel *label = m_labels.value(name)) {
            label->setText(text);
            if (showsNumber(name))
                widenToText(label);
        }
    });
    connect(&m_state, &ListState::titleChanged, this, &QWidget::setWindowTitle);
    connect(&m_state, &ListState::enabledChanged, this, [this](const QString &name, bool enabled) {
        if (QAction *a = m_actions.value(name))
            a->setEnabled(enabled);
    });
    connect(&m_state, &ListState::insertModeChanged, this, [this](bool after) {
        m_actions.value(QStringLiteral("menuinsertback"))->setChecked(after);
        m_actions.value(QStringLiteral("menuinsertfront"))->setChecked(!after);
    });
    connect(&m_state, &ListState::form3LabelsChanged, this, [this] {
        if (m_player)
            m_player->setTrackLabels(m_state.form3Label4(), m_state.form3Label6());
    });
}

void MainWindow::applyEntriesChange(const ListChange &change)
{
    // The view's own selection moves while rows come and go are not the user's.
    m_list->setApplyingChange(true);
    m_model->apply(change);
    m_list->showSelection(m_state.selection());
    m_list->setApplyingChange(false);
}

void MainWindow::load()
{
    // The player window joins the load when it exists; its menu pair starts hidden-state.
    setPlayerMenu(false);
    placeOnScreen();
    m_state.setBrowserFileCount(m_browser->fileCount());
    m_state.load();
    applyLayout();
}

void MainWindow::placeOnScreen()
{
    // The client (below the menu bar) gets the design size; the outer size
    // then follows the W/H rule, whatever the frame really measures.
    resize(Twips::toPixels(MainLayout::kClientWidth),
           Twips::toPixels(MainLayout::kClientHeight) + menuBar()->sizeHint().height());
    const QScreen *s = screen();
    if (!s)
        return;
    const QRect area = s->geometry();
    const QPointF at = MainLayout::placement(Twips::fromPixels(area.width()), Twips::fromPixels(area.height()),
                                             MainLayout::kBaseWidth, MainLayout::kBaseHeight);
    move(area.left() + Twips::toPixels(at.x()), area.top() + Twips::toPixels(at.y()));
}

double MainWindow::outerWidthTwips() const
{
    return MainLayout::outerWidth(Twips::fromPixels(m_client->width()));
}

double MainWindow::outerHeightTwips() const
{
    return MainLayout::outerHeight(Twips::fromPixels(m_client->height()));
}

void MainWindow::applyLayout()
{
    const double clientW = Twips::fromPixels(m_client->width());
    const double clientH = Twips::fromPixels(m_client->height());
    const auto place = [](QWidget *w, const QRectF &r) {
        w->setGeometry(Twips::rect(r.left(), r.top(), r.width(), r.height()));
    };
    // Docked bars follow the client width by themselves.
    m_toolbar->setGeometry(Twips::rect(0, 0, clientW, 420));
    m_status->setGeometry(Twips::rect(0, clientH - 255, clientW, 255));

    const MainLayout::Geometry g = MainLayout::compute(MainLayout::outerWidth(clientW),
                                                       MainLayout::outerHeight(clientH), 300);
    place(m_drive1, g.drive1);
    place(m_dir1, g.dir1);
    place(m_combo1, g.combo1);
    place(m_file1, g.file1);
    place(m_list, g.list1);
    const std::pair<const char *, double> lefts[] = {
        {"Label4", g.label4Left}, {"Label5", g.label5Left}, {"Label6", g.label6Left},
        {"Label9", g.label9Left}, {"Label10", g.label10Left}};
    for (const auto &[name, left] : lefts) {
        QLabel *label = m_labels.value(QString::fromLatin1(name));
        for (const LabelDef &def : kLabels)
            if (qstrcmp(def.name, name) == 0)
                place(label, QRectF(left, g.labelTop, def.width, def.height));
        if (showsNumber(label->objectName()))
            widenToText(label);
    }
    m_status->setPanelWidth(1, g.panel1Width);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        applyLayout();
    } else if (watched == m_labels.value(QStringLiteral("Label9"))
               && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *label = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint()))
            m_state.clickLabel9();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing runs quit with its save prompt and cannot be cancelled.
    if (!m_ending)
        m_workflow.quitprogram();
    event->accept();
}

void MainWindow::setPlayerLink(PlayerLink *player)
{
    m_player = player;
    if (m_player)
        m_player->setTrackLabels(m_state.form3Label4(), m_state.form3Label6());
}

void MainWindow::setPlayerMenu(bool shown)
{
    m_actions.value(QStringLiteral("MENUCLOSEFORM3"))->setEnabled(shown);
    m_actions.value(QStringLiteral("MENUOPENFORM3"))->setEnabled(!shown);
}

void MainWindow::showPlayer()
{
    if (!m_player)
        return;
    m_player->showWindow();
    setPlayerMenu(true);
}

void MainWindow::hidePlayer()
{
    if (!m_player)
        return;
    m_player->hideWindow();
    setPlayerMenu(false);
}

void MainWindow::playSelected()
{
    const int s = m_state.selection();
    if (s < 0 || s >= m_state.count() || m_state.entry(s).isEmpty())
        return;
    if (m_state.GetFileExt(m_state.entry(s)).toUpper() != QLatin1String("MP3")) {
        m_messages.exclamation(QStringLiteral("播放功能只支持MP3文件！"), kPromptTitle);
        return;
    }
    if (!m_player)
        return;
    m_player->closeWindow();
    m_player->showWindow();
    setPlayerMenu(true);
}

void MainWindow::onFileClicked(const QString &folder, const QString &name)
{
    if (m_state.addClickedFile(folder, name) == ListState::AddResult::Duplicate)
        m_messages.exclamation(QStringLiteral("该文件已经被选中过!"), kPromptTitle);
}

void MainWindow::addAll()
{
    m_state.addallfiles(m_browser->folderPath(), m_browser->fileNames());
}
