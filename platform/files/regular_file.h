#pragma once
#include <QString>

class QFile;

// Opening a file the program reads as a whole (a playlist, an MP3) without
// ever blocking: a FIFO opened for reading waits for a writer, and a device can
// be endless, so only regular files are opened at all.
enum class RegularFileOpen {
    Opened,      // `file` is open read-only on a regular file
    Missing,     // nothing of that name (or a folder on the way is missing)
    NotRegular,  // a folder, FIFO, socket or device; nothing was read from it
    Unreadable   // it exists but cannot be opened (permissions, I/O error)
};

// Opens `path` into `file` (which must be closed) when it is a regular file;
// symbolic links are followed. On POSIX a special file is recognised by its
// name before any open, and checked again on the open descriptor, so a file
// swapped for a FIFO between the two cannot block either. `error`, when
// given, gets why it did not open: the system's error number, EISDIR for a
// folder, fileproblem::NotRegular for another special file (file_errors.h),
// 0 when opened or not known.
RegularFileOpen openRegularFile(QFile &file, const QString &path, int *error = nullptr);
