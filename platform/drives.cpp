#include "platform/drives.h"

#include "model/path_rules.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

namespace {

QString withTrailingSlash(QString path)
{
    path = QDir::fromNativeSeparators(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

#ifndef Q_OS_WIN
// Mounts that hold no user files: kernel and runtime file systems, and
// read-only application images.
bool isPseudoFileSystem(const QStorageInfo &volume)
{
    static const QSet<QByteArray> pseudo = {
        "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "cgroup", "cgroup2",
        "securityfs", "debugfs", "tracefs", "configfs", "fusectl", "pstore", "bpf",
        "mqueue", "hugetlbfs", "autofs", "binfmt_misc", "efivarfs", "squashfs",
        "nsfs", "rpc_pipefs", "overlay", "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs"};
    if (pseudo.contains(volume.fileSystemType()))
        return true;
    // Real volumes are backed by a device node or a network share.
    const QByteArray device = volume.device();
    return !(device.startsWith("/dev/") || device.contains(':') || device.startsWith("//"));
}
#endif

} // namespace

QString Drives::volumeOf(const QString &path) const
{
    const QList<Volume> all = volumes();
    if (all.isEmpty())
        return QString();
    const QString target = withTrailingSlash(QDir::cleanPath(QDir::fromNativeSeparators(path)));
    const Qt::CaseSensitivity cs = PathRules::internal().caseSensitivity;
    QString best;
    for (const Volume &v : all)
        if (target.startsWith(v.rootPath, cs) && v.rootPath.size() > best.size())
            best = v.rootPath;
    return best.isEmpty() ? all.first().rootPath : best;
}

QList<Volume> QtDrives::volumes() const
{
    QList<Volume> out;
#ifdef Q_OS_WIN
    // Every drive letter, ready or not, as a drive list shows them.
    for (const QFileInfo &drive : QDir::drives()) {
        const QString root = withTrailingSlash(drive.absoluteFilePath());
        QString name = root.left(2).toLower();
        const QStorageInfo info(root);
        if (info.isValid() && info.isReady() && !info.name().isEmpty())
            name += QStringLiteral(" [%1]").arg(info.name());
        out.append({name, root});
    }
#else
    QSet<QString> seen;
    const QString root = QStringLiteral("/");
    out.append({root, root});
    seen.insert(root);
    for (const QStorageInfo &info : QStorageInfo::mountedVolumes()) {
        if (!info.isValid() || isPseudoFileSystem(info))
            continue;
        const QString path = withTrailingSlash(info.rootPath());
        if (seen.contains(path))
            continue;
        seen.insert(path);
        QString name = info.rootPath();
        if (!info.name().isEmpty())
            name += QStringLiteral(" [%1]").arg(info.name());
        out.append({name, path});
    }
#endif
    return out;
}

bool QtDrives::isReady(const QString &rootPath) const
{
    const QStorageInfo info(rootPath);
    if (!info.isValid() || !info.isReady())
        return false;
    const QFileInfo dir(rootPath);
#ifdef Q_OS_WIN
    return dir.isDir() && dir.isReadable();
#else
    // A folder is only listed when it may also be entered.
    return dir.isDir() && dir.isReadable() && dir.isExecutable();
#endif
}
