#pragma once
// The UI thread's longest stall: the longest time between two turns of its
// event loop while `work` runs and until `done` holds, in milliseconds.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace bench {

inline double longestStallMs(const std::function<void()> &work, const std::function<bool()> &done)
{
    QElapsedTimer sinceTurn;
    qint64 longest = 0;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTurn.nsecsElapsed());
        sinceTurn.restart();
    });
    probe.start();
    sinceTurn.start();
    QCoreApplication::processEvents();
    // The work starts from the loop, as a drop or a click would.
    QTimer::singleShot(0, work);
    QElapsedTimer total;
    total.start();
    do {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    } while ((!done() || total.elapsed() < 50) && total.elapsed() < 60000);
    longest = std::max(longest, sinceTurn.nsecsElapsed());
    return double(longest) / 1e6;
}

} // namespace bench
