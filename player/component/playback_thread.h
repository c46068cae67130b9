#pragma once

#include "player/component/mp3_decoder.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class AudioOutput;
class OutputTarget;
class ClockOutput;

// The player's own thread: it opens the file (the search for its first frame
// included), decodes it and keeps the output's queue at least LeadMs ahead of
// what is heard, whatever the thread that drives it is doing. A second
// thread scans a long file for its exact figures while it plays.
//
// Every call returns at once; what it asks is done in the order of the calls.
// What the thread has to say comes through Events, called on the thread
// itself (the owner hands it on to its own thread), each naming the open or
// the run it belongs to, so the owner can drop what a later call made stale.
// The thread counts the opens and runs: open(), start() and seek() return the
// id their events will carry (from 1; 0 names none).
class PlaybackThread
{
public:
    static constexpr int LeadMs = 600;

    struct Events {
        // The figures of open `open` are known (from the headers) or exact.
        std::function<void(quint64 open, const TrackFigures &figures)> figures;
        // Open `open` failed after all: no frame in it (NotMp3), or it became unreadable.
        std::function<void(quint64 open, Mp3Decoder::OpenResult result)> openFailed;
        // The last frame of run `run` is decoded; its sound still plays.
        std::function<void(quint64 run)> decoded;
    };
    // What has been heard: the output sample of run `run`, or -1 while none
    // of that run's sound has come out yet.
    struct Heard {
        quint64 run = 0;
        qint64 sample = -1;
    };

    // `target`: the output the device plays on (none: the default).
    PlaybackThread(bool useDevice, Mp3Decoder::Reader reader, Events events,
                   std::shared_ptr<OutputTarget> target = {});
    ~PlaybackThread();
    PlaybackThread(const PlaybackThread &) = delete;
    PlaybackThread &operator=(const PlaybackThread &) = delete;

    // Opens a file; whatever plays goes on (call stop() first to end it). A
    // long file's exact figures follow from a scan while it plays. Returns
    // the open's id.
    quint64 open(const QString &path);
    // Plays the open file from `frame` as a new run, whose id it returns.
    // `append`: behind what is still queued; otherwise the queue is emptied first.
    quint64 start(qint32 frame, bool append);
    // Empties the queue and goes on at `frame` as a new run, paused or not;
    // returns the run's id.
    quint64 seek(qint32 frame);
    // Empties the queue; nothing plays until the next start.
    void stop();
    void setPaused(bool paused);
    void setGains(int leftQ15, int rightQ15);

    Heard heard() const;
    // True while the sound goes to the silent clock (also before the first
    // start has found the device).
    bool isSilent() const { return m_silent.load(); }

private:
    struct Command {
        enum Kind { Open, Start, Seek, Stop, Pause, Resume, Scanned } kind;
        quint64 id = 0;
        qint32 frame = 0;
        bool append = false;
        quint64 stops = 0;   // stop() calls before this one
        QString path;
        std::shared_ptr<Mp3Decoder::Scan> scan;
    };
    // A piece of one run's sound in the output.
    struct Piece {
        quint64 run;
        qint64 sample;        // the run's output sample it starts at
        qint64 frames;        // the run's frames in it
        qint64 outputStart;   // where it lies in the output's count
        qint64 outputFrames;
    };

    void post(Command command);
    void run();
    void handle(const Command &command);
    void openFile(const Command &command);
    void startScan(quint64 open, const QString &path);
    void begin(quint64 run, qint32 frame, bool fresh);
    void feed();
    void publishHeard();
    void chooseOutput(int sampleRate, bool fresh);
    void fallBackToClock();

    const bool m_useDevice;
    const Mp3Decoder::Reader m_reader;
    const Events m_events;
    const std::shared_ptr<OutputTarget> m_target;

    // Between the caller and the thread.
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<Command> m_commands;
    bool m_quit = false;
    Heard m_heard;
    std::atomic<quint64> m_opens{0};    // open() calls: a later one cancels a search or scan
    std::atomic<quint64> m_stops{0};    // open() and stop() calls: a later one cancels a search
    quint64 m_runs = 0;                 // start() and seek() calls (the caller's alone)
    std::atomic<bool> m_silent{true};
    std::atomic<bool> m_ending{false};
    std::atomic<int> m_left;
    std::atomic<int> m_right;

    // The thread's own.
    Mp3Decoder m_decoder;
    quint64 m_open = 0;
    QString m_path;            // of the open asked last; reopened by a start after a stop cut its search short
    bool m_openFailed = false;
    quint64 m_run = 0;
    bool m_decoding = false;   // the run has frames left to decode
    bool m_paused = false;
    bool m_holding = false;    // the device waits for the emptied queue to fill
    qint64 m_position = 0;     // the run's output sample the next decoded sound starts at
    std::deque<Piece> m_pieces;
    Heard m_lastHeard;
    std::unique_ptr<AudioOutput> m_device;
    std::unique_ptr<ClockOutput> m_clock;
    AudioOutput *m_output = nullptr;
    std::vector<qint16> m_pcm;
    std::thread m_scan;

    std::thread m_thread;   // last: started once everything above exists
};
