#include "platform/files/durable_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// A fresh name in `folder`; hidden, and short whatever the target's name.
QString hiddenName(const QString &folder, const QString &kind)
{
    return QDir(folder).filePath(QStringLiteral(".melvora-%1-%2.tmp")
                                     .arg(kind)
                                     .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
}

#ifndef Q_OS_WIN
// Makes a rename itself durable. Best effort: some file systems cannot sync
// a folder, and the file is in place by now either way.
void syncFolder(const QString &path)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(path).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
#endif

} // namespace

#ifdef Q_OS_WIN

DurableWrite::DurableWrite(const QString &folder, const QString &kind)
{
    for (int attempt = 0; attempt < 100 && !m_handle; ++attempt) {
        m_path = hiddenName(folder, kind);
        HANDLE h = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(m_path).utf16()),
                               GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            m_handle = h;
        else if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (!m_handle)
        fail("create");
}

DurableWrite::~DurableWrite()
{
    if (m_handle)
        CloseHandle(m_handle);
    if (!m_named && !m_path.isEmpty())
        DeleteFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(m_path).utf16()));
}

bool DurableWrite::isOpen() const
{
    return m_handle != nullptr;
}

int DurableWrite::handle() const
{
    return -1;
}

bool DurableWrite::fail(const char *step)
{
    m_step = QString::fromLatin1(step);
    m_reason = qt_error_string(int(GetLastError()));
    return false;
}

bool DurableWrite::write(QByteArrayView bytes)
{
    const char *p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const DWORD chunk = DWORD(qMin<qsizetype>(left, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(m_handle, p, chunk, &written, nullptr) || written == 0)
            return fail("write");
        p += written;
        left -= written;
    }
    return true;
}

bool DurableWrite::finish()
{
    if (!FlushFileBuffers(m_handle))
        return fail("flush");
    const BOOL closed = CloseHandle(m_handle);
    m_handle = nullptr;
    return closed ? true : fail("close");
}

bool DurableWrite::replace(const QString &target)
{
    if (!MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(m_path).utf16()),
                     reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail("rename");
    m_named = true;
    return true;
}

DurableWrite::Claim DurableWrite::claim(const QString &target)
{
    if (MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(m_path).utf16()),
                    reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()),
                    MOVEFILE_WRITE_THROUGH)) {
        m_named = true;
        return Claim::Taken;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return Claim::Exists;
    fail("rename");
    return Claim::Failed;
}

#else

DurableWrite::DurableWrite(const QString &folder, const QString &kind)
{
    // 0666 less the umask, as any program creates a file.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_path = hiddenName(folder, kind);
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        fail("create");
        m_path.clear();   // nothing of ours to remove
    }
}

DurableWrite::~DurableWrite()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_named && !m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
}

bool DurableWrite::isOpen() const
{
    return m_fd >= 0;
}

int DurableWrite::handle() const
{
    return m_fd;
}

bool DurableWrite::fail(const char *step)
{
    m_step = QString::fromLatin1(step);
    m_error = errno;
    m_reason = qt_error_string(m_error);
    return false;
}

bool DurableWrite::write(QByteArrayView bytes)
{
    const char *p = bytes.data();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return fail("write");
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

bool DurableWrite::finish()
{
    if (::fsync(m_fd) != 0)
        return fail("fsync");
    const int closed = ::close(m_fd);
    m_fd = -1;
    // After EINTR the descriptor is closed on Linux.
    return closed == 0 || errno == EINTR ? true : fail("close");
}

bool DurableWrite::replace(const QString &target)
{
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) != 0)
        return fail("rename");
    m_named = true;
    syncFolder(target);
    return true;
}

DurableWrite::Claim DurableWrite::claim(const QString &target)
{
    const QByteArray from = QFile::encodeName(m_path), to = QFile::encodeName(target);
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        m_named = true;
        return Claim::Taken;
    }
    if (errno == EEXIST)
        return Claim::Exists;
    if (errno != EINVAL && errno != ENOSYS) {
        fail("rename");
        return Claim::Failed;
    }
#endif
    // A file system without the no-replace rename: a hard link never
    // replaces either, and FAT, which has no links, is checked by name.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        m_named = true;
        return Claim::Taken;
    }
    if (errno == EEXIST || QFileInfo::exists(target))
        return Claim::Exists;
    if (::rename(from.constData(), to.constData()) != 0) {
        fail("rename");
        return Claim::Failed;
    }
    m_named = true;
    return Claim::Taken;
}

#endif
