#pragma once
#include <QString>
#include <QStringList>

class ListFileWorkflow;
class LongWork;
class MessageBox;
class Playlist;
class WorkProgress;

// Files handed to the main window from outside its browser: dropped on
// List1 from a file manager, or named on the command line. Media files join
// the list as clicks in the browser would add them (beside the selection by
// the insert mode, duplicates and names with a line break refused), folders
// give the files under them that the browser's current filter lists, and
// playlists go through the open and insert commands with all their checks.
// Whatever is refused is told once per kind, however many files it concerns.
// The disk is read off the UI thread (folders of any size); what it gives
// lands when the reading is done, and nothing lands when it is cancelled.
class FileIntake {
public:
    // The paths sorted by what becomes of them, each group in the given
    // order; a folder is replaced by the files under it (its own files by
    // name, then each subfolder likewise, hidden ones left out).
    struct Sorted {
        struct Run {
            bool playlist = false;   // one playlist, else media files to add as one block
            QStringList paths;
        };
        QList<Run> runs;       // playlists and blocks of media, in the given order
        QStringList unknown;   // existing files of no media or playlist type
        QStringList missing;   // nothing there
    };
    // `mediaPattern`: what counts as a media file given by name (";"-separated
    // wildcards, letter case ignored); `folderPattern`: what a folder gives.
    // Reads the disk, counting in `progress` what it looks at, and stops
    // early when it is cancelled.
    static Sorted sort(const QStringList &paths, const QString &mediaPattern, const QString &folderPattern,
                       WorkProgress &progress);

    FileIntake(Playlist &list, ListFileWorkflow &workflow, MessageBox &messages, LongWork &work);

    // A drop: media and folders as blocks, every playlist inserted.
    void drop(const QStringList &paths, const QString &folderPattern);
    // The command line: the first playlist opens the list, then the rest in
    // their order, further playlists inserted.
    void open(const QStringList &paths, const QString &folderPattern);

private:
    void take(const QStringList &paths, const QString &folderPattern, bool openFirstPlaylist);
    void land(Sorted &sorted, bool openFirstPlaylist);

    Playlist &m_list;
    ListFileWorkflow &m_workflow;
    MessageBox &m_messages;
    LongWork &m_work;
};
