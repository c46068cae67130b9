#pragma once

#include <QIODevice>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QFile;
struct mpg123_handle_struct;

// What is known of a track. Exact once the whole file was scanned; before
// that, what its first frames say: the totals of a Xing, Info or VBRI header
// (exact for most files), or an estimate from the file's size.
struct TrackFigures {
    qint32 frames = 0;
    qint32 sampleRate = 0;        // 0: nothing known
    qint32 samplesPerFrame = 0;
    qint64 samples = 0;           // gapless: encoder delay and padding removed
    qint32 bitRate = 0;           // average, rounded to whole kbit/s
    qint64 startDelay = 0;        // samples the gapless decoder drops from the first frames
    bool exact = false;

    bool known() const { return sampleRate > 0; }
    qint32 lengthMs() const;
    float msPerFrame() const;
    // The frame that the given output sample position lies in (0..frames).
    qint32 frameAtSample(qint64 sample) const;
};

// One MP3 file decoded by libmpg123 into interleaved 16-bit stereo at the file's
// own sampling rate; mono files come out on both channels. Nothing here prints
// anything.
//
// The frames begin where at least four frame headers in a row agree, looked
// for through the whole file (see MpegFrames::findFirstFrame), so a good file
// behind junk plays; what lies before is never given to libmpg123.
//
// A track is the run of frames that share the first frame's sampling rate and
// samples per frame (MPEG layers I, II and III, versions 1, 2 and 2.5 all
// decode). Where two streams were joined and the rate or frame size changes,
// the track ends before the change: one frame scale and one rate hold for the
// figures, seeking and the output. Mono and stereo frames may mix.
//
// Only regular files are opened (a FIFO or device never blocks or floods the
// caller). Once the figures are exact, output never runs past sampleCount(),
// also when the file grows or is overwritten while it plays; a file cut short
// ends early.
class Mp3Decoder
{
public:
    enum class OpenResult {
        Ok,
        NotFound,            // empty path, no such file, or a folder on the way missing
        Unreadable,          // a folder, FIFO, socket or device, or no permission to read
        Empty,               // a regular file of 0 bytes
        NotMp3,              // no decodable frame (tags only, garbage, nothing left after the tags)
        DecoderUnavailable,  // libmpg123 could not be set up
        Cancelled,           // the caller's cancel said so
    };
    enum class Figures {
        Exact,         // the whole file is scanned before open() returns
        FromHeaders,   // only its first frames are read; scan() on another decoder, then adopt()
    };
    // A scan's result: the exact figures and libmpg123's frame index.
    struct Scan {
        TrackFigures figures;
        std::vector<qint64> index;   // byte offsets of every indexStep-th frame
        qint64 indexStep = 0;
    };
    // Makes the device a file is read through: by default the file itself; a
    // benchmark or test may wrap it in one that reads like a slow USB stick.
    using Reader = std::function<std::unique_ptr<QIODevice>(std::unique_ptr<QFile> file)>;
    // Asked while open() reads the file: true ends the open with Cancelled.
    using Cancel = std::function<bool()>;

    explicit Mp3Decoder(Reader reader = {});
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder &) = delete;
    Mp3Decoder &operator=(const Mp3Decoder &) = delete;

    // Only a quick check of the path: what open() would say before reading it.
    static OpenResult check(const QString &path);

    // Files of up to this size are scanned at once, whatever is asked: they
    // read in a few milliseconds even from a slow stick.
    static constexpr qint64 ScannedAtOnceBytes = 256 * 1024;

    OpenResult open(const QString &path, Figures figures = Figures::Exact, Cancel cancel = {});
    void close();
    bool isOpen() const { return m_handle != nullptr; }

    // Valid after a successful open(); 0 otherwise.
    const TrackFigures &figures() const { return m_figures; }
    qint32 frameCount() const { return m_figures.frames; }
    qint32 sampleRate() const { return m_figures.sampleRate; }
    qint32 samplesPerFrame() const { return m_figures.samplesPerFrame; }
    qint64 sampleCount() const { return m_figures.samples; }
    qint32 lengthMs() const { return m_figures.lengthMs(); }
    float msPerFrame() const { return m_figures.msPerFrame(); }
    qint32 bitRate() const { return m_figures.bitRate; }

    // The exact figures and index of a decoder opened with Figures::Exact.
    Scan scan() const;
    // Takes a scan of the same file: exact figures, and exact seeks from the
    // index. Where a seek before it had to guess its place in the file, the
    // decoding goes on from exactly the sample it counts itself at.
    void adopt(const Scan &scan);

    // Moves decoding to the start of frame (clamped to 0..frameCount()) and
    // returns the output sample position that frame begins at. Until the
    // figures are exact a seek far into the file guesses its place from the
    // headers instead of reading every frame before it.
    qint64 seekFrame(qint32 frame);
    qint32 frameAtSample(qint64 sample) const { return m_figures.frameAtSample(sample); }

    // Fills up to maxBytes (a multiple of 4) with PCM. Returns the bytes written;
    // 0 means the stream is over (end of the track, or a break in the file:
    // see atEnd()).
    qint64 read(char *data, qint64 maxBytes);
    bool atEnd() const { return m_atEnd; }

    static constexpr int BytesPerSampleFrame = 4;   // two 16-bit channels

private:
    struct Source {
        std::unique_ptr<QIODevice> device;
        qint64 base = 0;   // where the first frame starts
        Cancel cancel;
    };

    OpenResult openStream(Figures figures);
    bool initHandle(bool guessSeeks);
    OpenResult takeExactFigures(qint32 spf, qint32 rate);
    void takeHeaderFigures(qint32 spf, qint32 rate);
    void measureStartDelay();
    qint32 framesBeforeFormatChange(qint32 frames);
    void measureBitRate();
    qint64 audioBytes() const;

    Reader m_reader;
    mpg123_handle_struct *m_handle = nullptr;
    Source m_source;
    TrackFigures m_figures;
    qint64 m_position = 0;     // output sample the next read() starts at
    bool m_guessedPlace = false;
    bool m_atEnd = false;
};
