#include "player/component/mpeg_frames.h"

#include <QByteArray>
#include <QIODevice>

#include <cstring>

namespace MpegFrames {

namespace {

// kbit/s by [MPEG 1 | MPEG 2 and 2.5][layer - 1][index]; index 0 is free format.
constexpr int kBitRates[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
};
constexpr int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// The largest frame libmpg123 decodes; free-format frames included.
constexpr qint64 MaxFrameBytes = 3456;
constexpr qint64 Lookahead = (AgreeingHeaders + 1) * MaxFrameBytes + 4;
constexpr qint64 ReadBytes = 16 * 1024;

// The file's bytes from the search position on, read as far as needed.
class Window {
public:
    Window(QIODevice &device, qint64 start, const std::function<bool()> &stop)
        : m_device(device), m_stop(stop), m_start(start)
    {
    }

    // Holds [from, until) or up to the end of the file; false when stopped.
    bool cover(qint64 from, qint64 until)
    {
        if (from - m_start > 4 * ReadBytes) {
            m_bytes.remove(0, qsizetype(from - m_start));
            m_start = from;
        }
        while (!m_ended && m_start + m_bytes.size() < until) {
            if (m_stop && m_stop())
                return false;
            const QByteArray more = m_device.read(ReadBytes);
            if (more.isEmpty())
                m_ended = true;
            m_bytes += more;
        }
        return true;
    }
    qint64 end() const { return m_start + m_bytes.size(); }
    const uchar *at(qint64 offset) const
    {
        return reinterpret_cast<const uchar *>(m_bytes.constData()) + (offset - m_start);
    }
    std::optional<Header> header(qint64 offset) const
    {
        if (offset < m_start || offset + 4 > end())
            return std::nullopt;
        return parse(at(offset));
    }
    // The next byte 0xFF at or after `from`, or end().
    qint64 nextSync(qint64 from) const
    {
        const void *hit = std::memchr(at(from), 0xFF, size_t(end() - from));
        return hit ? from + (static_cast<const uchar *>(hit) - at(from)) : end();
    }

private:
    QIODevice &m_device;
    const std::function<bool()> &m_stop;
    qint64 m_start;
    QByteArray m_bytes;
    bool m_ended = false;
};

// Where the audio of the file ends: before an ID3v1 tag, else its end.
qint64 audioEnd(QIODevice &device, qint64 size)
{
    if (size >= 128 && device.seek(size - 128) && device.read(3) == "TAG")
        return size - 128;
    return size;
}

// Where an ID3v2 tag at the start ends, or 0.
qint64 afterId3v2(QIODevice &device)
{
    const QByteArray head = device.read(10);
    if (head.size() < 10 || !head.startsWith("ID3") || uchar(head[3]) == 0xFF || uchar(head[4]) == 0xFF)
        return 0;
    qint64 size = 0;
    for (int i = 6; i < 10; ++i) {
        if (uchar(head[i]) & 0x80)
            return 0;
        size = (size << 7) | uchar(head[i]);
    }
    return 10 + size + ((uchar(head[5]) & 0x10) ? 10 : 0);
}

} // namespace

std::optional<Header> parse(const uchar *b)
{
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = (b[1] >> 3) & 3;   // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layer = (b[1] >> 1) & 3;     // 1: III, 2: II, 3: I, 0: reserved
    const int rateIndex = (b[2] >> 2) & 3;
    const int bitRateIndex = b[2] >> 4;
    if (version == 1 || layer == 0 || bitRateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    Header h;
    h.version = version == 3 ? 0 : version == 2 ? 1 : 2;
    h.layer = 4 - layer;
    h.sampleRate = kRates[h.version][rateIndex];
    h.bitRate = kBitRates[h.version == 0 ? 0 : 1][h.layer - 1][bitRateIndex] * 1000;
    h.samplesPerFrame = h.layer == 1 ? 384 : (h.layer == 3 && h.version != 0) ? 576 : 1152;
    const bool padded = (b[2] >> 1) & 1;
    h.padding = padded ? (h.layer == 1 ? 4 : 1) : 0;
    if (h.bitRate > 0) {
        h.size = h.layer == 1 ? (12 * h.bitRate / h.sampleRate + (padded ? 1 : 0)) * 4
                              : h.samplesPerFrame / 8 * h.bitRate / h.sampleRate + h.padding;
    }
    return h;
}

bool sameStream(const Header &a, const Header &b)
{
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate
           && (a.bitRate == 0) == (b.bitRate == 0);
}

qint64 findFirstFrame(QIODevice &device, const std::function<bool()> &stop)
{
    const qint64 size = device.size();
    const qint64 end = audioEnd(device, size);
    if (!device.seek(0))
        return -1;
    const qint64 regionStart = afterId3v2(device);
    if (regionStart >= size || !device.seek(regionStart))
        return -1;
    Window window(device, regionStart, stop);
    if (!window.cover(regionStart, regionStart))
        return -1;

    // Whether the frames that follow one another from `start` make it the start.
    const auto holds = [&](qint64 start) {
        const std::optional<Header> first = window.header(start);
        if (!first)
            return false;
        qint64 pos = start;
        qint64 freeSize = 0;   // a free-format stream's frame size without padding
        for (int count = 1;; ++count) {
            const std::optional<Header> h = window.header(pos);
            if (!h || !sameStream(*first, *h))
                return false;
            if (count >= AgreeingHeaders)
                return true;
            qint64 frame = h->size;
            if (frame == 0) {
                if (freeSize == 0) {
                    // The distance to the next header of the stream gives the size.
                    for (qint64 next = pos + 4; next + 4 <= window.end() && next - pos <= MaxFrameBytes; ++next) {
                        const std::optional<Header> n = window.header(next);
                        if (n && sameStream(*first, *n)) {
                            freeSize = next - pos - h->padding;
                            break;
                        }
                    }
                    if (freeSize == 0)
                        return false;
                }
                frame = freeSize + h->padding;
            }
            pos += frame;
            if (pos == end || pos == size)
                return start == regionStart;   // a few frames that are all there is
        }
    };

    qint64 pos = regionStart;
    while (true) {
        if (!window.cover(pos, pos + Lookahead))
            return -1;
        if (pos + 4 > window.end())
            return -1;
        pos = window.nextSync(pos);
        if (pos + 4 > window.end()) {
            if (window.end() >= size)
                return -1;
            continue;   // read on
        }
        if (!window.cover(pos, pos + Lookahead))
            return -1;
        if (holds(pos))
            return pos;
        ++pos;
    }
}

} // namespace MpegFrames
