#pragma once
#include "platform/work/work_progress.h"

#include <QString>
#include <QStringList>

// How a walk through a folder goes. Every caller states each choice, so the
// browser, drops, folders named on the command line and the search for moved
// files each say what they take.
struct FolderWalk {
    enum class Kind { Files, Folders };
    static constexpr int kAllLevels = -1;

    Kind kind = Kind::Files;    // what the walk gives
    bool hidden = false;        // hidden files and folders too
    bool special = false;       // FIFOs, sockets, devices and links that lead nowhere too (files)
    bool followLinks = false;   // folders reached through a link count as folders: given and walked into
    int depth = 0;              // levels of subfolders walked below the folder; kAllLevels: every level
    QString pattern;            // files: the wildcards their names match ("*.MP3;*.WAV", "*" for every
                                // file; see WildcardMatch); none match an empty pattern
    bool fullPaths = false;     // full paths in the system's spelling, else relative to the folder
    qsizetype most = -1;        // the walk ends once it has found this many; -1: no limit
};

// What the walk finds under `folder`, as paths relative to it with "/"
// between names ("a.mp3", "sub/b.mp3") or as full paths, in the browser's order: each
// folder's own finds by name, then each of its subfolders' likewise. Every
// entry looked at counts one in `progress`; a cancelled walk stops early with
// what it has found (a job then drops it).
QStringList walkFolder(const QString &folder, const FolderWalk &walk, WorkProgress &progress);
