#include "platform/files/file_errors.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

// One row a reason; `read` empty where reading words it as writing does.
struct Reason {
    int error;
    const char *write;
    const char *read;
};

constexpr Reason kReasons[] = {
    {EROFS, "磁盘是只读的", nullptr},
    {ENOTDIR, "路径中有一项不是文件夹", nullptr},
    {ENOENT, "文件夹不存在", "文件不存在"},
    {ENOSPC, "磁盘空间不足", nullptr},
#ifdef EDQUOT
    {EDQUOT, "磁盘空间不足", nullptr},
#endif
    {EACCES, "没有写入的权限", "没有读取的权限"},
    {EPERM, "没有写入的权限", "没有读取的权限"},
    {ENAMETOOLONG, "名称太长", nullptr},
    {EISDIR, "这是一个文件夹", nullptr},
    {EEXIST, "已经有同名的文件", nullptr},
    {EFBIG, "文件太大，磁盘放不下", nullptr},
    {EIO, "磁盘读写出错", nullptr},
    {ELOOP, "符号链接太多层", nullptr},
    {fileproblem::NotRegular, "不是普通文件（管道、套接字或设备）", nullptr},
    // kPlaylistMaxBytes (playlist_io/playlist_reader.h) is the limit named here.
    {fileproblem::TooLarge, "文件太大（超过 256 MB）", nullptr},
    {fileproblem::NotText, "不是播放列表文件", nullptr},
    {fileproblem::LineBreak, "列表中有含换行符的文件名", nullptr},
};

} // namespace

QString fileErrorText(int error, FileUse use)
{
    for (const Reason &reason : kReasons) {
        if (reason.error == error)
            return QString::fromUtf8(use == FileUse::Read && reason.read ? reason.read : reason.write);
    }
    return QStringLiteral("读写出错");
}

QString fileFailureLine(const QString &path, int error, FileUse use)
{
    return (use == FileUse::Read ? QStringLiteral("无法读取“%1”：%2") : QStringLiteral("无法写入“%1”：%2"))
        .arg(QDir::toNativeSeparators(path), fileErrorText(error, use));
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
