#include "platform/files/durable_save.h"

#include "platform/files/durable_write.h"
#include "platform/files/file_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

DurableSaveResult failed(const QString &step, const QString &reason, int error)
{
    return {DurableSave::Failed, step + QStringLiteral(": ") + reason, error};
}

DurableSaveResult failedWith(const QString &step, int error)
{
    return failed(step, qt_error_string(error), error);
}

DurableSaveResult failed(const DurableWrite &file)
{
    return failed(file.failedStep(), file.reason(), file.error());
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

} // namespace

DurableSaveResult saveFileDurably(const QString &path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return {DurableSave::Failed, QStringLiteral("no file name"), ENOENT};
    const QString target = finalTarget(path);
#ifdef Q_OS_WIN
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return {DurableSave::NotRegular, QStringLiteral("not a regular file"),
                info.isDir() ? EISDIR : fileproblem::NotRegular};
#else
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old;
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return failedWith(QStringLiteral("stat"), errno);
    if (exists && !S_ISREG(old.st_mode))
        return {DurableSave::NotRegular, QStringLiteral("not a regular file"),
                S_ISDIR(old.st_mode) ? EISDIR : fileproblem::NotRegular};
    // The rename needs only the folder's permission; a file we may not write
    // stays protected all the same.
    if (exists && ::access(targetName.constData(), W_OK) != 0)
        return failedWith(QStringLiteral("access"), errno);
#endif

    DurableWrite file(QFileInfo(target).path(), QStringLiteral("save"));
    if (!file.isOpen())
        return failed(file);
#ifndef Q_OS_WIN
    if (exists) {
        // The old file's permissions, and its owner where we may give it.
        if (::fchmod(file.handle(), old.st_mode & 07777) != 0)
            return failedWith(QStringLiteral("chmod"), errno);
        if (::fchown(file.handle(), old.st_uid, old.st_gid) != 0) {
            // Only root may give a file away; the user's own file stays theirs anyway.
        }
    }
#endif
    if (!file.write(bytes) || !file.finish() || !file.replace(target))
        return failed(file);
    return {DurableSave::Saved, QString()};
}
