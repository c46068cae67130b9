#include "main_window/main_window.h"

#include "aux_windows/aux_windows.h"
#include "main_window/work_progress.h"
#include "main_window/export/list_export.h"
#include "main_window/command_names.h"
#include "main_window/command_table.h"
#include "platform/file_dialog.h"
#include "main_window/find_bar.h"
#include "main_window/layout.h"
#include "main_window/list_tools.h"
#include "main_window/missing_entries.h"
#include "main_window/browser/media_browser.h"
#include "platform/message_box.h"
#include "main_window/art/pictures.h"
#include "model/media_types.h"
#include "player/player_link.h"
#include "main_window/playlist_model.h"
#include "main_window/playlist_view.h"
#include "main_window/prompt/prompt.h"
#include "main_window/status_bar.h"
#include "main_window/workflow/recovery_offer.h"
#include "main_window/workflow/recovery_recorder.h"
#include "platform/twips.h"
#include "playlist_io/text_encoding.h"

#include <QActionGroup>
#include <QComboBox>
#include <QListWidget>
#include <QTreeWidget>
#include <QCloseEvent>
#include <QFileInfo>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>


namespace {
// Design text and geometry of the labels (twips).
struct LabelDef {
    Label which;
    const char *text;
    double left, top, width, height;
};
const LabelDef kLabelDefs[] = {
    {Label::ListNameCaption, "Label7", 2880, 600, 2295, 255},
    {Label::ListPath, "Label8", 2880, 840, 4215, 375},
    {Label::CountPrefix, "现在一共", 2760, 3840, 735, 255},
    {Label::Count, "000000", 3600, 3840, 615, 255},
    {Label::CountSuffix, "首歌曲", 4200, 3840, 615, 255},
    {Label::PositionCaption, "当前位置", 5520, 3840, 735, 255},
    {Label::Position, "00000", 6360, 3840, 495, 255},
};

const LabelDef &labelDef(Label which)
{
    for (const LabelDef &def : kLabelDefs)
        if (def.which == which)
            return def;
    Q_UNREACHABLE();
}

// The labels below the list, left to right: they read as one line.
constexpr Label kLabelRow[] = {Label::CountPrefix, Label::Count, Label::CountSuffix, Label::PositionCaption,
                               Label::Position};
} // namespace

MainWindow::MainWindow(MessageBox &messages, FileDialog &dialog, Drives &drives, const KeyState &keys,
                       AuxWindows &auxWindows, const FileProbe &files, RepairDialogs &repairs, QWidget *parent)
    : QMainWindow(parent),
      m_messages(messages),
      m_dialog(dialog),
      m_drives(drives),
      m_keys(keys),
      m_aux(auxWindows),
      m_list(PathRules::native()),
      m_state(m_list),
      m_workflow(m_state, m_list, messages, dialog, &m_tags, &m_reading),
      m_tags(m_reading.work()),
      m_intake(m_list, m_workflow, messages, m_work)
{
    m_busy.add(m_work);
    m_busy.add(m_reading.work());
    new WorkProgressView(m_work, this);
    new WorkProgressView(m_reading.work(), this);
    m_export = new ListExport(m_list, dialog, messages, m_work, m_tags.cache(), this);
    setObjectName(QStringLiteral("liebiao"));
    setWindowTitle(QStringLiteral("Melvora"));
    m_textWidth.fill(-1);
    setWindowIcon(applicationIcon());
    connect(&m_workflow, &ListFileWorkflow::closeOtherWindows, this, &MainWindow::closeOtherWindows);
    // A change on disk is asked about over the window, once it is the user's.
    connect(&m_workflow, &ListFileWorkflow::reloadWanted, this, [this] {
        if (isActiveWindow())
            QTimer::singleShot(0, &m_workflow, &ListFileWorkflow::askReload);
    });
    connect(&m_workflow, &ListFileWorkflow::endProgram, this, [this] {
        m_ending = true;
        QCoreApplication::exit(0);
    });

    createCommands();
    createControls();
    createToolbar();
    connectState();
    createListTools(files, repairs);
    setTabOrder();
    load();
}

void MainWindow::createListTools(const FileProbe &files, RepairDialogs &repairs)
{
    m_missing = new MissingEntries(m_list, files, this);
    m_busy.add(m_missing->work());
    m_model->setHealth(m_missing);
    connect(m_missing, &MissingEntries::missingCountChanged, this, &MainWindow::showStatusNote);
    connect(&m_state, &WindowState::skippedRepeatsChanged, this, &MainWindow::showStatusNote);
    m_model->setTags(&m_tags);
    // Entries joining a list whose lines carry titles and lengths: their tags
    // are read now, so that a save seldom waits for them.
    connect(&m_list, &Playlist::edited, this, [this](Edit what) {
        if (what == Edit::FileAdded || what == Edit::FilesAdded || what == Edit::Appended)
            m_tags.prefetch(m_workflow.pathsWantingTags());
    });
    connect(m_browser, &MediaBrowser::diskFollowed, m_missing, &MissingEntries::checkSoon);
    m_listTools = new ListTools(m_list, *m_missing, {m_messages, repairs, files, m_work}, this,
                                [] { return QRandomGenerator::global()->generate(); });
    m_find = new FindBar(m_list, m_list1, m_client);
    // The status area names an unusual encoding.
    connect(&m_workflow, &ListFileWorkflow::formChanged, this, &MainWindow::showStatusNote);
}

void MainWindow::fillEncodings(QMenu &menu)
{
    auto *group = new QActionGroup(&menu);
    const TextEncoding inUse = m_workflow.form().encoding;
    for (const EncodingName &name : encodingNames()) {
        if (name.encoding == TextEncoding::Utf8Bom)
            continue;   // UTF-8 reads a mark as it is
        QString caption = encodingLabel(name.encoding);
        if (!name.region.isEmpty())
            caption += QStringLiteral(" (") + name.region + u')';
        QAction *choice = menu.addAction(caption);
        choice->setObjectName(QStringLiteral("menureopen") + QString::fromLatin1(name.word));
        choice->setCheckable(true);
        choice->setChecked(name.encoding == (inUse == TextEncoding::Utf8Bom ? TextEncoding::Utf8 : inUse));
        group->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, encoding = name.encoding] { m_workflow.reopenIn(encoding); });
    }
}

void MainWindow::startWithRecords(RecoveryStore &store, const QStringList &paths)
{
    if (m_recorder)
        return;
    m_recorder = new RecoveryRecorder(m_workflow, m_list, store, this);
    connect(m_recorder, &RecoveryRecorder::problemChanged, this, &MainWindow::showStatusNote);
    const RecoveryOffered offered = offerRecovery(store, m_workflow, m_messages);
    QStringList rest;
    for (const QString &path : paths) {
        if (!offered.restored || offered.path.isEmpty() ||
            QFileInfo(path).absoluteFilePath() != QFileInfo(offered.path).absoluteFilePath())
            rest.append(path);
    }
    if (!rest.isEmpty())
        openFiles(rest);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, &m_workflow, &ListFileWorkflow::askReload);
}

void MainWindow::showStatusNote()
{
    QStringList parts;
    // GB18030 and UTF-8 are what the program's users expect; another is told.
    if (const TextEncoding e = m_workflow.form().encoding; isCodePage(e) && e != TextEncoding::Gb18030)
        parts << QStringLiteral("编码：") + encodingLabel(e);
    if (const int missing = m_missing->missingCount(); missing > 0)
        parts << QStringLiteral("缺失 %1 个文件").arg(missing);
    if (const int repeats = m_state.skippedRepeats(); repeats > 0)
        parts << QStringLiteral("略去 %1 个重复的项").arg(repeats);
    if (m_recorder && !m_recorder->problem().isEmpty())
        parts << m_recorder->problem();
    m_status->setNote(parts.join(QStringLiteral(" · ")));
}

MainWindow::~MainWindow()
{
    // It reads the list and the workflow: it ends while they exist.
    delete m_recorder;
    // The controls talk to the playlist: let them go while it still exists.
    delete m_client;
    // Its check may still ask the probe, which is a member: it ends first.
    m_model->setHealth(nullptr);
    delete m_missing;
}

QAction *MainWindow::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void MainWindow::createCommands()
{
    menuBar()->setAccessibleName(QStringLiteral("菜单栏"));
    const CommandMenus made = buildCommandMenus(
        this, menuBar(), menuRows(), commandRows(), [this](const CommandRow &row) { row.run(*this); },
        [this](const CommandRow &row, QMenu &menu) { row.fill(*this, menu); });
    m_commands = made.actions;
    m_popup = made.menus[std::size_t(Menu::Popup)];
    m_tools = made.menus[std::size_t(Menu::Tools)];
}

// What the menus, the pop-up menu, the toolbar and the list's own keys and
// clicks run: an item and a button that name the same command run its one
// handler.
void MainWindow::run(Command command)
{
    if (const auto handler = commandRow(command).run)
        handler(*this);
}

void MainWindow::createToolbar()
{
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setAccessibleName(QStringLiteral("工具栏"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setContentsMargins(0, 0, 0, 0);
    for (int position = 1; position <= kToolbarLength; ++position) {
        const CommandRow *row = toolbarRow(position);
        if (!row) {
            m_toolbar->addSeparator();
            continue;
        }
        const ToolbarSlot &b = row->toolbar;
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(b.key));
        a->setToolTip(QString::fromUtf8(b.tip));
        a->setIconText(QString::fromUtf8(b.tip));
        a->setIcon(QIcon(toolbarPicture(b.picture)));
        m_toolbar->addAction(a);
        if (QWidget *w = m_toolbar->widgetForAction(a))
            w->setFixedSize(23, 22);   // 345 × 330 twips
    }
    // The command is chosen by the button's position, not by its key.
    connect(m_toolbar, &QToolBar::actionTriggered, this,
            [this](QAction *a) { toolbarClicked(int(m_toolbar->actions().indexOf(a)) + 1); });
}

void MainWindow::openFiles(const QStringList &paths)
{
    m_intake.open(paths, m_browser->currentPattern());
}

void MainWindow::toolbarClicked(int position)
{
    if (const CommandRow *row = toolbarRow(position))
        run(row->command);   // separators do nothing
}

void MainWindow::createControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    m_client->installEventFilter(this);

    m_browser = new MediaBrowser(m_client, m_messages, m_drives);
    new WorkProgressView(m_browser->reading(), this);
    m_busy.add(m_browser->work());
    m_drive1 = m_browser->drive1();
    m_dir1 = m_browser->dir1();
    m_combo1 = m_browser->combo1();
    m_file1 = m_browser->file1();
    connect(m_browser, &MediaBrowser::fileClicked, this, &MainWindow::onFileClicked);
    connect(m_browser, &MediaBrowser::fileListChanged, this,
            [this](int files) { m_state.setBrowserFileCount(files); });
    m_model = new PlaylistModel(m_list, this);
    m_model->setDocument(&m_workflow.document());
    m_list1 = new PlaylistView(m_list, m_client);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setAccessibleName(QStringLiteral("播放列表"));
    m_list1->setModel(m_model);
    connect(m_list1, &PlaylistView::popupRequested, this, [this](const QPoint &at) { m_popup->popup(at); });
    connect(m_list1, &PlaylistView::playRequested, this, [this] { run(Command::PlaySelected); });
    connect(m_list1, &PlaylistView::deleteRequested, this, [this] { run(Command::Delete); });
    connect(m_list1, &PlaylistView::filesDropped, this,
            [this](const QStringList &paths) { m_intake.drop(paths, m_browser->currentPattern()); });
    connect(m_list1, &PlaylistView::pointerMoved, this, [this] { m_state.pointerMoved(); });

    for (const LabelDef &def : kLabelDefs) {
        auto *label = new QLabel(QString::fromUtf8(def.text), m_client);
        label->setObjectName(labelName(def.which));
        label->setGeometry(Twips::rect(def.left, def.top, def.width, def.height));
        m_labels[std::size_t(def.which)] = label;
    }
    // Label7 and Label8 only hold texts; the title shows the list name.
    label(Label::ListNameCaption)->hide();
    label(Label::ListPath)->hide();
    const auto colour = [this](Label which, QColor c) {
        QPalette pal = label(which)->palette();
        pal.setColor(QPalette::WindowText, c);
        label(which)->setPalette(pal);
    };
    colour(Label::PositionCaption, QColor(255, 128, 0));
    colour(Label::Position, QColor(192, 0, 192));
    label(Label::PositionCaption)->installEventFilter(this);
    // A click on it clears the selection. Like every label it is read out by
    // what it shows: nothing while nothing is selected.
    label(Label::PositionCaption)->setAccessibleDescription(QStringLiteral("单击取消选择"));

    m_status = new StatusBar(m_keys, m_client);
    m_status->setAccessibleName(QStringLiteral("状态栏"));
    connect(m_status, &StatusBar::panelClicked, m_status, &StatusBar::togglePanel1Text);
    // Insert has no lock light: the program keeps its own toggle.
    auto *insert = new QShortcut(QKeySequence(Qt::Key_Insert), this);
    insert->setAutoRepeat(false);
    connect(insert, &QShortcut::activated, m_status, &StatusBar::toggleInsert);
}

void MainWindow::setTabOrder()
{
    const QList<QWidget *> chain = {m_drive1, m_dir1, m_combo1, m_file1, m_list1};
    for (int i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}

void MainWindow::connectState()
{
    // The view's own selection moves while rows come and go are not the
    // user's; the playlist's selection is put back once the change is done.
    connect(m_model, &PlaylistModel::changeStarting, this, [this] { m_list1->setApplyingChange(true); });
    connect(m_model, &PlaylistModel::changeFinished, this, [this] {
        showSelection();
        m_list1->setApplyingChange(false);
    });
    connect(&m_list, &Playlist::selectionChanged, m_list1, &PlaylistView::showSelection);
    const auto showInsertMode = [this](bool after) {
        action(Command::InsertAfter)->setChecked(after);
        action(Command::InsertBefore)->setChecked(!after);
    };
    connect(&m_list, &Playlist::insertModeChanged, this, showInsertMode);
    showInsertMode(m_list.insertAfter());
    connect(&m_state, &WindowState::labelChanged, this, [this](Label which, const QString &text) {
        label(which)->setText(text);
        m_textWidth[std::size_t(which)] = -1;
        flowLabelRow();
        // The file dialog opens where the list's own file is.
        if (which == Label::ListPath)
            m_dialog.setListFolder(m_state.listPath().isEmpty() ? QString()
                                                                : QFileInfo(m_state.listPath()).absolutePath());
    });
    connect(&m_state, &WindowState::titleChanged, this, &QWidget::setWindowTitle);
    connect(&m_state, &WindowState::commandEnabledChanged, this,
            [this](Command c, bool enabled) { action(c)->setEnabled(enabled); });
    connect(&m_state, &WindowState::playerTrackChanged, this, [this](int number, int count) {
        if (m_player)
            m_player->setTrackPosition(number, count);
    });
}

void MainWindow::showSelection()
{
    m_list1->showSelection(m_list.selection());
}

void MainWindow::load()
{
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
    m_textWidth.fill(-1);   // measured again with the layout
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
    place(m_list1, g.list1);
    const std::pair<Label, double> lefts[] = {
        {Label::CountPrefix, g.label4Left}, {Label::Count, g.label5Left}, {Label::CountSuffix, g.label6Left},
        {Label::PositionCaption, g.label9Left}, {Label::Position, g.label10Left}};
    for (const auto &[which, left] : lefts) {
        const LabelDef &def = labelDef(which);
        const QRect r = Twips::rect(left, g.labelTop, def.width, def.height);
        m_labelPlace[std::size_t(which)] = r;
        label(which)->setGeometry(r);
    }
    flowLabelRow();
    m_status->setPanelWidth(1, g.panel1Width);
}

// The labels below the list as one line of texts (see MainLayout::flowRow).
void MainWindow::flowLabelRow()
{
    std::array<MainLayout::RowLabel, std::size(kLabelRow)> row;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const Label which = kLabelRow[i];
        const QRect &place = m_labelPlace[std::size_t(which)];
        if (place.isNull())
            return;   // not laid out yet
        QLabel *l = label(which);
        // Measured when a text changes: a move in the list changes one label, not five.
        int &textWidth = m_textWidth[std::size_t(which)];
        if (textWidth < 0)
            textWidth = l->fontMetrics().horizontalAdvance(l->text());
        row[i] = {place.left(), place.width(), l->text().isEmpty() ? 0 : textWidth, l->sizeHint().width()};
    }
    MainLayout::flowRow(row, 3, Twips::toPixels(60), m_list1->geometry().right());
    for (std::size_t i = 0; i < row.size(); ++i) {
        const QRect &place = m_labelPlace[std::size_t(kLabelRow[i])];
        label(kLabelRow[i])->setGeometry(row[i].left, place.top(), row[i].width, place.height());
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        applyLayout();
    } else if (watched == label(Label::PositionCaption) && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *caption = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && caption->rect().contains(mouse->position().toPoint()))
            m_list.selectNone();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing runs quit with its save prompt, which keeps the window when the
    // user escapes from it or the list could not be saved.
    if (!m_ending && !m_workflow.quitprogram()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::closeOtherWindows()
{
    if (m_player)
        m_player->closeWindow();
    m_aux.closeDeclaration();
    m_aux.closeAbout();
}

void MainWindow::setPlayerLink(PlayerLink *player)
{
    m_player = player;
    if (m_player)
        m_player->setTrackPosition(m_state.playerTrack(), m_list.count());
}

void MainWindow::playerWindowHidden()
{
    m_state.setPlayerShown(false);
}

void MainWindow::setPlayingPath(const QString &path)
{
    m_state.setPlayingPath(path);
}

void MainWindow::showPlayer()
{
    if (!m_player)
        return;
    m_player->showWindow();
    m_state.setPlayerShown(true);
}

void MainWindow::hidePlayer()
{
    if (!m_player)
        return;
    m_player->hideWindow();
    m_state.setPlayerShown(false);
}

MainWindow::SelectedPlay MainWindow::selectedPlay() const
{
    const int s = m_list.selection();
    if (s < 0 || s >= m_list.count() || m_list.entry(s).isEmpty())
        return SelectedPlay::Nothing;
    return hasMp3Extension(m_list.entry(s), m_list.rules()) ? SelectedPlay::Plays : SelectedPlay::NotMp3;
}

void MainWindow::playSelected()
{
    switch (selectedPlay()) {
    case SelectedPlay::Nothing: return;
    case SelectedPlay::NotMp3:
        m_messages.exclamation(QStringLiteral("播放功能只支持MP3文件！"), kPromptTitle);
        return;
    case SelectedPlay::Plays: break;
    }
    if (!m_player)
        return;
    m_player->closeWindow();
    m_player->showWindow();
    m_state.setPlayerShown(true);
}

void MainWindow::onFileClicked(const QString &folder, const QString &name)
{
    switch (m_list.addClickedFile(folder, name)) {
    case Playlist::AddResult::Duplicate:
        m_messages.exclamation(kDuplicateFileMessage, kPromptTitle);
        break;
    case Playlist::AddResult::LineBreak:
        m_messages.exclamation(kLineBreakMessage, kPromptTitle);
        break;
    case Playlist::AddResult::Added:
    case Playlist::AddResult::NoFile:
        break;
    }
}

void MainWindow::addAll()
{
    if (m_list.addallfiles(m_browser->folderPath(), m_browser->fileNames()) > 0)
        m_messages.exclamation(kLineBreakMessage, kPromptTitle);
}
