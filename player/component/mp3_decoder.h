#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>

struct mpg123_handle_struct;

// One MP3 file decoded by libmpg123 into interleaved 16-bit stereo at the file's
// own sampling rate; mono files come out on both channels. Figures are exact:
// the whole file is scanned when it is opened. Nothing here prints anything.
class Mp3Decoder
{
public:
    enum class OpenResult { Ok, NotFound, Unreadable, Empty, NotMp3, DecoderUnavailable };

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
    // 0 means the stream is over (end of file, or a break in it: see atEnd()).
    qint64 read(char *data, qint64 maxBytes);
    bool atEnd() const { return m_atEnd; }

    static constexpr int BytesPerSampleFrame = 4;   // two 16-bit channels

private:
    bool initHandle();

    mpg123_handle_struct *m_handle = nullptr;
    QFile m_file;
    qint32 m_frames = 0;
    qint32 m_rate = 0;
    qint32 m_spf = 0;
    qint64 m_samples = 0;
    qint32 m_bitRate = 0;
    double m_secondsPerFrame = 0;
    qint64 m_startDelay = 0;   // samples the gapless decoder drops from the first frames
    bool m_atEnd = false;
};
