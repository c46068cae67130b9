#include "main_window/list_tags.h"

#include "platform/tags/tag_cache.h"

#include "main_window/work_wait.h"


ListTags::ListTags(LongWork &work, QObject *parent)
    : QObject(parent), m_work(work), m_cache(std::make_shared<TagCache>())
{
}

ListTags::~ListTags() = default;

std::optional<TrackTags> ListTags::known(const QString &path) const
{
    return m_cache->known(path);
}

void ListTags::prefetch(const QStringList &paths)
{
    QStringList unknown;
    for (const QString &path : paths) {
        if (!m_cache->known(path))
            unknown.append(path);
    }
    if (unknown.isEmpty())
        return;
    std::shared_ptr<TagCache> cache = m_cache;
    m_quiet.run<bool>(
        QStringLiteral("正在读取标签…"),
        [cache, unknown](WorkProgress &progress) {
            progress.setTotal(unknown.size());
            cache->tagsFor(unknown, progress);
            return true;
        },
        [this](bool &) { emit tagsRead(); });
}

std::optional<QList<TrackTags>> ListTags::tagsFor(const QStringList &paths)
{
    QList<TrackTags> tags(paths.size());
    QStringList unknown;
    QList<qsizetype> at;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (const std::optional<TrackTags> found = m_cache->known(paths.at(i))) {
            tags[i] = *found;
        } else {
            unknown.append(paths.at(i));
            at.append(i);
        }
    }
    if (unknown.isEmpty())
        return tags;
    std::shared_ptr<TagCache> cache = m_cache;
    const std::optional<QList<TrackTags>> read = waitFor<QList<TrackTags>>(
        m_work, QStringLiteral("正在读取标签…"), [cache, unknown](WorkProgress &progress) {
            progress.setTotal(unknown.size());
            return cache->tagsFor(unknown, progress);
        });
    if (!read)
        return std::nullopt;
    for (qsizetype k = 0; k < at.size() && k < read->size(); ++k)
        tags[at.at(k)] = read->at(k);
    return tags;
}
