#pragma once
// Waiting for a window's long work: one signal, WorkGroup::idle, says that
// every runner is done and nothing waits to start.
#include "platform/work/long_work.h"

#include <QTest>

// True once all of `work` is done (at once when it is already), false when
// it is still busy after `timeoutMs`. Turns the event loop by hand, not with
// a nested QEventLoop, which returns at once in a test that has asked the
// application to quit.
inline bool waitForIdle(WorkGroup &work, int timeoutMs = 10000)
{
    bool idle = !work.busy();
    const QMetaObject::Connection said = QObject::connect(&work, &WorkGroup::idle, [&idle] { idle = true; });
    const bool done = QTest::qWaitFor([&idle] { return idle; }, timeoutMs);
    QObject::disconnect(said);
    return done;
}
