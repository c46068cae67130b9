#include "main_window/list_tags.h"

#include "platform/tags/tag_cache.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>

namespace {

// While a save waits for tags, the user's input reaches only the progress
// window: a list edited meanwhile would be saved as it was not.
class InputHold : public QObject {
public:
    InputHold() { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Drop:
        case QEvent::Close:
            break;
        default:
            return false;
        }
        for (QObject *o = watched; o; o = o->parent()) {
            if (o->objectName() == u"workProgress")
                return false;
        }
        return true;
    }
};

} // namespace

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
    QEventLoop loop;
    bool landed = false;
    const InputHold hold;
    m_work.run<QList<TrackTags>>(
        QStringLiteral("正在读取标签…"),
        [cache, unknown](WorkProgress &progress) {
            progress.setTotal(unknown.size());
            return cache->tagsFor(unknown, progress);
        },
        [&](QList<TrackTags> &read) {
            for (qsizetype k = 0; k < at.size() && k < read.size(); ++k)
                tags[at.at(k)] = read.at(k);
            landed = true;
            loop.quit();
        });
    // A cancelled job never lands: the runner falls idle instead.
    const QMetaObject::Connection idle = connect(&m_work, &LongWork::idle, &loop, &QEventLoop::quit);
    if (m_work.busy())
        loop.exec();
    disconnect(idle);
    if (!landed)
        return std::nullopt;
    return tags;
}
