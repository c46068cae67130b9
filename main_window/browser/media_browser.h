#pragma once
#include "platform/work/long_work.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QElapsedTimer;
class QFileSystemWatcher;
class QListWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class Drives;
class MessageBox;
class FileListWidget;

// The browser on the left of the main window: drive chooser `drive1`, folder
// tree `Dir1`, file-type filter `Combo1` and file list `File1`. It only shows
// the file system; adding files to the list is the caller's business, told
// through fileClicked(). The four widgets are children of the parent given to
// the constructor; the caller places them.
//
// It follows the disk: folders created, removed or renamed under the shown
// folder and the opened folders of the tree, and files coming and going in
// the shown folder, appear without asking. Bursts of changes (a copy of many
// files) are gathered and the folders read again once, after a pause that
// grows with what a reading costs. Volumes mounted or unmounted change the
// drive chooser within a few seconds.
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
    LongWork &reading() { return m_reading; }
    // The reads and the filling of the list, as one part of the window's long work.
    WorkGroup &work() { return m_work; }

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
    void folderChanged();
    void filterChosen();
    enum class ListRefresh {
        NewFolder,    // emptied at once, filled when read
        SameFolder,   // kept until read again, its selection and scrolling then kept
    };
    // Reads the shown folder off the UI thread; `landed` runs once its files
    // are listed.
    void listFiles(ListRefresh refresh, std::function<void()> landed);
    void fillFileList();
    void showFolderInTree(const QString &path);
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
    struct Subfolders;
    void mergeChildren(QTreeWidgetItem *item, const Subfolders &read);
    void keepViewStill(const std::function<void()> &change);
    QString currentFolderOf(const QString &rootPath) const;
    int driveIndex(const QString &rootPath) const;
    void selectDrive(int index);
    void fillDrives();
    QTreeWidgetItem *treeItem(const QString &path) const;
    void watchShownFolders();
    void diskChanged(const QString &path);

    MessageBox &m_messages;
    Drives &m_drives;
    QComboBox *m_drive1;
    QTreeWidget *m_dir1;
    QComboBox *m_combo1;
    FileListWidget *m_file1;
    QString m_folder;    // '/' separators, cleaned
    QString m_lastdrive;
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;           // the pause after a change on disk
    QTimer *m_volumePoll;
    QStringList m_changed;      // folders changed on disk since the last reading
    int m_lastReadingMs = 0;
    LongWork m_reading;         // the file list's folder reads
    LongWork m_treeReading;     // subfolders of the tree's folders
    struct Filling {            // a folder read, going into the list
        bool active = false;
        QStringList names;
        qsizetype at = 0;
        QString current;        // to select again when done, or ""
        int scroll = -1;        // to scroll back to when done, or -1
        std::function<void()> landed;
    } m_filling;
    WorkGroup m_work;           // the reads and the filling
    bool m_building = false; // tree or chooser changed by the program
};
