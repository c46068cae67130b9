#pragma once

#include "player/component/audio_output.h"

#include <QElapsedTimer>

#include <atomic>
#include <cstdint>
#include <vector>

struct _SDL_AudioStream;

// The system's default audio device through SDL2's audio. The player's queue
// is a ring of our own that SDL's thread drains as the sound server asks: the
// channel gains are applied there, so a volume change is heard within the
// device's buffer rather than after the queue.
//
// The device's buffer is sized in time (100 ms at any rate: a buffer of
// so many samples would be half a second at 8 kHz), and the device runs at
// the rate of the track that started fresh (the sound server converts it
// well). A track queued behind it at another rate is converted
// (SDL_AudioStream), so tracks of any rates follow each other on one stream
// without a gap.
//
// Why not Qt's audio sink: Qt 6.4's PulseAudio sink, reused, shrinks its
// server buffer at every start (120, 80, 40, 30, 20 ms) until the fifth start
// plays silence; the figures are in the README.
class SdlOutput : public AudioOutput
{
public:
    SdlOutput();
    ~SdlOutput() override;

    // Whether SDL's audio could be set up at all.
    bool isAvailable() const { return m_initialised; }

    bool prepare(int sampleRate, bool fresh) override;
    qint64 write(const qint16 *pcm, qint64 frames, int sampleRate) override;
    void clear() override;
    void setPaused(bool paused) override;
    void setGains(int leftQ15, int rightQ15) override;
    void drain() override;

    int rate() const override { return m_rate; }
    qint64 written() const override { return m_written; }
    qint64 heard() const override;
    bool isSilent() const override { return false; }
    bool failed() const override;

    static int deviceBufferFrames(int rate);

private:
    static void fill(void *self, std::uint8_t *stream, int bytes);
    void fill(qint16 *out, qint64 frames);
    bool openDevice(int rate);
    void closeDevice();
    qint64 push(const qint16 *pcm, qint64 frames);
    qint64 drainConverter();
    void dropConverter();

    bool m_initialised = false;
    std::uint32_t m_device = 0;
    int m_rate = 0;
    qint64 m_latency = 0;         // frames the device holds beyond the ring
    // The ring: written by the playback thread, drained by SDL's, both under
    // SDL's device lock.
    std::vector<qint16> m_ring;
    qint64 m_read = 0;            // frames taken from the ring since it was made
    qint64 m_written = 0;         // frames put into it
    std::atomic<qint64> m_taken{0};   // m_read, for reading without the lock
    std::atomic<int> m_left;
    std::atomic<int> m_right;
    bool m_paused = false;
    _SDL_AudioStream *m_converter = nullptr;
    int m_converterRate = 0;
    std::vector<qint16> m_converted;
    // Stall watch: the device's clock standing still while there is sound.
    mutable qint64 m_lastTaken = -1;
    mutable QElapsedTimer m_standing;
};
