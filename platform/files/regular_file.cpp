#include "regular_file.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

RegularFileOpen openRegularFile(QFile &file, const QString &path)
{
    if (path.isEmpty())
        return RegularFileOpen::Missing;
#ifdef Q_OS_UNIX
    // O_NONBLOCK: opening a FIFO returns at once instead of waiting for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? RegularFileOpen::Missing
                                                   : RegularFileOpen::Unreadable;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return RegularFileOpen::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return RegularFileOpen::NotRegular;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return RegularFileOpen::Unreadable;
    }
    return RegularFileOpen::Opened;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return RegularFileOpen::Missing;
    if (!info.isFile())
        return RegularFileOpen::NotRegular;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? RegularFileOpen::Opened : RegularFileOpen::Unreadable;
#endif
}
