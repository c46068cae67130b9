#pragma once
#include "platform/work/work_progress.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <deque>
#include <vector>
#include <functional>
#include <memory>

// Long work off the UI thread: disk reads, tree walks, tag reading, copying.
// A job runs on Qt's thread pool and returns its result; the result then
// lands on the thread that owns this object (the UI thread), where the
// caller applies it to the list as one edit. A cancelled job's result never
// lands, so Cancel leaves the list as it was.
//
// Jobs run one at a time, in the order given, on a thread of this object's
// own: never on Qt's global pool, whose threads the raster paint engine
// borrows to draw. A folder read holding one of those made a repaint wait for
// it (0.1 ms of work, 150-300 ms waiting on a 2-core machine). A job that runs longer than
// ShowAfterMs is announced by shown() and then reported a few times a second
// by progressed(), so the window can show a bar with Cancel; ended() follows
// every job that was shown, landed or not.
class LongWork : public QObject {
    Q_OBJECT
public:
    static constexpr int ShowAfterMs = 300;
    static constexpr int ProgressEveryMs = 100;

    explicit LongWork(QObject *parent = nullptr);
    // Cancels what runs and waits for it; nothing lands after.
    ~LongWork() override;

    // `what` is the text the progress shows ("正在读取文件夹…").
    template <class Result>
    void run(const QString &what, std::function<Result(WorkProgress &)> job, std::function<void(Result &)> land)
    {
        auto result = std::make_shared<Result>();
        enqueue(what,
                [job = std::move(job), result](WorkProgress &progress) { *result = job(progress); },
                [land = std::move(land), result] { land(*result); });
    }

    // True from run() until the last job has landed or been cancelled.
    bool busy() const { return m_current != nullptr || m_landing || !m_waiting.empty(); }
    // Cancels the running job and every waiting one.
    void cancel();

signals:
    void shown(const QString &what);
    void progressed(qint64 done, qint64 total);
    void ended();
    // Every job is done (landed or cancelled) and none waits.
    void idle();

private:
    struct Job {
        QString what;
        std::function<void(WorkProgress &)> work;
        std::function<void()> land;
        WorkProgress progress;
        bool shown = false;
    };

    void enqueue(const QString &what, std::function<void(WorkProgress &)> work, std::function<void()> land);
    void startNext();
    void finished();

    QThreadPool m_pool;   // before the watcher: it outlives what runs on it
    std::deque<std::unique_ptr<Job>> m_waiting;
    std::unique_ptr<Job> m_current;
    QFutureWatcher<void> m_watcher;
    QTimer m_show;
    QTimer m_report;
    bool m_landing = false;   // a result is being applied (it may ask the user)
};

// Long work of a window: its runners, and what waits to start or goes on
// after a landing (a list filled a part at a time, a check asked for but not
// started yet), seen as one. Busy while any part is; idle() once every part
// is done, which is what a window's tests wait for.
class WorkGroup : public QObject {
    Q_OBJECT
public:
    explicit WorkGroup(QObject *parent = nullptr);

    void add(LongWork &work);
    void add(WorkGroup &group);
    // A part of the owner's own: `busy` says whether it still works; the
    // owner calls settle() when it may have finished.
    void add(std::function<bool()> busy);

    bool busy() const;
    // Emits idle() when no part is busy.
    void settle();

signals:
    void idle();

private:
    std::vector<std::function<bool()>> m_parts;
};
