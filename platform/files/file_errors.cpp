#include "platform/files/file_errors.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

QString fileErrorText(int error)
{
    switch (error) {
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case ENOTDIR:
        return QStringLiteral("路径中有一项不是文件夹");
    case ENOENT:
        return QStringLiteral("文件夹不存在");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("磁盘空间不足");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入的权限");
    case ENAMETOOLONG:
        return QStringLiteral("名称太长");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    case EEXIST:
        return QStringLiteral("已经有同名的文件");
    case EFBIG:
        return QStringLiteral("文件太大，磁盘放不下");
    default:
        return QStringLiteral("读写出错");
    }
}

FoldersMade makeFolders(const QString &folder)
{
    // The folders that are missing, the deepest first.
    QStringList missing;
    QString at = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    for (;;) {
        const QFileInfo info(at);
        if (info.exists()) {
            if (!info.isDir())
                return {false, at, ENOTDIR};
            break;
        }
        missing.prepend(at);
        const QString up = info.path();
        if (up == at)
            break;
        at = up;
    }
    for (const QString &make : std::as_const(missing)) {
#ifdef Q_OS_WIN
        if (!QDir().mkdir(make))
            return {false, make, 0};
#else
        if (::mkdir(QFile::encodeName(make).constData(), 0777) != 0 && errno != EEXIST)
            return {false, make, errno};
#endif
    }
    return {true, QString(), 0};
}
