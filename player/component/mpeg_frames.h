#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

class QIODevice;

// MPEG audio frame headers (layers I, II and III; MPEG 1, 2 and 2.5), and the
// search for where the frames of a file begin.
namespace MpegFrames {

struct Header {
    int version = 0;          // 0: MPEG 1, 1: MPEG 2, 2: MPEG 2.5
    int layer = 0;            // 1, 2 or 3
    int sampleRate = 0;       // Hz
    int bitRate = 0;          // bit/s; 0 for free format
    int samplesPerFrame = 0;
    int padding = 0;          // bytes the padding bit adds
    int size = 0;             // bytes of the whole frame; 0 for free format
};

// The header in the four bytes at `bytes`, or nothing when they are none.
std::optional<Header> parse(const uchar *bytes);

// Two headers of one stream: same version, layer, rate and kind of bit rate.
bool sameStream(const Header &a, const Header &b);

// Frame headers that must follow one another, each where the one before
// ends, before a position counts as the start of the frames: random bytes
// hold a false header every few kilobytes, four in a row almost never.
constexpr int AgreeingHeaders = 4;

// Where the frames of `device` begin (a byte offset), read from its current
// start to its end; -1 when no position holds. An ID3v2 tag at the start is
// skipped by its size. Fewer than AgreeingHeaders frames count only where
// they are the whole of the audio: they start where the tag ends (or at the
// start) and end exactly at the end of the file or of its ID3v1 tag.
// `stop` is asked between reads: when it says true the search ends with -1.
qint64 findFirstFrame(QIODevice &device, const std::function<bool()> &stop = {});

} // namespace MpegFrames
