#pragma once
#include "list_file_workflow.h"
#include "list_state.h"
#include "layout.h"

#include <QHash>
#include <QMainWindow>
#include <functional>

class Drives;
class FileDialog;
class KeyState;
class MessageBox;
class PlayerLink;
class PlaylistModel;
class PlaylistView;
class QLabel;
class QMenu;
class QToolBar;
class StatusBar;
class MediaBrowser;

// liebiao, the playlist editor's window. A view over the list state: user
// events go to the state and the file workflow; the state's signals set the
// labels, the title, the enabled and checked commands and List1's rows.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window talks to the desktop only through these; tests hand in fakes.
    MainWindow(MessageBox &messages, FileDialog &dialog, Drives &drives, const KeyState &keys,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    ListState &state() { return m_state; }
    ListFileWorkflow &workflow() { return m_workflow; }

    // Menu, pop-up and toolbar actions by object name (null for an unknown name).
    QAction *action(const QString &name) const { return m_actions.value(name); }
    PlaylistView *list1() const { return m_list; }
    StatusBar *statusBar1() const { return m_status; }
    QToolBar *toolbar1() const { return m_toolbar; }
    QMenu *popupMenu() const { return m_popup; }
    MediaBrowser *browser() const { return m_browser; }

    // Toolbar button by 1-based position, separators counted (4, 6, 10, 13 do nothing).
    void toolbarClicked(int position);
    // Plays the selected entry: MP3 entries go to the player window, others get a message.
    void playSelected();

    // The player window, once there is one (not owned).
    void setPlayerLink(PlayerLink *player);
    // The player window hid itself (double-click on its background): the
    // menu pair switches back to "show".
    void playerWindowHidden() { setPlayerMenu(false); }

    // Outer size in twips by the rule W = client + 120, H = client + 690,
    // where the client is the part below the menu bar.
    double outerWidthTwips() const;
    double outerHeightTwips() const;
    // Re-lays out the controls for the current size.
    void applyLayout();

    // The about, declaration and help windows; replaceable so tests need no desktop.
    std::function<void()> showAbout, showDeclaration, openHelp;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void createMenus();
    void createToolbar();
    void createControls();
    void connectState();
    void setTabOrder();
    void load();
    void placeOnScreen();
    void showPlayer();
    void hidePlayer();
    void setPlayerMenu(bool shown);
    void onFileClicked(const QString &folder, const QString &name);
    void addAll();
    void applyEntriesChange(const ListChange &change);
    QAction *makeAction(const QString &name, const QString &caption, const QKeySequence &shortcut = {});

    MessageBox &m_messages;
    ListState m_state;
    ListFileWorkflow m_workflow;
    PlayerLink *m_player = nullptr;
    bool m_ending = false;

    QHash<QString, QAction *> m_actions;
    QHash<QString, QLabel *> m_labels;
    QMenu *m_popup = nullptr;
    QToolBar *m_toolbar = nullptr;
    StatusBar *m_status = nullptr;
    QWidget *m_client = nullptr;
    PlaylistModel *m_model = nullptr;
    PlaylistView *m_list = nullptr;
    QWidget *m_drive1 = nullptr, *m_dir1 = nullptr, *m_combo1 = nullptr, *m_file1 = nullptr;
    MediaBrowser *m_browser = nullptr;
    Drives &m_drives;
    const KeyState &m_keys;
};
