#include "player/component/audio_output.h"

#include "player/component/pcm_source.h"

namespace {

constexpr int BytesPerSampleFrame = 4;
constexpr int ClockPullMs = 20;
constexpr int ClockLeadMs = 60;

} // namespace

// ---------------------------------------------------------------------------

ClockOutput::ClockOutput(QObject *parent)
    : AudioOutput(parent)
{
    m_timer.setInterval(ClockPullMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ClockOutput::pull);
}

bool ClockOutput::start(PcmSource *source, int sampleRate)
{
    stop();
    if (!source || sampleRate <= 0)
        return false;
    m_source = source;
    m_rate = sampleRate;
    m_bankedUSecs = 0;
    m_pulledBytes = 0;
    m_running = true;
    m_clock.start();
    m_timer.start();
    pull();
    return true;
}

void ClockOutput::suspend()
{
    if (!m_running)
        return;
    m_bankedUSecs += m_clock.nsecsElapsed() / 1000;
    m_running = false;
    m_timer.stop();
}

void ClockOutput::resume()
{
    if (m_running || !m_source)
        return;
    m_running = true;
    m_clock.start();
    m_timer.start();
}

void ClockOutput::stop()
{
    m_timer.stop();
    m_running = false;
    m_source = nullptr;
    m_bankedUSecs = 0;
    m_pulledBytes = 0;
}

qint64 ClockOutput::playedUSecs() const
{
    if (!m_source)
        return 0;
    return m_bankedUSecs + (m_running ? m_clock.nsecsElapsed() / 1000 : 0);
}

void ClockOutput::pull()
{
    if (!m_source || !m_running)
        return;
    // Read a little ahead of the clock, as a sound card's buffer would.
    const qint64 due = (playedUSecs() + ClockLeadMs * 1000) * m_rate / 1000000 * BytesPerSampleFrame;
    qint64 want = due - m_pulledBytes;
    while (want > 0) {
        m_scratch.resize(qsizetype(std::min<qint64>(want, 64 * 1024)));
        const qint64 got = m_source->read(m_scratch.data(), m_scratch.size());
        if (got <= 0)
            break;
        m_pulledBytes += got;
        want -= got;
    }
}
