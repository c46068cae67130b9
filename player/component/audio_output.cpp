#include "player/component/audio_output.h"

#include <algorithm>

bool ClockOutput::prepare(int sampleRate, bool fresh)
{
    if (sampleRate <= 0)
        return false;
    if (m_rate == 0 || fresh) {
        m_rate = sampleRate;
        m_remainder = 0;
        restartClockAt(heard());
        m_written = heard();
    }
    return true;
}

qint64 ClockOutput::clockFrames() const
{
    if (m_paused || !m_clock.isValid())
        return m_banked;
    return m_banked + m_clock.nsecsElapsed() * m_rate / 1000000000;
}

void ClockOutput::restartClockAt(qint64 frames)
{
    m_banked = frames;
    m_clock.start();
}

qint64 ClockOutput::heard() const
{
    return std::min(m_written, clockFrames());
}

qint64 ClockOutput::write(const qint16 *, qint64 frames, int sampleRate)
{
    // A clock that ran dry waits for the sound, as a starved device plays
    // silence: the time it stood has not been heard.
    if (clockFrames() > m_written)
        restartClockAt(m_written);
    const qint64 scaled = frames * m_rate + m_remainder;
    const qint64 made = scaled / sampleRate;
    m_remainder = scaled % sampleRate;
    m_written += made;
    return made;
}

void ClockOutput::clear()
{
    const qint64 now = heard();
    restartClockAt(now);
    m_written = now;
    m_remainder = 0;
}

void ClockOutput::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    if (paused) {
        m_banked = clockFrames();
        m_paused = true;
    } else {
        m_paused = false;
        m_clock.start();
    }
}
