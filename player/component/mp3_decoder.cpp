#include "player/component/mp3_decoder.h"

#include "player/component/mpeg_frames.h"
#include "platform/files/regular_file.h"

#include <QFile>

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

// libmpg123 reads through a QIODevice (a QFile by default), so that every
// path Qt can name opens the same way, from where the first frame starts.
struct ReadContext {
    QIODevice *device;
    qint64 base;
    const Mp3Decoder::Cancel *cancel;
};

mpg123_ssize_t readSource(void *handle, void *buffer, size_t bytes)
{
    auto *source = static_cast<ReadContext *>(handle);
    if (*source->cancel && (*source->cancel)())
        return -1;
    const qint64 n = source->device->read(static_cast<char *>(buffer), qint64(bytes));
    return n < 0 ? -1 : mpg123_ssize_t(n);
}

off_t seekSource(void *handle, off_t offset, int whence)
{
    auto *source = static_cast<ReadContext *>(handle);
    QIODevice *device = source->device;
    qint64 target = offset;
    if (whence == SEEK_CUR)
        target += device->pos() - source->base;
    else if (whence == SEEK_END)
        target += device->size() - source->base;
    if (target < 0 || !device->seek(source->base + target))
        return -1;
    return off_t(target);
}

void dropContext(void *handle)
{
    delete static_cast<ReadContext *>(handle);
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

Mp3Decoder::OpenResult fromRegularOpen(RegularFileOpen result)
{
    switch (result) {
    case RegularFileOpen::Opened: break;
    case RegularFileOpen::Missing: return Mp3Decoder::OpenResult::NotFound;
    case RegularFileOpen::NotRegular:
    case RegularFileOpen::Unreadable: return Mp3Decoder::OpenResult::Unreadable;
    }
    return Mp3Decoder::OpenResult::Ok;
}

} // namespace

// ---- TrackFigures -----------------------------------------------------------

qint32 TrackFigures::lengthMs() const
{
    if (sampleRate <= 0)
        return 0;
    return qint32(std::min<qint64>(samples * 1000 / sampleRate, INT32_MAX));
}

float TrackFigures::msPerFrame() const
{
    // From the frame size, not mpg123_tpf(), which halves it for MPEG 2 layer II.
    return sampleRate > 0 ? float(double(samplesPerFrame) * 1000.0 / double(sampleRate)) : 0.0f;
}

qint32 TrackFigures::frameAtSample(qint64 sample) const
{
    if (samplesPerFrame <= 0)
        return 0;
    if (sample >= samples)
        return frames;
    return qint32(std::clamp<qint64>((std::max<qint64>(sample, 0) + startDelay) / samplesPerFrame, 0, frames));
}

// ---- Mp3Decoder -------------------------------------------------------------

Mp3Decoder::Mp3Decoder(Reader reader)
    : m_reader(std::move(reader))
{
}

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
    m_source = Source();
    m_figures = TrackFigures();
    m_position = 0;
    m_guessedPlace = false;
    m_atEnd = false;
}

Mp3Decoder::OpenResult Mp3Decoder::check(const QString &path)
{
    QFile file;
    const OpenResult result = fromRegularOpen(openRegularFile(file, path));
    if (result == OpenResult::Ok && file.size() == 0)
        return OpenResult::Empty;
    return result;
}

bool Mp3Decoder::initHandle(bool guessSeeks)
{
    if (!libraryReady())
        return false;
    int err = MPG123_OK;
    m_handle = mpg123_new(nullptr, &err);
    if (!m_handle)
        return false;
    long flags = MPG123_QUIET | MPG123_FORCE_STEREO | MPG123_GAPLESS;
    if (guessSeeks)
        flags |= MPG123_FUZZY;
    mpg123_param(m_handle, MPG123_ADD_FLAGS, flags, 0);
    mpg123_param(m_handle, MPG123_RESYNC_LIMIT, 8192, 0);
    // Layer III frames borrow up to 511 bytes from the frames before them; at
    // low VBR rates that reaches back further than the library's default
    // warm-up, and the first frames after a seek come out wrong.
    mpg123_param(m_handle, MPG123_PREFRAMES, 8, 0);
    // Any rate the format allows, always 16-bit stereo: the output takes the
    // file at its own rate, and the balance reaches both ears of a mono file.
    mpg123_format_none(m_handle);
    const long *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(m_handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return mpg123_replace_reader_handle(m_handle, readSource, seekSource, dropContext) == MPG123_OK;
}

Mp3Decoder::OpenResult Mp3Decoder::open(const QString &path, Figures figures, Cancel cancel)
{
    close();
    auto file = std::make_unique<QFile>();
    const OpenResult opened = fromRegularOpen(openRegularFile(*file, path));
    if (opened != OpenResult::Ok)
        return opened;
    if (file->size() == 0)
        return OpenResult::Empty;
    if (file->size() <= ScannedAtOnceBytes)
        figures = Figures::Exact;
    m_source.device = m_reader ? m_reader(std::move(file)) : std::move(file);
    m_source.cancel = std::move(cancel);
    const OpenResult result = openStream(figures);
    if (result != OpenResult::Ok)
        close();
    m_source.cancel = nullptr;   // for the open only: playing reads on whatever comes
    return result;
}

Mp3Decoder::OpenResult Mp3Decoder::openStream(Figures figures)
{
    const Cancel &cancel = m_source.cancel;
    m_source.base = MpegFrames::findFirstFrame(*m_source.device, cancel);
    if (cancel && cancel())
        return OpenResult::Cancelled;
    if (m_source.base < 0)
        return OpenResult::NotMp3;
    if (!initHandle(figures == Figures::FromHeaders))
        return OpenResult::DecoderUnavailable;
    // mpg123_open_handle accepts anything; only a decodable first frame proves an MP3.
    long rate = 0;
    int channels = 0, encoding = 0;
    if (!m_source.device->seek(m_source.base)
        || mpg123_open_handle(m_handle, new ReadContext{m_source.device.get(), m_source.base, &m_source.cancel})
               != MPG123_OK
        || mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK) {
        return cancel && cancel() ? OpenResult::Cancelled : OpenResult::NotMp3;
    }
    const int spf = mpg123_spf(m_handle);
    if (spf <= 0 || rate <= 0)
        return OpenResult::NotMp3;
    if (figures == Figures::FromHeaders) {
        takeHeaderFigures(spf, qint32(rate));
    } else {
        const OpenResult exact = takeExactFigures(spf, qint32(rate));
        if (exact != OpenResult::Ok)
            return cancel && cancel() ? OpenResult::Cancelled : exact;
    }
    measureStartDelay();
    if (figures == Figures::Exact)
        measureBitRate();
    seekFrame(0);
    return cancel && cancel() ? OpenResult::Cancelled : OpenResult::Ok;
}

Mp3Decoder::OpenResult Mp3Decoder::takeExactFigures(qint32 spf, qint32 rate)
{
    if (mpg123_scan(m_handle) != MPG123_OK)
        return OpenResult::NotMp3;
    // Header-only counts are wrong for files without a Xing header and for
    // truncated files; after the scan they are exact.
    const off_t frames = mpg123_framelength(m_handle);
    const off_t samples = mpg123_length(m_handle);
    if (frames <= 0 || samples <= 0 || frames > INT32_MAX)
        return OpenResult::NotMp3;
    m_figures.frames = qint32(frames);
    m_figures.samples = samples;
    m_figures.sampleRate = rate;
    m_figures.samplesPerFrame = spf;
    m_figures.exact = true;

    const qint32 sameFormat = framesBeforeFormatChange(m_figures.frames);
    if (sameFormat < m_figures.frames) {
        // The decoder's sample positions before the change are exact.
        if (sameFormat <= 0 || mpg123_seek_frame(m_handle, off_t(sameFormat), SEEK_SET) < 0)
            return OpenResult::NotMp3;
        m_figures.samples = std::clamp<qint64>(mpg123_tell(m_handle), 0, m_figures.samples);
        m_figures.frames = sameFormat;
        if (m_figures.samples <= 0)
            return OpenResult::NotMp3;
    }
    return OpenResult::Ok;
}

void Mp3Decoder::takeHeaderFigures(qint32 spf, qint32 rate)
{
    // The Xing, Info or VBRI totals where the file has them, else libmpg123's
    // estimate from the file's size and the first frame.
    const qint64 frames = std::clamp<qint64>(mpg123_framelength(m_handle), 1, INT32_MAX);
    const qint64 samples = mpg123_length(m_handle);
    m_figures.frames = qint32(frames);
    m_figures.samples = samples > 0 ? samples : frames * spf;
    m_figures.sampleRate = rate;
    m_figures.samplesPerFrame = spf;
    m_figures.exact = false;
    const double seconds = double(frames) * spf / rate;
    m_figures.bitRate = qint32(std::lround(double(audioBytes()) * 8.0 / seconds / 1000.0) * 1000);
}

void Mp3Decoder::measureStartDelay()
{
    // The gapless decoder drops the encoder delay from the first frames; frame
    // f therefore starts at sample f * spf - delay.
    const qint64 spf = m_figures.samplesPerFrame;
    if (m_figures.frames > 2) {
        const qint64 at = seekFrame(2);
        m_figures.startDelay = std::clamp<qint64>(2 * spf - at, 0, 2 * spf);
    }
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
        if (info.rate != m_figures.sampleRate || mpg123_spf(m_handle) != m_figures.samplesPerFrame)
            return qint32(std::max<off_t>(frame, 0));
    }
    return frames;
}

qint64 Mp3Decoder::audioBytes() const
{
    QIODevice &device = *m_source.device;
    const qint64 size = device.size();
    const qint64 pos = device.pos();
    const bool id3v1 = size - m_source.base >= 128 && device.seek(size - 128) && device.peek(3) == "TAG";
    device.seek(pos);
    return size - m_source.base - (id3v1 ? 128 : 0);
}

void Mp3Decoder::measureBitRate()
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
    const qint32 frames = m_figures.frames;
    const size_t last = std::min<size_t>(fill - 1, size_t(frames / step));
    if (last >= 1)
        bytesPerFrame = double(offsets[last] - offsets[0]) / (double(last) * double(step));
    else if (fill == 1)
        bytesPerFrame = double(audioBytes() - offsets[0]) / frames;
    else
        bytesPerFrame = double(offsets[1] - offsets[0]) / double(step);
    const double secondsPerFrame = double(m_figures.samplesPerFrame) / m_figures.sampleRate;
    if (bytesPerFrame > 0)
        m_figures.bitRate = qint32(std::lround(bytesPerFrame * 8.0 / secondsPerFrame / 1000.0) * 1000);
}

Mp3Decoder::Scan Mp3Decoder::scan() const
{
    Scan result;
    result.figures = m_figures;
    off_t *offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (m_handle && mpg123_index(m_handle, &offsets, &step, &fill) == MPG123_OK && offsets) {
        result.index.assign(offsets, offsets + fill);
        result.indexStep = step;
    }
    return result;
}

void Mp3Decoder::adopt(const Scan &scan)
{
    if (!m_handle || !scan.figures.exact)
        return;
    m_figures = scan.figures;
    if (!scan.index.empty() && scan.indexStep > 0) {
        std::vector<off_t> offsets(scan.index.begin(), scan.index.end());
        mpg123_set_index(m_handle, offsets.data(), off_t(scan.indexStep), offsets.size());
    }
    mpg123_param(m_handle, MPG123_REMOVE_FLAGS, MPG123_FUZZY, 0);
    if (m_position >= m_figures.samples) {
        m_position = m_figures.samples;
        m_atEnd = true;
    } else if (m_guessedPlace && !m_atEnd) {
        const off_t at = mpg123_seek(m_handle, off_t(m_position), SEEK_SET);
        if (at < 0)
            m_atEnd = true;
    }
    m_guessedPlace = false;
}

qint64 Mp3Decoder::seekFrame(qint32 frame)
{
    if (!m_handle)
        return 0;
    frame = std::clamp(frame, 0, m_figures.frames);
    m_atEnd = false;
    m_position = m_figures.samples;
    if (frame >= m_figures.frames || mpg123_seek_frame(m_handle, off_t(frame), SEEK_SET) < 0) {
        m_atEnd = true;
        return m_figures.samples;
    }
    m_position = std::max<qint64>(mpg123_tell(m_handle), 0);
    if (m_figures.exact)
        m_position = std::min(m_position, m_figures.samples);
    else
        m_guessedPlace = frame > 2;
    return m_position;
}

qint64 Mp3Decoder::read(char *data, qint64 maxBytes)
{
    if (!m_handle || m_atEnd)
        return 0;
    maxBytes -= maxBytes % BytesPerSampleFrame;
    // Never past the scanned length: a file that grew or was overwritten since
    // the scan is not the track the figures describe.
    if (m_figures.exact)
        maxBytes = std::min(maxBytes, (m_figures.samples - m_position) * BytesPerSampleFrame);
    qint64 total = 0;
    int idle = 0;
    while (total < maxBytes) {
        size_t done = 0;
        const int rc = mpg123_read(m_handle, reinterpret_cast<unsigned char *>(data + total),
                                   size_t(maxBytes - total), &done);
        total += qint64(done);
        idle = done == 0 ? idle + 1 : 0;
        if (rc == MPG123_NEW_FORMAT && !sameRate(m_handle, m_figures.sampleRate))
            break;   // another stream from here on, or the file changed under us
        if ((rc == MPG123_OK || rc == MPG123_NEW_FORMAT) && idle < 16)
            continue;
        // MPG123_DONE, or a stream that breaks off: either way the music is over.
        break;
    }
    total -= total % BytesPerSampleFrame;
    m_position += total / BytesPerSampleFrame;
    if (total < maxBytes || (m_figures.exact && m_position >= m_figures.samples))
        m_atEnd = true;
    return total;
}
