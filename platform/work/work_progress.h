#pragma once
#include <QtGlobal>

#include <atomic>

// What a job sees of its run, from the thread it runs on: whether Cancel was
// asked for (check it often and return early), and how far it has come.
class WorkProgress {
public:
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
    void setTotal(qint64 total) { m_total.store(total, std::memory_order_relaxed); }
    void advance(qint64 n = 1) { m_done.fetch_add(n, std::memory_order_relaxed); }
    // One more done; false once Cancel was asked for (a loop's "go on?").
    bool step()
    {
        advance();
        return !cancelled();
    }
    qint64 done() const { return m_done.load(std::memory_order_relaxed); }
    qint64 total() const { return m_total.load(std::memory_order_relaxed); }   // 0: not known
    // Asks the job to stop: what Cancel does, from any thread.
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
};
