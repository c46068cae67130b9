#pragma once
#include "platform/work/work_progress.h"

#include <QHash>
#include <QString>
#include <QStringList>

// What the disk says of an entry. URLs are never asked about.
enum class EntryHealth : quint8 {
    Present,
    Missing,      // no file of that name, on a volume that is there
    Unavailable,  // its volume is not mounted: the file may well still exist
};

// The questions the check asks the file system; tests answer them from a table.
class FileProbe {
public:
    virtual ~FileProbe() = default;
    virtual bool exists(const QString &path) const = 0;
    // The folder exists and holds anything at all (an unmounted volume's
    // mount point is gone or left empty).
    virtual bool hasContents(const QString &folder) const = 0;
    // Where volumes are or may be mounted (not the root): those mounted now
    // and those the system knows to mount.
    virtual QStringList mountPoints() const { return {}; }
};

class DiskProbe : public FileProbe {
public:
    bool exists(const QString &path) const override;
    bool hasContents(const QString &folder) const override;
    // systemMountPoints().
    QStringList mountPoints() const override;
};

// The entries that are not present, by path. Each entry checked counts one
// in `progress`; a cancelled check stops early (its result is then
// incomplete and should be dropped). An entry's volume is the one volumeOf()
// finds among the probe's mount points.
QHash<QString, EntryHealth> checkEntries(const QStringList &entries, const FileProbe &probe, WorkProgress &progress);
