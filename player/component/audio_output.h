#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class PcmSource;

// Where decoded PCM goes. Both kinds pull from a PcmSource on the thread that
// started them and report how much of it has been heard.
class AudioOutput : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~AudioOutput() override = default;

    // Starts pulling from the source at the given rate (16-bit stereo).
    // Returns false when the output cannot play.
    virtual bool start(PcmSource *source, int sampleRate) = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;
    // Time of audio heard since start(), pauses excluded.
    virtual qint64 playedUSecs() const = 0;
    virtual bool isSilent() const = 0;

signals:
    // The device failed while playing; the output is stopped.
    void failed();
};

// No device: plays silently on a real-time clock, reading the source at the
// pace a sound card would, so the player's events come exactly as with sound.
class ClockOutput : public AudioOutput
{
    Q_OBJECT
public:
    explicit ClockOutput(QObject *parent = nullptr);

    bool start(PcmSource *source, int sampleRate) override;
    void suspend() override;
    void resume() override;
    void stop() override;
    qint64 playedUSecs() const override;
    bool isSilent() const override { return true; }

private:
    void pull();

    PcmSource *m_source = nullptr;
    int m_rate = 0;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_bankedUSecs = 0;   // time played before the last resume
    qint64 m_pulledBytes = 0;
    bool m_running = false;
    QByteArray m_scratch;
};
