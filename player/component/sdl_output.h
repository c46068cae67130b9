#pragma once

#include "player/component/audio_output.h"

#include <QByteArray>
#include <QTimer>

#include <cstdint>

// The system's default audio device through SDL2's audio. SDL's own thread
// feeds the sound server from a queue that this object keeps about a quarter
// of a second ahead (three quarters at a start) from the thread that owns it, so a busy UI thread does not
// starve the device, and each start, seek or stop begins on an empty queue:
// nothing of one run is carried into the next.
//
// Why not Qt's audio sink: Qt 6.4's PulseAudio sink, reused, shrinks its
// server buffer at every start (120, 80, 40, 30, 20 ms) until the fifth start
// plays silence, and a fresh one is clamped to about 21 ms of server buffer,
// filled from the UI thread; the figures are in the README.
class SdlOutput : public AudioOutput
{
    Q_OBJECT
public:
    explicit SdlOutput(QObject *parent = nullptr);
    ~SdlOutput() override;

    bool start(PcmSource *source, int sampleRate) override;
    void suspend() override;
    void resume() override;
    void stop() override;
    qint64 playedUSecs() const override;
    bool isSilent() const override { return false; }

private:
    bool openDevice(int sampleRate);
    void closeDevice();
    void feed(int leadMs);   // tops the queue up to leadMs ahead
    qint64 queuedBytes() const;

    bool m_initialised = false;
    std::uint32_t m_device = 0;
    int m_rate = 0;
    qint64 m_deviceBufferBytes = 0;   // what SDL holds beyond its queue
    PcmSource *m_source = nullptr;
    qint64 m_pushedBytes = 0;
    bool m_running = false;
    bool m_sourceDry = false;
    QTimer m_feed;
    QByteArray m_scratch;
};
