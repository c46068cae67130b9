#include "platform/files/durable_save.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

DurableSaveResult failed(const QString &step, int error)
{
    return {DurableSave::Failed, step + QStringLiteral(": ") + qt_error_string(error)};
}

// The file a link names, so that saving through a link keeps the link.
QString finalTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;  // dangling: create it
}

// A fresh name in the target's folder; hidden, and short whatever the target's name.
QString temporaryName(const QString &target)
{
    return QFileInfo(target).dir().filePath(
        QStringLiteral(".melvora-save-%1.tmp")
            .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
}

} // namespace

#ifdef Q_OS_WIN

DurableSaveResult saveFileDurably(const QString &path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return {DurableSave::Failed, QStringLiteral("no file name")};
    const QString target = finalTarget(path);
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return {DurableSave::NotRegular, QStringLiteral("not a regular file")};
    const std::wstring targetName = QDir::toNativeSeparators(target).toStdWString();

    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring tempName;
    for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        tempName = QDir::toNativeSeparators(temporaryName(target)).toStdWString();
        handle = CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (handle == INVALID_HANDLE_VALUE)
        return failed(QStringLiteral("create"), int(GetLastError()));

    const auto abandon = [&](const QString &step) {
        const DWORD error = GetLastError();
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        DeleteFileW(tempName.c_str());
        return failed(step, int(error));
    };
    const char *p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const DWORD chunk = DWORD(qMin<qsizetype>(left, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(handle, p, chunk, &written, nullptr) || written == 0)
            return abandon(QStringLiteral("write"));
        p += written;
        left -= written;
    }
    if (!FlushFileBuffers(handle))
        return abandon(QStringLiteral("flush"));
    const BOOL closed = CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    if (!closed)
        return abandon(QStringLiteral("close"));
    if (!MoveFileExW(tempName.c_str(), targetName.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return abandon(QStringLiteral("rename"));
    return {DurableSave::Saved, QString()};
}

#else

namespace {

bool writeAll(int fd, const char *p, size_t left)
{
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

// Makes the rename itself durable. Best effort: some file systems cannot sync
// a folder, and the new content is in place by now either way.
void syncFolder(const QString &target)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(target).path()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

DurableSaveResult saveFileDurably(const QString &path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return {DurableSave::Failed, QStringLiteral("no file name")};
    const QString target = finalTarget(path);
    const QByteArray targetName = QFile::encodeName(target);

    struct stat old;
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return failed(QStringLiteral("stat"), errno);
    if (exists && !S_ISREG(old.st_mode))
        return {DurableSave::NotRegular, QStringLiteral("not a regular file")};
    // The rename needs only the folder's permission; a file we may not write
    // stays protected all the same.
    if (exists && ::access(targetName.constData(), W_OK) != 0)
        return failed(QStringLiteral("access"), errno);

    // 0666 less the umask for a new file, as any program creates one.
    int fd = -1;
    QByteArray tempName;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = QFile::encodeName(temporaryName(target));
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failed(QStringLiteral("create"), errno);

    const auto abandon = [&](const QString &step) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(tempName.constData());
        return failed(step, error);
    };
    if (exists) {
        // The old file's permissions, and its owner where we may give it.
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return abandon(QStringLiteral("chmod"));
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only root may give a file away; the user's own file stays theirs anyway.
        }
    }
    if (!writeAll(fd, bytes.data(), size_t(bytes.size())))
        return abandon(QStringLiteral("write"));
    if (::fsync(fd) != 0)
        return abandon(QStringLiteral("fsync"));
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0 && errno != EINTR)  // after EINTR the descriptor is closed on Linux
        return abandon(QStringLiteral("close"));
    if (::rename(tempName.constData(), targetName.constData()) != 0)
        return abandon(QStringLiteral("rename"));
    syncFolder(target);
    return {DurableSave::Saved, QString()};
}

#endif
