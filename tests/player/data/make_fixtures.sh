#!/usr/bin/env bash
# Regenerates the tones of the player window's real-sound test (sox, lame).
# The committed files are the reference; regenerating changes their bytes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
# 0.8 s sines at half of full scale on both channels, 44.1 kHz, 128 kbit/s.
for hz in 440 880; do
  sox -n -r 44100 -c 2 -b 16 "$tmp/t$hz.wav" synth 0.8 sine $hz vol 0.5
  lame --quiet -b 128 --cbr "$tmp/t$hz.wav" "tone$hz.mp3"
done
