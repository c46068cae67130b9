#include "player/component/pcm_volume.h"

#include <algorithm>

namespace PcmVolume {

int clampVolume(int volume)
{
    return std::clamp(volume, 0, 100);
}

int gainForVolume(int volume)
{
    const int v = clampVolume(volume);
    return (v * v * UnityGain + 5000) / 10000;
}

void applyGains(qint16 *samples, qsizetype sampleFrames, int leftGain, int rightGain)
{
    if (leftGain == UnityGain && rightGain == UnityGain)
        return;
    for (qsizetype i = 0; i < sampleFrames; ++i) {
        // Gains never exceed unity, so the products stay within 16 bits.
        samples[2 * i] = qint16((qint32(samples[2 * i]) * leftGain) >> 15);
        samples[2 * i + 1] = qint16((qint32(samples[2 * i + 1]) * rightGain) >> 15);
    }
}

} // namespace PcmVolume
