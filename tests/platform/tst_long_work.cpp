// The long-work runner: jobs run off the UI thread, land on it in order,
// show their progress only when they take a while, and a cancelled job never
// lands.

#include "platform/work/long_work.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

namespace {
// A job of `ms` milliseconds in ten steps that stops early when cancelled.
std::function<int(WorkProgress &)> steps(int ms, int value)
{
    return [ms, value](WorkProgress &p) {
        p.setTotal(10);
        for (int i = 0; i < 10; ++i) {
            if (p.cancelled())
                return -1;
            QThread::msleep(ms / 10);
            p.advance();
        }
        return value;
    };
}
} // namespace

class LongWorkTest : public QObject {
    Q_OBJECT
private slots:
    // Results land on the UI thread, one after the other in the order given,
    // each computed on another thread.
    void landsInOrderOnTheUiThread();
    // Progress is shown for a job that outlasts the delay, never for a short
    // one, and ends reported once; the last report reaches the total.
    void progressOnlyForLongJobs_data();
    void progressOnlyForLongJobs();
    // Cancel: the running job and the waiting ones never land.
    void cancelLandsNothing();
    // The raster paint engine draws on Qt's global pool: a long job must
    // leave every thread of it free.
    void globalPoolStaysFree();
    // A group is idle only once every runner and every part of its own is
    // done, a nested group's too, and says so once each time it gets there.
    void groupIdleWhenAllAreDone();
};

void LongWorkTest::landsInOrderOnTheUiThread()
{
    LongWork work;
    QSignalSpy idle(&work, &LongWork::idle);
    QList<int> landed;
    QList<bool> offThread, onUiThread;
    for (int v : {1, 2, 3}) {
        work.run<int>(QStringLiteral("job"),
                      [v, &offThread](WorkProgress &) {
                          offThread << (QThread::currentThread() != qApp->thread());
                          return v;
                      },
                      [&](int &r) {
                          landed << r;
                          onUiThread << (QThread::currentThread() == qApp->thread());
                      });
    }
    QVERIFY(work.busy());
    QVERIFY(idle.wait(5000));
    QCOMPARE(landed, (QList<int>{1, 2, 3}));
    QCOMPARE(offThread, (QList<bool>{true, true, true}));
    QCOMPARE(onUiThread, (QList<bool>{true, true, true}));
    QVERIFY(!work.busy());
}

void LongWorkTest::progressOnlyForLongJobs_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<bool>("shown");
    QTest::newRow("50 ms: no progress") << 50 << false;
    QTest::newRow("800 ms: progress and its end") << 800 << true;
}

void LongWorkTest::progressOnlyForLongJobs()
{
    QFETCH(int, ms);
    QFETCH(bool, shown);
    LongWork work;
    QSignalSpy shownSpy(&work, &LongWork::shown);
    QSignalSpy progressed(&work, &LongWork::progressed);
    QSignalSpy ended(&work, &LongWork::ended);
    QSignalSpy idle(&work, &LongWork::idle);
    int landed = 0;
    work.run<int>(QStringLiteral("正在读取"), steps(ms, 7), [&](int &r) { landed = r; });
    QVERIFY(idle.wait(5000));
    QCOMPARE(landed, 7);
    QCOMPARE(shownSpy.size(), shown ? 1 : 0);
    QCOMPARE(ended.size(), shown ? 1 : 0);
    if (shown) {
        QCOMPARE(shownSpy.first().first().toString(), QStringLiteral("正在读取"));
        QVERIFY(progressed.size() >= 2);
        QCOMPARE(progressed.last().at(1).toLongLong(), 10);
        QVERIFY(progressed.last().at(0).toLongLong() >= progressed.first().at(0).toLongLong());
    }
}

void LongWorkTest::cancelLandsNothing()
{
    LongWork work;
    QSignalSpy idle(&work, &LongWork::idle);
    QSignalSpy ended(&work, &LongWork::ended);
    int landings = 0;
    work.run<int>(QStringLiteral("a"), steps(2000, 1), [&](int &) { ++landings; });
    work.run<int>(QStringLiteral("b"), steps(10, 2), [&](int &) { ++landings; });
    QTest::qWait(LongWork::ShowAfterMs + 100);
    work.cancel();
    QVERIFY(idle.wait(5000));
    QCOMPARE(landings, 0);
    QCOMPARE(ended.size(), 1);   // the shown one is told it ended
    QVERIFY(!work.busy());
    // The runner goes on with new work afterwards.
    work.run<int>(QStringLiteral("c"), steps(10, 3), [&](int &r) { landings = r; });
    QVERIFY(idle.wait(5000));
    QCOMPARE(landings, 3);
}

void LongWorkTest::globalPoolStaysFree()
{
    QThreadPool *global = QThreadPool::globalInstance();
    const int threads = global->maxThreadCount();
    LongWork work;
    QSemaphore release;
    for (int i = 0; i < threads; ++i) {   // one runner each, all of them busy
        auto *runner = new LongWork(&work);
        runner->run<int>(QString(), [&release](WorkProgress &) { release.acquire(); return 0; }, [](int &) {});
    }
    QSemaphore ran;
    for (int i = 0; i < threads; ++i)
        global->start([&ran] { ran.release(); });
    const bool free = ran.tryAcquire(threads, 5000);
    release.release(threads);
    QVERIFY(free);
}

QTEST_GUILESS_MAIN(LongWorkTest)
#include "tst_long_work.moc"

void LongWorkTest::groupIdleWhenAllAreDone()
{
    LongWork first, second;
    bool filling = false;   // work of the owner's own, after a landing
    WorkGroup inner, outer;
    inner.add(second);
    inner.add([&filling] { return filling; });
    outer.add(first);
    outer.add(inner);
    QSignalSpy idle(&outer, &WorkGroup::idle);
    QVERIFY(!outer.busy());

    first.run<int>(QStringLiteral("short"), steps(20, 1), [](int &) {});
    second.run<int>(QStringLiteral("long"), steps(200, 2), [&filling](int &) { filling = true; });
    QVERIFY(outer.busy());
    QTRY_VERIFY(!first.busy());
    QCOMPARE(idle.size(), 0);          // the other runner still works
    QTRY_VERIFY(!second.busy());
    QVERIFY(outer.busy());             // landed, still filling
    QCOMPARE(idle.size(), 0);
    filling = false;
    inner.settle();
    QCOMPARE(idle.size(), 1);
    QVERIFY(!outer.busy());
}
