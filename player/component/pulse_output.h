#pragma once

#include "player/component/output_target.h"
#include "player/component/ring_output.h"

#include <QList>

#include <atomic>
#include <memory>

struct pa_context;
struct pa_stream;
struct pa_buffer_attr;
struct pa_threaded_mainloop;

// The sound server's default sink through the PulseAudio protocol (PulseAudio
// itself, or PipeWire's pulse server, Debian's desktop default): the server's
// thread takes from the ring as much as the server asks for.
//
// Why not SDL's audio here, the output everywhere else: SDL 2.26 asks the
// server for a target length of one buffer of its own and has no way to drop
// what the server holds, so a seek or a stop is heard only once that has
// played: with 100 ms buffers a seek was heard 81 ms (PulseAudio) and 130 ms
// (PipeWire) after the command, a stop silent after 170 and 122 ms; a longer
// buffer delays both as much, a shorter one left holes on a busy machine.
// Here the server holds 200 ms, and a seek, a stop or a fresh start drops it
// (pa_stream_flush): 14 and 24 ms, 1 and 26 ms. Figures in the README.
//
// The sink is the target's wanted one: a new choice moves the stream there
// as it plays. Where that sink is absent, or goes away (the server moves the
// stream to its default), the sound plays on the default and the target is
// told; when the sink comes back the stream moves back to it.
class PulseOutput : public RingOutput
{
public:
    explicit PulseOutput(std::shared_ptr<OutputTarget> target = {});
    ~PulseOutput() override;
    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    // Whether a sound server answered.
    bool isAvailable() const { return m_context != nullptr; }
    // The server's sinks; none when no server answers. Waits for the server
    // (at most a few seconds, far less when it is there).
    static QList<OutputDevice> sinks();
    void follow() override;

protected:
    bool openDevice(int rate, bool paused, qint64 &latencyFrames) override;
    void closeDevice() override;
    bool deviceLost() const override { return m_lost.load(); }
    void lockDevice() const override;
    void unlockDevice() const override;
    void pauseDevice(bool paused) override;
    bool canFlush() const override { return true; }
    void flushDevice() override;
    void queued() override { pump(); }

private:
    bool connectContext();
    void dropContext();
    void pump();
    bool connectStream(const QString &sink, pa_buffer_attr *wanted, int rate, bool paused);
    void followTarget();
    void moveTo(const QString &sink);
    void report(bool reached);
    static void contextChanged(pa_context *context, void *self);
    static void streamChanged(pa_stream *stream, void *self);
    static void serverAsks(pa_stream *stream, size_t bytes, void *self);
    static void streamMoved(pa_stream *stream, void *self);
    static void sinkEvent(pa_context *context, int event, uint32_t index, void *self);

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    std::atomic<bool> m_lost{false};
    std::shared_ptr<OutputTarget> m_target;
    std::atomic<quint64> m_seen{0};   // the target's generation the stream follows
    bool m_away = false;   // on the default while the wanted sink is absent
};
