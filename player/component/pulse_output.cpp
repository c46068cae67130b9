#include "player/component/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr int ServerHoldsMs = 200;   // the server's target length: what covers a late thread
constexpr int StartAfterMs = 20;     // sound the server waits for before it (re)starts
constexpr int AnswerWithinMs = 3000; // a server that has not answered by then is not there

const char *const Name = "Melvora";

} // namespace

PulseOutput::PulseOutput()
{
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        return;
    if (pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
        return;
    }
    connectContext();
}

PulseOutput::~PulseOutput()
{
    closeOutput();
    if (!m_loop)
        return;
    dropContext();
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

void PulseOutput::lockDevice() const
{
    pa_threaded_mainloop_lock(m_loop);
}

void PulseOutput::unlockDevice() const
{
    pa_threaded_mainloop_unlock(m_loop);
}

namespace {

// Polls `state` (called with the loop locked) until it is no longer pending:
// true when it came out good. Bounded, so a server that hangs cannot hold up
// the player's thread.
template<typename State>
bool settles(pa_threaded_mainloop *loop, State state)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        pa_threaded_mainloop_lock(loop);
        const int now = state();
        pa_threaded_mainloop_unlock(loop);
        if (now != 0)
            return now > 0;
        if (waited.elapsed() > AnswerWithinMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace

bool PulseOutput::connectContext()
{
    if (!m_loop)
        return false;
    dropContext();
    lockDevice();
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), Name);
    const bool asked = m_context
                       && (pa_context_set_state_callback(m_context, &PulseOutput::contextChanged, this),
                           pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0);
    unlockDevice();
    const bool ready = asked && settles(m_loop, [this] {
        const pa_context_state_t state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
    });
    if (!ready) {
        dropContext();
        return false;
    }
    m_lost = false;
    return true;
}

void PulseOutput::dropContext()
{
    if (!m_context)
        return;
    lockDevice();
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    unlockDevice();
}

bool PulseOutput::openDevice(int rate, bool paused, qint64 &latencyFrames)
{
    if (!m_loop)
        return false;
    if (m_lost.load() || !m_context) {
        if (!connectContext())
            return false;   // the server is (still) gone
    }
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = uint32_t(rate);
    spec.channels = 2;
    pa_buffer_attr wanted{};
    wanted.maxlength = uint32_t(-1);
    wanted.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(ServerHoldsMs) * 1000, &spec));
    wanted.prebuf = uint32_t(pa_usec_to_bytes(pa_usec_t(StartAfterMs) * 1000, &spec));
    wanted.minreq = uint32_t(-1);
    wanted.fragsize = uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | (paused ? PA_STREAM_START_CORKED : 0));

    lockDevice();
    m_stream = pa_stream_new(m_context, Name, &spec, nullptr);
    bool asked = false;
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, &PulseOutput::streamChanged, this);
        pa_stream_set_write_callback(m_stream, &PulseOutput::serverAsks, this);
        asked = pa_stream_connect_playback(m_stream, nullptr, &wanted, flags, nullptr, nullptr) >= 0;
    }
    unlockDevice();
    const bool ready = asked && settles(m_loop, [this] {
        const pa_stream_state_t state = pa_stream_get_state(m_stream);
        return state == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(state) ? 0 : -1;
    });
    if (!ready) {
        closeDevice();
        return false;
    }
    lockDevice();
    const pa_buffer_attr *granted = pa_stream_get_buffer_attr(m_stream);
    latencyFrames = qint64(granted ? granted->tlength : wanted.tlength) / 4;
    unlockDevice();
    return true;
}

void PulseOutput::closeDevice()
{
    if (!m_stream)
        return;
    lockDevice();
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    unlockDevice();
}

void PulseOutput::pauseDevice(bool paused)
{
    lockDevice();
    if (pa_operation *operation = pa_stream_cork(m_stream, paused ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(operation);
    unlockDevice();
}

void PulseOutput::flushDevice()
{
    if (pa_operation *operation = pa_stream_flush(m_stream, nullptr, nullptr))
        pa_operation_unref(operation);
}

// With the loop locked: as much of the ring as the server asks for.
void PulseOutput::pump()
{
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    const size_t asked = pa_stream_writable_size(m_stream);
    if (asked == size_t(-1))
        return;
    qint64 frames = std::min(qint64(asked / 4), queuedFrames());
    while (frames > 0) {
        void *data = nullptr;
        size_t bytes = size_t(frames) * 4;
        if (pa_stream_begin_write(m_stream, &data, &bytes) < 0 || !data)
            return;
        const qint64 n = take(static_cast<qint16 *>(data), std::min(qint64(bytes / 4), frames));
        if (n <= 0) {
            pa_stream_cancel_write(m_stream);
            return;
        }
        if (pa_stream_write(m_stream, data, size_t(n) * 4, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        frames -= n;
    }
}

void PulseOutput::serverAsks(pa_stream *, size_t, void *self)
{
    static_cast<PulseOutput *>(self)->pump();
}

void PulseOutput::contextChanged(pa_context *context, void *self)
{
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
        static_cast<PulseOutput *>(self)->m_lost = true;
}

void PulseOutput::streamChanged(pa_stream *stream, void *self)
{
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        static_cast<PulseOutput *>(self)->m_lost = true;
}
