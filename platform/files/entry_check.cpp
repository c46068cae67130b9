#include "platform/files/entry_check.h"

#include "model/entry_rules.h"
#include "platform/files/volumes.h"

#include <QDir>
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

QStringList DiskProbe::mountPoints() const
{
    return systemMountPoints();
}

QHash<QString, EntryHealth> checkEntries(const QStringList &entries, const FileProbe &probe, WorkProgress &progress)
{
    QHash<QString, EntryHealth> unwell;
    QHash<QString, bool> volumeThere;   // asked once per volume
    const VolumeFinder volumeOf(probe.mountPoints());
    for (const QString &entry : entries) {
        if (!progress.step())
            break;
        if (entry.isEmpty() || isUrlEntry(entry) || probe.exists(entry))
            continue;
        EntryHealth health = EntryHealth::Missing;
        const QString volume = volumeOf(entry);
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
