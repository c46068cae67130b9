#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Volumes: which one a path is on, which ones the browser's drive chooser
// offers, and where the system mounts them. The one rule for "which volume"
// is volumeOf() below; the drive chooser, the browser's tree and the check
// for missing entries all ask it.

// The volume `path` is on: the deepest of `roots` that holds it, a whole
// folder name at a time, in the letter case rules of this system (roots are
// mount points or volume roots, with or without a trailing "/"; the one found
// comes back as given); else the removable volume its place names
// (removableVolumeOf); empty when neither does.
QString volumeOf(const QString &path, const QStringList &roots);
// Whether the volume at `root` holds `path` (false for an empty root).
bool volumeHolds(const QString &root, const QString &path);

// The volume a full path's text names, alike on every system (lists are
// written on others): a drive letter ("C:", any case), a network share
// ("//server/share", either separator, any case) or, for any path starting
// with a single "/", "/". A drive or share decides by its text alone; on "/"
// the mount points (volumeOf) tell the volumes apart where they are asked.
struct PathVolume {
    QStringView text;        // as written; empty: not a full path
    bool windows = false;    // a drive or share: names ignore case, "\\" separates too
};
PathVolume pathVolume(QStringView path);
// Drives and shares compared ignoring case and which separator; "/" is "/".
bool sameVolume(const PathVolume &a, const PathVolume &b);

// volumeOf() for many paths and the same roots, the roots taken apart once.
class VolumeFinder {
public:
    explicit VolumeFinder(const QStringList &roots);
    QString operator()(const QString &path) const;

private:
    QStringList m_roots;    // as given
    QStringList m_prefixes; // each with "/" separators and a trailing "/"
};

// The mount point of the removable volume `path` lives on, when its place
// says so: /media/USER/NAME, /run/media/USER/NAME, /mnt/NAME or a drive
// letter. Empty for any other path.
QString removableVolumeOf(const QString &path);

// Where volumes are or may be mounted (not the root), from the system's
// tables (/proc/self/mountinfo and /etc/fstab where there are such files).
QStringList systemMountPoints();
// The same from the tables' text: `mountinfo` names the mount point in its
// fifth field, `fstab` in its second; a blank is written "\040", and so on for
// the other characters that would end a field.
QStringList mountPointsIn(const QByteArray &mountinfo, const QByteArray &fstab);

// A volume the browser's drive chooser offers. With drive letters these are
// the letters; elsewhere the mounted volumes that hold real file systems.
struct Volume {
    QString name;     // text shown in the chooser, e.g. "c: [SYSTEM]" or "/media/usb [STICK]"
    QString rootPath; // with "/" separators, ending in "/" ("C:/", "/", "/media/usb/")
};

class Drives {
public:
    virtual ~Drives() = default;
    // Root volume first; no duplicates.
    virtual QList<Volume> volumes() const = 0;
    // False when the volume holds no medium, is gone or cannot be read.
    virtual bool isReady(const QString &rootPath) const = 0;
    // Root path of the listed volume that holds `path` (volumeOf); the first
    // volume's root when none of them does.
    QString volumeOf(const QString &path) const;
};

// Volumes as the operating system reports them (QStorageInfo / QDir::drives()).
class QtDrives : public Drives {
public:
    QList<Volume> volumes() const override;
    bool isReady(const QString &rootPath) const override;
};
