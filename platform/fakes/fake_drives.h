#pragma once
#include "platform/files/volumes.h"

#include <QSet>

// Volumes given by the test; any root in `unavailable` reports not ready.
class FakeDrives : public Drives {
public:
    QList<Volume> volumes() const override { return list; }
    bool isReady(const QString &rootPath) const override { return !unavailable.contains(rootPath); }

    QList<Volume> list;
    QSet<QString> unavailable;
};
