#include "player/component/pcm_source.h"

#include "player/component/mp3_decoder.h"
#include "player/component/pcm_volume.h"

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

void PcmSource::restart()
{
    m_content = 0;
}

bool PcmSource::contentEnded() const
{
    return !m_decoder->isOpen() || m_decoder->atEnd();
}

qint64 PcmSource::bytesAvailable() const
{
    return contentEnded() ? 0 : Mp3Decoder::BytesPerSampleFrame * 4096;
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
    return n;
}
