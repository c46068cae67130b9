#!/usr/bin/env bash
# Real-audio check: starts a private PulseAudio with a null sink, runs the
# recording test against it and always stops the server again.
#   real_audio_check.sh <tst_real_audio executable>
set -euo pipefail
check=$1

work=$(mktemp -d "${TMPDIR:-/tmp}/melvora-audio.XXXXXX")
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_RUNTIME_PATH PULSE_COOKIE

checker=""
cleanup() {
  [[ -n "$checker" ]] && kill "$checker" 2>/dev/null || true
  local pid=""
  [[ -f "$XDG_RUNTIME_DIR/pulse/pid" ]] && pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null || true)
  if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      [[ "$(ps -o stat= -p "$pid" 2>/dev/null)" == Z* ]] && break   # gone, not yet reaped
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The idle exit is a safety net should this script be killed outright.
pulseaudio -D -n --exit-idle-time=20 --log-target=file:"$work/pulse.log" \
  --load=module-native-protocol-unix \
  --load="module-null-sink sink_name=nullsink" 2>>"$work/pulse.log" || {
  echo "pulseaudio did not start:"; cat "$work/pulse.log"; exit 1; }
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null || { echo "pulseaudio does not answer:"; cat "$work/pulse.log"; exit 1; }

# In the background, so a signal from the test driver reaches the traps at once.
"$check" &
checker=$!
wait "$checker"
