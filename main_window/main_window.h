#pragma once
#include "model/commands.h"
#include "main_window/file_intake.h"
#include "main_window/list_reading.h"
#include "main_window/list_tags.h"
#include "platform/work/long_work.h"
#include "main_window/workflow/list_file_workflow.h"
#include "model/playlist.h"
#include "model/window_state.h"
#include "platform/files/entry_check.h"
#include "main_window/repair_dialogs.h"

#include <QMainWindow>

#include <functional>

#include <array>

class AuxWindows;
class Drives;
class FileDialog;
class FindBar;
class KeyState;
class ListExport;
class ListTools;
class MediaBrowser;
class MissingEntries;
class MessageBox;
class PlayerLink;
class PlaylistModel;
class PlaylistView;
class QLabel;
class QMenu;
class RecoveryRecorder;
class RecoveryStore;
class QToolBar;
class StatusBar;

// liebiao, the playlist editor's window. A view over the playlist and its
// window state: user events go to the playlist, the state and the file
// workflow; the state's signals set the labels, the title, the enabled and
// checked commands and List1's rows.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window talks to the desktop only through these; tests hand in fakes.
    // `files` says whether the list's entries exist, `repairs` asks the list
    // repairs' questions; both outlive the window.
    MainWindow(MessageBox &messages, FileDialog &dialog, Drives &drives, const KeyState &keys,
               AuxWindows &auxWindows, const FileProbe &files, RepairDialogs &repairs, QWidget *parent = nullptr);
    ~MainWindow() override;

    Playlist &playlist() { return m_list; }
    const WindowState &state() const { return m_state; }
    ListFileWorkflow &workflow() { return m_workflow; }

    QAction *action(Command command) const { return m_commands[std::size_t(command)]; }
    // Any menu, pop-up or toolbar action by its object name (null for an unknown name).
    QAction *action(const QString &objectName) const;
    QLabel *label(Label which) const { return m_labels[std::size_t(which)]; }
    PlaylistView *list1() const { return m_list1; }
    StatusBar *statusBar1() const { return m_status; }
    QToolBar *toolbar1() const { return m_toolbar; }
    QMenu *popupMenu() const { return m_popup; }
    QMenu *toolsMenu() const { return m_tools; }
    MediaBrowser *browser() const { return m_browser; }
    MissingEntries &missingEntries() const { return *m_missing; }
    ListTools &listTools() const { return *m_listTools; }
    ListTags &listTags() { return m_tags; }
    ListReading &listReading() { return m_reading; }
    FindBar *findBar() const { return m_find; }
    AuxWindows &auxWindows() const { return m_aux; }
    ListExport &listExport() const { return *m_export; }
    // 工具 > 以其他编码重新打开: one item per encoding, the one in use checked;
    // choosing one reads the list's file again in it.
    void fillEncodings(QMenu &menu);
    // The submenu of the preview's outputs, filled by whoever knows them each
    // time it opens (empty without one).
    void setOutputMenuFiller(std::function<void(QMenu &)> fill) { m_outputMenu = std::move(fill); }
    void fillOutputMenu(QMenu &menu) const
    {
        if (m_outputMenu)
            m_outputMenu(menu);
    }

    // Files named on the command line: the first playlist opens the list,
    // further ones are inserted, media files and folders are added as a
    // drop on List1 adds them (see FileIntake).
    void openFiles(const QStringList &paths);
    // Start-up with recovery records in `store`: a dead program's list is
    // offered first, then `paths` are taken as openFiles takes them (the
    // restored list's own file is not opened again); from then on the list
    // is recorded there while it is unsaved. Once per window.
    void startWithRecords(RecoveryStore &store, const QStringList &paths);
    RecoveryRecorder *recorder() const { return m_recorder; }
    // All of the window's long work: drops and the command line, exports and
    // repairs, the browser's folder reads, the check for missing entries.
    // Busy while any of it runs or waits to start; idle() once all is done.
    WorkGroup &work() { return m_busy; }
    bool isBusy() const { return m_busy.busy(); }

    // Toolbar button by 1-based position, separators counted (4, 6, 10, 13 do nothing).
    void toolbarClicked(int position);
    // Plays the selected entry: MP3 entries go to the player window, others get a message.
    void playSelected();
    // What the play command does with the selection now.
    enum class SelectedPlay { Nothing, NotMp3, Plays };
    SelectedPlay selectedPlay() const;
    // 全选: adds every file File1 shows (a message when some could not be added).
    void addAll();
    // Show or hide the player window, once there is one.
    void showPlayer();
    void hidePlayer();

    // The player window, once there is one (not owned).
    void setPlayerLink(PlayerLink *player);
    // The player window hid itself (double-click on its background): the
    // menu pair switches back to "show".
    void playerWindowHidden();
    // The player window's playing path changed; the track number it is sent
    // after the next change of the list is looked up from it.
    void setPlayingPath(const QString &path);

    // Outer size in twips by the rule W = client + 120, H = client + 690,
    // where the client is the part below the menu bar.
    double outerWidthTwips() const;
    double outerHeightTwips() const;
    // Re-lays out the controls for the current size.
    void applyLayout();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createListTools(const FileProbe &files, RepairDialogs &repairs);
    void createCommands();
    // Runs the command's handler (see main_window/command_table.h).
    void run(Command command);
    void createToolbar();
    void createControls();
    void connectState();
    void setTabOrder();
    void load();
    void placeOnScreen();
    void closeOtherWindows();
    void onFileClicked(const QString &folder, const QString &name);
    void showSelection();
    void flowLabelRow();
    void showStatusNote();

    MessageBox &m_messages;
    FileDialog &m_dialog;
    Drives &m_drives;
    const KeyState &m_keys;
    AuxWindows &m_aux;
    Playlist m_list;
    WindowState m_state;
    ListFileWorkflow m_workflow;
    LongWork m_work;   // reading the disk for drops, the command line and the repairs
    // The list files opened and inserted. Its runner serves every command
    // that waits for its work (an open, a save's tags), and lands nothing
    // else: a wait that comes while the window's runner lands a drop (a list
    // dropped on a changed one, saved first) would wait behind that landing.
    ListReading m_reading;
    ListTags m_tags;   // the files' tags, for the saves, the tips and the export
    WorkGroup m_busy;  // m_work, the browser's and the check's
    FileIntake m_intake;
    PlayerLink *m_player = nullptr;
    std::function<void(QMenu &)> m_outputMenu;
    ListExport *m_export = nullptr;   // 工具 > 导出列表
    bool m_ending = false;
    MissingEntries *m_missing = nullptr;
    ListTools *m_listTools = nullptr;
    FindBar *m_find = nullptr;
    RecoveryRecorder *m_recorder = nullptr;

    std::array<QAction *, kCommandCount> m_commands{};
    std::array<QLabel *, kLabelCount> m_labels{};
    std::array<QRect, kLabelCount> m_labelPlace{};   // where the layout puts each label
    std::array<int, kLabelCount> m_textWidth{};   // of each label's text; -1: to measure
    QMenu *m_popup = nullptr;
    QMenu *m_tools = nullptr;
    QToolBar *m_toolbar = nullptr;
    StatusBar *m_status = nullptr;
    QWidget *m_client = nullptr;
    PlaylistModel *m_model = nullptr;
    PlaylistView *m_list1 = nullptr;
    QWidget *m_drive1 = nullptr, *m_dir1 = nullptr, *m_combo1 = nullptr, *m_file1 = nullptr;
    MediaBrowser *m_browser = nullptr;
};
