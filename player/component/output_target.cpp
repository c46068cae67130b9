#include "player/component/output_target.h"

#include <QMetaObject>

QString OutputTarget::wanted() const
{
    const QMutexLocker guard(&m_lock);
    return m_wanted;
}

quint64 OutputTarget::generation() const
{
    const QMutexLocker guard(&m_lock);
    return m_generation;
}

void OutputTarget::setWanted(const QString &name)
{
    const QMutexLocker guard(&m_lock);
    if (name == m_wanted)
        return;
    m_wanted = name;
    ++m_generation;
}

void OutputTarget::reportReached(bool reached)
{
    {
        const QMutexLocker guard(&m_lock);
        if (reached == m_reached)
            return;
        m_reached = reached;
    }
    QMetaObject::invokeMethod(this, [this, reached] { emit reachedChanged(reached); }, Qt::QueuedConnection);
}
