#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop needs:
# the program with its read-me, a valid menu entry and the icon at every size.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x "$prefix/bin/melvora" ]] || fail "no executable"
[[ -s "$prefix/bin/readme.txt" ]] || fail "no readme.txt beside the executable"
entry="$prefix/share/applications/melvora.desktop"
[[ -f "$entry" ]] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
grep -q '^Categories=AudioVideo;Audio;Player;$' "$entry" || fail "categories"
for mime in audio/x-mpegurl application/vnd.apple.mpegurl audio/x-scpls; do
  grep -q "^MimeType=.*$mime;" "$entry" || fail "MimeType lacks $mime"
done
icons="$prefix/share/icons/hicolor"
for n in 16 32 48 256; do
  png="$icons/${n}x${n}/apps/melvora.png"
  [[ -f "$png" ]] || fail "no ${n}px icon"
  size="$(identify -format '%wx%h' "$png")"
  [[ "$size" == "${n}x${n}" ]] || fail "${n}px icon is $size"
  # Not a blank picture: the red character covers part of it.
  red="$(convert "$png" -alpha extract -format '%[fx:mean]' info:)"
  awk -v r="$red" 'BEGIN { exit !(r > 0.05 && r < 0.8) }' || fail "${n}px icon coverage $red"
done
svg="$icons/scalable/apps/melvora.svg"
head -c 200 "$svg" | grep -q '<svg' || fail "no SVG icon"
grep -q '<path fill="#d80000"' "$svg" || fail "SVG has no outline"
# The SVG draws the same picture as the PNG.
rsvg-convert -w 32 -h 32 "$svg" -o "$prefix/svg32.png" || fail "the SVG does not render"
diff_px="$(compare -metric AE -fuzz 30% "$prefix/svg32.png" "$icons/32x32/apps/melvora.png" null: 2>&1 || true)"
[[ "$diff_px" =~ ^[0-9]+$ ]] || fail "cannot compare the SVG with the PNG: $diff_px"
(( diff_px < 60 )) || fail "SVG and PNG differ in $diff_px pixels"
echo "installed and checked in $prefix"
