#include "player/component/mp3_decoder.h"

#include "platform/files/regular_file.h"

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

// libmpg123 reads through QFile so that every path Qt can name (also on
// Windows, with any characters) opens the same way.
mpg123_ssize_t readFile(void *handle, void *buffer, size_t bytes)
{
    auto *file = static_cast<QFile *>(handle);
    const qint64 n = file->read(static_cast<char *>(buffer), qint64(bytes));
    return n < 0 ? -1 : mpg123_ssize_t(n);
}

off_t seekFile(void *handle, off_t offset, int whence)
{
    auto *file = static_cast<QFile *>(handle);
    qint64 target = offset;
    if (whence == SEEK_CUR)
        target += file->pos();
    else if (whence == SEEK_END)
        target += file->size();
    if (target < 0 || !file->seek(target))
        return -1;
    return off_t(target);
}

bool libraryReady()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = mpg123_init() == MPG123_OK; });
    return ready;
}

bool sameRate(mpg123_handle *handle, qint32 rate)
{
    long now = 0;
    int channels = 0, encoding = 0;
    return mpg123_getformat(handle, &now, &channels, &encoding) == MPG123_OK && now == rate;
}

bool hasId3v1(QFile &file)
{
    if (file.size() < 128 || !file.seek(file.size() - 128))
        return false;
    return file.read(3) == "TAG";
}

} // namespace

Mp3Decoder::Mp3Decoder() = default;

Mp3Decoder::~Mp3Decoder()
{
    close();
}

void Mp3Decoder::close()
{
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    m_file.close();
    m_frames = m_rate = m_spf = m_bitRate = 0;
    m_samples = m_startDelay = m_position = 0;
    m_secondsPerFrame = 0;
    m_atEnd = false;
}

bool Mp3Decoder::initHandle()
{
    if (!libraryReady())
        return false;
    int err = MPG123_OK;
    m_handle = mpg123_new(nullptr, &err);
    if (!m_handle)
        return false;
    mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO | MPG123_GAPLESS, 0);
    mpg123_param(m_handle, MPG123_RESYNC_LIMIT, 8192, 0);
    // Layer III frames borrow up to 511 bytes from the frames before them; at
    // low VBR rates that reaches back further than the library's default
    // warm-up, and the first frames after a seek come out wrong.
    mpg123_param(m_handle, MPG123_PREFRAMES, 8, 0);
    // Any rate the format allows, always 16-bit stereo, so the sink plays the
    // file at its own rate and the balance reaches both ears of a mono file.
    mpg123_format_none(m_handle);
    const long *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(m_handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return mpg123_replace_reader_handle(m_handle, readFile, seekFile, nullptr) == MPG123_OK;
}

Mp3Decoder::OpenResult Mp3Decoder::open(const QString &path)
{
    close();
    switch (openRegularFile(m_file, path)) {
    case RegularFileOpen::Opened: break;
    case RegularFileOpen::Missing: return OpenResult::NotFound;
    case RegularFileOpen::NotRegular:
    case RegularFileOpen::Unreadable: return OpenResult::Unreadable;
    }
    if (m_file.size() == 0) {
        m_file.close();
        return OpenResult::Empty;
    }
    const bool id3v1 = hasId3v1(m_file);
    m_file.seek(0);

    if (!initHandle()) {
        close();
        return OpenResult::DecoderUnavailable;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    // mpg123_open_handle accepts anything; only a decodable first frame proves an MP3.
    if (mpg123_open_handle(m_handle, &m_file) != MPG123_OK
        || mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK) {
        close();
        return OpenResult::NotMp3;
    }
    const int spf = mpg123_spf(m_handle);
    if (mpg123_scan(m_handle) != MPG123_OK) {
        close();
        return OpenResult::NotMp3;
    }
    // Header-only counts are wrong for files without a Xing header and for
    // truncated files; after the scan they are exact.
    const off_t frames = mpg123_framelength(m_handle);
    const off_t samples = mpg123_length(m_handle);
    if (frames <= 0 || samples <= 0 || spf <= 0 || rate <= 0 || frames > INT32_MAX) {
        close();
        return OpenResult::NotMp3;
    }
    m_frames = qint32(frames);
    m_samples = samples;
    m_rate = qint32(rate);
    m_spf = spf;
    // From the frame size, not mpg123_tpf(), which halves it for MPEG 2 layer II.
    m_secondsPerFrame = double(spf) / double(rate);

    const qint32 sameFormat = framesBeforeFormatChange(m_frames);
    if (sameFormat < m_frames) {
        // The decoder's sample positions before the change are exact.
        if (sameFormat <= 0 || mpg123_seek_frame(m_handle, off_t(sameFormat), SEEK_SET) < 0) {
            close();
            return OpenResult::NotMp3;
        }
        m_samples = std::clamp<qint64>(mpg123_tell(m_handle), 0, m_samples);
        m_frames = sameFormat;
        if (m_samples <= 0) {
            close();
            return OpenResult::NotMp3;
        }
    }

    // The gapless decoder drops the encoder delay from the first frames; frame
    // f therefore starts at sample f * spf - delay.
    if (m_frames > 2) {
        const qint64 at = seekFrame(2);
        m_startDelay = std::clamp<qint64>(2 * qint64(m_spf) - at, 0, 2 * qint64(m_spf));
    }
    measureBitRate(id3v1);
    seekFrame(0);
    return OpenResult::Ok;
}

qint32 Mp3Decoder::framesBeforeFormatChange(qint32 frames)
{
    // Frame by frame over the headers (nothing is decoded); frame 0 is the
    // reference the open took the rate and frame size from.
    if (frames <= 1 || mpg123_seek_frame(m_handle, 0, SEEK_SET) < 0)
        return frames;
    int rc = MPG123_OK;
    while ((rc = mpg123_framebyframe_next(m_handle)) == MPG123_OK || rc == MPG123_NEW_FORMAT) {
        mpg123_frameinfo info{};
        if (mpg123_info(m_handle, &info) != MPG123_OK)
            break;
        const off_t frame = mpg123_tellframe(m_handle);
        if (frame >= frames)
            break;
        if (info.rate != m_rate || mpg123_spf(m_handle) != m_spf)
            return qint32(std::max<off_t>(frame, 0));
    }
    return frames;
}

void Mp3Decoder::measureBitRate(bool id3v1)
{
    // Average from the frame index the scan built (offsets of every step-th
    // frame), over the track's frames only, so tags, a cut-off last frame and
    // a joined stream of another format do not count; whole kbit/s, as CBR
    // rates are.
    off_t *offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    double bytesPerFrame = 0;
    if (mpg123_index(m_handle, &offsets, &step, &fill) != MPG123_OK || !offsets || fill == 0 || step <= 0)
        return;
    const size_t last = std::min<size_t>(fill - 1, size_t(m_frames / step));
    if (last >= 1)
        bytesPerFrame = double(offsets[last] - offsets[0]) / (double(last) * double(step));
    else if (fill == 1)
        bytesPerFrame = double(m_file.size() - offsets[0] - (id3v1 ? 128 : 0)) / m_frames;
    else
        bytesPerFrame = double(offsets[1] - offsets[0]) / double(step);
    if (bytesPerFrame > 0)
        m_bitRate = qint32(std::lround(bytesPerFrame * 8.0 / m_secondsPerFrame / 1000.0) * 1000);
}

qint32 Mp3Decoder::lengthMs() const
{
    if (m_rate <= 0)
        return 0;
    return qint32(std::min<qint64>(m_samples * 1000 / m_rate, INT32_MAX));
}

float Mp3Decoder::msPerFrame() const
{
    return float(m_secondsPerFrame * 1000.0);
}

qint64 Mp3Decoder::seekFrame(qint32 frame)
{
    if (!m_handle)
        return 0;
    frame = std::clamp(frame, 0, m_frames);
    m_atEnd = false;
    m_position = m_samples;
    if (frame >= m_frames || mpg123_seek_frame(m_handle, off_t(frame), SEEK_SET) < 0) {
        m_atEnd = true;
        return m_samples;
    }
    m_position = std::clamp<qint64>(mpg123_tell(m_handle), 0, m_samples);
    return m_position;
}

qint32 Mp3Decoder::frameAtSample(qint64 sample) const
{
    if (m_spf <= 0)
        return 0;
    if (sample >= m_samples)
        return m_frames;
    return qint32(std::clamp<qint64>((std::max<qint64>(sample, 0) + m_startDelay) / m_spf, 0, m_frames));
}

qint64 Mp3Decoder::read(char *data, qint64 maxBytes)
{
    if (!m_handle || m_atEnd)
        return 0;
    // Never past the scanned length: a file that grew or was overwritten since
    // the open is not the track the figures describe.
    maxBytes = std::min(maxBytes - maxBytes % BytesPerSampleFrame,
                        (m_samples - m_position) * BytesPerSampleFrame);
    qint64 total = 0;
    int idle = 0;
    while (total < maxBytes) {
        size_t done = 0;
        const int rc = mpg123_read(m_handle, reinterpret_cast<unsigned char *>(data + total),
                                   size_t(maxBytes - total), &done);
        total += qint64(done);
        idle = done == 0 ? idle + 1 : 0;
        if (rc == MPG123_NEW_FORMAT && !sameRate(m_handle, m_rate))
            break;   // the file changed under us: another stream from here on
        if ((rc == MPG123_OK || rc == MPG123_NEW_FORMAT) && idle < 16)
            continue;
        // MPG123_DONE, or a stream that breaks off: either way the music is over.
        break;
    }
    total -= total % BytesPerSampleFrame;
    m_position += total / BytesPerSampleFrame;
    if (total < maxBytes || m_position >= m_samples)
        m_atEnd = true;
    return total;
}
