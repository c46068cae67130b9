#pragma once

// A small MPEG audio layer III frame walker, written from the header layout
// alone, to check the decoder's figures against a count that shares no code
// with libmpg123.

#include <QByteArray>

#include <cstdint>

struct Mp3Walk
{
    int frames = 0;          // audio frames; a Xing/Info header frame is not one
    int sampleRate = 0;
    int samplesPerFrame = 0;
    qint64 audioBytes = 0;   // bytes of the counted frames
    qint64 firstFrame = -1;  // offset of the first frame (the header frame if any)
    QByteArray frameBytes;   // the counted frames, back to back
};

inline Mp3Walk walkMp3(const QByteArray &data)
{
    static const int bitrates[2][16] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},   // MPEG-1
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},       // MPEG-2/2.5
    };
    static const int rates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

    Mp3Walk walk;
    const auto *p = reinterpret_cast<const unsigned char *>(data.constData());
    const qint64 size = data.size();
    qint64 pos = 0;
    if (size >= 10 && data.startsWith("ID3"))
        pos = 10 + ((p[6] & 0x7f) << 21 | (p[7] & 0x7f) << 14 | (p[8] & 0x7f) << 7 | (p[9] & 0x7f));
    bool first = true;
    while (pos + 4 <= size) {
        const uint32_t h = uint32_t(p[pos]) << 24 | uint32_t(p[pos + 1]) << 16 | uint32_t(p[pos + 2]) << 8 | p[pos + 3];
        if ((h & 0xFFE00000u) != 0xFFE00000u)
            break;
        const int version = (h >> 19) & 3;   // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const int layer = (h >> 17) & 3;     // 1 = layer III
        const int bitrateIndex = (h >> 12) & 15;
        const int rateIndex = (h >> 10) & 3;
        const int padding = (h >> 9) & 1;
        if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
            break;
        const bool mpeg1 = version == 3;
        const int rate = rates[version == 3 ? 0 : version == 2 ? 1 : 2][rateIndex];
        const int kbps = bitrates[mpeg1 ? 0 : 1][bitrateIndex];
        const qint64 length = (mpeg1 ? 144 : 72) * kbps * 1000 / rate + padding;
        if (pos + length > size)
            break;   // a frame cut off by the end of the file
        const QByteArray frame = data.mid(pos, length);
        if (first) {
            walk.firstFrame = pos;
            walk.sampleRate = rate;
            walk.samplesPerFrame = mpeg1 ? 1152 : 576;
        }
        if (!(first && (frame.contains("Xing") || frame.contains("Info")))) {
            ++walk.frames;
            walk.audioBytes += length;
            walk.frameBytes += frame;
        }
        first = false;
        pos += length;
    }
    return walk;
}
