#include "platform/files/entry_check.h"

#include "playlist_io/entry_paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

bool DiskProbe::exists(const QString &path) const
{
    return QFileInfo::exists(path);
}

bool DiskProbe::hasContents(const QString &folder) const
{
    const QDir dir(folder);
    return dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

namespace {
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

// Field `index` (0-based) of each line of a table file that has it.
QStringList tableFields(const QString &fileName, int index)
{
    QFile file(fileName);
    QStringList fields;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fields;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.trimmed().startsWith('#'))
            continue;
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() > index)
            fields.append(unescapedField(parts.at(index)));
    }
    return fields;
}
} // namespace

QStringList DiskProbe::mountPoints() const
{
    QStringList points = tableFields(QStringLiteral("/proc/self/mountinfo"), 4)
                         + tableFields(QStringLiteral("/etc/fstab"), 1);
    points.removeIf([](const QString &p) { return !p.startsWith(QLatin1Char('/')) || p == QLatin1String("/"); });
    points.removeDuplicates();
    return points;
}

QString volumeOf(const QString &path, const QStringList &mountPoints)
{
    QString deepest;
    for (const QString &point : mountPoints) {
        if (point.size() > deepest.size() && path.size() > point.size() && path.startsWith(point)
            && path.at(point.size()) == QLatin1Char('/'))
            deepest = point;
    }
    return deepest.isEmpty() ? removableVolumeOf(path) : deepest;
}

QString removableVolumeOf(const QString &path)
{
    // Lists written on Windows spell drive letters with either separator.
    if (path.size() >= 3 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':')
        && (path.at(2) == QLatin1Char('/') || path.at(2) == QLatin1Char('\\')))
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

QHash<QString, EntryHealth> checkEntries(const QStringList &entries, const FileProbe &probe,
                                         const std::function<bool(qsizetype)> &keepGoing)
{
    QHash<QString, EntryHealth> unwell;
    QHash<QString, bool> volumeThere;   // asked once per volume
    const QStringList mounts = probe.mountPoints();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (keepGoing && !keepGoing(i))
            break;
        const QString &entry = entries.at(i);
        if (entry.isEmpty() || isUrlEntry(entry) || probe.exists(entry))
            continue;
        EntryHealth health = EntryHealth::Missing;
        const QString volume = volumeOf(entry, mounts);
        if (!volume.isEmpty()) {
            auto there = volumeThere.find(volume);
            if (there == volumeThere.end())
                there = volumeThere.insert(volume, probe.hasContents(volume));
            if (!*there)
                health = EntryHealth::Unavailable;
        }
        unwell.insert(entry, health);
    }
    return unwell;
}

QStringList filesUnder(const QString &folder, const std::function<bool()> &keepGoing)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (keepGoing && !keepGoing())
            break;
        files.append(QDir::toNativeSeparators(it.next()));
    }
    return files;
}
