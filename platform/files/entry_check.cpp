#include "platform/files/entry_check.h"

#include "playlist_io/entry_paths.h"

#include <QDir>
#include <QDirIterator>
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
    if (depth == 0 || !parts.at(0).isEmpty() || parts.size() <= depth + 1)
        return {};
    return parts.mid(0, depth + 1).join(QLatin1Char('/'));
}

QHash<QString, EntryHealth> checkEntries(const QStringList &entries, const FileProbe &probe,
                                         const std::function<bool(qsizetype)> &keepGoing)
{
    QHash<QString, EntryHealth> unwell;
    QHash<QString, bool> volumeThere;   // asked once per volume
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (keepGoing && !keepGoing(i))
            break;
        const QString &entry = entries.at(i);
        if (entry.isEmpty() || isUrlEntry(entry) || probe.exists(entry))
            continue;
        EntryHealth health = EntryHealth::Missing;
        const QString volume = removableVolumeOf(entry);
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
