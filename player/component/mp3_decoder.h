#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>

struct mpg123_handle_struct;

// One MP3 file decoded by libmpg123 into interleaved 16-bit stereo at the file's
// own sampling rate; mono files come out on both channels. Figures are exact:
// the whole file is scanned when it is opened. Nothing here prints anything.
//
// A track is the run of frames that share the first frame's sampling rate and
// samples per frame (MPEG layers I, II and III, versions 1, 2 and 2.5 all
// decode). Where two streams were joined and the rate or frame size changes,
// the track ends before the change: one frame scale and one rate hold for the
// figures, seeking and the output. Mono and stereo frames may mix.
//
// Only regular files are opened (a FIFO or device never blocks or floods the
// caller). Output never runs past sampleCount(), also when the file grows or
// is overwritten while it plays; a file cut short ends early.
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
    };

    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder &) = delete;
    Mp3Decoder &operator=(const Mp3Decoder &) = delete;

    OpenResult open(const QString &path);
    void close();
    bool isOpen() const { return m_handle != nullptr; }

    // Valid after a successful open(); 0 otherwise.
    qint32 frameCount() const { return m_frames; }
    qint32 sampleRate() const { return m_rate; }
    qint32 samplesPerFrame() const { return m_spf; }
    qint64 sampleCount() const { return m_samples; }   // gapless: encoder delay and padding removed
    qint32 lengthMs() const;
    float msPerFrame() const;
    qint32 bitRate() const { return m_bitRate; }        // average, rounded to whole kbit/s

    // Moves decoding to the start of frame (clamped to 0..frameCount()) and
    // returns the output sample position that frame begins at.
    qint64 seekFrame(qint32 frame);
    // The frame that the given output sample position lies in (0..frameCount()).
    qint32 frameAtSample(qint64 sample) const;

    // Fills up to maxBytes (a multiple of 4) with PCM. Returns the bytes written;
    // 0 means the stream is over (end of the track, or a break in the file:
    // see atEnd()).
    qint64 read(char *data, qint64 maxBytes);
    bool atEnd() const { return m_atEnd; }

    static constexpr int BytesPerSampleFrame = 4;   // two 16-bit channels

private:
    bool initHandle();
    qint32 framesBeforeFormatChange(qint32 frames);
    void measureBitRate(bool id3v1);

    mpg123_handle_struct *m_handle = nullptr;
    QFile m_file;
    qint32 m_frames = 0;
    qint32 m_rate = 0;
    qint32 m_spf = 0;
    qint64 m_samples = 0;
    qint32 m_bitRate = 0;
    double m_secondsPerFrame = 0;
    qint64 m_startDelay = 0;   // samples the gapless decoder drops from the first frames
    qint64 m_position = 0;     // output sample the next read() starts at
    bool m_atEnd = false;
};
