#pragma once
#include "platform/files/entry_check.h"

#include <QSet>

// A file system of the paths the test names: `files` exist, `filled`
// folders exist and hold something. Counts the questions asked.
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

    QSet<QString> files;
    QSet<QString> filled;
    mutable int asked = 0;
};
