#pragma once

#include "player/component/mp3_decoder.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class AudioOutput;
class ClockOutput;
class PcmSource;
class SdlOutput;

// The MP3 player control of the player window (objectName "mp"): plays one
// MP3 file at a time through the default audio device and reports progress.
//
// Everything runs on the thread that owns the object (the UI thread); nothing
// blocks it. Without an audio device the file plays silently on a real-time
// clock, and every event still comes at the same times.
//
// Frames are the file's MPEG audio frames (layer III: 1152 samples at
// 32..48 kHz, 576 below; layer II: 1152; layer I: 384); FramePlayed, SeekFrame
// and FrameCount share that scale, and a frame lasts MsPerFrame(). A file of
// joined streams plays up to the first change of rate or frame size (see
// Mp3Decoder). A FIFO, socket or device is never opened, so OpenFile returns
// at once for them too.
//
// Events:
//  - FramePlayed(frame): the frame being heard, about 15 times a second while
//    playing, never while paused or stopped. At the end of the file the last
//    report is FrameCount().
//  - PlayEnded: queued to the event loop whenever playback ends: at the end of
//    the file (also when the file breaks off early), after StopPlay and after
//    EndPlayback, also when nothing was playing. One ending gives one event:
//    endings that come before the previous one's event was delivered, with no
//    Play in between, are reported by that one event. Destroying the player
//    ends playback without the event.
class Mp3Player : public QObject
{
    Q_OBJECT
public:
    enum class Output {
        Device,   // the default audio device; silent clock when there is none or it fails
        Silent,   // always the silent clock
    };

    // Error numbers the caller can test after OpenFile or Play; 0 means none.
    // Callers compare them as these literal values.
    enum ErrorNumber {
        NoError = 0,
        ErrDecoderUnavailable = 51,   // libmpg123 could not be set up
        ErrNoFileOpen = 52,           // Play with no file ever opened
        ErrFileNotFound = 53,         // empty path, no such file, a folder on the way missing
        ErrEmptyFile = 62,            // a regular file of 0 bytes
        ErrFileUnreadable = 75,       // a folder, FIFO, socket or device (refused at once,
                                      // nothing read), no permission, or a link loop
        ErrNotMp3 = 321,              // no decodable MPEG audio frame in it
    };

    explicit Mp3Player(QObject *parent = nullptr, Output output = Output::Device);
    ~Mp3Player() override;

    // Opens a file for playing; whatever was playing stops without PlayEnded.
    // The second argument is unused. Returns 0 or the error number, which stays
    // readable through errorNumber()/errorDescription() until the next OpenFile.
    qint16 OpenFile(const QString &path, const QString &unused = QString());
    // Plays the opened file from its beginning (also when it is playing already).
    void Play();
    // Pauses when playing, resumes when paused; otherwise nothing.
    void TogglePause();
    // Continues at the frame (clamped to 0..FrameCount()); the end of the file
    // ends playback. A paused player stays paused. Ignored when not playing.
    void SeekFrame(qint32 frame);
    void StopPlay();
    void EndPlayback();

    // Figures of the opened file; 0 when none is open.
    qint32 FrameCount() const;
    float MsPerFrame() const;
    qint32 LengthMs() const;     // from the exact sample count
    qint32 SampleRate() const;
    qint32 BitRate() const;      // average, whole kbit/s

    // Channel volumes 0..100 (clamped), on the square-law curve of PcmVolume;
    // kept across files. Heard after the device's buffer (about a quarter of a
    // second). Returns 0.
    qint16 SetVolume(qint16 left, qint16 right);

    int errorNumber() const { return m_errorNumber; }
    QString errorDescription() const { return m_errorDescription; }
    void clearError();

    bool isPlaying() const { return m_state == State::Playing; }
    bool isPaused() const { return m_state == State::Paused; }
    // True when the current or last playback went to no device (no sound).
    bool isSilent() const { return m_silent; }

signals:
    void FramePlayed(qint32 frames);
    void PlayEnded();

private:
    enum class State { Idle, Playing, Paused };

    void setError(int number);
    void startOutputAt(qint32 frame);
    void stopOutput();
    void switchToClock();
    void tick();
    qint64 heardSample() const;
    void finish(bool reachedEnd);
    void postEnded();

    Output m_outputMode;
    Mp3Decoder m_decoder;
    std::unique_ptr<PcmSource> m_source;
    std::unique_ptr<SdlOutput> m_sink;
    std::unique_ptr<ClockOutput> m_clock;
    AudioOutput *m_output = nullptr;   // the one playing, or null
    QTimer m_tick;
    State m_state = State::Idle;
    qint64 m_originSample = 0;     // where the current output run started
    qint64 m_lastHeard = 0;        // sample last reported as heard
    qint64 m_lastPlayed = -1;      // stall watch
    qint64 m_stallTicks = 0;
    bool m_silent = true;
    int m_left = 100;
    int m_right = 100;
    int m_errorNumber = NoError;
    QString m_errorDescription;
    quint64 m_playGeneration = 0;
    quint64 m_postedGeneration = 0;
    int m_endsOutstanding = 0;
};
