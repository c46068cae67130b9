#pragma once
#include <QObject>
#include <QString>

// The MP3 player component as the player window drives it. The real one is
// Mp3PlayerControl (over Mp3Player); tests script FakeMp3Control.
//
// Everything happens on the UI thread, but a signal may arrive while a call
// into the component is still running: PlayEnded may be emitted inside
// StopPlay/EndPlayback, or queued after it. Callers set their flags before
// such calls so both orders end the same way.
class Mp3Control : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Mp3Control() override = default;

    // Opens a file for playing; whatever was playing stops without PlayEnded.
    // A failure is left in errorNumber()/errorDescription() until the next
    // OpenFile; one found only once the file was read comes with OpenFailed.
    virtual void OpenFile(const QString &path) = 0;
    // Plays the opened file from its beginning; without one it sets an error.
    virtual void Play() = 0;
    virtual void TogglePause() = 0;           // pauses when playing, resumes when paused
    virtual void SeekFrame(qint32 frame) = 0; // continues at that frame
    virtual void StopPlay() = 0;              // ends playback; PlayEnded follows
    virtual void EndPlayback() = 0;           // the same, for a track change

    // Figures of the opened file; 0 while none is known (nothing open, or its
    // first frame not found yet). FiguresChanged says when they change.
    virtual qint32 FrameCount() const = 0;
    virtual float MsPerFrame() const = 0;
    virtual qint32 LengthMs() const = 0;
    virtual qint32 SampleRate() const = 0;    // Hz
    virtual qint32 BitRate() const = 0;       // bit/s

    virtual void SetVolume(qint16 left, qint16 right) = 0;   // each 0..100

    // The pending error: 0 and "" when the last OpenFile/Play went well.
    virtual int errorNumber() const = 0;
    virtual QString errorDescription() const = 0;

signals:
    // The frame being heard, repeatedly while playing.
    void FramePlayed(qint32 frame);
    // Playback ended: end of file, StopPlay or EndPlayback.
    void PlayEnded();
    // The figures of the open file became known, or exact (a scan of a long
    // file lands while it plays).
    void FiguresChanged();
    // The open file turned out to hold nothing to play: the pending error
    // says why.
    void OpenFailed();
};
