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

PulseOutput::PulseOutput(std::shared_ptr<OutputTarget> target) : m_target(std::move(target))
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
    // A sink that comes (back) may be the one wanted.
    lockDevice();
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context *context, pa_subscription_event_type_t event, uint32_t index, void *self) {
            sinkEvent(context, int(event), index, self);
        },
        this);
    if (pa_operation *operation = pa_context_subscribe(m_context, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr))
        pa_operation_unref(operation);
    unlockDevice();
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
    const QString sink = m_target ? m_target->wanted() : QString();
    m_seen = m_target ? m_target->generation() : 0;
    bool ready = connectStream(sink, &wanted, rate, paused);
    if (!ready && !sink.isEmpty()) {
        // The wanted sink is not there: the default, until it comes.
        ready = connectStream(QString(), &wanted, rate, paused);
        if (ready)
            report(false);
    } else if (ready) {
        report(true);
    }
    if (!ready)
        return false;
    lockDevice();
    const pa_buffer_attr *granted = pa_stream_get_buffer_attr(m_stream);
    latencyFrames = qint64(granted ? granted->tlength : wanted.tlength) / 4;
    unlockDevice();
    return true;
}

// A stream on `sink` ("" the default); false, with no stream, when the
// server refused it. A refusal of a named sink leaves the context as it was.
bool PulseOutput::connectStream(const QString &sink, pa_buffer_attr *wanted, int rate, bool paused)
{
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = uint32_t(rate);
    spec.channels = 2;
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | (paused ? PA_STREAM_START_CORKED : 0));
    const QByteArray device = sink.toUtf8();
    lockDevice();
    m_stream = pa_stream_new(m_context, Name, &spec, nullptr);
    bool asked = false;
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, &PulseOutput::streamChanged, this);
        pa_stream_set_write_callback(m_stream, &PulseOutput::serverAsks, this);
        pa_stream_set_moved_callback(m_stream, &PulseOutput::streamMoved, this);
        asked = pa_stream_connect_playback(m_stream, sink.isEmpty() ? nullptr : device.constData(), wanted, flags,
                                           nullptr, nullptr)
                >= 0;
    }
    unlockDevice();
    const bool ready = asked && settles(m_loop, [this] {
        const pa_stream_state_t state = pa_stream_get_state(m_stream);
        return state == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(state) ? 0 : -1;
    });
    if (!ready) {
        closeDevice();
        lockDevice();
        m_lost = pa_context_get_state(m_context) != PA_CONTEXT_READY;
        unlockDevice();
    }
    return ready;
}

void PulseOutput::report(bool reached)
{
    m_away = !reached;
    if (m_target)
        m_target->reportReached(reached);
}

// With the loop locked: a new choice moves the stream.
void PulseOutput::followTarget()
{
    if (!m_target || !m_stream || m_target->generation() == m_seen)
        return;
    m_seen = m_target->generation();
    moveTo(m_target->wanted());
}

// With the loop locked. The server says where the stream went (streamMoved).
void PulseOutput::moveTo(const QString &sink)
{
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    const uint32_t stream = pa_stream_get_index(m_stream);
    if (sink.isEmpty()) {
        struct Ask {
            PulseOutput *self;
            uint32_t stream;
        };
        auto *ask = new Ask{this, stream};
        pa_operation *operation = pa_context_get_server_info(
            m_context,
            [](pa_context *context, const pa_server_info *info, void *data) {
                std::unique_ptr<Ask> ask(static_cast<Ask *>(data));
                if (info && info->default_sink_name)
                    if (pa_operation *move = pa_context_move_sink_input_by_name(context, ask->stream,
                                                                                info->default_sink_name, nullptr, nullptr))
                        pa_operation_unref(move);
            },
            ask);
        if (operation)
            pa_operation_unref(operation);
        else
            delete ask;
        return;
    }
    const QByteArray name = sink.toUtf8();
    pa_operation *operation = pa_context_move_sink_input_by_name(
        m_context, stream, name.constData(),
        [](pa_context *, int success, void *self) {
            // Gone again before the move: the default keeps it.
            if (!success)
                static_cast<PulseOutput *>(self)->moveTo(QString());
        },
        this);
    if (operation)
        pa_operation_unref(operation);
}

void PulseOutput::streamMoved(pa_stream *stream, void *self)
{
    auto *output = static_cast<PulseOutput *>(self);
    const QString wanted = output->m_target ? output->m_target->wanted() : QString();
    const char *now = pa_stream_get_device_name(stream);
    output->report(wanted.isEmpty() || (now && wanted == QString::fromUtf8(now)));
}

void PulseOutput::sinkEvent(pa_context *, int event, uint32_t, void *self)
{
    auto *output = static_cast<PulseOutput *>(self);
    const int type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if ((event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SINK
        && type == PA_SUBSCRIPTION_EVENT_NEW && output->m_away && output->m_target)
        output->moveTo(output->m_target->wanted());
}

QList<OutputDevice> PulseOutput::sinks()
{
    QList<OutputDevice> found;
    pa_threaded_mainloop *loop = pa_threaded_mainloop_new();
    if (!loop)
        return found;
    if (pa_threaded_mainloop_start(loop) < 0) {
        pa_threaded_mainloop_free(loop);
        return found;
    }
    struct Listing {
        QList<OutputDevice> *found;
        bool done = false;
    } listing{&found};
    pa_threaded_mainloop_lock(loop);
    pa_context *context = pa_context_new(pa_threaded_mainloop_get_api(loop), Name);
    const bool asked = context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    pa_threaded_mainloop_unlock(loop);
    const bool ready = asked && settles(loop, [context] {
        const pa_context_state_t state = pa_context_get_state(context);
        return state == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
    });
    if (ready) {
        pa_threaded_mainloop_lock(loop);
        pa_operation *operation = pa_context_get_sink_info_list(
            context,
            [](pa_context *, const pa_sink_info *info, int last, void *data) {
                auto *l = static_cast<Listing *>(data);
                if (last) {
                    l->done = true;
                    return;
                }
                if (info)
                    l->found->append({QString::fromUtf8(info->name), QString::fromUtf8(info->description)});
            },
            &listing);
        pa_threaded_mainloop_unlock(loop);
        if (operation) {
            settles(loop, [&listing] { return listing.done ? 1 : 0; });
            pa_operation_unref(operation);
        }
    }
    pa_threaded_mainloop_lock(loop);
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
    if (!listing.done)
        found.clear();
    return found;
}

void PulseOutput::closeDevice()
{
    if (!m_stream)
        return;
    lockDevice();
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_moved_callback(m_stream, nullptr, nullptr);
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

// A choice made while paused moves the stream at once too: the server asks
// a corked stream for nothing, so pump() does not run.
void PulseOutput::follow()
{
    // The loop is locked only for a new choice: not at every turn of the
    // playback thread, beside the server's own thread.
    if (!m_stream || !m_target || m_target->generation() == m_seen.load())
        return;
    lockDevice();
    if (pa_stream_get_state(m_stream) == PA_STREAM_READY)
        followTarget();
    unlockDevice();
}

// With the loop locked: as much of the ring as the server asks for.
void PulseOutput::pump()
{
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    followTarget();
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
