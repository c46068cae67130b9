#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

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
    // From /proc/self/mountinfo and /etc/fstab where there are such files.
    QStringList mountPoints() const override;
};

// The mount point of the removable volume `path` lives on, when its place
// says so: /media/USER/NAME, /run/media/USER/NAME, /mnt/NAME or a drive
// letter. Empty for any other path.
QString removableVolumeOf(const QString &path);
// The volume `path` lives on: the deepest of `mountPoints` that holds it,
// else the removable volume its place names; empty when neither does.
QString volumeOf(const QString &path, const QStringList &mountPoints);

// The entries that are not present, by path. `keepGoing` is asked before each
// entry with how many were checked; false stops the check (its result is then
// incomplete and should be dropped).
QHash<QString, EntryHealth> checkEntries(const QStringList &entries, const FileProbe &probe,
                                         const std::function<bool(qsizetype)> &keepGoing = {});

// Every file under `folder`, its subfolders' too (links to folders are not
// followed), as full paths in the system's spelling. `keepGoing` is asked
// before each file; false stops the walk.
QStringList filesUnder(const QString &folder, const std::function<bool()> &keepGoing = {});
