#pragma once
#include "platform/work/work_progress.h"

#include <QString>

// Copying a media file into a folder (an export to a USB stick or a phone)
// so that whatever fails, no half-written file is left under a real name,
// and nothing that is already there is ever overwritten.
enum class FileCopy {
    Copied,     // `target` is a new, complete copy
    Kept,       // `target` already held the same bytes; nothing was written
    Missing,    // the source is missing or not a regular file
    Failed,     // not read, not written whole (a full disk), or not renamed
    Cancelled   // `progress` was cancelled; nothing was left behind
};

struct FileCopyResult {
    FileCopy outcome = FileCopy::Failed;
    QString target;       // the full path of the copy (Copied, Kept)
    QString errorString;  // why it failed, in the system's words
    int error = 0;        // the system's error number, when it told one
};

// Copies `source` into `folder` as `name`. When that name is taken by a file
// with other bytes, the copy gets " (2)", " (3)"… before the extension; one
// with the same bytes is kept as the copy. The bytes go, in chunks, to a hidden
// file in the folder, reach the disk, and only then take the name (never
// replacing a file that took it meanwhile). A cancelled `progress` stops the
// copy after the chunk being written.
FileCopyResult copyIntoFolder(const QString &source, const QString &folder, const QString &name,
                              WorkProgress &progress);

// The name a copy of `name` gets at its `n`th try: "a.mp3", "a (2).mp3", "a (3).mp3"…
QString numberedCopyName(const QString &name, int n);

// True when the two regular files hold the same bytes.
bool sameContent(const QString &a, const QString &b);
