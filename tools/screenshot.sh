#!/usr/bin/env bash
# Saves PNG pictures of the main window with a list loaded, and of the player
# window while it plays, under a virtual X display.
# Usage: tools/screenshot.sh [output folder] (default: screenshots/)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$here/screenshots}")"
build="${MELVORA_BUILD_DIR:-$here/build-screenshot}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target main_window_screenshot player_screenshot -j2 >/dev/null
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/tests/main_window/main_window_screenshot" "$out"
# The player window under a window manager (openbox, when installed), so the
# picture of the screen shows its frame and where it docks.
XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash -c 'wm=""; if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & wm=$!; sleep 1; fi
           "$0" "$1"; rc=$?; [[ -n "$wm" ]] && kill "$wm"; exit $rc' \
  "$build/tests/player/player_screenshot" "$out"
echo "pictures in $out"
