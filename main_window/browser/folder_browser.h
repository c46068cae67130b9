#pragma once
#include "platform/files/volumes.h"
#include "platform/work/long_work.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class QFileSystemWatcher;
class QTimer;

// The browser without its widgets: which volume and folder are shown and
// with what filter, the folder reads off the UI thread, and following the
// disk and the volumes. MediaBrowser shows what it says and tells it what the
// user does; tests drive it with fake drives and real folders.
//
// Following the disk: folders created, removed or renamed under the watched
// folders (the shown one and those whose subfolders the tree shows), and
// files coming and going in the shown folder, are gathered and read again
// once, after a pause of at least three times what a reading of them took
// (250 ms at the least), so a long copy into a big folder does not keep the
// program busy. Volumes mounted or unmounted are seen within two seconds.
class FolderBrowser : public QObject {
    Q_OBJECT
public:
    // Starts on the volume and folder of QDir::currentPath(); nothing is read yet.
    FolderBrowser(Drives &drives, const QString &pattern, QObject *parent = nullptr);
    ~FolderBrowser() override;

    // The volumes as the drive chooser lists them; the one shown.
    const QList<Volume> &volumes() const { return m_volumes; }
    int volumeIndex() const;
    // Root path (as in Volume::rootPath) of the volume last shown without error.
    QString lastdrive() const { return m_lastdrive; }
    // The folder shown, "/"-separated and cleaned.
    QString folder() const { return m_folder; }
    // The file list's pattern (";"-separated wildcards, see MediaTypes).
    QString pattern() const { return m_pattern; }

    // Shows volume `index` on the folder it opens on (currentFolderOf);
    // false, changing nothing, when the volume cannot be read.
    bool chooseVolume(int index);
    // Shows `path`, switching volumes when it lies on another; false,
    // changing nothing, when it is no folder or its volume cannot be read.
    bool openFolder(const QString &path);
    // Shows `path`, a folder of the shown volume chosen in the tree.
    void showFolder(const QString &path);
    // The filter: lists the shown folder anew.
    void setPattern(const QString &pattern);
    // The folder a volume opens on: the working folder when it lies on that
    // volume, the volume's root otherwise.
    QString currentFolderOf(const QString &rootPath) const;

    // Reads the shown folder's files off the UI thread (a newer reading wins
    // over one still running); filesListed() follows.
    void listFiles(bool sameFolder);
    // Subfolders of `path` as read: their names, and of `had` (the paths the
    // tree shows below it) those not among them that are still there (hidden
    // folders on the way to the shown one).
    struct Subfolders {
        QStringList names;
        QSet<QString> kept;
    };
    // Reads them off the UI thread; `landed` gets them. A read for a change
    // on disk (`timed`) sets the pause before the next one.
    void readSubfolders(const QString &path, const QStringList &had, std::function<void(Subfolders &)> landed,
                        bool timed = false);

    // The folders to watch besides the shown one (those whose subfolders the
    // tree shows).
    void watch(const QStringList &folders);
    // Reads again what changed on disk since the last time. Runs by itself
    // after the pause once something changed.
    void followDisk();
    // Reads the volumes again. Runs by itself every two seconds.
    void checkVolumes();

    // The reads of the file list, for a window that shows their progress.
    LongWork &reading() { return m_reading; }
    // All reads, as one part of the window's long work.
    WorkGroup &work() { return m_work; }

signals:
    // The program shows another folder (not the user in the tree): the tree
    // is to show it; its files are being read.
    void folderShown(const QString &folder);
    // The shown folder's files are being read: a new folder's list is
    // emptied at once; one read again stays until the new names come.
    void filesReading(bool sameFolder);
    // The shown folder's files, in display order; `sameFolder`: read again
    // after a change on disk, the selected file and scrolling are kept.
    void filesListed(const QStringList &names, bool sameFolder);
    // Folders the tree shows changed on disk: their subfolders are to be read again.
    void foldersChanged(const QStringList &paths);
    // The volumes changed (volumeIndex() may have too).
    void volumesChanged();
    // The watched folders changed on disk, or a volume came or went: files
    // named elsewhere may have come or gone too.
    void diskFollowed();

private:
    void show(const QString &folder);
    void rewatch();
    void diskChanged(const QString &path);

    Drives &m_drives;
    QList<Volume> m_volumes;
    QString m_volume;       // root of the shown volume
    QString m_lastdrive;
    QString m_folder;
    QString m_pattern;
    QStringList m_watched;  // besides the shown folder
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;       // the pause after a change on disk
    QTimer *m_volumePoll;
    QStringList m_changed;  // folders changed on disk since the last reading
    int m_lastReadingMs = 0;
    LongWork m_reading;     // the file list's folder reads
    LongWork m_treeReading; // subfolders of the tree's folders
    WorkGroup m_work;
};
