#!/usr/bin/env bash
# Regenerates the MP3 fixtures of the player component's tests (sox, lame, python3).
# The committed files are the reference; regenerating changes their bytes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

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
