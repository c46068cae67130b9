#!/usr/bin/env bash
# Frame check: a private X server (Xvfb) with the openbox window manager, the
# check program run against it, both stopped afterwards.
#   window_frames_check.sh <tst_window_frames executable> [picture folder]
set -euo pipefail
check=$1
shots=${2:-}

if [[ -z "${MELVORA_IN_XVFB:-}" ]]; then
  exec env MELVORA_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/melvora-frames.XXXXXX")
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

wm=""
cleanup() {
  [[ -n "$wm" ]] && kill "$wm" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" || {
  echo "openbox did not start:"; cat "$work/openbox.log"; exit 1; }

[[ -n "$shots" ]] && export MELVORA_FRAME_SHOTS="$shots"
QT_QPA_PLATFORM=xcb ${MELVORA_CHECK_WRAPPER:-} "$check"
