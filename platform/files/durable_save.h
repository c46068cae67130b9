#pragma once
#include <QByteArrayView>
#include <QString>

// Replacing a file's whole content so that, whatever fails, the file holds
// either all of the old content or all of the new, and the new is on the disk
// (not only in the cache) once it is reported saved.
//
// Why not QSaveFile: in Qt 6.4 its commit() does not check the last flush of
// its 16 KiB write buffer, nor the sync. Measured with Qt 6.4.2 on a full
// 64 KiB tmpfs: saving 100, 5,000 or 16,000 bytes over a list holding "old
// list" gave write() = all bytes, commit() = true, error() "No space left on
// device" and the file on disk 0 bytes long: the old content gone and a full
// disk reported as saved. (17,000 bytes and more fail in write() and commit()
// as they should.)
enum class DurableSave {
    Saved,
    NotRegular,  // the name is held by a folder, FIFO, device...: left untouched
    Failed       // not created, not written whole, not flushed, or not renamed
};

struct DurableSaveResult {
    DurableSave outcome = DurableSave::Failed;
    QString errorString;  // why it failed, for diagnostics; empty when saved
    int error = 0;        // why, for fileErrorText (file_errors.h): the system's
                          // error number, or EISDIR / fileproblem::NotRegular
                          // for NotRegular; 0 when not known
};

// Writes `bytes` to a new hidden file in the target's folder, checking every
// write; flushes it to the disk (fsync / FlushFileBuffers), then renames it
// over the target. On failure the temporary file is removed and the target is
// as it was. An existing target must be writable to us, and keeps its
// permissions. A symbolic link is followed: the file it names is replaced and
// the link stays. The check for a special file is made before writing, so one
// swapped in during the save is not caught.
DurableSaveResult saveFileDurably(const QString &path, QByteArrayView bytes);
