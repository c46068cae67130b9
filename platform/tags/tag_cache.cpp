#include "platform/tags/tag_cache.h"

#include <QFileInfo>
#include <QMutexLocker>

TrackTags TagCache::tagsFor(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    {
        const QMutexLocker locked(&m_lock);
        const auto found = m_entries.constFind(path);
        if (found != m_entries.constEnd() && found->size == size && found->modified == modified)
            return found->tags;
    }
    // Read without the lock: other threads look up meanwhile.
    const TrackTags tags = readTrackTags(path);
    const QMutexLocker locked(&m_lock);
    m_entries.insert(path, Entry{size, modified, tags});
    ++m_reads;
    return tags;
}

QList<TrackTags> TagCache::tagsFor(const QStringList &paths, const std::function<bool()> &stop,
                                   const std::function<void()> &advance)
{
    QList<TrackTags> out;
    out.resize(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (stop && stop())
            break;
        out[i] = tagsFor(paths.at(i));
        if (advance)
            advance();
    }
    return out;
}

std::optional<TrackTags> TagCache::known(const QString &path) const
{
    const QMutexLocker locked(&m_lock);
    const auto found = m_entries.constFind(path);
    if (found == m_entries.constEnd())
        return std::nullopt;
    return found->tags;
}

QList<TrackTags> TagCache::tagsFor(const QStringList &paths, WorkProgress &progress,
                                   const std::function<void()> &read)
{
    return tagsFor(
        paths, [&progress] { return progress.cancelled(); },
        [&progress, &read] {
            progress.advance();
            if (read)
                read();
        });
}

qsizetype TagCache::size() const
{
    const QMutexLocker locked(&m_lock);
    return m_entries.size();
}

qint64 TagCache::reads() const
{
    const QMutexLocker locked(&m_lock);
    return m_reads;
}
