#pragma once
#include "main_window/browser/folder_browser.h"
#include "platform/work/long_work.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class Drives;
class MessageBox;
class FileListWidget;

// The browser on the left of the main window: drive chooser `drive1`, folder
// tree `Dir1`, file-type filter `Combo1` and file list `File1`, showing what
// its FolderBrowser says (the volume and folder shown, the files read, the
// disk and volumes followed). It only shows the file system; adding files to
// the list is the caller's business, told through fileClicked(). The four
// widgets are children of the parent given to the constructor; the caller
// places them.
class MediaBrowser : public QObject {
    Q_OBJECT
public:
    // Starts on the drive and folder of QDir::currentPath() with the "*.MP3" filter.
    MediaBrowser(QWidget *parent, MessageBox &messages, Drives &drives);
    ~MediaBrowser() override;

    QComboBox *drive1() const;
    QTreeWidget *dir1() const;
    QComboBox *combo1() const;
    QListWidget *file1() const;

    // Folder shown in the file list, native separators, no trailing separator
    // except for a root ("/", "C:\").
    QString folderPath() const;
    // Names of the listed files in display order.
    QStringList fileNames() const;
    int fileCount() const;
    // The file-list pattern of the filter chosen now (";"-separated wildcards).
    QString currentPattern() const;
    // Root path (as in Volume::rootPath) of the drive last shown without error.
    QString lastdrive() const;
    // A folder is being read for the file list or the tree; the list fills
    // when it is done.
    bool isReading() const { return m_work.busy(); }
    // The folder reads, for a window that shows their progress.
    LongWork &reading();
    // The reads and the filling of the list, as one part of the window's long work.
    WorkGroup &work() { return m_work; }
    // What the widgets show, without them.
    FolderBrowser &folders() { return *m_folders; }

    // Shows `path` in the tree and lists its files, as if the user had opened
    // it; switches the drive chooser when `path` lies on another volume.
    // Returns false (and changes nothing) when the folder does not exist.
    bool openFolder(const QString &path);

    // Reads the volumes again and updates the drive chooser when they
    // changed; a volume that went away while shown gives way to the first
    // one. Runs by itself every few seconds.
    void checkVolumes();
    // Reads again the folders that changed on disk since the last time.
    // Runs by itself after a pause once something changed.
    void followDisk();

signals:
    // The user selected a file in the file list, by mouse or keyboard. Not
    // emitted when the list is filled or changed by the program.
    void fileClicked(const QString &folder, const QString &name);
    // Emitted once after every change of drive, folder or filter, when the
    // files are listed (the folder is read off the UI thread; the list is
    // empty meanwhile), also when a drive could not be read (the list is then
    // unchanged). The caller re-evaluates command enabling with the count.
    void fileListChanged(int fileCount);
    // The watched folders changed on disk, or a volume came or went: files
    // named elsewhere may have come or gone too.
    void diskFollowed();

private:
    void driveChanged(int index);
    void fill(const QStringList &names, bool sameFolder);
    void fillFileList();
    void showFolderInTree(const QString &folder);
    // What the tree does once a folder's subfolders are read.
    enum class OnLanding {
        Nothing,         // a folder opened by the user: its children appear below it
        RevealCurrent,   // on the way to the shown folder: it stays in sight
        KeepViewStill,   // a change on disk: the folders in sight stay where they are
    };
    // Reads the subfolders of a tree item once, off the UI thread: they
    // appear when read, beside the children it has already.
    void loadChildren(QTreeWidgetItem *item, OnLanding onLanding = OnLanding::Nothing);
    // Reads the subfolders of `item` again off the UI thread and merges them in.
    void readChildren(QTreeWidgetItem *item, OnLanding onLanding);
    void mergeChildren(QTreeWidgetItem *item, const FolderBrowser::Subfolders &read);
    void keepViewStill(const std::function<void()> &change);
    void selectDrive(int index);
    void fillDrives();
    QTreeWidgetItem *treeItem(const QString &path) const;
    void watchShownFolders();

    MessageBox &m_messages;
    QComboBox *m_drive1;
    QTreeWidget *m_dir1;
    QComboBox *m_combo1;
    FileListWidget *m_file1;
    FolderBrowser *m_folders = nullptr;
    struct Filling {            // a folder read, going into the list
        bool active = false;
        QStringList names;
        qsizetype at = 0;
        QString current;        // to select again when done, or ""
        int scroll = -1;        // to scroll back to when done, or -1
    } m_filling;
    WorkGroup m_work;           // the reads and the filling
    bool m_building = false;    // tree or chooser changed by the program
};
