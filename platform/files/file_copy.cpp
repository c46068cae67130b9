#include "platform/files/file_copy.h"

#include "platform/files/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Large enough for the disk's speed, small enough that Cancel answers at once.
constexpr qint64 kChunk = qint64(1) << 20;

QString hiddenName(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral(".melvora-copy-%1.tmp")
                                     .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
}

enum class Claim { Taken, Exists, Failed };

// Gives the finished hidden file its name unless something holds the name.
Claim claimName(const QString &hidden, const QString &target, QString &error)
{
#ifdef Q_OS_LINUX
    const QByteArray from = QFile::encodeName(hidden), to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return Claim::Taken;
    if (errno == EEXIST)
        return Claim::Exists;
    if (errno != EINVAL && errno != ENOSYS) {
        error = qt_error_string(errno);
        return Claim::Failed;
    }
    // A file system without the no-replace rename: a hard link never
    // replaces either, and FAT, which has no links, is checked by name.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return Claim::Taken;
    }
    if (errno == EEXIST)
        return Claim::Exists;
#endif
    if (QFileInfo::exists(target))
        return Claim::Exists;
    QFile file(hidden);
    if (file.rename(target))
        return Claim::Taken;
    error = file.errorString();
    return Claim::Failed;
}

// Writes all of `bytes`; on failure `error` says why (a full disk shows as a
// short write first, so the system's reason is asked for at once).
bool writeAll(QFile &file, const QByteArray &bytes, QString &error)
{
#ifdef Q_OS_UNIX
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(file.handle(), p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = qt_error_string(n == 0 ? EIO : errno);
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
#else
    if (file.write(bytes) == bytes.size())
        return true;
    error = file.errorString();
    return false;
#endif
}

bool flushToDisk(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return true;
#endif
}

} // namespace

QString numberedCopyName(const QString &name, int n)
{
    if (n <= 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype at = dot > 0 ? dot : name.size();
    return name.left(at) + QStringLiteral(" (%1)").arg(n) + name.mid(at);
}

bool sameContent(const QString &a, const QString &b)
{
    QFile fa, fb;
    if (openRegularFile(fa, a) != RegularFileOpen::Opened || openRegularFile(fb, b) != RegularFileOpen::Opened)
        return false;
    if (fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        const QByteArray x = fa.read(kChunk), y = fb.read(kChunk);
        if (x.isEmpty() || x != y)
            return false;
    }
    return true;
}

FileCopyResult copyIntoFolder(const QString &source, const QString &folder, const QString &name,
                              WorkProgress &progress)
{
    FileCopyResult result;
    QFile in;
    switch (openRegularFile(in, source)) {
    case RegularFileOpen::Opened:
        break;
    case RegularFileOpen::Missing:
    case RegularFileOpen::NotRegular:
        result.outcome = FileCopy::Missing;
        return result;
    case RegularFileOpen::Unreadable:
        result.errorString = in.errorString();
        return result;
    }
    const QDir dir(folder);
    // A copy made before (by an earlier export) stays as it is.
    int n = 1;
    for (;; ++n) {
        const QString candidate = dir.filePath(numberedCopyName(name, n));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            break;
        if (sameContent(source, candidate)) {
            result.outcome = FileCopy::Kept;
            result.target = candidate;
            return result;
        }
    }

    const QString hidden = hiddenName(folder);
    QFile out(hidden);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        result.errorString = out.errorString();
        return result;
    }
    const auto abandon = [&](FileCopy outcome, const QString &error) {
        out.close();
        QFile::remove(hidden);
        result.outcome = outcome;
        result.errorString = error;
        return result;
    };
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return abandon(FileCopy::Failed, in.errorString());
        QString error;
        if (!writeAll(out, chunk, error))
            return abandon(FileCopy::Failed, error);
        if (progress.cancelled())
            return abandon(FileCopy::Cancelled, QString());
    }
    // Some file systems (NFS, FUSE) tell of a full disk only when the data goes out.
    if (!flushToDisk(out))
        return abandon(FileCopy::Failed, qt_error_string());
    out.close();
    if (out.error() != QFileDevice::NoError)
        return abandon(FileCopy::Failed, out.errorString());

    // The name again, should another copy have taken it meanwhile.
    for (;; ++n) {
        const QString target = dir.filePath(numberedCopyName(name, n));
        QString error;
        switch (claimName(hidden, target, error)) {
        case Claim::Taken:
            result.outcome = FileCopy::Copied;
            result.target = target;
            return result;
        case Claim::Exists:
            continue;
        case Claim::Failed:
            QFile::remove(hidden);
            result.errorString = error;
            return result;
        }
    }
}
