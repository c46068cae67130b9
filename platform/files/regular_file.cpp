#include "platform/files/regular_file.h"

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
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    // Opening some devices has effects of its own (a tape rewinds, a modem
    // line rises), so special files are not even opened when the name shows them.
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? RegularFileOpen::Missing
                                                   : RegularFileOpen::Unreadable;
    if (!S_ISREG(st.st_mode))
        return RegularFileOpen::NotRegular;
    // O_NONBLOCK: should the name have become a FIFO since, the open still
    // returns at once instead of waiting for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return RegularFileOpen::Missing;
        // ENXIO: a socket, or a device without a driver.
        return errno == ENXIO ? RegularFileOpen::NotRegular : RegularFileOpen::Unreadable;
    }
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
