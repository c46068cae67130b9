#pragma once
// The longest gap between the turns of the event loop while it lives: a
// timer that should fire every 5 ms notes how late it came.

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

class LoopHeartbeat
{
public:
    LoopHeartbeat()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longestGapMs = std::max(m_longestGapMs, m_sinceLast.restart());
        });
        m_sinceLast.start();
        m_timer.start();
    }
    qint64 longestGapMs() const { return m_longestGapMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longestGapMs = 0;
};
