#pragma once
#include "platform/tags/track_tags.h"
#include "platform/work/work_progress.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QStringList>

#include <functional>
#include <optional>

// Tags read once per file for the run: a file is read again only when its
// size or modification time has changed. One cache serves every export of
// the window, from whichever thread reads; the lookups lock.
class TagCache {
public:
    // The tags of each path, in order, each file read counting one in
    // `progress`; once it is cancelled the rest stay unread, as empty tags.
    // `read` is told after each file (a command line's progress lines).
    QList<TrackTags> tagsFor(const QStringList &paths, WorkProgress &progress,
                             const std::function<void()> &read = {});
    // The same with the two questions asked apart: `stop` before each file
    // (true: stop), `advance` after it.
    QList<TrackTags> tagsFor(const QStringList &paths, const std::function<bool()> &stop = {},
                             const std::function<void()> &advance = {});
    TrackTags tagsFor(const QString &path);
    // The tags last read of `path`, without asking the disk whether the file
    // changed since (for what is shown at once); nothing when never read.
    std::optional<TrackTags> known(const QString &path) const;

    qsizetype size() const;
    // How many files were read by TagLib (not found in the cache).
    qint64 reads() const;

private:
    struct Entry {
        qint64 size = -1;
        QDateTime modified;
        TrackTags tags;
    };
    mutable QMutex m_lock;
    QHash<QString, Entry> m_entries;
    qint64 m_reads = 0;
};
