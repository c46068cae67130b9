#pragma once
#include <QByteArrayView>
#include <QString>

// A new file that takes its real name only once all its bytes are on the
// disk: a hidden file in the target's folder is written, checking every
// write, flushed to the disk (fsync / FlushFileBuffers) and closed, and only
// then renamed. Whatever fails on the way, no half-written file is left under
// a real name, and the hidden one is removed. Under both the list's save
// (which replaces the old file) and an export's copies (which never replace
// anything).
class DurableWrite {
public:
    // Creates ".melvora-<kind>-<16 hex digits>.tmp" in `folder`, never
    // opening a file that exists already; see isOpen().
    DurableWrite(const QString &folder, const QString &kind);
    // Removes the hidden file unless it has taken its name.
    ~DurableWrite();
    DurableWrite(const DurableWrite &) = delete;
    DurableWrite &operator=(const DurableWrite &) = delete;

    bool isOpen() const;
    // Appends all of `bytes`; a write cut short (a signal, a disk filling
    // up) goes on or fails, never stops half-way unnoticed.
    bool write(QByteArrayView bytes);
    // The bytes on the disk, the file closed. Some file systems (NFS, FUSE)
    // tell of a full disk only here.
    bool finish();
    // After finish(): the file takes the name `target`, replacing what held
    // it, and the rename itself is made durable.
    bool replace(const QString &target);
    // After finish(): the file takes the name `target` unless something
    // holds that name (or takes it meanwhile). A copy among many: the folder
    // is not synced for each.
    enum class Claim { Taken, Exists, Failed };
    Claim claim(const QString &target);

    // The system's handle of the open file (a POSIX descriptor), for what only
    // the caller knows to do with it (the old file's permissions).
    int handle() const;
    // After a failure: the step that failed ("create", "write", "fsync",
    // "close", "rename") and why, in the system's words.
    QString failedStep() const { return m_step; }
    QString reason() const { return m_reason; }
    int error() const { return m_error; }   // the system's error number (errno)

private:
    bool fail(const char *step);

    QString m_path;
    QString m_step;
    QString m_reason;
    int m_error = 0;
    bool m_named = false;
#ifdef Q_OS_WIN
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};
