// Opening and decoding an MP3 from any bytes through the decoder's public
// interface: it must not crash, hang or leak, and its figures must agree.
#include "player/component/mp3_decoder.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// Decodes up to `budget` bytes of PCM; the bytes produced.
qint64 drain(Mp3Decoder &decoder, qint64 budget)
{
    static char pcm[16384];
    qint64 total = 0;
    while (total < budget) {
        const qint64 n = decoder.read(pcm, sizeof pcm);
        check(n >= 0 && n <= qint64(sizeof pcm) && n % Mp3Decoder::BytesPerSampleFrame == 0);
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The bytes as a file the decoder opens by name, without touching a disk.
    static const int fd = memfd_create("fuzz.mp3", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        std::abort();
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);

    Mp3Decoder decoder;
    const Mp3Decoder::OpenResult result = decoder.open(path);
    check(decoder.isOpen() == (result == Mp3Decoder::OpenResult::Ok));
    if (result != Mp3Decoder::OpenResult::Ok) {
        check(decoder.frameCount() == 0 && decoder.sampleRate() == 0);
        return 0;
    }
    const qint32 frames = decoder.frameCount();
    check(frames >= 0 && decoder.sampleRate() > 0 && decoder.samplesPerFrame() > 0);
    check(decoder.sampleCount() >= 0 && decoder.lengthMs() >= 0);

    drain(decoder, 1 << 20);
    for (qint32 frame : {frames / 2, frames, qint32(-1), frames + 1, qint32(0)}) {
        const qint64 at = decoder.seekFrame(frame);
        check(at >= 0);
        const qint32 back = decoder.frameAtSample(at);
        check(back >= 0 && back <= frames);
        drain(decoder, 64 * 1024);
    }
    decoder.close();
    check(!decoder.isOpen() && decoder.frameCount() == 0);
    return 0;
}
