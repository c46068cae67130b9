#include "player/component/ring_output.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int RingMs = 2000;           // room for the queue the player keeps ahead
constexpr int StandingStillMs = 5000;  // a device clock stopped this long has failed
constexpr qint64 NeverEmpty = std::numeric_limits<qint64>::min() / 2;

} // namespace

RingOutput::~RingOutput()
{
    dropConverter();
}

void RingOutput::closeOutput()
{
    dropConverter();
    if (m_rate != 0)
        closeDevice();
    m_rate = 0;
}

bool RingOutput::prepare(int sampleRate, bool fresh)
{
    if (sampleRate <= 0)
        return false;
    if (m_rate != 0 && (deviceLost() || (fresh && sampleRate != m_rate)))
        closeOutput();   // lost since the last run, or a fresh start at another rate
    if (m_rate == 0) {
        // The ring is ready before the device may take from it.
        m_ring.assign(size_t(sampleRate) * RingMs / 1000 * 2, 0);
        m_read = m_written = 0;
        m_taken = 0;
        m_emptyAt = canFlush() ? 0 : NeverEmpty;
        m_lastTaken = -1;
        qint64 latency = 0;
        if (!openDevice(sampleRate, m_paused, latency))
            return false;
        m_rate = sampleRate;
        m_latency = latency;
        pauseDevice(m_paused);
    }
    if (fresh)
        dropConverter();
    return true;
}

bool RingOutput::reopenDevice()
{
    if (m_rate == 0)
        return false;
    const qint64 from = std::clamp<qint64>(heard(), 0, m_read);
    closeDevice();
    // No device takes now. A frame taken stays in the ring until one
    // written a ring's length later lands on it.
    const qint64 capacity = qint64(m_ring.size()) / 2;
    m_read -= std::min(m_read - from, capacity - (m_written - m_read));
    m_taken.store(m_read);
    m_emptyAt = m_read;
    m_lastTaken = -1;
    qint64 latency = 0;
    if (!openDevice(m_rate, m_paused, latency))
        return false;
    m_latency = latency;
    pauseDevice(m_paused);
    return true;
}

qint64 RingOutput::take(qint16 *out, qint64 frames)
{
    const qint64 capacity = qint64(m_ring.size()) / 2;
    const qint64 n = std::min(frames, m_written - m_read);
    for (qint64 done = 0; done < n;) {
        const qint64 at = (m_read + done) % capacity;
        const qint64 run = std::min(n - done, capacity - at);
        std::memcpy(out + 2 * done, m_ring.data() + 2 * at, size_t(run) * 4);
        done += run;
    }
    PcmVolume::applyGains(out, n, m_left.load(), m_right.load());
    m_read += n;
    m_taken.store(m_read);
    return n;
}

qint64 RingOutput::push(const qint16 *pcm, qint64 frames)
{
    const qint64 capacity = qint64(m_ring.size()) / 2;
    lockDevice();
    frames = std::min(frames, capacity - (m_written - m_read));
    for (qint64 done = 0; done < frames;) {
        const qint64 at = (m_written + done) % capacity;
        const qint64 run = std::min(frames - done, capacity - at);
        std::memcpy(m_ring.data() + 2 * at, pcm + 2 * done, size_t(run) * 4);
        done += run;
    }
    m_written += frames;
    queued();
    unlockDevice();
    return frames;
}

qint64 RingOutput::drainConverter(qint64 limit)
{
    qint64 made = 0;
    while (m_converter && made < limit) {
        const int asked = int(std::min<qint64>(SDL_AudioStreamAvailable(m_converter) / 4, limit - made) * 4);
        if (asked <= 0)
            break;
        m_converted.resize(size_t(asked) / 2);
        const int got = SDL_AudioStreamGet(m_converter, m_converted.data(), asked);
        if (got <= 0)
            break;
        made += push(m_converted.data(), got / 4);
    }
    m_convertedFrames += made;
    return made;
}

qint64 RingOutput::finishConverter()
{
    if (!m_converter)
        return 0;
    SDL_AudioStreamFlush(m_converter);
    qint64 made = drainConverter();
    // SDL 2.26 keeps the resampler's last input back even when flushed (the
    // last 23 ms of every converted track were lost): silence put behind it
    // brings it out, and of what then comes only as much as the track's own
    // sound makes is kept.
    const qint64 owed = m_convertingFrames * m_rate / m_converterRate - m_convertedFrames;
    if (owed > 0) {
        const std::vector<qint16> silence(size_t(m_converterRate) / 10 * 2, 0);
        if (SDL_AudioStreamPut(m_converter, silence.data(), int(silence.size() * 2)) == 0) {
            SDL_AudioStreamFlush(m_converter);
            made += drainConverter(owed);
        }
    }
    dropConverter();
    return made;
}

void RingOutput::dropConverter()
{
    if (m_converter)
        SDL_FreeAudioStream(m_converter);
    m_converter = nullptr;
    m_converterRate = 0;
    m_convertingFrames = m_convertedFrames = 0;
}

qint64 RingOutput::write(const qint16 *pcm, qint64 frames, int sampleRate)
{
    if (m_rate == 0)
        return -1;
    qint64 made = 0;
    if (m_converter && m_converterRate != sampleRate) {
        // The track before had another rate: its last converted sound first.
        made += finishConverter();
    }
    if (sampleRate == m_rate)
        return made + push(pcm, frames);
    if (!m_converter) {
        m_converter = SDL_NewAudioStream(AUDIO_S16SYS, 2, sampleRate, AUDIO_S16SYS, 2, m_rate);
        if (!m_converter)
            return -1;
        m_converterRate = sampleRate;
    }
    if (SDL_AudioStreamPut(m_converter, pcm, int(frames * 4)) != 0)
        return -1;
    m_convertingFrames += frames;
    return made + drainConverter();
}

void RingOutput::drain()
{
    finishConverter();
}

void RingOutput::clear()
{
    if (m_rate == 0)
        return;
    lockDevice();
    m_written = m_read;
    if (canFlush()) {
        flushDevice();
        m_emptyAt = m_read;
    }
    unlockDevice();
    dropConverter();   // the next sound at another rate starts a conversion anew
}

void RingOutput::setPaused(bool paused)
{
    m_paused = paused;
    m_lastTaken = -1;
    if (m_rate != 0)
        pauseDevice(paused);
}

void RingOutput::setGains(int leftQ15, int rightQ15)
{
    m_left.store(leftQ15);
    m_right.store(rightQ15);
}

qint64 RingOutput::heard() const
{
    // What the device took less what it still holds: negative for a device's
    // first buffers, which are not heard yet.
    const qint64 taken = m_taken.load();
    return taken - std::min(m_latency, taken - m_emptyAt.load());
}

bool RingOutput::failed() const
{
    if (m_rate == 0)
        return false;
    if (deviceLost())
        return true;   // the server went away: the device was given up
    const qint64 taken = m_taken.load();
    if (m_paused || taken >= m_written || taken != m_lastTaken) {
        m_lastTaken = taken;
        m_standing.start();
        return false;
    }
    return m_standing.elapsed() >= StandingStillMs;
}
