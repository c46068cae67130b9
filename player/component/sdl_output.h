#pragma once

#include "player/component/ring_output.h"

#include <cstdint>

// The system's default audio device through SDL2's audio: SDL's thread
// drains the ring as the sound server asks.
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
    SdlOutput();
    ~SdlOutput() override;

    // Whether SDL's audio could be set up at all.
    bool isAvailable() const { return m_initialised; }

    bool prepare(int sampleRate, bool fresh) override;

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

    bool m_initialised = false;
    std::uint32_t m_device = 0;
};
