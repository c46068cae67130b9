#include "pcm_source.h"

#include "mp3_decoder.h"
#include "pcm_volume.h"

#include <cstring>

PcmSource::PcmSource(Mp3Decoder *decoder, QObject *parent)
    : QIODevice(parent)
    , m_decoder(decoder)
    , m_left(PcmVolume::UnityGain)
    , m_right(PcmVolume::UnityGain)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void PcmSource::setGains(int leftQ15, int rightQ15)
{
    m_left = leftQ15;
    m_right = rightQ15;
}

void PcmSource::restart(qint64 tailPaddingBytes)
{
    m_content = 0;
    m_padding = tailPaddingBytes - tailPaddingBytes % Mp3Decoder::BytesPerSampleFrame;
}

bool PcmSource::contentEnded() const
{
    return !m_decoder->isOpen() || m_decoder->atEnd();
}

qint64 PcmSource::bytesAvailable() const
{
    if (!contentEnded())
        return Mp3Decoder::BytesPerSampleFrame * 4096 + m_padding;
    return m_padding;
}

qint64 PcmSource::readData(char *data, qint64 maxSize)
{
    maxSize -= maxSize % Mp3Decoder::BytesPerSampleFrame;
    qint64 n = 0;
    if (!contentEnded()) {
        n = m_decoder->read(data, maxSize);
        PcmVolume::applyGains(reinterpret_cast<qint16 *>(data), n / Mp3Decoder::BytesPerSampleFrame,
                              m_left, m_right);
        m_content += n;
    }
    if (n < maxSize && contentEnded() && m_padding > 0) {
        const qint64 pad = std::min(maxSize - n, m_padding);
        std::memset(data + n, 0, size_t(pad));
        m_padding -= pad;
        n += pad;
    }
    return n;
}
