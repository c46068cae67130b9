#pragma once
#include "main_window/workflow/save_tags.h"
#include "platform/work/long_work.h"

#include <QObject>

#include <memory>

class TagCache;

// The tags of the list's files as the window knows them: one cache for the
// run, which the export reads through too. Read quietly in the background
// when entries join a list whose lines carry titles and lengths, or when an
// entry's tip asks; read with the window's progress and "取消" when a save
// needs some not read yet, the window taking no input meanwhile but for that.
class ListTags : public QObject, public SaveTags {
    Q_OBJECT
public:
    // `work` runs the reading a save waits for; the progress window shows its
    // jobs, and it lands nothing that waits in turn.
    explicit ListTags(LongWork &work, QObject *parent = nullptr);
    ~ListTags() override;

    const std::shared_ptr<TagCache> &cache() const { return m_cache; }
    // What was read of `path`, without asking the disk.
    std::optional<TrackTags> known(const QString &path) const;
    // Reads the tags of those not known yet, off the UI thread, without a word.
    void prefetch(const QStringList &paths);
    // Reading in the background runs or waits.
    bool isReading() const { return m_quiet.busy(); }

    std::optional<QList<TrackTags>> tagsFor(const QStringList &paths) override;

signals:
    // Tags read in the background landed.
    void tagsRead();

private:
    LongWork &m_work;
    LongWork m_quiet;
    std::shared_ptr<TagCache> m_cache;
};
