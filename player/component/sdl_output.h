#pragma once

#include "player/component/output_target.h"
#include "player/component/ring_output.h"

#include <QElapsedTimer>
#include <QList>

#include <cstdint>
#include <memory>

// An audio device through SDL2's audio, the target's wanted one (by SDL's
// name for it) or the system's default: SDL's thread drains the ring as the
// sound server asks. A new choice, or the wanted device going away, opens
// the device again where the sound was; while the wanted one is absent the
// sound plays on the default and the target is told, and it goes back once
// SDL lists the device again.
//
// The device's buffer is sized in time (100 ms at any rate: a buffer of
// so many samples would be half a second at 8 kHz).
//
// Why not Qt's audio sink: Qt 6.4's PulseAudio sink, reused, shrinks its
// server buffer at every start (120, 80, 40, 30, 20 ms) until the fifth start
// plays silence; the figures are in the README.
class SdlOutput : public RingOutput
{
public:
    explicit SdlOutput(std::shared_ptr<OutputTarget> target = {});
    ~SdlOutput() override;
    SdlOutput(const SdlOutput &) = delete;
    SdlOutput &operator=(const SdlOutput &) = delete;

    // The devices SDL lists for playing, each named as SDL names it.
    static QList<OutputDevice> devices();

    // Whether SDL's audio could be set up at all.
    bool isAvailable() const { return m_initialised; }

    bool prepare(int sampleRate, bool fresh) override;
    void follow() override;

    static int deviceBufferFrames(int rate);

protected:
    bool openDevice(int rate, bool paused, qint64 &latencyFrames) override;
    void closeDevice() override;
    bool deviceLost() const override;
    void lockDevice() const override;
    void unlockDevice() const override;
    void pauseDevice(bool paused) override;

private:
    static void fill(void *self, std::uint8_t *stream, int bytes);

    void report(bool reached);

    bool m_initialised = false;
    std::uint32_t m_device = 0;
    std::shared_ptr<OutputTarget> m_target;
    quint64 m_seen = 0;        // the target's generation the device follows
    bool m_away = false;       // on the default while the wanted device is absent
    QElapsedTimer m_looked;    // while away: since SDL's devices were last looked at
};
