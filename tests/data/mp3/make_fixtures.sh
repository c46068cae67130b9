#!/usr/bin/env bash
# Regenerates the MP3 fixtures of the player component's tests (sox, lame, python3).
# The committed files are the reference; regenerating changes their bytes.
# broken/ holds the bad and odd inputs of the broken-media table; the frame
# counts in that table follow from how each file is made here.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

# `make_fixtures.sh broken` remakes only broken/, from the committed files.
if [[ ${1:-} != broken ]]; then

# 1 kHz at -6 dBFS on both channels, 1.5 s: also the tone of the real-audio check.
sox -n -r 44100 -c 2 -b 16 "$tmp/tone.wav" synth 1.5 sine 1000 vol 0.5
lame --quiet -b 128 --cbr "$tmp/tone.wav" cbr44s.mp3
sox -n -r 22050 -c 1 -b 16 "$tmp/m22.wav" synth 1.0 sine 440 vol 0.5
lame --quiet -m m -b 64 "$tmp/m22.wav" mono22.mp3
sox -n -r 44100 -c 2 -b 16 "$tmp/v.wav" synth 1.0 sine 300 sine 500 vol 0.5
lame --quiet -V 4 "$tmp/v.wav" vbr_xing.mp3
lame --quiet -V 4 -t "$tmp/v.wav" vbr_noxing.mp3
sox -n -r 8000 -c 1 -b 16 "$tmp/r8.wav" synth 1.0 sine 400 vol 0.5
lame --quiet -m m -b 16 "$tmp/r8.wav" rate8k.mp3
head -c 10001 cbr44s.mp3 > truncated.mp3
: > empty.mp3
echo "hello this is a text file, not audio" > text.mp3
python3 - <<'PY'
import random, struct
random.seed(20261207)
open('random.mp3', 'wb').write(bytes(random.getrandbits(8) for _ in range(4096)))
# ID3v2.3 tag with a 96 KiB PRIV frame full of fake MPEG sync words.
payload = bytearray(b'melvora\x00')
r = random.Random(7)
while len(payload) < 96 * 1024:
    payload += bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(r.getrandbits(8) for _ in range(60))
frame = b'PRIV' + struct.pack('>I', len(payload)) + b'\x00\x00' + payload
n = len(frame)
size = bytes([(n >> 21) & 0x7f, (n >> 14) & 0x7f, (n >> 7) & 0x7f, n & 0x7f])
open('id3big.mp3', 'wb').write(b'ID3\x03\x00\x00' + size + frame + open('mono22.mp3', 'rb').read())
PY
fi

# ---------------------------------------------------------------------------
# broken/: damaged, odd and joined streams. sox -R: the same bytes on every run.
mkdir -p broken
sox -R -n -r 44100 -c 2 -b 16 "$tmp/s44.wav" synth 0.5 sine 700 vol 0.5
lame --quiet -b 128 "$tmp/s44.wav" "$tmp/short44.mp3"              # 0.5 s: Info frame + 22 frames
sox -R -n -r 44100 -c 1 -b 16 "$tmp/m44.wav" synth 0.5 sine 300 vol 0.5
lame --quiet -m m -b 64 "$tmp/m44.wav" "$tmp/mono44.mp3"            # Info frame + 22 frames
sox -R -n -r 48000 -c 2 -b 16 "$tmp/s48.wav" synth 0.5 sine 500 vol 0.5
lame --quiet -b 128 "$tmp/s48.wav" "$tmp/short48.mp3"
sox -R -n -r 11025 -c 2 -b 16 "$tmp/s11.wav" synth 0.5 sine 500 vol 0.5
lame --quiet -b 32 "$tmp/s11.wav" broken/mpeg25_11k.mp3            # MPEG 2.5
lame --quiet --freeformat -b 100 "$tmp/s44.wav" broken/free_format.mp3   # 100 kbit/s: no bit rate index
sox -R -n -r 44100 -c 2 -b 16 "$tmp/none.wav" trim 0 0
lame --quiet "$tmp/none.wav" broken/no_samples.mp3                  # an Info frame and one empty frame
sox -R -n -r 8000 -c 1 -b 16 "$tmp/pcm.wav" synth 0.2 sine 440 vol 0.5
cp "$tmp/pcm.wav" broken/pcm_wave.mp3
TMP="$tmp" python3 - <<'PY'
import os, random, struct
tmp = os.environ['TMP']
def read(path): return open(path, 'rb').read()
def write(name, data): open('broken/' + name, 'wb').write(data)
short44, mono44, short48 = read(tmp + '/short44.mp3'), read(tmp + '/mono44.mp3'), read(tmp + '/short48.mp3')
mono22, vbr = read('mono22.mp3'), read('vbr_xing.mp3')

def syncsafe(n): return bytes([(n >> 21) & 0x7f, (n >> 14) & 0x7f, (n >> 7) & 0x7f, n & 0x7f])
def id3v2(body, claimed=None):
    return b'ID3\x03\x00\x00' + syncsafe(len(body) if claimed is None else claimed) + body
def text_frame(fid, text):
    body = b'\x00' + text.encode('latin-1')
    return fid + struct.pack('>I', len(body)) + b'\x00\x00' + body
def id3v1(title):
    return (b'TAG' + title.encode('latin-1').ljust(30, b'\x00') + b'Melvora'.ljust(30, b'\x00')
            + b'Tests'.ljust(30, b'\x00') + b'2026' + b'\x00' * 30 + b'\x0c')

tag = id3v2(text_frame(b'TIT2', 'Only a tag') + text_frame(b'TPE1', 'Nobody') + bytes(256))
write('tag_id3v2_only.mp3', tag)
write('tag_id3v1_only.mp3', id3v1('Only a tag'))
write('tags_only.mp3', tag + id3v1('Only tags'))
# A tag whose size runs past the end of the file, with audio behind its header.
write('tag_size_past_end.mp3', id3v2(text_frame(b'TIT2', 'Liar'), claimed=len(mono22) * 4) + mono22)
# A tag that claims 20 bytes but holds 8 KiB, full of fake 44.1 kHz frame
# headers, before 22.05 kHz audio.
r = random.Random(11)
priv = bytearray(b'melvora\x00')
while len(priv) < 8 * 1024:
    priv += bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(r.getrandbits(8) for _ in range(60))
body = text_frame(b'TIT2', 'Short liar') + b'PRIV' + struct.pack('>I', len(priv)) + b'\x00\x00' + bytes(priv)
write('tag_size_short.mp3', id3v2(body, claimed=20) + mono22)

write('cut_in_info_frame.mp3', short44[:200])
write('cut_in_first_frame.mp3', short44[:417 + 200])
write('one_frame.mp3', short44[:417 * 2])
write('garbage_before.mp3', bytes(random.Random(6).getrandbits(8) for _ in range(3000)) + mono22)
write('garbage_after.mp3', mono22 + bytes(random.Random(5).getrandbits(8) for _ in range(3000)))

# Frames of silence from the header alone: zero bit allocation decodes as silence.
def header(version, layer, br_index, sr_index, mode):
    v = {1: 3, 2: 2}[version]
    l = {1: 3, 2: 2}[layer]
    return struct.pack('>I', 0xFFE00000 | v << 19 | l << 17 | 1 << 16 | br_index << 12 | sr_index << 10 | mode << 6)
def silent_frames(version, layer, br_index, kbps, rate, sr_index, mode, count):
    slots, slot = (12 * kbps * 1000, 4) if layer == 1 else (144 * kbps * 1000, 1)
    assert slots % rate == 0   # no padding slots at these rates
    frame = header(version, layer, br_index, sr_index, mode)
    return (frame + bytes(slots // rate * slot - 4)) * count
layer1 = silent_frames(1, 1, 4, 128, 48000, 1, 0, 60)     # 60 x 384 samples at 48 kHz
layer2 = silent_frames(1, 2, 8, 128, 48000, 1, 0, 21)     # 21 x 1152
write('layer1.mp3', layer1)
write('layer2.mp3', layer2)
write('layer2_mpeg2.mp3', silent_frames(2, 2, 8, 64, 24000, 1, 3, 11))   # 11 x 1152 at 24 kHz, mono

# Streams joined one after the other.
write('rate_44_to_22.mp3', short44 + mono22)
write('rate_22_to_44.mp3', mono22 + short44)
write('rate_44_to_48.mp3', short44 + short48)
write('layer1_to_2.mp3', layer1 + layer2)
write('mono_to_stereo.mp3', mono44 + short44)
write('joined_same_format.mp3', short44 + short44)

# Xing headers that lie about the frame count.
def patch_xing(data, frames, nbytes):
    b = bytearray(data)
    i = b.find(b'Xing')
    assert struct.unpack('>I', b[i + 4:i + 8])[0] & 3 == 3
    b[i + 8:i + 16] = struct.pack('>II', frames, nbytes)
    return bytes(b)
write('xing_too_many.mp3', patch_xing(vbr, 0x7FFFFFF0, 0x7FFFFFF0))
write('xing_too_few.mp3', patch_xing(vbr, 3, 1000))
write('xing_zero.mp3', patch_xing(vbr, 0, 0))

# LAME tag gapless figures of 4095 samples of delay and of padding, with the
# tag's own CRC (over the frame's first 190 bytes) made to match.
def crc16(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc
def patch_gapless(data, delay, padding):
    b = bytearray(data)
    i = b.find(b'LAME')
    b[i + 21:i + 24] = bytes([delay >> 4, ((delay & 15) << 4) | (padding >> 8), padding & 255])
    b[190:192] = struct.pack('>H', crc16(b[:190]))
    return bytes(b)
assert vbr[:2] == b'\xff\xfb' and short44[:2] == b'\xff\xfb'
write('gapless_past_audio.mp3', patch_gapless(short44[:417 * 4], 4095, 4095))   # 3 frames: nothing left
write('gapless_long_lies.mp3', patch_gapless(vbr, 4095, 4095))

# The 0.5 s stream inside a RIFF/WAVE file (format tag 0x55, MPEG layer III).
fmt = struct.pack('<HHIIHHHHIHHH', 0x55, 2, 44100, 16000, 1, 0, 12, 1, 2, 417, 1, 1393)
body = (b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'fact' + struct.pack('<II', 4, 22050)
        + b'data' + struct.pack('<I', len(short44)) + short44)
write('riff_wave.mp3', b'RIFF' + struct.pack('<I', len(body)) + body)
PY
