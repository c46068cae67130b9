#include "platform/files/regular_file.h"

#include "platform/files/file_errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Why a name holds no regular file.
int specialFileError(bool folder)
{
    return folder ? EISDIR : fileproblem::NotRegular;
}

} // namespace

RegularFileOpen openRegularFile(QFile &file, const QString &path, int *error)
{
    int ignored = 0;
    int &why = error ? *error : ignored;
    why = 0;
    if (path.isEmpty()) {
        why = ENOENT;
        return RegularFileOpen::Missing;
    }
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    // Opening some devices has effects of its own (a tape rewinds, a modem
    // line rises), so special files are not even opened when the name shows them.
    if (::stat(name.constData(), &st) != 0) {
        why = errno;
        return why == ENOENT || why == ENOTDIR ? RegularFileOpen::Missing : RegularFileOpen::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        why = specialFileError(S_ISDIR(st.st_mode));
        return RegularFileOpen::NotRegular;
    }
    // O_NONBLOCK: should the name have become a FIFO since, the open still
    // returns at once instead of waiting for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = errno;
        if (why == ENOENT || why == ENOTDIR)
            return RegularFileOpen::Missing;
        // ENXIO: a socket, or a device without a driver.
        if (why == ENXIO) {
            why = specialFileError(false);
            return RegularFileOpen::NotRegular;
        }
        return RegularFileOpen::Unreadable;
    }
    if (::fstat(fd, &st) != 0) {
        why = errno;
        ::close(fd);
        return RegularFileOpen::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        why = specialFileError(S_ISDIR(st.st_mode));
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
    if (!info.exists()) {
        why = ENOENT;
        return RegularFileOpen::Missing;
    }
    if (!info.isFile()) {
        why = specialFileError(info.isDir());
        return RegularFileOpen::NotRegular;
    }
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? RegularFileOpen::Opened : RegularFileOpen::Unreadable;
#endif
}
