#include "platform/files/volumes.h"

#include "model/entry_rules.h"
#include "model/path_rules.h"

#include <QDir>
#include <QFile>
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

// A path as a volume's root is compared with it: "/" separators, no "." or
// "..", ending in "/".
QString folderKey(const QString &path)
{
    return withTrailingSlash(QDir::cleanPath(QDir::fromNativeSeparators(path)));
}

// Mount points as the system's tables write them: a blank is "\\040", and
// so on for the other characters that would end the field.
QString unescapedField(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool octal = false;
        const int code = field[i] == '\\' && i + 3 < field.size() ? field.mid(i + 1, 3).toInt(&octal, 8) : 0;
        if (octal && code > 0) {
            out += char(code);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QString::fromUtf8(out);
}

// Field `index` (0-based) of each line of a table that has it.
QStringList tableFields(const QByteArray &table, int index)
{
    QStringList fields;
    for (const QByteArray &line : table.split('\n')) {
        if (line.trimmed().startsWith('#'))
            continue;
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() > index)
            fields.append(unescapedField(parts.at(index)));
    }
    return fields;
}

QByteArray fileText(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? file.readAll() : QByteArray();
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

namespace {

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

} // namespace

PathVolume pathVolume(QStringView path)
{
    if (startsWithDrive(path))
        return {path.first(2), true};
    if (path.size() >= 2 && isSeparator(path.at(0)) && isSeparator(path.at(1))) {
        // "//server/share": two names after the doubled separator.
        qsizetype end = 2;
        for (int part = 0; part < 2; ++part) {
            while (end < path.size() && isSeparator(path.at(end)))
                ++end;
            while (end < path.size() && !isSeparator(path.at(end)))
                ++end;
        }
        return {path.first(end), true};
    }
    if (path.startsWith(u'/'))
        return {path.first(1), false};
    return {};
}

bool sameVolume(const PathVolume &a, const PathVolume &b)
{
    if (a.windows != b.windows || a.text.size() != b.text.size())
        return false;
    for (qsizetype i = 0; i < a.text.size(); ++i) {
        const QChar x = a.text.at(i), y = b.text.at(i);
        if (x != y && !(isSeparator(x) && isSeparator(y)) && x.toCaseFolded() != y.toCaseFolded())
            return false;
    }
    return true;
}

VolumeFinder::VolumeFinder(const QStringList &roots)
{
    for (const QString &root : roots) {
        if (root.isEmpty())
            continue;
        m_roots << root;
        m_prefixes << withTrailingSlash(root);
    }
}

QString VolumeFinder::operator()(const QString &path) const
{
    const QString target = folderKey(path);
    const Qt::CaseSensitivity cs = PathRules::internal().caseSensitivity;
    qsizetype deepest = -1;
    for (qsizetype i = 0; i < m_prefixes.size(); ++i) {
        if (target.startsWith(m_prefixes.at(i), cs) && (deepest < 0 || m_prefixes.at(i).size() > m_prefixes.at(deepest).size()))
            deepest = i;
    }
    return deepest < 0 ? removableVolumeOf(path) : m_roots.at(deepest);
}

QString volumeOf(const QString &path, const QStringList &roots)
{
    return VolumeFinder(roots)(path);
}

bool volumeHolds(const QString &root, const QString &path)
{
    return !root.isEmpty() && folderKey(path).startsWith(withTrailingSlash(root), PathRules::internal().caseSensitivity);
}

QString removableVolumeOf(const QString &path)
{
    // Lists written on Windows spell drive letters with either separator.
    if (startsWithDrive(path) && path.size() >= 3 && (path.at(2) == QLatin1Char('/') || path.at(2) == QLatin1Char('\\')))
        return path.left(3);
    const QString p = QDir::fromNativeSeparators(path);
    const QStringList parts = p.split(QLatin1Char('/'));
    // parts[0] is empty for a full path; how many names the mount point has.
    int depth = 0;
    if (parts.size() > 1 && parts.at(1) == QLatin1String("media"))
        depth = 3;   // /media/USER/NAME
    else if (parts.size() > 2 && parts.at(1) == QLatin1String("run") && parts.at(2) == QLatin1String("media"))
        depth = 4;   // /run/media/USER/NAME
    else if (parts.size() > 1 && parts.at(1) == QLatin1String("mnt"))
        depth = 2;   // /mnt/NAME
    // "/media/NAME/a.mp3" (mounted without a user's folder): one name less.
    if (depth > 2 && parts.size() == depth + 1)
        --depth;
    if (depth == 0 || !parts.at(0).isEmpty() || parts.size() <= depth + 1)
        return {};
    return parts.mid(0, depth + 1).join(QLatin1Char('/'));
}

QStringList mountPointsIn(const QByteArray &mountinfo, const QByteArray &fstab)
{
    QStringList points = tableFields(mountinfo, 4) + tableFields(fstab, 1);
    points.removeIf([](const QString &p) { return !p.startsWith(QLatin1Char('/')) || p == QLatin1String("/"); });
    points.removeDuplicates();
    return points;
}

QStringList systemMountPoints()
{
    return mountPointsIn(fileText(QStringLiteral("/proc/self/mountinfo")), fileText(QStringLiteral("/etc/fstab")));
}

QString Drives::volumeOf(const QString &path) const
{
    const QList<Volume> all = volumes();
    if (all.isEmpty())
        return QString();
    QStringList roots;
    for (const Volume &v : all)
        roots << v.rootPath;
    const QString found = ::volumeOf(path, roots);
    return roots.contains(found) ? found : all.first().rootPath;
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
