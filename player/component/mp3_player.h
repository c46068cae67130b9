#pragma once

#include "player/component/mp3_decoder.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class PlaybackThread;

// The MP3 player control of the player window (objectName "mp"): plays one
// MP3 file at a time through the default audio device and reports progress.
//
// Its calls and events belong to the thread that owns the object (the UI
// thread), and every call returns at once: opening, decoding, the scan and
// feeding the sound run on a thread of the player's own (PlaybackThread),
// with more than half a second queued ahead, so a busy UI thread is never
// heard. Without an audio device the file plays silently on a real-time
// clock, and every event still comes at the same times.
//
// Frames are the file's MPEG audio frames (layer III: 1152 samples at
// 32..48 kHz, 576 below; layer II: 1152; layer I: 384); FramePlayed, SeekFrame
// and FrameCount share that scale, and a frame lasts MsPerFrame(). A file of
// joined streams plays up to the first change of rate or frame size (see
// Mp3Decoder). A FIFO, socket or device is never opened, so OpenFile returns
// at once for them too.
//
// Figures: OpenFile only checks the path; the figures are 0 until
// FiguresChanged says the first frame was found (a moment later; longer for a
// file with junk before its frames), then come from the file's headers and,
// for a long file, become exact when the scan lands (FiguresChanged again). A
// seek made before that lands in a guessed place, and the decoding goes on
// from exactly where it counts itself once the scan is there.
//
// Starts: a start or seek the caller makes begins on an empty queue. A start
// made while PlayEnded of a track that reached its end is being delivered
// (the next track, or the same again) goes behind what is still queued, so
// the tracks follow without a gap.
//
// Events, on the owner's thread, in order; an event made before a stop, seek,
// open or start is dropped, never delivered after it:
//  - FramePlayed(frame): the frame being heard, about 15 times a second while
//    playing, never while paused or stopped. When the last frame is decoded
//    the last report is FrameCount().
//  - PlayEnded: queued to the event loop whenever playback ends: when the
//    last frame is decoded (its sound still plays; also when the file breaks
//    off early), after StopPlay and after EndPlayback, also when nothing was
//    playing. One ending gives one event: endings that come before the
//    previous one's event was delivered, with no Play in between, are
//    reported by that one event. Destroying the player ends playback without
//    the event.
//  - FiguresChanged: the figures of the open file became known or exact.
//  - OpenFailed: the open file holds no frame after all (or could not be
//    read): errorNumber() says which; nothing plays. No PlayEnded follows.
class OutputTarget;

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
        ErrNotMp3 = 321,              // no decodable MPEG audio frame in it (OpenFailed)
    };

    // `reader`: how files are read (Mp3Decoder::Reader); by default as they are.
    // `target`: the output the device plays on (none: the default).
    explicit Mp3Player(QObject *parent = nullptr, Output output = Output::Device,
                       Mp3Decoder::Reader reader = {}, std::shared_ptr<OutputTarget> target = {});
    ~Mp3Player() override;

    // Opens a file for playing; whatever was playing stops without PlayEnded.
    // The second argument is unused. Returns 0, or the error number of a path
    // that names no readable, non-empty regular file; the error stays readable
    // through errorNumber()/errorDescription() until the next OpenFile.
    qint16 OpenFile(const QString &path, const QString &unused = QString());
    // Plays the opened file from its beginning (also when it is playing already).
    void Play();
    // Pauses when playing, resumes when paused; otherwise nothing.
    void TogglePause();
    // Continues at the frame (clamped to 0..FrameCount()); the end of the file
    // ends playback. A paused player stays paused. Ignored when not playing
    // or while the figures are not known.
    void SeekFrame(qint32 frame);
    void StopPlay();
    void EndPlayback();

    // Figures of the opened file; 0 while none is known.
    qint32 FrameCount() const { return m_figures.frames; }
    float MsPerFrame() const { return m_figures.msPerFrame(); }
    qint32 LengthMs() const { return m_figures.lengthMs(); }
    qint32 SampleRate() const { return m_figures.sampleRate; }
    qint32 BitRate() const { return m_figures.bitRate; }   // average, whole kbit/s
    const TrackFigures &figures() const { return m_figures; }

    // Channel volumes 0..100 (clamped), on the square-law curve of PcmVolume;
    // kept across files; heard within the device's buffer. Returns 0.
    qint16 SetVolume(qint16 left, qint16 right);

    int errorNumber() const { return m_errorNumber; }
    QString errorDescription() const { return m_errorDescription; }
    void clearError();

    bool isPlaying() const { return m_state == State::Playing; }
    bool isPaused() const { return m_state == State::Paused; }
    // True while the sound goes to no device. The device is taken on the
    // player's thread when a track starts, so this turns false a moment
    // after the first Play.
    bool isSilent() const;

signals:
    void FramePlayed(qint32 frames);
    void PlayEnded();
    void FiguresChanged();
    void OpenFailed();

private:
    enum class State { Idle, Playing, Paused };

    void setError(int number);
    void tick();
    void finish(bool flush, bool reachedEnd);
    void postEnded(bool reachedEnd);
    void figuresFound(quint64 open, const TrackFigures &figures);
    void openFailed(quint64 open, Mp3Decoder::OpenResult result);
    void decoded(quint64 run);

    std::unique_ptr<PlaybackThread> m_thread;
    TrackFigures m_figures;
    QTimer m_tick;
    State m_state = State::Idle;
    bool m_opened = false;       // a file is open, or its open is under way
    // The ids (PlaybackThread's) of the open and the run whose events count;
    // 0 when none does.
    quint64 m_open = 0;
    quint64 m_run = 0;
    qint64 m_lastHeard = -1;     // sample last reported as heard
    bool m_appending = false;    // PlayEnded of a track's end is being delivered
    int m_left = 100;
    int m_right = 100;
    int m_errorNumber = NoError;
    QString m_errorDescription;
    quint64 m_playRun = 0;       // the run of the last Play
    quint64 m_postedPlay = 0;    // m_playRun when the pending PlayEnded was posted
    bool m_postedReachedEnd = false;
    int m_endsOutstanding = 0;
};
