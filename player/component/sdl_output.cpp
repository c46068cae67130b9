#include "player/component/sdl_output.h"

#include "player/component/pcm_volume.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

// The device's own buffer, in time whatever the rate. SDL asks the sound
// server for no more than this in flight (PulseAudio's target length), so it
// is all that covers a moment in which the server or SDL's thread is not run:
// with 60 ms, a busy machine left holes of 50 to 140 ms in one play in four.
constexpr int BufferMs = 100;
constexpr int RingMs = 2000;           // room for the queue the player keeps ahead
constexpr int StandingStillMs = 5000;  // a device clock stopped this long has failed

// SDL's audio subsystem is counted per process: players on several threads
// set it up and take it down one at a time.
std::mutex &sdlSetUp()
{
    static std::mutex lock;
    return lock;
}

} // namespace

SdlOutput::SdlOutput()
    : m_left(PcmVolume::UnityGain)
    , m_right(PcmVolume::UnityGain)
{
    const std::lock_guard<std::mutex> guard(sdlSetUp());
    // SDL must not take SIGINT and SIGTERM from the program: nobody reads its
    // quit events, so the program would no longer end on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
#ifdef Q_OS_LINUX
    // The sound servers only: SDL's ALSA fallback prints the library's errors
    // on a machine without one, where the silent clock says nothing. A user's
    // SDL_AUDIODRIVER still wins.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "pulseaudio,pipewire", SDL_HINT_DEFAULT);
#endif
    m_initialised = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

SdlOutput::~SdlOutput()
{
    closeDevice();
    if (m_initialised) {
        const std::lock_guard<std::mutex> guard(sdlSetUp());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

int SdlOutput::deviceBufferFrames(int rate)
{
    // Whole multiples of 64 frames: SDL and the servers take any size.
    return std::max(64, rate * BufferMs / 1000 / 64 * 64);
}

bool SdlOutput::openDevice(int rate)
{
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = Uint16(deviceBufferFrames(rate));
    want.callback = &SdlOutput::fill;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the device takes.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0)
        return false;
    m_rate = rate;
    // SDL's mixing buffer plus about as much that the server holds.
    m_latency = qint64(have.samples) * 2;
    m_ring.assign(size_t(rate) * RingMs / 1000 * 2, 0);
    m_read = m_written = 0;
    m_taken = 0;
    m_lastTaken = -1;
    SDL_PauseAudioDevice(m_device, m_paused ? 1 : 0);
    return true;
}

void SdlOutput::closeDevice()
{
    dropConverter();
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    m_device = 0;
    m_rate = 0;
}

bool SdlOutput::prepare(int sampleRate, bool fresh)
{
    if (!m_initialised || sampleRate <= 0)
        return false;
    if (m_device != 0 && (SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED || (fresh && sampleRate != m_rate)))
        closeDevice();   // lost since the last run, or a fresh start at another rate
    if (m_device == 0 && !openDevice(sampleRate))
        return false;
    if (fresh)
        dropConverter();
    return true;
}

void SdlOutput::fill(void *self, std::uint8_t *stream, int bytes)
{
    static_cast<SdlOutput *>(self)->fill(reinterpret_cast<qint16 *>(stream), bytes / 4);
}

// On SDL's thread, with the device locked.
void SdlOutput::fill(qint16 *out, qint64 frames)
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
    std::memset(out + 2 * n, 0, size_t(frames - n) * 4);
    m_read += n;
    m_taken.store(m_read);
}

qint64 SdlOutput::push(const qint16 *pcm, qint64 frames)
{
    const qint64 capacity = qint64(m_ring.size()) / 2;
    SDL_LockAudioDevice(m_device);
    frames = std::min(frames, capacity - (m_written - m_read));
    for (qint64 done = 0; done < frames;) {
        const qint64 at = (m_written + done) % capacity;
        const qint64 run = std::min(frames - done, capacity - at);
        std::memcpy(m_ring.data() + 2 * at, pcm + 2 * done, size_t(run) * 4);
        done += run;
    }
    m_written += frames;
    SDL_UnlockAudioDevice(m_device);
    return frames;
}

qint64 SdlOutput::drainConverter()
{
    qint64 made = 0;
    while (m_converter) {
        const int available = SDL_AudioStreamAvailable(m_converter);
        if (available <= 0)
            break;
        m_converted.resize(size_t(available) / 2);
        const int got = SDL_AudioStreamGet(m_converter, m_converted.data(), available);
        if (got <= 0)
            break;
        made += push(m_converted.data(), got / 4);
    }
    return made;
}

void SdlOutput::dropConverter()
{
    if (m_converter)
        SDL_FreeAudioStream(m_converter);
    m_converter = nullptr;
    m_converterRate = 0;
}

qint64 SdlOutput::write(const qint16 *pcm, qint64 frames, int sampleRate)
{
    if (m_device == 0)
        return -1;
    qint64 made = 0;
    if (m_converter && m_converterRate != sampleRate) {
        // The track before had another rate: its last converted sound first.
        SDL_AudioStreamFlush(m_converter);
        made += drainConverter();
        dropConverter();
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
    return made + drainConverter();
}

void SdlOutput::drain()
{
    if (!m_converter)
        return;
    SDL_AudioStreamFlush(m_converter);
    drainConverter();
    dropConverter();
}

void SdlOutput::clear()
{
    if (m_device == 0)
        return;
    SDL_LockAudioDevice(m_device);
    m_written = m_read;
    SDL_UnlockAudioDevice(m_device);
    if (m_converter)
        SDL_AudioStreamClear(m_converter);
}

void SdlOutput::setPaused(bool paused)
{
    m_paused = paused;
    m_lastTaken = -1;
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
}

void SdlOutput::setGains(int leftQ15, int rightQ15)
{
    m_left.store(leftQ15);
    m_right.store(rightQ15);
}

qint64 SdlOutput::heard() const
{
    // Negative for the device's first buffers: what they hold is not heard yet.
    return m_taken.load() - m_latency;
}

bool SdlOutput::failed() const
{
    if (m_device == 0)
        return false;
    if (SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED)
        return true;   // the server went away: SDL gave the device up
    const qint64 taken = m_taken.load();
    if (m_paused || taken >= m_written || taken != m_lastTaken) {
        m_lastTaken = taken;
        m_standing.start();
        return false;
    }
    return m_standing.elapsed() >= StandingStillMs;
}
