#pragma once
#include "platform/files/entry_check.h"

#include <QSet>

// A file system of the paths the test names: `files` exist, `filled`
// folders exist and hold something, volumes go at `mounts`. Counts the
// questions asked about paths.
class FakeFileProbe : public FileProbe {
public:
    bool exists(const QString &path) const override
    {
        ++asked;
        return files.contains(path) || filled.contains(path);
    }
    bool hasContents(const QString &folder) const override
    {
        ++asked;
        return filled.contains(folder);
    }

    QStringList mountPoints() const override { return mounts; }

    QSet<QString> files;
    QStringList mounts;
    QSet<QString> filled;
    mutable int asked = 0;
};
