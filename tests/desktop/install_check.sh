#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop needs:
# the program with its guide where the help command finds it, a valid menu
# entry, the icon at every size, AppStream metadata, the manual page, the
# copyright and the changelog.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x "$prefix/bin/melvora" ]] || fail "no executable"
# The help command looks in ../share/melvora from the executable's folder.
[[ -s "$prefix/share/melvora/readme.txt" ]] || fail "no readme.txt in share/melvora"
[[ ! -e "$prefix/bin/readme.txt" ]] || fail "readme.txt among the executables"
cmp -s "$prefix/share/melvora/readme.txt" "$(dirname "$0")/../../aux_windows/readme.txt" || fail "readme.txt differs"
metainfo="$prefix/share/metainfo/org.example.melvora.metainfo.xml"
[[ -f "$metainfo" ]] || fail "no AppStream metainfo"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli refused the metainfo"
grep -q '<launchable type="desktop-id">melvora.desktop</launchable>' "$metainfo" || fail "metainfo names no menu entry"
man1="$prefix/share/man/man1/melvora.1.gz"
[[ -f "$man1" ]] || fail "no manual page"
gzip -t "$man1" || fail "manual page is not gzip"
manwarn="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man1" 2>&1 >/dev/null)"
[[ -z "$manwarn" ]] || fail "manual page warnings: $manwarn"
manpage="$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$man1" 2>/dev/null)"
for word in --help --version --check m3u8 readme.txt "EXIT STATUS"; do
  grep -qF -- "$word" <<<"$manpage" || fail "manual page lacks $word"
done
doc="$prefix/share/doc/melvora"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" \
  || fail "no machine-readable copyright"
gzip -cd "$doc/changelog.Debian.gz" | head -n 1 | grep -q '^melvora (' || fail "no Debian changelog"
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
