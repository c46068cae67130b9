#pragma once
#include <QList>
#include <QString>

// The volumes the browser's drive chooser offers. With drive letters these are
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
    // Root path of the listed volume that holds `path` (the deepest one); the
    // first volume's root when none does.
    QString volumeOf(const QString &path) const;
};

// Volumes as the operating system reports them (QStorageInfo / QDir::drives()).
class QtDrives : public Drives {
public:
    QList<Volume> volumes() const override;
    bool isReady(const QString &rootPath) const override;
};
