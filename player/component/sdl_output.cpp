#include "player/component/sdl_output.h"

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
// While the wanted device is absent, how often SDL's list is looked at.
constexpr int LookEveryMs = 1000;

// SDL's audio subsystem is counted per process: players on several threads
// set it up and take it down one at a time.
std::mutex &sdlSetUp()
{
    static std::mutex lock;
    return lock;
}

} // namespace

SdlOutput::SdlOutput(std::shared_ptr<OutputTarget> target) : m_target(std::move(target))
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
    closeOutput();
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

QList<OutputDevice> SdlOutput::devices()
{
    QList<OutputDevice> found;
    const SdlOutput probe;
    if (!probe.isAvailable())
        return found;
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        if (const char *name = SDL_GetAudioDeviceName(i, 0)) {
            const QString text = QString::fromUtf8(name);
            found.append({text, text});
        }
    }
    return found;
}

bool SdlOutput::prepare(int sampleRate, bool fresh)
{
    return m_initialised && RingOutput::prepare(sampleRate, fresh);
}

bool SdlOutput::openDevice(int rate, bool paused, qint64 &latencyFrames)
{
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = Uint16(deviceBufferFrames(rate));
    want.callback = &SdlOutput::fill;
    want.userdata = this;
    SDL_AudioSpec have{};
    const QString wanted = m_target ? m_target->wanted() : QString();
    m_seen = m_target ? m_target->generation() : 0;
    // No allowed changes: SDL converts to whatever the device takes.
    if (!wanted.isEmpty())
        m_device = SDL_OpenAudioDevice(wanted.toUtf8().constData(), 0, &want, &have, 0);
    const bool reached = wanted.isEmpty() || m_device != 0;
    if (m_device == 0)
        m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0)
        return false;
    report(reached);
    // SDL's mixing buffer plus about as much that the server holds.
    latencyFrames = qint64(have.samples) * 2;
    SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
    return true;
}

void SdlOutput::report(bool reached)
{
    m_away = !reached;
    m_looked.start();
    if (m_target)
        m_target->reportReached(reached);
}

void SdlOutput::follow()
{
    if (!m_target || m_device == 0)
        return;
    bool again = m_target->generation() != m_seen || (deviceLost() && !m_target->wanted().isEmpty());
    if (!again && m_away && m_looked.elapsed() >= LookEveryMs) {
        // Away on the default: back as soon as SDL lists the wanted device.
        m_looked.start();
        const QList<OutputDevice> listed = devices();
        again = std::any_of(listed.cbegin(), listed.cend(),
                            [wanted = m_target->wanted()](const OutputDevice &d) { return d.name == wanted; });
    }
    if (again)
        reopenDevice();
}

void SdlOutput::closeDevice()
{
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    m_device = 0;
}

bool SdlOutput::deviceLost() const
{
    return SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED;
}

void SdlOutput::lockDevice() const
{
    SDL_LockAudioDevice(m_device);
}

void SdlOutput::unlockDevice() const
{
    SDL_UnlockAudioDevice(m_device);
}

void SdlOutput::pauseDevice(bool paused)
{
    SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
}

// On SDL's thread, with the device locked: what the ring holds, then silence.
void SdlOutput::fill(void *self, std::uint8_t *stream, int bytes)
{
    auto *out = reinterpret_cast<qint16 *>(stream);
    const qint64 frames = bytes / 4;
    const qint64 n = static_cast<SdlOutput *>(self)->take(out, frames);
    std::memset(out + 2 * n, 0, size_t(frames - n) * 4);
}
