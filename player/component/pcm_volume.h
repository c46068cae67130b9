#pragma once

#include <QtGlobal>

// Channel volumes 0..100 as used by the player. The curve is square-law on
// amplitude: gain = (volume / 100)^2, so 100 is unchanged, 50 is -12 dB, 35 (the
// player window's default) is about -18 dB, 10 is -40 dB and 0 is silence. A
// square law sounds roughly even across the slider, and it lets the balance
// slider at full throw (100 against 10) all but silence one side.
namespace PcmVolume {

constexpr int UnityGain = 1 << 15;   // gains are Q15 fixed point

int clampVolume(int volume);         // to 0..100
int gainForVolume(int volume);       // Q15 gain of a 0..100 volume

// Scales interleaved 16-bit stereo in place: even samples by leftGain, odd by
// rightGain (Q15).
void applyGains(qint16 *samples, qsizetype sampleFrames, int leftGain, int rightGain);

} // namespace PcmVolume
