#pragma once

#include "player/component/audio_output.h"
#include "player/component/pcm_volume.h"

#include <QElapsedTimer>

#include <atomic>
#include <cstdint>
#include <limits>
#include <vector>

struct _SDL_AudioStream;

// A sound device fed from a ring of our own: the playback thread writes into
// it, the device's thread takes from it as the device asks, under the
// device's lock. The channel gains are applied as the device takes the sound,
// so a volume change is heard within the device's buffer rather than after
// the queue.
//
// The device runs at the rate of the track that started fresh (the sound
// server converts it well). A track queued behind it at another rate is
// converted (SDL_AudioStream), so tracks of any rates follow each other on
// one stream without a gap.
//
// What differs between devices (opening, the lock, pausing, whether what the
// device holds can be dropped) is left to the subclass.
class RingOutput : public AudioOutput
{
public:
    ~RingOutput() override;

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

protected:
    // Opens the device at `rate`; it may start taking from the ring at once.
    // `latencyFrames`: what it holds beyond the ring when it runs full.
    virtual bool openDevice(int rate, bool paused, qint64 &latencyFrames) = 0;
    virtual void closeDevice() = 0;
    // The device went away since it was opened (its server is gone).
    virtual bool deviceLost() const = 0;
    virtual void lockDevice() const = 0;
    virtual void unlockDevice() const = 0;
    virtual void pauseDevice(bool paused) = 0;
    // Whether the device can drop what it holds; when it cannot, what it
    // holds at a clear() is heard before what comes next.
    virtual bool canFlush() const { return false; }
    // Drops what the device holds, with the lock held.
    virtual void flushDevice() {}
    // Sound was put into the ring, with the lock held.
    virtual void queued() {}

    // With the device locked: takes up to `frames` frames into `out`, the
    // gains applied. Returns how many there were.
    qint64 take(qint16 *out, qint64 frames);
    qint64 queuedFrames() const { return m_written - m_read; }
    // For the subclass's destructor: the device closes before the ring goes.
    void closeOutput();
    // Closes the device and opens it again (the one the subclass now
    // chooses) at the same rate. The sound goes on from the frame heard:
    // what the old device took but did not play is taken again, as far as
    // the ring still holds it. False when no device opened.
    bool reopenDevice();

private:
    qint64 push(const qint16 *pcm, qint64 frames);
    qint64 drainConverter(qint64 limit = std::numeric_limits<qint64>::max());
    qint64 finishConverter();
    void dropConverter();

    int m_rate = 0;               // 0: no device open
    qint64 m_latency = 0;         // frames the device holds beyond the ring
    // The ring: written by the playback thread, drained by the device's, both
    // under the device's lock.
    std::vector<qint16> m_ring;
    qint64 m_read = 0;            // frames taken from the ring since it was made
    qint64 m_written = 0;         // frames put into it
    std::atomic<qint64> m_taken{0};   // m_read, for reading without the lock
    // m_read when the device last held nothing: it cannot hold more than it
    // has taken since. Far below 0 for a device that cannot drop its sound.
    std::atomic<qint64> m_emptyAt{0};
    std::atomic<int> m_left{PcmVolume::UnityGain};
    std::atomic<int> m_right{PcmVolume::UnityGain};
    bool m_paused = false;
    _SDL_AudioStream *m_converter = nullptr;
    int m_converterRate = 0;
    qint64 m_convertingFrames = 0;   // put into the converter, at its rate
    qint64 m_convertedFrames = 0;    // taken out of it, at the output's
    std::vector<qint16> m_converted;
    // Stall watch: the device's clock standing still while there is sound.
    mutable qint64 m_lastTaken = -1;
    mutable QElapsedTimer m_standing;
};
