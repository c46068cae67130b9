#!/usr/bin/env bash
# Regenerates the tagged MP3s of the export tests (sox, lame). The committed
# files are the reference; the tests' expected lengths follow from them.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
sox -n -r 22050 -c 1 -b 16 "$tmp/a.wav" synth 2.5 sine 440 vol 0.5
sox -n -r 22050 -c 1 -b 16 "$tmp/b.wav" synth 1.2 sine 660 vol 0.5
# Artist and title (ID3v2 in UTF-16, as lame writes non-Latin text).
lame --quiet -m m -b 32 --id3v2-only --id3v2-utf16 --ta "歌手" --tt "第一首" "$tmp/a.wav" both.mp3
# A title only.
lame --quiet -m m -b 32 --tt "Only Title" "$tmp/b.wav" title_only.mp3
# No tag at all.
lame --quiet -m m -b 32 "$tmp/b.wav" untagged.mp3
