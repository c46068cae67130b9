#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// Where the player's decoded sound goes: interleaved 16-bit stereo, queued
// ahead of what is heard. Used on the playback thread only.
//
// Counts are in frames of the output's own rate (one frame: both channels).
// written() and heard() only grow, except that clear() drops what is queued
// and sets written() back to heard().
class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    // Ready for sound of the given rate. `fresh`: nothing is queued, so the
    // output may start anew (a device then takes the rate it suits best).
    // False when it cannot play.
    virtual bool prepare(int sampleRate, bool fresh) = 0;
    // Queues `frames` frames at `sampleRate` (converted to rate() where it
    // differs). Returns the output frames they made, or -1 when it failed.
    virtual qint64 write(const qint16 *pcm, qint64 frames, int sampleRate) = 0;
    virtual void clear() = 0;
    // Hands on whatever a conversion still holds: nothing more of this rate
    // comes for now.
    virtual void drain() {}
    virtual void setPaused(bool paused) = 0;
    // Channel gains (Q15, PcmVolume), heard at once: they apply as the
    // device takes the sound, not as it is queued.
    virtual void setGains(int leftQ15, int rightQ15) = 0;

    virtual int rate() const = 0;
    virtual qint64 written() const = 0;
    virtual qint64 heard() const = 0;
    virtual bool isSilent() const = 0;
    // The output no longer plays (its device went away or stands still).
    virtual bool failed() const = 0;
    // Called between writes: an output that plays on a chosen device goes to
    // a new choice, or back to the default when its device went away.
    virtual void follow() {}
};

// No device: "plays" on a real-time clock at the pace a sound card would, so
// the player's events come exactly as with sound. Never fails.
class ClockOutput : public AudioOutput
{
public:
    bool prepare(int sampleRate, bool fresh) override;
    qint64 write(const qint16 *pcm, qint64 frames, int sampleRate) override;
    void clear() override;
    void setPaused(bool paused) override;
    void setGains(int, int) override {}

    int rate() const override { return m_rate; }
    qint64 written() const override { return m_written; }
    qint64 heard() const override;
    bool isSilent() const override { return true; }
    bool failed() const override { return false; }

private:
    qint64 clockFrames() const;   // frames the clock has run through since it started
    void restartClockAt(qint64 frames);

    int m_rate = 0;
    qint64 m_written = 0;
    qint64 m_banked = 0;          // clock frames before the last (re)start
    qint64 m_remainder = 0;       // conversion of counts between rates
    QElapsedTimer m_clock;
    bool m_paused = false;
};
