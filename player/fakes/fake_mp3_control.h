#pragma once
#include "player/mp3_control.h"

#include <QHash>
#include <QMetaObject>
#include <QStringList>

// A scriptable MP3 component for tests. Files are known by path with their
// figures; any other path fails to open like a missing file. Every call is
// logged. PlayEnded comes inside StopPlay/EndPlayback (Synchronous) or
// queued to the event loop after it (Queued); a test ends a track by
// finishTrack() and reports progress by reportFrame().
class FakeMp3Control : public Mp3Control {
    Q_OBJECT
public:
    struct Track {
        qint32 frames = 1000;
        float msPerFrame = 26.122449f;   // 1152 samples at 44.1 kHz
        qint32 lengthMs = 26122;
        qint32 sampleRate = 44100;
        qint32 bitRate = 128000;
        int openError = 0;               // error number OpenFile sets
        int playError = 0;               // error number Play sets
    };
    enum class Ending { Synchronous, Queued };

    using Mp3Control::Mp3Control;

    void addTrack(const QString &path, const Track &track) { tracks.insert(path, track); }
    void addTrack(const QString &path) { tracks.insert(path, Track()); }

    void OpenFile(const QString &path) override
    {
        calls << QStringLiteral("OpenFile:") + path;
        playing = paused = false;
        setError(0);
        openedPath.clear();
        if (!tracks.contains(path)) {
            setError(53, QStringLiteral("File not found"));
            return;
        }
        if (tracks[path].openError) {
            setError(tracks[path].openError, QStringLiteral("Cannot open"));
            return;
        }
        openedPath = path;
        hidden = figuresLater;
    }
    void Play() override
    {
        calls << QStringLiteral("Play");
        if (openedPath.isEmpty()) {
            if (error == 0)
                setError(52, QStringLiteral("No file is open"));
            return;
        }
        if (current().playError) {
            setError(current().playError, QStringLiteral("Cannot play"));
            return;
        }
        playing = true;
        paused = false;
        ++starts;
    }
    void TogglePause() override
    {
        calls << QStringLiteral("TogglePause");
        if (playing)
            paused = !paused;
    }
    void SeekFrame(qint32 frame) override
    {
        calls << QStringLiteral("SeekFrame:%1").arg(frame);
        seeks << frame;
    }
    void StopPlay() override
    {
        calls << QStringLiteral("StopPlay");
        end();
    }
    void EndPlayback() override
    {
        calls << QStringLiteral("EndPlayback");
        end();
    }
    qint32 FrameCount() const override { return known() ? current().frames : 0; }
    float MsPerFrame() const override { return known() ? current().msPerFrame : 0.0f; }
    qint32 LengthMs() const override { return known() ? current().lengthMs : 0; }
    qint32 SampleRate() const override { return known() ? current().sampleRate : 0; }
    qint32 BitRate() const override { return known() ? current().bitRate : 0; }
    void SetVolume(qint16 l, qint16 r) override
    {
        calls << QStringLiteral("SetVolume:%1,%2").arg(l).arg(r);
        left = l;
        right = r;
    }
    int errorNumber() const override { return error; }
    QString errorDescription() const override { return description; }

    // ---- scripting ---------------------------------------------------------
    void reportFrame(qint32 frame) { emit FramePlayed(frame); }
    // The open file's figures become known (or change to `figures`).
    void revealFigures(const Track &figures)
    {
        tracks[openedPath] = figures;
        hidden = false;
        emit FiguresChanged();
    }
    // The open file turns out to hold nothing to play.
    void failOpenLater(int number)
    {
        openedPath.clear();
        playing = paused = false;
        setError(number, QStringLiteral("Not an MP3 file"));
        emit OpenFailed();
    }
    // The playing track reaches its end.
    void finishTrack() { end(); }
    // Calls whose text starts with prefix, in order.
    QStringList callsStartingWith(const QString &prefix) const
    {
        QStringList out;
        for (const QString &c : calls)
            if (c.startsWith(prefix))
                out << c;
        return out;
    }
    // Paths opened, in order.
    QStringList opened() const
    {
        QStringList out;
        for (const QString &c : callsStartingWith(QStringLiteral("OpenFile:")))
            out << c.mid(9);
        return out;
    }

    QHash<QString, Track> tracks;
    Ending ending = Ending::Queued;
    // Every open keeps its figures to itself until revealFigures(), as a
    // file with junk before its first frame does.
    bool figuresLater = false;
    bool hidden = false;
    QStringList calls;
    QList<qint32> seeks;
    QString openedPath;
    bool playing = false;
    bool paused = false;
    int starts = 0;
    int endings = 0;
    qint16 left = -1;
    qint16 right = -1;
    int error = 0;
    QString description;

private:
    const Track &current() const { return tracks.find(openedPath).value(); }
    bool known() const { return !openedPath.isEmpty() && !hidden; }
    void setError(int number, const QString &text = QString())
    {
        error = number;
        description = text;
    }
    void end()
    {
        playing = paused = false;
        ++endings;
        if (ending == Ending::Synchronous)
            emit PlayEnded();
        else
            QMetaObject::invokeMethod(this, &Mp3Control::PlayEnded, Qt::QueuedConnection);
    }
};
