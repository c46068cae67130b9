#include "player/component/sdl_output.h"

#include "player/component/pcm_source.h"

#include <SDL.h>

#include <algorithm>

namespace {

constexpr int BytesPerSampleFrame = 4;
constexpr int LeadMs = 250;          // queued ahead of the device; also the delay of a volume change
// More at a start, when the UI thread has the most to do (a fresh player
// window shown for the first time takes a third of a second on a busy machine).
constexpr int StartLeadMs = 750;
constexpr int FeedMs = 20;
constexpr Uint16 DeviceSamples = 4096;   // one SDL buffer: about 93 ms at 44.1 kHz

qint64 bytesFor(qint64 ms, int rate)
{
    return ms * rate / 1000 * BytesPerSampleFrame;
}

} // namespace

SdlOutput::SdlOutput(QObject *parent)
    : AudioOutput(parent)
{
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
    m_feed.setInterval(FeedMs);
    m_feed.setTimerType(Qt::PreciseTimer);
    connect(&m_feed, &QTimer::timeout, this, [this] { feed(LeadMs); });
}

SdlOutput::~SdlOutput()
{
    closeDevice();
    if (m_initialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlOutput::openDevice(int sampleRate)
{
    SDL_AudioSpec want{};
    want.freq = sampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = DeviceSamples;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the device takes.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0)
        return false;
    m_rate = sampleRate;
    // SDL's mixing buffer plus about as much that it asks the server to hold.
    m_deviceBufferBytes = qint64(have.samples) * BytesPerSampleFrame * 2;
    return true;
}

void SdlOutput::closeDevice()
{
    stop();
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    m_device = 0;
    m_rate = 0;
}

bool SdlOutput::start(PcmSource *source, int sampleRate)
{
    stop();
    if (!m_initialised || !source || sampleRate <= 0)
        return false;
    if (m_device == 0 || m_rate != sampleRate) {
        closeDevice();
        if (!openDevice(sampleRate))
            return false;
    }
    if (SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED) {
        closeDevice();   // lost since the last run
        return false;
    }
    SDL_ClearQueuedAudio(m_device);
    m_source = source;
    m_pushedBytes = 0;
    m_sourceDry = false;
    m_running = true;
    feed(StartLeadMs);
    SDL_PauseAudioDevice(m_device, 0);
    m_feed.start();
    return true;
}

qint64 SdlOutput::queuedBytes() const
{
    return m_device != 0 ? qint64(SDL_GetQueuedAudioSize(m_device)) : 0;
}

void SdlOutput::feed(int leadMs)
{
    if (!m_running || !m_source)
        return;
    if (SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED) {
        // The server went away: SDL gave the device up.
        stop();
        emit failed();
        return;
    }
    const qint64 lead = bytesFor(leadMs, m_rate);
    qint64 queued = queuedBytes();
    while (!m_sourceDry && queued < lead) {
        m_scratch.resize(qsizetype(std::min<qint64>(lead - queued, 16 * 1024)));
        const qint64 got = m_source->read(m_scratch.data(), m_scratch.size());
        if (got <= 0) {
            m_sourceDry = true;
            break;
        }
        if (SDL_QueueAudio(m_device, m_scratch.constData(), Uint32(got)) != 0) {
            stop();
            emit failed();
            return;
        }
        m_pushedBytes += got;
        queued += got;
    }
}

void SdlOutput::suspend()
{
    if (!m_running)
        return;
    m_running = false;
    m_feed.stop();
    SDL_PauseAudioDevice(m_device, 1);
}

void SdlOutput::resume()
{
    if (m_running || !m_source || m_device == 0)
        return;
    m_running = true;
    SDL_PauseAudioDevice(m_device, 0);
    feed(LeadMs);
    m_feed.start();
}

void SdlOutput::stop()
{
    m_feed.stop();
    m_running = false;
    m_source = nullptr;
    if (m_device != 0) {
        SDL_PauseAudioDevice(m_device, 1);
        SDL_ClearQueuedAudio(m_device);
    }
}

qint64 SdlOutput::playedUSecs() const
{
    if (!m_source || m_rate <= 0)
        return 0;
    // Once the source is dry and SDL has taken all of it, the run counts as
    // heard: the next track queues behind what the device still holds, so
    // one track follows the other without a gap.
    const qint64 queued = queuedBytes();
    const qint64 heard = m_sourceDry && queued == 0 ? m_pushedBytes
                                                    : std::max<qint64>(0, m_pushedBytes - queued - m_deviceBufferBytes);
    return heard / BytesPerSampleFrame * 1000000 / m_rate;
}
