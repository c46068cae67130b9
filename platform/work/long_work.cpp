#include "platform/work/long_work.h"

LongWork::LongWork(QObject *parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    m_show.setSingleShot(true);
    m_show.setInterval(ShowAfterMs);
    m_report.setInterval(ProgressEveryMs);
    connect(&m_watcher, &QFutureWatcher<void>::finished, this, &LongWork::finished);
    connect(&m_show, &QTimer::timeout, this, [this] {
        if (!m_current)
            return;
        m_current->shown = true;
        emit shown(m_current->what);
        emit progressed(m_current->progress.done(), m_current->progress.total());
        m_report.start();
    });
    connect(&m_report, &QTimer::timeout, this, [this] {
        if (m_current)
            emit progressed(m_current->progress.done(), m_current->progress.total());
    });
}

LongWork::~LongWork()
{
    m_waiting.clear();
    if (m_current) {
        m_current->progress.cancel();
        m_watcher.disconnect(this);
        m_watcher.waitForFinished();
    }
}

void LongWork::enqueue(const QString &what, std::function<void(WorkProgress &)> work, std::function<void()> land)
{
    auto job = std::make_unique<Job>();
    job->what = what;
    job->work = std::move(work);
    job->land = std::move(land);
    m_waiting.push_back(std::move(job));
    if (!m_current && !m_landing)
        startNext();
}

void LongWork::startNext()
{
    if (m_waiting.empty()) {
        emit idle();
        return;
    }
    m_current = std::move(m_waiting.front());
    m_waiting.pop_front();
    Job *job = m_current.get();
    m_show.start();
    m_watcher.setFuture(QtConcurrent::run(&m_pool, [job] { job->work(job->progress); }));
}

void LongWork::cancel()
{
    m_waiting.clear();
    if (m_current)
        m_current->progress.cancel();
}

void LongWork::finished()
{
    m_show.stop();
    m_report.stop();
    std::unique_ptr<Job> job = std::move(m_current);
    if (!job)
        return;
    if (!job->progress.cancelled()) {
        m_landing = true;
        job->land();
        m_landing = false;
    }
    if (job->shown)
        emit ended();
    startNext();
}

WorkGroup::WorkGroup(QObject *parent) : QObject(parent)
{
}

void WorkGroup::add(LongWork &work)
{
    m_parts.push_back([&work] { return work.busy(); });
    connect(&work, &LongWork::idle, this, &WorkGroup::settle);
}

void WorkGroup::add(WorkGroup &group)
{
    m_parts.push_back([&group] { return group.busy(); });
    connect(&group, &WorkGroup::idle, this, &WorkGroup::settle);
}

void WorkGroup::add(std::function<bool()> busy)
{
    m_parts.push_back(std::move(busy));
}

bool WorkGroup::busy() const
{
    for (const auto &part : m_parts) {
        if (part())
            return true;
    }
    return false;
}

void WorkGroup::settle()
{
    if (!busy())
        emit idle();
}
